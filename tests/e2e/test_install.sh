#!/usr/bin/env bash
# What a user gets. The 64-bit installer installs silently under Wine, in a prefix of its own
# (kept in the build folder and used again): the files, the Start-menu shortcut, the uninstall
# entry and "Open with" for .rtf and .txt, the user's default program left alone. The installed
# program opens a document through the command registered for "Open with". The silent uninstall
# takes away all it installed and keeps the user's documents and settings. The 32-bit installer
# and both zips are listed. The Linux desktop entry validates, is offered for RTF and text in a
# MIME database of the test's own, and its launcher opens a file named with blanks and åäö.
. "$(dirname "$0")/lib.sh" "$1"

d=$e2e_out
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$e2e_build/CMakeCache.txt")
export WINEPREFIX="$e2e_build/install/wineprefix"
# Wine makes no menu entries or file types of its own on this machine's desktop
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
installed="$WINEPREFIX/drive_c/Program Files/Brevduva Daraduder"
win_installed='C:\Program Files\Brevduva Daraduder'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Brevduva Daraduder.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brevduva Daraduder'
app_key='HKLM\Software\Classes\Applications\brevduva.exe'
progid_key='HKLM\Software\Classes\BrevduvaDaraduder.Dokument'
trap 'e2e_cleanup; "$WINESERVER" -k 2>/dev/null' EXIT

# An earlier run that stopped half-way leaves a prefix that is no longer clean: it is made anew.
[ -e "$installed" ] || [ -e "$shortcut" ] && rm -rf "$WINEPREFIX"
wine_prefix_ensure

