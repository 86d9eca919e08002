#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test under Wine.
# One Xvfb, one warm wineserver and one Wine prefix (inside build/x86_64) serve the whole run.
# Extra arguments go to ctest (for example -R Menu).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" || exit 1
"$root/scripts/build.sh" all || { echo "build failed" >&2; exit 1; }

build="$root/build/x86_64"
. "$root/scripts/wine-env.sh" "$build"
wine_prefix_ensure

cleanup() {
  [ -n "${keeper_pid:-}" ] && kill "$keeper_pid" 2>/dev/null
  "$WINESERVER" -k 2>/dev/null
  [ -n "${printer_cleanup:-}" ] && $printer_cleanup
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

xvfb_start || exit 1
# a real printer for the print tests, when the printer script is there
if [ -f "$root/scripts/printer.sh" ]; then
  . "$root/scripts/printer.sh"
  printer_start "$build/printer" && printer_cleanup=printer_stop
fi
"$WINESERVER" -p >/dev/null 2>&1
"$WINE" "$build/wine_keeper.exe" >/dev/null 2>&1 &
keeper_pid=$!

cd "$build" && ctest --output-on-failure -j "$(nproc)" "$@"
