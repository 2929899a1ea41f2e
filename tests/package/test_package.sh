#!/usr/bin/env bash
# The package built from this build and as an older version, its tables read back on the host, then installed,
# upgraded, removed, repaired and refused as a downgrade by Wine's own installer, in a fresh prefix of its own.
#   tests/package/test_package.sh <windows build directory>
set -euo pipefail
build=$(cd "$1" && pwd) scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
export WINEPREFIX=$build/wineprefix-package
if [ -z "${QUELLARY_PACKAGE_TEST:-}" ]; then
    rm -rf "$WINEPREFIX" && QUELLARY_PACKAGE_TEST=1 exec "$scripts/with-wine.sh" "$0" "$@"
fi
fail() { echo "FAILED: $*" >&2; exit 1; }
expect() { [ "$1" = "$2" ] || fail "$3: got '$1', expected '$2'"; }
msi_of() { "$scripts/package.sh" "$build" "$build/package" "$@" | sed -n 's/^package: \(.*\.msi\)$/\1/p'; }
new=$(msi_of) old=$(msi_of 0.9.0) # any version below this one
property() { msiinfo export "$new" Property | tr -d '\r' | sed -n "s/^$1\t//p"; }
version=$(property ProductVersion) maker=$(property Manufacturer)
expect "$version" "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ProductVersion
resource_maker=$(sed -n 's/^#define QUELLARY_COMPANY_NAME "\(.*\)"$/\1/p' "$build/generated/res/version.h")
expect "$maker" "$resource_maker" Manufacturer
# The same for every version, or a later version installs beside the earlier one.
expect "$(property UpgradeCode) $(property ALLUSERS)" "{183B1BFE-F779-45E3-8EC0-CC5036F74C58} 1" "UpgradeCode, ALLUSERS"

c=$WINEPREFIX/drive_c dir="$WINEPREFIX/drive_c/Program Files/Quellary"
# The whole exit code: a Unix exit status keeps only its low byte (1603 would read 67).
msi() { wine cmd /c "msiexec $* /qn & echo exit %ERRORLEVEL%" | tr -d '\r' | sed -n 's/^exit //p'; }
entry() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
    grep -cE "DisplayName +REG_SZ +Quellary$|DisplayVersion +REG_SZ +$version$|Publisher +REG_SZ +$maker$"; }
edit() { printf '[Corvana Task List]\r\nedited.exe\r\n\r\nX\r\n' >"$dir/quellary.ini" && rm "$dir/README.txt"; }
kept() { grep -q edited.exe "$dir/quellary.ini" || fail "$1 replaced the changed task list"; }
gone() { [ ! -e "$dir" ] && [ -z "$(find "$c" -name Quellary.lnk)" ] && [ "$(entry)" = 0 ] &&
    ! wine reg query 'HKLM\Software\Quellary' >/dev/null 2>&1 || fail "the uninstall left some of Quellary"; }
mkdir -p "$c/lists"
for l in own other; do printf '[Corvana Task List]\r\ncv%s.exe\r\n\r\nX\r\n' $l >"$c/lists/$l.ini"; done

# The administrator's list, kept as changed by an upgrade that names another list; the installed programs' entry.
expect "$(msi /i "$old" 'TASKLIST=C:\lists\own.ini')" 0 "install with TASKLIST"
cmp "$dir/quellary.ini" "$c/lists/own.ini" || fail "TASKLIST was not installed as quellary.ini"
edit
expect "$(msi /i "$new" 'TASKLIST=C:\lists\other.ini')" 0 upgrade
kept "the upgrade"
expect "$(entry) $(find "$c" -name Quellary.lnk | wc -l)" "3 1" "the entry's name, version and publisher; the shortcut"
expect "$(msi /x "$new")" 0 uninstall
gone

# The default list, kept as changed by a repair; an older version refused (Wine forgets the newer one's upgrade code
# once it was an upgrade, so this comes after the upgrade's uninstall).
expect "$(msi /i "$new")" 0 install
zip_list() { python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("quellary.ini"))' "$1"; }
zip_list "$build/package/quellary-$version-win64.zip" | cmp - "$dir/quellary.ini" ||
    fail "the zip does not carry the task list that the package installs"
expect "$(msi /i "$old")" 1603 "an older version over a newer one"
edit
expect "$(msi /i "$new" REINSTALL=ALL REINSTALLMODE=omus)" 0 repair
[ -f "$dir/README.txt" ] || fail "the repair restored nothing"
kept "the repair"
