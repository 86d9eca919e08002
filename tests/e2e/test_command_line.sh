#!/usr/bin/env bash
# What the program is started with: a tail of 10,000 characters, quotes in every position, a
# name that does not exist (created empty, as a new document), a name in a folder that does
# not exist, and a path longer than the program keeps. The command lines are handed over
# exactly as written (e2e_probe launch), with no launcher rewriting their quotes.
. "$(dirname "$0")/lib.sh" "$1"

d=$e2e_out
exe=$(winpath "$e2e_exe")
text() { peek text | tr -d '\r'; }

# Starts with the command line, checks the program stands with an empty page, and ends it.
starts_empty() {
    local what=$1 line=$2
    program_launch "$line" || { check "$what: the window comes" false; return; }
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
printf 'finns' >"$d/finns.txt"
starts_empty "a lone quote" "$exe \""
starts_empty "two quotes" "$exe \"\""
starts_empty "a quoted existing name" "$exe \"$(winpath "$d/finns.txt")\""
starts_empty "a quote inside the name" "$exe $(winpath "$d/fi\"nns.txt")"
starts_empty "a quote at the end" "$exe $(winpath "$d/finns.txt")\""
starts_empty "the program name opened but never closed" "\"$exe $(winpath "$d/finns.txt")"
check "no file is made of them" same "$(ls "$d" | grep -c -v -e '^finns.txt$' -e png -e keymap)" 0
program_launch "\"$exe\"   $(winpath "$d/finns.txt")"
check "a quoted program name and blanks before the name open the file" same "$(text)" "finns"
program_exit
program_wait_end 10

scenario "a name that does not exist starts a new document of that name"
starts_empty "a new name" "$exe $(winpath "$d/ny fil.txt")"
check "the file is made, empty" same "$(stat -c %s "$d/ny fil.txt" 2>/dev/null)" 0
starts_empty "a name in a missing folder" "$exe $(winpath "$d/saknas/fil.txt")"
check "no folder is made" test ! -e "$d/saknas"

scenario "a path longer than the program keeps"
long_folder="$d/$(printf 'mapp%.0s' $(seq 1 60))"
mkdir -p "$long_folder"
printf 'lång' >"$long_folder/fil.txt"
starts_empty "a path over 259 characters" "$exe $(winpath "$long_folder/fil.txt")"
check "no file is made of the name" same "$(ls "$d" | grep -c mapp)" 1
check "nor in its folder" same "$(ls "$long_folder")" "fil.txt"
e2e_finish
