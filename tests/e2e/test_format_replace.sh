#!/usr/bin/env bash
# Everyday editing as a user does it: two paragraphs, one centred with ctrl+E, the other
# bulleted from the Format menu, a word made bold with ctrl+B, a word replaced through ctrl+H
# with the dialog's own keys; undo and redo; saved as RTF and read back, and the file read by
# another word processor. Then the program starts again with the recent file and the window's
# place it had.
. "$(dirname "$0")/lib.sh" "$1"

letter="$e2e_out/brev.rtf"
rm -f "$letter"
selection() { probe selection; }
place_kept() { "$WINE" reg query 'HKCU\Software\Brevduva Daraduder' /v WindowLeft >/dev/null 2>&1; }
titled_letter() { [ "$(peek title)" = "$(winpath "$letter")" ]; }

scenario "format and replace with the keyboard"
program_start || exit 1
type_text $'Kära mor\nHär är ett brev'
keys ctrl+Home ctrl+e                       # the first paragraph centred
keys ctrl+End alt+f Down Down Down Return   # Format, Punktlista: the second bulleted
keys ctrl+End ctrl+shift+Left ctrl+b        # "brev" bold
keys ctrl+Home ctrl+h
dialog_wait "Replace" || exit 1
type_text "ett"
keys Tab
type_text "sitt"
keys Return                                 # Find Next, the dialog's default button
check "Enter in the dialog finds the word" same "$(selection)" "17 20"
keys alt+a                                  # Replace All
message_check "SÖKMEDDELANDE" "1 förekomster ersattes!"
keys Escape
check "Escape closes the replace dialog" dialog_gone
window_focus
keys ctrl+z
keys ctrl+End ctrl+shift+Home ctrl+c
check "undo brings the word back" same "$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r' | iconv -f UTF-8 -t UTF-8)" $'Kära mor\nHär är ett brev'
keys ctrl+y
keys ctrl+End ctrl+shift+Home ctrl+c
check "redo replaces it again" same "$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r')" $'Kära mor\nHär är sitt brev'
keys ctrl+Home

scenario "saved as RTF, read back, and read by another word processor"
keys ctrl+s
dialog_wait "Spara" || exit 1
file_dialog_enter "$(winpath "$letter")"
check "the letter is written" wait_for 5 test -s "$letter"
keys ctrl+n
keys alt+a 1                                # Arkiv, "&1 brev.rtf"
check "the recent file opens" wait_for 5 titled_letter
keys ctrl+End ctrl+shift+Home ctrl+c
check "its text came back" same "$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r')" $'Kära mor\nHär är sitt brev'
lo="$e2e_out/lo"
mkdir -p "$lo/home"
HOME="$lo/home" timeout 120 soffice -env:UserInstallation="file://$lo/profile" --headless \
    --convert-to fodt --outdir "$lo" "$letter" >/dev/null 2>&1
fodt="$lo/brev.fodt"
check "LibreOffice reads the letter" test -s "$fodt"
check "the first paragraph is centred" grep -q 'fo:text-align="center"' "$fodt"
check "the second is a bulleted list" grep -q 'text:list-level-style-bullet' "$fodt"
check "the word is bold" grep -q 'fo:font-weight="bold"' "$fodt"

scenario "the next start has the recent file and the window's place"
before=$(probe move 120 80)
sleep 0.3
program_exit
check "the program ends" program_wait_end 10
check "the place is kept" place_kept
program_start || exit 1
check "the window is where it was" same "$(probe place)" "$before"
keys alt+a 1
check "the recent file is listed and opens" wait_for 5 titled_letter
program_exit
check "the program ends" program_wait_end 10
settings_forget
e2e_finish
