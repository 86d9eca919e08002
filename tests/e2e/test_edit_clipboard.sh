#!/usr/bin/env bash
# The editing commands from the "Redigera" menu, the toolbar and the context menu, with the
# clipboard read and filled by another program (xclip), as a user moves text between programs.
. "$(dirname "$0")/lib.sh" "$1"

xclip_pid=""
# Bytes as hex, every one of them: a NUL or a stray byte after the text shows.
hex() { od -An -tx1 -v | tr -d ' \n'; }
# Another program reads exactly the text from each plain-text form the platform offers:
# UTF-8 from UTF8_STRING, Latin-1 from STRING and text/plain, line ends as \n.
clipboard_is() {
    local form wrong=0
    for form in UTF8_STRING:UTF-8 STRING:LATIN1 text/plain:LATIN1; do
        same "$(xclip -o -selection clipboard -t "${form%%:*}" 2>/dev/null | hex)" \
             "$(printf '%s' "$1" | iconv -f UTF-8 -t "${form#*:}" | hex)" || wrong=1
    done
    return $wrong
}
# The RTF form is one whole RTF group and nothing after it; it holds the given text.
clipboard_rtf_holds() {
    local rtf
    rtf=$(xclip -o -selection clipboard -t text/rtf 2>/dev/null | hex)
    same "${rtf:0:12}" "$(printf '{\\rtf1' | hex)" && same "${rtf: -2}" "7d" &&
        same "$(xclip -o -selection clipboard -t text/rtf 2>/dev/null | tr -d '\0' | hex)" "$rtf" &&
        xclip -o -selection clipboard -t text/rtf 2>/dev/null | grep -q -F -- "$1"
}
text() { peek text | tr -d '\r'; }
edit_menu() { keys alt+a Right "$@"; }   # "Redigera" has no letter of its own: from "Arkiv" one step right

scenario "ctrl+a, ctrl+c hands other programs exactly the text, every time"
program_start || exit 1
type_text "alfa beta gamma X delta"
for i in 1 2 3 4 5; do
    keys ctrl+a ctrl+c
    check "copy $i of one line: exactly the text" clipboard_is "alfa beta gamma X delta"
    check "copy $i of one line: the RTF ends with its group" clipboard_rtf_holds "alfa beta gamma X delta"
done
keys ctrl+End Return
type_text "epsilon"
keys Return
type_text "zeta eta"
for i in 1 2 3 4 5; do
    keys ctrl+a ctrl+c
    check "copy $i of three lines: exactly the text" clipboard_is $'alfa beta gamma X delta\nepsilon\nzeta eta'
    check "copy $i of three lines: the RTF ends with its group" clipboard_rtf_holds "zeta eta"
done
keys ctrl+Home shift+Down shift+End ctrl+x
check "ctrl+x of two lines: exactly the text" clipboard_is $'alfa beta gamma X delta\nepsilon'
check "ctrl+x takes the lines away" same "$(text)" $'\nzeta eta'
keys ctrl+a Delete

scenario "select all from the menu, copy with the toolbar, read by another program"
type_text "Ett två tre"
edit_menu m                        # Markera allt
toolbar_click 203                  # Kopiera
check "another program reads the copied text" clipboard_is "Ett två tre"

keys ctrl+Home shift+ctrl+Right
edit_menu o                        # K&opiera
check "the menu's copy takes the selected word" clipboard_is "Ett "

scenario "cut from the menu, paste and undo from the toolbar, undo from the menu"
edit_menu m
edit_menu k                        # Klipp ut
check "cut empties the document" same "$(text)" ""
check "the cut text is on the clipboard" clipboard_is "Ett två tre"
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
check "another program reads what the context menu copied" clipboard_is "från X två tre"
toolbar_click 202                  # Klipp ut
check "the toolbar's cut empties the line" same "$(text)" ""
check "and leaves it on the clipboard" clipboard_is "från X två tre"

scenario "leaving an edited document asks, No ends without saving"
program_exit
message_check "SPARA?" "Skall dokumentet sparas innan programmet avslutas?" n
check "the program ends" program_wait_end 10
check "nothing was saved" same "$(find "$e2e_out" -name '*.rtf' -o -name '*.txt' ! -name 'utifrån.txt' | wc -l)" 0

scenario "another program's RTF: a negative tab stop and an overlong font name are made sound; copy and save work"
# another program offers RTF alone, as the X target Wine reads as "Rich Text Format"
offer_rtf() {
    kill "$xclip_pid" 2>/dev/null
    printf '%s' "$1" >"$e2e_out/erbjuden.rtf"
    xclip -quiet -selection clipboard -t text/rtf -i "$e2e_out/erbjuden.rtf" >/dev/null 2>&1 &
    xclip_pid=$!
    sleep 0.5
}
no_negative() { ! grep -q -a -e '\\tx-' -e '\\li-' "$1"; }
program_start || exit 1
offer_rtf '{\rtf1\ansi\pard\li-1000\tx-2000 Utifr\'"'"'e5n\tab RTF\par}'
keys ctrl+v
check "the other program's RTF is pasted" same "$(text)" $'Utifrån\tRTF'
offer_rtf "{\\rtf1{\\fonttbl{\\f0 $(printf 'F%.0s' $(seq 1 1100));}}\\f0 fet}"
keys ctrl+v
check "an overlong font name is made sound and the program runs on" program_alive
check "its text is pasted after the first" same "$(text)" $'Utifrån\tRTF\nfet'
keys ctrl+a ctrl+c
check "copy works" clipboard_rtf_holds "RTF"
keys alt+a a                       # Spara som...
dialog_wait "Spara som" && file_dialog_enter "$(winpath "$e2e_out/inklistrat.rtf")"
check "save works" wait_for 5 grep -q -a 'RTF' "$e2e_out/inklistrat.rtf"
check "with no negative indent or tab stop" no_negative "$e2e_out/inklistrat.rtf"
check "the program runs on" program_alive
kill "$xclip_pid" 2>/dev/null
program_kill
e2e_finish
