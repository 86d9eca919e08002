#!/usr/bin/env bash
# Installs what is missing, builds the word processor and starts it.
#   scripts/run.sh [--screenshot FILE.png] [document]
# Without a display it runs on its own Xvfb. With --screenshot it saves a picture of the
# screen a few seconds after start and then closes the program.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

shot=""
if [ "${1:-}" = "--screenshot" ]; then
  shot=$(realpath -m "$2"); shift 2
fi

"$root/scripts/install-deps.sh" || exit 1
"$root/scripts/build.sh" x86_64 || { echo "build failed" >&2; exit 1; }

build="$root/build/x86_64"
. "$root/scripts/wine-env.sh" "$build"
wine_prefix_ensure

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  xvfb_start || exit 1
fi

# A document named by its Linux path is handed over as the program sees it (Z:\...). The
# program takes its command-line tail verbatim, so the name goes unquoted, blanks and all.
args=()
for a in "$@"; do
  if [ -e "$a" ]; then
    # shellcheck disable=SC2206 # split on purpose: Wine would quote a name with blanks
    args+=($(printf 'Z:%s' "$(realpath "$a" | tr '/' '\\')"))
  else
    args+=("$a")
  fi
done

if [ -z "$shot" ]; then
  exec "$WINE" "$build/brevduva.exe" "${args[@]}"
fi

"$WINE" "$build/brevduva.exe" "${args[@]}" &
program=$!
for _ in $(seq 1 100); do
  xdotool search --name '^Brevduva' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep "${SCREENSHOT_DELAY:-2}"
import -window root "$shot" && echo "screenshot: $shot"
kill "$program" 2>/dev/null
"$WINESERVER" -k 2>/dev/null
[ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
wait 2>/dev/null
exit 0
