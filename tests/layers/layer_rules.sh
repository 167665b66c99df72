#!/usr/bin/env bash
# Checks the layering: every #include of src/ and every link of a layer's library goes down, or
# along one of the few allowed edges between layers of one row; only the Qt views use Qt.
# Usage: layer_rules.sh SOURCE_ROOT [LINKS_FILE]
#   LINKS_FILE lines: "<layer> <target> <linked library>..." (written by the CMake configure).
set -u

root=$1
links=${2:-}

# Row of each folder of src/; a layer may use every layer of a lower row.
declare -A row=(
  [text]=0
  [platform]=1
  [engine]=2 [settings]=2 [documents]=2
  [app]=3 [findreplace]=3 [groups]=3 [printing]=3 [folderdialog]=3
  [gui]=4 [cli]=4
)
# Edges inside one row. They form no cycle, so no layer depends on itself through a neighbour.
declare -A sideways=(
  [settings:engine]=1     # the settings store keeps the tag symbols
  [documents:settings]=1  # Pages follow MaxLength, the views' settings and the recent files
  [findreplace:groups]=1  # disk search over a group's members
  [groups:printing]=1     # the print-all mode of the file-list dialog runs the print job
  [app:printing]=1        # the options dialog asks the print job for the printer's paper
)

violations=0
violation() {
  echo "$*"
  violations=$((violations + 1))
}

allowed() {  # FROM TO
  [ "$1" = "$2" ] || [ "${row[$2]}" -lt "${row[$1]}" ] || [ -n "${sideways[$1:$2]:-}" ]
}

for dir in "$root"/src/*/; do
  layer=$(basename "$dir")
  [ -n "${row[$layer]:-}" ] || violation "src/$layer: folder not in the layer table"
done

declare -A included  # from:to of each allowed include between layers, and where it is first
# Quoted includes name their layer as the first folder of the path.
while IFS=: read -r file line text; do
  rel=${file#"$root"/}
  from=${rel#src/}
  from=${from%%/*}
  [ -n "${row[$from]:-}" ] || continue
  [[ $text =~ \"([^\"]*)\" ]] || continue
  path=${BASH_REMATCH[1]}
  case "$path" in
    ../* | */../*) violation "$rel:$line: includes \"$path\" by a relative path"; continue ;;
    */*) to=${path%%/*} ;;
    *) continue ;;  # beside the including file
  esac
  if [ -z "${row[$to]:-}" ]; then
    [ -d "$root/src/$to" ] || continue  # not one of ours
    violation "$rel:$line: includes \"$path\" of a folder not in the layer table"
  elif ! allowed "$from" "$to"; then
    violation "$rel:$line: $from must not include \"$path\" ($to)"
  elif [ "$from" != "$to" ] && [ -z "${included[$from:$to]:-}" ]; then
    included[$from:$to]="$rel:$line"
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.cc' \
           '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/src")

# Qt stays in the views: no Qt header in the logic, the tools or the logic's unit tests.
qt='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Qt[A-Za-z]*/|Qsci/|Q[A-Za-z]*>|q[a-z]*\.h>)'
while IFS=: read -r file line text; do
  rel=${file#"$root"/}
  case "$rel" in src/gui/*) continue ;; esac
  violation "$rel:$line: Qt header outside src/gui: $text"
done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.cc' "$qt" \
           "$root/src" "$root/tests/unit" 2>/dev/null)

# The engine computes and returns: it talks to no user (the Ui port) and writes no text
# control; the windows and tools show its errors and apply its results.
ui_use='(#[[:space:]]*include[[:space:]]*"platform/(Ui|MemoryUi)\.h"|\<Ui[[:space:]]*[&*]|\<(ShowMessageBox|ProcessPendingEvents)[[:space:]]*\()'
control_write='(\.|->)[[:space:]]*(SetSelection|SetSelectionBackwards|ReplaceSelection|ResetText|SetModified|ScrollCaret|SuspendPainting|ResumePainting|LimitText|SetWordWrap|SetWantTabs|SetTabWidth|ResetCaretColumn|SetEvents)[[:space:]]*\('
while IFS=: read -r file line text; do
  violation "${file#"$root"/}:$line: engine uses the Ui port: $text"
done < <(grep -rnE --include='*.h' --include='*.cpp' "$ui_use" "$root/src/engine" 2>/dev/null)
while IFS=: read -r file line text; do
  violation "${file#"$root"/}:$line: engine writes a text control: $text"
done < <(grep -rnE --include='*.h' --include='*.cpp' "$control_write" "$root/src/engine" 2>/dev/null)

if [ -n "$links" ]; then
  declare -A linked layers_linked
  while read -r from target libs; do
    [ -n "$from" ] || continue
    layers_linked[$from]=1
    for lib in $libs; do
      case "$lib" in
        Qt6::* | QScintilla::*)
          [ "$from" = gui ] || violation "$target links $lib: only the Qt views link Qt" ;;
        norra_*)
          to=${lib#norra_}
          to=${to%%_*}  # norra_cli_common is the tools' own code
          if [ -z "${row[$to]:-}" ]; then
            violation "$target links $lib, which is not in the layer table"
          elif ! allowed "$from" "$to"; then
            violation "$target ($from) must not link $lib ($to)"
          elif [ "$from" != "$to" ]; then
            linked[$from]+=" $to"
          fi
          ;;
      esac
    done
  done <"$links"

  # A layer includes only layers its libraries link, directly or through the layers they link.
  reach() {  # LAYER: prints the layers reached, each between spaces
    local seen=" " todo=("$1") layer next
    while [ ${#todo[@]} -gt 0 ]; do
      layer=${todo[0]}
      todo=("${todo[@]:1}")
      for next in ${linked[$layer]:-}; do
        case "$seen" in *" $next "*) continue ;; esac
        seen+="$next "
        todo+=("$next")
      done
    done
    echo "$seen"
  }
  for edge in "${!included[@]}"; do
    from=${edge%%:*}
    to=${edge#*:}
    [ -n "${layers_linked[$from]:-}" ] || continue  # none of its libraries is in this build
    case "$(reach "$from")" in
      *" $to "*) ;;
      *) violation "${included[$edge]}: $from includes $to but does not link it" ;;
    esac
  done
fi

if [ "$violations" -ne 0 ]; then
  echo "$violations layering violation(s)"
  exit 1
fi
echo "layering holds"
