#!/usr/bin/env bash
# Builds the archive readers' libFuzzer targets natively with clang (ASan +
# UBSan) in build-fuzz/ and runs each for the given number of seconds
# (default 60), at most two at a time, at the lowest CPU priority.
#
# Each target starts from its corpus in archivers/fuzz/corpus/<target>/ (plus
# the test archives as seeds) and, after its run, that corpus is replaced by a
# minimised merge of everything the run found, so the next run starts where
# this one ended. Every run appends a row to archivers/fuzz/FUZZING-LOG.md.
# Findings (crash-*, leak-*, timeout-*, oom-*) are kept in
# build-fuzz/findings/<target>/; the run's output is build-fuzz/findings/<target>.log.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target ...]
# With 0 seconds nothing is fuzzed: the kept corpora are only minimised again.
# Environment: FUZZ_PARALLEL (default 2, at most 2), FUZZ_NO_LOG=1 (no log row,
# corpus left as it was: for a quick check of the script itself).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ "$seconds" -ge 0 ] 2>/dev/null || { echo "seconds must be a number" >&2; exit 2; }
shift || true
build=$root/build-fuzz
repo_corpus=$root/archivers/fuzz/corpus
log_file=$root/archivers/fuzz/FUZZING-LOG.md
parallel=${FUZZ_PARALLEL:-2}
[ "$parallel" -ge 1 ] 2>/dev/null || parallel=1
[ "$parallel" -le 2 ] || parallel=2
# What a kept corpus may hold: it lives in the repository.
max_files=200
max_bytes=$((3 * 1024 * 1024))
max_len=65536

# The code the targets are built from; "+changes" when it differs from that
# commit (a corpus or log left by an earlier run does not count).
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo '?')
if [ -n "$(git -C "$root" status --porcelain -- . ':!archivers/fuzz/corpus' ':!archivers/fuzz/FUZZING-LOG.md' 2>/dev/null)" ]; then
  commit="$commit+changes"
fi
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DRIVANO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_zip fuzz_tar fuzz_gzip fuzz_deflate64 fuzz_lzh fuzz_arj fuzz_bzip2 fuzz_jpeg fuzz_png fuzz_rar)
  # The RAR decoders' own targets, for the generations the tree has.
  for generation in 15 20 29 50; do
    [ -f "$root/archivers/rar/v$generation/CMakeLists.txt" ] && targets+=("fuzz_rar$generation")
  done
fi
nice -n 19 cmake --build "$build" -j2 --target arc_fixtures "${targets[@]}" >/dev/null || exit 1

fixtures=$build/tests/archivers/fixtures
shared=$root/../shared/testdata/archives
seed_patterns() {
  case $1 in
    fuzz_zip) echo "*.zip *.zipx" ;;
    fuzz_tar) echo "*.tar" ;;
    fuzz_gzip) echo "*.tgz *.tar.gz *.gz" ;;
    fuzz_lzh) echo "*.lzh *.lzs *.exe" ;;
    fuzz_arj) echo "*.arj" ;;
    fuzz_bzip2) echo "*.bz2 *.tbz" ;;
    fuzz_jpeg) echo "*.jpg *.jpeg" ;;
    fuzz_png) echo "*.png" ;;
    # Volumes, self-extractors and a picture with an archive appended.
    fuzz_rar | fuzz_rar15 | fuzz_rar20 | fuzz_rar29 | fuzz_rar50) echo "*.rar *.exe *.r0? Rar.jpeg.jpg" ;;
    *) echo "" ;;
  esac
}

# Keeps the smallest files until the kept corpus is within its bounds.
trim_corpus() {
  local dir=$1 count=0 total=0 size file
  while read -r size file; do
    if [ $count -ge $max_files ] || [ $((total + size)) -gt $max_bytes ]; then
      rm -f "$file"
    else
      count=$((count + 1))
      total=$((total + size))
    fi
  done < <(find "$dir" -maxdepth 1 -type f -printf '%s %p\n' | sort -n)
}

