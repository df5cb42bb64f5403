#!/usr/bin/env bash
# Configures and builds the native tree (portable code and its tests) and
# the Windows tree (the program, its archiver libraries and their tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
what=${1:-all}
shift || true
# Further arguments name the targets to build (default: everything).
targets=()
for t in "$@"; do targets+=(--target "$t"); done

if [ "$what" = all ] || [ "$what" = native ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build/native" -j "$jobs" "${targets[@]}"
fi
if [ "$what" = all ] || [ "$what" = windows ]; then
  cmake -S "$root" -B "$root/build/windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$root/build/windows" -j "$jobs" "${targets[@]}"
fi
