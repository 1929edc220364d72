#!/bin/bash
# Checks of a built Release program that read files only, so that they run
# natively for every architecture, also where Wine cannot run it.
#   release_checks.sh size OBJDUMP EXE LIMIT   stripped, and at most LIMIT bytes
#   release_checks.sh imports OBJDUMP EXE      only Windows' own DLLs
#   release_checks.sh package SOURCE BUILD ARCH EXE WORK
#                                              the zip holds what it should,
#                                              and packing again gives its bytes
#   release_checks.sh images SOURCE WORK       res/ holds the images that
#                                              scripts/gen-images.py draws
set -e -o pipefail
case $1 in
size)
    size=$(stat -c %s "$3")
    echo "$3: $size bytes, at most $4"
    [ "$size" -le "$4" ]
    "$2" -t "$3" | grep -q 'no symbols'
    ;;
imports)
    dlls=$("$2" -p "$3" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    echo "$3 imports:" $dlls
    [ -n "$dlls" ]
    for d in $dlls; do
        case $d in
        kernel32.dll|user32.dll|gdi32.dll|shlwapi.dll|wsock32.dll|msvcrt.dll|comctl32.dll|advapi32.dll) ;;
        *) echo "not one of Windows' own DLLs: $d"; exit 1 ;;
        esac
    done
    ;;
package)
    src=$2 build=$3 arch=$4 exe=$5 work=$6
    rm -rf "$work"
    for n in 1 2; do
        KX_NO_SETUP=1 KX_BUILD=$build KX_ARCHS=$arch KX_DIST=$work/$n "$src/scripts/package.sh" >/dev/null
    done
    zips=$(cd "$work/1" && ls *.zip)
    [ "$(echo "$zips" | wc -l)" = 1 ]
    cmp "$work/1/$zips" "$work/2/$zips"
    cmp "$work/1/SHA256SUMS" "$work/2/SHA256SUMS"
    (cd "$work/1" && sha256sum -c --quiet SHA256SUMS)
    python3 - "$work/1/$zips" "$exe" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
assert names == ["Kalvex32.exe", "KALVEX.HLP", "README.txt"], names
assert z.read("Kalvex32.exe") == open(sys.argv[2], "rb").read(), "not the built program"
readme = z.read("README.txt")
assert readme.count(b"\n") > 20 and readme.count(b"\n") == readme.count(b"\r\n"), "README.txt is not CR LF"
assert b"@VERSION@" not in readme
print(sys.argv[1], names)
PY
    ;;
images)
    src=$2 work=$3
    rm -rf "$work"
    python3 "$src/scripts/gen-images.py" "$work"
    for f in "$work"/* "$src"/res/*.bmp "$src"/res/*.ico; do
        cmp "$work/${f##*/}" "$src/res/${f##*/}"
    done
    echo "res/ holds what scripts/gen-images.py draws:" $(cd "$work" && ls)
    ;;
*)
    exit 2 ;;
esac
