#!/usr/bin/env bash
# The kill test at full size: a 200 MB file and a tree of 6,000 files, each killed 20 times,
# and the editor's save of the 200 MB file killed 20 times. Runs on the disk, with its real
# flushes: takes tens of minutes and about 1.5 GB under $NORRA_CRASH_DIR (default $TMPDIR or
# /tmp).
# Usage: scripts/crash_soak.sh [BUILD-FOLDER]   (default: build; norra-replace, crash_data and
# save_child must be built there). NORRA_CRASH_MB, NORRA_CRASH_FILES, NORRA_CRASH_KILLS and
# NORRA_CRASH_SEED change the run as in tests/crash/crash_test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
export NORRA_CRASH_MB=${NORRA_CRASH_MB:-200}
export NORRA_CRASH_FILES=${NORRA_CRASH_FILES:-6000}
export NORRA_CRASH_KILLS=${NORRA_CRASH_KILLS:-20}
export NORRA_CRASH_DIR=${NORRA_CRASH_DIR:-${TMPDIR:-/tmp}}
exec bash tests/crash/crash_test.sh "$build/src/cli/norra-replace" "$build/tests/crash/crash_data" \
  "$build/tests/crash/save_child"
