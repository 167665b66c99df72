#!/usr/bin/env bash
# Runs the built norra-print on temporary files: a PDF with the settings' header and footer, the
# settings file left as it was, and the errors that print nothing.
# Usage: print_test.sh PATH/TO/norra-print
set -u

PRINT=$(realpath "$1")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/norra-print.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$tmp/runtime" XDG_CONFIG_HOME="$tmp/config"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
run() {
  "$@" >"$tmp/.out" 2>"$tmp/.err"
  status=$?
  out=$(cat "$tmp/.out")
  err=$(cat "$tmp/.err")
}
expect_status() { [ "$status" -eq "$1" ] || fail "$2: exit status $status, wanted $1 (stderr: $err)"; }
expect_err_has() { case "$err" in *"$1"*) ;; *) fail "$2: stderr [$err] lacks [$1]" ;; esac; }
sjis() { printf '%b' "$1" | iconv -f UTF-8 -t CP932; }

sjis '日本語の一行目\r\n二行目\r\n三行目\r\n' >a.txt
printf 'lf only\nsecond\n' >b.txt
sjis '[Norra]\r\nIniVersion=3500\r\nUserName=山田\r\n[Print]\r\nLinePerPage=2\r\nPrintOrder=2\r\nHeadLine=H:[filename] [pageindex[1]]/[pagecount[0]]\r\nFootLine=F:[username] [copyindex[1]]\r\n' >settings.ini
cp settings.ini settings.before

# ---- a PDF of two files, two copies in the page order
run "$PRINT" -F settings.ini --pdf out.pdf --copies 2 a.txt b.txt
expect_status 0 "print to PDF"
case "$out" in "6 sheets printed on "*out.pdf) ;; *) fail "print to PDF: stdout [$out]" ;; esac
cmp -s settings.ini settings.before || fail "the settings file changed"
if command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null; then
  pages=$(pdfinfo out.pdf | sed -n 's/^Pages: *//p')
  [ "$pages" = 6 ] || fail "the PDF has $pages pages, wanted 6"
  text=$(pdftotext -layout out.pdf - | tr -s ' \n' ' ')
  for want in "H:a.txt 1/6" "日本語の一行目" "H:a.txt 2/6" "F:山田 2" "三行目" "H:b.txt 6/6" "lf only"; do
    case "$text" in *"$want"*) ;; *) fail "the PDF lacks [$want]" ;; esac
  done
else
  echo "SKIP: pdftotext and pdfinfo (poppler-utils) are not installed" >&2
fi

# ---- errors: nothing printed, exit status 2
mkdir sub
run "$PRINT" --pdf a.txt/out.pdf a.txt
expect_status 2 "a PDF path under a regular file"
expect_err_has "ﾌﾟﾘﾝﾀｰへｱｸｾｽできません" "a PDF path under a regular file"
run "$PRINT" --pdf x.pdf missing.txt
expect_status 2 "a missing file"
expect_err_has "cannot read missing.txt" "a missing file"
run "$PRINT" --pdf x.pdf sub
expect_status 2 "a folder"
run "$PRINT" --pdf x.pdf --copies 0 a.txt
expect_status 2 "no copies"
run "$PRINT" -F nosuch.ini --pdf x.pdf a.txt
expect_status 2 "a missing settings file"
run "$PRINT" --printer "no such printer" a.txt
expect_status 2 "an unknown printer"
: >empty.txt
run "$PRINT" --pdf x.pdf empty.txt
expect_status 2 "nothing to print"
expect_err_has "印刷対象が 0 文字です" "nothing to print"
run "$PRINT" --pdf x.pdf --printer p a.txt
expect_status 2 "both outputs"
[ ! -e x.pdf ] || fail "a failed run left x.pdf"
[ -z "$(ls -A sub)" ] || fail "a failed run left files"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "norra-print behaves"
