#!/usr/bin/env bash
# clang-format on every C++ file; clang-tidy on the sources the host build compiles (the Windows-free
# logic), whose compile commands it can read. The Win32 sources are checked by the MinGW build's -Werror.
set -euo pipefail
host_build=$1
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
python3 - "$host_build/compile_commands.json" <<'PY' | xargs -r clang-tidy -p "$host_build" --quiet 2>&1 | { grep -v 'warnings generated' || true; }
import json, os, sys
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.relpath(entry["file"])
    if (path.startswith("src/") or path.startswith("tools/")) and path not in seen:
        seen.add(path)
        print(path)
PY
echo "lint: clean"
