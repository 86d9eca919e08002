# Sourced by the run, test and emulator scripts: one Wine environment per build folder.
# Usage: . scripts/wine-env.sh BUILD_DIR
wine_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="${WINEPREFIX:-$wine_build_dir/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export LC_ALL=C.UTF-8
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

# Makes the prefix once: headless, no Mono/Gecko questions, fast window closing without
# a window manager, no crash dialog, and the common faces mapped to Liberation fonts. Then
# gives it Wine's symbol faces (also an older prefix that lacks them).
wine_prefix_ensure() {
    [ -f "$WINEPREFIX/.brevduva-ready" ] || wine_prefix_make
    wine_symbol_fonts_ensure
}

# Wine draws the caption buttons with Marlett; a face it cannot find is replaced by a text face
# and the buttons show "0 1 r". Debian's Wine 8 does not load the fonts of its own data folder
# (fonts-wine), so they are copied into the prefix's Fonts folder, which every process reads.
# Only the symbol faces: with Marlett alone, every symbol-charset request (Symbol, Wingdings)
# would fall to Marlett; the text faces stay mapped as they are.
wine_symbol_fonts_ensure() {
    local from=${WINE_FONT_DIR:-/usr/share/wine/fonts} to="$WINEPREFIX/drive_c/windows/Fonts" f
    [ -d "$to" ] || return 0
    for f in marlett.ttf wingding.ttf webdings.ttf; do
        [ -e "$to/$f" ] || [ ! -f "$from/$f" ] || cp "$from/$f" "$to/$f"
    done
    [ -f "$from/symbol.ttf" ] || return 0
    # a missing copy, or a plain one from an older prefix
    if [ ! -e "$to/symbol.ttf" ] || cmp -s "$from/symbol.ttf" "$to/symbol.ttf"; then
        font_symbol_codes_add "$from/symbol.ttf" "$to/symbol.ttf.new" && mv "$to/symbol.ttf.new" "$to/symbol.ttf" ||
            { echo "symbol.ttf without its symbol codes: is python3-fonttools installed?" >&2
              rm -f "$to/symbol.ttf.new"; [ -e "$to/symbol.ttf" ] || cp "$from/symbol.ttf" "$to/symbol.ttf"; }
    fi
}

# Wine's Symbol font has its letters under the byte codes 0x20-0xFF only (a Macintosh table, and
# a Unicode table whose upper half is wrong: 0xB0 gave Upsilon, not degree), but the editor draws
# a symbol-charset run with the codes U+F020-U+F0FF: every letter showed as a box. The copy gets
# the symbol table of a Symbol face, made from the Macintosh one, in place of the Unicode table.
font_symbol_codes_add() {
    /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable
font = TTFont(sys.argv[1])
codes = font["cmap"].getcmap(1, 0)
symbols = CmapSubtable.newSubtable(4)
symbols.platformID, symbols.platEncID, symbols.language = 3, 0, 0
symbols.cmap = {0xF000 + c: glyph for c, glyph in codes.cmap.items() if c >= 0x20}
font["cmap"].tables = [codes, symbols]
font.save(sys.argv[2])
PY
}

wine_prefix_make() {
    mkdir -p "$WINEPREFIX"
    local reg="$WINEPREFIX/brevduva.reg"
    cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
REG
    env -u DISPLAY "$WINE" wineboot -i >/dev/null 2>&1
    env -u DISPLAY "$WINE" regedit /S "$reg" >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.brevduva-ready"
}

# Starts a private Xvfb on the first free display number when none is given; sets DISPLAY.
xvfb_start() {
    local n=${1:-}
    if [ -z "$n" ]; then
        for n in $(seq 91 140); do
            [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
        done
    fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb :$n did not start" >&2
    return 1
}
