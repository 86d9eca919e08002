#!/usr/bin/env bash
# Printing as a user does, on the test run's PDF printer: from the toolbar, from the menu and
# through the print dialog (confirmed and cancelled); a page laid out as the editor shows it,
# read back with the positions of its words; every word inside the margins on two page setups;
# lines that begin on paper with the words they begin with on the screen; the print preview;
# and the faults: an empty document, the
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

# the page setup and the wrap are the program's own settings: every run starts from the defaults
settings_key='HKCU\Software\Brevduva Daraduder'
settings_reset() {
    "$WINE" reg delete "$settings_key" /v PageSetup /f >/dev/null 2>&1
    "$WINE" reg delete "$settings_key" /v Wrap /f >/dev/null 2>&1
    return 0
}
settings_reset

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
# Whether a page of the file has ink in its last row of pixels above the bottom margin of 10 mm,
# and none below it (at 72 dpi: a pixel a point).
bottom_inked() {
    pdftoppm -f "$2" -l "$2" -r 72 -gray "$1" "$e2e_out/bottom"
    local page=("$e2e_out"/bottom*.pgm)
    holds 'a < 0.99' "$(convert "${page[0]}" -crop 100%x1+0+812 +repage -format '%[fx:mean]' info:)" &&
        holds 'a == 1' "$(convert "${page[0]}" -crop 100%x27+0+815 +repage -format '%[fx:mean]' info:)"
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
# in points: margins of 10 mm (28.3) from the edges of the A4 paper (595.3 wide)
check "the heading is centred between the margins" \
    near "$(awk -v a="$(box Rubrik xmin)" -v b="$(box mitten xmax)" 'BEGIN { print (a + b) / 2 }')" 297.6 1.5
check "the right-aligned line ends at the right margin" near "$(box höger xmax)" 566.9 1.0
check "a plain line starts at the left margin" near "$(box Kolumn xmin)" 28.3 1.0
check "the paragraph indented by an inch starts an inch further in" near "$(box Indraget xmin)" 100.3 1.0
check "the tab stop at three inches" near "$(box Tabbad xmin)" 244.3 1.0
check "the superscript stands above its line" holds 'a < b - 3' "$(box upphöjt ymax)" "$(box Baslinje ymax)"
check "the subscript reaches below it" holds 'a > b' "$(box nedsänkt ymax)" "$(box Baslinje ymax)"
line_step=$(awk -v a="$(box Indraget ymax)" -v b="$(box Kolumn ymax)" 'BEGIN { print b - a }')
check "the empty 24-point paragraph is as high as two 12-point lines" \
    near "$(awk -v a="$(box Baslinje ymax)" -v b="$(box Indraget ymax)" 'BEGIN { print b - a }')" \
    "$(awk -v s="$line_step" 'BEGIN { print 3 * s }')" 1.0
check "the letter taller than the page is cut at the bottom margin" bottom_inked "$pdf" 2

# A document of several pages: a centred heading, a right-aligned line, an indented paragraph,
# paragraphs that wrap, and a word longer than the line.
margins_doc="$e2e_out/marginaler.rtf"
{
    cat <<'RTF'
{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss Arial;}}
\pard\qc\f0\fs36\b Rubrik i mitten\b0\par
\pard\qr\fs20 Till h\'f6ger\par
\pard\li1440\fs20 Indraget stycke som forts\'e4tter l\'e4ngre \'e4n en rad, \'e4ven p\'e5 ett brett papper, s\'e5 att dess andra rad ocks\'e5 b\'f6rjar vid indraget och inte vid marginalen, fast raden \'e4r l\'e5ng och orden m\'e5nga\par
RTF
    for i in $(seq 1 90); do
        printf '\\pard\\fs20 Stycke%d brevduvan flyger \\'"'"'f6ver sj\\'"'"'f6n med ett brev till v\\'"'"'e4nner som bor l\\'"'"'e5ngt bort i skogen d\\'"'"'e4r vinden viskar genom tr\\'"'"'e4den och solen lyser p\\'"'"'e5 gamla tak, tills brevet n\\'"'"'e5r fram slut%d\\par\n' "$i" "$i"
    done
    printf '\\pard\\fs20 %s\\par\n' "$(printf 'Ordutanslut%.0s' $(seq 1 12))"
    printf '\\pard\\fs20 Sista raden\\par\n}\n'
} >"$margins_doc"
# The newest PDF printed since the mark, and its words in $words.
printed_pdf() { find "$BREVDUVA_PRINT_DIR" -name '*.pdf' -newer "$mark" | sort | tail -1; }
pdf_pages() { pdfinfo "$1" | awk '/^Pages:/ { print $2 }'; }
# as the page is shown: a page turned a quarter has its sides swapped
pdf_size() {
    pdfinfo "$1" | awk '/^Page size:/ { w = $3; h = $5 } /^Page rot:/ { r = $3 }
        END { if (r == 90 || r == 270) { t = w; w = h; h = t } printf "%.0f x %.0f", w, h }'
}
# Every word box of $words inside margins of m points on a paper of w x h points (0.05 points
# allowed for the PDF's rounding); the words outside are listed.
inside_margins() {
    awk -v w="$1" -v h="$2" -v m="$3" '$2 < m - 0.05 || $3 < m - 0.05 || $4 > w - m + 0.05 || $5 > h - m + 0.05 {
        print "outside the margins: " $0; bad++ } END { exit bad > 0 }' "$words" >&2
}
# The first word of each printed line, page after page.
pdf_line_starts() {
    awk '{ line = $1 " " int($5 + 0.5); if (line != last) print $6; last = line }' "$words"
}
# Prints the open document with the toolbar and through the print dialog; both pages are
# checked on a paper of w x h points with margins of m points.
print_both_inside() {
    local w=$1 h=$2 m=$3 how pdf
    for how in toolbar dialog; do
        print_mark
        if [ "$how" = toolbar ]; then toolbar_click 104; else dialog_print_to; fi
        check "printed ($how, $w x $h, margins $m)" printed "Sista raden"
        pdf=$(printed_pdf)
        printed_words "$pdf" >"$words"
        check "on the paper of the page setup" same "$(pdf_size "$pdf")" "$w x $h"
        check "on several pages" holds 'a >= 3' "$(pdf_pages "$pdf")"
        check "every word inside the margins" inside_margins "$w" "$h" "$m"
        check "the lines start at the left margin" near "$(awk 'NR == 1 || $2 < x { x = $2 } END { print x }' "$words")" "$m" 1.0
        # the box of a word begins below its line's top by the font's own leading
        check "the first line at the top margin" near "$(box Rubrik ymin)" "$m" 4.0
        check "the right-aligned line ends at the right margin" near "$(box höger xmax)" "$(awk -v w="$w" -v m="$m" 'BEGIN { print w - m }')" 1.0
        check "the heading centred between the margins" \
            near "$(awk -v a="$(box Rubrik xmin)" -v b="$(box mitten xmax)" 'BEGIN { print (a + b) / 2 }')" "$(awk -v w="$w" 'BEGIN { print w / 2 }')" 1.5
        check "the indented paragraph an inch in, on both its lines" \
            same "$(awk -v m="$m" '$2 > m + 71 && $2 < m + 73 { n++ } END { print n }' "$words")" 2
    done
}

