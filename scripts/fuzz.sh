#!/bin/bash
# Runs every fuzz harness of tests/native for SECONDS (default 60), all at
# once and at low priority, then prints each one's executions, coverage
# and the findings of this run.  The corpora grow in build/native/corpus
# (the tests start from them too); inputs that break a rule land in
# build/native/findings.
set -e -o pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-60}
. scripts/lib.sh
kx_setup
BUILD=$(kx_build_folder)/native
kx_build_native "$BUILD"
LOGS=$BUILD/fuzz-logs
mkdir -p "$LOGS" "$BUILD/findings"
# Findings of earlier runs stay for reference; only this run's are counted.
started=$LOGS/.started
touch "$started"
# Those the build made: the host list's harness waits for its source file.
harnesses=$(cd tests/native && for f in fuzz_*.cpp; do
    if [ -x "$BUILD/${f%.cpp}" ]; then echo "${f%.cpp}"; fi; done)
pids=()
for h in $harnesses; do
    mkdir -p "$BUILD/corpus/$h"
    nice -n 19 "$BUILD/$h" -max_total_time="$SECONDS_EACH" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$BUILD/findings/$h-" "$BUILD/corpus/$h" "tests/native/seeds/$h" \
        >"$LOGS/$h.log" 2>&1 &
    pids+=($!)
done
failed=0
i=0
for h in $harnesses; do
    wait "${pids[$i]}" || failed=1
    i=$((i + 1))
done
printf '%-16s %12s %8s %8s  %s\n' harness executions cov ft findings
for h in $harnesses; do
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOGS/$h.log")
    last=$(grep -E '^#[0-9]+.*cov: ' "$LOGS/$h.log" | tail -1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    found=$(find "$BUILD/findings" -name "$h-*" -newer "$started" | wc -l)
    printf '%-16s %12s %8s %8s  %s\n' "$h" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$found"
done
if [ "$failed" != 0 ]; then
    echo "fuzz: a harness found something; see $LOGS and $BUILD/findings"
    exit 1
fi
