#!/bin/bash
# tvtool's start-up: the check of a small data file, against a C++ program
# that links the standard library only and reads the same file.
#
#   bash bench/startup.sh [TVTOOL] [YARDSTICK] [WORK_FOLDER]
#
# Times (median of 21 runs, the two programs taking turns) tvtool check on a
# small sample file (500 trips, about 70 KB) and the yardstick program
# (build/bench/tvbench_stdonly) on it. Target: tvtool within 5 x the
# yardstick, which takes about a millisecond: tvtool starts in a few
# milliseconds because it loads no library beyond the standard library's;
# the commands that draw or write workbooks load theirs when they run.
# Prints PASS or FAIL and exits 1 when the target is missed, 2 when the
# measurement itself could not be made.

set -eu

RUNS=21
START_LIMIT=5

tvtool=${1:-build/cli/tvtool}
yardstick=${2:-build/bench/tvbench_stdonly}
work=${3:-}
BENCH_NAME=startup
. "$(dirname "$0")/timing.sh"

[ -x "$tvtool" ] || fail_setup "no tvtool at '$tvtool' (build it first, or pass its path)"
[ -x "$yardstick" ] || fail_setup "no yardstick at '$yardstick' (build tvbench_stdonly)"
if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-bench.XXXXXX")
    trap 'rm -rf -- "$work"' EXIT
else
    mkdir -p -- "$work"
    trap 'rm -f -- "$work/small.tv" "$work"/*.times' EXIT
fi

file=$work/small.tv
"$tvtool" sample "$file" --trips 500 --vehicles 2 --services 20 --expenses 100 >/dev/null
size=$(stat -c %s "$file")
libraries=$(ldd "$tvtool" | wc -l)

"$tvtool" check "$file" >/dev/null
"$yardstick" "$file" >/dev/null
rm -f -- "$work"/*.times
for ((run = 0; run < RUNS; run++)); do
    measure_fast yardstick "$yardstick" "$file"
    measure_fast check "$tvtool" check "$file"
done

yardstick_us=$(median "$work/yardstick.times")
check_us=$(median "$work/check.times")
start_ratio=$(ratio "$check_us" "$yardstick_us")

printf 'file:               %d bytes; ldd lists %d libraries for tvtool\n' "$size" "$libraries"
printf 'median of %d runs:\n' "$RUNS"
printf '  yardstick:        %8s ms\n' "$(ms "$yardstick_us")"
judge "$start_ratio" "$START_LIMIT"
printf '  tvtool check:     %8s ms  = %5s x yardstick  target <= %d x   %s\n' \
    "$(ms "$check_us")" "$start_ratio" "$START_LIMIT" "$VERDICT"

if [ "$failures" -gt 0 ]; then
    echo "startup: $failures target(s) missed"
    exit 1
fi
