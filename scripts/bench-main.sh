#!/usr/bin/env bash
# The main job's benchmark under Wine: /S runs against their baselines, and
# a large JPEG against feh doing the same job natively; our JPEG decoder
# against djpeg natively.
# RIVANO_BASELINE_EXE=<an older Rivano.exe> adds its figures for comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh windows main_bench >/dev/null
source scripts/wine-env.sh
prefix=$(mktemp -d /tmp/rivano-bench-prefix.XXXXXX)
work=$(mktemp -d /tmp/rivano-bench-work.XXXXXX)
start_display
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; stop_display; rm -rf "$prefix" "$work"' EXIT
prepare_prefix "$prefix"
big=$work/big.jpg
small=$work/small.jpg
convert -size 6000x4000 gradient:'#203060'-'#E0C080' -quality 90 "$big"
convert -size 64x48 plasma:fractal -seed 7 -quality 85 "$small"

# feh decodes the picture, scales it to fill the screen and makes it the
# root window's background: the job "/S" does, natively. Best of five.
feh_best_of_five() {
  local best=1000 start
  for _ in 1 2 3 4 5; do
    start=$(date +%s.%N)
    feh --no-fehbg --bg-fill "$1"
    best=$(awk -v s="$start" -v e="$(date +%s.%N)" -v b="$best" 'BEGIN { t = e - s; print (t < b) ? t : b }')
  done
  echo "$best"
}
feh_best=$(feh_best_of_five "$big")

# Pictures with the detail of photographs (noise over the gradient, which
# leaves the middle of a shrunk preview the gradient's colour), baseline
# and progressive, at 2560 x 1600 and 24 megapixels.
photo() {  # size, file, cjpeg options
  convert -size "$1" gradient:'#203060'-'#E0C080' -attenuate 0.5 +noise Gaussian ppm:- |
    cjpeg -quality 90 "${@:3}" -outfile "$2"
}
photo 2560x1600 "$work/photo-2560x1600.jpg"
photo 2560x1600 "$work/photo-2560x1600-progressive.jpg" -progressive
photo 6000x4000 "$work/photo-24mp.jpg"
photo 6000x4000 "$work/photo-24mp-progressive.jpg" -progressive
# RIVANO_BENCH_PREVIEW_ONLY=1: the click-to-preview rows of the 24-megapixel
# photographs alone (and of RIVANO_BASELINE_EXE), nothing else.
if [ -n "${RIVANO_BENCH_PREVIEW_ONLY:-}" ]; then
  export RIVANO_BENCH_PREVIEW_ONLY RIVANO_BENCH_PHOTO RIVANO_BENCH_PHOTO_PROGRESSIVE
  RIVANO_BENCH_PHOTO=$(wine_path "$work/photo-24mp.jpg")
  RIVANO_BENCH_PHOTO_PROGRESSIVE=$(wine_path "$work/photo-24mp-progressive.jpg")
  before=()
  [ -n "${RIVANO_BASELINE_EXE:-}" ] && before=("$(wine_path "$RIVANO_BASELINE_EXE")" 0)
  wine build/windows/bin/main_bench.exe "$(wine_path "$big")" "$(wine_path "$small")" 0 0 "${before[@]}"
  exit 0
fi
# Our decoder against djpeg on them, both native, at every scale.
bash scripts/build.sh native jpeg_bench >/dev/null
echo "Our JPEG decoder against djpeg (native, whole processes, best of five):"
python3 tests/bench/decoder_ratio.py build/native/engine/jpeg/jpeg_bench 1.5 5 "$work"/photo-*.jpg
export RIVANO_BENCH_PHOTO RIVANO_BENCH_PHOTO_PROGRESSIVE RIVANO_BENCH_PHOTO_FEH
RIVANO_BENCH_PHOTO=$(wine_path "$work/photo-24mp.jpg")
RIVANO_BENCH_PHOTO_PROGRESSIVE=$(wine_path "$work/photo-24mp-progressive.jpg")
RIVANO_BENCH_PHOTO_FEH=$(feh_best_of_five "$work/photo-24mp.jpg")

# The peak memory of "/S" on the large JPEG with shrinking on: the maximum
# resident set of the process that runs Rivano.exe, as the kernel counts it
# (GNU time's %M, from wait4). `wine` execs the loader and then the program
# in that same process, and "/S" starts no other, so this is the program's
# own peak, Wine's libraries in it included.
peak_kib() {
  local exe=$1 dir
  dir=$(mktemp -d "$work/peak.XXXXXX")
  cp "$exe" "$dir/Rivano.exe"
  mkdir "$dir/pics"
  cp "$big" "$dir/pics/large.jpg"
  local key='HKCU\Software\Velmorat\Rivano'
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  wine reg add "$key\\WallList" /v Count /d 1 /f >/dev/null
  wine reg add "$key\\WallList" /v List1 /d "$(wine_path "$dir/pics")" /f >/dev/null
  wine reg add "$key\\Option" /v PicReSize /d 1 /f >/dev/null
  local best=0 kib  # the largest of three runs
  for _ in 1 2 3; do
    kib=$(/usr/bin/time -f %M wine "$dir/Rivano.exe" /S 2>&1 >/dev/null | tail -n 1)
    [ "$kib" -gt "$best" ] && best=$kib
  done
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  echo "$best"
}
peak=$(peak_kib build/windows/bin/Rivano.exe)
baseline_args=()
if [ -n "${RIVANO_BASELINE_EXE:-}" ]; then
  baseline_peak=$(peak_kib "$RIVANO_BASELINE_EXE")
  baseline_args=("$(wine_path "$RIVANO_BASELINE_EXE")" "$baseline_peak")
fi

# The same peak on large photographs of every kind (baseline, progressive,
# 4:4:4, grey, 4096 × 4096) and screens that have them decoded at 1/4, 1/2
# and full size, beside the same goal and djpeg's own peak.
RIVANO_BENCH_SET_UP=1 bash scripts/bench-memory.sh

wine build/windows/bin/main_bench.exe "$(wine_path "$big")" "$(wine_path "$small")" "$feh_best" "$peak" \
  "${baseline_args[@]}"
