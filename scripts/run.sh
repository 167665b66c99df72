#!/usr/bin/env bash
# Builds Norra (Release, in build-run) and starts it with the files given.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build-run" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build-run" --target norra -j2
exec "$root/build-run/src/gui/norra" "$@"