append_log() {
  (
    flock 9
    if [ ! -s "$log_file" ]; then
      cat >"$log_file" <<'EOF'
# Fuzzing log

Every run of `scripts/fuzz.sh` adds a row: when it ended (UTC), the commit
the target was built from ("+changes": with uncommitted changes), the
target, the seconds it ran, the inputs executed, the kept corpus afterwards
(files / bytes) and what it found. A finding is fixed in the reader and its
input kept as a regression test under tests/archivers/regressions/.

| Ended (UTC) | Commit | Target | Seconds | Executions | Corpus | Findings |
|---|---|---|---|---|---|---|
EOF
    fi
    echo "$1" >>"$log_file"
  ) 9>>"$log_file.lock"
  rm -f "$log_file.lock"
}

run_target() {
  local target=$1 exe corpus findings work merged log started ended runs found names files bytes
  exe=$(find "$build" -name "$target" -type f -perm -u+x | head -n 1)
  if [ -z "$exe" ]; then
    echo "$target: not built"
    return 1
  fi
  corpus=$repo_corpus/$target
  findings=$build/findings/$target
  work=$build/work/$target
  merged=$build/merged/$target
  rm -rf "$work" "$merged"
  mkdir -p "$corpus" "$findings" "$work" "$merged"
  cp -r "$corpus"/. "$work"/ 2>/dev/null
  local seeds=$build/seeds/$target
  rm -rf "$seeds"
  mkdir -p "$seeds"
  for pattern in $(seed_patterns "$target"); do
    for dir in "$fixtures" "$shared" "$root/tests/archivers/regressions"; do
      [ -d "$dir" ] && find "$dir" -name "$pattern" -size -2M ! -name 'bomb*' -exec cp -n {} "$seeds/" \; 2>/dev/null
    done
  done
  log=$build/findings/$target.log
  [ "$seconds" -gt 0 ] || log=$build/findings/$target.minimise.log  # the last run's log stays
  touch "$build/findings/$target.started"
  started=$(date +%s)
  if [ "$seconds" -gt 0 ]; then
    (cd "$findings" && nice -n 19 "$exe" -max_total_time="$seconds" -max_len=$max_len -rss_limit_mb=1024 \
       -timeout=10 -print_final_stats=1 "$work" "$seeds" >"$log" 2>&1)
  else
    : >"$log"
  fi
  ended=$(date +%s)
  runs=$(grep -E '^stat::number_of_executed_units' "$log" | tail -n 1 | awk '{print $2}')
  names=$(find "$findings" -maxdepth 1 -type f -newer "$build/findings/$target.started" \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) -printf '%f ' )
  found=$(echo "$names" | wc -w)
  if [ "${FUZZ_NO_LOG:-0}" != 1 ]; then
    # Minimise into a fresh folder that starts with the seeds, so that only
    # inputs reaching beyond them are kept (the seeds come back every run);
    # the kept corpus becomes exactly those.
    cp "$seeds"/. "$merged"/ -r 2>/dev/null
    (cd "$findings" && nice -n 19 "$exe" -merge=1 -max_len=$max_len -rss_limit_mb=1024 -timeout=10 \
       "$merged" "$work" >"$log.merge" 2>&1)
    local seed
    for seed in "$seeds"/*; do
      [ -e "$seed" ] && rm -f "$merged/$(basename "$seed")"
    done
    if grep -q 'MERGE-OUTER: .* new files' "$log.merge"; then
      trim_corpus "$merged"
      rm -rf "$corpus"
      mkdir -p "$corpus"
      cp -r "$merged"/. "$corpus"/
    fi
    files=$(find "$corpus" -type f | wc -l)
    bytes=$(du -sb "$corpus" | awk '{print $1}')
    local result="none"
    [ "$found" -eq 0 ] || result="$found: ${names% }"
    [ "$seconds" -eq 0 ] || append_log "| $(date -u '+%Y-%m-%d %H:%M') | $commit | $target | $((ended - started)) | ${runs:-?} | $files / $bytes | $result |"
  fi
  echo "$target: $((ended - started)) s, ${runs:-?} executions, $found findings (log: $log)"
  [ "$found" -eq 0 ]
}

pids=()
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do
    wait -n
  done
  run_target "$target" &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done
exit $status
