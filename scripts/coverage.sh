#!/usr/bin/env bash
# Line and branch coverage of src/ from the Linux unit tests: builds the coverage preset, runs the
# unit-test program once, and prints gcovr's summary (and a per-file table with --files).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${KVT_JOBS:-$(nproc)}

cmake --preset linux-coverage >/dev/null
cmake --build --preset linux-coverage -j "$jobs"
find build/linux-coverage -name '*.gcda' -delete
build/linux-coverage/tests/kvt_tests --gtest_brief=1
# Exception and throw-path branches are the compiler's, not the code's decisions.
# Only the coverage build is searched (a Wine prefix elsewhere in build/ links to the whole disk).
args=(--root . --filter 'src/' --object-directory build/linux-coverage
      --exclude-throw-branches --exclude-unreachable-branches build/linux-coverage)
if [[ ${1:-} == --files ]]; then
    gcovr "${args[@]}" --branches
fi
gcovr "${args[@]}" --print-summary | tail -n 3
