#!/usr/bin/env bash
# Documents that are not what they claim to be, opened as a user would: malformed RTF
# (truncated, random bytes, groups nested without end, endless control words), binary files as
# text, an empty file, several files picked at once (the dialog then names their folder), a
# name with Swedish letters and blanks, and files at and beyond the 10,000,000-character limit.
# Each ends in its message with the document, its title and its unsaved state as they were, or
# in the file's document, and the program keeps running. A hostile RTF file and one with a link
# and a table are opened, copied and saved as a user would; the whole of rtf_corpus, and
# generated hostile files, go through the same path in process (tests/toolkit/test_rtf_generated).
. "$(dirname "$0")/lib.sh" "$1"

d=$e2e_out
printf 'Bra text' >"$d/bra.txt"
printf '{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b Fet text som klipps mitt i {\\i kurs' >"$d/avklippt.rtf"
/usr/bin/python3 - "$d" <<'EOF'
import random, sys
d = sys.argv[1] + "/"
random.seed(8)
open(d + "slump.rtf", "wb").write(bytes(random.getrandbits(8) for _ in range(4096)))
open(d + "binär.txt", "wb").write(bytes(random.getrandbits(8) for _ in range(8192)))
open(d + "djup.rtf", "w").write("{\\rtf1 " + "{" * 100000 + "djup" + "}" * 100000 + "}")
open(d + "ord.rtf", "w").write("{\\rtf1 \\" + "a" * 100000 + " text\\par\\fs" + "9" * 5000 + " mer\\par}")
line = b"0123456789" * 9 + b"abcdefgh\r\n"
open(d + "exakt.txt", "wb").write((line * 100000)[:10000000])
open(d + "över.txt", "wb").write((line * 100001)[:10000001])
EOF
printf 'Åsa och Örjan\r\n' | iconv -f UTF-8 -t CP1252 >"$d/Åsa och Örjan på väg.txt"
cp "$e2e_build/e2e_peek.exe" "$d/program.txt"
: >"$d/tom.txt"

text() { peek text | tr -d '\r'; }
size() { peek status | tr -d '\r' | cut -d'|' -f10; }
not_negative() { ! grep -q -a -e '\\tx-' -e '\\li-' -e '\\fi-' -e '\\ri-' "$1"; }
open_file() {
    keys alt+a odiaeresis          # Arkiv, Öppna...
    # an unsaved document is asked about first; here it may go
    wait_for 5 eval 'peek dialog | head -1 | grep -q -e Öppna -e SPARA'
    peek dialog | head -1 | grep -q SPARA && keys n
    dialog_wait "Öppna" || return 1
    file_dialog_enter "$@"
}
# Opens a file that cannot be read: its message, and the program still there.
open_unreadable() {
    open_file "$(winpath "$1")"
    message_check "FILFEL" "Det gick ej att hämta in filen!"
    check "the program runs on after $(basename "$1")" program_alive
}

scenario "malformed RTF gives its message and leaves the document, its title and its state alone"
program_start "$(winpath "$d/bra.txt")" || exit 1
keys ctrl+End
type_text " och ändrad"
# read in part (the document is put back); the other kinds of bad RTF go through the same path in
# process
for bad in avklippt; do
    open_unreadable "$d/$bad.rtf"
    check "$bad.rtf leaves the edited text" same "$(text)" "Bra text och ändrad"
    check "and the title" same "$(peek title)" "$(winpath "$d/bra.txt")"
    check "and still unsaved" same "$(probe modified)" 1
done

open_file "$(winpath "$d/djup.rtf")"
check "groups nested 100,000 deep are read" wait_for 10 test "$(text)" = "djup"

