#!/usr/bin/env bash
# Encoding detection beside `nkf -g` on the help pages and the benchmark prose in UTF-8, CP932
# and EUC-JP, then detection's share of opening a 100 MB file.
#
# Usage: bench/detection_compare.sh   (builds detection_compare in build-bench, Release)
# Environment: NORRA_BENCH=path of a built detection_compare (skips the build);
#              NORRA_DETECT_MISSES=1 lists every text Norra decides wrongly;
#              NORRA_DETECT_SKIP_SPEED=1 leaves out the 100 MB part.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

command -v nkf >/dev/null || { echo "detection_compare: nkf is needed (scripts/setup.sh)" >&2; exit 2; }

if [ -z "${NORRA_BENCH:-}" ]; then
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DNORRA_BUILD_GUI=OFF >/dev/null
  cmake --build "$root/build-bench" --target detection_compare -j 2 >/dev/null
  NORRA_BENCH=$root/build-bench/bench/detection_compare
fi
[ -x "$NORRA_BENCH" ] || { echo "detection_compare: no program $NORRA_BENCH" >&2; exit 2; }

exec "$NORRA_BENCH" "$root/help"
