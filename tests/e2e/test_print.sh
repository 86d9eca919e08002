#!/usr/bin/env bash
# Printing as a user does, on the test run's PDF printer: from the toolbar, from the menu and
# through the print dialog (confirmed and cancelled); a page laid out as the editor shows it,
# read back with the positions of its words; and the faults: an empty document, the
# stop button pressed at once, a printer queue stopped in the middle of the job, a queue that
# refuses the job, and no printer at all. What is printed is read back from the PDF files.
. "$(dirname "$0")/lib.sh" "$1"

queue=E2EKO$$
started_printer=""
print_cleanup() {
    lpadmin -x "$queue" 2>/dev/null
    [ -n "$started_printer" ] && printer_stop
}
trap 'print_cleanup; e2e_cleanup' EXIT

if [ -z "${BREVDUVA_PRINT_DIR:-}" ]; then
    . "$e2e_source/scripts/printer.sh"
    printer_start "$e2e_build/printer" && started_printer=1
fi
[ -n "${BREVDUVA_PRINT_DIR:-}" ] || { check "a PDF printer is there" false; exit 1; }
# a queue of this test's own, to stop and to refuse jobs without touching the default printer
lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null

letter="$e2e_out/utskrift.txt"
medium="$e2e_out/mellan.txt"
long="$e2e_out/lang.txt"
printf 'Utskrift %s\r\nÅäö på sista raden\r\n' $$ | iconv -f UTF-8 -t CP1252 >"$letter"
lines() { for i in $(seq 1 "$1"); do echo "Rad $i av $2 $$"; done | sed 's/$/\r/' | iconv -f UTF-8 -t CP1252; }
lines 2000 "ett mellanlångt dokument" >"$medium"
lines 20000 "ett långt dokument" >"$long"
mark="$e2e_out/mark"

# The text of PDFs printed since the last mark, one file after the other.
printed_since_mark() {
    local f
    find "$BREVDUVA_PRINT_DIR" -name '*.pdf' -newer "$mark" 2>/dev/null | sort | while read -r f; do
        pdftotext -layout "$f" - 2>/dev/null
    done
}
print_mark() { touch "$mark"; sleep 0.1; }
# Waits until a PDF printed since the mark holds the text.
printed_has() { printed_since_mark | grep -- "$1" >/dev/null; }  # reads to the end: no broken pipe
printed() { wait_for "${2:-15}" printed_has "$1"; }
printed_lines() { printed_since_mark | grep -c -- "$1"; }
open_file() {
    keys alt+a odiaeresis          # Arkiv, Öppna...
    dialog_wait "Öppna" || return 1
    file_dialog_enter "$(winpath "$1")"
}
dialog_print_to() {
    keys alt+a k                   # Arkiv, S&kriv ut...
    dialog_wait "Print" || return 1
    [ -n "${1:-}" ] && type_text "${1:0:1}"   # the printer list picks by first letter
    keys Return
}
stop_dialog_gone() { ! peek dialog 2>/dev/null | head -1 | grep -q Printing; }
# Words of a printed file with their boxes in points from the page's top left corner:
# "page xmin ymin xmax ymax word", one a line.
printed_words() {
    pdftotext -bbox "$1" - | sed -n -e 's/.*<page .*/PAGE/p' \
        -e 's/.*<word xMin="\([^"]*\)" yMin="\([^"]*\)" xMax="\([^"]*\)" yMax="\([^"]*\)">\(.*\)<\/word>.*/\1 \2 \3 \4 \5/p' |
        awk '/^PAGE$/ { page++; next } { print page, $0 }'
}
# One side of the first box of a word in the list $words: box WORD xmin|ymin|xmax|ymax
box() {
    awk -v w="$1" -v side="$2" '$6 == w { print $(side == "xmin" ? 2 : side == "ymin" ? 3 : side == "xmax" ? 4 : 5); exit }' "$words"
}
# An expression over numbers holds: holds "a < b" A B
holds() {
    awk -v a="$2" -v b="${3:-0}" -v c="${4:-0}" "BEGIN { exit !($1) }" ||
        { printf 'expected %s with a=%s b=%s c=%s\n' "$1" "$2" "${3:-}" "${4:-}" >&2; return 1; }
}
near() { holds 'a != "" && a - b <= c && b - a <= c' "$1" "$2" "$3"; }
# Whether the bottom row of pixels of a page of the file has ink.
bottom_inked() {
    pdftoppm -f "$2" -l "$2" -r 20 -gray "$1" "$e2e_out/bottom"
    holds 'a < 0.99' "$(convert "$e2e_out"/bottom*.pgm -gravity South -crop 100%x1+0+0 +repage -format '%[fx:mean]' info:)"
}

