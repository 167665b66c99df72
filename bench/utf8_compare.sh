#!/usr/bin/env bash
# Times norra-find --offsets and norra-replace --stdout on the same Japanese corpus in CP932
# and in UTF-8, beside grep -obF and sed on the UTF-8 form; prints medians and ratios.
#
# Usage: bench/utf8_compare.sh        (builds the tools in build-bench, Release)
# Environment: NORRA_BIN=folder with norra-find and norra-replace (skips the build),
#              WORK=scratch folder (default: a new one under /tmp, removed at the end),
#              RUNS (default 5) timed runs per command, SIZE_MB (default 50).
# The UTF-8 file is the CP932 one converted with iconv, line breaks (CR LF) and all, so both
# hold the same text and the same matches.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
RUNS=${RUNS:-5}
SIZE_MB=${SIZE_MB:-50}
for tool in hyperfine jq iconv sed zcat grep; do
  command -v "$tool" >/dev/null || { echo "utf8_compare: $tool is needed" >&2; exit 2; }
done
[ -d /usr/share/man/ja ] || { echo "utf8_compare: the corpus needs manpages-ja" >&2; exit 2; }

if [ -z "${NORRA_BIN:-}" ]; then
  NORRA_BIN=$root/build-bench/src/cli
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DNORRA_BUILD_GUI=OFF -DNORRA_BUILD_BENCH=ON >/dev/null
  cmake --build "$root/build-bench" --target norra-replace norra-find -j 2 >/dev/null
fi
REPLACE=$NORRA_BIN/norra-replace
FIND=$NORRA_BIN/norra-find

keep_work=1
if [ -z "${WORK:-}" ]; then
  WORK=$(mktemp -d /tmp/norra-utf8.XXXXXX)
  keep_work=0
fi
cleanup() { [ "$keep_work" = 1 ] || rm -rf "$WORK"; }
trap cleanup EXIT
cd "$WORK"

# The corpus of bench/compare.sh: Japanese manual pages in CP932 with CR LF, a line with
# digits every 40 lines, repeated to the size.
seed=$(printf '%s' '　価格は１２８０円、第２０２４版、番号１２３４５６です。' | iconv -f UTF-8 -t CP932)
if [ ! -s sjis.txt ]; then
  find /usr/share/man/ja -name '*.gz' -print0 | sort -z | xargs -0 zcat -f 2>/dev/null |
    iconv -c -f UTF-8 -t CP932 |
    LC_ALL=C awk -v seed="$seed" '{ print } NR % 40 == 0 { print seed }' |
    LC_ALL=C sed 's/$/\r/' > base.txt
  : > sjis.tmp
  while [ "$(stat -c %s sjis.tmp)" -lt $((SIZE_MB * 1024 * 1024)) ]; do cat base.txt >> sjis.tmp; done
  head -c $((SIZE_MB * 1024 * 1024)) sjis.tmp | LC_ALL=C sed '$d' > sjis.txt
  rm -f sjis.tmp base.txt
  iconv -f CP932 -t UTF-8 sjis.txt > utf8.txt
fi
echo "== CP932 $(stat -c %s sjis.txt) bytes, UTF-8 $(stat -c %s utf8.txt) bytes"

L=ファイル
R=ﾌｧｲﾙ
printf '%s' "$L" > lit.grep
printf 's/%s/%s/g\n' "$L" "$R" > lit.sed
printf 's/file/FILE/gI\n' > fold.sed

# The same work: norra on UTF-8 gives what grep and sed give.
as_offsets() { LC_ALL=C awk -F: -v f="$1" '{ print f ":" $1 + 1 ":" length($2) }'; }
cmp -s <("$FIND" -c --offsets "$L" utf8.txt) <(LC_ALL=C grep -obF -f lit.grep utf8.txt | as_offsets utf8.txt) ||
  echo "utf8_compare: WARNING: find --offsets and grep -obF differ" >&2
cmp -s <("$REPLACE" -c --stdout "$L" "$R" utf8.txt 2>/dev/null) <(LC_ALL=C sed -f lit.sed utf8.txt) ||
  echo "utf8_compare: WARNING: replace --stdout and sed differ" >&2
[ "$("$FIND" -c --offsets "$L" sjis.txt | wc -l)" = "$("$FIND" -c --offsets "$L" utf8.txt | wc -l)" ] ||
  echo "utf8_compare: WARNING: the two forms have different matches" >&2

# median COMMAND: the median of RUNS runs in ms.
median() {
  hyperfine -i --style none --warmup 1 --runs "$RUNS" --export-json h.json "$1" >/dev/null 2>&1
  jq '.results[0].median * 1000' h.json
}
row() {
  local name=$1 sj=$2 u8=$3 other_name=$4 other=$5
  local a b c
  a=$(median "$sj")
  b=$(median "$u8")
  c=$(median "$other")
  printf '%-28s CP932 %7.1f ms  UTF-8 %7.1f ms  (%4.2f x)   %-10s %7.1f ms  (UTF-8 %4.2f x)\n' \
         "$name" "$a" "$b" "$(jq -n "$b / $a")" "$other_name" "$c" "$(jq -n "$b / $c")"
}
# Listings go to a file: grep stops at the first hit when its output is /dev/null.
row "find --offsets literal" "$FIND -c --offsets $L sjis.txt > hits.txt" \
    "$FIND -c --offsets $L utf8.txt > hits.txt" "grep -obF" "LC_ALL=C grep -obF -f lit.grep utf8.txt > hits.txt"
row "find --offsets case-folded" "$FIND --offsets file sjis.txt > hits.txt" \
    "$FIND --offsets file utf8.txt > hits.txt" "grep -obiF" "LC_ALL=C grep -obiF file utf8.txt > hits.txt"
row "replace --stdout literal" "$REPLACE -c --stdout $L $R sjis.txt > out.txt" \
    "$REPLACE -c --stdout $L $R utf8.txt > out.txt" "sed" "LC_ALL=C sed -f lit.sed utf8.txt > out.txt"
row "replace --stdout case-folded" "$REPLACE --stdout file FILE sjis.txt > out.txt" \
    "$REPLACE --stdout file FILE utf8.txt > out.txt" "sed I" "LC_ALL=C sed -f fold.sed utf8.txt > out.txt"
