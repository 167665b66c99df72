#!/usr/bin/env bash
# Times Norra's CP932 <-> UTF-8 conversion side by side with iconv(1) on a generated 50 MB text.
#
# Usage: bench/encoding_compare.sh   (builds encoding_bench in build-bench, Release)
# Environment: NORRA_BENCH=path of a built encoding_bench (skips the build), RUNS (default 7)
#              timed runs per command, SIZE_MB (default 50), WORK=scratch folder (default: a new
#              one under /tmp, removed at the end).
# Prints the median wall time of each command and the ratio ours/iconv (below 1: ours faster).
# Fails when the two disagree on any output byte.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
RUNS=${RUNS:-7}
SIZE_MB=${SIZE_MB:-50}

command -v iconv >/dev/null || { echo "encoding_compare: iconv is needed" >&2; exit 2; }

if [ -z "${NORRA_BENCH:-}" ]; then
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DNORRA_BUILD_GUI=OFF >/dev/null
  cmake --build "$root/build-bench" --target encoding_bench -j 2 >/dev/null
  NORRA_BENCH=$root/build-bench/bench/encoding_bench
fi
[ -x "$NORRA_BENCH" ] || { echo "encoding_compare: no program $NORRA_BENCH" >&2; exit 2; }

keep_work=1
if [ -z "${WORK:-}" ]; then
  WORK=$(mktemp -d /tmp/norra-encoding.XXXXXX)
  keep_work=0
fi
cleanup() { [ "$keep_work" = 1 ] || rm -rf "$WORK"; }
trap cleanup EXIT

text=$WORK/text.cp932
"$NORRA_BENCH" --generate "$text" "$SIZE_MB"
echo "== $(stat -c %s "$text") bytes of CP932 text in $WORK, $RUNS runs each"

ours_to_utf8()   { "$NORRA_BENCH" --to-utf8 "$text" "$WORK/ours.utf8"; }
iconv_to_utf8()  { iconv -f CP932 -t UTF-8 "$text" > "$WORK/iconv.utf8"; }
ours_to_cp932()  { "$NORRA_BENCH" --to-cp932 "$WORK/iconv.utf8" "$WORK/ours.cp932"; }
iconv_to_cp932() { iconv -f UTF-8 -t CP932 "$WORK/iconv.utf8" > "$WORK/iconv.cp932"; }

# Median wall time in milliseconds of RUNS runs of a command (after one warm-up run).
median_ms() {
  local times=() start end i
  "$@"
  for ((i = 0; i < RUNS; i++)); do
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    times+=($(((end - start) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END {
    if (NR % 2) print a[(NR + 1) / 2]; else print int((a[NR / 2] + a[NR / 2 + 1]) / 2) }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

iconv_u=$(median_ms iconv_to_utf8)
ours_u=$(median_ms ours_to_utf8)
cmp -s "$WORK/ours.utf8" "$WORK/iconv.utf8" || { echo "encoding_compare: UTF-8 outputs differ" >&2; exit 1; }
iconv_c=$(median_ms iconv_to_cp932)
ours_c=$(median_ms ours_to_cp932)
cmp -s "$WORK/ours.cp932" "$WORK/iconv.cp932" || { echo "encoding_compare: CP932 outputs differ" >&2; exit 1; }
cmp -s "$WORK/ours.cp932" "$text" || { echo "encoding_compare: round trip changed the text" >&2; exit 1; }

printf '%-16s %12s %12s %8s\n' direction "iconv ms" "norra ms" ratio
printf '%-16s %12s %12s %8s\n' "CP932 -> UTF-8" "$iconv_u" "$ours_u" "$(ratio "$ours_u" "$iconv_u")"
printf '%-16s %12s %12s %8s\n' "UTF-8 -> CP932" "$iconv_c" "$ours_c" "$(ratio "$ours_c" "$iconv_c")"
