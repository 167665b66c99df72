#!/usr/bin/env bash
# Times norra-replace side by side with sed and perl, and norra-find's offset listing beside grep,
# on a Japanese CP932 corpus; prints ratios of medians.
#
# Usage: bench/compare.sh            (builds the tools and engine_bench in build-bench, Release)
# Environment: NORRA_BIN=folder with norra-find and norra-replace (skips the build),
#              ENGINE_BENCH=the engine_bench program (default: next to the built tools),
#              WORK=scratch folder (default: a new one under /tmp, removed at the end),
#              RUNS (default 10) and RUNS_LARGE (default 5) timed runs per command.
# A ratio below 1 means norra was faster than the other tool. Every pair reads the same file
# and writes to the same place (hyperfine sends standard output of both to /dev/null); the
# folder command and its peer each start from a fresh copy of the tree whose writing was
# flushed before the clock starts. Before timing, the outputs of each pair are compared, so
# both do the same work.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
RUNS=${RUNS:-10}
RUNS_LARGE=${RUNS_LARGE:-5}

# The corpus and the timing tools come from Debian packages; a fresh machine gets them here.
needed=()
for pkg in manpages-ja hyperfine jq; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || needed+=("$pkg")
done
if [ ${#needed[@]} -gt 0 ]; then
  echo "compare: installing ${needed[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${needed[@]}" >/dev/null
fi

for tool in hyperfine jq iconv perl sed zcat grep /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare: $tool is needed" >&2; exit 2; }
done

if [ -z "${NORRA_BIN:-}" ]; then
  NORRA_BIN=$root/build-bench/src/cli
  ENGINE_BENCH=${ENGINE_BENCH:-$root/build-bench/bench/engine_bench}
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DNORRA_BUILD_GUI=OFF -DNORRA_BUILD_BENCH=ON >/dev/null
  cmake --build "$root/build-bench" --target norra-replace norra-find engine_bench -j 2 >/dev/null
fi
REPLACE=$NORRA_BIN/norra-replace
FIND=$NORRA_BIN/norra-find
ENGINE_BENCH=${ENGINE_BENCH:-$NORRA_BIN/../../bench/engine_bench}
[ -x "$REPLACE" ] && [ -x "$FIND" ] || { echo "compare: no tools in $NORRA_BIN" >&2; exit 2; }

keep_work=1
if [ -z "${WORK:-}" ]; then
  WORK=$(mktemp -d /tmp/norra-compare.XXXXXX)
  keep_work=0
fi
cleanup() { [ "$keep_work" = 1 ] || rm -rf "$WORK"; }
trap cleanup EXIT
cd "$WORK"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# ---- corpus ---------------------------------------------------------------------------------
echo "== corpus in $WORK"
seed=$(sjis '　価格は１２８０円、第２０２４版、番号１２３４５６です。')
find /usr/share/man/ja -name '*.gz' -print0 | sort -z | xargs -0 zcat -f 2>/dev/null |
  iconv -c -f UTF-8 -t CP932 |
  LC_ALL=C awk -v seed="$seed" '{ print } NR % 40 == 0 { print seed }' |
  LC_ALL=C sed 's/$/\r/' > base.txt

# Whole copies of the base until the size is reached, then cut back to the last full line.
make_sized() {
  local dst=$1 size=$2
  : > "$dst.tmp"
  while [ "$(stat -c %s "$dst.tmp")" -lt "$size" ]; do cat base.txt >> "$dst.tmp"; done
  head -c "$size" "$dst.tmp" | LC_ALL=C sed '$d' > "$dst"
  rm -f "$dst.tmp"
}
make_sized small.txt $((2 * 1024 * 1024))
make_sized large.txt $((50 * 1024 * 1024))

# 5,000 files of about 4 KB in 50 folders, every other one *.txt.
mkdir -p chunks tree
LC_ALL=C split -C 4096 -a 5 -d large.txt chunks/c
i=0
for f in chunks/c*; do
  [ $i -ge 5000 ] && break
  d=tree/d$((i / 100))
  mkdir -p "$d"
  if [ $((i % 2)) -eq 0 ]; then mv "$f" "$d/f$i.txt"; else mv "$f" "$d/f$i.dat"; fi
  i=$((i + 1))
done
rm -rf chunks
head -c 65536 /dev/zero | tr '\0' a > aaaa.txt
echo "base $(stat -c %s base.txt) bytes; small $(stat -c %s small.txt); large $(stat -c %s large.txt);" \
     "tree $(find tree -type f | wc -l) files"

# Search texts: UTF-8 for norra, CP932 in script files for sed and perl (CP932 bytes are no
# valid command-line text for hyperfine).
L=ファイル
R=ﾌｧｲﾙ
W1=ファイル
W2=オプション
W3=コマンド
A=名前  # two words a few lines apart (the NAME and SYNOPSIS headings of each page)
B=書式
printf 's/%s/%s/g\n' "$(sjis $L)" "$(sjis $R)" > lit.sed
printf 's/%s/%s/g\n' "$(sjis $L)" "$(sjis $R)" > lit.pl
printf 's/file/FILE/gI\n' > fold.sed
printf 's/%s.*?%s/X/gs\n' "$(sjis $A)" "$(sjis $B)" > span.pl
printf 's/(%s|%s|%s)/X/g\n' "$(sjis $W1)" "$(sjis $W2)" "$(sjis $W3)" > which.sed
printf 's/([0-9]|\\x82[\\x4f-\\x58]){3,}/N/g\n' > digits.sed
sjis $L > lit.grep

# ---- same work ------------------------------------------------------------------------------
# same NAME CMD1 CMD2: both commands must write the same bytes.
same() {
  if ! cmp -s <(eval "$2" 2>/dev/null) <(eval "$3" 2>/dev/null); then
    echo "compare: WARNING: $1: the two commands give different output" >&2
  fi
}
f=small.txt
same "exact literal/sed" "$REPLACE -c --stdout $L $R $f" "LC_ALL=C sed -f lit.sed $f"
same "exact literal/perl" "$REPLACE -c --stdout $L $R $f" "perl -0777 -p lit.pl $f"
same "case-folded literal" "$REPLACE --stdout file FILE $f" "LC_ALL=C sed -f fold.sed $f"
same "A[*]B" "$REPLACE -c --stdout '$A[*]$B' X $f" "perl -0777 -p span.pl $f"
same "which" "$REPLACE -c --stdout '[which[$W1][$W2][$W3]]' X $f" "LC_ALL=C sed -E -f which.sed $f"
same "digits" "$REPLACE -c --stdout '[repeat 3][#][/repeat]' N $f" "LC_ALL=C sed -E -f digits.sed $f"
# norra-find --offsets prints FILE:OFFSET:LENGTH (1-based); grep -ob prints OFFSET:MATCH (0-based).
as_offsets() { LC_ALL=C awk -F: -v f="$1" '{ print f ":" $1 + 1 ":" length($2) }'; }
same "find --offsets literal" "$FIND -c --offsets $L $f" "LC_ALL=C grep -obF -f lit.grep $f | as_offsets $f"
same "find --offsets case-folded" "$FIND --offsets file $f" "LC_ALL=C grep -obiF file $f | as_offsets $f"
rm -rf work1 work2 && cp -r tree work1 && cp -r tree work2
$REPLACE -c -d work1 -s -m '*.txt' $L $R >/dev/null 2>&1
find work2 -name '*.txt' -print0 | xargs -0 env LC_ALL=C sed -i -f lit.sed
diff -r -q work1 work2 >/dev/null || echo "compare: WARNING: folder replace: the trees differ" >&2
rm -rf work1 work2

# ---- timing ---------------------------------------------------------------------------------
results=$WORK/results.txt
: > "$results"

# compare NAME RUNS NORRA_CMD OTHER_NAME OTHER_CMD [OTHER_NAME OTHER_CMD ...] [-- PREPARE]
compare() {
  local name=$1 runs=$2 norra=$3
  shift 3
  local names=() cmds=() prepare=()
  while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then prepare=(--prepare "$2"); break; fi
    names+=("$1")
    cmds+=("$2")
    shift 2
  done
  hyperfine -i --style basic --warmup 1 --runs "$runs" "${prepare[@]}" \
            --export-json "$WORK/h.json" "$norra" "${cmds[@]}" >/dev/null 2>&1 ||
    { echo "compare: hyperfine failed for $name" >&2; return; }
  local base
  base=$(jq '.results[0].median' "$WORK/h.json")
  local k=1
  for other in "${names[@]}"; do
    local m
    m=$(jq ".results[$k].median" "$WORK/h.json")
    printf '%-34s norra %8.1f ms   %-22s %8.1f ms   ratio %5.2f\n' "$name" \
           "$(jq -n "$base * 1000")" "$other" "$(jq -n "$m * 1000")" "$(jq -n "$base / $m")" |
      tee -a "$results"
    k=$((k + 1))
  done
}

for size in small large; do
  f=$size.txt
  runs=$RUNS
  [ $size = large ] && runs=$RUNS_LARGE
  echo "== $size file ($(stat -c %s $f) bytes)"
  compare "exact literal ($size)" "$runs" "$REPLACE -c --stdout $L $R $f" \
          "sed" "LC_ALL=C sed -f lit.sed $f" "perl" "perl -0777 -p lit.pl $f"
  compare "case-folded literal ($size)" "$runs" "$REPLACE --stdout file FILE $f" \
          "sed I" "LC_ALL=C sed -f fold.sed $f"
  compare "A[*]B ($size)" "$runs" "$REPLACE -c --stdout '$A[*]$B' X $f" \
          "perl .*?" "perl -0777 -p span.pl $f"
  compare "which of three ($size)" "$runs" "$REPLACE -c --stdout '[which[$W1][$W2][$W3]]' X $f" \
          "sed -E alternation" "LC_ALL=C sed -E -f which.sed $f"
  compare "repeat 3 digits ($size)" "$runs" "$REPLACE -c --stdout '[repeat 3][#][/repeat]' N $f" \
          "sed -E {3,}" "LC_ALL=C sed -E -f digits.sed $f"
  # Both listings go to a file: grep stops at the first hit when its output is /dev/null.
  compare "find --offsets literal ($size)" "$runs" "$FIND -c --offsets $L $f > hits.txt" \
          "grep -obF" "LC_ALL=C grep -obF -f lit.grep $f > hits.txt"
  compare "find --offsets case-folded ($size)" "$runs" "$FIND --offsets file $f > hits.txt" \
          "grep -obiF" "LC_ALL=C grep -obiF file $f > hits.txt"
  # The width and kana folds against the same case-folded search without them (wanted: <= 1.5).
  compare "find --offsets both folds ($size)" "$runs" \
          "$FIND --offsets --fold-width --fold-kana $L $f > hits.txt" \
          "norra, no folds" "$FIND --offsets $L $f > hits.txt"
done

echo "== folder command (5,000 files, *.txt, sub-folders)"
compare "folder replace" "$RUNS_LARGE" "$REPLACE -c -d work -s -m '*.txt' $L $R" \
        "find | xargs sed -i" "find work -name '*.txt' -print0 | xargs -0 env LC_ALL=C sed -i -f lit.sed" \
        -- "rm -rf work && cp -r tree work && sync"

echo "== pathological pattern over 64 KB of a"
# Measured inside one process: starting a tool takes far longer than either search.
if [ -x "$ENGINE_BENCH" ]; then
  "$ENGINE_BENCH" --benchmark_filter='BM_Hopeless' --benchmark_repetitions=5 \
                  --benchmark_report_aggregates_only=true --benchmark_format=json \
                  > "$WORK/hopeless.json" 2>/dev/null
  med() { jq ".benchmarks[] | select(.name == \"$1_median\") | .real_time" "$WORK/hopeless.json"; }
  hopeless=$(med BM_Hopeless)
  scan=$(med BM_HopelessLiteralScan)
  printf '%-34s norra %8.1f us   %-22s %8.1f us   ratio %5.2f\n' "[*]a[*]a[*]a[*]b" \
         "$hopeless" "literal scan" "$scan" "$(jq -n "$hopeless / $scan")" | tee -a "$results"
else
  echo "compare: no engine_bench at $ENGINE_BENCH; timing the tools instead" >&2
  compare "[*]a[*]a[*]a[*]b" "$RUNS" "$FIND -c '[*]a[*]a[*]a[*]b' aaaa.txt" \
          "norra literal scan" "$FIND -c b aaaa.txt"
fi

echo "== peak memory, replace-all on the large file"
peak() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }'; }
size_kb=$(( $(stat -c %s large.txt) / 1024 ))
for entry in "norra-replace|$REPLACE -c --stdout $L $R large.txt" \
             "sed|env LC_ALL=C sed -f lit.sed large.txt" \
             "perl|perl -0777 -p lit.pl large.txt"; do
  name=${entry%%|*}
  # shellcheck disable=SC2086
  kb=$(peak ${entry#*|})
  printf '%-34s peak %8d KB   %.2f x file size\n' "memory: $name" "$kb" "$(jq -n "$kb / $size_kb")" |
    tee -a "$results"
done

echo "== summary"
cat "$results"
