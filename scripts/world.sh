# Sourced by run.sh and bench.sh after env.sh and wine_session_begin: the worlds in which
# Tarnwick runs here. world_prepare RUN SECONDS writes, in the Wine prefix and below RUN:
#   RUN/program        the program folder as the installer leaves it, with the real airport
#                      list, the reference data, registration lists and a livery list
#   RUN/stands.txt     the stands of the add-on sceneries ("stand <airport> <number> ...")
#   RUN/traffic.txt    SECONDS of live traffic around Amsterdam (tools/realtraffic/run_traffic.py)
#   RUN/scenario.txt   the simulator: the user aircraft parked at stand 1 of Amsterdam
#   RUN/world.txt      the airport, the user's position and the ground's elevation, one a line
# and a Prepar3D v5 installation as the registry shows it, its add-on sceneries (Amsterdam
# and an ORBX Rotterdam with an archived parking file), a learned parking file of Amsterdam,
# AI aircraft packages, and RealTraffic as installed on this computer.
# world_prepare_recording RUN SECONDS [klas|klax] writes the same at the airport of a real
# recording (world_recording; default Las Vegas): its first SECONDS as the traffic, an add-on
# scenery of the airport whose stands lie where the recording's aircraft stand still
# (tools/run/recording_stands.py), and reference data and AI aircraft packages that also know
# the recording's airlines and types.

# Where the user aircraft stands: stand 1 of the sample Amsterdam (latitude, longitude) and
# the ground there (feet).
WORLD_HOME=(52.3086 4.7639)
WORLD_ELEVATION=-11
# The AI aircraft packages and the simulator's own folder (Windows paths).
WORLD_AI_PACKAGES='C:\AI Traffic'
WORLD_SIM_FOLDER='C:\Prepar3D v5'
# world_recording NAME: the real recording NAME (klas or klax) and its world: the file, the
# airport where the user is parked (its code, position, elevation in feet and scenery name),
# refgen's world that knows its airlines and types, and the minutes a replay of the whole of
# it takes (its traffic, shown 30 s late, after the program's start). False for another name.
world_recording() {
  local recordings="$here/../shared/recordings"
  case $1 in
    klas)
      WORLD_RECORDING="$recordings/klas_20190305.rttfc" WORLD_RECORDING_AIRPORT=KLAS
      WORLD_RECORDING_HOME=(36.0840 -115.1537) WORLD_RECORDING_ELEVATION=2181
      WORLD_RECORDING_NAME='Las Vegas McCarran' WORLD_RECORDING_REFGEN=--las-vegas
      WORLD_RECORDING_MINUTES=24 ;; # 22.8 minutes of traffic
    klax)
      WORLD_RECORDING="$recordings/klax_20200617.rttfc" WORLD_RECORDING_AIRPORT=KLAX
      WORLD_RECORDING_HOME=(33.9425 -118.4081) WORLD_RECORDING_ELEVATION=125
      WORLD_RECORDING_NAME='Los Angeles International' WORLD_RECORDING_REFGEN=--los-angeles
      WORLD_RECORDING_MINUTES=20 ;; # 18.5 minutes of traffic
    *) return 1 ;;
  esac
}
world_recording klas

# world_program RUN [--las-vegas|--los-angeles]: the program folder, the simulator's
# installation, RealTraffic and the AI aircraft packages; the option adds the airlines and types
# of a recording's traffic.
world_program() {
  local run=$1 world=${2:-}
  local drive_c="$WINEPREFIX/drive_c" program="$run/program"
  mkdir -p "$program/docs" "$program/input"
  cp "$BUILD/Tarnwick_P3D.exe" "$program/"
  cp "$TARNWICK_AIRPORT_LIST" "$program/input/airports_p3d.xml"
  # Reference data, registration lists and a livery list, as the download server and an
  # earlier scan would have left them.
  $WINE "$BUILD/tools/refgen/refgen.exe" $world "$(winpath "$program")" 3000 > "$run/refgen.txt" 2>&1

  mkdir -p "$drive_c/Prepar3D v5/Scenery"
  $WINE reg add 'HKLM\SOFTWARE\Lockheed Martin\Prepar3D v5' /v SetupPath /t REG_SZ /d 'C:\Prepar3D v5\' /f \
    >/dev/null 2>&1
  local roaming="$drive_c/users/$(id -un)/AppData/Roaming"
  mkdir -p "$roaming/InsideSystems"
  : > "$roaming/InsideSystems/RealTraffic.jar"
  # AI aircraft packages of a few hundred liveries of the same world, covering the airlines
  # and types of the traffic, which the automatic livery scan finds through the simulator's
  # add-ons.cfg and simobjects.cfg.
  $WINE "$BUILD/tools/refgen/refgen.exe" $world packages "$WORLD_AI_PACKAGES" \
    "C:\\users\\$(id -un)\\AppData\\Roaming\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg" \
    'C:\ProgramData\Lockheed Martin\Prepar3D v5\simobjects.cfg' "$WORLD_SIM_FOLDER" 400 >> "$run/refgen.txt" 2>&1
}

