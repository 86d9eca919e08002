# Shared by the end-to-end tests: start the real program under Wine on the test run's display
# and drive it from outside with xdotool, like a user; read back with a second program.
# Usage in a test: . "$(dirname "$0")/lib.sh" "$1"   (the argument is brevduva.exe)
# A test is a list of scenarios (scenario "name"), each a few checks; a scenario passes when
# all its checks pass. Every test ends with the line "N passed, N failed" for its scenarios and
# leaves its results in build/e2e/results for the closing summary.
set -uo pipefail

e2e_exe=$(realpath "$1")
e2e_build=${BREVDUVA_BUILD_DIR:-$(dirname "$e2e_exe")}
e2e_source=${BREVDUVA_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
e2e_name=$(basename "$0" .sh)
e2e_out="$e2e_build/e2e/$e2e_name"
e2e_results="$e2e_build/e2e/results"
rm -rf "$e2e_out" && mkdir -p "$e2e_out" "$e2e_results"
rm -f "$e2e_results/$e2e_name"
. "$e2e_source/scripts/wine-env.sh" "$e2e_build"
e2e_pid=""
e2e_failures=0
e2e_step=0
e2e_keymap_pid=""
e2e_scenario=""
e2e_scenario_failures=0
e2e_finished=""
e2e_passed_list=()
e2e_failed_list=()

e2e_cleanup() {
    if [ -z "$e2e_finished" ]; then
        # ended early: the scenario under way did not get to its end
        [ -n "$e2e_scenario" ] && e2e_scenario_failures=$((e2e_scenario_failures + 1))
        echo "FAILED: the test ended early" >&2
        e2e_report
    fi
    [ -n "$e2e_pid" ] && program_kill
    [ -n "$e2e_keymap_pid" ] && kill "$e2e_keymap_pid" 2>/dev/null
    [ -n "${e2e_own_xvfb:-}" ] && kill "$e2e_own_xvfb" 2>/dev/null
    return 0
}
trap e2e_cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    wine_prefix_ensure
    xvfb_start && e2e_own_xvfb=$xvfb_pid
fi

# The Swedish letters get keys of their own for as long as the test runs (see keymap.py).
keymap_hold() {
    local ready="$e2e_out/keymap.ready"
    /usr/bin/python3 "$e2e_source/tests/e2e/keymap.py" >"$ready" 2>/dev/null &
    e2e_keymap_pid=$!
    for _ in $(seq 1 50); do
        grep -q ready "$ready" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "the keyboard map could not be extended" >&2
}
keymap_hold

# Every test starts the program as a first start: what an earlier test left in the user's
# settings (window place, margin, recent files) is removed once, before its first start.
settings_forget() { "$WINE" reg delete 'HKCU\Software\Brevduva Daraduder' /f >/dev/null 2>&1 || true; }
settings_forget

# Windows path of a Linux path, as the program sees it.
winpath() { printf 'Z:%s' "$(realpath -m "$1" | tr '/' '\\')"; }

# The program's recovery copies in this Wine prefix. A start offers those left by an earlier
# run that ended abruptly, so every start clears them unless the test keeps them (e2e_keep_copies).
recovery_folder() {
    local found
    found=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/"Brevduva Daraduder"/* 2>/dev/null | head -1)
    printf '%s' "${found:-$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Brevduva Daraduder/Återställning}"
}
recovery_clear() { rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Local/"Brevduva Daraduder"; }

# Starts the program with the given command-line tail and waits until its window is there.
program_start() {
    [ -n "${e2e_keep_copies:-}" ] || recovery_clear
    "$WINE" "$e2e_exe" "$@" >/dev/null 2>&1 &
    e2e_pid=$!
    program_window_wait
}

# Starts the program with exactly this command line, program name included (no launcher
# rewrites its quotes); the helper that starts it lives as long as the program.
program_launch() {
    [ -n "${e2e_keep_copies:-}" ] || recovery_clear
    "$WINE" "$e2e_build/e2e_probe.exe" launch "$(winpath "$e2e_exe")" "$1" >/dev/null 2>&1 &
    e2e_pid=$!
    program_window_wait
}

program_window_wait() {
    for _ in $(seq 1 150); do
        if peek title >/dev/null 2>&1; then sleep 0.5; window_focus; return 0; fi
        kill -0 "$e2e_pid" 2>/dev/null || break
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

# The program still runs and its window answers.
program_alive() { kill -0 "$e2e_pid" 2>/dev/null && peek title >/dev/null; }

# Ends the program without asking, for the next start (used after checks that need no exit).
program_kill() {
    [ -n "$e2e_pid" ] && kill "$e2e_pid" 2>/dev/null
    program_wait_end 5
    # a program started through the helper is a process of its own
    peek title >/dev/null 2>&1 && probe end
    e2e_pid=""
    sleep 0.3
}

# Exit through the menu: Arkiv, then up to "&Avsluta " (its mnemonic is also Spara som's).
program_exit() { keys alt+a Up Return; }

# The main window on the X side (the search ignores case: the test run's keeper window,
# "brevduva-keeper", must not match).
window_id() { xdotool search --name "${1:-^(Brevduva daraduder|Z:)}" 2>/dev/null | head -1; }
window_focus() {
    local id
    id=$(window_id)
    [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null
    sleep 0.2
}

# Reads what the program shows: title, text, status or dialog (Windows-1252 turned into UTF-8).
peek() { "$WINE" "$e2e_build/e2e_peek.exe" "$1" 2>/dev/null | iconv -f CP1252 -t UTF-8; }
# Reads what the screen does not show exactly: button positions, selection, modified flag, counts.
probe() { "$WINE" "$e2e_build/e2e_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }

# Without a window manager the keyboard can be left with no window at all when a window of the
# program closes; a user would click the program's window then, and so does this.
keyboard_ensure() { [ -n "$(xdotool getwindowfocus getwindowname 2>/dev/null)" ] || window_focus; }

# Sends keys to the window that has the keyboard.
keys() {
    keyboard_ensure
    xdotool key --delay 50 "$@"
    sleep 0.15
}
# Types text; upper-case Swedish letters go as shifted keys, line breaks as Return, and the
# plain runs between them in one go.
type_text() {
    local text=$1 i ch run=""
    keyboard_ensure
    for ((i = 0; i < ${#text}; i++)); do
        ch=${text:i:1}
        case "$ch" in
            Å | Ä | Ö | $'\n')
                [ -n "$run" ] && xdotool type --delay 25 -- "$run"
                run=""
                case "$ch" in
                    Å) xdotool key shift+aring ;;
                    Ä) xdotool key shift+adiaeresis ;;
                    Ö) xdotool key shift+odiaeresis ;;
                    *) xdotool key Return ;;
                esac
                ;;
            *) run+=$ch ;;
        esac
    done
    [ -n "$run" ] && xdotool type --delay 25 -- "$run"
    sleep 0.2
}

# Clicks the toolbar button of a command id where it is on the screen, then moves the mouse
# away so that no tooltip covers what comes next.
toolbar_click() {
    local at
    at=$(probe button "$1") || { echo "no toolbar button $1" >&2; return 1; }
    # shellcheck disable=SC2086 # x and y as two words
    xdotool mousemove $at click 1
    sleep 0.1
    xdotool mousemove 1200 1000
    sleep 0.2
}

# Clicks a control of the program's open dialog, found by its id.
dialog_click() {
    local at
    at=$(probe control "$1") || { echo "no control $1 in the dialog" >&2; return 1; }
    # shellcheck disable=SC2086 # x and y as two words
    xdotool mousemove $at click 1
    sleep 0.2
}

# Waits until a dialog with this caption is on top.
dialog_wait() {
    for _ in $(seq 1 100); do
        peek dialog 2>/dev/null | head -1 | grep -q -- "$1" && { sleep 0.2; return 0; }
        sleep 0.1
    done
    echo "no dialog '$1'" >&2
    shot "no-dialog"
    return 1
}

# Waits until no dialog is open any more, or, given a caption, no dialog of that caption is on top.
dialog_gone() {
    local top
    for _ in $(seq 1 50); do
        top=$(peek dialog 2>/dev/null | head -1 | tr -d '\r') || return 0
        [ -z "$top" ] && return 0
        [ -n "${1:-}" ] && [ "$top" != "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# A message box with this caption and text is shown; it is answered with the given keys (OK).
message_check() {
    local caption=$1 text=$2 answer=${3:-Return} shown
    dialog_wait "$caption" || { check "the box '$caption' is shown" false; return 1; }
    shown=$(peek dialog | tr -d '\r')
    check "the box '$caption' says '${text%%$'\n'*}'" same "$shown" "$caption"$'\n'"$text"
    keys "$answer"
    dialog_gone "$caption"
}

# Types a path into the file dialog that has the focus and confirms it.
file_dialog_enter() {
    sleep 0.2
    type_text "$1"
    keys Return
    sleep 0.4
}

# Polls until the command succeeds, for up to the given seconds.
wait_for() {
    local seconds=$1; shift
    for _ in $(seq 1 $((seconds * 5))); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

shot() {
    e2e_step=$((e2e_step + 1))
    import -window root "$e2e_out/$(printf '%02d' $e2e_step)-$1.png" 2>/dev/null
}

# Starts a scenario; the one before it is counted.
scenario() {
    scenario_close
    e2e_scenario=$1
    e2e_scenario_failures=0
    echo "--- $1"
}

scenario_close() {
    [ -n "$e2e_scenario" ] || return 0
    if [ "$e2e_scenario_failures" -eq 0 ]; then
        e2e_passed_list+=("$e2e_scenario")
    else
        e2e_failed_list+=("$e2e_scenario")
    fi
    e2e_scenario=""
}

check() {
    local what=$1; shift
    [ -n "$e2e_scenario" ] || scenario "$e2e_name"
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what" >&2
        e2e_failures=$((e2e_failures + 1))
        e2e_scenario_failures=$((e2e_scenario_failures + 1))
    fi
}

same() { [ "$1" = "$2" ] || { printf 'expected [%s]\n     got [%s]\n' "$2" "$1" >&2; return 1; }; }

# Writes the scenario results and prints the closing count.
e2e_report() {
    scenario_close
    e2e_finished=1
    local s
    {
        for s in "${e2e_passed_list[@]}"; do printf 'PASS %s: %s\n' "$e2e_name" "$s"; done
        for s in "${e2e_failed_list[@]}"; do printf 'FAIL %s: %s\n' "$e2e_name" "$s"; done
    } >"$e2e_results/$e2e_name"
    for s in "${e2e_failed_list[@]}"; do echo "failed scenario: $s" >&2; done
    echo "screenshots: $e2e_out"
    echo "${#e2e_passed_list[@]} passed, ${#e2e_failed_list[@]} failed"
}

e2e_finish() {
    e2e_report
    [ "${#e2e_failed_list[@]}" -eq 0 ] && [ "$e2e_failures" -eq 0 ]
}
