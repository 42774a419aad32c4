#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; then builds everything again
# under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer and runs the whole
# suite, GUI tests included, a second time. Any sanitizer report fails the run; only
# leaks inside Qt's and the system's own libraries are suppressed (scripts/lsan.supp).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$jobs"

# The Debian package, built, validated and run from a read-only prefix.
bash scripts/package-check.sh build

# Light optimisation keeps the instrumented suite quick; the system libraries are used
# as installed.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0
export LSAN_OPTIONS=suppressions=$top/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j "$jobs"
