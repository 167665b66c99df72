#!/usr/bin/env bash
# How long a second `norra FILE` takes to hand its file to the running window and end.
#
# Starts one norra on the offscreen platform with a private runtime folder, then times RUNS
# starts of `norra FILE` (each a new process that connects, sends and gets the answer) and
# prints the median and the slowest in milliseconds. The running window opens every file.
# Usage: bench/handover.sh [PATH/TO/norra]   (default: build/src/gui/norra)
# Environment: RUNS (default 50).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
norra=$(realpath "${1:-$(dirname "$here")/build/src/gui/norra}")
RUNS=${RUNS:-50}
[ -x "$norra" ] || { echo "handover: no program at $norra (build the target norra)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/norra-handover.XXXXXX")
first=""
cleanup() {
  [ -n "$first" ] && kill "$first" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/runtime" "$work/config" "$work/files"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$work/config/norra" && printf "[Norra]\r\nIniVersion=3500\r\n" >"$work/config/norra/Norra.ini"
cd "$work/files"
for i in $(seq 1 "$RUNS"); do printf 'line %d\r\n' "$i" >"f$i.txt"; done

"$norra" >/dev/null 2>&1 &
first=$!
for _ in $(seq 1 100); do
  [ -S "$XDG_RUNTIME_DIR/norra-none.socket" ] && break
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/norra-none.socket" ] || { echo "handover: the first norra does not listen" >&2; exit 1; }

times=()
for i in $(seq 1 "$RUNS"); do
  start=$(date +%s%N)
  "$norra" "f$i.txt"
  end=$(date +%s%N)
  times+=($(((end - start) / 1000)))
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(printf '%s\n' "$sorted" | sed -n "$(((RUNS + 1) / 2))p")
slowest=$(printf '%s\n' "$sorted" | tail -n 1)
awk -v m="$median" -v s="$slowest" -v n="$RUNS" \
  'BEGIN { printf "hand-over of norra FILE: median %.1f ms, slowest %.1f ms over %d starts\n", m / 1000, s / 1000, n }'
