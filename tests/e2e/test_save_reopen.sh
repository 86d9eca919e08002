#!/usr/bin/env bash
# A user writes a few lines with Swedish letters, saves them through "Sp&ara som..." as RTF,
# ends the program, starts it again with the file on the command line and finds the text back;
# then the same through a plain-text file.
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

# the tail is taken verbatim: given quoted, the name keeps its quotes and opens nothing
program_start "$(winpath "$rtf")" || exit 1
check "a quoted name opens nothing" same "$(peek text)" ""
keys alt+a Up Return
program_wait_end 10
# shellcheck disable=SC2046 # unquoted on purpose: the blanks reach the program as they stand
program_start $(winpath "$rtf") || exit 1
shot reopened
check "the text is back" same "$(peek text | tr -d '\r')" $'Hej Åsa!\nRäksmörgås, ÖL och ägg.'
check "the title is the start title" same "$(peek title)" "Brevduva daraduder"

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
keys alt+a Up Return
program_wait_end 10
e2e_finish
