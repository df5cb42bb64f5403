# Shared by the run and test commands: a virtual display and Wine prefixes
# set up like a Japanese Windows. Source it; it defines functions only.

# Mono and Gecko installers would stop the boot with a dialog; menu entries
# for the host desktop are not wanted either.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Starts Xvfb on a free display unless DISPLAY already works; exports DISPLAY.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

stop_display() {
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}

# Creates (or refreshes) the prefix in $1 and maps the Japanese UI fonts to
# the IPA fonts Debian ships.
prepare_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  if ! grep -q 'IPAPGothic' "$WINEPREFIX/user.reg" 2>/dev/null; then
    local face
    for face in "MS UI Gothic" "MS PGothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Meiryo UI" \
                "ＭＳ Ｐゴシック" "ＭＳ ＵＩ Ｇｏｔｈｉｃ"; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic /f >/dev/null 2>&1
    done
    for face in "MS Gothic" "ＭＳ ゴシック"; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1
    done
    # Without a window manager Wine draws the title bars itself, so that
    # screenshots show the captions.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
  fi
  # The title bars' minimise, maximise and close glyphs come from Wine's
  # symbol font; Debian's Wine does not put it into a new prefix, and
  # without it the buttons show the letters "0 1 r". Wine's other fonts stay
  # out: a present Tahoma would win over the Japanese replacement above.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# A Linux path as Wine's Z: drive sees it.
wine_path() {
  printf 'Z:%s' "$(realpath -m "$1" | tr '/' '\\')"
}

# Builds the program and its archiver libraries and installs them in the
# prefix's "C:\Program Files\Rivano", as a setup program would; sets
# install_dir to that folder.
install_program() {
  local libraries
  mapfile -t libraries < <(bash "$root/scripts/archiver-libraries.sh")
  bash "$root/scripts/build.sh" windows Rivano "${libraries[@]}" >/dev/null
  install_dir="$WINEPREFIX/drive_c/Program Files/Rivano"
  mkdir -p "$install_dir"
  cp "$root"/build/windows/bin/Rivano.exe "$root"/build/windows/bin/*.dll "$install_dir/"
}
