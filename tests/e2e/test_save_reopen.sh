#!/usr/bin/env bash
# A user writes a few lines with Swedish letters, saves them through "Sp&ara som..." as RTF,
# ends the program, starts it again with the file on the command line and finds the text back;
# then the same through a plain-text file. A name typed without extension gets the chosen
# type's; under "All Files" it stays as typed.
. "$(dirname "$0")/lib.sh" "$1"

rtf="$e2e_out/brev till Åsa.rtf"
txt="$e2e_out/lista.txt"

program_start || exit 1
shot start
type_text $'Hej Åsa!\nRäksmörgås, ÖL och ägg.'
shot typed
keys alt+a a                      # Arkiv, Spara som...
dialog_wait "Spara som" || exit 1
shot save-dialog
type_text "$(winpath "$rtf")"
keys Return
sleep 1
shot saved
check "the RTF file is written" test -s "$rtf"
check "it is RTF" grep -q '^{\\rtf' "$rtf"
check "the title is the full path" same "$(peek title)" "$(winpath "$rtf")"
keys alt+a Up Return              # Arkiv, Avsluta
check "the saved program ends without asking" program_wait_end 10

# quoted, as the shell hands a name with blanks over, and unquoted
for quoted in yes no; do
    if [ "$quoted" = yes ]; then
        program_start "$(winpath "$rtf")" || exit 1
    else
        # shellcheck disable=SC2046 # unquoted on purpose: the blanks reach the program as they stand
        program_start $(winpath "$rtf") || exit 1
    fi
    shot "reopened-$quoted"
    check "the text is back (quoted: $quoted)" same "$(peek text | tr -d '\r')" $'Hej Åsa!\nRäksmörgås, ÖL och ägg.'
    check "the title is the file's full path (quoted: $quoted)" same "$(peek title)" "$(winpath "$rtf")"
    [ "$quoted" = yes ] && { keys alt+a Up Return; program_wait_end 10; }
done

keys alt+a n                      # Arkiv, Nytt
type_text $'ett\ntvå'
keys alt+a a
dialog_wait "Spara som" || exit 1
type_text "$(winpath "$txt")"
keys Return
sleep 1
shot saved-text
check "plain text is written as Windows-1252 with CRLF" \
    same "$(iconv -f CP1252 -t UTF-8 "$txt" | od -c | head -2)" "$(printf 'ett\r\ntvå' | od -c | head -2)"
keys alt+a Up Return
check "the program ends" program_wait_end 10

program_start "$(winpath "$txt")" || exit 1
check "the plain text is back" same "$(peek text | tr -d '\r')" $'ett\ntvå'

scenario "a name without extension gets the chosen type's"
keys ctrl+End
type_text " tre"
keys alt+a a                      # the first type, RTF, is chosen
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$e2e_out/utan ändelse")"
check "the RTF type adds .rtf" wait_for 5 test -s "$e2e_out/utan ändelse.rtf"
check "and the file is RTF" grep -q '^{\\rtf' "$e2e_out/utan ändelse.rtf"
check "the title is the name with .rtf" same "$(peek title)" "$(winpath "$e2e_out/utan ändelse.rtf")"
check "nothing is saved under the bare name" test ! -e "$e2e_out/utan ändelse"
keys alt+a a
dialog_wait "Spara som" || exit 1
dialog_click 1136                 # the type box: All Files, the third
keys Down Down Return alt+n          # back to the name field (File &name)
file_dialog_enter "$(winpath "$e2e_out/alla")"
check "All Files keeps the name as typed" wait_for 5 test -s "$e2e_out/alla"
check "as plain text" same "$(iconv -f CP1252 -t UTF-8 "$e2e_out/alla" | tr -d '\r')" $'ett\ntvå tre'
check "the title is the name as typed" same "$(peek title)" "$(winpath "$e2e_out/alla")"
keys alt+a Up Return
program_wait_end 10
program_start "$(winpath "$e2e_out/utan ändelse.rtf")" || exit 1
check "the RTF file reads back" same "$(peek text | tr -d '\r')" $'ett\ntvå tre'
keys alt+a Up Return
program_wait_end 10
e2e_finish
