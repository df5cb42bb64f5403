#!/usr/bin/env bash
# The peak memory of the logon run "/S" with shrinking on, on large
# photographs of every kind our JPEG decoder reads: the maximum resident set
# of the process running Rivano.exe (GNU time's %M; `wine` execs the program
# in that same process, Wine's own libraries included), the largest of three
# runs, beside the goal of 64 MiB. Each picture runs on three screens: the
# benchmark's 1024 × 768 (decoded at 1/4 of its size), 1920 × 1080 (at 1/2)
# and 3840 × 2160, which wants more than half of each side of them, so they
# are decoded at full size and shrunk.
# Beside each, libjpeg-turbo's djpeg decoding the same file natively at the
# scale the screen leads to (writing nothing, no Wine). RIVANO_BASELINE_EXE=
# <an older Rivano.exe> adds its peaks for comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# bench-main.sh has set the machine up already when it calls this.
[ -n "${RIVANO_BENCH_SET_UP:-}" ] || bash scripts/setup.sh
bash scripts/build.sh windows Rivano >/dev/null
source scripts/wine-env.sh
prefix=$(mktemp -d /tmp/rivano-memory-prefix.XXXXXX)
work=$(mktemp -d /tmp/rivano-memory-work.XXXXXX)
xvfb_pid=
stop_screen() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=
}
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; stop_screen; rm -rf "$prefix" "$work"' EXIT

# A virtual display of the given size (WxH) of our own, replacing the last.
start_screen() {
  stop_screen
  local fifo number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

start_screen 1024x768
prepare_prefix "$prefix"

# Photographs' texture: soft shapes with fine grain, which JPEG codes at
# about 2.5 bits a pixel at quality 90, as a camera's pictures.
photo() {  # width height file.ppm
  convert -size "$1x$2" plasma:fractal -seed 7 -blur 0x1 -attenuate 0.4 +noise Gaussian -depth 8 "ppm:$3"
}
photo 6000 4000 "$work/large.ppm"
photo 4096 4096 "$work/square.ppm"
cjpeg -quality 90 -outfile "$work/baseline-420.jpg" "$work/large.ppm"
cjpeg -quality 90 -progressive -outfile "$work/progressive-420.jpg" "$work/large.ppm"
cjpeg -quality 90 -sample 1x1 -outfile "$work/baseline-444.jpg" "$work/large.ppm"
cjpeg -quality 90 -sample 1x1 -progressive -outfile "$work/progressive-444.jpg" "$work/large.ppm"
cjpeg -quality 90 -grayscale -outfile "$work/grey.jpg" "$work/large.ppm"
cjpeg -quality 90 -progressive -outfile "$work/square-progressive.jpg" "$work/square.ppm"
convert -size 64x48 plasma:fractal -seed 7 -quality 85 "$work/small.jpg"
rm -f "$work/large.ppm" "$work/square.ppm"
pictures=(baseline-420 progressive-420 baseline-444 progressive-444 grey square-progressive)

key='HKCU\Software\Velmorat\Rivano'
# The largest of three runs of "/S" of the program on a folder holding only
# the picture, in KiB.
peak_kib() {  # exe picture.jpg
  local dir best=0 kib
  dir=$(mktemp -d "$work/peak.XXXXXX")
  cp "$1" "$dir/Rivano.exe"
  mkdir "$dir/pics"
  cp "$2" "$dir/pics/"
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  wine reg add "$key\\WallList" /v Count /d 1 /f >/dev/null
  wine reg add "$key\\WallList" /v List1 /d "$(wine_path "$dir/pics")" /f >/dev/null
  wine reg add "$key\\Option" /v PicReSize /d 1 /f >/dev/null
  for _ in 1 2 3; do
    kib=$(/usr/bin/time -f %M wine "$dir/Rivano.exe" /S 2>&1 >/dev/null | tail -n 1)
    [ "$kib" -gt "$best" ] && best=$kib
  done
  wine reg delete "$key" /f >/dev/null 2>&1 || true
  rm -rf "$dir"
  echo "$best"
}

# The scale our decoder takes for a picture fitted into a screen: the
# largest of 1/8, 1/4, 1/2 whose size still covers the fitted size.
scale_for() {  # picture.jpg WxH
  local size
  size=$(identify -format '%w %h' "$1")
  awk -v size="$size" -v screen="$2" 'BEGIN {
    split(size, p, " "); split(screen, s, "x")
    f = s[1] / p[1] < s[2] / p[2] ? s[1] / p[1] : s[2] / p[2]
    if (f > 1) f = 1
    fw = int(p[1] * f + 0.5); fh = int(p[2] * f + 0.5)
    for (n = 8; n > 1; n /= 2) if (int((p[1] + n - 1) / n) >= fw && int((p[2] + n - 1) / n) >= fh) { print n; exit }
    print 1
  }'
}
djpeg_kib() {  # picture.jpg scale
  /usr/bin/time -f %M djpeg -scale "1/$2" -outfile /dev/null "$1" 2>&1 | tail -n 1
}

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
goal_kib=$((64 * 1024))
verdict() { [ "$1" -le "$goal_kib" ] && echo met || echo "NOT MET"; }

exes=("$root/build/windows/bin/Rivano.exe")
if [ -n "${RIVANO_BASELINE_EXE:-}" ]; then exes+=("$RIVANO_BASELINE_EXE"); fi
square_half=0
printf '\nPeak memory of "/S" with shrinking on (MiB; goal 64 MiB each)\n'
header=$(printf '%-22s %-10s %8s %10s' picture screen "file MiB" Rivano)
if [ -n "${RIVANO_BASELINE_EXE:-}" ]; then header+=$(printf ' %10s' baseline); fi
printf '%s  goal   djpeg (scale)\n' "$header"
for screen in 1024x768 1920x1080 3840x2160; do
  if [ "$screen" != 1024x768 ]; then
    wineserver -k 2>/dev/null || true
    start_screen "$screen"
  fi
  floor=$(peak_kib "${exes[0]}" "$work/small.jpg")
  printf '%-22s %-10s %8s %10s  (Wine and the program on a 64 x 48 picture)\n' small.jpg "$screen" - "$(mib "$floor")"
  for name in "${pictures[@]}"; do
    file="$work/$name.jpg"
    ours=$(peak_kib "${exes[0]}" "$file")
    line=$(printf '%-22s %-10s %8s %10s' "$name.jpg" "$screen" "$(mib $(($(stat -c %s "$file") / 1024)))" "$(mib "$ours")")
    if [ -n "${RIVANO_BASELINE_EXE:-}" ]; then
      line+=$(printf ' %10s' "$(mib "$(peak_kib "${exes[1]}" "$file")")")
    fi
    scale=$(scale_for "$file" "$screen")
    printf '%s  %-7s %5s (1/%s)\n' "$line" "$(verdict "$ours")" "$(mib "$(djpeg_kib "$file" "$scale")")" "$scale"
    if [ "$name-$screen" = square-progressive-1920x1080 ]; then square_half=$ours; fi
  done
done

# libjpeg-turbo's own decoder on the 4096 × 4096 progressive picture at half
# its size, natively, writing nothing: the yardstick for holding a
# progressive picture's coefficients.
djpeg_kib=$(/usr/bin/time -f %M djpeg -scale 1/2 -outfile /dev/null "$work/square-progressive.jpg" 2>&1 | tail -n 1)
printf '\n4096 x 4096 progressive at 1/2: djpeg -scale 1/2 %s MiB natively; Rivano "/S" on 1920 x 1080 %s MiB, Wine included\n' \
  "$(mib "$djpeg_kib")" "$(mib "$square_half")"
