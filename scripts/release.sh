#!/usr/bin/env bash
# Makes what is handed to users, on a fresh Debian 12 machine (as root), from this folder:
#   scripts/release.sh
# Installs what building and packing need, builds both programs in release mode in build
# folders of their own (build/release-x86_64, build/release-i686: no developer's build state
# goes into a release), and writes to dist/ for each of x86_64 and i686
#   brevduva-daraduder-VERSION-ARCH.zip         the program, README.txt, LÄSMIG.txt, exempel.rtf
#   brevduva-daraduder-VERSION-setup-ARCH.exe   the Swedish installer
# Ends with each file's size in bytes and SHA-256.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist="$root/dist"

"$root/scripts/install-deps.sh" release

mkdir -p "$dist"
rm -f "$dist"/brevduva-daraduder-*
for arch in x86_64 i686; do
  dir="$root/build/release-$arch"
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  # progress lines are dropped; warnings and errors stay, and a failed build fails the script
  cmake --build "$dir" -j "$(nproc)" --target dist 2>&1 | { grep -v -E '^\[ *[0-9]+%\]' || true; }
  cp "$dir"/dist/brevduva-daraduder-*.zip "$dir"/dist/brevduva-daraduder-*.exe "$dist/"
done

echo
printf '%10s  %-64s  %s\n' bytes SHA-256 file
for f in "$dist"/brevduva-daraduder-*; do
  printf '%10d  %-64s  %s\n' "$(stat -c %s "$f")" "$(sha256sum "$f" | cut -d' ' -f1)" "dist/$(basename "$f")"
done