scenario "a hostile RTF file is refused, another's file shows its text; copy and save work after each"
program_kill
program_start "$(winpath "$d/bra.txt")" || exit 1
corpus="$e2e_source/tests/e2e/rtf_corpus"
# The program's window still answers (a stalled program does not).
answers() { kill -0 "$e2e_pid" 2>/dev/null && timeout 20 "$WINE" "$e2e_build/e2e_peek.exe" text >/dev/null 2>&1; }
# Opens a file and answers the message it may bring; true when there was one (a refused file's
# message is waited for longer).
open_answering() {
    open_file "$(winpath "$1")"
    local tries=4
    [[ $(basename "$1") == refused-* ]] && tries=20
    for _ in $(seq 1 $tries); do
        if peek dialog 2>/dev/null | head -1 | grep -q FILFEL; then
            keys Return
            dialog_gone FILFEL
            return 0
        fi
        sleep 0.1
    done
    return 1
}
for f in "$corpus"/refused-tabs.rtf "$corpus"/field-and-table.rtf; do
    name=$(basename "$f" .rtf)
    before=$(text)
    open_answering "$f" && shown=yes || shown=no
    case $name in
        refused-*)
            check "$name: refused with its message" same "$shown" yes
            check "$name: the document stays as it was" same "$(text)" "$before"
            ;;
        negative-tab) check "$name: read" same "$(text)" $'Före\tefter' ;;
        field-and-table) check "$name: the link's text and the cells in order" same "$(text)" $'Se webbsidan nu.\nA\tB\nSlut' ;;
        other-word-processor) check "$name: the link's text and the rows in order" same "$(text)" $'Se webbsidan nu.\nA\tB\nC\tD\nSlut' ;;
    esac
    keys ctrl+a ctrl+c
    keys alt+a a                       # Spara som...
    dialog_wait "Spara som" && file_dialog_enter "$(winpath "$d/sparad-$name.rtf")"
    check "$name: after copy and save the program answers" answers
    check "$name: the saved file is written" wait_for 5 test -s "$d/sparad-$name.rtf"
    check "$name: with no negative indent or tab stop" not_negative "$d/sparad-$name.rtf"
    if ! answers; then
        program_kill
        program_start "$(winpath "$d/bra.txt")" || exit 1
    fi
done
shot hostile-rtf
program_kill

scenario "binary files open as text, an empty file as an empty document"
program_start "$(winpath "$d/bra.txt")" || exit 1
open_file "$(winpath "$d/binär.txt")"
check "random bytes arrive as 8192 characters" wait_for 5 test "$(size)" = 8192
open_file "$(winpath "$d/tom.txt")"
sleep 0.5
check "the empty file shows no message" same "$(peek dialog | head -1)" ""
check "the empty file gives an empty document" same "$(text)" ""
check "named after it" same "$(peek title)" "$(winpath "$d/tom.txt")"
check "and unchanged" same "$(probe modified)" 0

scenario "several files picked at once: their folder cannot be read"
open_file "\"bra.txt\" \"tom.txt\""
message_check "FILFEL" "Det gick ej att öppna filen för läsning!"
check "the document stays as it was" same "$(text)" ""
check "the program runs on" program_alive

scenario "a name with Swedish letters and blanks"
open_file "$(winpath "$d/Åsa och Örjan på väg.txt")"
check "the text is read" same "$(text)" "Åsa och Örjan"
check "the title is the name as it is" same "$(peek title)" "$(winpath "$d/Åsa och Örjan på väg.txt")"
open_file "$(winpath "$d/program.txt")"
check "a program file opens as text" wait_for 10 test "$(size)" = "$(stat -c %s "$d/program.txt")"
shot binary-as-text
program_kill

scenario "a file of exactly 10,000,000 characters: all of it, and not one more"
program_start "$(winpath "$d/exakt.txt")" || exit 1
check "all 10,000,000 characters are read" same "$(size)" 10000000
keys ctrl+End
type_text "x"
check "a character more is refused" same "$(size)" 10000000
check "the document is still unchanged" same "$(probe modified)" 0
keys alt+a n                       # Arkiv, Nytt
check "Nytt empties its 100,000 lines at once" wait_for 5 test "$(size)" = 0
type_text "ny sida"
check "and the new page takes what is typed" same "$(text)" "ny sida"
program_kill

scenario "a file beyond the limit is read whole and saved whole"
program_start "$(winpath "$d/över.txt")" || exit 1
check "all 10,000,001 characters are read" same "$(size)" 10000001
keys alt+a a                       # Spara som...
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$d/över sparad.txt")"
check "the saved file is the file read" wait_for 30 cmp -s "$d/över.txt" "$d/över sparad.txt"
program_kill
e2e_finish
