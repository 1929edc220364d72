#!/bin/bash
# Runs the soak test alone, outside the test command, for STEPS due steps
# (default 100000), and prints its figures.  KX_NET_BASE moves its loopback
# addresses as for the tests; KX_SOAK_ARCH picks the build (x86_64).
set -e -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
STEPS=${1:-100000}
ARCH=${KX_SOAK_ARCH:-x86_64}
kx_setup
BUILD=$(kx_build_folder)
kx_configure "$BUILD" "$ARCH"
kx_build "$BUILD/$ARCH" kalvex_tests
kx_prefix "$BUILD/wineprefix"
# Wine's services would hold our output open after the test has ended.
trap 'wineserver -k' EXIT
cd "$BUILD/$ARCH/tests"
KX_SOAK_STEPS=$STEPS ../wine-run ./kalvex_tests.exe --gtest_filter='Soak.*'
