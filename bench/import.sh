#!/bin/sh
# The import's speed and memory, measured against opening the result.
#
#   sh bench/import.sh [TVTOOL] [WORK_FOLDER]
#
# Writes 1,000,000 rows of delimited text in the trip export's layout, then
# times (median of 3 runs each, side by side in one run)
#   import   tvtool import FILE ROWS.csv --log trips (read, check, add, save)
#            into a copy of a data file without trips
#   open     tvtool check of the imported file
# Targets: import <= 3 s of processor time (user and system; the wall time,
# printed too, counts whatever else the machine runs); its peak memory <= 1.5 x that of opening the
# imported file (the records added plus a small constant, not the text of the
# file). Prints PASS or FAIL per target and exits 1 when any fails, 2 when the
# measurement itself could not be made.
#
# TVTOOL defaults to build/cli/tvtool; WORK_FOLDER to a new temporary folder,
# removed afterwards. Needs /usr/bin/time (Debian package "time").

set -eu

RUNS=3
ROWS=1000000
SECONDS_LIMIT=3
MEMORY_LIMIT=1.5

tvtool=${1:-build/cli/tvtool}
work=${2:-}
BENCH_NAME=import
. "$(dirname "$0")/timing.sh"

[ -x "$tvtool" ] || fail_setup "no tvtool at '$tvtool' (build it first, or pass its path)"
[ -x /usr/bin/time ] || fail_setup "/usr/bin/time is missing (apt-get install time)"

if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-import-bench.XXXXXX")
    trap 'rm -rf -- "$work"' EXIT
else
    mkdir -p -- "$work"
    trap 'rm -f -- "$work/Empty.tv" "$work/TvData.tv" "$work/rows.csv" "$work"/*.times \
        "$work"/*.peaks "$work/time.txt"' EXIT
fi
empty=$work/Empty.tv
file=$work/TvData.tv
rows=$work/rows.csv

"$tvtool" sample "$empty" --vehicles 1 --trips 0 --services 0 --expenses 0
# A trip every half hour with its own odometer span, as the trip export writes
# them.
awk -v rows="$ROWS" 'BEGIN {
    print "Start Time,End Time,Destination,Category,Start Miles,End Miles,Distance,Note,\r"
    odometer = 1000
    for (i = 0; i < rows; i++) {
        distance = 1 + (i * 7) % 9
        year = 1972 + int(i / 48 / 336); day = int(i / 48) % 336
        month = 1 + int(day / 28); mday = 1 + day % 28; hour = int(i % 48 / 2); minute = i % 2 * 30
        printf "%d/%d/%d %d:%02d,%d/%d/%d %d:%02d,Place %d,Business,%d,%d,%d,Trip note %d,\r\n",
            month, mday, year, hour, minute, month, mday, year, hour, minute + 20,
            i % 50, odometer, odometer + distance, distance, i % 97
        odometer += distance
    }
}' >"$rows"

rm -f -- "$work"/*.times "$work"/*.peaks
run=0
while [ "$run" -lt "$RUNS" ]; do
    cp -- "$empty" "$file"
    measure import "$tvtool" import "$file" "$rows" --log trips --vehicle "Bench car" \
        --create-names
    awk -F': *' '/User time|System time/ { s += $2 } END { printf "%d\n", s * 1000000 }' \
        "$work/time.txt" >>"$work/import-cpu.times"
    measure check "$tvtool" check "$file"
    run=$((run + 1))
done
"$tvtool" check "$file" | grep -q "^trips: $ROWS live" || fail_setup "the import added no $ROWS trips"

import_us=$(median "$work/import.times")
cpu_us=$(median "$work/import-cpu.times")
check_us=$(median "$work/check.times")
import_peak=$(largest "$work/import.peaks")
check_peak=$(largest "$work/check.peaks")
seconds=$(awk -v us="$cpu_us" 'BEGIN { printf "%.2f", us / 1000000 }')
memory_ratio=$(ratio "$import_peak" "$check_peak")
printf 'median of %d runs, %d rows (%s MiB of text):\n' "$RUNS" "$ROWS" \
    "$(mib "$(wc -c <"$rows")")"
judge "$seconds" "$SECONDS_LIMIT"
printf '  import:  %8s ms = %5s x check (wall), %s ms of processor time   target <= %s s   %s\n' \
    "$(ms "$import_us")" "$(ratio "$import_us" "$check_us")" "$(ms "$cpu_us")" "$SECONDS_LIMIT" \
    "$VERDICT"
printf '  check:   %8s ms\n' "$(ms "$check_us")"
judge "$memory_ratio" "$MEMORY_LIMIT"
printf '  peak memory: import %s MiB, check %s MiB = %s x   target <= %s x   %s\n' \
    "$(mib $((import_peak * 1024)))" "$(mib $((check_peak * 1024)))" "$memory_ratio" \
    "$MEMORY_LIMIT" "$VERDICT"

if [ "$failures" -gt 0 ]; then
    echo "import: $failures target(s) missed"
    exit 1
fi
