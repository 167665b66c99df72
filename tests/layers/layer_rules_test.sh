#!/usr/bin/env bash
# Runs the layering check on a small made-up tree: it must name every forbidden edge and no allowed one.
# Usage: layer_rules_test.sh PATH/TO/layer_rules.sh
set -u

check=$(realpath "$1")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/norra-layers.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# source FILE LINE...: writes a source file of the fixture.
source_file() {
  local file=$tmp/$1
  shift
  mkdir -p "$(dirname "$file")"
  printf '%s\n' "$@" >"$file"
}

# Allowed: down a row, within a layer, beside the file, the sideways edges, Qt in the views.
source_file src/text/Cp932.h '#include <string>'
source_file src/settings/Settings.h '#include "engine/TagTable.h"' '#include "text/Cp932.h"'
source_file src/documents/Page.cpp '#include "documents/Page.h"' '#include "settings/Settings.h"' \
  '#include "Local.h"'
source_file src/findreplace/DiskSearch.cpp '#include "groups/GroupFile.h"' '#include <queue>'
source_file src/app/MainWindow.cpp '  #  include "documents/PageList.h"' '#include "gtest/gtest.h"'
source_file src/gui/View.cpp '#include <QWidget>' '#include <Qsci/qsciscintilla.h>' \
  '#include "app/MainWindow.h"' '#include "documents/Page.h"'
source_file src/cli/common/Runner.cpp '#include "findreplace/DiskSearch.h"'
source_file src/engine/Driver.cpp '#include "platform/TextControl.h"' \
  'std::string_view text = control.TextView();' 'if (control.SelLength() > 0) Find(control);'
source_file tests/unit/app/MainWindowTest.cpp '#include "app/MainWindow.h"'
printf '%s\n' 'groups norra_groups norra_documents norra_settings' \
  'app norra_app norra_documents' 'gui norra_gui Qt6::Widgets QScintilla::QScintilla norra_app' \
  'cli norra-find norra_findreplace norra_cli_common' >"$tmp/links.txt"

out=$(bash "$check" "$tmp" "$tmp/links.txt")
status=$?
[ "$status" -eq 0 ] || fail "allowed edges refused (exit $status): $out"

# Forbidden: up a row, sideways against the table, between the views and the tools, Qt below the
# views, a relative path, a folder the table does not know; the same for links; an include of a
# layer that the including layer does not link.
source_file src/groups/Dialog.h '#include "app/FileListDialogPort.h"'
source_file src/engine/Tags.h '#include "settings/Settings.h"'
source_file src/gui/Tool.cpp '#include "cli/common/Runner.h"'
source_file src/documents/Pages.cpp '#include <QString>' '#include "../app/MainWindow.h"'
source_file tests/unit/text/CaseTest.cpp '#include <QtCore/QChar>'
source_file src/extras/Thing.h '#include "text/Cp932.h"'
source_file src/engine/Loud.cpp '#include "platform/Ui.h"' '  ui_.ShowMessageBox(text, 0, "");' \
  'void Run(Ui& ui);' '  control.SetSelection(0, 1);' '  page->ReplaceSelection(text);'
printf '%s\n' 'groups norra_groups norra_documents norra_app' 'engine norra_engine Qt6::Core' \
  'cli norra_cli_common norra_gui' 'findreplace norra_findreplace norra_engine' >>"$tmp/links.txt"

out=$(bash "$check" "$tmp" "$tmp/links.txt")
status=$?
[ "$status" -eq 1 ] || fail "forbidden edges: exit $status, wanted 1"
for want in 'src/groups/Dialog.h:1: groups must not include "app/FileListDialogPort.h"' \
  'src/engine/Tags.h:1: engine must not include "settings/Settings.h"' \
  'src/gui/Tool.cpp:1: gui must not include "cli/common/Runner.h"' \
  'src/documents/Pages.cpp:1: Qt header outside src/gui' \
  'src/documents/Pages.cpp:2: includes "../app/MainWindow.h" by a relative path' \
  'tests/unit/text/CaseTest.cpp:1: Qt header outside src/gui' \
  'src/extras: folder not in the layer table' \
  'norra_groups (groups) must not link norra_app (app)' \
  'norra_engine links Qt6::Core: only the Qt views link Qt' \
  'norra_cli_common (cli) must not link norra_gui (gui)' \
  'src/findreplace/DiskSearch.cpp:1: findreplace includes groups but does not link it' \
  'src/engine/Loud.cpp:1: engine uses the Ui port' \
  'src/engine/Loud.cpp:2: engine uses the Ui port' \
  'src/engine/Loud.cpp:3: engine uses the Ui port' \
  'src/engine/Loud.cpp:4: engine writes a text control' \
  'src/engine/Loud.cpp:5: engine writes a text control' \
  '17 layering violation(s)'; do
  case "$out" in *"$want"*) ;; *) fail "not reported: [$want]" ;; esac
done
[ "$(grep -c . <<<"$out")" -eq 18 ] || fail "more reported than the forbidden edges: $out"

[ "$failures" -eq 0 ] || exit 1
echo "all layering cases passed"
