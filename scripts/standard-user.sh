#!/usr/bin/env bash
# Runs a command as a standard user of Windows 10/11 would meet Wine: in a prefix of its own whose C:\,
# C:\windows, C:\Program Files and installation folders are read-only, with every Wine process (wineserver
# included) started without the capabilities that let root ignore file permissions. Quellary, its kill tool and
# the stand-in client are installed read-only under C:\Program Files first.
#   scripts/standard-user.sh <windows build directory> <command...>
set -euo pipefail
build=$(cd "${1:?usage: standard-user.sh <windows build directory> <command...>}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
bin=$build/bin
# Never the ordinary prefix: what runs there must not meet read-only folders, and what runs here must not
# find the ordinary prefix's wineserver started with full rights.
export WINEPREFIX=$build/wineprefix-user WINEDEBUG="${WINEDEBUG:--all}"
drive_c=$WINEPREFIX/drive_c
program_files="$drive_c/Program Files"
# The installations: Quellary with its task list, Quellary without one, and the client.
app="$program_files/Quellary"
bare="$program_files/Quellary Without List"
client="$program_files/Halvane/Corvana"
locked=("$drive_c" "$drive_c/windows" "$program_files" "$app" "$bare" "$program_files/Halvane" "$client")

unlock() {
    for dir in "${locked[@]}"; do
        [ -d "$dir" ] && chmod u+w "$dir"
    done
    return 0
}

# Made, and the installations written, with full rights; nothing of the prefix may run while they are dropped.
unlock
"$here/with-wine.sh" true
rm -rf "$app" "$bare" "$client"
mkdir -p "$app" "$bare" "$client"
cp "$bin/quellary.exe" "$bin/endprocx.exe" "$app/"
cp "$bin/quellary.exe" "$bin/endprocx.exe" "$bare/"
"$here/with-wine.sh" wine "$bin/write_task_list.exe" 'C:\Program Files\Quellary\quellary.ini' >/dev/null 2>&1
[ -s "$app/quellary.ini" ] || { echo "standard-user: the task list could not be written" >&2; exit 1; }
cp "$bin/cvclient.exe" "$client/"
for task in cvagent cvmail cvtray cvlink; do
    cp "$bin/task_standin.exe" "$client/$task.exe"
done
rm -f "$drive_c/windows/endprocx.exe" "$drive_c/killed.lst"
WINEPREFIX=$WINEPREFIX wineserver -w 2>/dev/null || true

trap unlock EXIT
chmod a-w "${locked[@]}"
if [ "$(id -u)" -ne 0 ]; then
    "$here/with-wine.sh" "$@" # an ordinary Linux user meets file permissions already
else
    setpriv --bounding-set -dac_override,-dac_read_search,-fowner,-linux_immutable "$here/with-wine.sh" "$@"
fi
