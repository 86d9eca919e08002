#!/usr/bin/env bash
# A user writes two lines, formats them through the font dialog (menu and toolbar), saves the
# letter as RTF with the toolbar's save button, sets margin and tab step, saves again from the
# menu, starts afresh with New and opens the letter again with the open button; then picks a
# background colour and reads the About box. Everything is checked where a user would see or
# keep it: the file on disk, the title, the status bar and the screen.
. "$(dirname "$0")/lib.sh" "$1"

rtf="$e2e_out/brev med stil.rtf"
copy="$e2e_out/kopia.rtf"

# The colour of one pixel of the editor on a fresh screenshot, as r,g,b.
editor_colour() {
    import -window root "$e2e_out/colour-$1.png" 2>/dev/null
    convert "$e2e_out/colour-$1.png" -crop 1x1+700+500 -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}

status_part() { peek status | tr -d '\r' | cut -d'|' -f"$1"; }

scenario "write and format with the font dialog"
program_start || exit 1
type_text $'Brevduva skriver\nRäksmörgås på ÅLAND'
keys ctrl+Home shift+End
keys alt+i v                       # Inställningar, Välj typsnitt...
dialog_wait "Font" || exit 1
type_text "Courier New"
keys alt+y
type_text "Bold"
keys alt+s
type_text "20"
shot font-dialog
keys Return
dialog_gone
keys ctrl+End shift+Home
toolbar_click 701                  # the font button
dialog_wait "Font" || exit 1
keys alt+y
type_text "Italic"
keys Return
dialog_gone
keys ctrl+End
shot formatted
check "the text is as typed" same "$(peek text | tr -d '\r')" $'Brevduva skriver\nRäksmörgås på ÅLAND'
check "the document counts as changed" same "$(probe modified)" 1

scenario "first save with the toolbar asks for a name and writes RTF"
toolbar_click 103
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$rtf")"
check "the RTF file is written" wait_for 5 test -s "$rtf"
check "the title is the full path" same "$(peek title)" "$(winpath "$rtf")"
check "the file is RTF" grep -q '^{\\rtf1' "$rtf"
check "the first line keeps its face" grep -q 'Courier New' "$rtf"
check "the first line keeps bold 20 points" grep -q '\\b\\.*\\fs40\\.* Brevduva skriver' "$rtf"
check "the second line keeps italic" grep -q '\\i' "$rtf"
check "the Swedish letters are in the file" grep -q "R\\\\'e4ksm\\\\'f6rg\\\\'e5s p\\\\'e5 \\\\'c5LAND" "$rtf"
check "the document counts as saved" same "$(probe modified)" 0

scenario "margin and tab step from the settings menu, saved with Spara"
keys alt+i Down Down Return       # Välj marginal...
dialog_wait "Ändra marginal" || exit 1
type_text "20"
dialog_click 801                   # the dialog's OK button (Return is not its key)
dialog_gone
check "the status bar shows the margin" same "$(status_part 2)" "20"
keys alt+i Down Down Down Return  # Välj tabulatorsteg...
dialog_wait "Ändra marginal" || exit 1
type_text "40"
dialog_click 801
dialog_gone
check "the status bar shows the tab step" same "$(status_part 4)" "40"
keys alt+i Down Down Return
dialog_wait "Ändra marginal" || exit 1
type_text "99"
keys Escape                        # leaves the margin as it was
dialog_gone
check "Escape keeps the margin" same "$(status_part 2)" "20"
shot margin-tab
before=$(stat -c %Y.%s "$rtf")
sleep 1
keys alt+a s                       # Arkiv, Spara: no dialog the second time
check "Spara asks nothing" dialog_gone
check "the file is written again" wait_for 5 test "$(stat -c %Y.%s "$rtf")" != "$before"
check "the tab stops follow margin and step" grep -q '\\tx400\\tx1200\\tx2000' "$rtf"

scenario "New empties, the open button brings the letter back"
toolbar_click 101
check "New asks nothing for a saved letter" dialog_gone
check "New empties the document" same "$(peek text)" ""
check "New names the window" same "$(peek title)" "Brevduva Daraduder"
toolbar_click 102
dialog_wait "Öppna" || exit 1
file_dialog_enter "$(winpath "$rtf")"
check "the text is back" same "$(peek text | tr -d '\r')" $'Brevduva skriver\nRäksmörgås på ÅLAND'
check "the title is the opened path" same "$(peek title)" "$(winpath "$rtf")"
check "the status bar shows the document size" same "$(status_part 10)" "37"
shot reopened
keys alt+a a                       # Spara som...
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$copy")"
wait_for 5 test -s "$copy"
# the platform's reader drops the first-line indent, so the texts and character formats are compared
check "the reopened letter keeps its characters and their formats" \
    same "$(sed 's/^\\pard[^ ]* //' "$copy" | tr -d '\0')" "$(sed 's/^\\pard[^ ]* //' "$rtf" | tr -d '\0')"

scenario "background colour from menu and toolbar, About from menu and toolbar"
keys alt+i j                       # Väl&j bakgrundsfärg...
dialog_wait "Color" || exit 1
keys alt+d                         # Define Custom Colors: the red, green and blue fields
keys alt+r; type_text "200"
keys alt+g; type_text "230"
keys alt+b; type_text "150"
keys Return
dialog_gone
check "the editor shows the chosen colour" same "$(editor_colour chosen)" "200,230,150"
toolbar_click 702
dialog_wait "Color" || exit 1
keys Escape
dialog_gone
check "a cancelled colour dialog changes nothing" same "$(editor_colour cancelled)" "200,230,150"
keys alt+o Return                  # Om, Om&
message_check "OM" $'Brevduva daraduder\nÄr ett Vindel projektprogram\nVindel är ett enklare sätt att\nprogrammera Windows\nhttp://vindel.example.org/\n\nSkrivet 2024 av Vindelgruppen'
toolbar_click 601
dialog_wait "OM" || exit 1
shot about
check "the About box shows its first line again" same "$(peek dialog | tr -d '\r' | sed -n 2p)" "Brevduva daraduder"
keys Return
dialog_gone
keys alt+a n                       # Arkiv, Nytt: white again
check "New gives a white page" same "$(editor_colour after-new)" "255,255,255"
check "the new page counts as unchanged" same "$(probe modified)" 0
program_exit
check "the program ends" program_wait_end 10
e2e_finish
