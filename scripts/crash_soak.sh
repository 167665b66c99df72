#!/usr/bin/env bash
# The kill tests at full size: a 200 MB file and a tree of 6,000 files rewritten by norra-replace,
# each killed 20 times, and the editor's save of the 200 MB file killed 20 times; then the
# writes that go through the write journal: the in-place save of a hard-linked 255 MB file and
# save-as-all swapping two 80 MB files (plain, and both hard-linked), each killed 20 times and
# started again. Runs on the disk, with its real flushes: takes tens of minutes and about 1.5 GB
# under $NORRA_CRASH_DIR (default $TMPDIR or /tmp).
# Usage: scripts/crash_soak.sh [BUILD-FOLDER]   (default: build; norra-replace, crash_data,
# save_child and journal_child must be built there). NORRA_CRASH_MB, NORRA_CRASH_FILES,
# NORRA_CRASH_KILLS and NORRA_CRASH_SEED change the run as in tests/crash/crash_test.sh;
# NORRA_CRASH_INPLACE_MB and NORRA_CRASH_SWAP_MB size the journal's files.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
export NORRA_CRASH_MB=${NORRA_CRASH_MB:-200}
export NORRA_CRASH_FILES=${NORRA_CRASH_FILES:-6000}
export NORRA_CRASH_KILLS=${NORRA_CRASH_KILLS:-20}
export NORRA_CRASH_DIR=${NORRA_CRASH_DIR:-${TMPDIR:-/tmp}}
inplace_mb=${NORRA_CRASH_INPLACE_MB:-255}
swap_mb=${NORRA_CRASH_SWAP_MB:-80}
failed=0
bash tests/crash/crash_test.sh "$build/src/cli/norra-replace" "$build/tests/crash/crash_data" \
  "$build/tests/crash/save_child" || failed=1
child=$build/tests/crash/journal_child
"$child" inplace "$inplace_mb" "$NORRA_CRASH_KILLS" || failed=1
"$child" swap "$swap_mb" "$NORRA_CRASH_KILLS" || failed=1
"$child" swap-linked "$swap_mb" "$NORRA_CRASH_KILLS" || failed=1
[ "$failed" -eq 0 ] && echo "crash soak: passed" || echo "crash soak: FAILED"
exit "$failed"
