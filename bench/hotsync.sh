#!/bin/bash
# The desktop program on a large data file: starting it, and the HotSync
# requests it answers, against tvtool check of the same file.
#
#   bash bench/hotsync.sh [BUILD_FOLDER] [WORK_FOLDER]
#
# Generates the open/save benchmark's file (1,000,000 trips, 10 vehicles,
# 20,000 service entries, 100,000 expenses), then per round (9 rounds, the
# programs taking turns) times
#   check              tvtool check FILE, the yardstick
#   start              TvDesk FILE (offscreen) until it answers the hand-over
#                      probe: open and the first screen of rows
#   start, Palm user   TvDesk alone, as a user starts it, on the same file as
#                      the demo Palm user's data file
#   start, small file  TvDesk FILE on a file of 500 trips (about 70 KB): what
#                      the program itself costs to start, with no target
#   probe              the probe answered by the running program, the
#                      yardstick of a request that has nothing to do
#   save, unchanged    request 1 when neither the document nor the file
#                      changed since the file was read: nothing to write
#   save, file changed request 1 after another program rewrote the file: the
#                      conflict check keeps the file and writes nothing
#   reload             request 2: drop the data and read the file again, until
#                      the program answers the next request
# and ends the program with SIGTERM. Medians; targets: each start <= 1.2 x check,
# reload <= 1.1 x check, each save request <= 10 ms. Prints PASS or FAIL per
# target and exits 1 when any fails, 2 when the measurement itself could not
# be made. The program runs in a private home, runtime and lock folder (so
# that a TvDesk running already does not answer instead), with the demo Palm
# Desktop of tvpalmsetup.

set -eu

RUNS=9
START_LIMIT=1.2
RELOAD_LIMIT=1.1
SAVE_LIMIT_MS=10

build=${1:-build}
work=${2:-}
BENCH_NAME=hotsync
. "$(dirname "$0")/timing.sh"

tvtool=$build/cli/tvtool
tvdesk=$build/app/TvDesk
client=$build/bench/tvbench_handover
palmsetup=$build/palmdesktop/tvpalmsetup
for program in "$tvtool" "$tvdesk" "$client" "$palmsetup"; do
    [ -x "$program" ] || fail_setup "no $program (build tvtool, TvDesk, tvbench_handover, tvpalmsetup)"
done

