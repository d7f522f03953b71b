#!/bin/sh
# The statistics' speed, measured against opening the same file.
#
#   sh bench/stats.sh [TVTOOL] [WORK_FOLDER]
#
# On a sample of 1,000,000 trips with 10 vehicles, 20,000 service entries and
# 100,000 expenses, times (median of 5 runs each, side by side in one run)
#   open     tvtool check FILE
#   stats    tvtool stats FILE        (one vehicle, the first by name; all dates)
#   json     tvtool stats FILE --json
# Target: stats <= 1.5 x check, and the same for json. Prints PASS or FAIL per
# target and exits 1 when any fails, 2 when the measurement itself could not
# be made.
#
# TVTOOL defaults to build/cli/tvtool; WORK_FOLDER to a new temporary folder,
# removed afterwards. Needs /usr/bin/time (Debian package "time").

set -eu

RUNS=5
STATS_LIMIT=1.5
# A fixed moment, so that every run judges the service entries alike.
NOW="2030-01-01 12:00:00"

tvtool=${1:-build/cli/tvtool}
work=${2:-}
BENCH_NAME=stats
. "$(dirname "$0")/timing.sh"

[ -x "$tvtool" ] || fail_setup "no tvtool at '$tvtool' (build it first, or pass its path)"
[ -x /usr/bin/time ] || fail_setup "/usr/bin/time is missing (apt-get install time)"

if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-stats-bench.XXXXXX")
    trap 'rm -rf -- "$work"' EXIT
else
    mkdir -p -- "$work"
    trap 'rm -f -- "$work/TvData.tv" "$work"/*.times "$work"/*.peaks "$work/time.txt" \
        "$work/stats.txt"' EXIT
fi
file=$work/TvData.tv

"$tvtool" sample "$file" --trips 1000000 --vehicles 10 --services 20000 --expenses 100000

# One untimed round brings the file and the program into the page cache, and
# tells which vehicle and how many of its trips the figures cover.
"$tvtool" check "$file" >/dev/null
"$tvtool" stats "$file" --now "$NOW" >"$work/stats.txt"
vehicle=$(awk -F'\t' '$1 == "Vehicle" { print $2 }' "$work/stats.txt")
trips=$(awk -F'\t' '$1 == "Trips" { print $2 }' "$work/stats.txt")
[ -n "$trips" ] || fail_setup "tvtool stats printed no trip count"

rm -f -- "$work"/*.times
run=0
while [ "$run" -lt "$RUNS" ]; do
    measure check "$tvtool" check "$file"
    measure stats "$tvtool" stats "$file" --now "$NOW"
    measure json "$tvtool" stats "$file" --now "$NOW" --json
    run=$((run + 1))
done

check_us=$(median "$work/check.times")
printf 'median of %d runs, vehicle %s (%s of 1,000,000 trips), all dates:\n' "$RUNS" \
    "$vehicle" "$trips"
printf '  open (check):     %8s ms\n' "$(ms "$check_us")"
for case in stats json; do
    case_us=$(median "$work/$case.times")
    case_ratio=$(ratio "$case_us" "$check_us")
    judge "$case_ratio" "$STATS_LIMIT"
    label="stats"
    [ "$case" = json ] && label="stats --json"
    printf '  %-16s  %8s ms = %5s x check   target <= %s x   %s\n' "$label:" \
        "$(ms "$case_us")" "$case_ratio" "$STATS_LIMIT" "$VERDICT"
done

if [ "$failures" -gt 0 ]; then
    echo "stats: $failures target(s) missed"
    exit 1
fi
