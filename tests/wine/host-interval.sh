#!/bin/bash
# The sweep timer: with 'INTER=500' the first close request comes about half a second
# after the host window exists (not at once) and then every half second; with the
# default of 5000 ms nothing is asked in the first 3 s.
source "$(dirname "$0")/test-lib.sh"
e2e_start

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# first_close DIR WAIT_MS: runs Pyxen in DIR while a probe, already watching, times
# the first close request from the creation of the host window. Prints the delay
# seen by the probe and the one from the launch; sets delay to the probe's figure.
first_close() {
    local dir=$1 probe_out=$1/probe.txt launched closed
    cd "$dir"
    wine_bg probe "$PROBE_EXE" first-close "$(winpath report.txt)" --wait "$2" > "$probe_out"
    wait_for_line "$probe_out" '^watching' 30 || fail "the probe did not start"
    launched=$(now_ms)
    wine_bg pyxen "$PYXEN_EXE"
    wait_for_line report.txt '^close ' $(($2 / 1000 + 5)) && closed=$(now_ms)
    wait_for_exit "$probe" 30
    delay=$(tr -d '\r' < "$probe_out" | sed -n 's/^host-to-first-close-ms: //p')
    local since_launch=never
    [ -n "$closed" ] && since_launch=$((closed - launched))
    echo "first close request ${delay:-never} ms after the host window," \
        "$since_launch ms after the launch"
}

echo "--- INTER=500"
mkdir -p "$WORK/fast" && cd "$WORK/fast"
printf 'INTER=500\nFast target\n' > pyxen.cfg
start_testwin tw "$WORK/fast/report.txt" --refuse 0 "Fast target"
first_close "$WORK/fast" 20000
if [ -z "$delay" ]; then
    fail "no close request with INTER=500"
elif [ "$delay" -lt 300 ] || [ "$delay" -gt 2500 ]; then
    fail "first close request after $delay ms, expected about 500"
else
    pass "first close request after $delay ms"
fi
before=$(close_count report.txt 0)
sleep 2
requests=$(($(close_count report.txt 0) - before))
echo "close requests in the next 2 s: $requests"
[ "$requests" -ge 2 ] && [ "$requests" -le 6 ] || fail "$requests sweeps in 2 s with INTER=500"
wine "$PROBE_EXE" close-host > /dev/null
wait_for_exit "$pyxen" 20 && expect_eq "exit status after WM_CLOSE" "$exit_status" 0

echo "--- the default interval"
mkdir -p "$WORK/slow" && cd "$WORK/slow"
printf 'Slow target\n' > pyxen.cfg
start_testwin tw2 "$WORK/slow/report.txt" "Slow target"
first_close "$WORK/slow" 15000
if [ -z "$delay" ]; then
    fail "no close request within 15 s with the default interval"
elif [ "$delay" -lt 3000 ]; then
    fail "first close request after $delay ms with the default interval of 5000"
else
    pass "nothing closed in the first 3 s; first close request after $delay ms"
fi

e2e_finish
