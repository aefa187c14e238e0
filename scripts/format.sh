#!/usr/bin/env bash
# Formats every C++ file with the repository's .clang-format (clang-format 14).
#   scripts/format.sh          rewrites the files in place
#   scripts/format.sh --check  changes nothing; lists the files that differ and fails if any do
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format-14 >/dev/null || command -v clang-format >/dev/null || scripts/install-missing.sh clang-format-14
formatter=$(command -v clang-format-14 || command -v clang-format)

mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
[ ${#files[@]} -gt 0 ] || { echo "format: no source files found (not a git checkout?)"; exit 1; }
if [ "${1:-}" = "--check" ]; then
    status=0
    for file in "${files[@]}"; do
        if ! "$formatter" --style=file "$file" | cmp -s - "$file"; then
            echo "not formatted: $file"
            status=1
        fi
    done
    [ $status -eq 0 ] && echo "format: all ${#files[@]} files match .clang-format"
    exit $status
fi
"$formatter" --style=file -i "${files[@]}"
