#!/bin/bash
# The enforcement hours read a zone from the registry by its key name and turn UTC into
# its local time as Windows does, every quarter hour of 2020-2030: a zone without
# daylight time, with it in either hemisphere, with the last Sunday of a month, and one
# whose rules change from year to year. An unknown name is no zone.
source "$(dirname "$0")/test-lib.sh"
e2e_start

for zone in "Tokyo Standard Time" "Eastern Standard Time" "W. Europe Standard Time" \
    "AUS Eastern Standard Time" "New Zealand Standard Time" "Egypt Standard Time"; do
    out=$(wine "$PROBE_EXE" zone "$zone" | tr -d '\r')
    mismatches=$(sed -n 's/^zone-mismatches: //p' <<< "$out")
    checked=$(sed -n 's/^checked: //p' <<< "$out")
    if [ "$mismatches" == 0 ] && [ "${checked:-0}" -gt 380000 ]; then
        pass "$zone: $checked moments as Windows converts them ($(sed -n 's/^years: //p' <<< "$out") years of rules)"
    else
        fail "$zone: $out"
    fi
done
expect_eq "an unknown zone" "$(wine "$PROBE_EXE" zone "Atlantis Standard Time" | tr -d '\r')" "zone: none"

e2e_finish
