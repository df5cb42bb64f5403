#!/usr/bin/env bash
# The main job's benchmark under Wine: /S runs against their baselines.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh windows main_bench >/dev/null
source scripts/wine-env.sh
prefix=$(mktemp -d /tmp/rivano-bench-prefix.XXXXXX)
start_display
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; stop_display; rm -rf "$prefix"' EXIT
prepare_prefix "$prefix"
big=$(mktemp --suffix=.jpg)
small=$(mktemp --suffix=.jpg)
convert -size 6000x4000 gradient:'#203060'-'#E0C080' -quality 90 "$big"
convert -size 64x48 plasma:fractal -seed 7 -quality 85 "$small"
wine build/windows/bin/main_bench.exe "$(wine_path "$big")" "$(wine_path "$small")"
rm -f "$big" "$small"
