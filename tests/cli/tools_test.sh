#!/usr/bin/env bash
# Runs the built norra-find and norra-replace on temporary files and checks output, files and exit status.
# Usage: tools_test.sh PATH/TO/norra-find PATH/TO/norra-replace
set -u

FIND=$(realpath "$1")
REPLACE=$(realpath "$2")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/norra-tools.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 2
# The write journal and the cache of the runs stay here, not in the user's folders.
export XDG_STATE_HOME="$tmp/state" XDG_CACHE_HOME="$tmp/cache"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run CMD...: runs it, keeping stdout in $out, stderr in $err and the exit status in $status.
run() {
  "$@" >"$tmp/.out" 2>"$tmp/.err"
  status=$?
  out=$(cat "$tmp/.out")
  err=$(cat "$tmp/.err")
}
expect_status() { [ "$status" -eq "$1" ] || fail "$2: exit status $status, wanted $1 (stderr: $err)"; }
expect_out() { [ "$out" = "$1" ] || fail "$2: stdout [$out], wanted [$1]"; }
expect_err_has() { case "$err" in *"$1"*) ;; *) fail "$2: stderr [$err] lacks [$1]" ;; esac; }
expect_file() {
  local got
  got=$(od -An -c "$1")
  local want
  want=$(printf '%b' "$2" | od -An -c)
  [ "$got" = "$want" ] || fail "$3: $1 holds [$got], wanted [$want]"
}
sjis() { printf '%b' "$1" | iconv -f UTF-8 -t CP932; }

# ---- help, version, usage errors
run "$FIND" --help
expect_status 0 "find --help"
case "$out" in Usage:*) ;; *) fail "find --help prints no usage" ;; esac
run "$REPLACE" --version
expect_status 0 "replace --version"
case "$out" in "norra-replace "*) ;; *) fail "replace --version: [$out]" ;; esac
run "$REPLACE" onlyfind
expect_status 2 "replace without REPLACE"
expect_err_has "Try 'norra-replace --help'" "usage error"
run "$FIND" --bogus x f
expect_status 2 "unknown option"

# ---- norra-find on a CP932 file with CR LF breaks
sjis '日本語のテキスト\r\nabc ABC\r\n終わり日本' > doc.txt
run "$FIND" 日本 doc.txt
expect_status 0 "find Japanese"
expect_out "doc.txt:1:1:日本語のテキスト
doc.txt:3:7:終わり日本" "find Japanese"
run "$FIND" abc doc.txt
expect_out "doc.txt:2:1:abc ABC
doc.txt:2:5:abc ABC" "case-folded find"
run "$FIND" -c abc doc.txt
expect_out "doc.txt:2:1:abc ABC" "find --match-case"
run "$FIND" --offsets 'テ[*]ト' doc.txt
expect_out "doc.txt:9:8" "find --offsets"
run "$FIND" zzz doc.txt
expect_status 1 "find without match"
expect_out "" "find without match"
run "$FIND" x missing.txt
expect_status 2 "find in a missing file"
expect_err_has "missing.txt" "find in a missing file"

# Offsets are those of the file's own bytes, also when its breaks are lone LFs.
printf 'ab\ncd\n' > lf.txt
run "$FIND" --offsets 'b[*]c' lf.txt
expect_out "lf.txt:2:3" "offsets in an LF file"

# Width and kana folds: offsets and replacements are those of the bytes as written.
sjis 'xｶﾞｿﾘﾝがそりん\r\nＡＢＣ\r\n' > fold.txt
run "$FIND" --offsets 'ガソリン' fold.txt
expect_status 1 "find without folds"
run "$FIND" --offsets --fold-width 'ガソリン' fold.txt
expect_out "fold.txt:2:5" "find --fold-width"
run "$FIND" --offsets --fold-width --fold-kana 'ガソリン' fold.txt
expect_out "fold.txt:2:5
fold.txt:7:8" "find --fold-width --fold-kana"
run "$FIND" --offsets --fold-width abc fold.txt
expect_out "fold.txt:17:6" "find --offsets --fold-width, letters case-folded"
sjis 'ｶﾞ\nａｂｃ\n' > foldlf.txt
run "$FIND" --offsets --fold-width --fold-kana 'ABC' foldlf.txt
expect_out "foldlf.txt:4:6" "find --offsets with folds across an LF"
run "$FIND" --fold-width abc fold.txt
expect_out "fold.txt:2:1:ＡＢＣ" "find --fold-width with lines"
run "$REPLACE" --fold-kana --stdout 'ｶﾞ[into a][*][/to]ん' '<[from a]>' fold.txt
expect_out "$(sjis 'x<ｿﾘ><そり>\r\nＡＢＣ\r\n')" "replace --fold-kana (ﾝ is ん)"

