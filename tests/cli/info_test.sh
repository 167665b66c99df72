#!/usr/bin/env bash
# Runs the built norra with --help, -h and --version where no display can be reached: each
# prints on standard output and ends with status 0, without starting the window.
# Usage: info_test.sh PATH/TO/norra VERSION
set -u

NORRA=$(realpath "$1")
VERSION=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/norra-info.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
# A window would need this display, which does not exist.
export QT_QPA_PLATFORM=xcb DISPLAY=:99999 XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/config"
unset WAYLAND_DISPLAY

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
check() {  # check ARG TEXT-WANTED-IN-STDOUT
  out=$(timeout 20 "$NORRA" "$1" 2>"$tmp/.err")
  status=$?
  [ "$status" -eq 0 ] || fail "$1: exit status $status (stderr: $(cat "$tmp/.err"))"
  case "$out" in *"$2"*) ;; *) fail "$1: stdout [$out] lacks [$2]" ;; esac
}

check --version "norra $VERSION"
check --help "Usage: norra [--new-window] [-F SETTINGS.ini] [FILE...]"
check -h "--version"
[ ! -e "$tmp/config/norra" ] || fail "the settings folder was made: the program started"

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
