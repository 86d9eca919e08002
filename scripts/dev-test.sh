#!/usr/bin/env bash
# Developer loop: build one program in a build folder of your own and run it under Wine.
#   BUILD=build/dev-NAME scripts/dev-test.sh TARGET [arguments, e.g. --gtest_filter=Menu*]
# Each build folder has its own Wine prefix and its own Xvfb display, so several
# developers can work at once without sharing a wineserver or a screen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD:-$root/build/dev}")
target=$1; shift

# configuring every time picks up test files that were added since
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target "$target" -j 2 2>&1 | { grep -v -E '^\[ *[0-9]+%\]' || true; }

. "$root/scripts/wine-env.sh" "$build"
wine_prefix_ensure
display=${DEV_DISPLAY:-$(( 150 + $(printf '%s' "$build" | cksum | cut -d' ' -f1) % 100 ))}
if [ ! -e "/tmp/.X11-unix/X$display" ]; then
  setsid nohup Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi
export DISPLAY=":$display"
# Wine's own services outlive the program: start them detached from our output first
"$WINESERVER" -p >/dev/null 2>&1 || true
"$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
exec "$WINE" "$build/$target.exe" "$@"
