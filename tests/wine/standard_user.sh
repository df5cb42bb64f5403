# Sourced by the tests that run Wine as a standard user. Wine gives a
# program the rights of the Unix user running it, and the other tests run
# as root, who may write anywhere; these run Wine as a Unix user of its own
# ("rivano-standard", made when missing) in a prefix of its own.
#
#   begin_standard_user <name>   exits 77 (skipped) unless root or
#       password-less sudo and runuser are at hand; makes $work (root's,
#       readable by all; removed on exit) holding the user's home and the
#       user's prefix $prefix, and boots that prefix as the user
#   as_root, as_user <command>   runs a command as root, as the user
#   reg_value <key> <name>       a registry value as the user reads it
#   windows_path <linux path>    the path as Wine's Z: drive sees it
#   make_bitmap <width> <height> <blue> <green> <red>   a BMP file on stdout
#   picture_size <file>          a BMP file's size, as "40x30"
#   fail <message>               counts a failure in $failures

standard_user=rivano-standard
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

begin_standard_user() {
  if [ "$(id -u)" -eq 0 ]; then
    as_root() { "$@"; }
  elif sudo -n true 2>/dev/null; then
    as_root() { sudo -n "$@"; }
  else
    echo "SKIPPED: running a program as another user needs root or password-less sudo" >&2
    exit 77
  fi
  if ! as_root sh -c 'command -v runuser' >/dev/null; then
    echo "SKIPPED: runuser (util-linux) is missing" >&2
    exit 77
  fi
  if [ -z "${DISPLAY:-}" ]; then
    echo "$1: DISPLAY must name the tests' display (see scripts/test.sh)" >&2
    exit 2
  fi
  id -u "$standard_user" >/dev/null 2>&1 ||
    as_root useradd --no-create-home --shell /usr/sbin/nologin "$standard_user"
  work=$(as_root mktemp -d "/tmp/$1.XXXXXX")
  prefix=$work/prefix
  trap end_standard_user EXIT
  as_root chmod 755 "$work"
  as_root mkdir -p "$work/home" "$prefix"
  as_root chown "$standard_user" "$work/home" "$prefix"
  as_user wineboot -i >/dev/null 2>&1
  as_user wineserver -w
}

end_standard_user() {
  as_user wineserver -k 2>/dev/null || true
  as_root rm -rf "$work"
}

as_user() {
  as_root runuser -u "$standard_user" -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" \
    USER="$standard_user" DISPLAY="$DISPLAY" WINEPREFIX="$prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 \
    LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree=d;mshtml=d;winemenubuilder.exe=d" "$@"
}

reg_value() {
  as_user wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# A small 24-bit BMP picture of one colour.
make_bitmap() {
  python3 - "$@" <<'PYTHON'
import struct, sys
w, h, *bgr = map(int, sys.argv[1:])
row = (bytes(bgr) * w).ljust((w * 3 + 3) // 4 * 4, b"\0")
pixels = row * h
head = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
sys.stdout.buffer.write(head + info + pixels)
PYTHON
}

picture_size() {
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(26); print("%dx%d" % struct.unpack("<ii", d[18:26]) if d[:2] == b"BM" else "not a bitmap")' "$1"
}
