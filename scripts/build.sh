#!/usr/bin/env bash
# Builds one or both targets: scripts/build.sh [x86_64|i686|all]  (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
jobs=$(nproc)

# The 64-bit build is complete (program, tests, benchmarks); this kernel cannot run 32-bit
# programs, so the 32-bit build makes the program alone. Both pack the program's zip and
# installer (the dist target, into build/ARCH/dist).
build_target() {
  local arch=$1 dir="$root/build/$1" targets=(--target all dist)
  [ "$arch" = i686 ] && targets=(--target brevduva dist)
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  # progress lines are dropped; warnings and errors stay, and a failed build fails the script
  cmake --build "$dir" -j "$jobs" "${targets[@]}" 2>&1 | { grep -v -E '^\[ *[0-9]+%\]|GLOB mismatch' || true; }
}

case "$which" in
  x86_64|i686) build_target "$which" ;;
  all) build_target x86_64; build_target i686 ;;
  *) echo "usage: $0 [x86_64|i686|all]" >&2; exit 2 ;;
esac
