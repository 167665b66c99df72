#!/usr/bin/env bash
# Builds the Debian package of Norra: a Release build in build-package (or the folder given),
# then CPack. The package is written into that folder and its path printed.
# Install it with: sudo apt install ./build-package/norra_*.deb
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
"$root/scripts/setup.sh"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORRA_BUILD_BENCH=OFF \
  "${launcher[@]}" >/dev/null
# Only what the package holds; the tests are not needed for it.
cmake --build "$build" --target norra norra-find norra-replace norra-print norra_package_files
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/norra_*.deb
