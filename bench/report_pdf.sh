#!/bin/sh
# Rendering a long trip report to PDF.
#
#   sh bench/report_pdf.sh [TVTOOL] [WORK_FOLDER]
#
# Generates a sample of one vehicle with 20,000 trips, then times (median of
# 5 runs) tvtool report trips FILE -o OUT.pdf: every row on US Letter at the
# PDF writer's 1200 dots per inch, with the totals on the last page. Prints
# the pages and the size of the PDF, the median time, and PASS when it stays
# within 10 seconds (the desktop program shows a progress window with a
# Cancel button for such jobs); exits 1 on FAIL, 2 when the measurement
# itself could not be made.
#
# TVTOOL defaults to build/cli/tvtool; WORK_FOLDER to a new temporary folder,
# removed afterwards. Needs pdfinfo (Debian package "poppler-utils").

set -eu

RUNS=5
LIMIT_MS=10000

tvtool=${1:-build/cli/tvtool}
work=${2:-}

fail_setup() {
    echo "report_pdf: $*" >&2
    exit 2
}

[ -x "$tvtool" ] || fail_setup "no tvtool at '$tvtool' (build it first, or pass its path)"
command -v pdfinfo >/dev/null || fail_setup "pdfinfo is missing (apt-get install poppler-utils)"

if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-bench.XXXXXX")
    trap 'rm -rf -- "$work"' EXIT
else
    mkdir -p "$work"
fi

data="$work/TvData.tv"
pdf="$work/trips.pdf"
"$tvtool" sample "$data" --vehicles 1 --trips 20000 --services 0 --expenses 0 ||
    fail_setup "tvtool sample failed"

times=""
run=0
while [ "$run" -lt "$RUNS" ]; do
    start=$(date +%s%N)
    "$tvtool" report trips "$data" -o "$pdf" 2>/dev/null || fail_setup "tvtool report failed"
    end=$(date +%s%N)
    times="$times $(( (end - start) / 1000000 ))"
    run=$((run + 1))
done
median=$(printf '%s\n' $times | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p")

pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
size=$(wc -c <"$pdf")
echo "trip report of 20000 rows: $pages pages, $size bytes of PDF"
echo "render to PDF: median ${median} ms of $RUNS runs (runs:$times ms)"
if [ "$median" -le "$LIMIT_MS" ]; then
    echo "PASS render <= ${LIMIT_MS} ms"
else
    echo "FAIL render <= ${LIMIT_MS} ms"
    exit 1
fi
