#!/usr/bin/env bash
# Filters a generated noisy test image (a bright square and a dark disc on a grey ramp) and
# writes input and result side by side as a PGM picture.
#   usage: scripts/demo.sh [path/to/nldiff] [output directory]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
nldiff=$(realpath "${1:-$here/build/release/nldiff}")
out=$(mkdir -p "${2:-$here/demo}" && cd "${2:-$here/demo}" && pwd)
n=128

# One value per line, the first axis (x) running fastest; values in [0, 1] plus noise.
awk -v n=$n 'BEGIN {
    srand(7);
    for (y = 0; y < n; ++y) for (x = 0; x < n; ++x) {
        v = 0.3 + 0.2 * x / (n - 1);
        if (x >= 20 && x < 60 && y >= 24 && y < 64) v = 0.9;
        if ((x - 86) ^ 2 + (y - 84) ^ 2 < 26 ^ 2) v = 0.1;
        # Sum of uniforms: roughly Gaussian noise with deviation 0.06.
        noise = (rand() + rand() + rand() + rand() - 2) * 0.104;
        printf "%.6f\n", v + noise;
    }
}' > "$out/sample.txt"

cd "$out"
"$nldiff" 2d isotrop 2e-4 10 0.01 peronamalik 15 grey asciifile sample.txt $n $n
mv filter.out sample-filtered.txt

# Input left, result right, both mapped from [0, 1] to grey levels 0..255.
awk -v n=$n 'NR == FNR { a[FNR] = $1; next } { b[FNR] = $1 }
END {
    printf "P2\n%d %d\n255\n", 2 * n + 4, n;
    for (y = 0; y < n; ++y) {
        line = "";
        for (x = 0; x < 2 * n + 4; ++x) {
            if (x < n) v = a[y * n + x + 1];
            else if (x >= n + 4) v = b[y * n + x - n - 4 + 1];
            else v = 1;
            g = int(v * 255 + 0.5); if (g < 0) g = 0; if (g > 255) g = 255;
            line = line g " ";
        }
        print line;
    }
}' sample.txt sample-filtered.txt > sample-side-by-side.pgm
echo "wrote $out/sample-side-by-side.pgm (left: input, right: filtered)"
