#!/usr/bin/env bash
# Times the list of every hit over the 5,000-file tree of compare.sh (the same corpus, made the
# same way) beside grep -rn and rg -n listing the same lines, and norra-find printing them.
#
# Usage: bench/hitlist_compare.sh BUILD   (BUILD: a build folder holding bench/gui_hitlist and
#                                          src/cli/norra-find)
# Environment: WORK=scratch folder (default: a new one under /tmp, removed at the end),
#              RUNS (default 5) timed runs per command; the median is printed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: hitlist_compare.sh BUILD}" && pwd)
RUNS=${RUNS:-5}
LIST=$build/bench/gui_hitlist
FIND=$build/src/cli/norra-find
[ -x "$LIST" ] && [ -x "$FIND" ] || { echo "hitlist_compare: build gui_hitlist and norra-find" >&2; exit 2; }
for tool in iconv zcat grep awk; do
  command -v "$tool" >/dev/null || { echo "hitlist_compare: $tool is needed" >&2; exit 2; }
done
[ -d /usr/share/man/ja ] || { echo "hitlist_compare: manpages-ja is needed" >&2; exit 2; }

keep_work=1
if [ -z "${WORK:-}" ]; then
  WORK=$(mktemp -d /tmp/norra-hitlist.XXXXXX)
  keep_work=0
fi
cleanup() { [ "$keep_work" = 1 ] || rm -rf "$WORK"; }
trap cleanup EXIT
cd "$WORK"

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

# ---- the tree of compare.sh ----------------------------------------------------------------
if [ ! -d tree ]; then
  seed=$(sjis '　価格は１２８０円、第２０２４版、番号１２３４５６です。')
  find /usr/share/man/ja -name '*.gz' -print0 | sort -z | xargs -0 zcat -f 2>/dev/null |
    iconv -c -f UTF-8 -t CP932 |
    LC_ALL=C awk -v seed="$seed" '{ print } NR % 40 == 0 { print seed }' |
    LC_ALL=C sed 's/$/\r/' > base.txt
  : > large.txt
  while [ "$(stat -c %s large.txt)" -lt $((50 * 1024 * 1024)) ]; do cat base.txt >> large.txt; done
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
  rm -rf chunks large.txt base.txt
fi
echo "== tree: $(find tree -type f | wc -l) files, $(du -sh tree | cut -f1)"

L=ファイル
Lc=$(sjis "$L")
# rg takes its pattern as UTF-8 text; the CP932 bytes go in as escapes of bytes.
Lrg="(?-u:$(printf '%s' "$Lc" | od -An -tx1 | tr -d ' \n' | sed 's/../\\x&/g'))"

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
# Wall-clock milliseconds of a command, median of RUNS.
time_ms() {
  for _ in $(seq "$RUNS"); do
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
  done | median
}

# Every tool lists the same lines: check it once.
n_grep=$(LC_ALL=C grep -rn -- "$Lc" tree | wc -l)
n_find=$("$FIND" --dir tree --subdirs -- "$L" 2>/dev/null | wc -l)
echo "hits: norra-find $n_find (grep prints a line once however many hits it holds: $n_grep lines)"

echo "== the list's own figures (logic with 1 and all workers, then the results window)"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$LIST" tree "$L" 2>/dev/null
echo "== whole run, median of $RUNS, ms"
echo "grep -rn       $(time_ms env LC_ALL=C grep -rn -- "$Lc" tree)"
if command -v rg >/dev/null; then
  echo "rg -n          $(time_ms rg -n --no-ignore --hidden -- "$Lrg" tree)"
  echo "rg -n -j1      $(time_ms rg -n -j1 --no-ignore --hidden -- "$Lrg" tree)"
fi
echo "norra-find     $(time_ms "$FIND" --dir tree --subdirs -- "$L")"
echo "(machine load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) processors)"