# world_sceneries TITLE FOLDER [TITLE FOLDER ...]: the add-on sceneries, named by a UTF-16 scenery.cfg.
world_sceneries() {
  local p3d_data="$WINEPREFIX/drive_c/ProgramData/Lockheed Martin/Prepar3D v5" n=0 lines=()
  mkdir -p "$p3d_data"
  while [ $# -ge 2 ]; do
    n=$((n + 1))
    lines+=("$(printf '[Area.%03d]' "$n")" "Title=$1" "Local=$2" 'Active=TRUE')
    shift 2
  done
  { printf '\xFF\xFE'; printf '%s\r\n' '[General]' 'Title=Prepar3D Scenery' "${lines[@]}" \
      | iconv -f UTF-8 -t UTF-16LE; } > "$p3d_data/scenery.cfg"
}

# world_user RUN AIRPORT LATITUDE LONGITUDE ELEVATION: the simulator's user aircraft parked
# there, and world.txt.
world_user() {
  local run=$1
  printf 'airport %s\nuser %s,%s\nelevation %s\n' "$2" "$3" "$4" "$5" > "$run/world.txt"
  cat > "$run/scenario.txt" <<EOF
0 user Plane Latitude = $3
0 user Plane Longitude = $4
0 user Plane Heading degrees true = 0
0 user Plane Altitude = $5
0 user SIM ON GROUND = 1
0 user ZULU TIME = 43200
0 user ZULU DAY OF YEAR = 60
0 user ZULU YEAR = 2024
0 text TITLE = Stand-in Boeing 737-800 KLM
0 text ATC MODEL = ATCCOM.AC_MODEL_B738.0.text
EOF
}

world_prepare() {
  local run=$1 seconds=$2
  local program="$run/program"
  world_program "$run"
  $WINE "$BUILD/tools/bglwriter/bgl_writer.exe" sample 'C:\Addon Sceneries' | grep '^stand ' > "$run/stands.txt"
  world_sceneries 'Amsterdam Schiphol' 'C:\Addon Sceneries\Schiphol' 'Orbx Rotterdam' 'C:\Addon Sceneries\Orbx EHRD'
  mkdir -p "$program/airports/archive/ORBX"
  { printf '<?xml version="1.0"?>\n<meta />\n<parameters>\n'
    printf '\t<parameter name="publisher" value="ORBX" />\n\t<parameter name="num_parkpos" value="8" />\n'
    printf '</parameters>\n<parkpositions />\n'; } > "$program/airports/archive/ORBX/EHRD.xml"
  # The park airport under the user aircraft: what earlier runs learned at the stands of the
  # scanned Amsterdam (gates g2 to g10, every day and half hour), so static aircraft are placed.
  local learned="$program/airports/learned/thirdparty/unknown" hours gate day type
  mkdir -p "$learned"
  { printf '<?xml version="1.0"?>\n<meta>\n\t<info name="author" value="Tarnwick_P3D" />\n'
    printf '\t<info name="version" value="9.3.0" />\n\t<info name="date" value="Jan  1, 2024" />\n</meta>\n'
    printf '<parameters>\n\t<parameter name="airport_name" value="Amsterdam Schiphol" />\n'
    printf '\t<parameter name="parking_percentage" value="40" />\n</parameters>\n<parkpositions>\n'
    hours=$(seq -s, 0 47)
    local types=(B738 A320 E190 B738 A319 B77W A320 B738 E190)
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

  python3 "$here/tools/realtraffic/run_traffic.py" --stands "$run/stands.txt" --airport EHAM \
    --seconds "$seconds" --out "$run/traffic.txt"
  world_user "$run" EHAM "${WORLD_HOME[@]}" "$WORLD_ELEVATION"
}

world_prepare_recording() {
  local run=$1 seconds=$2
  world_recording "${3:-klas}" || { echo "world.sh: no recording named $3" >&2; return 1; }
  [ -r "$WORLD_RECORDING" ] || { echo "world.sh: the recording $WORLD_RECORDING is not there" >&2; return 1; }
  world_program "$run" "$WORLD_RECORDING_REFGEN"
  local at="${WORLD_RECORDING_HOME[0]},${WORLD_RECORDING_HOME[1]}" airport=$WORLD_RECORDING_AIRPORT
  python3 "$here/tools/run/recording_stands.py" --recording "$WORLD_RECORDING" --airport "$airport" --at "$at" \
    --elevation "$WORLD_RECORDING_ELEVATION" --name "$WORLD_RECORDING_NAME" --out "$run/$airport.txt"
  $WINE "$BUILD/tools/bglwriter/bgl_writer.exe" airport "C:\\Addon Sceneries\\$airport" "$(winpath "$run/$airport.txt")" \
    | grep -E '^(stand|helipad) ' > "$run/stands.txt"
  world_sceneries "$WORLD_RECORDING_NAME" "C:\\Addon Sceneries\\$airport"
  # The recording's first SECONDS, by its own times (field 15).
  awk -F, -v seconds="$seconds" 'NR == 1 { first = $15 } $15 < first + seconds' "$WORLD_RECORDING" > "$run/traffic.txt"
  world_user "$run" "$airport" "${WORLD_RECORDING_HOME[@]}" "$WORLD_RECORDING_ELEVATION"
}
