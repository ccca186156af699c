#!/usr/bin/env python3
"""The traffic of the run command: live flights around the user's airport, written from a
few waypoints per flight as RTTFC records at RealTraffic's pace, in time order.

Each wave of PERIOD seconds has two departures that push back from stands, taxi out and
take off, a departure climbing out that turns beyond the live radius and flies on past its
margin, two arrivals that land and taxi onto stands, three overflights, a flight circling
north of the airport at 3 degrees a second that is reported only every 15 to 25 s, as many
flights of the real feed are, and, through all waves, aircraft that stay parked at their
stands. The next wave departs from the stands at
which the last one's arrivals parked, and arrives at those its departures left. Some flights
carry the faults of a live feed: a record sent again unchanged, an old position sent again
with a new time, a gap of 30 s.

  run_traffic.py --stands FILE --airport EHAM --out FILE [--seconds N]

The stands file holds the lines "stand <airport> <number> <gate|ramp> <lat> <lon> <heading>
<radius>" that bgl_writer prints for its sample scenery.
"""
import argparse
import math
import sys

import scripted_flights as sf

PERIOD = 300.0         # seconds between waves
START = 1700000000.0   # time stamp of the first record
# Where the waves depart from and arrive at, and where aircraft stay parked (stand numbers).
STAND_PAIRS = ((11, 13), (14, 15))
PARKED_STANDS = (21, 22, 23)
# Two parallel runways 27 south of the stands: threshold (metres east and north of the first
# stand) and heading. Departures line up close to the stands; arrivals touch down far enough
# east that their roll-out ends beside the stands.
DEPARTURE_RUNWAY = (200.0, -400.0, 270.0)
ARRIVAL_RUNWAY = (1950.0, -250.0, 270.0)

# (callsign stem, type, registration, wake category): flights that show each step of the
# livery match: registration, airline and model, a similar model, and a generic livery.
DEPARTURES = (("KLM14", "B738", "PH-BXA", "A3"), ("DLH2", "A321", "D-AISX", "A3"))
ARRIVALS = (("KLM18", "E190", "PH-EZX", "A3"), ("EZY78", "A319", "G-EZAA", "A3"))
OVERFLIGHTS = (("UAE14", "A388", "A6-EDA", "A5"), ("AFR12", "A320", "F-HBNC", "A3"), ("BAW3", "A320", "G-EUYA", "A3"))
# Seen from 4 nm past the departure runway, climbing straight out beyond the 8 nm radius of the
# user on the ground, turning right by 60 degrees there and on past the 3 nm margin, early in
# each wave so that a short run sees it go.
LEAVING = ("TRA52", "B738", "PH-HSB", "A3")
LEAVING_OUT = (4.0, 85.0, 60.0, 110.0)  # nm past the threshold, s straight on, degrees, s on
# Feed faults (seconds after the flight's first record).
LEAVING_FAULTS = {"again": [20.0], "stale": [(40.0, 20.0)]}
ARRIVAL_FAULTS = {"again": [30.0]}
OVERFLIGHT_FAULTS = {"gap": [(90.0, 30.0)]}
PARKED = (("KLM60", "B744", "PH-CKA", "A5"), ("RYR33", "B738", "EI-DCL", "A3"), ("TRA51", "B738", "PH-HSA", "A3"))
# Circling at 3 degrees a second and 180 kt, 2500 ft above the airport, from 3 nm north of it,
# for 240 s; reported every 20 +- 5 s.
CIRCLING = ("KLM77", "B738", "PH-BXB", "A3")
CIRCLING_REPORTS = (20.0, 5.0)


def read_stands(path, airport):
    stands = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if len(fields) == 8 and fields[0] == "stand" and fields[1] == airport:
                stands[int(fields[2])] = (float(fields[4]), float(fields[5]), float(fields[6]))
    if not stands:
        raise SystemExit(f"run_traffic: no stands of {airport} in {path}")
    return stands


def ident(stem, number, kind, reg, category, hexid, origin, destination):
    return {"hex": hexid, "callsign": f"{stem}{number}", "type": kind, "registration": reg,
            "from": origin, "to": destination, "category": category}


def overflight(centre, bearing, passing_nm, altitude, speed, seconds):
    """Straight across the airport's surroundings, passing_nm to the side of it."""
    frame = sf.Frame(*centre)
    half = speed * sf.KNOT * seconds / 2.0
    side = sf.ahead((0.0, 0.0), bearing + 90.0, passing_nm * 1852.0)
    start = sf.ahead(side, bearing + 180.0, half)
    route = sf.Route(start, altitude, bearing)
    route.points[0] = (0.0, start, altitude, speed, bearing)
    route.go(sf.ahead(side, bearing, half), speed, altitude=altitude, heading=bearing)
    return frame, route


