#!/usr/bin/env bash
# The package installed, repaired, upgraded and removed by Wine's own Windows Installer, in a fresh prefix of its own.
#   tests/package/install.sh <windows build directory> <package> <older package>
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX=$build/wineprefix-package
if [ -z "${QUELLARY_PACKAGE_PREFIX_MADE:-}" ]; then
    rm -rf "$WINEPREFIX"
    QUELLARY_PACKAGE_PREFIX_MADE=1 exec "$(dirname "$0")/../../scripts/with-wine.sh" "$0" "$@"
fi
new="Z:${2//\//\\}" old="Z:${3//\//\\}"
c=$WINEPREFIX/drive_c dir="$WINEPREFIX/drive_c/Program Files/Quellary"
fail() { echo "FAILED: $*" >&2; exit 1; }
expect() { [ "$1" = "$2" ] || fail "$3: got '$1', expected '$2'"; }
# The whole exit code: a Unix exit status keeps only its low byte (1603 would read 67).
msi() { wine cmd /c "msiexec $* /qn & echo exit %ERRORLEVEL%" | tr -d '\r' | sed -n 's/^exit //p'; }
entries() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r'; }
edit() { printf '[Corvana Task List]\r\nedited.exe\r\n\r\nX\r\n' >"$dir/quellary.ini"; }
kept() { grep -q edited.exe "$dir/quellary.ini" || fail "$1 replaced the changed task list"; }
gone() {
    [ ! -e "$dir" ] && [ -z "$(find "$c" -name Quellary.lnk)" ] && ! entries | grep -q 'DisplayName *REG_SZ *Quellary$' &&
        ! wine reg query 'HKLM\Software\Quellary' >/dev/null 2>&1 || fail "the uninstall left some of Quellary"
}
mkdir -p "$c/lists" && printf '[Corvana Task List]\r\ncvown.exe\r\n\r\nX\r\n' >"$c/lists/own.ini"
printf '[Corvana Task List]\r\ncvother.exe\r\n\r\nX\r\n' >"$c/lists/other.ini"

# The administrator's list, kept as changed since by a repair and by an upgrade that names a list again.
expect "$(msi /i "$old" 'TASKLIST=C:\lists\own.ini')" 0 "install with TASKLIST"
cmp "$dir/quellary.ini" "$c/lists/own.ini" || fail "TASKLIST was not installed as quellary.ini"
edit && rm "$dir/README.txt"
expect "$(msi /i "$old" REINSTALL=ALL REINSTALLMODE=omus)" 0 repair
[ -f "$dir/README.txt" ] || fail "the repair did not restore the user guide"
kept "the repair"
expect "$(msi /i "$new" 'TASKLIST=C:\lists\other.ini')" 0 upgrade
kept "the upgrade"
expect "$(msi /x "$new")" 0 uninstall
gone

# The default list, kept as changed by an upgrade; the installed program's unattended run, whose log stays.
expect "$(msi /i "$old")" 0 install
edit
expect "$(msi /i "$new")" 0 upgrade
kept "the upgrade"
expect "$(entries | grep -c 'DisplayName *REG_SZ *Quellary$')" 1 "entries among the installed programs"
entries | grep -q "DisplayVersion *REG_SZ *$(msiinfo export "$2" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')$" ||
    fail "the entry shows another version"
[ -n "$(find "$c" -name Quellary.lnk)" ] || fail "no Start-menu shortcut"
printf '[Corvana Task List]\r\ncvnone.exe\r\n\r\nX\r\n' >"$dir/quellary.ini"
expect "$(wine "$dir/quellary.exe" START; echo $?)" 0 "START from the installation"
log=$(find "$c/users" -path '*/AppData/Local/Quellary/quellary.log')
grep -q 'task list:   C:\\Program Files\\Quellary\\quellary.ini' "$log" || fail "the run read another list"
expect "$(msi /x "$new")" 0 uninstall
gone
[ -f "$log" ] || fail "the uninstall took the user's run log"

# An older version refuses to install over a newer one.
expect "$(msi /i "$new")" 0 install
expect "$(msi /i "$old")" 1603 "an older version over a newer one"
