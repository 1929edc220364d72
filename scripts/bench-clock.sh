#!/bin/bash
# The precision benchmark: the clock estimate against our own Time server
# on a loopback address, made to run a given fraction of a second off this
# computer's clock (kxserve -o).  Not part of the tests' pass or fail.
#
# For each offset, tools/kxclock.cpp asks the server KX_CLOCK_ANSWERS times
# (32), each connect aimed as the program aims it, and prints answer by
# answer the bracket, the bound and the real error; the answers are spaced
# as at the Interval of 20 s on a compressed clock (see tools/kxclock.cpp).
# Then, per answer count 8, 16 and 32, the median and the greatest bound
# and error over the runs, and how many estimates the truth lay outside.
#
# KX_CLOCK_OFFSETS picks the offsets, KX_BUILD the build folder,
# KX_NET_BASE the loopback addresses (as for the tests).  Run it in a
# network namespace of its own, as the tests.
set -e -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
kx_setup
BUILD=$(kx_build_folder)
ARCH=$KX_SHOWN_ARCH
OFFSETS=${KX_CLOCK_OFFSETS:-0.25 -0.3 0.5 -0.75 0.9 0.05}
ANSWERS=${KX_CLOCK_ANSWERS:-32}
ADDR=127.0.0.$(( ${KX_NET_BASE:-10} + 2 ))
kx_configure "$BUILD" "$ARCH"
kx_build "$BUILD/$ARCH" kxserve kxclock
BIN=$BUILD/$ARCH
kx_prefix "$BUILD/wineprefix-bench"
RUN=$BUILD/bench-clock
mkdir -p "$RUN"
trap '[ -z "$KX_SERVE_PID" ] || kill $KX_SERVE_PID 2>/dev/null || true; wait 2>/dev/null || true' EXIT

echo "Kalvex32 clock bench: $ARCH build under $("$KX_WINE" --version), $ANSWERS answers per offset" \
    "spaced 20 s apart on a compressed clock, $(date -u +%Y-%m-%d)"
: >"$RUN/all"
for off in $OFFSETS; do
    kx_serve "$BIN" "$ADDR" "$RUN/kxserve.log" -o "$off"
    echo "offset $off s:"
    "$KX_WINE" "$BIN/kxclock.exe" "$ADDR" "$off" "$ANSWERS" | tr -d '\r' | tee "$RUN/run" | sed 's/^/  /'
    kill $KX_SERVE_PID 2>/dev/null || true
    wait $KX_SERVE_PID 2>/dev/null || true
    KX_SERVE_PID=
    # answer number, bound, |error|
    sed -n 's/^answer *\([0-9]*\):.*bound *\([-0-9.]*\) ms, error *\([-0-9.]*\) ms.*/\1 \2 \3/p' "$RUN/run" |
        awk -v o="$off" '{ e = $3 < 0 ? -$3 : $3; print o, $1, $2, e }' >>"$RUN/all"
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
printf '%-8s %14s %14s %14s %14s\n' answers "median bound" "max bound" "median |error|" "max |error|"
for n in 1 8 16 32; do
    [ "$n" -le "$ANSWERS" ] || continue
    awk -v n=$n '$2 == n { print $3 }' "$RUN/all" >"$RUN/b"
    awk -v n=$n '$2 == n { print $4 }' "$RUN/all" >"$RUN/e"
    printf '%-8s %11.3f ms %11.3f ms %11.3f ms %11.3f ms\n' $n "$(median <"$RUN/b")" \
        "$(sort -n "$RUN/b" | tail -n 1)" "$(median <"$RUN/e")" "$(sort -n "$RUN/e" | tail -n 1)"
done
echo "estimates with the truth outside the bound: $(awk '$4 > $3' "$RUN/all" | wc -l) of $(wc -l <"$RUN/all")"
