#!/usr/bin/env bash
# The package built from this build and as an older version, its tables read back on the host, then installed,
# upgraded, removed, repaired and refused as a downgrade by the system's own installer: Wine's, in a fresh prefix of
# its own, or Windows' own (from MSYS2's bash), on the machine itself, which it leaves without Quellary.
#   tests/package/test_package.sh <windows build directory>
set -euo pipefail
build=$(cd "$1" && pwd) scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
case $(uname -s) in
MINGW* | MSYS* | CYGWIN*) windows=true ;;
*) windows=false ;;
esac
if ! $windows; then
    export WINEPREFIX=$build/wineprefix-package
    if [ -z "${QUELLARY_PACKAGE_TEST:-}" ]; then
        rm -rf "$WINEPREFIX" && QUELLARY_PACKAGE_TEST=1 exec "$scripts/with-wine.sh" "$0" "$@"
    fi
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

# The whole exit code: a Unix exit status keeps only its low byte (1603 would read 67).
if $windows; then
    dir="$(cygpath -u "$ProgramW6432")/Quellary" lists=$build/package/lists
    lists_named=$(cygpath -w "$lists")
    menus=("$(cygpath -u "$ProgramData")/Microsoft/Windows/Start Menu"
        "$(cygpath -u "$APPDATA")/Microsoft/Windows/Start Menu")
    # Windows' own switches and paths, passed on as written rather than taken for Unix paths.
    registry() { MSYS2_ARG_CONV_EXCL='*' reg "$@"; }
    msi() {
        local words=() word
        for word in "$@"; do
            if [ -f "$word" ]; then
                word=\"$(cygpath -w "$word")\"
            elif [[ $word == [A-Z]*=* ]]; then
                word="${word%%=*}=\"${word#*=}\""
            fi
            words+=("$word")
        done
        MSYS2_ARG_CONV_EXCL='*' powershell -NoProfile -Command \
            "(Start-Process msiexec -ArgumentList '${words[*]} /qn' -Wait -PassThru).ExitCode" | tr -d '\r'
    }
else
    c=$WINEPREFIX/drive_c dir="$WINEPREFIX/drive_c/Program Files/Quellary" lists=$WINEPREFIX/drive_c/lists
    lists_named='C:\lists' menus=("$c")
    registry() { wine reg "$@"; }
    msi() { wine cmd /c "msiexec $* /qn & echo exit %ERRORLEVEL%" | tr -d '\r' | sed -n 's/^exit //p'; }
fi
# Counted only in the entry named Quellary: a machine may have other programs of the same version.
entry() { registry query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | tr -d '\r' |
    awk -v version="$version" -v maker="$maker" '
        /^HKEY/ { key = $0 }
        /DisplayName +REG_SZ +Quellary$/ { ours[key] = 1 }
        /DisplayName +REG_SZ +Quellary$/ || $0 ~ ("DisplayVersion +REG_SZ +" version "$") ||
            $0 ~ ("Publisher +REG_SZ +" maker "$") { found[key]++ }
        END { n = 0; for (key in ours) n += found[key]; print n }'; }
edit() { printf '[Corvana Task List]\r\nedited.exe\r\n\r\nX\r\n' >"$dir/quellary.ini" && rm "$dir/README.txt"; }
kept() { grep -q edited.exe "$dir/quellary.ini" || fail "$1 replaced the changed task list"; }
shortcuts() { find "${menus[@]}" -name Quellary.lnk 2>/dev/null || true; }
gone() { [ ! -e "$dir" ] && [ -z "$(shortcuts)" ] && [ "$(entry)" = 0 ] &&
    ! registry query 'HKLM\Software\Quellary' >/dev/null 2>&1 || fail "the uninstall left some of Quellary"; }
mkdir -p "$lists"
for l in own other; do printf '[Corvana Task List]\r\ncv%s.exe\r\n\r\nX\r\n' $l >"$lists/$l.ini"; done
# On Windows the machine's own installation is used: none before, none after.
if $windows; then
    msi /x "$new" >/dev/null
    trap 'msi /x "$new" >/dev/null' EXIT
fi

# The administrator's list, kept as changed by an upgrade that names another list; the installed programs' entry.
expect "$(msi /i "$old" "TASKLIST=$lists_named\\own.ini")" 0 "install with TASKLIST"
cmp "$dir/quellary.ini" "$lists/own.ini" || fail "TASKLIST was not installed as quellary.ini"
edit
expect "$(msi /i "$new" "TASKLIST=$lists_named\\other.ini")" 0 upgrade
kept "the upgrade"
expect "$(entry) $(shortcuts | wc -l)" "3 1" "the entry's name, version and publisher; the shortcut"
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
