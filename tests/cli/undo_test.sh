#!/usr/bin/env bash
# norra-replace's preview, journal and undo end to end: the preview's diff, applied by patch,
# gives what the replace writes and the preview writes nothing; the replace keeps a private
# journal; the undo gives back every file still as the replace left it, names and leaves one
# edited since, and a second undo finishes; the journals stay within their count.
# Usage: undo_test.sh PATH/TO/norra-replace
set -u

REPLACE=$(realpath "$1")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/norra-undo.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
export XDG_STATE_HOME="$tmp/state" XDG_CACHE_HOME="$tmp/cache"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
sjis() { printf '%b' "$1" | iconv -f UTF-8 -t CP932; }

# A tree with a Japanese folder name, CP932 text, CR LF and LF files, a last line without a
# break, a binary file and a file without a hit.
mkdir -p "old/文書/下" old/other
{ sjis 'はじめ sakura\r\n'; printf 'two\r\n'; sjis '三 sakura と sakura\r\n'; } > "old/文書/a.txt"
printf 'x\nsakura\ny\n' > "old/文書/下/b.txt"
printf 'last sakura' > old/other/c.txt
printf 'sakura\n\nsakura\n1\n2\n3\n4\n5\n6\n7\n8\nsakura\n' > old/other/d.txt
printf 'bin\0sakura\n' > old/other/e.bin
printf 'nothing\n' > old/other/f.txt

cp -a old work
before=$(cd work && find . -type f -exec md5sum {} + | sort)
(cd work && "$REPLACE" --preview sakura 桜花 --dir . --subdirs) > preview.diff 2> preview.err
status=$?
[ "$status" -eq 0 ] || fail "--preview: exit status $status ($(cat preview.err))"
[ "$(cd work && find . -type f -exec md5sum {} + | sort)" = "$before" ] || fail "--preview wrote a file"
[ -z "$(find state -name 'replace-*' 2>/dev/null)" ] || fail "--preview kept a journal"
grep -q '^--- ./文書/a.txt$' preview.diff || grep -q '^--- 文書/a.txt$' preview.diff ||
  fail "--preview names the files relative to the working folder: $(head -2 preview.diff)"
grep -q 'e.bin' preview.diff && fail "--preview shows a binary file"

cp -a old replaced
"$REPLACE" sakura 桜花 --dir replaced --subdirs >/dev/null || fail "the replace failed"
if command -v patch >/dev/null; then
  cp -a old patched
  (cd patched && patch -p0 -s < ../preview.diff) || fail "patch refused the preview"
  diff -r patched replaced >/dev/null || fail "the patched tree differs from the replaced one"
else
  echo "note: no patch program; the preview is not applied"
fi

journal=$(find state/norra -name 'replace-*.undo')
[ "$(echo "$journal" | wc -l)" -eq 1 ] || fail "one journal wanted, found [$journal]"
[ "$(stat -c %a "$journal")" = 600 ] || fail "the journal is not 0600"
"$REPLACE" --journals | grep -q "4 files" || fail "--journals: $("$REPLACE" --journals)"

# One file edited after the replace: named and left; the others come back byte for byte.
printf 'edited\n' >> replaced/other/d.txt
cp replaced/other/d.txt edited.txt
"$REPLACE" --undo > undo.out 2> undo.err
status=$?
[ "$status" -eq 1 ] || fail "--undo with an edited file: exit status $status, wanted 1"
grep -q "3 files restored" undo.out || fail "--undo count: $(cat undo.out)"
grep -q "other/d.txt" undo.err || fail "--undo does not name the edited file: $(cat undo.err)"
cmp -s replaced/other/d.txt edited.txt || fail "--undo touched the edited file"
cp old/other/d.txt replaced/other/d.txt
diff -r old replaced >/dev/null || fail "--undo did not restore the tree byte for byte"
# Taking the same journal back again: every file is old now.
"$REPLACE" --undo "$journal" > undo.out 2> undo.err
status=$?
[ "$status" -eq 0 ] || fail "a second --undo: exit status $status ($(cat undo.err))"
"$REPLACE" --journals | grep -q "undone" || fail "--journals does not mark the journal undone"
"$REPLACE" --undo >/dev/null 2>&1
[ $? -eq 2 ] || fail "--undo with nothing left to take back should fail"
"$REPLACE" --undo "$tmp/nothing" >/dev/null 2>&1
[ $? -eq 2 ] || fail "--undo of a missing journal should fail"

# Bounded: many runs keep at most twenty journals, the newest ones.
printf 'a\n' > many.txt
for i in $(seq 1 23); do
  if [ $((i % 2)) -eq 1 ]; then "$REPLACE" a b many.txt >/dev/null; else "$REPLACE" b a many.txt >/dev/null; fi
done
count=$(find state/norra -name 'replace-*.undo' | wc -l)
[ "$count" -le 20 ] || fail "$count journals kept, at most 20 wanted"
"$REPLACE" --undo >/dev/null || fail "the newest of many runs cannot be taken back"
[ "$(cat many.txt)" = a ] || fail "the undo did not take back the newest run: $(cat many.txt)"

echo "undo test: failures $failures"
[ "$failures" -eq 0 ]
