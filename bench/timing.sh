# The benchmark scripts' shared helpers, sourced after they set BENCH_NAME
# (the name their messages start with) and work (their folder).

fail_setup() {
    echo "$BENCH_NAME: $*" >&2
    exit 2
}

now_us() {
    echo $(($(date +%s%N) / 1000))
}

# measure NAME COMMAND...: runs the command under /usr/bin/time -v and appends
# its wall time in microseconds to NAME.times, its peak memory in kB to
# NAME.peaks.
measure() {
    name=$1
    shift
    start=$(now_us)
    if ! /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null; then
        cat "$work/time.txt" >&2
        fail_setup "failed: $*"
    fi
    end=$(now_us)
    echo $((end - start)) >>"$work/$name.times"
    awk -F': *' '/Maximum resident set size/ { print $2 }' "$work/time.txt" >>"$work/$name.peaks"
}

median() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

largest() {
    sort -n "$1" | tail -n 1
}

# Microseconds as milliseconds, bytes as MiB, one value over another.
ms() {
    awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'
}

mib() {
    awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# judge VALUE LIMIT [at-least]: sets VERDICT to PASS when VALUE <= LIMIT (or
# >= LIMIT with at-least), else to FAIL and counts the failure. (Not inside
# $(...), whose subshell would lose the count.)
failures=0
judge() {
    if awk -v v="$1" -v l="$2" -v least="${3:-}" \
        'BEGIN { exit !(least != "" ? v >= l : v <= l) }'; then
        VERDICT=PASS
    else
        VERDICT=FAIL
        failures=$((failures + 1))
    fi
}

# measure_fast NAME COMMAND...: for programs that take milliseconds, where
# starting /usr/bin/time or date would weigh as much as the program itself:
# appends the wall time in microseconds, taken by bash itself, to NAME.times.
# Only in scripts that run under bash.
measure_fast() {
    name=$1
    shift
    local start=$EPOCHREALTIME
    "$@" >/dev/null || fail_setup "failed: $*"
    local end=$EPOCHREALTIME
    echo $((${end/[.,]/} - ${start/[.,]/})) >>"$work/$name.times"
}
