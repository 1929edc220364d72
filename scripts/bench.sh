#!/bin/bash
# The project's benchmark: Kalvex32 side by side with its floors, under
# Wine.  Not part of the tests' pass or fail; figures on a busy machine are
# noisy, so the programs are launched in turn, interleaved, and medians
# are shown.
#
# Floors: an empty dialog; Kalvex32's own dialog template with the
# system's BUTTON and STATIC classes in place of ours; and that template
# shown after starting Winsock 1.1, which Kalvex32 must do before its
# dialog: the floor that its start-up is measured against.  Each is shown
# by a program that does nothing else (tools/kxfloor.cpp).
#
# Prints the programs' sizes; ready time (launch until the dialog waits for
# input) and resident memory then, medians over N launches, and Kalvex32's
# (and the other's) ready time over each floor's; Start to the DayTime result from our own
# server on a loopback address; and processor time while probing at
# Interval 20 over S seconds.
#
# Only the 64-bit build where this machine cannot run 32-bit code.
# KX_BUILD picks the build folder, KX_BENCH_N the launches (41: medians of
# 15 move by a tenth from run to run on a busy machine),
# KX_BENCH_SECONDS the probing time (60), KX_NET_BASE the loopback
# addresses (as for the tests: 127.0.0.BASE+1 serves), KX_BENCH_OTHER
# another Kalvex32.exe to measure alongside (an earlier build, say).
set -e -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
kx_setup
BUILD=$(kx_build_folder)
N=${KX_BENCH_N:-41}
SECONDS_CPU=${KX_BENCH_SECONDS:-60}
ADDR=127.0.0.$(( ${KX_NET_BASE:-10} + 1 ))
ARCH=$KX_SHOWN_ARCH
kx_configure "$BUILD" "$ARCH"
kx_build "$BUILD/$ARCH" Kalvex32 kxserve kxbench kxfloor-empty kxfloor-template kxfloor-winsock
BIN=$BUILD/$ARCH

# A prefix of the benchmark's own, so that its settings never meet the tests'.
kx_prefix "$BUILD/wineprefix-bench"
# Wine's own services start with the first program and keep its output
# open: let them start from one that leaves ours alone, and end them at the
# end (the prefix is the benchmark's own).
"$KX_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
RUN=$BUILD/bench
mkdir -p "$RUN"
cp -f res/KALVEX.HLP "$RUN/"
INI=$WINEPREFIX/drive_c/windows/KALVEX.INI
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Kalvex32
settings() {    # SERVICE INTERVAL: probes our server only, never starts alone
    printf '[Default]\r\nHost=%s\r\nHostList=%s;\r\nInterval=%s\r\nService=%s\r\nAutostart=0\r\nGoMin=0\r\nAlarm=0\r\nStop Value=0\r\n' \
        "$ADDR" "$ADDR" "$2" "$1" >"$INI"
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2); else print "-" }'; }
bench() { (cd "$RUN" && "$KX_WINE" "$BIN/kxbench.exe" "$@" | tr -d '\r'); }
# Processor time as Linux counts it for the Wine process of the program
# (Wine does not keep the figure for Windows' own calls): "MS PERCENT"
# over SECONDS_CPU, counted from 3 s after launch until 1 s before it ends.
cpu() {
    bench cpu "$1" $((SECONDS_CPU + 4)) $2 >/dev/null &
    local job=$! pid= q a b
    sleep 3
    # The newest process running the program in our prefix (others may run
    # programs of the same name), not kxbench that names it.
    for q in $(pgrep -f "$(basename "$1")" || true); do
        grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$q/environ" 2>/dev/null || continue
        tr '\0' ' ' <"/proc/$q/cmdline" 2>/dev/null | grep -q kxbench || pid=$q
    done
    if [ -z "$pid" ] || ! a=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null); then
        wait $job; echo "- -"; return
    fi
    sleep "$SECONDS_CPU"
    b=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null) || { wait $job; echo "- -"; return; }
    wait $job
    awk -v t=$((b - a)) -v hz="$(getconf CLK_TCK)" -v s="$SECONDS_CPU" \
        'BEGIN { printf "%d %.3f\n", t * 1000 / hz, t * 100 / hz / s }'
}

programs=("$BIN/kxfloor-empty.exe" "$BIN/kxfloor-template.exe" "$BIN/kxfloor-winsock.exe"
    "$BIN/Kalvex32.exe")
names=("empty dialog" "template floor" "template + Winsock floor" "Kalvex32")
OURS=3
if [ -n "$KX_BENCH_OTHER" ]; then
    programs+=("$(realpath "$KX_BENCH_OTHER")")
    names+=("other: $KX_BENCH_OTHER")
fi
settings Kalv 20

# Interleaved launches: one of each program per round.
for p in "${!programs[@]}"; do : > "$RUN/ready.$p"; done
for ((i = 0; i < N; i++)); do
    for p in "${!programs[@]}"; do
        bench ready "${programs[p]}" 1 >> "$RUN/ready.$p"
    done
done

trap 'kill $KX_SERVE_PID 2>/dev/null || true; wait 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
kx_serve "$BIN" "$ADDR" "$RUN/kxserve.log" -t 600

settings DayTime 20
for p in "${!programs[@]}"; do
    [ "${names[p]#other}" = "${names[p]}" ] && [ "${names[p]}" != Kalvex32 ] && continue
    bench daytime "${programs[p]}" "$N" > "$RUN/daytime.$p"
    cpu "${programs[p]}" start > "$RUN/cpu.$p"
done
cpu "$BIN/kxfloor-template.exe" > "$RUN/cpu.1"

echo "Kalvex32 bench: $ARCH build under $("$KX_WINE" --version), medians of $N launches;" \
    "CPU over ${SECONDS_CPU} s probing at Interval 20 (the template floor idle), $(date -u +%Y-%m-%d)"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(uname -sr)"
printf '%-34s %10s %10s %10s %12s %16s\n' program "size B" "ready ms" "RSS KB" "DayTime ms" "CPU ms (%)"
readies=()
for p in "${!programs[@]}"; do
    ready=$(awk '{ print $1 }' "$RUN/ready.$p" | median)
    readies[p]=$ready
    rss=$(awk '{ print $2 }' "$RUN/ready.$p" | median)
    day=-; cpu=-
    [ -s "$RUN/daytime.$p" ] && day=$(median < "$RUN/daytime.$p")
    [ -s "$RUN/cpu.$p" ] && cpu=$(awk '{ printf "%s (%s)", $1, $2 }' "$RUN/cpu.$p")
    printf '%-34s %10s %10s %10s %12s %16s\n' "${names[p]}" "$(stat -c %s "${programs[p]}")" \
        "$ready" "$rss" "$day" "$cpu"
done
for ((q = OURS; q < ${#programs[@]}; q++)); do
    for p in 0 1 2; do
        awk -v a="${readies[q]}" -v b="${readies[p]}" -v m="${names[q]}" -v n="${names[p]}" \
            'BEGIN { printf "%s ready / %s ready: %s\n", m, n, (a + 0 > 0 && b + 0 > 0 ? sprintf("%.3f", a / b) : "-") }'
    done
done
rm -f "$RUN"/ready.* "$RUN"/daytime.* "$RUN"/cpu.*
