#!/usr/bin/env bash
# The editing commands from the "Redigera" menu, the toolbar and the context menu, with the
# clipboard read and filled by another program (xclip), as a user moves text between programs.
. "$(dirname "$0")/lib.sh" "$1"

xclip_pid=""
# The clipboard as another program reads it, up to the first NUL.
clipboard() { xclip -o -selection clipboard 2>/dev/null | tr '\0' '\n' | head -1; }
text() { peek text | tr -d '\r'; }
edit_menu() { keys alt+a Right "$@"; }   # "Redigera" has no letter of its own: from "Arkiv" one step right

scenario "select all from the menu, copy with the toolbar, read by another program"
program_start || exit 1
type_text "Ett två tre"
edit_menu m                        # Markera allt
toolbar_click 203                  # Kopiera
check "another program reads the copied text" same "$(clipboard)" "Ett två tre"

keys ctrl+Home shift+ctrl+Right
edit_menu o                        # K&opiera
check "the menu's copy takes the selected word" same "$(clipboard)" "Ett "

scenario "cut from the menu, paste and undo from the toolbar, undo from the menu"
edit_menu m
edit_menu k                        # Klipp ut
check "cut empties the document" same "$(text)" ""
check "the cut text is on the clipboard" same "$(clipboard)" "Ett två tre"
toolbar_click 204                  # Klistra in
check "paste brings exactly the text back" same "$(text)" "Ett två tre"
toolbar_click 201                  # Ångra
check "undo takes the paste back" same "$(text)" ""
edit_menu aring                    # &Ångra
check "undo from the menu undoes that again" same "$(text)" "Ett två tre"

scenario "delete and paste from the menu, text copied in another program"
keys ctrl+Home ctrl+shift+Right
edit_menu r                        # Radera
check "delete removes the selected word" same "$(text)" "två tre"
printf 'från X ' >"$e2e_out/utifrån.txt"
xclip -quiet -selection clipboard -i "$e2e_out/utifrån.txt" >/dev/null 2>&1 &
xclip_pid=$!
sleep 0.5
keys ctrl+Home
edit_menu l                        # K&listra in, its letter after the menu's first opening
check "the other program's text is pasted" same "$(text)" "från X två tre"
kill "$xclip_pid" 2>/dev/null

scenario "the context menu copies the selection"
keys ctrl+Home shift+End
xdotool mousemove 500 300 click 3
sleep 0.6
shot context-menu
keys o                             # K&opiera
check "another program reads what the context menu copied" same "$(clipboard)" "från X två tre"
toolbar_click 202                  # Klipp ut
check "the toolbar's cut empties the line" same "$(text)" ""
check "and leaves it on the clipboard" same "$(clipboard)" "från X två tre"

scenario "leaving an edited document asks, No ends without saving"
program_exit
message_check "SPARA?" "Skall dokumentet sparas innan programmet avslutas?" n
check "the program ends" program_wait_end 10
check "nothing was saved" same "$(find "$e2e_out" -name '*.rtf' -o -name '*.txt' ! -name 'utifrån.txt' | wc -l)" 0
e2e_finish
