#!/usr/bin/env bash
# Builds everything and runs every test: natively, then the Windows build
# under Wine in a throwaway prefix on a virtual display, Japanese locale.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || exit 1
bash scripts/build.sh all || exit 1

source scripts/wine-env.sh
prefix=$(mktemp -d /tmp/rivano-test-prefix.XXXXXX)
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  stop_display
  rm -rf "$prefix"
}
trap cleanup EXIT

logs=$(mktemp -d)
ctest --test-dir build/native --output-on-failure -j "$(nproc)" 2>&1 | tee "$logs/native.log"
start_display
prepare_prefix "$prefix"
ctest --test-dir build/windows --output-on-failure -j 2 2>&1 | tee "$logs/windows.log"

# ctest closes with "N% tests passed, F tests failed out of T".
passed=0
failed=0
for log in "$logs"/native.log "$logs"/windows.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "no test summary in $(basename "$log")"
    failed=$((failed + 1))
    continue
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
done
rm -rf "$logs"
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