# ---- norra-replace on FILEs
printf 'one two\r\ntwo\r\n' > a.txt
printf 'a\nb two\n' > b.txt
printf 'nothing\r\n' > c.txt
touch -d '2001-01-01 00:00' c.txt
run "$REPLACE" two 2 a.txt b.txt c.txt
expect_status 0 "replace in files"
expect_out "置換終了しました。
(現在の条件での置換数 : 3)" "replace in files"
expect_file a.txt 'one 2\r\n2\r\n' "replace CR LF file"
expect_file b.txt 'a\nb 2\n' "replace LF file keeps LF"
[ "$(stat -c %Y c.txt)" = "$(date -d '2001-01-01 00:00' +%s)" ] || fail "unchanged file was written"

run "$REPLACE" zzz y a.txt
expect_status 1 "replace without match"
expect_out "検索文字列が見つかりません。" "replace without match"

printf 'x x\n' > d.txt
run "$REPLACE" -n x y d.txt
expect_status 0 "dry run"
expect_out "置換終了しました。
(現在の条件での置換数 : 2)" "dry run"
expect_file d.txt 'x x\n' "dry run writes nothing"

run "$REPLACE" --stdout x '[rcount]' d.txt
expect_status 0 "--stdout"
expect_out "1 2" "--stdout"
expect_err_has "置換数 : 2" "--stdout reports on stderr"
expect_file d.txt 'x x\n' "--stdout writes nothing"

run "$REPLACE" --now '2001-02-03 04:05:06' x '[now[yyyy/mm/dd hh:nn]]' d.txt
expect_file d.txt '2001/02/03 04:05 2001/02/03 04:05\n' "--now"

# A file that vanished: the run stops there, earlier files stay rewritten.
printf 'q\n' > e1.txt
printf 'q\n' > e3.txt
run "$REPLACE" q Q e1.txt gone.txt e3.txt
expect_status 2 "missing file mid-run"
expect_err_has "gone.txt" "missing file mid-run"
expect_file e1.txt 'Q\n' "file before the failure"
expect_file e3.txt 'q\n' "file after the failure"

# ---- refusals of the engine and of the texts
run "$REPLACE" '[repeat 0][#][/repeat]' x a.txt
expect_status 2 "compile refusal"
expect_err_has "◆KARVO検索置換ｼｽﾃﾑ" "compile refusal caption"
run "$REPLACE" "$(printf '\xff')" x a.txt
expect_status 2 "FIND not UTF-8"
run "$REPLACE" --encoding cp932 'é' x a.txt
expect_status 2 "FIND not CP932"
expect_err_has "é は Shift_JIS(CP932)" "FIND not CP932 names the character"
run "$REPLACE" 'é' x a.txt
expect_status 1 "FIND no CP932 file can hold"
run "$REPLACE" '' x a.txt
expect_status 2 "empty FIND"

# ---- the folder command
mkdir -p tree/sub
printf 'k\r\n' > tree/1.txt
printf 'k\r\n' > tree/2.log
printf 'k\r\n' > tree/sub/3.txt
run "$REPLACE" -c -d tree -m '*.txt' k K
expect_status 0 "folder without sub-folders"
expect_file tree/1.txt 'K\r\n' "folder: own file"
expect_file tree/2.log 'k\r\n' "folder: masked out"
expect_file tree/sub/3.txt 'k\r\n' "folder: sub-folder untouched"
run "$REPLACE" -c -d tree -s -m '*.TXT;*.txt' k K
expect_out "置換終了しました。
(現在の条件での置換数 : 1)" "folder with sub-folders, two masks"
expect_file tree/sub/3.txt 'K\r\n' "folder: sub-folder"
run "$FIND" -c -d tree -s -m '*.txt' K
expect_out "tree/1.txt:1:1:K
tree/sub/3.txt:1:1:K" "find over a folder"
run "$REPLACE" -d nowhere k K
expect_status 2 "missing folder"
expect_err_has "◆全て置換 - [ﾌｫﾙﾀﾞ(DISK)]: 検索するﾌｫﾙﾀﾞを指定して下さい" "missing folder"
run "$REPLACE" -d tree -m '*.md' k K
expect_status 1 "folder without files"
expect_out "検索するﾌｧｲﾙが0個です" "folder without files"

