#!/bin/bash
# Installs what building and testing Kalvex32 on Debian 12 needs.
# Quiet and quick when everything is already there.
set -e
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: enabling the i386 architecture for 32-bit Wine"
    dpkg --add-architecture i386
fi
need=()
for p in cmake make mingw-w64 googletest wine wine64 wine32:i386 xvfb imagemagick x11-apps \
         clang-14 libclang-rt-14-dev python3; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "setup: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${need[@]}" >/dev/null
fi
