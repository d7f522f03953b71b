#!/bin/sh
# Opening and saving a large data file, measured against copying the file.
#
#   sh bench/open_save.sh [TVTOOL] [WORK_FOLDER]
#
# Generates a sample of 1,000,000 trips with 10 vehicles, 20,000 service
# entries and 100,000 expenses, then times (median of 7 runs each)
#   open           tvtool check FILE
#   open and save  tvtool resave FILE OUT
#   references     cp FILE COPY (read and write the bytes once), and
#                  dd conv=fsync (a durable copy: on disk before it ends)
#   floor          tvbench_stdonly --whole FILE: the file read into memory of
#                  the program's own, the least any open that keeps the
#                  bytes can cost (shown, not judged; skipped without it)
# the four taking turns, and takes the peak resident memory of check and
# resave from /usr/bin/time -v. Targets: open <= 1.0 x cp, open and save
# <= 1.2 x the durable copy, peak memory <= 1.5 x the file size. Prints PASS or FAIL per target and exits 1 when any fails, 2 when
# the measurement itself could not be made.
#
# TVTOOL defaults to build/cli/tvtool, the floor's program to the
# tvbench_stdonly beside it in the build; WORK_FOLDER to a new temporary folder,
# removed afterwards. Needs /usr/bin/time (Debian package "time").

set -eu

RUNS=7
OPEN_LIMIT=1.0
SAVE_LIMIT=1.2
MEMORY_LIMIT=1.5

tvtool=${1:-build/cli/tvtool}
work=${2:-}
floor_program=$(dirname "$tvtool")/../bench/tvbench_stdonly
BENCH_NAME=open_save
. "$(dirname "$0")/timing.sh"

[ -x "$tvtool" ] || fail_setup "no tvtool at '$tvtool' (build it first, or pass its path)"
[ -x /usr/bin/time ] || fail_setup "/usr/bin/time is missing (apt-get install time)"

if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-bench.XXXXXX")
    trap 'rm -rf -- "$work"' EXIT
else
    mkdir -p -- "$work"
    trap 'rm -f -- "$work/TvData.tv" "$work/copy.tv" "$work/durable.tv" "$work/resaved.tv" \
        "$work/time.txt" \
        "$work"/*.times "$work"/*.peaks' EXIT
fi

file=$work/TvData.tv
copy=$work/copy.tv
durable=$work/durable.tv
resaved=$work/resaved.tv

start=$(now_us)
"$tvtool" sample "$file" --trips 1000000 --vehicles 10 --services 20000 --expenses 100000
generated_us=$(($(now_us) - start))
size=$(stat -c %s "$file")

# One untimed round brings the file and the programs into the page cache.
cp "$file" "$copy"
"$tvtool" check "$file" >/dev/null
"$tvtool" resave "$file" "$resaved"

rm -f -- "$work"/*.times "$work"/*.peaks
run=0
while [ "$run" -lt "$RUNS" ]; do
    rm -f -- "$copy" "$durable" "$resaved"
    measure copy cp "$file" "$copy"
    measure check "$tvtool" check "$file"
    measure durable dd if="$file" of="$durable" bs=1M conv=fsync status=none
    measure resave "$tvtool" resave "$file" "$resaved"
    [ ! -x "$floor_program" ] || measure floor "$floor_program" --whole "$file"
    run=$((run + 1))
done
cmp -s "$file" "$resaved" || fail_setup "the resaved file differs from the original"

copy_us=$(median "$work/copy.times")
durable_us=$(median "$work/durable.times")
check_us=$(median "$work/check.times")
resave_us=$(median "$work/resave.times")
check_peak=$(($(largest "$work/check.peaks") * 1024))
resave_peak=$(($(largest "$work/resave.peaks") * 1024))

open_ratio=$(ratio "$check_us" "$copy_us")
save_ratio=$(ratio "$resave_us" "$durable_us")
check_memory=$(ratio "$check_peak" "$size")
resave_memory=$(ratio "$resave_peak" "$size")

printf 'file:               %d bytes (%s MiB), generated in %s ms\n' "$size" "$(mib "$size")" \
    "$(ms "$generated_us")"
printf 'median of %d runs:\n' "$RUNS"
printf '  cp (reference):   %8s ms\n' "$(ms "$copy_us")"
printf '  durable copy:     %8s ms\n' "$(ms "$durable_us")"
judge "$open_ratio" "$OPEN_LIMIT"
printf '  open (check):     %8s ms  = %5s x cp     target <= %s x   %s\n' "$(ms "$check_us")" \
    "$open_ratio" "$OPEN_LIMIT" "$VERDICT"
if [ -x "$floor_program" ]; then
    floor_us=$(median "$work/floor.times")
    printf '  read into memory: %8s ms  (the floor: open = %s x it)\n' "$(ms "$floor_us")" \
        "$(ratio "$check_us" "$floor_us")"
fi
judge "$save_ratio" "$SAVE_LIMIT"
printf '  open+save:        %8s ms  = %5s x durable  target <= %s x   %s\n' "$(ms "$resave_us")" \
    "$save_ratio" "$SAVE_LIMIT" "$VERDICT"
printf 'peak memory:\n'
judge "$check_memory" "$MEMORY_LIMIT"
printf '  check:            %8s MiB = %5s x file   target <= %s x   %s\n' "$(mib "$check_peak")" \
    "$check_memory" "$MEMORY_LIMIT" "$VERDICT"
judge "$resave_memory" "$MEMORY_LIMIT"
printf '  resave:           %8s MiB = %5s x file   target <= %s x   %s\n' "$(mib "$resave_peak")" \
    "$resave_memory" "$MEMORY_LIMIT" "$VERDICT"

if [ "$failures" -gt 0 ]; then
    echo "open_save: $failures target(s) missed"
    exit 1
fi
