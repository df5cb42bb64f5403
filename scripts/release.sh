#!/usr/bin/env bash
# Makes the packages users download: dist/Rivano-<version>.zip with the
# program, its six archiver libraries (release build, stripped) and the
# user's guide in Japanese (Shift_JIS, CRLF, as Notepad opens it) and in
# English; dist/Rivano-<version>-setup.exe, a per-user setup program of the
# same files (installer/rivano.nsi); and beside each its SHA-256 in
# sha256sum's format.
#
#   bash scripts/release.sh                   set-up, Windows build, package in dist/
#   bash scripts/release.sh --from BIN OUT    package the files already built in BIN into OUT
#
# The version in the name is read from the built program's version
# resource. The same commit gives the same packages: every file carries the
# commit's time, the zip holds no owner or extra attributes, and the setup
# program keeps the files' times and nothing of the machine that made it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

mapfile -t libraries < <(bash "$root/scripts/archiver-libraries.sh")
if [ "${1:-}" = --from ]; then
  [ $# -eq 3 ] || { echo "usage: release.sh [--from <bin folder> <output folder>]" >&2; exit 2; }
  bin=$(realpath "$2")
  out=$(realpath -m "$3")
else
  [ $# -eq 0 ] || { echo "usage: release.sh [--from <bin folder> <output folder>]" >&2; exit 2; }
  bash "$root/scripts/setup.sh"
  bash "$root/scripts/build.sh" windows Rivano "${libraries[@]}" >/dev/null
  bin=$root/build/windows/bin
  out=$root/dist
fi

fail() { echo "release: $*" >&2; exit 1; }

programs=(Rivano.exe)
for name in "${libraries[@]}"; do programs+=("$name.dll"); done
for file in "${programs[@]}"; do
  [ -f "$bin/$file" ] || fail "$bin/$file is missing (build it first)"
done

version=$(python3 "$root/scripts/pe_version.py" "$bin/Rivano.exe") || fail "no version in Rivano.exe"
package=Rivano-$version
mkdir -p "$out"
stage=$(mktemp -d "$out/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# The system libraries a Windows installation has; anything else the
# program needed would be missing on the user's machine.
system_dlls=" advapi32.dll cabinet.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll windowscodecs.dll winmm.dll "
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 946684800)
for file in "${programs[@]}"; do
  i686-w64-mingw32-strip --strip-all -o "$stage/$file" "$bin/$file"
  python3 "$root/scripts/pe_stamp.py" "$stage/$file" "$stamp"
  if i686-w64-mingw32-objdump -h "$stage/$file" | grep -q '\.debug'; then
    fail "$file still holds debug information after stripping"
  fi
  while read -r dll; do
    case "$system_dlls" in
      *" ${dll,,} "*) ;;
      *) fail "$file needs $dll, which Windows does not have" ;;
    esac
  done < <(i686-w64-mingw32-objdump -p "$stage/$file" | sed -n 's/^\s*DLL Name: //p')
done

# The guides are kept as UTF-8. The Japanese one goes out in Shift_JIS
# (Windows code page 932), which Notepad on a Japanese Windows reads; a
# character the code page lacks stops the release instead of turning into a
# question mark. The English one names the Japanese captions too, so it goes
# out as UTF-8 with a byte-order mark, which Notepad reads on any Windows.
for lang in ja en; do
  source_file=$root/release/guide-$lang.txt
  target=$stage/Readme-$lang.txt
  with_crlf() { sed "s/@VERSION@/$version/g; s/\$/\r/" "$source_file"; }
  if [ "$lang" = ja ]; then
    with_crlf | iconv -f UTF-8 -t CP932 >"$target" \
      || fail "release/guide-ja.txt holds a character outside Shift_JIS (code page 932)"
  else
    { printf '\xEF\xBB\xBF'; with_crlf; } >"$target"
  fi
done
files=("${programs[@]}" Readme-ja.txt Readme-en.txt)

for file in "${files[@]}"; do
  chmod 0644 "$stage/$file"
  touch -d "@$stamp" "$stage/$file"
done
# A package of an earlier version would look current beside this one.
rm -f "$out"/Rivano-*.zip "$out"/Rivano-*.zip.sha256 "$out"/Rivano-*-setup.exe "$out"/Rivano-*-setup.exe.sha256
(cd "$stage" && TZ=UTC zip -q -X -D "$out/$package.zip" "${files[@]}")
(cd "$out" && sha256sum "$package.zip" >"$package.zip.sha256")

# The setup program. Its version block wants four numbers: 2.05.0269 is
# 2.5.0.269.
IFS=. read -r major minor build <<<"$version"
file_version=$((10#$major)).$((10#$minor)).0.$((10#$build))
installed_bytes=0
for file in "${files[@]}"; do installed_bytes=$((installed_bytes + $(stat -c %s "$stage/$file"))); done
# The setup script installs and removes the archiver libraries the table of
# kinds lists, through two macros written here.
{
  echo '!macro InstallArchiverLibraries'
  for name in "${libraries[@]}"; do printf '  File "${STAGE}\\%s.dll"\n' "$name"; done
  echo '!macroend'
  echo '!macro RemoveArchiverLibraries'
  for name in "${libraries[@]}"; do printf '  Delete "$INSTDIR\\%s.dll"\n' "$name"; done
  echo '!macroend'
} >"$stage/archiver_libraries.nsh"
# makensis takes the script's folder for relative paths (-NOCD not given),
# so every path it gets is absolute.
SOURCE_DATE_EPOCH=$stamp makensis -V2 -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DFILE_VERSION=$file_version" "-DSTAGE=$stage" \
  "-DICON=$root/resources/images/rivano.ico" "-DESTIMATED_SIZE=$(((installed_bytes + 1023) / 1024))" \
  "-DOUTFILE=$out/$package-setup.exe" "$root/installer/rivano.nsi" >"$stage/makensis.log" 2>&1 \
  || { cat "$stage/makensis.log" >&2; fail "makensis could not make the setup program"; }
(cd "$out" && sha256sum "$package-setup.exe" >"$package-setup.exe.sha256")

echo "$out/$package.zip ($(stat -c %s "$out/$package.zip") bytes)"
for file in "${files[@]}"; do
  printf '  %-14s %9d bytes\n' "$file" "$(stat -c %s "$stage/$file")"
done
echo "$out/$package.zip.sha256: $(cut -d' ' -f1 "$out/$package.zip.sha256")"
echo "$out/$package-setup.exe ($(stat -c %s "$out/$package-setup.exe") bytes)"
echo "$out/$package-setup.exe.sha256: $(cut -d' ' -f1 "$out/$package-setup.exe.sha256")"
