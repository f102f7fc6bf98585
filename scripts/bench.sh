#!/usr/bin/env bash
# The benchmarks: each kind of flood three times with the window offscreen and three times in a
# real window under Xvfb, reporting the median of each figure; then the same floods with a
# capture file (and the lines flood with a traffic log) on the local disk, their rate against
# the rate without a record; then the echo benchmark.
#   scripts/bench.sh BUILD [MiB]
set -euo pipefail
build=${1:-build}
mib=${2:-1024}
flood=$build/bench/flood_bench

run() { # platform kind MiB [record]
    if [ "$1" = xvfb ]; then
        xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" env QT_QPA_PLATFORM=xcb "$flood" "$2" "$3" ${4:-} 2>/dev/null | head -n 1
    else
        QT_QPA_PLATFORM=offscreen "$flood" "$2" "$3" ${4:-} 2>/dev/null | head -n 1
    fi
}

# Medians of three runs: "rate raw ratio% p50 p99 max rss".
medians() { # platform kind MiB [record]
    for i in 1 2 3; do run "$@"; done |
    sed -E 's/.*MiB: +([0-9.]+) MiB\/s \(raw recv +([0-9.]+) MiB\/s.*p50 +([0-9.]+) ms p99 +([0-9.]+) ms max +([0-9.]+) ms.*RSS +([0-9.]+) MB.*/\1 \2 \3 \4 \5 \6/' |
    awk '
        { rate[NR]=$1; raw[NR]=$2; ratio[NR]=100*$1/$2; p50[NR]=$3; p99[NR]=$4; mx[NR]=$5; rss[NR]=$6 }
        function med(a,   n, i, j, t) { n = 3; for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t } return a[2] }
        END { if (NR != 3) { print "did not finish"; exit 1 }
              printf "%.1f %.1f %.1f %.1f %.1f %.1f %.1f\n", med(rate), med(raw), med(ratio), med(p50), med(p99), med(mx), med(rss) }'
}

declare -A plain
printf '%-9s %-9s %10s %10s %7s %9s %9s %9s %9s\n' window data "MiB/s" "raw MiB/s" ratio "p50 ms" "p99 ms" "max ms" "RSS MB"
for platform in offscreen xvfb; do
    for kind in lines binary nobreaks; do
        read -r rate raw ratio p50 p99 mx rss < <(medians "$platform" "$kind" "$mib")
        plain[$platform.$kind]=$rate
        printf '%-9s %-9s %10.1f %10.1f %6.1f%% %9.1f %9.1f %9.1f %9.1f\n' "$platform" "$kind" "$rate" "$raw" "$ratio" "$p50" "$p99" "$mx" "$rss"
    done
done
echo "(medians of 3 runs of $mib MiB each; ratio: the window's rate over a plain recv loop in the same run)"

echo
printf '%-9s %-9s %-8s %10s %16s %9s %9s\n' window data record "MiB/s" "vs no record" "p99 ms" "RSS MB"
record_row() { # platform kind record MiB
    read -r rate raw ratio p50 p99 mx rss < <(medians "$1" "$2" "$4" "$3")
    printf '%-9s %-9s %-8s %10.1f %15.1f%% %9.1f %9.1f\n' "$1" "$2" "$3" "$rate" \
        "$(awk -v a="$rate" -v b="${plain[$1.$2]}" 'BEGIN { print 100 * a / b }')" "$p99" "$rss"
}
for platform in offscreen xvfb; do
    for kind in lines binary nobreaks; do
        record_row "$platform" "$kind" capture "$mib"
    done
done
# The log holds about seven bytes of text per byte received: a smaller volume.
record_row offscreen lines log $((mib / 4))
echo "(medians of 3 runs; the record's file in a temporary folder on the local disk; the log runs $((mib / 4)) MiB)"
QT_QPA_PLATFORM=offscreen "$build/bench/echo_bench" 2>/dev/null
