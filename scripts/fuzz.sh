#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/.
#   scripts/fuzz.sh --replay        runs every target once over its committed seed corpus (CI)
#   scripts/fuzz.sh SECONDS [NAME]  fuzzes each target (or NAME) for SECONDS, growing a corpus in
#                                   build-fuzz/corpus/ and keeping crashes in build-fuzz/crashes/
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:---replay}"
only="${2:-}"

scripts/install-missing.sh clang-14 libfuzzer-14-dev libclang-rt-14-dev
# clang warns of other things than GCC, which CI's warning check is for.
CC=clang-14 CXX=clang++-14 scripts/setup.sh build-fuzz -DPLATEWELL_FUZZ=ON -DBUILD_TESTING=OFF -DPLATEWELL_WERROR=OFF

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=0"
status=0
for corpus in fuzz/corpus/*/; do
    name=$(basename "$corpus")
    [ -z "$only" ] || [ "$only" = "$name" ] || continue
    target="build-fuzz/fuzz/fuzz_$name"
    if [ "$mode" = "--replay" ]; then
        echo "== fuzz_$name: replaying $(ls "$corpus" | wc -l) inputs"
        "$target" -runs=0 "$corpus" >"build-fuzz/fuzz_$name.log" 2>&1 || { cat "build-fuzz/fuzz_$name.log"; status=1; }
    else
        mkdir -p "build-fuzz/corpus/$name" "build-fuzz/crashes/$name"
        echo "== fuzz_$name: fuzzing for $mode s"
        "$target" -max_total_time="$mode" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
            -artifact_prefix="build-fuzz/crashes/$name/" "build-fuzz/corpus/$name" "$corpus" \
            2>&1 | grep -E "stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Done" || status=1
    fi
done
[ $status -eq 0 ] && echo "fuzz: all targets passed"
exit $status
