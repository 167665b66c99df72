# Turns a manual source (*.man.txt) into a roff page in one language.
# Usage: awk -v lang=en|ja -v version=X.Y.Z -f mkman.awk SOURCE > PAGE.1
#
# The source holds both languages, so the options cannot drift apart between them:
#   @name NAME            @summary.en TEXT     @summary.ja TEXT
#   @synopsis LINE        (repeatable; shown as written)
#   @description.en / @description.ja  followed by text lines; a blank line starts a paragraph
#   @option -x, --long VALUE   followed by @en TEXT and @ja TEXT
#   @exit.en / @exit.ja, @files.en / @files.ja   text blocks like the description
#   @see PAGE(1), ...
# Lines starting with "#" are comments.

function esc(s) {
  gsub(/\\/, "\\e", s)
  # groff breaks lines only at spaces: a Japanese text gets a break point after each
  # three-byte UTF-8 character (kana, kanji, full-width signs).
  if (lang == "ja") gsub(/[\340-\357][\200-\277][\200-\277]/, "&\\:", s)
  if (s ~ /^[.']/) s = "\\&" s
  return s
}
function dashes(s) {
  s = esc(s)
  gsub(/-/, "\\-", s)
  return s
}
function flush_block() { block = "" }
BEGIN {
  if (lang != "ja") lang = "en"
  heading["en", "NAME"] = "NAME";            heading["ja", "NAME"] = "名前"
  heading["en", "SYNOPSIS"] = "SYNOPSIS";    heading["ja", "SYNOPSIS"] = "書式"
  heading["en", "DESCRIPTION"] = "DESCRIPTION"; heading["ja", "DESCRIPTION"] = "説明"
  heading["en", "OPTIONS"] = "OPTIONS";      heading["ja", "OPTIONS"] = "オプション"
  heading["en", "EXIT"] = "EXIT STATUS";     heading["ja", "EXIT"] = "終了ステータス"
  heading["en", "FILES"] = "FILES";          heading["ja", "FILES"] = "ファイル"
  heading["en", "SEE"] = "SEE ALSO";         heading["ja", "SEE"] = "関連項目"
  nsyn = 0; nopt = 0; target = ""
}
/^#/ { next }
/^@/ {
  tag = $1; rest = $0; sub(/^@[^ ]*[ ]?/, "", rest)
  target = ""
  if (tag == "@name") name = rest
  else if (tag == "@summary." lang) summary = rest
  else if (tag == "@synopsis") synopsis[++nsyn] = rest
  else if (tag == "@description." lang) target = "description"
  else if (tag == "@exit." lang) target = "exit"
  else if (tag == "@files." lang) target = "files"
  else if (tag ~ /^@(description|exit|files)\./) target = "skip"
  else if (tag == "@option") option[++nopt] = rest
  else if (tag == "@" lang) optionText[nopt] = rest
  else if (tag == "@see") see = rest
  else if (tag != "@en" && tag != "@ja" && tag !~ /^@summary\./) {
    printf "%s: unknown tag %s\n", FILENAME, tag > "/dev/stderr"; failed = 1
  }
  next
}
{
  if (target == "skip") next
  if (target == "") {
    if ($0 != "") { printf "%s:%d: text outside a block\n", FILENAME, NR > "/dev/stderr"; failed = 1 }
    next
  }
  if ($0 == "") {
    text[target] = text[target] (open[target] ? "\n" : "") ".PP\n"
    open[target] = 0
  } else if (target == "files") {
    # A file list keeps one entry a line.
    text[target] = text[target] esc($0) "\n.br\n"
  } else if (lang == "ja") {
    # A Japanese paragraph is one input line: a line end would read as a space between words.
    text[target] = text[target] esc($0)
    open[target] = 1
  } else {
    text[target] = text[target] esc($0) "\n"
  }
}
function section(key, body) {
  if (body == "") return
  if (body !~ /\n$/) body = body "\n"
  sub(/^(\.PP\n)+/, "", body); sub(/(\.PP\n)+$/, "", body)
  printf ".SH %s\n%s", heading[lang, key], body
}
END {
  for (i = 1; i <= nopt; i++) if (!((i) in optionText)) { printf "option %s has no @%s text\n", option[i], lang > "/dev/stderr"; failed = 1 }
  if (failed) exit 1
  if (name == "" || summary == "") { print "missing @name or @summary." lang > "/dev/stderr"; exit 1 }
  printf ".TH %s 1 \"\" \"Norra %s\" \"%s\"\n", toupper(name), version,
         (lang == "ja" ? "ユーザーコマンド" : "User Commands")
  # Japanese lines are not justified: spaces are rare in them.
  if (lang == "ja") print ".ad l"
  printf ".SH %s\n%s \\- %s\n", heading[lang, "NAME"], dashes(name), summary
  printf ".SH %s\n", heading[lang, "SYNOPSIS"]
  for (i = 1; i <= nsyn; i++) printf "%s%s\n", (i > 1 ? ".br\n" : ""), dashes(synopsis[i])
  section("DESCRIPTION", text["description"])
  if (nopt > 0) {
    printf ".SH %s\n", heading[lang, "OPTIONS"]
    for (i = 1; i <= nopt; i++) printf ".TP\n.B %s\n%s\n", dashes(option[i]), esc(optionText[i])
  }
  section("EXIT", text["exit"])
  section("FILES", text["files"])
  if (see != "") printf ".SH %s\n%s\n", heading[lang, "SEE"], dashes(see)
}
