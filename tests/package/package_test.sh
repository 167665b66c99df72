#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as a user gets it: its contents, its
# control fields, lintian, an installation into a scratch root whose programs start, and manual
# pages that list the options each --help prints.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR
set -u

build=$(realpath "$1")
src=$(realpath "$2")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/norra-package.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/config" \
  XDG_STATE_HOME="$tmp/state" XDG_CACHE_HOME="$tmp/cache"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# ---- the package
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack" >&2
  exit 1
fi
deb=$(ls "$tmp"/out/norra_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no norra_*.deb made" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)

# ---- contents
dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$tmp/contents"
for path in /usr/bin/norra /usr/bin/norra-find /usr/bin/norra-replace /usr/bin/norra-print \
  /usr/share/norra/help/index.html /usr/share/norra/help/tags.html \
  /usr/share/applications/norra.desktop \
  /usr/share/icons/hicolor/scalable/apps/norra.svg \
  /usr/share/icons/hicolor/16x16/apps/norra.png /usr/share/icons/hicolor/48x48/apps/norra.png \
  /usr/share/icons/hicolor/256x256/apps/norra.png \
  /usr/share/metainfo/io.github.norra.Norra.metainfo.xml /usr/share/mime/packages/norra.xml \
  /usr/share/doc/norra/copyright /usr/share/doc/norra/changelog.gz; do
  grep -qxF "$path" "$tmp/contents" || fail "the package lacks $path"
done
for program in norra norra-find norra-replace norra-print; do
  for dir in man1 ja/man1; do
    grep -qxF "/usr/share/man/$dir/$program.1.gz" "$tmp/contents" ||
      fail "the package lacks the manual page $dir/$program.1.gz"
  done
done

# ---- control fields
[ "$(dpkg-deb -f "$deb" Package)" = norra ] || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Section)" = editors ] || fail "section $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6printsupport6 libqscintilla2-qt6; do
  case "$depends" in *"$lib"*) ;; *) fail "Depends [$depends] lacks $lib" ;; esac
done

# ---- lintian: no error
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 ||
    fail "lintian: $(grep '^E:' "$tmp/lintian.log" || cat "$tmp/lintian.log")"
else
  fail "lintian is not installed (scripts/setup.sh installs it)"
fi

# ---- installed into a scratch root
root="$tmp/root"
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
  touch "$root/var/lib/dpkg/status"
  dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null -i "$deb" \
    >"$tmp/dpkg.log" 2>&1 || fail "dpkg --root -i: $(cat "$tmp/dpkg.log")"
else
  # Without root dpkg cannot own files as root; unpacking gives the same tree.
  dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
fi
bin="$root/usr/bin"
for tool in norra-find norra-replace norra-print; do
  out=$(timeout 20 "$bin/$tool" --version 2>&1)
  [ "$out" = "$tool $version" ] || fail "$tool --version printed [$out], wanted [$tool $version]"
done
missing=$(ldd "$bin/norra" | grep 'not found')
[ -z "$missing" ] || fail "norra lacks libraries: $missing"
out=$(timeout 5 "$bin/norra" --version 2>&1)
status=$?
[ "$status" -eq 0 ] || fail "norra --version ended with status $status: $out"
[ "$out" = "norra $version" ] || fail "norra --version printed [$out], wanted [norra $version]"

# ---- the manual pages list the options --help prints
options_of() {  # the option names in an options list: lines that begin with blanks and "-"
  grep -E '^[[:space:]]+-' | sed -E 's/^[[:space:]]+//; s/  .*//' |
    grep -oE '(^|[ ,[])--?[A-Za-z][A-Za-z-]*' | sed -E 's/^[ ,[]//' | sort -u
}
for program in norra norra-find norra-replace norra-print; do
  help=$(timeout 5 "$bin/$program" --help 2>/dev/null)
  if [ $? -ne 0 ] || [ -z "$help" ]; then
    echo "note: $program --help prints no options list yet; its manual page is not compared"
    continue
  fi
  printf '%s\n' "$help" | options_of >"$tmp/help.options"
  sed -n 's/^@option /  /p' "$src/packaging/man/$program.man.txt" | options_of >"$tmp/man.options"
  diff "$tmp/help.options" "$tmp/man.options" >"$tmp/options.diff" ||
    fail "$program: --help (<) and the manual page (>) list other options: $(cat "$tmp/options.diff")"
done

# ---- the desktop entry opens text files and member lists
entry="$root/usr/share/applications/norra.desktop"
for type in text/plain application/x-norra-group; do
  grep -q "^MimeType=.*$type;" "$entry" || fail "the desktop entry does not open $type"
done
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.norra.Norra.metainfo.xml" \
    >"$tmp/appstream.log" 2>&1 || fail "appstreamcli: $(cat "$tmp/appstream.log")"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "package: all checks passed ($(basename "$deb"))"