scenario "print from the toolbar and from the menu"
program_start || exit 1
open_file "$letter"
print_mark
toolbar_click 104
check "the toolbar prints the letter" printed "Utskrift $$"
check "with its Swedish letters" printed "Åäö på sista raden"
print_mark
keys alt+a r                       # Arkiv, Sk&riv ut
check "the menu prints it too" printed "Utskrift $$"
check "no message after printing" dialog_gone

scenario "the print dialog prints when confirmed and not when cancelled"
print_mark
dialog_print_to
check "the confirmed dialog prints" printed "Utskrift $$"
print_mark
keys alt+a k
dialog_wait "Print" || exit 1
keys Escape
dialog_gone
sleep 2
check "the cancelled dialog prints nothing" same "$(printed_lines "Utskrift $$")" 0

scenario "the printed page is laid out as the editor shows it"
layout="$e2e_out/sida.rtf"
cat >"$layout" <<'RTF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\ftech\fcharset2 Symbol;}{\f2\froman Times New Roman;}}
{\colortbl;\red0\green0\blue0;\red200\green0\blue0;}
\pard\qc\f0\fs36\b Rubrik i mitten\b0\par
\pard\qr\fs24 Till h\'f6ger\par
\pard Baslinje {\super upph\'f6jt} och {\sub neds\'e4nkt}\par
\pard\fs48\par
\pard\li1440\fs24 Indraget stycke\par
\pard\tx4320 Kolumn\tab Tabbad\par
\pard Grekiska {\f1 abgd}\par
\pard {\cf2 R\'f6d} {\i kursiv} {\ul understruken} {\strike genomstruken} {\f2 Times}\par
\pard\fs2400 X\par
\pard\fs24 Sista raden\par
}
RTF
open_file "$layout"                # opened: the start gives a command line's document indents of its own
print_mark
toolbar_click 104
check "the page is printed" printed "Sista raden"
check "without a message" dialog_gone
pdf=$(find "$BREVDUVA_PRINT_DIR" -name '*.pdf' -newer "$mark" | head -1)
words="$e2e_out/words.txt"
printed_words "$pdf" >"$words"
check "three pages: the text, the letter taller than the page, the last line" \
    same "$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')" 3
check "every word in its place and order" same "$(awk '{ printf "%s %s\n", $1, $6 }' "$words")" "$(printf '%s\n' \
    "1 Rubrik" "1 i" "1 mitten" "1 Till" "1 höger" "1 Baslinje" "1 upphöjt" "1 och" "1 nedsänkt" "1 Indraget" \
    "1 stycke" "1 Kolumn" "1 Tabbad" "1 Grekiska" "1 αβγδ" "1 Röd" "1 kursiv" "1 understruken" "1 genomstruken" \
    "1 Times" "3 Sista" "3 raden")"
# in points: the left margin of 10 mm is 566 twips; the PDF printer's printable width of 209 mm
# ends at 11848 twips
check "the heading is centred on the printable width" \
    near "$(awk -v a="$(box Rubrik xmin)" -v b="$(box mitten xmax)" 'BEGIN { print (a + b) / 2 }')" 310.35 1.5
check "the right-aligned line ends at the right margin" near "$(box höger xmax)" 592.4 1.0
check "a plain line starts at the left margin" near "$(box Kolumn xmin)" 28.3 1.0
check "the paragraph indented by an inch starts an inch further in" near "$(box Indraget xmin)" 100.3 1.0
check "the tab stop at three inches" near "$(box Tabbad xmin)" 244.3 1.0
check "the superscript stands above its line" holds 'a < b - 3' "$(box upphöjt ymax)" "$(box Baslinje ymax)"
check "the subscript reaches below it" holds 'a > b' "$(box nedsänkt ymax)" "$(box Baslinje ymax)"
line_step=$(awk -v a="$(box Indraget ymax)" -v b="$(box Kolumn ymax)" 'BEGIN { print b - a }')
check "the empty 24-point paragraph is as high as two 12-point lines" \
    near "$(awk -v a="$(box Baslinje ymax)" -v b="$(box Indraget ymax)" 'BEGIN { print b - a }')" \
    "$(awk -v s="$line_step" 'BEGIN { print 3 * s }')" 1.0
check "the letter taller than the page is cut at its bottom edge" bottom_inked "$pdf" 2

scenario "the printer queue stopped in the middle of the job"
open_file "$medium"
print_mark
# the queue is stopped the moment the job reaches it, while the program still spools pages
(for _ in $(seq 1 400); do
    lpstat -o "$queue" 2>/dev/null | grep -q . && { cupsdisable "$queue"; break; }
    sleep 0.05
done) &
watcher=$!
dialog_print_to "$queue"
wait "$watcher"
check "the job waits in the stopped queue" same "$(lpstat -o "$queue" 2>/dev/null | wc -l)" 1
wait_for 60 stop_dialog_gone
check "the program reports nothing" dialog_gone
check "the program runs on" program_alive
cupsenable "$queue"
check "once the queue runs again the whole document is printed" printed "Rad 2000 av ett mellanlångt" 30
check "every line of it" same "$(printed_lines "mellanlångt dokument $$")" 2000

scenario "a printer queue that refuses the job says so"
cupsreject "$queue"
dialog_print_to "$queue"
message_check "PRINTMEDDELANDE" "Något gick fel. Försök igen !"
cupsaccept "$queue"
check "the program runs on" program_alive

scenario "an empty document has nothing to print"
toolbar_click 101
toolbar_click 104
message_check "PRINTMEDDELANDE" "Finns inget att skriva ut!"
keys alt+a k
message_check "PRINTMEDDELANDE" "Finns inget att skriva ut!"
check "no print dialog follows" dialog_gone
program_exit
check "the program ends" program_wait_end 10

scenario "the stop button pressed at once, then a selection printed"
program_start "$(winpath "$long")" || exit 1
print_mark
toolbar_click 104
dialog_wait "Printing" || exit 1
keys Return                        # the stop button has the focus
message_check "PRINTMEDDELANDE" "Utskrift stoppad av användare!"
sleep 2
check "the stopped job leaves no printed pages" same "$(printed_lines "långt dokument $$")" 0
check "the document is untouched" same "$(probe modified)" 0
keys ctrl+Home shift+Down
print_mark
toolbar_click 104
check "the next print runs to the end" printed "Rad 1 av ett långt dokument $$"
check "and holds only the selected line" same "$(printed_lines "långt dokument $$")" 1
program_kill

scenario "no printer at all"
# the spooler out of reach: the platform then knows no printer
CUPS_SERVER=/nonexistent/cups.sock program_start "$(winpath "$letter")" || exit 1
toolbar_click 104
message_check "PRINTMEDDELANDE" "Ett skrivarfel har uppstått!"
keys alt+a k
dialog_wait "Print" || exit 1
shot no-printer
keys Return                        # the platform's own "install a printer" box
check "nothing more is shown" dialog_gone
check "the program runs on" program_alive
program_exit
check "the program ends" program_wait_end 10
e2e_finish
