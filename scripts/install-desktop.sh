#!/usr/bin/env bash
# Puts the word processor into the current user's applications menu and under "Open with" for
# RTF and text files, running through Wine in a Wine prefix of its own:
#   scripts/install-desktop.sh [PROGRAM.exe]   installs (by default the 64-bit build, built when missing)
#   scripts/install-desktop.sh --remove        takes it out again
# What goes where (XDG_DATA_HOME is ~/.local/share unless set):
#   XDG_DATA_HOME/brevduva-daraduder/brevduva.exe          the program
#   XDG_DATA_HOME/brevduva-daraduder/brevduva-daraduder    the launcher: starts the program and
#                                                          hands a file over as Z:\...
#   XDG_DATA_HOME/applications/brevduva-daraduder.desktop  the menu entry, for RTF and text files
#   XDG_DATA_HOME/icons/hicolor/SIZExSIZE/apps/brevduva-daraduder.png   16, 32, 48 and 256
#   XDG_DATA_HOME/brevduva-daraduder/wineprefix            the Wine prefix (BREVDUVA_WINEPREFIX
#                                                          at install time names another)
# The entry does not make itself the default program for these types; to make it that:
#   xdg-mime default brevduva-daraduder.desktop text/rtf
# --remove keeps the Wine prefix: the program's settings and recovery copies live in it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=brevduva-daraduder
data=${XDG_DATA_HOME:-$HOME/.local/share}
home="$data/$name"
apps="$data/applications"
icons="$data/icons/hicolor"
sizes=(16 32 48 256)

# The menu's and the icon theme's caches, where their tools are installed.
caches_update() {
  if command -v update-desktop-database >/dev/null; then update-desktop-database -q "$apps" || true; fi
  if command -v gtk-update-icon-cache >/dev/null && [ -f "$icons/index.theme" ]; then
    gtk-update-icon-cache -q -t "$icons" || true
  fi
}

if [ "${1:-}" = --remove ]; then
  prefix=$(sed -n "s/^export WINEPREFIX='\(.*\)'\$/\1/p" "$home/$name" 2>/dev/null)
  rm -f "$apps/$name.desktop" "$home/brevduva.exe" "$home/$name"
  for s in "${sizes[@]}"; do rm -f "$icons/${s}x$s/apps/$name.png"; done
  caches_update
  echo "Removed. The Wine prefix, with the program's settings, stays: ${prefix:-$home/wineprefix}"
  exit 0
fi

program=${1:-$root/build/x86_64/brevduva.exe}
if [ -z "${1:-}" ] && [ ! -f "$program" ]; then
  "$root/scripts/build.sh" x86_64
fi
[ -f "$program" ] || { echo "no program at $program" >&2; exit 1; }
program=$(realpath "$program")
# the icon in its four sizes, drawn by the build next to the program
pictures="$(dirname "$program")/resources"
for s in "${sizes[@]}"; do
  [ -f "$pictures/brevduva_daraduder-$s.png" ] || { echo "no icon $pictures/brevduva_daraduder-$s.png" >&2; exit 1; }
done

prefix=$(realpath -m "${BREVDUVA_WINEPREFIX:-$home/wineprefix}")
# The menu entry names the launcher in double quotes, inside which these would need escapes.
case "$home$prefix" in
  *[\"\`\$\\]*) echo "a folder name holding \" \` \$ or \\ cannot be named in a menu entry: $home" >&2; exit 1 ;;
esac

# A prefix of our own, made once like the test's (the platform's symbol fonts in it, the common
# faces mapped to metric twins) but with the windows left to the desktop's window manager. Wine
# makes no menu entries or file types of its own on this desktop (winemenubuilder is off).
mkdir -p "$home"
. "$root/scripts/wine-env.sh" "$home"
export WINEPREFIX=$prefix
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/.brevduva-ready" ]; then
  echo "Making the Wine prefix $WINEPREFIX (takes a while, once)"
  wine_prefix_ensure
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="Y"\n' >"$WINEPREFIX/desktop.reg"
  env -u DISPLAY "$WINE" regedit /S "$WINEPREFIX/desktop.reg" >/dev/null 2>&1
  "$WINESERVER" -w
else
  wine_symbol_fonts_ensure
fi
wine=$(command -v wine || echo "$WINE")

install -D -m 0644 "$program" "$home/brevduva.exe"
for s in "${sizes[@]}"; do
  install -D -m 0644 "$pictures/brevduva_daraduder-$s.png" "$icons/${s}x$s/apps/$name.png"
done

cat >"$home/$name" <<LAUNCHER
#!/bin/sh
# Starts Brevduva Daraduder through Wine, in its own Wine prefix (made by install-desktop.sh).
# A file named by its Linux path is handed over as the program sees it: Z:\\...
export WINEPREFIX='$prefix'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
# Wine reads file names in the locale's character set: one that is not UTF-8 would lose å, ä, ö
[ "\$(locale charmap 2>/dev/null)" = UTF-8 ] || export LC_ALL=C.UTF-8
if [ \$# -gt 0 ] && [ -e "\$1" ]; then
  file=\$(realpath -- "\$1"); shift
  set -- "Z:\$(printf '%s' "\$file" | tr '/' '\\\\')" "\$@"
fi
exec '$wine' '$home/brevduva.exe' "\$@"
LAUNCHER
chmod 0755 "$home/$name"

mkdir -p "$apps"
cat >"$apps/$name.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Brevduva Daraduder
GenericName=Ordbehandlare
Comment=Skriv, formatera och skriv ut brev och andra dokument
Exec="$home/$name" %f
Icon=$name
Terminal=false
Categories=Office;WordProcessor;
MimeType=text/rtf;application/rtf;text/plain;
Keywords=RTF;text;brev;dokument;
StartupWMClass=brevduva.exe
ENTRY
caches_update
echo "Installed: $apps/$name.desktop (the program runs from $home, Wine prefix $prefix)"
