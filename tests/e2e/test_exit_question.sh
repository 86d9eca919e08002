#!/usr/bin/env bash
# The save question when leaving, starting afresh or opening another file with unsaved text,
# answered each way: Cancel keeps everything, No lets the text go, Yes saves it through
# "Spara som..." first (and keeps the program when that dialog is cancelled, so nothing is lost).
. "$(dirname "$0")/lib.sh" "$1"

kept="$e2e_out/sparad vid avslut.txt"
before_new="$e2e_out/före nytt.txt"
question="Skall dokumentet sparas innan programmet avslutas?"
text() { peek text | tr -d '\r'; }

scenario "Exit asks; Cancel keeps the program and the text"
program_start || exit 1
type_text "Viktig text"
program_exit
message_check "SPARA?" "$question" Escape
check "the program still runs" program_alive
check "the text is still there" same "$(text)" "Viktig text"

scenario "Exit asks; Yes with the save dialog cancelled keeps the program"
program_exit
dialog_wait "SPARA?" || exit 1
keys y
dialog_wait "Spara som" || exit 1
keys Escape
sleep 1
check "the program still runs" program_alive
check "the text is still there" same "$(text)" "Viktig text"

scenario "closing the window asks; Yes saves through the save dialog and ends"
keys alt+F4
message_check "SPARA?" "$question" y
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$kept")"
check "the program ends" program_wait_end 10
check "the text is saved" same "$(cat "$kept" 2>/dev/null)" "Viktig text"

scenario "Exit asks; No ends without saving"
program_start || exit 1
type_text "Slängs"
program_exit
message_check "SPARA?" "$question" n
check "the program ends" program_wait_end 10
check "no file is written" same "$(ls "$e2e_out" | grep -c -v -e png -e keymap -e 'sparad vid avslut')" 0

scenario "New asks; Cancel keeps, No empties, Yes saves first"
program_start || exit 1
type_text "Utkast"
toolbar_click 101
message_check "SPARA?" "Skall dokumentet sparas innan nytt dokument öppnas?" Escape
check "Cancel keeps the text" same "$(text)" "Utkast"
keys alt+a n
message_check "SPARA?" "Skall dokumentet sparas innan nytt dokument öppnas?" n
check "No empties the document" same "$(text)" ""
type_text "Andra utkastet"
toolbar_click 101
message_check "SPARA?" "Skall dokumentet sparas innan nytt dokument öppnas?" y
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$before_new")"
check "Yes saves the text" same "$(cat "$before_new" 2>/dev/null)" "Andra utkastet"
check "and then empties the document" same "$(text)" ""

scenario "Open asks before the dialog; Cancel keeps, No opens, Yes saves first"
other="$e2e_out/annat brev.txt"
before_open="$e2e_out/före öppna.txt"
printf 'Annat brev' >"$other"
type_text "Tredje utkastet"
toolbar_click 102
message_check "SPARA?" "Skall dokumentet sparas innan nytt dokument öppnas?" Escape
check "Cancel keeps the text and shows no dialog" same "$(text)$(peek dialog)" "Tredje utkastet"
keys alt+a odiaeresis
message_check "SPARA?" "Skall dokumentet sparas innan nytt dokument öppnas?" y
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$before_open")"
dialog_wait "Öppna" || exit 1
file_dialog_enter "$(winpath "$other")"
check "Yes saves the text" same "$(cat "$before_open" 2>/dev/null)" "Tredje utkastet"
check "then the other file opens" same "$(text)" "Annat brev"
check "named in the title" same "$(peek title)" "$(winpath "$other")"
keys ctrl+End
type_text " ändrat"
toolbar_click 102
message_check "SPARA?" "Skall dokumentet sparas innan nytt dokument öppnas?" n
dialog_wait "Öppna" || exit 1
file_dialog_enter "$(winpath "$before_open")"
check "No lets the changes go for the chosen file" same "$(text)" "Tredje utkastet"
check "the file left is unchanged" same "$(cat "$other")" "Annat brev"
program_exit
check "the opened file ends without asking" program_wait_end 10
e2e_finish
