#!/usr/bin/env bash
# Screenshots of the program's windows under Xvfb, in the project prefix,
# to check layout and the Japanese text: build/screenshots/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh windows Rivano unlha32 unzip32 unarj32j tar32 cab32 unrar32 >/dev/null
source scripts/wine-env.sh
start_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
prepare_prefix "$root/wineprefix"
install_dir="$WINEPREFIX/drive_c/Program Files/Rivano"
mkdir -p "$install_dir" build/screenshots
cp build/windows/bin/Rivano.exe build/windows/bin/*.dll "$install_dir/"
exe='C:\Program Files\Rivano\Rivano.exe'

shoot() {  # name, seconds to wait
  sleep "$2"
  import -window root "build/screenshots/$1.png"
  echo "build/screenshots/$1.png"
}

# The main window with its random picture in the preview.
wine "$exe" &
shoot main 6
xdotool key --clearmodifiers shift+Escape 2>/dev/null || true
wineserver -k; sleep 1

# The command-line worker's error dialog for a file that is no picture.
printf 'no picture' >"$WINEPREFIX/drive_c/broken.jpg"
wine "$exe" 'C:\broken.jpg' &
shoot dropwork_error 4
wineserver -k
