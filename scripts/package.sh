#!/usr/bin/env bash
# Builds the release archive (quellary.exe, endprocx.exe, the default task list and the user guide) and the Windows
# Installer package (the same files, a Start-menu shortcut and the entry among the installed programs).
#   scripts/package.sh <windows build directory> <output directory> [version]
# The version is the build's project(VERSION) unless given (the tests build an older package that way). The default
# task list is written by the program's own code: on Windows (MSYS2) directly, elsewhere under Wine, in WINEPREFIX.
set -euo pipefail
build=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
case $(uname -s) in
MINGW* | MSYS* | CYGWIN*) windows=true ;;
*) windows=false ;;
esac
$windows || : "${WINEPREFIX:?package: WINEPREFIX must name a private Wine prefix}"
version=${3:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")}
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
maker=$(sed -n 's/^#define QUELLARY_COMPANY_NAME "\(.*\)"$/\1/p' "$build/generated/res/version.h")
[ -n "$maker" ] || { echo "package: no maker in $build/generated/res/version.h" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/bin/quellary.exe" "$build/bin/endprocx.exe" "$stage/"
# MSYS2's own MinGW binutils go without the target's prefix.
strip=$(command -v x86_64-w64-mingw32-strip || echo strip)
"$strip" "$stage"/*.exe
sed 's/$/\r/' "$here/../package/README.txt" >"$stage/README.txt"
# The default task list, written by the program's own code, so that a first unattended run has one to read.
if $windows; then
    "$build/bin/write_task_list.exe" "$(cygpath -w "$stage")\\quellary.ini"
else
    WINEDLLOVERRIDES=mscoree,mshtml= wine "$build/bin/write_task_list.exe" "Z:${stage//\//\\}\\quellary.ini" >/dev/null 2>&1
fi
[ -s "$stage/quellary.ini" ] || { echo "package: the default task list could not be written" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
zip_path=$out/quellary-$version-win64.zip
rm -f "$zip_path"
(cd "$stage" && zip -q -X "$zip_path" quellary.exe endprocx.exe quellary.ini README.txt)
echo "package: $zip_path"

# The package also carries the icon for the installed programs' entry.
cp "$here/../src/res/quellary.ico" "$stage/"
msi_path=$out/quellary-$version-x64.msi
rm -f "$msi_path"
# wixl finds the files only by paths relative to where it runs.
(cd "$stage" && wixl -a x64 -D Version="$version" -D Maker="$maker" -D Stage=. -o "$msi_path" "$here/../package/quellary.wxs")
grep -v -e '^--' -e '^$' "$here/../package/list-tables.sql" | while IFS= read -r statement; do
    msibuild "$msi_path" -q "$statement"
done
echo "package: $msi_path"
