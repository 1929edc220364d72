#!/bin/bash
# Configures (once) and builds the native harnesses of tests/native with
# Debian's clang in the folder $1.
set -e -o pipefail
cd "$(dirname "$0")/.."
if [ ! -f "$1/CMakeCache.txt" ]; then
    cmake -S tests/native -B "$1" -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
fi
cmake --build "$1" -j"$(nproc)" -- --no-print-directory 2>&1 |
    sed -e '/^\[ *[0-9]*%\]/d'
