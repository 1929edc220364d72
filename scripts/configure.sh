# Sourced by the scripts that build one architecture: kx_configure BUILD ARCH
# sets up the Release build folder BUILD/ARCH once, as test.sh does.
kx_configure() {
    if [ ! -f "$1/$2/CMakeCache.txt" ]; then
        cmake -S . -B "$1/$2" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$2.cmake" \
            -DKX_WINEPREFIX="$1/wineprefix" >/dev/null
    fi
}
