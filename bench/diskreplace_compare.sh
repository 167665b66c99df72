#!/usr/bin/env bash
# Times norra-replace's folder replace of a literal over the 5,000-file tree of compare.sh
# beside `find | xargs sed -i` and `xargs -P2 sed -i`, on a memory file system and on disk,
# journal included; and the same run with the journal off and on one thread, to show what the
# journal costs and what the workers bring. Prints ratios of medians.
#
# Usage: bench/diskreplace_compare.sh
# Environment: NORRA_BIN=folder with norra-replace (default build/src/cli), DISK_REPLACE=the
#              bench/disk_replace program (default build/bench/disk_replace), TMPFS (default
#              /dev/shm), DISK (default /var/tmp), RUNS (default 10).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
RUNS=${RUNS:-10}
NORRA_BIN=${NORRA_BIN:-$root/build/src/cli}
DISK_REPLACE=${DISK_REPLACE:-$root/build/bench/disk_replace}
REPLACE=$NORRA_BIN/norra-replace
for tool in hyperfine jq iconv sed zcat; do
  command -v "$tool" >/dev/null || { echo "diskreplace_compare: $tool is needed (apt-get install hyperfine jq)" >&2; exit 2; }
done
[ -d /usr/share/man/ja ] || { echo "diskreplace_compare: the corpus needs manpages-ja" >&2; exit 2; }
[ -x "$REPLACE" ] && [ -x "$DISK_REPLACE" ] || { echo "diskreplace_compare: build norra-replace and disk_replace" >&2; exit 2; }

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
L=ファイル
R=ﾌｧｲﾙ

# The tree of compare.sh: 5,000 files of about 4 KB in 50 folders, every other one *.txt.
make_tree() {
  local at=$1
  mkdir -p "$at/chunks" "$at/tree"
  local seed
  seed=$(sjis '　価格は１２８０円、第２０２４版、番号１２３４５６です。')
  find /usr/share/man/ja -name '*.gz' -print0 | sort -z | xargs -0 zcat -f 2>/dev/null |
    iconv -c -f UTF-8 -t CP932 |
    LC_ALL=C awk -v seed="$seed" '{ print } NR % 40 == 0 { print seed }' |
    LC_ALL=C sed 's/$/\r/' > "$at/base.txt"
  : > "$at/large.tmp"
  while [ "$(stat -c %s "$at/large.tmp")" -lt $((25 * 1024 * 1024)) ]; do cat "$at/base.txt" >> "$at/large.tmp"; done
  (cd "$at" && LC_ALL=C split -C 4096 -a 5 -d large.tmp chunks/c)
  local i=0 f d
  for f in "$at"/chunks/c*; do
    [ $i -ge 5000 ] && break
    d=$at/tree/d$((i / 100))
    mkdir -p "$d"
    if [ $((i % 2)) -eq 0 ]; then mv "$f" "$d/f$i.txt"; else mv "$f" "$d/f$i.dat"; fi
    i=$((i + 1))
  done
  rm -rf "$at/chunks" "$at/large.tmp" "$at/base.txt"
  printf 's/%s/%s/g\n' "$(sjis $L)" "$(sjis $R)" > "$at/lit.sed"
}

# time_all PLACE: the commands in the same folder, each from a fresh, flushed copy.
time_all() {
  local at=$1 label=$2
  cd "$at"
  export XDG_STATE_HOME=$at/state XDG_CACHE_HOME=$at/cache
  # Both do the same work.
  rm -rf w1 w2 && cp -r tree w1 && cp -r tree w2
  "$REPLACE" -c -d w1 -s -m '*.txt' $L $R >/dev/null
  find w2 -name '*.txt' -print0 | xargs -0 env LC_ALL=C sed -i -f lit.sed
  diff -r -q w1 w2 >/dev/null || echo "diskreplace_compare: WARNING: the trees differ" >&2
  rm -rf w1 w2 state
  hyperfine -i --style basic --warmup 1 --runs "$RUNS" \
    --prepare "rm -rf work state && cp -r tree work && sync" --export-json h.json \
    -n norra "$REPLACE -c -d work -s -m '*.txt' $L $R" \
    -n "find | xargs sed -i" "find work -name '*.txt' -print0 | xargs -0 env LC_ALL=C sed -i -f lit.sed" \
    -n "xargs -P2 sed -i" "find work -name '*.txt' -print0 | xargs -0 -P2 -n 250 env LC_ALL=C sed -i -f lit.sed" \
    -n "norra, no journal" "$DISK_REPLACE nojournal work '*.txt' $L $R" \
    -n "norra, journal" "$DISK_REPLACE journal work '*.txt' $L $R" \
    -n "norra, one thread" "$DISK_REPLACE serial work '*.txt' $L $R" >/dev/null 2>&1 ||
    { echo "diskreplace_compare: hyperfine failed" >&2; return; }
  local m=()
  for k in 0 1 2 3 4 5; do m+=("$(jq ".results[$k].median" h.json)"); done
  ms() { jq -n "$1 * 1000"; }
  printf '%s: norra %.1f ms; find|xargs sed -i %.1f ms (ratio %.2f); xargs -P2 sed -i %.1f ms (ratio %.2f)\n' \
    "$label" "$(ms "${m[0]}")" "$(ms "${m[1]}")" "$(jq -n "${m[0]} / ${m[1]}")" \
    "$(ms "${m[2]}")" "$(jq -n "${m[0]} / ${m[2]}")"
  printf '%s: in one process: no journal %.1f ms, journal %.1f ms (journal adds %.1f%%), one thread %.1f ms\n' \
    "$label" "$(ms "${m[3]}")" "$(ms "${m[4]}")" "$(jq -n "(${m[4]} / ${m[3]} - 1) * 100")" "$(ms "${m[5]}")"
  cd - >/dev/null
}

for place in "${TMPFS:-/dev/shm}:tmpfs" "${DISK:-/var/tmp}:disk"; do
  dir=${place%%:*}
  label=${place##*:}
  at=$(mktemp -d "$dir/norra-diskreplace.XXXXXX")
  make_tree "$at"
  time_all "$at" "$label"
  rm -rf "$at"
done
