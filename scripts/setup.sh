#!/usr/bin/env bash
# Installs every build and test dependency from Debian packages when it is missing.
# Quiet and quick when everything is there. Extra package names may be given as arguments.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config make
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqscintilla2-qt6-dev qt6-translations-l10n
  fonts-ipafont-gothic xvfb xauth
  clang libclang-rt-14-dev
  libc-bin time
  poppler-utils
  libeditorconfig-dev nkf
  dpkg-dev lintian file appstream librsvg2-bin
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
