# Shared by the end-to-end tests: start the real program under Wine on the test run's display
# and drive it from outside with xdotool, like a user; read back with a second program.
# Usage in a test: . "$(dirname "$0")/lib.sh" "$1"   (the argument is brevduva.exe)
set -uo pipefail

e2e_exe=$(realpath "$1")
e2e_build=${BREVDUVA_BUILD_DIR:-$(dirname "$e2e_exe")}
e2e_source=${BREVDUVA_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
e2e_name=$(basename "$0" .sh)
e2e_out="$e2e_build/e2e/$e2e_name"
rm -rf "$e2e_out" && mkdir -p "$e2e_out"
. "$e2e_source/scripts/wine-env.sh" "$e2e_build"
e2e_pid=""
e2e_failures=0
e2e_step=0

e2e_cleanup() {
    [ -n "$e2e_pid" ] && kill "$e2e_pid" 2>/dev/null
    [ -n "${e2e_own_xvfb:-}" ] && kill "$e2e_own_xvfb" 2>/dev/null
    return 0
}
trap e2e_cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    wine_prefix_ensure
    xvfb_start && e2e_own_xvfb=$xvfb_pid
fi

# Windows path of a Linux path, as the program sees it.
winpath() { printf 'Z:%s' "$(realpath -m "$1" | tr '/' '\\')"; }

# Starts the program with the given command-line tail and waits until its window is there.
program_start() {
    "$WINE" "$e2e_exe" "$@" >/dev/null 2>&1 &
    e2e_pid=$!
    for _ in $(seq 1 150); do
        if peek title >/dev/null 2>&1; then sleep 0.5; window_focus; return 0; fi
        sleep 0.1
    done
    echo "the main window did not appear" >&2
    return 1
}

# Waits for the program to end; fails when it is still running after the given seconds.
program_wait_end() {
    local seconds=${1:-10}
    for _ in $(seq 1 $((seconds * 10))); do
        kill -0 "$e2e_pid" 2>/dev/null || { e2e_pid=""; return 0; }
        sleep 0.1
    done
    return 1
}

window_id() { xdotool search --name "${1:-^(Brevduva|Z:)}" 2>/dev/null | head -1; }
window_focus() {
    local id
    id=$(window_id)
    [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null
    sleep 0.2
}

# Reads what the program shows: title, text, status or dialog (Windows-1252 turned into UTF-8).
peek() { "$WINE" "$e2e_build/e2e_peek.exe" "$1" 2>/dev/null | iconv -f CP1252 -t UTF-8; }

keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
# Types text; upper-case Swedish letters arrive in lower case through type, so they go as keys.
type_text() {
    local text=$1 i ch
    for ((i = 0; i < ${#text}; i++)); do
        ch=${text:i:1}
        case "$ch" in
            Å) xdotool key shift+aring ;;
            Ä) xdotool key shift+adiaeresis ;;
            Ö) xdotool key shift+odiaeresis ;;
            $'\n') xdotool key Return ;;
            *) xdotool type --delay 30 -- "$ch" ;;
        esac
    done
    sleep 0.3
}

# Waits until a dialog with this caption is on top.
dialog_wait() {
    for _ in $(seq 1 100); do
        peek dialog 2>/dev/null | head -1 | grep -q -- "$1" && { sleep 0.3; return 0; }
        sleep 0.1
    done
    echo "no dialog '$1'" >&2
    return 1
}

shot() {
    e2e_step=$((e2e_step + 1))
    import -window root "$e2e_out/$(printf '%02d' $e2e_step)-$1.png" 2>/dev/null
}

check() {
    local what=$1; shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what" >&2
        e2e_failures=$((e2e_failures + 1))
    fi
}

same() { [ "$1" = "$2" ] || { printf 'expected [%s]\n     got [%s]\n' "$2" "$1" >&2; return 1; }; }

e2e_finish() {
    echo "screenshots: $e2e_out"
    [ "$e2e_failures" -eq 0 ]
}
