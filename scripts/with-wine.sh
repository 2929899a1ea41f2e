#!/usr/bin/env bash
# Runs a command with a private Wine prefix (WINEPREFIX, made on first use), a persistent wineserver
# for the command's lifetime, and an X display (a virtual one when none is set).
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the private prefix}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -z "${DISPLAY:-}" ] && [ -z "${QUELLARY_IN_XVFB:-}" ]; then
    export QUELLARY_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "with-wine: creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager every closing top-level window costs ~2 s unless Wine manages none.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
fi

# The window designs' fonts (scripts/wine-fonts.reg), also for a prefix made before the file changed: the
# marker names the file's checksum, so a start with nothing to do costs no Wine process.
fonts=$(cd "$(dirname "$0")" && pwd)/wine-fonts.reg
fonts_marker="$WINEPREFIX/.quellary-fonts-$(cksum <"$fonts" | cut -d' ' -f1)"
if [ ! -f "$fonts_marker" ]; then
    wine regedit /S "Z:${fonts//\//\\}" >/dev/null 2>&1
    wineserver -w
    rm -f "$WINEPREFIX"/.quellary-fonts-*
    touch "$fonts_marker"
fi

wineserver -p || true # one may already be running for this prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
"$@"
