#!/usr/bin/env bash
# Screenshots of the program's windows under Xvfb, in the project prefix,
# to check layout and the Japanese text: build/screenshots/*.png. The main
# window alone, cut out of the screen and compressed, also goes to
# docs/main-window.png, the picture the README shows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
source scripts/wine-env.sh
start_display
trap 'wineserver -k 2>/dev/null || true; stop_display' EXIT
prepare_prefix "$root/wineprefix"
install_program
bash scripts/build.sh windows rivano_screen_driver >/dev/null
driver="$root/build/windows/bin/rivano_screen_driver.exe"
mkdir -p build/screenshots
exe='C:\Program Files\Rivano\Rivano.exe'

shoot() {  # name, seconds to wait
  sleep "$2"
  import -window root "build/screenshots/$1.png"
  echo "build/screenshots/$1.png"
}

# The main window with its random picture in the preview.
wine "$exe" &
sleep 5
wine "$driver" away
shoot main 1
# Nothing but the window lies on the empty screen, so trimming the screen's
# colour leaves the window with its frame.
mkdir -p docs
convert build/screenshots/main.png -trim +repage -strip -define png:compression-level=9 \
  -define png:compression-filter=5 docs/main-window.png
echo "docs/main-window.png"
xdotool key --clearmodifiers shift+Escape 2>/dev/null || true
wineserver -k; sleep 1

# The main window's states: the Shift mode, each tiling mode, the widened
# list, the plain list view.
wine "$exe" &
sleep 6
wine "$driver" shift
shoot main_shift 2
wine "$driver" unshift
for mode in 0 1 2; do
  wine "$driver" "tile$mode"
  shoot "main_tile$mode" 2
done
wine "$driver" widen
shoot main_wide 2
wine "$driver" widen
wine "$driver" plainlist
shoot main_plainlist 2
wineserver -k; sleep 1

# The command-line worker's error dialog for a file that is no picture.
printf 'no picture' >"$WINEPREFIX/drive_c/broken.jpg"
wine "$exe" 'C:\broken.jpg' &
shoot dropwork_error 4
wineserver -k

# The options dialog, one shot per tab.
wine "$exe" /N &
sleep 6
wine "$driver" options
shoot options_1 3
for tab in 2 3 4 5 6; do
  wine "$driver" tab
  shoot "options_$tab" 2
done
wineserver -k

# The version dialog, as its menu command opens it.
wine "$exe" /N &
sleep 6
wine "$driver" about
shoot about 3
wineserver -k
