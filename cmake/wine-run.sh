#!/usr/bin/env bash
# Runs one Windows test program under Wine inside the throwaway prefix that
# the test command prepared. Never falls back to the user's ~/.wine.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ "${WINEPREFIX%/}" = "$HOME/.wine" ]; then
  echo "wine-run: WINEPREFIX must name a throwaway prefix (see scripts/test.sh)" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
exec wine "$@"
