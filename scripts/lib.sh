# Sourced by the scripts, from the top of the source tree, and by
# CMakeLists.txt for the Wine loader: what more than one of them does.

# Installs what is missing (scripts/setup.sh; KX_NO_SETUP=1 skips that)
# and finds the Wine loader.
kx_setup() {
    [ -n "$KX_NO_SETUP" ] || scripts/setup.sh
    kx_find_wine
}

# Debian's `wine` launcher always starts the 32-bit loader first, and some
# kernels (some virtual machines among them) cannot run 32-bit code at all:
# there the 64-bit loader runs 64-bit programs directly and 32-bit programs
# not at all.  Sets KX_WINE (the loader to run programs with), KX_RUNS_I686
# (1 when 32-bit Windows programs can run here, else 0) and KX_SHOWN_ARCH
# (the build that shows the program here: the shipped 32-bit one where it
# runs, else the 64-bit one).
kx_find_wine() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        KX_WINE=wine KX_RUNS_I686=1 KX_SHOWN_ARCH=i686
    else
        KX_WINE=/usr/lib/wine/wine64 KX_RUNS_I686=0 KX_SHOWN_ARCH=x86_64
    fi
    export KX_WINE KX_RUNS_I686 KX_SHOWN_ARCH
}

# The build folder (KX_BUILD, else build/), made and as an absolute path.
kx_build_folder() {
    mkdir -p "${KX_BUILD:-build}"
    realpath "${KX_BUILD:-build}"
}

# kx_configure BUILD ARCH: sets up the Release build folder BUILD/ARCH
# once, its tests run in the prefix BUILD/wineprefix.
kx_configure() {
    if [ ! -f "$1/$2/CMakeCache.txt" ]; then
        cmake -S . -B "$1/$2" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$2.cmake" \
            -DKX_WINEPREFIX="$1/wineprefix" >/dev/null
    fi
}

# kx_build FOLDER [TARGET...]: builds those targets (all by default),
# showing the compilers' messages without make's progress lines.
kx_build() {
    local dir=$1 targets=()
    shift
    [ $# = 0 ] || targets=(--target "$@")
    cmake --build "$dir" -j"$(nproc)" "${targets[@]}" -- --no-print-directory 2>&1 |
        sed -e '/^\[ *[0-9]*%\]/d' -e '/^Consolidate compiler generated/d'
}

# kx_build_native FOLDER: configures (once) and builds the native harnesses
# of tests/native with Debian's clang.
kx_build_native() {
    if [ ! -f "$1/CMakeCache.txt" ]; then
        cmake -S tests/native -B "$1" -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
    fi
    kx_build "$1"
}

# kx_prefix PREFIX [x11]: makes PREFIX this shell's Wine prefix, creating
# it once, and leaves a wineserver running for a while so that every
# program starts fast.  The tests' prefixes use Wine's null display driver
# so that they need no X server; an x11 one shows the program on a display.
kx_prefix() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/.kx-ready" ]; then
        echo "prefix: creating $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$KX_WINE" wineboot -i >/dev/null 2>&1 || true
        if [ "$2" = x11 ]; then
            # The symbols of the caption buttons, which this Wine does not
            # find alone.
            for f in /usr/share/wine/fonts/marlett.ttf; do
                [ -f "$f" ] && cp "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
            done
        else
            "$KX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        fi
        wineserver -w
        touch "$WINEPREFIX/.kx-ready"
    fi
    wineserver -p 60 </dev/null >/dev/null 2>&1 || true
}

# kx_serve BIN_DIR ADDR LOG [KXSERVE_ARGS...]: starts our own Daytime and
# Time servers (BIN_DIR/kxserve.exe) on the loopback address ADDR in the
# background, their output going to LOG, and waits (at most 20 s) until
# they serve.  Sets KX_SERVE_PID to the background job's pid and returns 0;
# if they did not start, prints LOG and returns 1.
kx_serve() {
    local bin=$1 addr=$2 log=$3
    shift 3
    "$KX_WINE" "$bin/kxserve.exe" "$addr" "$@" >"$log" 2>&1 &
    KX_SERVE_PID=$!
    for _ in $(seq 100); do grep -q '^kxserve:' "$log" && break; sleep 0.2; done
    if ! grep -q '^kxserve: Daytime' "$log"; then
        cat "$log" >&2
        return 1
    fi
}
