#!/usr/bin/env bash
# The clear-and-restart cycle to look at: installs Quellary and the stand-in client into the Wine prefix,
# starts the client with its tasks, then opens Quellary beside it. Start ends the client's tasks, Restart
# brings the client back; the demo ends when the client is closed. Run through with-wine.sh (`make run`).
# On a virtual display nobody can press anything: the screen is saved once Quellary shows, and everything ends.
set -euo pipefail
build=$(cd "${1:?usage: run-demo.sh <windows build directory>}" && pwd)
bin=$build/bin
: "${WINEPREFIX:?run through scripts/with-wine.sh}"

drive_c=$WINEPREFIX/drive_c
app_dir=$drive_c/Quellary
client_dir="$drive_c/Program Files/Halvane/Corvana"
log=$build/demo.log
shots=$build/screenshots
: >"$log"

# A fresh installation each time: no lock file left over from a client killed in an earlier run.
rm -rf "$app_dir" "$client_dir"
mkdir -p "$app_dir" "$client_dir" "$shots"
cp "$bin/quellary.exe" "$bin/endprocx.exe" "$app_dir/"
wine "$bin/write_task_list.exe" 'C:\Quellary\quellary.ini' >>"$log" 2>&1
cp "$bin/cvclient.exe" "$client_dir/"
for task in cvagent cvmail cvtray cvlink; do
    cp "$bin/task_standin.exe" "$client_dir/$task.exe"
done

# The client registers itself under HKLM on every start; the demo takes that entry away again.
cleanup() {
    wine reg delete 'HKLM\Software\Halvane' /f >>"$log" 2>&1 || true
}
trap cleanup EXIT

echo "run-demo: starting the stand-in client (C:\\Program Files\\Halvane\\Corvana\\cvclient.exe)"
(cd "$client_dir" && exec wine cvclient.exe) >>"$log" 2>&1 &
for _ in $(seq 100); do
    [ -f "$client_dir/Data/~corvana.lck" ] && break
    sleep 0.2
done
if [ ! -f "$client_dir/Data/~corvana.lck" ]; then
    echo "run-demo: the client did not start (see $log)" >&2
    exit 1
fi

echo "run-demo: starting Quellary (C:\\Quellary\\quellary.exe)"
(cd "$app_dir" && exec wine quellary.exe) >>"$log" 2>&1 &
quellary=$!

# True while a top-level window whose title contains $1 is on the display.
window_shown() {
    # Read whole first: with pipefail, grep -q leaving early would fail a long tree's xwininfo on SIGPIPE.
    local tree
    tree=$(xwininfo -root -tree 2>/dev/null) || return 1
    grep -qF "$1" <<<"$tree"
}

if [ -n "${QUELLARY_IN_XVFB:-}" ]; then
    # No one to press Start on a virtual display: show what there is to see, then end (with-wine.sh ends
    # every program of the prefix when this script returns). 20 s covers a first start in a fresh prefix.
    shown=
    for _ in $(seq 100); do
        if window_shown "Quellary - Version"; then
            shown=1
            break
        fi
        kill -0 "$quellary" 2>/dev/null || break
        sleep 0.2
    done
    sleep 1
    import -window root "$shots/demo.png"
    if [ -z "$shown" ]; then
        echo "run-demo: Quellary's window did not appear (see $log). The screen as it is: $shots/demo.png" >&2
        exit 1
    fi
    echo "run-demo: no display, so nothing to press. The screen as Quellary opened: $shots/demo.png"
    echo "run-demo: with a display, press Start, then Restart. 'make test' runs the whole cycle unattended."
    exit 0
fi

echo "run-demo: press Start in Quellary to end the client's tasks, then Restart to bring the client back."
wait "$quellary" || true

# Restart starts the client and ends Quellary; with-wine.sh ends every program of the prefix when this script
# returns, so the demo lasts until the client is closed. Its window shows within a few seconds of the Restart;
# none by then means it was not started again (Quellary was closed without Restart, or the client refused).
client_window="Corvana (stand-in client)"
for _ in $(seq 50); do
    window_shown "$client_window" && break
    sleep 0.2
done
if window_shown "$client_window"; then
    echo "run-demo: Quellary has ended and the client runs. Close the client's window (or press Ctrl+C) to end the demo."
    while window_shown "$client_window"; do
        sleep 0.5
    done
fi
echo "run-demo: done."
