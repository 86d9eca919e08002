#!/usr/bin/env bash
# A user loses power: the program is killed (kill -9) a few seconds after typing, and the next
# start offers the recovery copy back. A new document comes back with its formats, an opened
# UTF-8 text file comes back as that file and is saved there in UTF-8; a second window never
# offers the first one's copy; a kill while a large copy is being written leaves the last one whole.
. "$(dirname "$0")/lib.sh" "$1"

letter="$e2e_out/brev.txt"
saved="$e2e_out/återställd.rtf"
question_start="Brevduva daraduder avslutades utan att spara. Vill du återställa dokumentet från "
text() { peek text | tr -d '\r'; }
copies() { ls "$(recovery_folder)" 2>/dev/null | grep -c '\.rtf$'; }
killed() {
    kill -9 "$e2e_pid"
    program_wait_end 5
    e2e_pid=""
    sleep 0.5
}
# The question, with any date and time, answered with the given key.
recovery_answer() {
    dialog_wait "ÅTERSTÄLLA?" || { check "the question ÅTERSTÄLLA? is asked" false; return 1; }
    local shown
    shown=$(peek dialog | tr -d '\r')
    check "the question names the copy's date and time" \
        grep -qE "^${question_start}[0-9]{4}-[0-9]{2}-[0-9]{2} kl\. [0-9]{2}:[0-9]{2}\?\$" <<<"${shown#*$'\n'}"
    keys "$1"
    dialog_gone "ÅTERSTÄLLA?"
    sleep 0.5
}

scenario "a new document typed, killed after 6 s, comes back with its formats and modified"
program_start || exit 1
type_text "Fet "
keys ctrl+Home shift+End
keys alt+i v                       # Inställningar, Välj typsnitt...
dialog_wait "Font" || exit 1
keys alt+y
type_text "Bold"
keys Return
dialog_gone
keys ctrl+End
type_text "och mer"
sleep 6
check "a copy is written" same "$(copies)" 1
killed
e2e_keep_copies=1 program_start || exit 1
recovery_answer y
check "the text is back" same "$(text)" "Fet och mer"
check "the document counts as changed" same "$(probe modified)" 1
check "the title is the unnamed document's" same "$(peek title)" "Brevduva daraduder"
keys alt+a a                       # Spara som...
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$saved")"
check "the saved document is bold" wait_for 5 grep -q '\\b\\.* Fet och mer' "$saved"
check "a saved document has no copy" wait_for 3 same "$(copies)" 0
program_exit
check "the program ends" program_wait_end 10

scenario "an opened UTF-8 text comes back as that file and Spara writes it in UTF-8"
printf 'Hälsningar från Åre – “väl mött” €' >"$letter"
program_start "$(winpath "$letter")" || exit 1
keys ctrl+End
type_text " och mer"
sleep 6
killed
e2e_keep_copies=1 program_start || exit 1
recovery_answer y
check "the title is the file's" same "$(peek title)" "$(winpath "$letter")"
check "the text is back" same "$(text)" "Hälsningar från Åre – “väl mött” € och mer"
check "the document counts as changed" same "$(probe modified)" 1
check "the file itself is untouched" same "$(cat "$letter")" "Hälsningar från Åre – “väl mött” €"
keys ctrl+s
sleep 1
# the save dialog, where Spara asks for the name, starts on the file: taken as it is
if peek dialog 2>/dev/null | head -1 | grep -q "Spara som"; then
    keys Return
    sleep 0.7
    peek dialog 2>/dev/null | head -1 | grep -q . && keys y
fi
letter_saved() { [ "$(cat "$letter")" = "Hälsningar från Åre – “väl mött” € och mer" ]; }
check "the file holds the new text in UTF-8" wait_for 5 letter_saved
check "the document counts as saved" same "$(probe modified)" 0
program_exit
check "the program ends" program_wait_end 10

scenario "No removes the copy; a second window never sees the first one's copy"
program_start || exit 1
type_text "Kastas"
sleep 6
killed
e2e_keep_copies=1 program_start || exit 1
recovery_answer n
check "the copy is gone" same "$(copies)" 0
check "the document is empty" same "$(text)" ""
type_text "Första fönstret"
sleep 6
first=$e2e_pid
"$WINE" "$e2e_exe" >/dev/null 2>&1 &
second=$!
sleep 6
check "the second window asks nothing" same "$(peek dialog 2>/dev/null | head -1 | tr -d '\r')" ""
check "the first window's copy is still there" same "$(copies)" 1
kill -9 "$second" 2>/dev/null
kill -9 "$first"
e2e_pid=$first
program_wait_end 5
e2e_pid=""
e2e_keep_copies=1 program_start || exit 1
recovery_answer y
check "the first window's text is back" same "$(text)" "Första fönstret"
program_kill
recovery_clear

scenario "a kill while a large copy is written leaves the last copy whole"
big="$e2e_out/stor.rtf"
# 20 MB in the copy: every word has a look of its own
python3 - "$big" <<'EOF'
import sys
words = ["brev", "duva", "sj\\'f6n", "med", "ett", "ord"]
looks = ["\\b\\i\\fs28 ", "\\b0\\i0\\fs20 ", "\\ul\\cf1 ", "\\ulnone\\cf0 "]
out = ["{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs20 "]
for i in range(1350000):
    out.append(looks[i % 4] + words[i % 6] + " ")
    if i % 12 == 11:
        out.append("\\par\r\n")
out.append("}")
open(sys.argv[1], "w").write("".join(out))
EOF
program_start "$(winpath "$big")" || exit 1
big_open() { [ "$(peek title 2>/dev/null | tr -d '\r')" = "$(winpath "$big")" ]; }
wait_for 120 big_open
keys ctrl+Home
type_text "A"
folder=$(recovery_folder)
note_there() { ls "$folder" 2>/dev/null | grep -q '\.txt$'; }
check "a first copy is written" wait_for 60 note_there
copy=$(ls "$folder"/*.rtf 2>/dev/null | head -1)
sleep 2
before=$(md5sum <"$copy")
echo "copy: $(stat -c %s "$copy") bytes"
check "the copy is large" test "$(stat -c %s "$copy")" -gt 20000000
type_text "B"
# the next copy starts about 2 s after the typing rests: killed as soon as it is under way
for _ in $(seq 1 200); do
    ls -a "$folder" | grep -q '^~.*\.tmp$' && break
    sleep 0.05
done
check "the next copy was under way" bash -c "ls -a '$folder' | grep -q '^~.*\.tmp\$'"
killed
check "the last copy is whole and unchanged" same "$(md5sum <"$copy")" "$before"
check "its note is beside it" test -s "${copy%.rtf}.txt"
recovery_clear

e2e_finish
