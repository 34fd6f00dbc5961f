#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12
# machine: compilers, CMake, GoogleTest, Google Benchmark, and for the Windows
# build MinGW-w64 (32-bit), Wine (32-bit), Xvfb, ImageMagick and a Japanese
# font with Latin letters too (the window's prompt mixes both).
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang clang-tidy lld libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev time python3
  g++-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 wine64 xvfb xdotool imagemagick python3-pil locales
  x11-utils fonts-ipafont-gothic
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  if [ -n "${need_update:-}" ] || [ ! -f /var/lib/apt/lists/lock ] || \
     ! ls /var/lib/apt/lists/*i386_Packages* >/dev/null 2>&1; then
    $sudo apt-get update -q
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" \
    || { $sudo apt-get update -q && DEBIAN_FRONTEND=noninteractive \
         $sudo apt-get install -y -q "${missing[@]}"; }
fi
