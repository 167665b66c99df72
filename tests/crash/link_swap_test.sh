#!/usr/bin/env bash
# A folder run of norra-replace while another program turns files and a sub-folder of the tree
# into links to files outside it, killed at random moments or left to finish: nothing outside
# the folder is ever written, and no temporary file is made there.
# Usage: link_swap_test.sh NORRA-REPLACE CRASH-DATA
# Environment: NORRA_CRASH_FILES (files of the tree, default 400), NORRA_LINK_RUNS (runs,
# default 20), NORRA_CRASH_SEED (default: new each run, printed).
set -u

REPLACE=$(realpath "$1")
DATA=$(realpath "$2")
FILES=${NORRA_CRASH_FILES:-400}
RUNS=${NORRA_LINK_RUNS:-20}
SEED=${NORRA_CRASH_SEED:-$(( (RANDOM << 15) | RANDOM ))}
base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
tmp=$(mktemp -d "$base/norra-links.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

echo "link test: ${FILES} files, ${RUNS} runs, seed ${SEED} (NORRA_CRASH_SEED=${SEED} repeats it)"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
now() { date +%s%N; }
state=$SEED
# next_delay NANOSECONDS: sets $delay to a moment in [0, NANOSECONDS) in seconds.
next_delay() {
  state=$(( (state * 1103515245 + 12345) % 2147483648 ))
  delay=$(awk -v r="$state" -v ns="$1" 'BEGIN { printf "%.4f", (r / 2147483648) * ns / 1e9 }')
}

"$DATA" make-tree "$tmp/old" "$FILES" 3 || exit 2
# What the links lead to: files that hold the word too, and their untouched twins.
cp -a "$tmp/old" "$tmp/outside"
cp -a "$tmp/old" "$tmp/pristine"
words=(sakura 桜花)

# Links in place of every file of one folder (each swapped in one rename) and of another folder.
swap() {
  local f
  for f in "$tmp/work/d3/"*.txt; do
    ln -sfn "$tmp/outside/d3/${f##*/}" "$f.link" && mv -T "$f.link" "$f"
  done
  mv "$tmp/work/d5" "$tmp/work/d5.old" && ln -s "$tmp/outside/d5" "$tmp/work/d5"
}

outside_untouched() {
  diff -r "$tmp/outside" "$tmp/pristine" >/dev/null || fail "$1: a file outside the folder was written"
  local made
  made=$(find "$tmp/outside" -name '.*.norra-*' | head -3)
  [ -z "$made" ] || fail "$1: temporaries outside the folder: $made"
}

rm -rf "$tmp/work" && cp -a "$tmp/old" "$tmp/work"
start=$(now)
"$REPLACE" "${words[@]}" --dir "$tmp/work" --subdirs >/dev/null 2>&1
duration=$(( $(now) - start ))

# Links there before the run starts: the run goes round them.
rm -rf "$tmp/work" && cp -a "$tmp/old" "$tmp/work"
swap
"$REPLACE" "${words[@]}" --dir "$tmp/work" --subdirs >/dev/null 2>&1
[ $? -le 1 ] || fail "the run over a tree with links failed"
outside_untouched "links before the run"

killed=0
for ((k = 0; k < RUNS; k++)); do
  rm -rf "$tmp/work" && cp -a "$tmp/old" "$tmp/work"
  "$REPLACE" "${words[@]}" --dir "$tmp/work" --subdirs >/dev/null 2>&1 &
  pid=$!
  next_delay "$duration"
  sleep "$delay"
  swap
  # Every other run is killed a moment later; the rest finish.
  if (( k % 2 == 0 )); then
    next_delay "$duration"
    sleep "$delay"
    kill -KILL "$pid" 2>/dev/null
  fi
  wait "$pid" 2>/dev/null
  [ $? -eq 137 ] && killed=$((killed + 1))
  outside_untouched "run $k (swap after $delay s)"
done
echo "link test: $RUNS runs ($killed killed), failures $failures"
[ "$failures" -eq 0 ]
