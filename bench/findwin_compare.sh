#!/usr/bin/env bash
# Replace all over 100 texts of 100 KB: the find window over open Pages (findwin_bench, undo
# capture included) beside norra-replace rewriting the same 100 files.
#
# Usage: bench/findwin_compare.sh   (builds both in build-bench, Release)
# Environment: BUILD=build folder holding bench/findwin_bench and src/cli/norra-replace (skips
#              the build), RUNS (default 10) timed runs of norra-replace.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
RUNS=${RUNS:-10}
command -v hyperfine >/dev/null || { echo "findwin_compare: hyperfine is needed" >&2; exit 2; }

if [ -z "${BUILD:-}" ]; then
  BUILD=$root/build-bench
  cmake -S "$root" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORRA_BUILD_GUI=OFF -DNORRA_BUILD_BENCH=ON >/dev/null
  cmake --build "$BUILD" --target findwin_bench norra-replace -j 2 >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$BUILD/bench/findwin_bench" --write-corpus "$work/corpus"

echo "== the window over 100 open Pages (Google Benchmark; CPU time is the figure to compare)"
"$BUILD/bench/findwin_bench" --benchmark_min_time=0.5

echo "== norra-replace over the same 100 files, each run on a fresh copy"
hyperfine --runs "$RUNS" --prepare "rm -rf '$work/run' && cp -r '$work/corpus' '$work/run' && sync" \
  "'$BUILD/src/cli/norra-replace' fox vixen '$work/run'/*.txt"
