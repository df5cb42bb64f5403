#!/usr/bin/env bash
# Prints the archiver libraries' file names (without ".dll"), one a line,
# as the table of kinds lists them, for the scripts that build, package or
# install them all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
names=$(sed -n 's/^ARCHIVER_LIBRARY([0-9]*, "\([A-Za-z0-9_]*\)", "[A-Za-z0-9_]*")$/\1/p' "$root/engine/source_kinds.def")
[ -n "$names" ] || { echo "archiver-libraries: no ARCHIVER_LIBRARY line in engine/source_kinds.def" >&2; exit 1; }
echo "$names"
