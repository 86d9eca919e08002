#!/usr/bin/env bash
# Searching as a user does: a word is selected and found again further down and further up
# with the toolbar's buttons and the search menu, the find dialog is used from the toolbar and
# from the menu in both directions, and every "nothing more" case shows its message. The
# selection the program holds is read back after each step.
. "$(dirname "$0")/lib.sh" "$1"

words="$e2e_out/ord.txt"
long="$e2e_out/lang.txt"
printf 'ett två ett tre ett\r\nfyra ETT fem' | iconv -f UTF-8 -t CP1252 >"$words"
head -c 300 /dev/zero | tr '\0' 'a' >"$long"

selection() { probe selection; }

scenario "search down and up with the toolbar"
program_start "$(winpath "$words")" || exit 1
keys ctrl+Home shift+Right shift+Right shift+Right
check "the first word is selected" same "$(selection)" "0 3"
toolbar_click 502
check "search down finds the second one" same "$(selection)" "8 11"
toolbar_click 502
check "and then the third" same "$(selection)" "16 19"
toolbar_click 502
check "then the one in capitals on the next line" same "$(selection)" "26 29"
shot found-down
toolbar_click 502
message_check "SÖKMEDDELANDE" "Finns inget mer ord neråt!"
keys ctrl+End Left Left Left Left shift+Left shift+Left shift+Left
check "the word in capitals is selected" same "$(selection)" "26 29"
toolbar_click 501
check "search up finds the one before" same "$(selection)" "16 19"
toolbar_click 501
toolbar_click 501
check "and the first one" same "$(selection)" "0 3"
toolbar_click 501
message_check "SÖKMEDDELANDE" "Finns inget mer ord uppåt!"

scenario "search down and up from the search menu"
keys ctrl+Home shift+Right shift+Right shift+Right
keys alt+s Down Return             # Sök, Sök markerat NER
check "the menu's search down finds the second one" same "$(selection)" "8 11"
keys alt+s Return                  # Sök, Sök markerat UPP
check "the menu's search up finds the first one again" same "$(selection)" "0 3"

scenario "the find dialog from the toolbar and the menu, down and up"
keys ctrl+Home
toolbar_click 503
dialog_wait "Find" || exit 1
type_text "tre"
shot find-dialog
dialog_click 1                     # Find Next
check "the dialog's text is found downwards" same "$(selection)" "12 15"
dialog_click 2                     # Cancel closes it
dialog_gone
keys ctrl+End
keys alt+s Down Down Return        # Sök, Sök dialog...
dialog_wait "Find" || exit 1
type_text "ETT"
dialog_click 1056                  # Up
dialog_click 1041                  # Match case
dialog_click 1
check "upwards, with matching case, the capitals are found" same "$(selection)" "26 29"
dialog_click 1
message_check "SÖKMEDDELANDE" "Finns inget mer ord uppåt!"
check "the find dialog is still open" dialog_wait "Find"
dialog_click 2
check "and above the main window: its Cancel button is reached" dialog_gone

scenario "too long a selection is refused, an empty document says so"
keys alt+a odiaeresis              # Arkiv, Öppna...
dialog_wait "Öppna" || exit 1
file_dialog_enter "$(winpath "$long")"
keys ctrl+Home ctrl+shift+End
check "300 characters are selected" same "$(selection)" "0 300"
toolbar_click 503
message_check "SÖKMEDDELANDE" "För stor text för sökdialogen!"
toolbar_click 502
message_check "SÖKMEDDELANDE" $'För stor markering för sökning!\n Max 254 tecken är tillåtet.'
toolbar_click 101                  # Nytt
toolbar_click 502
message_check "SÖKMEDDELANDE" "Finns ingen text i dokumentet!"
keys alt+s Return
message_check "SÖKMEDDELANDE" "Finns ingen text i dokumentet!"
check "the program runs on" program_alive
program_exit
check "the program ends" program_wait_end 10
e2e_finish