own_work=
if [ -z "$work" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/tv-bench.XXXXXX")
    own_work=1
else
    mkdir -p -- "$work"
fi
desk_pid=
cleanup() {
    [ -z "$desk_pid" ] || kill -TERM "$desk_pid" 2>/dev/null || true
    [ -z "$desk_pid" ] || wait "$desk_pid" 2>/dev/null || true
    rm -rf -- "$work/home" "$work"/*.times
    [ -z "$own_work" ] || rmdir -- "$work" 2>/dev/null || true
}
trap cleanup EXIT

mkdir -p -- "$work/home/runtime"
chmod 700 -- "$work/home/runtime"
export HOME=$work/home XDG_RUNTIME_DIR=$work/home/runtime XDG_CONFIG_HOME=$work/home/config \
    XDG_DATA_HOME=$work/home/data XDG_CACHE_HOME=$work/home/cache QT_QPA_PLATFORM=offscreen \
    TV_INSTANCE_FOLDER=$work/home/state
# TvDesk needs a Palm Desktop to start; the demo one, in the private home.
# The file is its user's data file, so that TvDesk alone opens it too.
"$palmsetup" >/dev/null || fail_setup "tvpalmsetup failed"
file="$XDG_DATA_HOME/Palm Desktop/Demo/Tarvenly/TvData.tv"
[ -d "$(dirname "$file")" ] || fail_setup "tvpalmsetup made no folder for the Demo user's data"
"$tvtool" sample "$file" --trips 1000000 --vehicles 10 --services 20000 --expenses 100000
small=$work/home/small.tv
"$tvtool" sample "$small" --trips 500 --vehicles 2 --services 20 --expenses 100 >/dev/null

# ms_of NAME: the median of NAME.times in milliseconds.
ms_of() {
    ms "$(median "$work/$1.times")"
}

# start_desk NAME [FILE]: starts TvDesk, on FILE when given, and adds the time
# until it answers the probe to NAME.times; desk_pid is the running program.
start_desk() {
    local name=$1 start end
    shift
    start=$EPOCHREALTIME
    "$tvdesk" "$@" >/dev/null 2>&1 &
    desk_pid=$!
    "$client" 0 --wait 120 || fail_setup "TvDesk did not answer the probe"
    end=$EPOCHREALTIME
    echo $((${end/[.,]/} - ${start/[.,]/})) >>"$work/$name.times"
}

stop_desk() {
    kill -TERM "$desk_pid"
    wait "$desk_pid" || fail_setup "TvDesk did not end cleanly"
    desk_pid=
}

"$tvtool" check "$file" >/dev/null
rm -f -- "$work"/*.times
rewrites=0
for ((run = 0; run < RUNS; run++)); do
    measure_fast check "$tvtool" check "$file"

    start_desk start "$file"

    measure_fast probe "$client" 0
    measure_fast unchanged "$client" 1
    before=$(stat -c %i:%Y "$file")
    measure_fast unchanged "$client" 1
    [ "$(stat -c %i:%Y "$file")" = "$before" ] || rewrites=$((rewrites + 1))

    measure_fast check "$tvtool" check "$file"
    # Reloaded once it answers the next request: what the reload left to the
    # event loop (the list's new rows) is done by then.
    measure_fast reload "$client" 2 && measure_fast reload_tail "$client" 0

    touch -- "$file"
    before=$(stat -c %i:%Y "$file")
    measure_fast changed "$client" 1
    [ "$(stat -c %i:%Y "$file")" = "$before" ] || fail_setup "request 1 replaced a changed file"

    stop_desk
    start_desk user_start
    stop_desk
    start_desk small_start "$small"
    stop_desk
done

check_us=$(median "$work/check.times")
start_ratio=$(ratio "$(median "$work/start.times")" "$check_us")
user_start_ratio=$(ratio "$(median "$work/user_start.times")" "$check_us")
paste -d" " "$work/reload.times" "$work/reload_tail.times" | awk '{ print $1 + $2 }' >"$work/reloaded.times"
reload_ratio=$(ratio "$(median "$work/reloaded.times")" "$check_us")
probe_us=$(median "$work/probe.times")

printf 'median of %d rounds:\n' "$RUNS"
printf '  tvtool check:       %8s ms\n' "$(ms "$check_us")"
judge "$start_ratio" "$START_LIMIT"
printf '  start until probe:  %8s ms  = %5s x check   target <= %s x   %s\n' \
    "$(ms_of start)" "$start_ratio" "$START_LIMIT" "$VERDICT"
judge "$user_start_ratio" "$START_LIMIT"
printf '  start, Palm user:   %8s ms  = %5s x check   target <= %s x   %s\n' \
    "$(ms_of user_start)" "$user_start_ratio" "$START_LIMIT" "$VERDICT"
judge "$reload_ratio" "$RELOAD_LIMIT"
printf '  reload (request 2): %8s ms  = %5s x check   target <= %s x   %s\n' \
    "$(ms_of reloaded)" "$reload_ratio" "$RELOAD_LIMIT" "$VERDICT"
printf '  start, small file:  %8s ms\n' "$(ms_of small_start)"
printf '  probe (request 0):  %8s ms\n' "$(ms "$probe_us")"
for name in unchanged changed; do
    value=$(ms_of "$name")
    judge "$value" "$SAVE_LIMIT_MS"
    printf '  save, %-12s %8s ms  = %5s x probe   target <= %d ms   %s\n' "$name:" "$value" \
        "$(ratio "$(median "$work/$name.times")" "$probe_us")" "$SAVE_LIMIT_MS" "$VERDICT"
done

judge "$rewrites" 0
printf '  unchanged file rewritten by request 1: %d of %d times   %s\n' "$rewrites" "$RUNS" "$VERDICT"

if [ "$failures" -gt 0 ]; then
    echo "hotsync: $failures target(s) missed"
    exit 1
fi
