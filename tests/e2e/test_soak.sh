#!/usr/bin/env bash
# Long use, driven from outside: round after round the user starts a new document, writes,
# formats, searches, saves it, opens it again and prints it, and the last saved file must be
# exactly the last document. Three rounds by default (the test run's long use runs in process:
# DocumentCommands.LongUseKeepsObjectsAndMemoryFlat); given BREVDUVA_SOAK_SECONDS it goes on
# that long, and the program's GDI and USER objects and its memory must stay flat from the
# first rounds to the last.
. "$(dirname "$0")/lib.sh" "$1"

seconds=${BREVDUVA_SOAK_SECONDS:-0}
rounds=3
d=$e2e_out
saved="$d/varv.txt"
started_printer=""
trap '[ -n "$started_printer" ] && printer_stop; e2e_cleanup' EXIT
if [ -z "${BREVDUVA_PRINT_DIR:-}" ]; then
    . "$e2e_source/scripts/printer.sh"
    printer_start "$e2e_build/printer" && started_printer=1
fi

measure() {
    local line
    line=$(probe resources)
    echo "round $1: $line" >>"$d/resources.log"
    echo "$line"
}
field() { tr ' ' '\n' <<<"$1" | sed -n "s/^$2=//p"; }

# One round: everything a day at the desk does, through menus, toolbar and dialogs. Each
# round ends saved, so the next New asks nothing.
lost() { echo "round $n: no $1" >&2; shot "round-$n-no-$1"; return 1; }
round() {
    local n=$1
    toolbar_click 101                                  # Nytt
    type_text "Varv $n: brevduvan flyger"
    keys Return
    type_text "Rad två i varv $n"
    keys ctrl+Home shift+End
    toolbar_click 701                                  # typsnitt: fet
    dialog_wait "Font" >/dev/null || lost font-dialog
    keys alt+y
    type_text "Bold"
    keys Return
    dialog_gone
    keys ctrl+Home shift+ctrl+Right
    toolbar_click 502                                  # sök nedåt: "varv" på rad två
    toolbar_click 503                                  # sökdialogen öppnas och stängs
    dialog_wait "Find" >/dev/null || lost find-dialog
    dialog_click 2
    dialog_gone
    local existed=""
    [ -e "$saved" ] && existed=1
    keys alt+a a                                       # Spara som... över samma fil
    dialog_wait "Spara som" >/dev/null || lost save-dialog
    file_dialog_enter "$(winpath "$saved")"
    [ -n "$existed" ] && dialog_wait "Spara som" >/dev/null && keys y
    wait_for 5 eval '[ "$(probe modified)" = 0 ]' || lost save
    toolbar_click 102                                  # Öppna igen
    dialog_wait "Öppna" >/dev/null || lost open-dialog
    file_dialog_enter "$(winpath "$saved")"
    if [ $((n % 3)) -eq 0 ]; then
        toolbar_click 104                              # skriv ut
        wait_for 20 eval '! peek dialog 2>/dev/null | grep -q Printing'
    fi
    toolbar_click 601                                  # Om
    dialog_wait "OM" >/dev/null || lost about-box
    keys Return
    dialog_gone
}

scenario "a day at the desk, round after round"
: >"$d/resources.log"
program_start || exit 1
end=$((SECONDS + seconds))
n=0
first=""
while [ $n -lt $rounds ] || [ $SECONDS -lt $end ]; do
    n=$((n + 1))
    round "$n" || { check "round $n runs through" false; break; }
    now=$(measure "$n")
    # the first two rounds fill the platform's caches (dialog templates, fonts, printer data)
    [ "$n" -eq 2 ] && first=$now
done
last=$now
echo "rounds: $n; after round 2: $first; at the end: $last"
check "every round ran" test "$n" -ge "$rounds"
if [ "$seconds" -gt 0 ]; then
    check "GDI objects stay flat" test $(($(field "$last" gdi) - $(field "$first" gdi))) -le 3
    check "USER objects stay flat" test $(($(field "$last" user) - $(field "$first" user))) -le 1
    check "memory stays flat (under 4 MB of growth)" \
        test $(($(field "$last" private_kb) - $(field "$first" private_kb))) -lt 4096
fi

scenario "the last saved file is exactly the last document"
printf 'Varv %s: brevduvan flyger\r\nRad två i varv %s' "$n" "$n" | iconv -f UTF-8 -t CP1252 >"$d/väntat.txt"
check "the file holds the last round's text" cmp -s "$saved" "$d/väntat.txt"
check "the program shows that text" same "$(peek text | tr -d '\r')" $'Varv '"$n"$': brevduvan flyger\nRad två i varv '"$n"
check "and counts it as saved" same "$(probe modified)" 0
program_exit
check "the program ends without asking" program_wait_end 10
e2e_finish
