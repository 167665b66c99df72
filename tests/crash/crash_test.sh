#!/usr/bin/env bash
# Kills norra-replace and the editor's save with SIGKILL at random moments while they rewrite a
# large file and a tree of files, and checks that every file holds its old or its new bytes and
# that the next run leaves no temporary file behind.
# Usage: crash_test.sh NORRA-REPLACE CRASH-DATA SAVE-CHILD
# Environment: NORRA_CRASH_MB (size of the large file, default 20), NORRA_CRASH_FILES (files of
# the tree, default 500), NORRA_CRASH_KILLS (kills of each kind, default 20), NORRA_CRASH_SEED
# (default: new each run, printed), NORRA_CRASH_ALLOW_TEMPORARIES=1 (report leftover
# temporaries without failing), NORRA_CRASH_DIR (where the data goes; default /dev/shm when it
# has room, else $TMPDIR or /tmp).
set -u

REPLACE=$(realpath "$1")
DATA=$(realpath "$2")
SAVE=$(realpath "$3")
MB=${NORRA_CRASH_MB:-20}
FILES=${NORRA_CRASH_FILES:-500}
KILLS=${NORRA_CRASH_KILLS:-20}
SEED=${NORRA_CRASH_SEED:-$(( (RANDOM << 15) | RANDOM ))}
# A kill leaves the page cache as it was, so a memory file system tests the same thing, and
# spares the shared disk the flushes of some hundred runs; it is used when it has room.
base=${NORRA_CRASH_DIR:-}
if [ -z "$base" ]; then
  base=${TMPDIR:-/tmp}
  need_kb=$(( (MB * 6 + 64) * 1024 + FILES * 48 ))
  if [ -d /dev/shm ] && [ -w /dev/shm ] &&
     [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt "$need_kb" ] 2>/dev/null; then
    base=/dev/shm
  fi
fi
tmp=$(mktemp -d "$base/norra-crash.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
# The write journal and the cache of the runs stay in the test's folder, not the user's.
export XDG_STATE_HOME="$tmp/state" XDG_CACHE_HOME="$tmp/cache"

echo "crash test: ${MB} MB file, ${FILES} files, ${KILLS} kills each, in $base, seed ${SEED} (NORRA_CRASH_SEED=${SEED} repeats it)"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

now() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }

# The kill moments: a small generator of our own, so the seed alone fixes the sequence.
state=$SEED
# next_delay NANOSECONDS: sets $delay to a moment in [0, NANOSECONDS) in seconds.
next_delay() {
  state=$(( (state * 1103515245 + 12345) % 2147483648 ))
  delay=$(awk -v r="$state" -v ns="$1" 'BEGIN { printf "%.4f", (r / 2147483648) * ns / 1e9 }')
}

# replace TARGET...: the run under test (the word becomes two double-byte characters).
words=(sakura 桜花)
replace() { "$REPLACE" "${words[@]}" "$@" >/dev/null 2>&1; }

no_temporaries() {
  local left records
  records=$(find "$XDG_STATE_HOME" -name '*.journal*' 2>/dev/null)
  [ -z "$records" ] || fail "$2: journal records remain after the next run: $records"
  left=$(find "$1" -name '.*.norra-*')
  [ -z "$left" ] && return 0
  if [ -n "${NORRA_CRASH_ALLOW_TEMPORARIES:-}" ]; then
    echo "note: $2: temporaries remain (allowed by NORRA_CRASH_ALLOW_TEMPORARIES): $(echo "$left" | wc -l)"
    find "$1" -name '.*.norra-*' -delete
  else
    fail "$2: temporaries remain after the next run: $(echo "$left" | head -3 | tr '\n' ' ')"
    find "$1" -name '.*.norra-*' -delete
  fi
}

# kills NAME NANOSECONDS OLD NEW WORK ARGS...: WORK is restored from OLD, the tool is started on
# ARGS and killed at a random moment within the length of an undisturbed run; then WORK must be
# OLD or NEW file by file, and a second, undisturbed run must finish the work without leaving a
# temporary.
kills() {
  local name=$1 duration=$2 old=$3 new=$4 work=$5
  shift 5
  local pid k outcome killed=0 tally section
  section=$(now)
  echo "$name: one run $(seconds "$duration") s"
  tally=""
  for ((k = 0; k < KILLS; k++)); do
    rm -rf "$work" && cp -a "$old" "$work"
    next_delay "$duration"
    "$REPLACE" "${words[@]}" "$@" >/dev/null 2>&1 &
    pid=$!
    sleep "$delay"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ $? -eq 137 ] && killed=$((killed + 1))
    if ! outcome=$("$DATA" check "$work" "$old" "$new"); then
      fail "$name: kill $k after $delay s: a file is neither old nor new"
    fi
    tally+="  kill $k after ${delay} s: $outcome"$'\n'
    replace "$@"
    [ $? -le 1 ] || fail "$name: the run after kill $k failed"
    no_temporaries "$(dirname "$work")" "$name, kill $k after $delay s"
    "$DATA" check "$work" "$new" "$new" >/dev/null || fail "$name: the run after kill $k did not finish the work"
  done
  printf '%s' "$tally"
  echo "$name: $KILLS kills ($killed while running), $(seconds $(( $(now) - section ))) s"
}

started=$(now)
# The large file, and the expected result of replacing in it.
mkdir -p "$tmp/file/old" "$tmp/file/new" "$tmp/file/work"
"$DATA" make-file "$tmp/file/old/big.txt" $((MB * 1048576)) 1 || exit 2
cp "$tmp/file/old/big.txt" "$tmp/file/new/big.txt"
start=$(now)
replace "$tmp/file/new/big.txt" || fail "the replacement of the large file failed"
duration=$(( $(now) - start ))
"$DATA" changed "$tmp/file/old/big.txt" "$tmp/file/new/big.txt" || fail "the large file did not change"
kills "file" "$duration" "$tmp/file/old/big.txt" "$tmp/file/new/big.txt" "$tmp/file/work/big.txt" "$tmp/file/work/big.txt"

# The tree.
mkdir -p "$tmp/tree/work"
"$DATA" make-tree "$tmp/tree/old" "$FILES" 2 || exit 2
cp -a "$tmp/tree/old" "$tmp/tree/new"
start=$(now)
replace --dir "$tmp/tree/new" --subdirs || fail "the replacement in the tree failed"
duration=$(( $(now) - start ))
"$DATA" changed "$tmp/tree/old" "$tmp/tree/new" || fail "some file of the tree did not change"
kills "tree" "$duration" "$tmp/tree/old" "$tmp/tree/new" "$tmp/tree/work/t" --dir "$tmp/tree/work/t" --subdirs

# The editor's save of the large file as a Page.
mkdir -p "$tmp/save"
cp "$tmp/file/old/big.txt" "$tmp/save/big.txt"
section=$(now)
"$SAVE" "$tmp/save/big.txt" "$KILLS" "$SEED" || fail "the editor's save (see above)"
echo "save: $(seconds $(( $(now) - section ))) s"

echo "crash test: $(seconds $(( $(now) - started ))) s, failures $failures"
[ "$failures" -eq 0 ]
