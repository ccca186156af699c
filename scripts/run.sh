#!/usr/bin/env bash
# Builds Tarnwick and runs Tarnwick_P3D.exe under Wine and Xvfb, the way a user sees it: the
# user aircraft parked at Amsterdam (scripts/world.sh), the simulator stand-in
# (sim_standin.exe on the simulator's named pipe, same Wine prefix), and the RealTraffic
# stand-in replaying live traffic around the airport (departures from stands, arrivals to
# stands, overflights, aircraft that stay parked). After TARNWICK_RUN_SECONDS (default 360)
# the program's window is closed as a user would close it; then a summary is printed and the
# traffic map drawn (build/screenshots/traffic.png). Everything started here is stopped by
# its pid. It runs in a network namespace of its own where one can be made (own_network in
# env.sh), so that RealTraffic's fixed ports are its own.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"
source "$here/scripts/world.sh"
own_network "$0" "$@"

seconds=${TARNWICK_RUN_SECONDS:-360}
run=$(mktemp -d /tmp/tarnwick-run.XXXXXX)
# The program folder with its Log.txt and the stand-ins' records stay for a look; the
# prefix copy (hundreds of MB) goes.
cleanup() { wine_session_end; rm -rf "$run/prefix"; }
trap cleanup EXIT
wine_session_begin "$run"
world_prepare "$run" "$seconds"
program="$run/program"

# The simulator records every AI aircraft it is asked to create, move and remove; it knows
# the titles of the installed AI aircraft and refuses to create any other.
$WINE "$BUILD/tools/simstandin/sim_standin.exe" --verbose --seconds $((seconds + 90)) --ground "$WORLD_ELEVATION" \
  --packages "$WORLD_AI_PACKAGES" --packages "$WORLD_SIM_FOLDER\SimObjects" \
  --scenario "$(winpath "$run/scenario.txt")" --record "$(winpath "$run/aitrack.txt")" > "$run/simulator.txt" 2>&1 &
SESSION_PIDS+=($!)
wait_for 10 grep -q "sim_standin ready" "$run/simulator.txt" 2>/dev/null || true

# The traffic begins once the program serves RealTraffic, as live data would reach it.
# The first 40 s after RealTraffic connects carry no traffic: the program's processor use
# is measured connected and idle there, and then again with the traffic.
idle=40
python3 "$here/tools/realtraffic/realtraffic_standin.py" live --file "$run/traffic.txt" --after-connect $idle \
  --sent "$run/sent.txt" --log "$run/realtraffic.txt" --timeout $((seconds + 90)) > /dev/null 2>&1 &
SESSION_PIDS+=($!)

( cd "$program" && exec $WINE Tarnwick_P3D.exe ) &
app=$!
SESSION_PIDS+=($app)
started=$(date +%s)
echo "Tarnwick_P3D.exe runs for $seconds s (folder $program) ..."

# The program's processor seconds so far (user and kernel; Linux counts in 1/USER_HZ s)
# and the time, as one line "seconds time".
hz=$(getconf CLK_TCK)
processor_sample() { awk -v hz="$hz" -v now="$(date +%s.%N)" '{ print ($14 + $15) / hz, now }' "/proc/$app/stat" 2>/dev/null; }
# The share of one core between two samples, in per cent.
processor_share() { echo "$1 $2" | awk '{ printf "%.1f", ($4 > $2) ? 100 * ($3 - $1) / ($4 - $2) : 0 }'; }
# RealTraffic's stand-in logs what the program sends it from the moment it connects.
wait_for 150 test -s "$run/realtraffic.txt" || true
sleep 10 # the statics of the start are placed
idle_from=$(processor_sample)
sleep $((idle - 15))
idle_to=$(processor_sample)
sleep 15 # the traffic arrives
traffic_from=$(processor_sample)

shot=$(( seconds > 60 ? seconds * 2 / 3 : seconds / 2 ))
sleep $(( shot > $(date +%s) - started ? shot - ($(date +%s) - started) : 0 ))
mkdir -p "$BUILD/screenshots"
screenshot=""
window=$(xdotool search --name '^Tarnwick_P3D$' 2>/dev/null | head -1 || true)
# import waits for ever when the window is gone meanwhile (the program ended early).
if [ -n "$window" ] && timeout 20 /usr/bin/import -display "$DISPLAY" -window "$window" "$BUILD/screenshots/run.png" 2>/dev/null; then
  screenshot="$BUILD/screenshots/run.png"
fi
left=$(( seconds - ($(date +%s) - started) ))
[ "$left" -gt 0 ] && sleep "$left"
traffic_to=$(processor_sample)
{ echo "processor:          $(processor_share "$idle_from" "$idle_to") % of one core connected and idle (goal under 2 %)," \
       "$(processor_share "$traffic_from" "$traffic_to") % with the traffic (goal under 5 %)"; } > "$run/processor.txt"

# taskkill without /f sends WM_CLOSE, as the window's close button does.
$WINE taskkill /im Tarnwick_P3D.exe >/dev/null 2>&1 || true
app_ended() { ! kill -0 "$app" 2>/dev/null; }
ended=no
wait_for 30 app_ended && ended=yes
sleep 2 # the simulator stand-in writes its record each 100 ms

python3 "$here/tools/run/runsummary.py" "$program/Log.txt" "$run/simulator.txt" "$run/realtraffic.txt" "$ended" \
  "$screenshot" "$program/output/info/AirportsScanLog.txt" "$run/processor.txt" "$run/aitrack.txt"
# Debian's Python, which has the plotting library of the set-up. The user stays on the
# ground: AUTO_RANGE gives the live radius of 8 nm; shown flights are followed 3 nm beyond it.
/usr/bin/python3 "$here/tools/run/runfigures.py" --sent "$run/sent.txt" --sim "$run/aitrack.txt" \
  --world "$run/world.txt" --map "$BUILD/screenshots/traffic.png" --radius 8 --margin 3 --log "$program/Log.txt"
