#!/bin/bash
# Builds Kalvex32 for 32- and 64-bit Windows and runs every test of both
# under Wine, and the native fuzz harnesses under the sanitizers.  Extra
# arguments go to ctest (for example -R Zone).
# KX_BUILD picks the build folder, KX_ARCHS the architectures.
set -e -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
kx_setup
BUILD=$(kx_build_folder)
ARCHS=${KX_ARCHS:-"i686 x86_64"}
PREFIX=$BUILD/wineprefix
kx_prefix "$PREFIX"
: > "$BUILD/CTestTestfile.cmake"
for a in $ARCHS; do
    kx_configure "$BUILD" "$a"
    kx_build "$BUILD/$a"
    if [ "$a" = i686 ] && [ "$KX_RUNS_I686" != 1 ]; then
        echo "test: this machine's kernel cannot run 32-bit code, so Wine cannot run the i686 build: it is built, its tests but the native checks of the Release program are left out"
        echo "subdirs(\"$a/static\")" >> "$BUILD/CTestTestfile.cmake"
        continue
    fi
    echo "subdirs(\"$a\")" >> "$BUILD/CTestTestfile.cmake"
done
# The rules that read outside input, built natively under the sanitizers:
# each fuzz harness over its seeds and then briefly (tests/native).
kx_build_native "$BUILD/native"
echo 'subdirs("native")' >> "$BUILD/CTestTestfile.cmake"
# A wineserver or Wine service started by a test would hold ctest's output
# pipe open, and starting them is most of a test's cost: keep one idle Wine
# program (cmd reading a pipe we hold) running for the whole ctest run.
kx_prefix "$PREFIX"
rm -f "$BUILD/.keepalive"
mkfifo "$BUILD/.keepalive"
shells=system32
[ "$KX_RUNS_I686" = 1 ] && shells="system32 syswow64"
for shell in $shells; do
    WINEPREFIX=$PREFIX WINEDEBUG=-all "$KX_WINE" "C:\\windows\\$shell\\cmd.exe" \
        <"$BUILD/.keepalive" >/dev/null 2>&1 &
done
exec 9>"$BUILD/.keepalive"
trap 'exec 9>&-; rm -f "$BUILD/.keepalive"; WINEPREFIX=$PREFIX wineserver -k' EXIT
sleep 1
cd "$BUILD"
if [ $# -gt 0 ]; then
    ctest --output-on-failure --timeout 120 "$@"
    exit
fi
# ctest shows a passing test's output only when asked, and the soak's output
# is its figures: it runs first, on its own, with its output shown; its two
# halves run side by side.
soak=0
ctest -V -j2 --timeout 900 -R '[.]Soak[.]' || soak=1
[ "$soak" = 0 ] || echo "test: the soak failed (see above)"
rc=0
ctest --output-on-failure --timeout 120 -E '[.]Soak[.]' || rc=$?
[ "$soak" = 0 ] || rc=1
exit "$rc"
