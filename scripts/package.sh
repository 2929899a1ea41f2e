#!/usr/bin/env bash
# Builds the release archive: quellary.exe, endprocx.exe and a short user guide.
set -euo pipefail
build=$1
out=$2
# The version the build was configured with: project(VERSION), as the executables carry it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/bin/quellary.exe" "$build/bin/endprocx.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage"/*.exe
cat > "$stage/README.txt" <<'TEXT'
Quellary ends every running task of the Corvana client, so that the client can be started again.

1. Keep quellary.exe and endprocx.exe together in one folder.
2. Start quellary.exe. The first time it offers to create quellary.ini, the list of task executables
   to end. You may edit that file with any text editor: keep the header line, one name per line, and
   end the file with one more line than you want listed.
3. Press Start. The list then shows the tasks that were found and terminated.
4. Press Restart to start the client again.

Unattended: "quellary.exe START" runs without a window. Exit code 0: done; 1: some task may still be
running; 2: the run could not be carried out.
TEXT
sed -i 's/$/\r/' "$stage/README.txt"
mkdir -p "$out"
zip_path=$(cd "$out" && pwd)/quellary-$version-win64.zip
rm -f "$zip_path"
(cd "$stage" && zip -q -X "$zip_path" quellary.exe endprocx.exe README.txt)
echo "package: $zip_path"
