#!/usr/bin/env bash
# Builds Tarnwick and runs Tarnwick_P3D.exe under Wine and Xvfb against the stand-ins: the
# simulator stand-in (sim_standin.exe on the simulator's named pipe, same Wine prefix) and
# the RealTraffic stand-in replaying tools/realtraffic/sample_traffic.txt. After
# TARNWICK_RUN_SECONDS (default 60) the program's window is closed as a user would close
# it; then a short summary is printed. Everything started here is stopped by its pid.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

seconds=${TARNWICK_RUN_SECONDS:-60}
run=$(mktemp -d /tmp/tarnwick-run.XXXXXX)
# The program folder with its Log.txt stays for a look; the prefix copy (hundreds of MB) goes.
cleanup() { wine_session_end; rm -rf "$run/prefix"; }
trap cleanup EXIT
wine_session_begin "$run"
drive_c="$WINEPREFIX/drive_c"

# The program folder, as the installer leaves it.
program="$run/program"
mkdir -p "$program/docs" "$program/input"
cp "$BUILD/Tarnwick_P3D.exe" "$program/"
cp "$TARNWICK_AIRPORT_LIST" "$program/input/airports_p3d.xml" # the real airport list
# Reference data, registration lists and a livery list, as the download server and an
# earlier scan would have left them.
$WINE "$BUILD/tools/refgen/refgen.exe" "$(winpath "$program")" 3000 > "$run/refgen.txt" 2>&1

# A Prepar3D v5 installation as the registry shows it, and RealTraffic on this computer.
mkdir -p "$drive_c/Prepar3D v5/Scenery"
$WINE reg add 'HKLM\SOFTWARE\Lockheed Martin\Prepar3D v5' /v SetupPath /t REG_SZ /d 'C:\Prepar3D v5\' /f \
  >/dev/null 2>&1
# An add-on scenery made by the BGL writer (Amsterdam with stands and helipads, and an ORBX
# Rotterdam whose parking file is archived), named by a UTF-16 scenery.cfg.
$WINE "$BUILD/tools/bglwriter/bgl_writer.exe" sample 'C:\Addon Sceneries' >/dev/null
p3d_data="$drive_c/ProgramData/Lockheed Martin/Prepar3D v5"
mkdir -p "$p3d_data"
{ printf '\xFF\xFE'; printf '%s\r\n' '[General]' 'Title=Prepar3D Scenery' \
    '[Area.001]' 'Title=Amsterdam Schiphol' 'Local=C:\Addon Sceneries\Schiphol' 'Active=TRUE' \
    '[Area.002]' 'Title=Orbx Rotterdam' 'Local=C:\Addon Sceneries\Orbx EHRD' 'Active=TRUE' \
    | iconv -f UTF-8 -t UTF-16LE; } > "$p3d_data/scenery.cfg"
mkdir -p "$program/airports/archive/ORBX"
{ printf '<?xml version="1.0"?>\n<meta />\n<parameters>\n'
  printf '\t<parameter name="publisher" value="ORBX" />\n\t<parameter name="num_parkpos" value="8" />\n'
  printf '</parameters>\n<parkpositions />\n'; } > "$program/airports/archive/ORBX/EHRD.xml"
# The park airport under the user aircraft: what earlier runs learned at the stands of the
# scanned Amsterdam (gates g2 to g10, every day and half hour), so static aircraft are placed.
learned="$program/airports/learned/thirdparty/unknown"
mkdir -p "$learned"
{ printf '<?xml version="1.0"?>\n<meta>\n\t<info name="author" value="Tarnwick_P3D" />\n'
  printf '\t<info name="version" value="9.3.0" />\n\t<info name="date" value="Jan  1, 2024" />\n</meta>\n'
  printf '<parameters>\n\t<parameter name="airport_name" value="Amsterdam Schiphol" />\n'
  printf '\t<parameter name="parking_percentage" value="40" />\n</parameters>\n<parkpositions>\n'
  hours=$(seq -s, 0 47)
  types=(B738 A320 E190 B738 A319 B77W A320 B738 E190)
  for gate in 2 3 4 5 6 7 8 9 10; do
    type=${types[gate - 2]}
    printf '\t<parkpos id="g%d">\n' "$gate"
    for day in 1 2 3 4 5 6 7; do
      printf '\t\t<opt airl="KLM" type="%s" cs="KLM%d:KLM%d" day="%d" hh="%s" />\n' \
        "$type" $((1000 + gate)) $((2000 + gate)) "$day" "$hours"
    done
    printf '\t</parkpos>\n'
  done
  printf '</parkpositions>\n'; } > "$learned/EHAM.xml"

roaming="$drive_c/users/$(id -un)/AppData/Roaming"
mkdir -p "$roaming/InsideSystems"
: > "$roaming/InsideSystems/RealTraffic.jar"
# AI aircraft packages of a few hundred liveries of the same world, which the automatic
# livery scan finds through the simulator's add-ons.cfg and simobjects.cfg.
$WINE "$BUILD/tools/refgen/refgen.exe" packages 'C:\AI Traffic' \
  "C:\\users\\$(id -un)\\AppData\\Roaming\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg" \
  'C:\ProgramData\Lockheed Martin\Prepar3D v5\simobjects.cfg' 'C:\Prepar3D v5' 400 >> "$run/refgen.txt" 2>&1