scenario "every word inside the margins, with both print commands"
open_file "$margins_doc"
print_both_inside 595 842 28.35

scenario "lines that wrap at the page begin with the words they begin with on paper"
keys alt+i r Down Down Return      # Inställningar, Radbrytning, Efter sidan
sleep 1
screen_starts="$e2e_out/screen_starts.txt"
peek lines | tr -d '\r' | awk 'NF { print $1 }' >"$screen_starts"
check "the editor wraps its paragraphs" holds 'a > 150' "$(wc -l <"$screen_starts")"
print_mark
toolbar_click 104
check "printed" printed "Sista raden"
printed_words "$(printed_pdf)" >"$words"
check "every line begins on paper with the word it begins with on the screen" \
    same "$(pdf_line_starts)" "$(cat "$screen_starts")"
check "every word inside the margins" inside_margins 595 842 28.35
program_exit
check "the program ends" program_wait_end 10
program_start "$(winpath "$margins_doc")" || exit 1
check "the wrap is remembered" holds 'a > 150' "$(peek lines | awk NF | wc -l)"
keys alt+i r Return                # back to Ingen
sleep 0.5
check "Ingen wraps no more: one line a paragraph" same "$(peek lines | awk NF | wc -l)" 95

scenario "the print preview shows the pages as they print"
print_mark
toolbar_click 104
check "printed" printed "Sista raden"
preview_pdf=$(printed_pdf)
preview_pages=$(pdf_pages "$preview_pdf")
preview_is() { [ "$(peek preview | tr -d '\r')" = "Förhandsgranskning"$'\n'"$1" ]; }
keys alt+a f                       # Arkiv, Förhandsgranska
check "the preview opens on page 1 of all the pages" wait_for 10 preview_is "Sida 1 av $preview_pages"
keys Next
check "PgDn turns to page 2" wait_for 5 preview_is "Sida 2 av $preview_pages"
keys End
check "End goes to the last page" wait_for 5 preview_is "Sida $preview_pages av $preview_pages"
keys Prior
check "PgUp turns back a page" wait_for 5 preview_is "Sida $((preview_pages - 1)) av $preview_pages"
keys Home
check "Home goes to page 1" wait_for 5 preview_is "Sida 1 av $preview_pages"
keys z                             # 100 %
sleep 1
# Page 1 at 100 % beside page 1 of the PDF at the screen's 96 dpi, in cells of 16 pixels: where
# one has text (dark pixels) the other has it too. The paper is the white area below the buttons.
preview_matches_pdf() {
    local shot="$e2e_out/preview.png" paper="$e2e_out/paper.png" X Y WIDTH HEIGHT px py pw ph cells
    import -window root "$shot"
    eval "$(xdotool search --name '^Förhandsgranskning$' getwindowgeometry --shell | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    convert "$shot" -crop "${WIDTH}x$((HEIGHT - 62))+$X+$((Y + 62))" +repage -colorspace gray -fill black \
        +opaque white "$paper"
    # the first and the number of the longest run of rows (columns) that are mostly white
    white_run() {
        convert "$paper" -scale "$1" -compress none pgm:- | tail -n +4 | tr -s ' ' '\n' | grep . |
            awk '$1 > 128 { if (!n) first = NR - 1; n++; if (n > best) { best = n; at = first } next } { n = 0 }
                 END { print at, best }'
    }
    read -r py ph < <(white_run "1x$((HEIGHT - 62))!")
    read -r px pw < <(white_run "${WIDTH}x1!")
    pdftoppm -f 1 -l 1 -r 96 -gray "$preview_pdf" "$e2e_out/pdf96"
    cells="$((pw / 16))x$((ph / 16))!"
    convert "$shot" -crop "${pw}x${ph}+$((X + px))+$((Y + 62 + py))" +repage -colorspace gray -threshold 50% \
        -scale "$cells" -compress none pgm:- | tail -n +4 | tr -s ' ' '\n' | grep . >"$e2e_out/cells_preview"
    convert "$e2e_out"/pdf96*.pgm -crop "${pw}x${ph}+0+0" +repage -threshold 50% \
        -scale "$cells" -compress none pgm:- | tail -n +4 | tr -s ' ' '\n' | grep . >"$e2e_out/cells_pdf"
    paste "$e2e_out/cells_preview" "$e2e_out/cells_pdf" | awk '{ a = $1 < 250; b = $2 < 250; ink += b; same += (a == b); n++ }
        END { printf "%d of %d cells agree, %d with text\n", same, n, ink; exit !(n > 100 && ink > 50 && same >= 0.95 * n) }' >&2
}
check "page 1 shows its text where the PDF has it" preview_matches_pdf
shot preview
print_mark
keys ctrl+p                        # Skriv ut, from the preview
dialog_wait "Print" && keys Return
check "the preview prints through the print dialog" printed "Sista raden"
check "and is closed then" same "$(xdotool search --name '^Förhandsgranskning$' | wc -l)" 0
keys alt+a f
check "opened again" wait_for 10 preview_is "Sida 1 av $preview_pages"
keys Escape
sleep 0.5
check "Escape closes it" same "$(xdotool search --name '^Förhandsgranskning$' | wc -l)" 0
check "the main window has the keyboard again" same "$(xdotool getwindowfocus getwindowname)" "$(peek title | tr -d '\r')"

scenario "another page setup: Letter, landscape, margins of 25 mm"
program_exit
check "the program ends" program_wait_end 10
# as the page setup dialog keeps it: paper 1 (Letter), orientation 2 (landscape), four margins of
# 2500 hundredths of a millimetre, little-endian
"$WINE" reg add "$settings_key" /v PageSetup /t REG_BINARY /d 0100000002000000c4090000c4090000c4090000c4090000 /f >/dev/null 2>&1
program_start || exit 1
open_file "$margins_doc"           # opened: a command line's document gets the program's indents
print_both_inside 792 612 70.87
program_exit
check "the program ends" program_wait_end 10
settings_reset
program_start || exit 1

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
