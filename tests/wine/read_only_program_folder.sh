#!/usr/bin/env bash
# The program run by a standard user from a folder that user cannot write,
# as a zip unpacked into "C:\Program Files" by an administrator leaves it:
# the logon run "/S" and a picture given on the command line must still
# change the wallpaper, writing the bitmap into the user's local
# application data and naming that file in the desktop's "Wallpaper".
#
# Wine runs as root in the other tests, and root may write anywhere. Here a
# Unix user of its own ("rivano-standard", made when missing) runs Wine in a
# prefix of its own, and the program's folder belongs to root with no write
# permission for others.
#
# Usage: read_only_program_folder.sh <bin folder>
# Exit code 77 (skipped) only when neither root nor password-less sudo is
# at hand to run the program as another user.
set -euo pipefail
bin=$1
user=rivano-standard

if [ "$(id -u)" -eq 0 ]; then
  as_root() { "$@"; }
elif sudo -n true 2>/dev/null; then
  as_root() { sudo -n "$@"; }
else
  echo "SKIPPED: running a program as another user needs root or password-less sudo" >&2
  exit 77
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "read_only_program_folder: DISPLAY must name the tests' display (see scripts/test.sh)" >&2
  exit 2
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

id -u "$user" >/dev/null 2>&1 || as_root useradd --no-create-home --shell /usr/sbin/nologin "$user"

work=$(as_root mktemp -d /tmp/rivano-read-only.XXXXXX)
prefix=$work/prefix
as_user() {
  as_root runuser -u "$user" -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" USER="$user" \
    DISPLAY="$DISPLAY" WINEPREFIX="$prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d" "$@"
}
cleanup() {
  as_user wineserver -k 2>/dev/null || true
  as_root rm -rf "$work"
}
trap cleanup EXIT

# The program's folder: root's, readable and runnable by everyone.
as_root chmod 755 "$work"
as_root mkdir -p "$work/program" "$work/pictures"
as_root cp "$bin/Rivano.exe" "$work/program/"
as_root chmod -R a+rX,go-w "$work/program"
python3 - "$work" <<'EOF'
import struct, sys
# Two small 24-bit BMP pictures of different sizes, each one colour.
def bmp(path, w, h, bgr):
    row = (bytes(bgr) * w).ljust((w * 3 + 3) // 4 * 4, b"\0")
    pixels = row * h
    head = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    open(path, "wb").write(head + info + pixels)
bmp(sys.argv[1] + "/a.bmp", 40, 30, (0, 0, 255))
bmp(sys.argv[1] + "/b.bmp", 64, 48, (0, 255, 0))
EOF
as_root mv "$work/a.bmp" "$work/b.bmp" "$work/pictures/"
as_root chmod -R a+rX "$work/pictures"
as_root mkdir -p "$work/home" "$prefix"
as_root chown "$user" "$work/home" "$prefix"

if as_user touch "$work/program/probe" 2>/dev/null; then
  echo "FAIL: the user can write the program's folder; the test would show nothing" >&2
  exit 1
fi

as_user wineboot -i >/dev/null 2>&1
as_user wineserver -w

windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
exe=$(windows_path "$work/program/Rivano.exe")
settings='HKCU\Software\Velmorat\Rivano'
as_user wine reg add "$settings\\WallList" /v Count /d 1 /f >/dev/null
as_user wine reg add "$settings\\WallList" /v List1 /d "$(windows_path "$work/pictures")" /f >/dev/null
as_user wine reg add "$settings\\WallList" /v LSelect1 /d True /f >/dev/null
as_user wine reg add 'HKCU\Control Panel\desktop' /v Wallpaper /d "" /f >/dev/null

value() {
  as_user wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
local_data=$(as_user wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
expected="$local_data\\Rivano\\Rivano.bmp"
bitmap="$prefix/drive_c/users/$user/AppData/Local/Rivano/Rivano.bmp"
picture_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(26); print("%dx%d" % struct.unpack("<ii", d[18:26]) if d[:2] == b"BM" else "not a bitmap")' "$1"; }

# The logon run.
# A run that fails shows an error box and waits for someone to close it.
run() { as_user timeout -k 5 60 wine "$@"; }
run "$exe" /S || fail "/S ended with exit code $? (124: still waiting after a minute)"
as_user wineserver -w
[ "$(value 'HKCU\Control Panel\desktop' Wallpaper)" = "$expected" ] ||
  fail "/S: Wallpaper is \"$(value 'HKCU\Control Panel\desktop' Wallpaper)\", expected \"$expected\""
[ -f "$bitmap" ] || fail "/S: no bitmap in the user's local application data ($bitmap)"
[ -f "$bitmap" ] && case $(picture_size "$bitmap") in 40x30 | 64x48) ;; *) fail "/S: the bitmap is $(picture_size "$bitmap")" ;; esac
case $(value "$settings\\WallList" Rireki0) in
  "$(windows_path "$work/pictures")"\\?.bmp) ;;
  *) fail "/S: the history holds \"$(value "$settings\\WallList" Rireki0)\"" ;;
esac
[ ! -e "$work/program/UnPakTmp" ] || fail "/S: an extraction folder appeared in the program's folder"

# A picture given on the command line, as one dropped on the shortcut.
as_user wine reg add 'HKCU\Control Panel\desktop' /v Wallpaper /d "" /f >/dev/null
as_root rm -f "$bitmap"
run "$exe" "$(windows_path "$work/pictures/b.bmp")" ||
  fail "the picture run ended with exit code $? (124: still waiting after a minute)"
as_user wineserver -w
[ "$(value 'HKCU\Control Panel\desktop' Wallpaper)" = "$expected" ] ||
  fail "picture: Wallpaper is \"$(value 'HKCU\Control Panel\desktop' Wallpaper)\", expected \"$expected\""
[ -f "$bitmap" ] && [ "$(picture_size "$bitmap")" = 64x48 ] || fail "picture: b.bmp was not written to $bitmap"

ls "$work/program" | grep -qv '^Rivano.exe$' && fail "files appeared in the program's folder: $(ls "$work/program")"
[ "$failures" -eq 0 ] || exit 1
echo "read-only program folder: /S and the command-line picture wrote $expected"
