#!/usr/bin/env bash
# Peak memory of norra-replace, norra-find and the editor on a 100 MB CP932 text.
#
# Prints each peak in MB and as a multiple of the file's size.
# Usage: bench/memory.sh             (builds the tools and gui_memory in build-memory, Release)
# Environment: NORRA_BUILD=a build folder holding src/cli/norra-* and bench/gui_memory (skips
#              the build), SIZE_MB (default 100) the size of the generated files in MiB,
#              WORK=scratch folder (default: a new one under /tmp, removed at the end).
# Two files of the same text are measured: CR LF lines, and lone LF lines (the rewrite that
# maps line breaks). Peaks are the maximum resident set of the whole process as
# /usr/bin/time reports it, so they include the program's own start-up memory.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
SIZE_MB=${SIZE_MB:-100}

for tool in cmake ninja cmp /usr/bin/time; do
  command -v "$tool" >/dev/null ||
    { echo "memory: $tool is needed (scripts/setup.sh installs it)" >&2; exit 2; }
done

if [ -z "${NORRA_BUILD:-}" ]; then
  NORRA_BUILD=$root/build-memory
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  echo "== building in $NORRA_BUILD (Release)"
  cmake -S "$root" -B "$NORRA_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORRA_BUILD_GUI=ON \
        -DNORRA_BUILD_BENCH=ON "${launcher[@]}" >/dev/null
  cmake --build "$NORRA_BUILD" --target norra-replace norra-find gui_memory -j 2 >/dev/null
fi
NORRA_BUILD=$(cd "$NORRA_BUILD" && pwd)
REPLACE=$NORRA_BUILD/src/cli/norra-replace
FIND=$NORRA_BUILD/src/cli/norra-find
GUI=$NORRA_BUILD/bench/gui_memory
for p in "$REPLACE" "$FIND" "$GUI"; do
  [ -x "$p" ] || { echo "memory: no $p" >&2; exit 2; }
done

keep_work=1
if [ -z "${WORK:-}" ]; then
  WORK=$(mktemp -d /tmp/norra-memory.XXXXXX)
  keep_work=0
fi
cleanup() { [ "$keep_work" = 1 ] || rm -rf "$WORK"; }
trap cleanup EXIT
cd "$WORK"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

need_kb=$((SIZE_MB * 1024 * 8))
free_kb=$(df -Pk . | awk 'NR == 2 { print $4 }')
[ "$free_kb" -gt "$need_kb" ] ||
  { echo "memory: $WORK needs $((need_kb / 1024)) MB free" >&2; exit 2; }

L=ファイル   # one word in twelve of the generated text
R=ドキュメント  # longer, so the new text is larger than the old

results=$WORK/results.txt
: > "$results"

# measure NAME FILE_BYTES COMMAND...: peak resident set of COMMAND; its standard output goes to
# $OUT (default: discarded), its errors to $WORK/err.
measure() {
  local name=$1 bytes=$2
  shift 2
  local rc=0
  /usr/bin/time -f '%M' -o "$WORK/kb" "$@" >"${OUT:-/dev/null}" 2>"$WORK/err" || rc=$?
  if [ "$rc" -gt 1 ]; then
    echo "memory: $name failed (exit $rc):" >&2
    head -5 "$WORK/err" >&2
  fi
  local kb
  kb=$(tail -1 "$WORK/kb")
  awk -v n="$name" -v kb="$kb" -v b="$bytes" \
      'BEGIN { printf "%-46s %8.1f MB   %5.2f x file\n", n, kb / 1024, kb * 1024 / b }' |
    tee -a "$results"
}

for breaks in crlf lf; do
  "$GUI" write $((SIZE_MB * 1024 * 1024)) $breaks text-$breaks.txt
  f=text-$breaks.txt
  bytes=$(stat -c %s "$f")
  tag="$breaks, $((bytes / 1024 / 1024)) MB"
  echo "== $f: $bytes bytes, $(LC_ALL=C grep -c '' "$f") lines"

  measure "norra-find ($tag)" "$bytes" "$FIND" "$L" "$f"
  measure "norra-replace --stdout ($tag)" "$bytes" "$REPLACE" --stdout "$L" "$R" "$f"
  "$REPLACE" --stdout "$L" "$R" "$f" > expected.txt 2>/dev/null || true

  rm -rf inplace && mkdir inplace && cp "$f" inplace/
  measure "norra-replace in place ($tag)" "$bytes" "$REPLACE" "$L" "$R" "inplace/$f"
  # The rewrite must be what --stdout printed, or the figure measured the wrong work.
  cmp -s "inplace/$f" expected.txt ||
    echo "memory: NOTE: the file rewritten in place differs from the --stdout output ($breaks)" >&2
  rm -rf inplace expected.txt

  rm -rf editor && mkdir editor && cp "$f" editor/
  OUT=$WORK/steps measure "editor: open, type, undo, save ($tag)" "$bytes" "$GUI" edit "editor/$f"
  sed 's/^/    /' "$WORK/steps"
  rm -rf editor "$f"
done

echo "== peak memory (maximum resident set)"
echo "   targets: norra-replace about 2 x the file, the editor at most 6 x"
cat "$results"
