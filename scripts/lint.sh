#!/usr/bin/env bash
# clang-format on every C++ file; clang-tidy on the program's own sources as each build compiles them: the host
# build's (the Windows-free logic) and the MinGW cross build's (everything, for Windows), from their compile
# commands; the CI workflow against its schema.
set -euo pipefail
host_build=$1
win_build=$2
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The sources a build compiles, each once.
sources() {
    python3 - "$1/compile_commands.json" <<'PY'
import json, os, sys
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.relpath(entry["file"])
    if path.startswith(("src/", "tools/", "demo/")) and path not in seen:
        seen.add(path)
        print(path)
PY
}

# clang-tidy parses as clang does: for the cross build it needs the target, and MinGW's C++ and Windows headers
# where the cross compiler finds them (not the compiler's own intrinsics, which only GCC reads).
cross_compiler=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))[0]["command"].split()[0])' \
    "$win_build/compile_commands.json")
cross_args=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-Wno-unknown-warning-option)
while read -r dir; do
    case $dir in
    */c++* | */x86_64-w64-mingw32/include) cross_args+=("--extra-arg=-isystem$(readlink -f "$dir")") ;;
    esac
done < <("$cross_compiler" -xc++ -E -v /dev/null 2>&1 | sed -n '/#include <...>/,/End of search/s/^ //p')

tidy() {
    xargs -r -P "$(nproc)" -n 4 clang-tidy --quiet "$@" 2>&1 | { grep -v 'warnings generated' || true; }
}
# Every finding is an error (.clang-tidy): a clang-tidy that fails fails its pipeline, and so the script.
sources "$host_build" | tidy -p "$host_build"
sources "$win_build" | tidy -p "$win_build" "${cross_args[@]}"
# The hosted CI's workflow against the workflow schema, so that a typo fails here rather than on the first push.
node_modules/.bin/action-validator .github/workflows/ci.yml
echo "lint: clean"