def parked(stand, elevation, seconds):
    frame = sf.Frame(stand[0], stand[1])
    route = sf.Route((0.0, 0.0), elevation, stand[2])
    route.wait(seconds)
    return frame, route


def flights(stands, elevation, seconds):
    """All records of the run, time order."""
    first = stands[min(stands)]
    frame = sf.Frame(first[0], first[1])
    takeoff = (*frame.position(*DEPARTURE_RUNWAY[:2]), DEPARTURE_RUNWAY[2])
    landing = (*frame.position(*ARRIVAL_RUNWAY[:2]), ARRIVAL_RUNWAY[2])
    centre = (first[0], first[1])
    lines = []

    def add(route_frame, route, who, offset, interval=2.0, ground=elevation, faults=None, jitter=0.0, seed=1):
        for line in sf.records(route_frame, route, ground, who, START + offset, interval, faults, jitter, seed):
            if float(line.split(",")[14]) <= START + seconds:
                lines.append(line)

    hexid = 4840000
    for k, (stem, kind, reg, category) in enumerate(PARKED):
        hexid += 1
        f, r = parked(stands[PARKED_STANDS[k]], elevation, seconds)
        add(f, r, ident(stem, "1", kind, reg, category, hexid, "EHAM", "EGLL"), 0.0, interval=10.0)
    for wave in range(int(math.ceil(seconds / PERIOD))):
        at = wave * PERIOD
        out_stands, in_stands = STAND_PAIRS[wave % 2], STAND_PAIRS[(wave + 1) % 2]
        for k, (stem, kind, reg, category) in enumerate(DEPARTURES):
            hexid += 1
            hold = 20.0 + 40.0 * k
            f, r = sf.departure(stands[out_stands[k]], takeoff, elevation, hold, 120.0)
            add(f, r, ident(stem, f"{wave}{k}", kind, reg, category, hexid, "EHAM", "LFPG"), at)
        hexid += 1
        stem, kind, reg, category = LEAVING
        f, r = sf.climb_out(takeoff, elevation, *LEAVING_OUT)
        add(f, r, ident(stem, f"{wave}", kind, reg, category, hexid, "EHAM", "EGKK"), at + 5.0,
            faults=LEAVING_FAULTS)
        for k, (stem, kind, reg, category) in enumerate(ARRIVALS):
            hexid += 1
            # Parked until just before the next wave departs from the same stand.
            f, r = sf.arrival(stands[in_stands[k]], landing, elevation, 4.0 + 0.5 * k, 1.0)
            r.wait(max(0.0, PERIOD - 10.0 - r.last[0] - 20.0 * k))
            add(f, r, ident(stem, f"{wave}{k}", kind, reg, category, hexid, "EGLL", "EHAM"), at + 20.0 * k,
                faults=ARRIVAL_FAULTS if k == 1 else None)
        hexid += 1
        stem, kind, reg, category = CIRCLING
        f, r = sf.circling(first, elevation, 3.0, 0.0, 90.0, 2500.0, 180.0, 3.0, 240.0)
        add(f, r, ident(stem, f"{wave}", kind, reg, category, hexid, "EHAM", "EHAM"), at + 30.0,
            interval=CIRCLING_REPORTS[0], jitter=CIRCLING_REPORTS[1], seed=wave + 1)
        for k, (stem, kind, reg, category) in enumerate(OVERFLIGHTS):
            hexid += 1
            f, r = overflight(centre, 70.0 + 120.0 * k + 20.0 * wave, 2.0 + 1.5 * k, 3000.0 + 2500.0 * k,
                              220.0 + 40.0 * k, 240.0)
            add(f, r, ident(stem, f"{wave}{k}", kind, reg, category, hexid, "EDDF", "EGLL"), at + 15.0 * k,
                interval=3.0, faults=OVERFLIGHT_FAULTS if k == 0 else None)
    lines.sort(key=lambda line: float(line.split(",")[14]))
    return lines


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--stands", required=True)
    parser.add_argument("--airport", default="EHAM")
    parser.add_argument("--elevation", type=float, default=-11.0, help="airport elevation, feet")
    parser.add_argument("--seconds", type=float, default=600.0, help="length of the traffic")
    parser.add_argument("--out", required=True)
    args = parser.parse_args(argv)
    lines = flights(read_stands(args.stands, args.airport), args.elevation, args.seconds)
    with open(args.out, "w", encoding="latin-1", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