# ---- a folder replace in a source tree: only matched bytes change, binary files and links
# are left alone
mkdir -p src/.git/objects/ab outside
printf 'abc\nkeep\r\nabc\rlast abc' > src/mixed.c
printf 'x\234\001\000abc\r\n\000abc' > src/.git/objects/ab/cdef
printf 'abc\n' > outside/secret.txt
ln -s ../outside/secret.txt src/linked.txt
run "$REPLACE" abc XYZ --dir src --subdirs
expect_status 0 "folder replace in a source tree"
expect_out "置換終了しました。
(現在の条件での置換数 : 3)
(ﾊﾞｲﾅﾘﾌｧｲﾙとして飛ばしたﾌｧｲﾙ数 : 1)" "folder replace in a source tree"
expect_file src/mixed.c 'XYZ\nkeep\r\nXYZ\rlast XYZ' "mixed breaks keep their own bytes"
expect_file src/.git/objects/ab/cdef 'x\234\001\000abc\r\n\000abc' "binary file untouched"
expect_file outside/secret.txt 'abc\n' "linked file outside the folder untouched"
run "$FIND" abc --dir src --subdirs
expect_status 1 "find skips binary files too"
expect_err_has "(ﾊﾞｲﾅﾘﾌｧｲﾙとして飛ばしたﾌｧｲﾙ数 : 1)" "find tells of binary files"

# One file named twice is replaced once; a link named on the command line is written through.
printf 'abc' > twice.txt
run "$REPLACE" abc abcX twice.txt twice.txt ./twice.txt
expect_out "置換終了しました。
(現在の条件での置換数 : 1)" "file named twice"
expect_file twice.txt 'abcX' "file named twice"
run "$REPLACE" abc XYZ src/linked.txt
expect_file outside/secret.txt 'XYZ\n' "link named on the command line"

# A hit in a very long line prints a bounded piece of it, cut between whole characters.
awk 'BEGIN { for (i = 0; i < 1000; i++) printf "%s", sprintf("%997s", "") "abc" }' | tr ' ' 'x' > long.txt
sjis "$(printf '%0300d' 0 | sed 's/0/日/g')本語" > longjp.txt
run "$FIND" abc long.txt
expect_status 0 "find in a long line"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1000 ] || fail "find in a long line: not one line per hit"
[ "$(printf '%s\n' "$out" | awk '{ if (length($0) > m) m = length($0) } END { print m }')" -le 230 ] ||
  fail "find in a long line: a printed line is longer than its bounded piece"
case "$(printf '%s\n' "$out" | sed -n 500p)" in
  long.txt:1:499998:...xxx*abcxxx*...) ;;
  *) fail "find in a long line: [$(printf '%s\n' "$out" | sed -n 500p | cut -c1-80)]" ;;
esac
run "$FIND" 本語 longjp.txt
expect_out "longjp.txt:1:601:...$(printf '%098d' 0 | sed 's/0/日/g')本語" "long Japanese line"

# ---- the group command
printf 'm\r\n' > g1.txt
printf 'm\r\n' > g2.txt
printf '%s\r\n%s\r\n\r\n%s\r\n' "$tmp/g1.txt" "$tmp/g2.txt" "$tmp/g1.txt" > work.tgp
run "$REPLACE" -g work.tgp m M
expect_out "置換終了しました。
(現在の条件での置換数 : 2)" "group"
expect_file g1.txt 'M\r\n' "group member listed twice"
run "$REPLACE" -g work.tgp -m '*G2.TXT' M m
expect_file g2.txt 'm\r\n' "group with mask"
expect_file g1.txt 'M\r\n' "group member masked out"
run "$REPLACE" -g none.tgp m M
expect_status 2 "missing group"
expect_err_has "検索するｸﾞﾙｰﾌﾟを指定して下さい" "missing group"
printf '\r\n' > empty.tgp
run "$REPLACE" -g empty.tgp m M
expect_status 2 "empty group"
expect_err_has "検索するｸﾞﾙｰﾌﾟはﾒﾝﾊﾞが0個です" "empty group"

