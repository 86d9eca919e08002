#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12 (run as root).
#   scripts/install-deps.sh           everything
#   scripts/install-deps.sh release   only what building and packing a release needs
# Only missing packages are installed, so a second run costs a second.
set -euo pipefail

packages=(
  cmake make python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  googletest nsis
)
if [ "${1:-}" != release ]; then
  packages+=(
    python3-xlib
    wine64 fonts-wine python3-fonttools xvfb xauth xdotool x11-utils xclip imagemagick
    fonts-liberation locales
    cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils ghostscript
    libreoffice-writer-nogui
    p7zip-full desktop-file-utils xdg-utils
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root (apt-get is needed)." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's ANSI code page is 1252 under C.UTF-8; make sure that locale exists.
if [ "${1:-}" != release ] && ! locale -a 2>/dev/null | grep -qi '^c\.utf-\?8$'; then
  echo "C.UTF-8 UTF-8" >> /etc/locale.gen
  locale-gen >/dev/null
fi
