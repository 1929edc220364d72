#!/bin/bash
# Builds the Release program for 32- and 64-bit Windows and packs each, with
# its help file and a README.txt, into dist/Kalvex32-VERSION-win32.zip and
# dist/Kalvex32-VERSION-win64.zip, and lists their SHA-256 sums in
# dist/SHA256SUMS.  The same sources give the same bytes: the zips' entries
# carry the release date (cmake/release.cmake) and a fixed order, and the
# programs no link time.  KX_BUILD picks the build folder (as for test.sh),
# KX_ARCHS the architectures, KX_DIST the folder the packages go to,
# KX_NO_SETUP=1 leaves out the check for missing packages.
set -e -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
kx_setup
BUILD=$(kx_build_folder)
ARCHS=${KX_ARCHS:-"i686 x86_64"}
DIST=${KX_DIST:-dist}
mkdir -p "$DIST"
DIST=$(realpath "$DIST")
# A text that the build's version header defines.
defined() { sed -n "s/^#define $1  *\"\(.*\)\"\$/\1/p" "$BUILD/$a/generated/kxversion.h"; }
zips=()
for a in $ARCHS; do
    kx_configure "$BUILD" "$a"
    if ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$BUILD/$a/CMakeCache.txt"; then
        echo "package: $BUILD/$a is not a Release build" >&2
        exit 1
    fi
    kx_build "$BUILD/$a" Kalvex32
    version=$(defined KX_VERSION)
    released=$(defined KX_RELEASE_DATE)
    case $a in i686) bits=32 ;; *) bits=64 ;; esac
    zip=Kalvex32-$version-win$bits.zip
    python3 - "$DIST/$zip" "$version" "$released" "$BUILD/$a/Kalvex32.exe" res/KALVEX.HLP docs/README.txt <<'PY'
import sys, zipfile
out, version, released, exe, hlp, readme = sys.argv[1:]
date = tuple(int(n) for n in released.split("-")) + (0, 0, 0)
text = open(readme, encoding="ascii").read().replace("@VERSION@", version)
entries = [
    ("Kalvex32.exe", open(exe, "rb").read()),
    ("KALVEX.HLP", open(hlp, "rb").read()),
    ("README.txt", text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")),
]
with zipfile.ZipFile(out + ".tmp", "w") as z:
    for name, data in entries:
        info = zipfile.ZipInfo(name, date_time=date)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0          # made on "MS-DOS": no Unix modes
        info.external_attr = 0x20       # archive bit
        z.writestr(info, data, compresslevel=9)
PY
    mv -f "$DIST/$zip.tmp" "$DIST/$zip"
    zips+=("$zip")
done
(cd "$DIST" && sha256sum "${zips[@]}" > SHA256SUMS)
for z in "${zips[@]}"; do echo "$DIST/$z"; done
echo "$DIST/SHA256SUMS"
