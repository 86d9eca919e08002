#!/usr/bin/env bash
# Text files from other programs in the encoding they came in, opened and saved with the
# keyboard shortcuts: the letters read back by another program through the clipboard, and the
# saved bytes.
. "$(dirname "$0")/lib.sh" "$1"

letters='räksmörgås ł €'
utf8="$e2e_out/utf8.txt"
printf '%s' "$letters" >"$utf8"
bytes() { od -An -tx1 | tr -s ' \n' ' '; }

scenario "a UTF-8 file opened with ctrl+O shows every letter and saves back the same bytes"
program_start || exit 1
keys ctrl+o
dialog_wait "Öppna" || exit 1
file_dialog_enter "$(winpath "$utf8")"
keys ctrl+a ctrl+c
check "another program reads the letters as UTF-8" \
    same "$(xclip -o -selection clipboard -t UTF8_STRING 2>/dev/null | bytes)" "$(printf '%s' "$letters" | bytes)"
keys alt+a a                       # Spara som...
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$e2e_out/kopia.txt")"
check "saved under a new name, the bytes are the file's" cmp "$utf8" "$e2e_out/kopia.txt"

scenario "a new document is Windows-1252 again"
keys ctrl+n
type_text "å"
keys ctrl+s
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$e2e_out/ny.txt")"
check "å is one byte" same "$(bytes <"$e2e_out/ny.txt")" " e5 "
program_kill
e2e_finish
