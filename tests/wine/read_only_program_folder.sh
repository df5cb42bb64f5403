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
# Exit code 77 (skipped) only when it cannot run the program as another
# user: neither root nor password-less sudo, or no runuser.
set -euo pipefail
bin=$1
source "$(dirname "$0")/standard_user.sh"
begin_standard_user rivano-read-only
user=$standard_user

# The program's folder: root's, readable and runnable by everyone.
as_root mkdir -p "$work/program" "$work/pictures"
as_root cp "$bin/Rivano.exe" "$work/program/"
as_root chmod -R a+rX,go-w "$work/program"
make_bitmap 40 30 0 0 255 | as_root tee "$work/pictures/a.bmp" >/dev/null
make_bitmap 64 48 0 255 0 | as_root tee "$work/pictures/b.bmp" >/dev/null
as_root chmod -R a+rX "$work/pictures"

if as_user touch "$work/program/probe" 2>/dev/null; then
  echo "FAIL: the user can write the program's folder; the test would show nothing" >&2
  exit 1
fi

exe=$(windows_path "$work/program/Rivano.exe")
settings='HKCU\Software\Velmorat\Rivano'
as_user wine reg add "$settings\\WallList" /v Count /d 1 /f >/dev/null
as_user wine reg add "$settings\\WallList" /v List1 /d "$(windows_path "$work/pictures")" /f >/dev/null
as_user wine reg add "$settings\\WallList" /v LSelect1 /d True /f >/dev/null
as_user wine reg add 'HKCU\Control Panel\desktop' /v Wallpaper /d "" /f >/dev/null

local_data=$(as_user wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
expected="$local_data\\Rivano\\Rivano.bmp"
bitmap="$prefix/drive_c/users/$user/AppData/Local/Rivano/Rivano.bmp"
# The logon run.
# A run that fails shows an error box and waits for someone to close it.
run() { as_user timeout -k 5 60 wine "$@"; }
run "$exe" /S || fail "/S ended with exit code $? (124: still waiting after a minute)"
as_user wineserver -w
[ "$(reg_value 'HKCU\Control Panel\desktop' Wallpaper)" = "$expected" ] ||
  fail "/S: Wallpaper is \"$(reg_value 'HKCU\Control Panel\desktop' Wallpaper)\", expected \"$expected\""
[ -f "$bitmap" ] || fail "/S: no bitmap in the user's local application data ($bitmap)"
[ -f "$bitmap" ] && case $(picture_size "$bitmap") in 40x30 | 64x48) ;; *) fail "/S: the bitmap is $(picture_size "$bitmap")" ;; esac
case $(reg_value "$settings\\WallList" Rireki0) in
  "$(windows_path "$work/pictures")"\\?.bmp) ;;
  *) fail "/S: the history holds \"$(reg_value "$settings\\WallList" Rireki0)\"" ;;
esac
[ ! -e "$work/program/UnPakTmp" ] || fail "/S: an extraction folder appeared in the program's folder"

# A picture given on the command line, as one dropped on the shortcut.
as_user wine reg add 'HKCU\Control Panel\desktop' /v Wallpaper /d "" /f >/dev/null
as_root rm -f "$bitmap"
run "$exe" "$(windows_path "$work/pictures/b.bmp")" ||
  fail "the picture run ended with exit code $? (124: still waiting after a minute)"
as_user wineserver -w
[ "$(reg_value 'HKCU\Control Panel\desktop' Wallpaper)" = "$expected" ] ||
  fail "picture: Wallpaper is \"$(reg_value 'HKCU\Control Panel\desktop' Wallpaper)\", expected \"$expected\""
[ -f "$bitmap" ] && [ "$(picture_size "$bitmap")" = 64x48 ] || fail "picture: b.bmp was not written to $bitmap"

ls "$work/program" | grep -qv '^Rivano.exe$' && fail "files appeared in the program's folder: $(ls "$work/program")"
[ "$failures" -eq 0 ] || exit 1
echo "read-only program folder: /S and the command-line picture wrote $expected"
