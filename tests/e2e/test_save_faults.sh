#!/usr/bin/env bash
# Saving when the disk or the file will not have it: a full disk, a read-only disk, a read-only
# file, a file another program holds, a folder that does not exist, and a path at the length
# limit. Each time the message is shown, the file on disk is still the old one, nothing is left
# behind, and the document still counts as unsaved, so leaving still asks.
. "$(dirname "$0")/lib.sh" "$1"

d=$e2e_out
full="$d/fulldisk"
readonly_disk="$d/skrivskyddad_disk"
lock_pid=""
save_cleanup() {
    [ -n "$lock_pid" ] && kill "$lock_pid" 2>/dev/null
    mountpoint -q "$full" && umount "$full"
    mountpoint -q "$readonly_disk" && umount "$readonly_disk"
}
trap 'e2e_cleanup; save_cleanup' EXIT

mkdir -p "$full" "$readonly_disk"
mount -t tmpfs -o size=64k tmpfs "$full" || { check "a small disk can be made" false; exit 1; }
mount -t tmpfs -o size=64k tmpfs "$readonly_disk" || { check "a second small disk can be made" false; exit 1; }
old=$'Gammal version\r\n'
for f in "$d/gammal.ref" "$full/brev.txt" "$readonly_disk/brev.txt" "$d/skrivskyddad.txt" "$d/låst.txt"; do
    printf '%s' "$old" >"$f"
done
mount -o remount,ro "$readonly_disk"
chmod 444 "$d/skrivskyddad.txt"
yes xxxxxxxxx | tr '\n' ' ' | head -c 100000 >"$d/stor.txt"  # words: one word this long is refused
cannot_open=$'Det gick ej att öppna filen!\n\nDisken kan vara skrivskyddad.'

# Save As onto an existing file: the dialog asks to replace it, and the answer is yes.
save_over() {
    keys alt+a a
    dialog_wait "Spara som" || return 1
    file_dialog_enter "$(winpath "$1")"
    wait_for 5 eval 'peek dialog | grep -q -e "already exists" -e FILFEL'
    peek dialog | grep -q "already exists" && keys y
}
# The file is as it was, nothing was left beside it, and the document is still unsaved.
kept() {
    local file=$1
    check "the old $(basename "$file") is intact" cmp -s "$file" "$d/gammal.ref"
    check "nothing is left beside it" same "$(ls -A "$(dirname "$file")" | grep -c -i -e '\.tmp$' -e '^bd')" 0
    check "the document still counts as unsaved" same "$(probe modified)" 1
}
document_size() { peek text | tr -d "\r" | wc -c; }

scenario "a full disk: the message, the old file intact, and leaving still asks"
program_start "$(winpath "$full/brev.txt")" || exit 1
xclip -quiet -selection clipboard -i "$d/stor.txt" >/dev/null 2>&1 &
clip_pid=$!
sleep 0.5
keys ctrl+End
toolbar_click 204                  # paste 100,000 characters: more than the disk holds
kill "$clip_pid" 2>/dev/null
check "the document holds the old text and the pasted one" same "$(document_size)" 100015
keys alt+a s                       # Spara: the opened file is written at once
message_check "FILFEL" "Det gick ej att spara filen!"
kept "$full/brev.txt"
program_exit
message_check "SPARA?" "Skall dokumentet sparas innan programmet avslutas?" Escape
check "Cancel keeps the program with the document" same "$(document_size)" 100015

scenario "a read-only disk"
save_over "$readonly_disk/brev.txt"
message_check "FILFEL" "$cannot_open"
kept "$readonly_disk/brev.txt"

scenario "a read-only file"
save_over "$d/skrivskyddad.txt"
message_check "FILFEL" "$cannot_open"
kept "$d/skrivskyddad.txt"

scenario "a file another program holds"
"$WINE" "$e2e_build/e2e_probe.exe" lock "$(winpath "$d/låst.txt")" 60 >"$d/lock.out" 2>/dev/null &
lock_pid=$!
wait_for 5 grep -qs locked "$d/lock.out"
save_over "$d/låst.txt"
message_check "FILFEL" "$cannot_open"
kill "$lock_pid" 2>/dev/null
lock_pid=""
sleep 0.3
kept "$d/låst.txt"

scenario "a folder that does not exist"
save_over "$d/saknas/brev.txt"
message_check "FILFEL" "$cannot_open"
check "no folder is made" test ! -e "$d/saknas"
check "the document still counts as unsaved" same "$(probe modified)" 1

scenario "a path of 259 characters, in a folder as deep as it can be, saves and opens"
folder_room=$((259 - 2 - ${#d} - 1 - 9))   # Z:, the folder, a backslash, the folder, \brev.txt
long_folder="$d/$(printf 'm%.0s' $(seq 1 $folder_room))"
mkdir -p "$long_folder"
long="$long_folder/brev.txt"
check "the path is 259 characters" same "$(winpath "$long" | wc -c)" 259
keys alt+a a
dialog_wait "Spara som" || exit 1
file_dialog_enter "$(winpath "$long")"
check "the file is written" wait_for 5 test -s "$long"
check "and nothing else beside it" same "$(ls "$long_folder")" "brev.txt"
check "the document counts as saved" same "$(probe modified)" 0
program_exit
check "the saved document ends without asking" program_wait_end 10
program_start "$(winpath "$long")" || exit 1
check "it opens again from the command line" same "$(document_size)" 100015
program_exit
program_wait_end 10
e2e_finish
