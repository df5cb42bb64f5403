#!/usr/bin/env bash
# The program's main job on a project-local Wine prefix set up like a
# Japanese Windows: installs what is missing, builds the program, puts
# sample wallpapers in the prefix's Windows folder, runs the logon change
# ("/S": a random picture of a random checked source becomes the wallpaper)
# and prints what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh

source scripts/wine-env.sh
start_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
prepare_prefix "$root/wineprefix"

windows="$WINEPREFIX/drive_c/windows"
# Sample wallpapers, as a Windows install keeps them in its own folder.
[ -f "$windows/Rivano Sky.bmp" ] || convert -size 800x600 gradient:'#87CEEB'-'#1E3A8A' "$windows/Rivano Sky.bmp"
[ -f "$windows/Rivano Sea.jpg" ] || convert -size 1024x768 gradient:'#E0F7FA'-'#006064' -quality 90 "$windows/Rivano Sea.jpg"
[ -f "$windows/Rivano Tiles.gif" ] || convert -size 64x64 pattern:checkerboard "$windows/Rivano Tiles.gif"

install_program

bitmap="$install_dir/Rivano.bmp"
before=$(stat -c %Y "$bitmap" 2>/dev/null || echo none)
# Logon's job: a random checked source, a random picture in it, the
# wallpaper written, without a window. The first run registers the Windows
# folder, which holds the samples.
echo "Running Rivano.exe /S ..."
wine 'C:\Program Files\Rivano\Rivano.exe' /S
wineserver -w

reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
}
if [ ! -f "$bitmap" ] || [ "$(stat -c %Y "$bitmap")" = "$before" ]; then
  echo "No wallpaper was written (no checked source with pictures?)." >&2
  exit 1
fi
walllist='HKCU\Software\Velmorat\Rivano\WallList'
count=0
while [ -n "$(reg_value "$walllist" "Rireki$count")" ]; do count=$((count + 1)); done
newest=$(reg_value "$walllist" "Rireki$((count - 1))")
read -r width height < <(od -An -t d4 -j 18 -N 8 "$bitmap")
echo "Source chosen:   ${newest%\\*}"
echo "Picture chosen:  ${newest##*\\}"
echo "Bitmap written:  C:\\Program Files\\Rivano\\Rivano.bmp, ${width} x ${height} pixels ($(stat -c %s "$bitmap") bytes)"
echo "Wallpaper:       $(reg_value 'HKCU\Control Panel\Desktop' Wallpaper)"
echo "TileWallpaper:   $(reg_value 'HKCU\Control Panel\Desktop' TileWallpaper)"
echo "History ($count):"
for k in $(seq 0 $((count - 1))); do echo "  Rireki$k = $(reg_value "$walllist" "Rireki$k")"; done
