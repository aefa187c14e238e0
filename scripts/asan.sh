#!/usr/bin/env bash
# Builds Platewell and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the whole suite under them; any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build-asan -DWITH_ASAN=ON -DCMAKE_BUILD_TYPE=Debug
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="abort_on_error=1:detect_stack_use_after_return=1:suppressions=$PWD/scripts/asan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
