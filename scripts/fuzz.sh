#!/usr/bin/env bash
# Builds the archive readers' libFuzzer targets natively with clang in
# build-fuzz/ and runs each for the given number of seconds (default 60),
# seeded from the test archives. Prints executions and findings per target;
# findings (crash-*, leak-*, timeout-*) are kept in build-fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [seconds-per-target] [target ...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build=$root/build-fuzz

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DRIVANO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_zip fuzz_tar fuzz_gzip fuzz_deflate64 fuzz_lzh fuzz_arj fuzz_bzip2)
cmake --build "$build" -j2 --target arc_fixtures "${targets[@]}" >/dev/null || exit 1

fixtures=$build/tests/archivers/fixtures
shared=$root/../shared/testdata/archives
seed_patterns() {
  case $1 in
    fuzz_zip) echo "*.zip" ;;
    fuzz_tar) echo "*.tar" ;;
    fuzz_gzip) echo "*.tgz *.tar.gz *.gz" ;;
    fuzz_lzh) echo "*.lzh *.lzs *.exe" ;;
    fuzz_arj) echo "*.arj" ;;
    fuzz_bzip2) echo "*.bz2 *.tbz" ;;
    *) echo "" ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  exe=$(find "$build" -name "$target" -type f -perm -u+x | head -n 1)
  if [ -z "$exe" ]; then
    echo "$target: not built"
    status=1
    continue
  fi
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  for pattern in $(seed_patterns "$target"); do
    for dir in "$fixtures" "$shared"; do
      [ -d "$dir" ] && find "$dir" -name "$pattern" -size -2M ! -name 'bomb*' -exec cp -n {} "$corpus/" \; 2>/dev/null
    done
  done
  log=$build/findings/$target.log
  (cd "$findings" && "$exe" -max_total_time="$seconds" -max_len=262144 -rss_limit_mb=1024 -timeout=10 \
     -print_final_stats=1 "$corpus" >"$log" 2>&1)
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
  found=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  echo "$target: ${runs:-?} executions, $found findings (log: $log)"
  [ "$found" -eq 0 ] || status=1
done
exit $status
