#!/usr/bin/env bash
# Runs one Windows test program under Wine for CTest. The output goes through a file: Wine's own
# helper processes (the desktop, services) start with the first program and inherit its output,
# which would keep CTest's pipe open until they end.
set -uo pipefail
log=$(mktemp)
wine "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
rm -f "$log"
exit $rc