# A key's values (and with /s its subkeys'), nothing when it does not exist.
reg_query() { "$WINE" reg query "$@" 2>/dev/null | tr -d '\r' | sed -e '/^$/d' -e '/^reg: /d'; }
# One value of a key ("" for the default value).
reg_value() {
    local name=${2:-(Default)}
    if [ -n "${2:-}" ]; then reg_query "$1" /v "$2"; else reg_query "$1" /ve; fi |
        sed -n "s/^    $(printf '%s' "$name" | sed 's/[.[]/\\&/g')    REG_[A-Z_]*    //p"
}
# The visible title of the program's main window on the X side, once it is there.
x_title() {
    local id
    id=$(xdotool search --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && xdotool getwindowname "$id"
}
# The printable runs of a binary file, one a line.
printable() { tr -c '[:print:]' '\n' <"$1" | sed '/^$/d'; }
listing() { printf '%s\n' "$@"; }

registry_before=$(reg_query 'HKLM\Software\Classes\.rtf' /s; reg_query 'HKLM\Software\Classes\.txt' /s)

scenario "the 64-bit installer installs silently"
check "the installer is built" eval 'cmake --build "$e2e_build" --target dist >"$d/dist.log" 2>&1' 
setup="$e2e_build/dist/brevduva-daraduder-$version-setup-x86_64.exe"
check "its properties name it" same "$(python3 "$e2e_source/tests/e2e/version_info.py" "$setup" | grep -e Product -e FileDescription)" \
    "$(listing "FileDescription=Installationsprogram för Brevduva Daraduder" "ProductName=Brevduva Daraduder" "ProductVersion=$version")"
check "it ends well with /S" "$WINE" "$setup" /S
check "the files are in Program Files" same "$(ls -1 "$installed" | LC_ALL=C sort)" \
    "$(listing LÄSMIG.txt README.txt avinstallera.exe brevduva.exe exempel.rtf)"
check "the program is the build's" cmp "$installed/brevduva.exe" "$e2e_exe"
check "the example document is the one in docs" cmp "$installed/exempel.rtf" "$e2e_source/docs/exempel.rtf"
check "the read-me in Swedish names the version" grep -q "Brevduva Daraduder $version" "$installed/LÄSMIG.txt"
check "the program's properties show product, description, version and copyright" \
    same "$(python3 "$e2e_source/tests/e2e/version_info.py" "$installed/brevduva.exe")" "$(listing \
    "version $version.0" "CompanyName=Vindelgruppen" "FileDescription=Ordbehandlare för formaterad text" \
    "FileVersion=$version" "InternalName=brevduva" "LegalCopyright=© 2024 Vindelgruppen" \
    "OriginalFilename=brevduva.exe" "ProductName=Brevduva Daraduder" "ProductVersion=$version")"
check "the Start-menu shortcut starts the installed program" \
    eval 'printable "$shortcut" | grep -qFx "$win_installed\\brevduva.exe"'
entry=$(reg_query "$uninstall_key")
size=$(printf '%s\n' "$entry" | sed -n 's/^    EstimatedSize    REG_DWORD    //p')
check "the uninstall entry has name, version, publisher, icon and uninstall strings" \
    same "$(printf '%s\n' "$entry" | grep -v EstimatedSize)" "$(listing \
    "HKEY_LOCAL_MACHINE${uninstall_key#HKLM}" \
    "    DisplayIcon    REG_SZ    $win_installed\\brevduva.exe,0" \
    "    DisplayName    REG_SZ    Brevduva Daraduder" \
    "    DisplayVersion    REG_SZ    $version" \
    "    InstallLocation    REG_SZ    $win_installed" \
    "    NoModify    REG_DWORD    0x1" \
    "    NoRepair    REG_DWORD    0x1" \
    "    Publisher    REG_SZ    Vindelgruppen" \
    "    QuietUninstallString    REG_SZ    \"$win_installed\\avinstallera.exe\" /S" \
    "    UninstallString    REG_SZ    \"$win_installed\\avinstallera.exe\"")"
check "and the size in KB of what is installed" [ "$(( size ))" -ge "$(( $(du -sk "$installed" | cut -f1) * 9 / 10 ))" ]
check "the program is offered for .rtf and .txt" same "$(reg_query "$app_key\\SupportedTypes" | tail -n +2)" \
    "$(listing "    .rtf    REG_SZ    " "    .txt    REG_SZ    ")"
check "and its document type too" same "$(reg_value 'HKLM\Software\Classes\.rtf\OpenWithProgids' BrevduvaDaraduder.Dokument; \
    reg_value 'HKLM\Software\Classes\.txt\OpenWithProgids' BrevduvaDaraduder.Dokument; echo end)" "$(listing "" "" end)"
check "the default program of .rtf is left as it was" same "$(reg_value 'HKLM\Software\Classes\.rtf')" \
    "$(printf '%s\n' "$registry_before" | sed -n '2s/^    (Default)    REG_SZ    //p')"

scenario "the installed program opens a document through its Open with command"
mkdir -p "$d/mina brev"
printf '{\\rtf1\\ansi Hej fr\\'"'"'e5n installationen\\par}' >"$d/mina brev/brev åäö.rtf"
command=$(reg_value "$app_key\\shell\\open\\command")
check "the command hands the file over quoted" same "$command" "\"$win_installed\\brevduva.exe\" \"%1\""
document=$(winpath "$d/mina brev/brev åäö.rtf")
"$WINE" "$e2e_build/e2e_probe.exe" launch "$win_installed\\brevduva.exe" "${command//%1/$document}" >/dev/null 2>&1 &
e2e_pid=$!
check "the window's title names the document" wait_for 15 eval 'same "$(x_title "brev åäö")" "$document" 2>/dev/null'
check "the window's title names the document, exactly" same "$(x_title "brev åäö")" "$document"
check "with the document's text" same "$(peek text | tr -d '\r')" "Hej från installationen"
shot installed-program
program_kill

scenario "the silent uninstall takes away all it installed and keeps the user's"
settings_file="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Brevduva Daraduder/återställning.rtf"
mkdir -p "$(dirname "$settings_file")" && printf 'kvar' >"$settings_file"
"$WINE" reg add 'HKCU\Software\Brevduva Daraduder' /v Prov /d kvar /f >/dev/null 2>&1
printf 'mitt' >"$installed/mitt brev.rtf"
quiet=$(reg_value "$uninstall_key" QuietUninstallString)
uninstaller=${quiet#\"}; uninstaller=${uninstaller%%\"*}
check "the quiet uninstall string ends in /S" same "${quiet##*\" }" /S
"$WINE" "$uninstaller" /S >/dev/null 2>&1
# the uninstaller runs on from a copy of itself in the temporary folder
check "the installed files are taken away, the user's document is kept" \
    wait_for 30 eval '[ "$(ls "$installed")" = "mitt brev.rtf" ]'
check "the shortcut is gone" test ! -e "$shortcut"
check "the uninstall entry is gone" same "$(reg_query "$uninstall_key")" ""
check "the Open with entries are gone" same "$(reg_query "$app_key"; reg_query "$progid_key")" ""
check ".rtf and .txt are as they were before the install" \
    same "$(reg_query 'HKLM\Software\Classes\.rtf' /s; reg_query 'HKLM\Software\Classes\.txt' /s)" "$registry_before"
check "the user's settings are kept" same "$(reg_value 'HKCU\Software\Brevduva Daraduder' Prov)" kvar
check "the recovery copies are kept" same "$(cat "$settings_file")" kvar
rm -rf "$installed"

scenario "the 32-bit installer and the zips hold the program, README, LÄSMIG and the example"
i686_dist=${BREVDUVA_I686_DIST:-$e2e_source/build/i686/dist}
in_zip=$(listing "Brevduva Daraduder/brevduva.exe" "Brevduva Daraduder/README.txt" \
                 "Brevduva Daraduder/LÄSMIG.txt" "Brevduva Daraduder/exempel.rtf")
for zip in "$e2e_build/dist/brevduva-daraduder-$version-x86_64.zip" "$i686_dist/brevduva-daraduder-$version-i686.zip"; do
    echo "$(basename "$zip"):"
    python3 -m zipfile -l "$zip"
    check "$(basename "$zip") holds the four files" same "$(python3 -c '
import sys, zipfile
print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip")" "$in_zip"
done
rm -rf "$d/zip" && python3 -m zipfile -e "$i686_dist/brevduva-daraduder-$version-i686.zip" "$d/zip"
check "the 32-bit program is a 32-bit program" same "$(i686-w64-mingw32-objdump -f "$d/zip/Brevduva Daraduder/brevduva.exe" | grep -o 'file format .*')" "file format pei-i386"
check "with the version information" same "$(python3 "$e2e_source/tests/e2e/version_info.py" "$d/zip/Brevduva Daraduder/brevduva.exe" | head -3)" \
    "$(listing "version $version.0" "CompanyName=Vindelgruppen" "FileDescription=Ordbehandlare för formaterad text")"
setup32="$i686_dist/brevduva-daraduder-$version-setup-i686.exe"
echo "$(basename "$setup32"):"
contents=$(7z l "$setup32" 2>&1)
printf '%s\n' "$contents" | sed -n '/^   Date/,$p'
check "the 32-bit installer is a 32-bit one" eval 'printf "%s\n" "$contents" | grep -qx "SubType = NSIS-3 Unicode"'
check "and holds the four files and the uninstaller" same "$(printf '%s\n' "$contents" | awk '/^-----/ {n++; next} n == 1 {print $NF}' | grep -v PLUGINSDIR)" \
    "$(listing brevduva.exe README.txt LÄSMIG.txt exempel.rtf avinstallera.exe)"

scenario "the Linux desktop entry"
export HOME="$d/home" XDG_DATA_HOME="$d/home/.local/share" XDG_CONFIG_HOME="$d/home/.config" XDG_DATA_DIRS="$d/system"
unset XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
mkdir -p "$HOME" "$XDG_DATA_DIRS"
entry="$XDG_DATA_HOME/applications/brevduva-daraduder.desktop"
launcher="$XDG_DATA_HOME/brevduva-daraduder/brevduva-daraduder"
check "it installs" env BREVDUVA_WINEPREFIX="$WINEPREFIX" "$e2e_source/scripts/install-desktop.sh" "$e2e_exe"
check "the desktop file validates" same "$(desktop-file-validate "$entry" 2>&1; echo "rc $?")" "rc 0"
for type in text/rtf application/rtf text/plain; do
    check "it is offered for $type" same "$(xdg-mime query default "$type" 2>&1)" brevduva-daraduder.desktop
done
for s in 16 32 48 256; do
    check "the icon in $s pixels" same "$(identify -format '%wx%h %[channels]' "$XDG_DATA_HOME/icons/hicolor/${s}x$s/apps/brevduva-daraduder.png")" "${s}x$s srgba"
done
mkdir -p "$d/mina dokument"
printf '{\\rtf1\\ansi Hej fr\\'"'"'e5n skrivbordet\\par}' >"$d/mina dokument/brev åäö.rtf"
document=$(winpath "$d/mina dokument/brev åäö.rtf")
"$launcher" "$d/mina dokument/brev åäö.rtf" >/dev/null 2>&1 &
e2e_pid=$!
check "the launcher opens a file named with blanks and åäö" wait_for 15 eval 'same "$(x_title "brev åäö")" "$document" 2>/dev/null'
check "its text" same "$(peek text | tr -d '\r')" "Hej från skrivbordet"
program_kill
check "--remove takes it out" "$e2e_source/scripts/install-desktop.sh" --remove
check "the entry, launcher, program and icons are gone" \
    same "$(find "$XDG_DATA_HOME" -name 'brevduva*' ! -name wineprefix)" "$XDG_DATA_HOME/brevduva-daraduder"
check "it is no longer offered" same "$(xdg-mime query default text/rtf 2>&1)" ""
e2e_finish
