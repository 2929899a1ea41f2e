#!/usr/bin/env bash
# Runs a command as a standard user of Windows 10/11 would meet Wine: in a prefix of its own whose C:\,
# C:\windows, C:\Program Files and installation folders are read-only, with every Wine process (wineserver
# included) started without the capabilities that let root ignore file permissions. Quellary (through its
# Windows Installer package), its kill tool and the stand-in client are installed read-only under
# C:\Program Files first.
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
# Quellary as administrators install it, from this build's package. The last run's installation is removed
# first: installed again over it, files of the same version would be kept rather than replaced by this build's.
msi=$("$here/package.sh" "$build" "$build/package" | sed -n 's/^package: \(.*\.msi\)$/\1/p')
installed=$WINEPREFIX/quellary-installed.msi
if [ -f "$installed" ]; then
    "$here/with-wine.sh" wine msiexec /x "Z:${installed//\//\\}" /qn || true
fi
rm -rf "$app" "$bare" "$client"
"$here/with-wine.sh" wine msiexec /i "Z:${msi//\//\\}" /qn ||
    { echo "standard-user: msiexec could not install $msi" >&2; exit 1; }
cp "$msi" "$installed"
[ -s "$app/quellary.ini" ] || { echo "standard-user: the package installed no task list" >&2; exit 1; }
mkdir -p "$bare" "$client"
cp "$bin/quellary.exe" "$bin/endprocx.exe" "$bare/"
cp "$bin/cvclient.exe" "$client/"
for task in cvagent cvmail cvtray cvlink; do
    cp "$bin/task_standin.exe" "$client/$task.exe"
done
rm -f "$drive_c/windows/endprocx.exe" "$drive_c/killed.lst"
# A case that refuses the command interpreter gives it back its rights; one cut short may not have.
chmod 755 "$drive_c/windows/system32/cmd.exe"
WINEPREFIX=$WINEPREFIX wineserver -w 2>/dev/null || true

trap unlock EXIT
chmod a-w "${locked[@]}"
if [ "$(id -u)" -ne 0 ]; then
    "$here/with-wine.sh" "$@" # an ordinary Linux user meets file permissions already
else
    setpriv --bounding-set -dac_override,-dac_read_search,-fowner,-linux_immutable "$here/with-wine.sh" "$@"
fi
