#!/usr/bin/env bash
# Times a pass-through run of nldiff (0 iterations) on a 4096 x 4096 binary image against cat of
# the same file, checks that filter.out holds the input unchanged, then reports the ASCII write
# rate of nldiff_bench. Works in a temporary directory that it removes.
#
# Usage: bench/transfer.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
nldiff="$build/nldiff"
bench="$build/nldiff_bench"
if [ ! -x "$nldiff" ]; then
    echo "$0: no program $nldiff" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/nldiff-transfer.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

side=4096
python3 - "$side" <<'EOF'
import os, sys
n = int(sys.argv[1]) ** 2
data = bytearray(os.urandom(8 * n))
# Clearing the top exponent bit of every value (its byte 7, least significant byte first)
# keeps it finite: magnitudes below 2, zeros and denormals included.
data[7::8] = data[7::8].translate(bytes(b & 0xBF for b in range(256)))
with open("image.raw", "wb") as f:
    f.write(data)
EOF

# elapsed VAR COMMAND...: the wall-clock time of one run, in seconds, into VAR.
elapsed() {
    local var=$1 t0 t1
    shift
    t0=$(date +%s.%N)
    "$@"
    t1=$(date +%s.%N)
    printf -v "$var" '%s' "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')"
}

# smaller A B: the smaller of two times.
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }

nldiff_status=0
run_nldiff() {
    rm -f filter.out
    "$nldiff" 2d isotrop 0 0 0 linear grey binaryfile image.raw "$side" "$side" \
        >nldiff.log 2>&1 || nldiff_status=$?
}
run_cat() {
    cat image.raw >copy
}

# The two alternate, so that a slow phase of the machine hits both alike.
runs=5
nldiff_seconds=1e9
cat_seconds=1e9
for _ in $(seq "$runs"); do
    elapsed t run_nldiff
    nldiff_seconds=$(smaller "$t" "$nldiff_seconds")
    elapsed t run_cat
    cat_seconds=$(smaller "$t" "$cat_seconds")
done

status=0
if [ "$nldiff_status" -ne 0 ]; then
    echo "nldiff ended with status $nldiff_status:"
    cat nldiff.log
    status=1
fi
if [ ! -f filter.out ]; then
    echo "CHECK FAILED: nldiff wrote no filter.out"
    status=1
elif cmp -s image.raw filter.out; then
    echo "filter.out equals the input ($((8 * side * side)) bytes)"
else
    echo "CHECK FAILED: filter.out differs from the input"
    status=1
fi

echo "binary transfer of $side x $side values, best of $runs runs"
echo "  nldiff pass-through: $nldiff_seconds s"
echo "  cat:                 $cat_seconds s"
awk -v a="$nldiff_seconds" -v b="$cat_seconds" \
    'BEGIN { if (b > 0) printf "  ratio nldiff / cat:  %.2f\n", a / b }'

rm -f image.raw copy filter.out
if [ -x "$bench" ]; then
    "$bench" "$work" || status=1
else
    echo "no program $bench: ASCII write rate not measured"
    status=1
fi
exit "$status"
