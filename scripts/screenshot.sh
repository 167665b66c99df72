#!/usr/bin/env bash
# Takes docs/screenshot.png: Norra on a virtual screen with three Japanese files, tiled.
# Usage: scripts/screenshot.sh [path/to/norra]   (default: builds build-run like run.sh)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" imagemagick
norra="${1:-}"
[ -n "$norra" ] && norra="$(realpath "$norra")"
if [ -z "$norra" ]; then
  cmake -S "$root" -B "$root/build-run" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNORRA_BUILD_BENCH=OFF >/dev/null
  cmake --build "$root/build-run" --target norra -j2
  norra="$root/build-run/src/gui/norra"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/norra" "$work/files"

# Three CP932 files with CR LF line breaks.
to_cp932() { sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$1"; }
to_cp932 "$work/files/日記.txt" <<'TEXT'
2026年12月7日（月）　晴れ

朝から冷え込んだ。駅までの道で霜柱を踏んだ。
午後は図書館で資料を探し、夕方に原稿を二枚書いた。
	明日の予定：
	・打ち合わせ（10時）
	・校正刷りの確認
TEXT
to_cp932 "$work/files/memo.txt" <<'TEXT'
買い物メモ
  - 牛乳　２本
  - 食パン
  - ﾊﾝｶｸｶﾀｶﾅのﾃｽﾄ
  - ①②③ と ≒ ∵ ∫
TEXT
to_cp932 "$work/files/readme.txt" <<'TEXT'
設定ファイルの説明
==================
[Vision]
FontName=ＭＳ ゴシック
FontSize=11
ToolBar=1
StatusBar=1
TEXT

# A settings file of this version with a roomy window.
printf '[Norra]\r\nIniVersion=3500\r\n[Window]\r\nTop=0\r\nLeft=0\r\nWidth=1000\r\nHeight=700\r\n' \
  > "$work/config/norra/Norra.ini"

mkdir -p "$root/docs"
export XDG_CONFIG_HOME="$work/config" NORRA_AUTOMATION_ITEMS="mnuTileChildrenV"
xvfb-run -a -s "-screen 0 1000x700x24" bash -c '
  cd "$1/files"
  "$2" 日記.txt memo.txt readme.txt &
  pid=$!
  sleep 4
  import -window root "$3"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' screenshot "$work" "$norra" "$root/docs/screenshot.png"
echo "wrote $root/docs/screenshot.png"