# A line "secret.conf" NUL ".txt" would pass "*.txt" and open secret.conf: such a file is no
# member list, and no NUL byte reaches the output.
printf 'm\r\n' > secret.conf
printf '%s\0.txt\r\n%s\r\n' "$tmp/secret.conf" "$tmp/g1.txt" > nul.tgp
"$FIND" -g nul.tgp -m '*.txt' m >"$tmp/.out" 2>"$tmp/.err"
status=$?
err=$(cat "$tmp/.err")
expect_status 2 "group file holding a NUL byte"
[ "$(tr -d '\000' < "$tmp/.out" | wc -c)" -eq "$(wc -c < "$tmp/.out")" ] || fail "norra-find printed a NUL byte"
grep -q secret "$tmp/.out" && fail "norra-find looked into the file before the NUL"
expect_err_has "ﾒﾝﾊﾞﾘｽﾄではない" "group file holding a NUL byte"
run "$REPLACE" -g nul.tgp -m '*.txt' m M
expect_status 2 "replace with a group file holding a NUL byte"
expect_file secret.conf 'm\r\n' "the file before the NUL"

# ---- tag symbols from a settings file
printf '[Norra]\r\nIniVersion=3500\r\n[KARVOSystem]\r\nBRACKET1=(\r\nBRACKET2=)\r\n' > my.ini
printf 'a[*]b axxb\n' > s.txt
run "$FIND" -F my.ini 'a(*)b' s.txt
expect_out "s.txt:1:1:a[*]b axxb
s.txt:1:7:a[*]b axxb" "changed brackets"
run "$FIND" -F my.ini --offsets 'a[*]b' s.txt
expect_out "s.txt:1:5" "old brackets are plain text"
run "$FIND" -F nosuch.ini x s.txt
expect_status 2 "missing settings file"

# ---- each file in its own encoding: CP932, UTF-8 (with and without a mark), EUC-JP
mkdir -p enc
sjis '犬の名前\r\nｲﾇ犬\n' > enc/a_sjis.txt
printf '😀犬\r\n犬' > enc/b_utf8.txt
printf '\xef\xbb\xbf犬x\n' > enc/c_bom.txt
printf '\xb8\xa4\xa4\xce\xcc\xbe\xc1\xb0\n\xb8\xa4' > enc/d_euc.txt
run "$FIND" --offsets 犬 enc/a_sjis.txt enc/b_utf8.txt enc/c_bom.txt enc/d_euc.txt
expect_out "enc/a_sjis.txt:1:2
enc/a_sjis.txt:13:2
enc/b_utf8.txt:5:3
enc/b_utf8.txt:10:3
enc/c_bom.txt:4:3
enc/d_euc.txt:1:2
enc/d_euc.txt:10:2" "find in each file's encoding"
run "$FIND" '[?]の' enc/d_euc.txt enc/b_utf8.txt
expect_out "enc/d_euc.txt:1:1:犬の名前" "lines of an EUC-JP file in UTF-8, columns in its bytes"
run "$FIND" --encoding cp932 --offsets 犬 enc/b_utf8.txt
expect_status 1 "a named encoding for every file"
run "$FIND" --encoding latin1 x a.txt
expect_status 2 "unknown encoding"
run "$REPLACE" -d enc "[?]犬$(printf '\r\n')" '🐕'
expect_status 0 "folder replace over mixed encodings"
expect_out "置換終了しました。
(現在の条件での置換数 : 2)
(文字ｺｰﾄﾞが置換後の文字を表せないため置換しなかったﾌｧｲﾙ : 2個)
enc/a_sjis.txt
enc/d_euc.txt" "files that cannot hold the replacement are named"
expect_file enc/b_utf8.txt '🐕🐕' "UTF-8 replaced"
run "$REPLACE" -d enc '犬' '狗'
expect_status 0 "folder replace in each encoding"
expect_file enc/a_sjis.txt "$(sjis '狗の名前\r\nｲﾇ狗\n' | od -An -tx1 | sed 's/ /\\x/g' | tr -d '\n')" "CP932 replaced"
expect_file enc/c_bom.txt '\xef\xbb\xbf狗x\n' "mark kept"
expect_file enc/d_euc.txt '\xb6\xe9\xa4\xce\xcc\xbe\xc1\xb0\n\xb6\xe9' "EUC-JP replaced in its bytes"

# ---- the start finishes a killed run's writes; a record it cannot read is named and set aside
mkdir -p state/norra
printf 'norra-write-journal 1\nowner 1' > state/norra/write-1-abcd0123.journal
printf 'a\r\n' > j.txt
run "$REPLACE" a b j.txt
expect_status 0 "replace with an unreadable journal record"
expect_err_has "書込み記録" "unreadable journal record"
expect_err_has "$tmp/state/norra/write-1-abcd0123.journal.unreadable" "unreadable journal record"
expect_file j.txt 'b\r\n' "replace after an unreadable journal record"
run "$REPLACE" b c j.txt
[ -z "$err" ] || fail "the record set aside is named again: [$err]"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all tool checks passed"
