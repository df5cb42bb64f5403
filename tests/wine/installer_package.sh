#!/usr/bin/env bash
# Makes the setup program from the build through scripts/release.sh, twice,
# and checks it as a file: the same bytes both times, the version of the
# program in its name and its version block, and a manifest that asks
# Windows for no administrator rights. Then installs it silently into the
# test prefix and checks that it wrote nowhere a standard user cannot:
# neither the machine's registry nor any folder outside the user's own.
# installer_test.cpp takes it from there.
#
# Faithful to Windows: Windows decides whether to ask for elevation from
# the manifest alone, and a standard user can write only the user's
# profile and HKEY_CURRENT_USER. What it cannot show: the tests run Wine as
# root, who may write anywhere, so a write the setup tried outside those
# places would not fail here; the check catches it by looking at what
# changed instead (installer_standard_user.sh runs it as a standard user).
#
# Usage: installer_package.sh <source folder> <bin folder> <output folder>
set -euo pipefail
root=$1
bin=$2
out=$3
if [ -z "${WINEPREFIX:-}" ] || [ "${WINEPREFIX%/}" = "$HOME/.wine" ]; then
  echo "installer_package: WINEPREFIX must name a throwaway prefix (see scripts/test.sh)" >&2
  exit 2
fi
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

version=$(python3 "$root/scripts/pe_version.py" "$bin/Rivano.exe")
setup_name=Rivano-$version-setup.exe
again=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$again" "$work"' EXIT
rm -rf "$out"
bash "$root/scripts/release.sh" --from "$bin" "$out" >/dev/null
setup=$out/$setup_name
[ -f "$setup" ] || { echo "FAIL: no $setup_name in $out" >&2; exit 1; }
(cd "$out" && sha256sum --quiet -c "$setup_name.sha256") || fail "the SHA-256 file does not match the setup program"

# Made again later from the same build: the files are staged anew (new
# times on disk, another folder), and the result must not change.
bash "$root/scripts/release.sh" --from "$bin" "$again" >/dev/null
cmp -s "$setup" "$again/$setup_name" || fail "a second make of the setup program gives other bytes"

[ "$(python3 "$root/scripts/pe_version.py" "$setup")" = "$version" ] || fail "the setup program's version is not $version"
manifest_level=$(LC_ALL=C grep -ao 'requestedExecutionLevel level="[A-Za-z]*"' "$setup" | sort -u)
[ "$manifest_level" = 'requestedExecutionLevel level="asInvoker"' ] \
  || fail "the setup program's manifest asks for: ${manifest_level:-nothing}"

# What a standard user may not change: the machine's registry, and every
# folder of the system drive outside the users' profiles.
machine_registry() {
  wine reg export 'HKLM\Software' "$(wine_path "$1")" /y >/dev/null 2>&1
  # Wine keeps the time of its own last font scan there.
  iconv -f UTF-16LE -t UTF-8 "$1" | tr -d '\r' | grep -v -i 'fontcache\|^"LastFontCache"' >"$1.txt"
}
wine_path() { printf 'Z:%s' "$(realpath -m "$1" | tr '/' '\\')"; }
machine_registry "$work/before.reg"
touch "$work/marker"
wine "$setup" /S || fail "the silent setup ended with $?"
machine_registry "$work/after.reg"
diff -q "$work/before.reg.txt" "$work/after.reg.txt" >/dev/null \
  || fail "the setup changed HKEY_LOCAL_MACHINE\\Software: $(diff "$work/before.reg.txt" "$work/after.reg.txt" | head -5)"
outside=$(find "$WINEPREFIX/drive_c" -newer "$work/marker" -not -path "$WINEPREFIX/drive_c/users/*" \
  -not -path "$WINEPREFIX/drive_c/users" | head -5)
[ -z "$outside" ] || fail "the setup wrote outside the user's profile: $outside"
installed=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Rivano/Rivano.exe' | head -1)
[ -n "$installed" ] || fail "the silent setup installed no Rivano.exe under the user's local programs"
cmp -s "$installed" <(unzip -p "$out/Rivano-$version.zip" Rivano.exe) || fail "the installed Rivano.exe is not the zip's"

[ "$failures" -eq 0 ] || { echo "$failures check(s) of the setup program failed" >&2; exit 1; }
echo "made and installed $setup_name"
