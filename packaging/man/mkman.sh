#!/bin/sh
# Writes one compressed manual page from a manual source: mkman.sh SOURCE en|ja VERSION OUT.gz
set -eu
here=$(dirname "$0")
tmp="$4.tmp"
LC_ALL=C awk -v lang="$2" -v version="$3" -f "$here/mkman.awk" "$1" >"$tmp"
gzip -9n <"$tmp" >"$4"
rm -f "$tmp"
