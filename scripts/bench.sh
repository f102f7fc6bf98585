#!/usr/bin/env bash
# The benchmarks: each kind of flood three times with the window offscreen and three times in a
# real window under Xvfb, reporting the median of each figure; then the echo benchmark.
#   scripts/bench.sh BUILD [MiB]
set -euo pipefail
build=${1:-build}
mib=${2:-1024}
flood=$build/bench/flood_bench

run() { # platform kind
    if [ "$1" = xvfb ]; then
        xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env QT_QPA_PLATFORM=xcb "$flood" "$2" "$mib" 2>/dev/null | head -n 1
    else
        QT_QPA_PLATFORM=offscreen "$flood" "$2" "$mib" 2>/dev/null | head -n 1
    fi
}

printf '%-9s %-9s %10s %10s %7s %9s %9s %9s %9s\n' window data "MiB/s" "raw MiB/s" ratio "p50 ms" "p99 ms" "max ms" "RSS MB"
for platform in offscreen xvfb; do
    for kind in lines binary nobreaks; do
        for i in 1 2 3; do run "$platform" "$kind"; done |
        sed -E 's/.*MiB: +([0-9.]+) MiB\/s \(raw recv +([0-9.]+) MiB\/s.*p50 +([0-9.]+) ms p99 +([0-9.]+) ms max +([0-9.]+) ms.*RSS +([0-9.]+) MB.*/\1 \2 \3 \4 \5 \6/' |
        awk -v p="$platform" -v k="$kind" '
            { rate[NR]=$1; raw[NR]=$2; ratio[NR]=100*$1/$2; p50[NR]=$3; p99[NR]=$4; mx[NR]=$5; rss[NR]=$6 }
            function med(a,   n, i, j, t) { n = 3; for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t } return a[2] }
            END { if (NR != 3) { print p, k, "did not finish"; exit 1 }
                  printf "%-9s %-9s %10.1f %10.1f %6.1f%% %9.1f %9.1f %9.1f %9.1f\n", p, k, med(rate), med(raw), med(ratio), med(p50), med(p99), med(mx), med(rss) }'
    done
done
echo "(medians of 3 runs of $mib MiB each; ratio: the window's rate over a plain recv loop in the same run)"
QT_QPA_PLATFORM=offscreen "$build/bench/echo_bench" 2>/dev/null