# The simulator: the user aircraft parked at Amsterdam, where the recorded traffic flies.
cat > "$run/scenario.txt" <<'EOF'
0 user Plane Latitude = 52.3086
0 user Plane Longitude = 4.7639
0 user Plane Heading degrees true = 1.57
0 user Plane Altitude = -11
0 user SIM ON GROUND = 1
0 user ZULU TIME = 43200
0 user ZULU DAY OF YEAR = 60
0 user ZULU YEAR = 2024
0 text TITLE = Stand-in Boeing 737-800 KLM
0 text ATC MODEL = ATCCOM.AC_MODEL_B738.0.text
EOF
# Its AI aircraft get object ids from 101 on, as the simulator's own objects come first.
$WINE "$BUILD/tools/simstandin/sim_standin.exe" --verbose --seconds $((seconds + 90)) --user-object 100 \
  --scenario "$(winpath "$run/scenario.txt")" > "$run/simulator.txt" 2>&1 &
SESSION_PIDS+=($!)
wait_for 10 grep -q "sim_standin ready" "$run/simulator.txt" 2>/dev/null || true

python3 "$here/tools/realtraffic/realtraffic_standin.py" live --file "$here/tools/realtraffic/sample_traffic.txt" \
  --log "$run/realtraffic.txt" --timeout $((seconds + 90)) > /dev/null 2>&1 &
SESSION_PIDS+=($!)

( cd "$program" && exec $WINE Tarnwick_P3D.exe ) &
app=$!
SESSION_PIDS+=($app)
echo "Tarnwick_P3D.exe runs for $seconds s (folder $program) ..."

shot=$(( seconds > 30 ? 25 : seconds / 2 ))
sleep "$shot"
mkdir -p "$BUILD/screenshots"
screenshot=""
window=$(xdotool search --name '^Tarnwick_P3D$' 2>/dev/null | head -1 || true)
# import waits for ever when the window is gone meanwhile (the program ended early).
if [ -n "$window" ] && timeout 20 /usr/bin/import -display "$DISPLAY" -window "$window" "$BUILD/screenshots/run.png" 2>/dev/null; then
  screenshot="$BUILD/screenshots/run.png"
fi
left=$(( seconds - shot ))
[ "$left" -gt 0 ] && sleep "$left"

# taskkill without /f sends WM_CLOSE, as the window's close button does.
$WINE taskkill /im Tarnwick_P3D.exe >/dev/null 2>&1 || true
app_ended() { ! kill -0 "$app" 2>/dev/null; }
ended=no
wait_for 30 app_ended && ended=yes

python3 - "$program/Log.txt" "$run/simulator.txt" "$run/realtraffic.txt" "$ended" "$screenshot" \
  "$program/output/info/AirportsScanLog.txt" <<'EOF'
import collections, re, sys
log_path, sim_path, rt_path, ended, screenshot, scan_path = sys.argv[1:7]

def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()
    except OSError:
        return []

log, sim, rt = read(log_path), read(sim_path), read(rt_path)
def first(pattern):
    return next((l.strip() for l in log if re.search(pattern, l)), None)

names = {0x01: "open", 0x04: "map client event", 0x05: "transmit client event",
         0x07: "add client event to group", 0x09: "set group priority",
         0x0C: "add to data definition", 0x0D: "clear data definition", 0x0E: "request data on object",
         0x0F: "request data on object type", 0x10: "set data on object", 0x17: "subscribe system event",
         0x18: "unsubscribe system event", 0x29: "create AI aircraft", 0x2B: "release AI control",
         0x2C: "remove AI object", 0x2D: "set AI flight plan"}
asked = collections.Counter()
for line in sim:
    m = re.match(r"request 0x([0-9A-Fa-f]+) ", line)
    if m:
        asked[int(m.group(1), 16)] += 1

print("---- summary")
print("airport list:       " + (first(r"^\d+ airports read from ") or "not read"))
print("reference data:     " + (first(r"dbase records from") or "not read") + "; "
      + (first(r'fixes\.xml" read') or "fixes not read"))
print("livery scan:")
for line in log:
    if re.match(r"(\d+ liveries? |No liveries )found in |\d+ in total$", line):
        print("  " + line.strip())
print("livery list:        " + (first(r" liveries in output") or first(r"^No scan done") or "none"))
print("livery indexes:     " + (first(r" registration codes$") or "not built") + "; "
      + (first(r" pax aircraft models and ") or ""))
print("simulator:          " + (first(r" connected\s*$") or "not connected"))
print("RealTraffic:        " + ("connected" if first(r"^RealTraffic connected") else "not connected")
      + (", " + first(r"^RT.* edition:") if first(r"^RT.* edition:") else ", version not read"))
print("datagrams:          " + (first(r"datagrams received") or "none counted"))
print("RealTraffic got:    %d position lines (Qs121=)" % sum(1 for l in rt if l.startswith("Qs121=")))
print("simulator was asked:")
for number, count in sorted(asked.items()):
    print("  %5d x %s" % (count, names.get(number, "request 0x%02X" % number)))
scan = read(scan_path)
generated = [m.group(1) for m in (re.match(r"Generated (\w+)\.xml: ", l) for l in scan) if m]
linked = [m.group(1) for m in (re.match(r"(?:ORBX airport|thirdparty) (\w+) linked to ", l) for l in scan) if m]
plural = lambda n, word: "%d %s%s" % (n, word, "" if n == 1 else "s")
print("add-on airports:    %d found (%s), %s generated, %s to archived files"
      % (len(set(generated + linked)), ", ".join(sorted(set(generated + linked))) or "none",
         plural(len(generated), "parking file"), plural(len(linked), "link")))
print("AirportsScanLog.txt: " + (scan_path if scan else "not written"))
print("static parking:     " + (first(r"^The park airport is ") or "no park airport") + ", "
      + (first(r"^\d+ positions \(") or first(r"^no parking positions found") or "not calculated"))
print("exit:               " + (first(r"^Exiting: ") or "no exit logged")
      + ("" if ended == "yes" else " (the process did not end in time)"))
print("Log.txt:            " + log_path)
print("screenshot:         " + (screenshot or "none (no window found)"))
EOF
