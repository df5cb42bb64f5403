#!/usr/bin/env bash
# The setup program run silently by a standard user, then the program it
# installed, then its uninstaller, all as that user in a prefix of the
# user's own whose "Program Files" folders and "windows" folder belong to
# root and cannot be written by the user.
#
# Faithful to Windows: a standard user cannot write the program folders or
# the Windows folder, and the setup asks for no elevation, so on Windows it
# runs with exactly these rights; a setup that wrote there would fail here
# as it would there. What it cannot show: the elevation prompt (Wine has
# none), real NTFS access lists, and a protected HKEY_LOCAL_MACHINE: Wine
# keeps the whole registry in its server, where Unix rights do not reach,
# so the machine's registry is compared before and after instead.
#
# Usage: installer_standard_user.sh <folder holding Rivano-<version>-setup.exe>
# Exit code 77 (skipped) only when it cannot run the setup as another
# user: neither root nor password-less sudo, or no runuser.
set -euo pipefail
setups=("$1"/Rivano-*-setup.exe)
[ ${#setups[@]} -eq 1 ] && [ -f "${setups[0]}" ] || { echo "FAIL: not one setup program in $1" >&2; exit 1; }
setup_name=$(basename "${setups[0]}")
version=${setup_name#Rivano-}
version=${version%-setup.exe}
source "$(dirname "$0")/standard_user.sh"
begin_standard_user rivano-standard-setup
user=$standard_user

as_root mkdir -p "$work/pictures"
as_root cp "${setups[0]}" "$work/"
make_bitmap 40 30 0 0 255 | as_root tee "$work/pictures/a.bmp" >/dev/null
as_root chmod -R a+rX "$work"

# What a standard user may not write.
protected=()
for folder in "Program Files" "Program Files (x86)" windows; do
  [ -d "$prefix/drive_c/$folder" ] || continue
  protected+=("$prefix/drive_c/$folder")
  as_root chown -R root: "$prefix/drive_c/$folder"
  as_root chmod -R go-w "$prefix/drive_c/$folder"
  if as_user touch "$prefix/drive_c/$folder/probe" 2>/dev/null; then
    echo "FAIL: the user can write C:\\$folder; the test would show nothing" >&2
    exit 1
  fi
done
machine_registry() {
  as_user wine reg export 'HKLM\Software' "$(windows_path "$work/home/$1.reg")" /y >/dev/null 2>&1
  # Wine keeps the time of its own last font scan there.
  iconv -f UTF-16LE -t UTF-8 "$work/home/$1.reg" | tr -d '\r' | grep -v -i 'fontcache\|^"LastFontCache"'
}
machine_before=$(machine_registry before)
as_root touch "$work/marker"

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Rivano'
# A folder the user cannot write, chosen as a standard user may choose it:
# the setup must say it failed and register nothing that would point at
# files that are not there. (A failing setup may wait for someone to answer
# a box, hence the time limit. "/D=" must come last and unquoted, so the
# folder has no space in its name.)
code=0
as_user timeout -k 5 120 wine "$(windows_path "$work/$setup_name")" /S '/D=C:\windows\Rivano' || code=$?
as_user wineserver -w
[ "$code" -eq 2 ] ||
  fail "the silent setup into C:\windows\Rivano ended with exit code $code, not 2 (124: still running after two minutes)"
if as_user wine reg query "$uninstall_key" >/dev/null 2>&1; then
  fail "the setup that could not write its files registered them among the installed programs"
  as_user wine reg delete "$uninstall_key" /f >/dev/null 2>&1
fi
links=$(as_root find "$prefix/drive_c/users/$user" -iname Rivano.lnk)
[ -z "$links" ] || fail "the setup that could not write its files made shortcuts: $links"
as_root find "$prefix/drive_c/users/$user" -iname Rivano.lnk -delete

as_user timeout -k 5 120 wine "$(windows_path "$work/$setup_name")" /S ||
  fail "the silent setup ended with exit code $? (124: still running after two minutes)"
as_user wineserver -w

written=$(as_root find "${protected[@]}" -newer "$work/marker" | head -5)
[ -z "$written" ] || fail "the setup wrote into the protected folders: $written"
[ "$(machine_registry after)" = "$machine_before" ] || fail "the setup changed HKEY_LOCAL_MACHINE\\Software"

local_data=$(as_user wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
install="$local_data\\Programs\\Rivano"
folder=$prefix/drive_c/users/$user/AppData/Local/Programs/Rivano
shell_folder() {
  as_user winepath -u "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' "$1")"
}
programs=$(shell_folder Programs)
startup=$(shell_folder StartUp)
[ -d "$programs" ] && [ -d "$startup" ] || fail "the shell names no Start menu or Startup folder"
expected="Readme-en.txt Readme-ja.txt Rivano.exe cab32.dll tar32.dll unarj32j.dll unlha32.dll unrar32.dll unzip32.dll uninstall.exe"
expected=$(printf '%s\n' $expected | sort | xargs)
[ "$(as_root ls "$folder" 2>/dev/null | sort | xargs)" = "$expected" ] ||
  fail "the program's folder $folder holds \"$(as_root ls "$folder" 2>/dev/null | xargs)\""
[ -f "$programs/Rivano.lnk" ] || fail "no Rivano.lnk in the user's Start menu"
[ -f "$startup/Rivano.lnk" ] || fail "no Rivano.lnk in the user's Startup folder"

check_entry() {
  [ "$(reg_value "$uninstall_key" "$1")" = "$2" ] ||
    fail "the Uninstall key's $1 is \"$(reg_value "$uninstall_key" "$1")\", expected \"$2\""
}
check_entry DisplayName Rivano
check_entry DisplayVersion "$version"
check_entry Publisher Velmorat
check_entry InstallLocation "$install"
check_entry UninstallString "\"$install\\uninstall.exe\""
check_entry QuietUninstallString "\"$install\\uninstall.exe\" /S"
check_entry NoModify 0x1

# The installed program's logon run, with a folder of one picture.
settings='HKCU\Software\Velmorat\Rivano'
as_user wine reg add "$settings\\WallList" /v Count /d 1 /f >/dev/null
as_user wine reg add "$settings\\WallList" /v List1 /d "$(windows_path "$work/pictures")" /f >/dev/null
as_user wine reg add "$settings\\WallList" /v LSelect1 /d True /f >/dev/null
as_user wine reg add 'HKCU\Control Panel\desktop' /v Wallpaper /d "" /f >/dev/null
as_user timeout -k 5 60 wine "$install\\Rivano.exe" /S ||
  fail "the installed Rivano.exe /S ended with exit code $? (124: still running after a minute)"
as_user wineserver -w
wallpaper=$(reg_value 'HKCU\Control Panel\desktop' Wallpaper)
bitmap=$(as_user winepath -u "$wallpaper" 2>/dev/null || true)
[ -n "$wallpaper" ] && [ -f "$bitmap" ] && [ "$(picture_size "$bitmap")" = 40x30 ] ||
  fail "after /S the desktop's Wallpaper is \"$wallpaper\", not the picture's bitmap"

# The uninstaller hands its work to a copy of itself in the temporary
# folder and ends at once; the Uninstall key goes last but for the folder.
as_user timeout -k 5 60 wine "$install\\uninstall.exe" /S || fail "uninstall.exe /S ended with exit code $?"
for ((tries = 0; tries < 120; tries++)); do
  as_user wine reg query "$uninstall_key" >/dev/null 2>&1 || break
  sleep 0.5
done
as_user wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the Uninstall key is still there after a minute"
left=$(as_root ls "$folder" 2>/dev/null | grep -vx 'Rivano.bmp' | xargs || true)
[ -z "$left" ] || fail "left in the program's folder: $left"
[ ! -e "$programs/Rivano.lnk" ] || fail "the Start menu's Rivano.lnk is still there"
[ ! -e "$startup/Rivano.lnk" ] || fail "the Startup folder's Rivano.lnk is still there"
[ "$(reg_value "$settings\\WallList" List1)" = "$(windows_path "$work/pictures")" ] ||
  fail "the quiet uninstall did not keep the settings"

[ "$failures" -eq 0 ] || exit 1
echo "a standard user installed, ran and uninstalled $setup_name in $install"
