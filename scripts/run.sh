#!/usr/bin/env bash
# The program's main job on a project-local Wine prefix set up like a
# Japanese Windows: installs what is missing, builds the program, puts
# sample wallpapers in the prefix's Windows folder, applies one through the
# command line (as when a picture is dropped on the program's shortcut) and
# prints what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh windows Rivano unlha32 unzip32 unarj32j tar32 cab32 unrar32 >/dev/null

source scripts/wine-env.sh
start_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
prepare_prefix "$root/wineprefix"

windows="$WINEPREFIX/drive_c/windows"
# Sample wallpapers, as a Windows install keeps them in its own folder.
[ -f "$windows/Rivano Sky.bmp" ] || convert -size 800x600 gradient:'#87CEEB'-'#1E3A8A' "$windows/Rivano Sky.bmp"
[ -f "$windows/Rivano Sea.jpg" ] || convert -size 1024x768 gradient:'#E0F7FA'-'#006064' -quality 90 "$windows/Rivano Sea.jpg"
[ -f "$windows/Rivano Tiles.gif" ] || convert -size 64x64 pattern:checkerboard "$windows/Rivano Tiles.gif"

install_dir="$WINEPREFIX/drive_c/Program Files/Rivano"
mkdir -p "$install_dir"
cp build/windows/bin/Rivano.exe "$install_dir/"
for dll in build/windows/bin/*.dll; do [ -e "$dll" ] && cp "$dll" "$install_dir/"; done

picture='C:\windows\Rivano Tiles.gif'
bitmap="$install_dir/Rivano.bmp"
before=$(stat -c %Y "$bitmap" 2>/dev/null || echo none)
echo "Applying $picture through the command line ..."
wine 'C:\Program Files\Rivano\Rivano.exe' "$picture"
wineserver -w

desktop_value() {
  wine reg query 'HKCU\Control Panel\Desktop' /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}
if [ ! -f "$bitmap" ] || [ "$(stat -c %Y "$bitmap")" = "$before" ]; then
  echo "The wallpaper bitmap was not written." >&2
  exit 1
fi
read -r width height < <(od -An -t d4 -j 18 -N 8 "$bitmap")
echo "Bitmap written:  C:\\Program Files\\Rivano\\Rivano.bmp ($(stat -c %s "$bitmap") bytes)"
echo "Size in pixels:  ${width} x ${height}"
echo "Wallpaper:       $(desktop_value Wallpaper)"
echo "TileWallpaper:   $(desktop_value TileWallpaper)"
