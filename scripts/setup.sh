#!/usr/bin/env bash
# Installs everything the build, the run and the tests need on a Debian 12
# machine. Safe to repeat: each step checks first and does nothing when done.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: run as root (it installs Debian packages)" >&2
    exit 1
  fi
}

packages=(
  cmake make g++ clang googletest libgtest-dev zlib1g-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev
  binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick
  fonts-ipafont-gothic fonts-wine locales
  zip unzip gcab bzip2 arj lhasa jlha-utils python3 nsis
  libjpeg-turbo-progs unar libarchive-tools feh time
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  need_root
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The users' systems run with the Japanese ANSI code page; Wine derives it
# from the locale, so the locale must exist.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
