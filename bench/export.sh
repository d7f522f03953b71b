#!/bin/sh
# The exports' speed, measured against opening the same file.
#
#   sh bench/export.sh [TVTOOL] [WORKBOOK_BENCH] [WORK_FOLDER]
#
# 1. Text export against `tvtool check` of the same file (median of 5 runs
#    each): the trips of one vehicle of a sample of 1,000,000 trips with 10
#    vehicles, and every trip of a sample of 1,000,000 trips of one vehicle
#    (the whole store). Target: export <= 1.5 x check. Each export makes a
#    new file; the whole store's export is also timed replacing its previous
#    output, which waits for the disk to keep the old file safe (shown, not
#    judged).
# 2. The largest Excel 5 trip workbook, 16,383 trips (16,384 rows), written
#    as the desktop program writes it (tvbench_workbook: rows, cells,
#    compound file and a file replaced once flushed to disk) against
#    python3-xlwt writing the same cells (building and saving the workbook),
#    side by side in this run (median of 5 runs each). Target: at least 10 x
#    faster.
# 3. The .xlsx workbook of all 1,000,000 trips of the one-vehicle sample:
#    time and peak resident memory (median of 3 runs), beside check's.
# Prints PASS or FAIL per target and exits 1 when any fails, 2 when the
# measurement itself could not be made.
#
# TVTOOL defaults to build/cli/tvtool, WORKBOOK_BENCH to
# build/bench/tvbench_workbook; WORK_FOLDER to a new temporary folder,
# removed afterwards. Needs /usr/bin/time (Debian package "time"), python3
# with python3-xlrd and python3-xlwt.

set -eu

RUNS=5
XLSX_RUNS=3
TEXT_LIMIT=1.5
XLWT_FACTOR=10

tvtool=${1:-build/cli/tvtool}
workbook=${2:-build/bench/tvbench_workbook}
work=${3:-}
here=$(dirname "$0")
BENCH_NAME=export
. "$here/timing.sh"

[ -x "$tvtool" ] || fail_setup "no tvtool at '$tvtool' (build it first, or pass its path)"
[ -x "$workbook" ] || fail_setup "no tvbench_workbook at '$workbook' (build it first)"
[ -x /usr/bin/time ] || fail_setup "/usr/bin/time is missing (apt-get install time)"
/usr/bin/python3 -c 'import xlrd, xlwt' 2>/dev/null ||
    fail_setup "python3-xlrd and python3-xlwt are needed (apt-get install python3-xlrd python3-xlwt)"

if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-export-bench.XXXXXX")
    trap 'rm -rf -- "$work"' EXIT
else
    mkdir -p -- "$work"
    trap 'rm -f -- "$work"/*.tv "$work"/out.* "$work"/out-xlwt.xls "$work/time.txt" \
        "$work"/*.times "$work"/*.peaks' EXIT
fi

ten=$work/ten.tv
one=$work/one.tv
"$tvtool" sample "$ten" --trips 1000000 --vehicles 10 --services 20000 --expenses 100000
"$tvtool" sample "$one" --trips 1000000 --vehicles 1 --services 20000 --expenses 100000

# One untimed round brings the files and the programs into the page cache.
for file in "$ten" "$one"; do
    "$tvtool" check "$file" >/dev/null
    "$tvtool" export trips "$file" -o "$work/out.csv"
done

rm -f -- "$work"/*.times "$work"/*.peaks
run=0
while [ "$run" -lt "$RUNS" ]; do
    rm -f -- "$work/out.csv"
    measure check-ten "$tvtool" check "$ten"
    measure export-ten "$tvtool" export trips "$ten" -o "$work/out.csv"
    rm -f -- "$work/out.csv"
    measure check-one "$tvtool" check "$one"
    measure export-one "$tvtool" export trips "$one" -o "$work/out.csv"
    measure replace-one "$tvtool" export trips "$one" -o "$work/out.csv"
    run=$((run + 1))
done
one_rows=$(($(wc -l <"$work/out.csv") - 1))
"$tvtool" export trips "$ten" -o "$work/out.csv"
ten_rows=$(($(wc -l <"$work/out.csv") - 1))

"$workbook" "$work/out.xls" 16383 "$RUNS" >"$work/xls.times" ||
    fail_setup "tvbench_workbook failed"
run=0
while [ "$run" -lt "$RUNS" ]; do
    rm -f -- "$work/out-xlwt.xls"
    /usr/bin/python3 "$here/xlwt_workbook.py" "$work/out.xls" "$work/out-xlwt.xls" \
        >>"$work/xlwt.times" || fail_setup "python3-xlwt failed"
    run=$((run + 1))
done

run=0
while [ "$run" -lt "$XLSX_RUNS" ]; do
    rm -f -- "$work/out.xlsx"
    measure xlsx "$tvtool" export trips "$one" -o "$work/out.xlsx" --format xlsx
    run=$((run + 1))
done
xlsx_size=$(stat -c %s "$work/out.xlsx")

printf 'median of %d runs:\n' "$RUNS"
for case in ten one; do
    check_us=$(median "$work/check-$case.times")
    export_us=$(median "$work/export-$case.times")
    text_ratio=$(ratio "$export_us" "$check_us")
    judge "$text_ratio" "$TEXT_LIMIT"
    if [ "$case" = ten ]; then
        rows=$ten_rows
        what="one vehicle of ten"
    else
        rows=$one_rows
        what="the whole store"
    fi
    printf '  text export, %s (%d trips):\n' "$what" "$rows"
    printf '    check:          %8s ms\n' "$(ms "$check_us")"
    printf '    export:         %8s ms = %5s x check   target <= %s x   %s\n' "$(ms "$export_us")" \
        "$text_ratio" "$TEXT_LIMIT" "$VERDICT"
done
replace_us=$(median "$work/replace-one.times")
printf '    replacing it:   %8s ms = %5s x check   (waits for the disk)\n' "$(ms "$replace_us")" \
    "$(ratio "$replace_us" "$(median "$work/check-one.times")")"

xls_us=$(median "$work/xls.times")
xlwt_us=$(median "$work/xlwt.times")
speedup=$(ratio "$xlwt_us" "$xls_us")
judge "$speedup" "$XLWT_FACTOR" at-least
printf '  Excel 5 trip workbook, 16,384 rows:\n'
printf '    export:         %8s ms\n' "$(ms "$xls_us")"
printf '    python3-xlwt:   %8s ms (building and saving)  = %s x slower   target >= %d x   %s\n' \
    "$(ms "$xlwt_us")" "$speedup" "$XLWT_FACTOR" "$VERDICT"

printf '  .xlsx workbook of %d trips (median of %d runs, %s MiB written):\n' "$one_rows" \
    "$XLSX_RUNS" "$(awk -v b="$xlsx_size" 'BEGIN { printf "%.1f", b / 1048576 }')"
printf '    time:           %8s ms (check: %s ms)\n' "$(ms "$(median "$work/xlsx.times")")" \
    "$(ms "$(median "$work/check-one.times")")"
printf '    peak memory:    %8s MiB (check: %s MiB)\n' "$(mib $(($(median "$work/xlsx.peaks") * 1024)))" \
    "$(mib $(($(median "$work/check-one.peaks") * 1024)))"

if [ "$failures" -gt 0 ]; then
    echo "export: $failures target(s) missed"
    exit 1
fi
