#!/usr/bin/env bash
# Files dropped onto the editor from another program through X drag and drop (xdnd_drop.py
# plays the file manager): one file opens, two files are refused, an RTF file keeps its
# format, an unsaved document is asked about first, a locked file gives its message without
# touching the document, and an empty file opens as an empty document.
. "$(dirname "$0")/lib.sh" "$1"

plain="$e2e_out/släppt fil.txt"
rich="$e2e_out/släppt.rtf"
empty="$e2e_out/tom.txt"
locked="$e2e_out/låst.txt"
printf 'Släppt text\r\nrad två' | iconv -f UTF-8 -t CP1252 >"$plain"
printf '{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Fet\\b0  text\\par}' >"$rich"
: >"$empty"
printf 'låst' >"$locked"
lock_pid=""
trap '[ -n "$lock_pid" ] && kill "$lock_pid" 2>/dev/null; e2e_cleanup' EXIT

text() { peek text | tr -d '\r'; }
# Drops the files onto the middle of the editor.
drop() { /usr/bin/python3 "$e2e_source/tests/e2e/xdnd_drop.py" 500 300 "$@"; sleep 0.8; }

scenario "one file dropped from another program opens"
program_start || exit 1
check "the drop is taken" drop "$plain"
check "the text is the file's" same "$(text)" $'Släppt text\nrad två'
check "the title is the dropped path" same "$(peek title)" "$(winpath "$plain")"
check "the status bar shows the new size" same "$(peek status | tr -d '\r' | cut -d'|' -f10)" 20
shot dropped
keys ctrl+End
type_text " igen"
keys alt+a s                       # Spara: the dropped file is the document's own
check "Spara writes the dropped file at once" wait_for 5 eval 'grep -q " igen" "$plain"'
check "without asking for a name" same "$(peek dialog 2>/dev/null | head -1)" ""
check "the document counts as saved" same "$(probe modified)" 0

scenario "two files dropped at once are refused"
drop "$plain" "$rich"
message_check "DRAG OCH SLÄPP- FEL" "Endast en fil får släppas åt gången!"
check "the document stays" same "$(text)" $'Släppt text\nrad två igen'
check "the title stays" same "$(peek title)" "$(winpath "$plain")"

scenario "a dropped RTF file opens with its format"
drop "$rich"
check "the RTF text is read" same "$(text)" "Fet text"
check "the title is the RTF path" same "$(peek title)" "$(winpath "$rich")"
keys alt+a a                       # Spara som...: the bold word is still bold
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$e2e_out/sparad.rtf")"
check "the bold word is saved bold" grep -q '\\b.* Fet\\b0' "$e2e_out/sparad.rtf"

scenario "an unsaved document is asked about before a drop replaces it"
question="Skall dokumentet sparas innan nytt dokument öppnas?"
keys ctrl+End
type_text " mer"
drop "$plain"
message_check "SPARA?" "$question" Escape
check "Cancel keeps the document" same "$(text)" "Fet text mer"
check "and its title" same "$(peek title)" "$(winpath "$e2e_out/sparad.rtf")"
drop "$plain"
message_check "SPARA?" "$question" y
check "Yes saves it first, to its own file" wait_for 5 grep -q 'text mer' "$e2e_out/sparad.rtf"
check "then the dropped file opens" same "$(text)" $'Släppt text\nrad två igen'
check "named in the title" same "$(peek title)" "$(winpath "$plain")"
keys ctrl+End
type_text " slängs"
drop "$rich"
message_check "SPARA?" "$question" n
check "No lets it go for the dropped file" same "$(text)" "Fet text"

scenario "a locked dropped file gives its message, an empty one opens"
"$WINE" "$e2e_build/e2e_probe.exe" lock "$(winpath "$locked")" 30 >"$e2e_out/lock.out" 2>/dev/null &
lock_pid=$!
wait_for 5 grep -qs locked "$e2e_out/lock.out"
drop "$locked"
message_check "FILFEL" "Det gick ej att öppna den släppta filen för läsning!"
check "the document stays after the locked file" same "$(text)" "Fet text"
kill "$lock_pid" 2>/dev/null
lock_pid=""
drop "$empty"
check "the empty file opens as an empty document" same "$(text)" ""
check "with no message" same "$(peek dialog | head -1)" ""
check "named in the title" same "$(peek title)" "$(winpath "$empty")"
program_exit
check "the program ends without asking" program_wait_end 10
e2e_finish
