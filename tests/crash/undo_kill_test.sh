#!/usr/bin/env bash
# Kills norra-replace --undo with SIGKILL at random moments while it gives a tree of files back
# their old content, and checks that every file holds its old or its new bytes, and that a
# second --undo finishes the job without leaving a temporary behind.
# Usage: undo_kill_test.sh NORRA-REPLACE CRASH-DATA
# Environment: NORRA_CRASH_FILES (files of the tree, default 500), NORRA_CRASH_KILLS (default
# 20), NORRA_CRASH_SEED (default: new each run, printed), NORRA_CRASH_DIR (where the data goes;
# default /dev/shm when it has room, else $TMPDIR or /tmp).
set -u

REPLACE=$(realpath "$1")
DATA=$(realpath "$2")
FILES=${NORRA_CRASH_FILES:-500}
KILLS=${NORRA_CRASH_KILLS:-20}
SEED=${NORRA_CRASH_SEED:-$(( (RANDOM << 15) | RANDOM ))}
base=${NORRA_CRASH_DIR:-}
if [ -z "$base" ]; then
  base=${TMPDIR:-/tmp}
  if [ -d /dev/shm ] && [ -w /dev/shm ] &&
     [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt $((FILES * 64 + 65536)) ] 2>/dev/null; then
    base=/dev/shm
  fi
fi
tmp=$(mktemp -d "$base/norra-undo-crash.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export XDG_STATE_HOME="$tmp/state" XDG_CACHE_HOME="$tmp/cache"

echo "undo kill test: ${FILES} files, ${KILLS} kills, in $base, seed ${SEED} (NORRA_CRASH_SEED=${SEED} repeats it)"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
now() { date +%s%N; }
state=$SEED
next_delay() {
  state=$(( (state * 1103515245 + 12345) % 2147483648 ))
  delay=$(awk -v r="$state" -v ns="$1" 'BEGIN { printf "%.4f", (r / 2147483648) * ns / 1e9 }')
}
words=(sakura 桜花)

"$DATA" make-tree "$tmp/old" "$FILES" 3 || exit 2
cp -a "$tmp/old" "$tmp/new"
"$REPLACE" "${words[@]}" --dir "$tmp/new" --subdirs >/dev/null || fail "the replace of the tree failed"
"$DATA" changed "$tmp/old" "$tmp/new" || fail "some file of the tree did not change"

# replaced: a fresh copy of the old tree in work, replaced; sets $journal.
replaced() {
  rm -rf "$tmp/work" && cp -a "$tmp/old" "$tmp/work"
  "$REPLACE" "${words[@]}" --dir "$tmp/work" --subdirs >/dev/null 2>&1 || fail "the replace failed"
  journal=$(ls -t "$XDG_STATE_HOME"/norra/replace-*.undo | head -1)
}

replaced
start=$(now)
"$REPLACE" --undo "$journal" >/dev/null 2>&1 || fail "an undisturbed undo failed"
duration=$(( $(now) - start ))
"$DATA" check "$tmp/work" "$tmp/old" "$tmp/old" >/dev/null || fail "an undisturbed undo did not restore the tree"
echo "one undo: $(awk -v ns="$duration" 'BEGIN { printf "%.3f", ns / 1e9 }') s"

killed=0
for ((k = 0; k < KILLS; k++)); do
  replaced
  next_delay "$duration"
  "$REPLACE" --undo "$journal" >/dev/null 2>&1 &
  pid=$!
  sleep "$delay"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  [ $? -eq 137 ] && killed=$((killed + 1))
  outcome=$("$DATA" check "$tmp/work" "$tmp/old" "$tmp/new") ||
    fail "kill $k after $delay s: a file is neither old nor new"
  echo "  kill $k after $delay s: $outcome"
  "$REPLACE" --undo "$journal" >/dev/null 2>&1
  status=$?
  [ "$status" -eq 0 ] || fail "kill $k: the second undo ended with $status"
  "$DATA" check "$tmp/work" "$tmp/old" "$tmp/old" >/dev/null ||
    fail "kill $k: the second undo did not finish the job"
  left=$(find "$tmp/work" -name '.*.norra-*')
  [ -z "$left" ] || fail "kill $k: temporaries remain: $(echo "$left" | head -3 | tr '\n' ' ')"
done
echo "undo kill test: $KILLS kills ($killed while running), failures $failures"
[ "$failures" -eq 0 ]
