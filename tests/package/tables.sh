#!/usr/bin/env bash
# The package's own tables, read back on the host: what deployment tools and the installed programs' list show.
#   tests/package/tables.sh <windows build directory> <package> <older package>
set -euo pipefail
build=$1
property() { msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2\t//p"; }
expect() { [ "$1" = "$2" ] || { echo "FAILED: $3: got '$1', expected '$2'" >&2; exit 1; }; }
expect "$(property "$2" ProductVersion)" "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ProductVersion
expect "$(property "$2" Manufacturer)" "$(sed -n 's/^#define QUELLARY_COMPANY_NAME "\(.*\)"$/\1/p' "$build/generated/res/version.h")" Manufacturer
expect "$(property "$2" ALLUSERS)" 1 "ALLUSERS (per machine)"
# Every version's package has this one upgrade code, or a later version installs beside the earlier one.
for package in "$2" "$3"; do
    expect "$(property "$package" UpgradeCode)" "{183B1BFE-F779-45E3-8EC0-CC5036F74C58}" "UpgradeCode of $package"
done
# Wine's installer refuses a downgrade but keeps the message to itself.
msiinfo export "$2" LaunchCondition | grep -q "A newer version of Quellary is already installed" ||
    { echo "FAILED: the downgrade refusal has no message" >&2; exit 1; }
