#!/usr/bin/env bash
# What the program is started with: a tail of 10,000 characters, quotes in every position, a
# name with and without the quotes the shell puts around it, a name that does not exist (a new
# document of that name, made on disk at its first save), a name in a folder that does not
# exist, and a path longer than the program keeps. The command lines are handed over exactly as
# written (e2e_probe launch), with no launcher rewriting their quotes.
. "$(dirname "$0")/lib.sh" "$1"

d=$e2e_out
exe=$(winpath "$e2e_exe")
text() { peek text | tr -d '\r'; }

# Starts with the command line, checks the program stands with an empty page (after the message
# that the named file could not be opened, as Öppna gives it, when one is given), and ends it.
starts_empty() {
    local what=$1 line=$2 said=${3:-}
    program_launch "$line" || { check "$what: the window comes" false; return; }
    [ -z "$said" ] || message_check FILFEL "$said"
    check "$what: the page is empty" same "$(text)" ""
    check "$what: the title is the start title" same "$(peek title)" "Brevduva daraduder"
    program_exit
    check "$what: the program ends normally" program_wait_end 10
}

scenario "a tail of 10,000 characters"
cd "$d" || exit 1
starts_empty "10,000 letters" "$exe $(printf 'a%.0s' $(seq 1 10000))"
starts_empty "10,000 characters of quotes and blanks" "$exe $(printf '"a b" %.0s' $(seq 1 1667))"
check "no file is made of them" same "$(find "$d" -name 'a*' | wc -l)" 0

scenario "quotes in every position"
unreadable="Det gick ej att öppna filen för läsning!"
printf 'finns' >"$d/finns.txt"
starts_empty "a lone quote" "$exe \"" "$unreadable"
starts_empty "two quotes" "$exe \"\""
starts_empty "a quote inside the name" "$exe $(winpath "$d/fi\"nns.txt")" "$unreadable"
starts_empty "a quote at the end" "$exe $(winpath "$d/finns.txt")\"" "$unreadable"
starts_empty "the program name opened but never closed" "\"$exe $(winpath "$d/finns.txt")" "$unreadable"
check "no file is made of them" same "$(ls "$d" | grep -c -v -e '^finns.txt$' -e png -e keymap)" 0

scenario "a name opens with or without quotes around it, named like an opened file"
# Starts with the command line, checks the file's text and its full path in the title, and ends.
opens_named() {
    local what=$1 line=$2 file=$3 content=$4
    program_launch "$line" || { check "$what: the window comes" false; return; }
    check "$what: the text is the file's" same "$(text)" "$content"
    check "$what: the title is its full path" same "$(peek title)" "$(winpath "$file")"
    program_exit
    check "$what: the program ends without asking" program_wait_end 10
}
mkdir -p "$d/mina brev"
printf 'mitt brev' >"$d/mina brev/brev.txt"
opens_named "a quoted program name, blanks" "\"$exe\"   $(winpath "$d/finns.txt")" "$d/finns.txt" "finns"
opens_named "a quoted name" "$exe \"$(winpath "$d/mina brev/brev.txt")\"" "$d/mina brev/brev.txt" "mitt brev"
opens_named "the same name unquoted" "$exe $(winpath "$d/mina brev/brev.txt")" "$d/mina brev/brev.txt" "mitt brev"

scenario "a name that does not exist starts a new document of that name, made at its first save"
program_launch "$exe \"$(winpath "$d/ny fil.txt")\"" || exit 1
check "the page is empty" same "$(text)" ""
check "the title is the new name's full path" same "$(peek title)" "$(winpath "$d/ny fil.txt")"
check "no file is made on disk" test ! -e "$d/ny fil.txt"
type_text "Nytt brev"
keys alt+a s                       # Spara: the new name is the document's own file
check "the first save writes the file under that name" wait_for 5 test -s "$d/ny fil.txt"
check "without asking for a name" same "$(peek dialog 2>/dev/null | head -1)" ""
check "with the text" same "$(cat "$d/ny fil.txt")" "Nytt brev"
program_exit
check "the saved document ends without asking" program_wait_end 10
starts_empty "a name in a missing folder" "$exe $(winpath "$d/saknas/fil.txt")" "$unreadable"
check "no folder is made" test ! -e "$d/saknas"

scenario "a path longer than the program keeps"
long_folder="$d/$(printf 'mapp%.0s' $(seq 1 60))"
mkdir -p "$long_folder"
printf 'lång' >"$long_folder/fil.txt"
starts_empty "a path over 259 characters" "$exe $(winpath "$long_folder/fil.txt")"
check "no file is made of the name" same "$(ls "$d" | grep -c mapp)" 1
check "nor in its folder" same "$(ls "$long_folder")" "fil.txt"
e2e_finish
