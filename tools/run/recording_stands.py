#!/usr/bin/env python3
"""The stands of an airport as a recording of RealTraffic shows them: the places near it where
its aircraft stand still on the ground when they are first seen (departures before they push
back, aircraft parked) or when they are last seen (arrivals that parked), written as the
airport text that bgl_writer turns into a scenery ("bgl_writer airport FOLDER FILE").

  recording_stands.py --recording FILE --airport KLAS --at LAT,LON --elevation FT --name NAME --out FILE

A stand is a spell of at least MIN_SPELL seconds in which a flight's reports hold their position
(within HELD_METRES of the spell's first) on the ground, or at the field's height for a
helicopter, most of them at a standstill (at most STILL_KNOTS), with no report before it (or none
after it) farther than AWAY_METRES: a hold in a taxi queue or a position the feed sends again
while the flight moves on is none. Helicopters' spells become helipads, whatever their reported
speed (the feed's speeds of helicopters on the ground are garbage). Spells within MERGE_METRES
are one stand; none lies within USER_METRES of the user's position (--at). Flights with an
airline callsign park at gates, the others on ramps. A stand faces where its arrival came from
(nose in), against the way its departure left (pushed back), or, for a ramp, the way it left.
"""
import argparse
import collections
import sys

from geo import bearing, metres

MIN_SPELL = 40.0
HELD_METRES = 15.0
STILL_KNOTS = 2.0
AWAY_METRES = 60.0
MERGE_METRES = 20.0
USER_METRES = 60.0
REACH_METRES = 5000.0  # how far from the airport stands are looked for
FIELD_FEET = 150.0     # a helicopter this near the field's height stands on it
GATE_RADIUS, RAMP_RADIUS, HELIPAD_SIZE = 20.0, 12.5, 20.0
ROTORCRAFT = {"EC30", "EC35", "EC45", "EC55", "AS50", "AS55", "AS65", "H125", "H130", "H135", "H145", "B06",
              "B407", "B429", "R22", "R44", "R66", "S76", "A109", "A139"}


def is_airline(callsign):
    return len(callsign) > 3 and callsign[:3].isalpha() and callsign[3:].isdigit()


def flights(path):
    """Reports per hexid, in time order: (time, (lat, lon), alt, on ground, speed, callsign, type)."""
    found = collections.defaultdict(list)
    with open(path, encoding="latin-1") as f:
        for line in f:
            x = line.rstrip("\n").split(",")
            if len(x) < 15 or x[0] != "RTTFC":
                continue
            try:
                found[x[1]].append((float(x[14]), (float(x[2]), float(x[3])), float(x[4]), x[6] == "1",
                                    float(x[8]), x[9], x[10]))
            except ValueError:
                continue
    for reports in found.values():
        reports.sort(key=lambda r: r[0])
    return found.values()


def spells(reports, standing):
    """Runs of reports that hold the first one's position while standing(report)."""
    run = []
    for r in reports:
        if standing(r) and run and metres(r[1], run[0][1]) <= HELD_METRES:
            run.append(r)
            continue
        if run:
            yield run
        run = [r] if standing(r) else []
    if run:
        yield run


def away(spell_at, reports):
    """The first report farther than AWAY_METRES from the spell, or None."""
    return next((r for r in reports if metres(r[1], spell_at) > AWAY_METRES), None)


def places(recording, airport, elevation):
    """(kind, lat, lon, heading) of every spell that makes a stand."""
    found = []
    for reports in flights(recording):
        rotorcraft = reports[0][6] in ROTORCRAFT
        standing = lambda r: metres(r[1], airport) <= REACH_METRES and (
            r[3] or (rotorcraft and r[2] <= elevation + FIELD_FEET))
        for run in spells(reports, standing):
            if run[-1][0] - run[0][0] < MIN_SPELL:
                continue
            if not rotorcraft and sum(r[4] <= STILL_KNOTS for r in run) * 2 < len(run):
                continue
            at = (sorted(r[1][0] for r in run)[len(run) // 2], sorted(r[1][1] for r in run)[len(run) // 2])
            before = [r for r in reports if r[0] < run[0][0]]
            after = [r for r in reports if r[0] > run[-1][0]]
            came, left = away(at, reversed(before)), away(at, after)
            if came is not None and left is not None:
                continue
            gate = is_airline(run[0][5])
            if came is not None:
                heading = bearing(came[1], at)
            elif left is not None:
                heading = (bearing(at, left[1]) + (180.0 if gate else 0.0)) % 360.0
            else:
                heading = 0.0
            found.append(("helipad" if rotorcraft else "gate" if gate else "ramp", at[0], at[1], heading))
    return found


def merged(found, user):
    """One place per cluster within MERGE_METRES (the first's kind and heading, the mean position),
    none near the user."""
    clusters = []
    for place in sorted(found, key=lambda p: (p[0] != "gate", p[1], p[2])):
        if metres(place[1:3], user) < USER_METRES:
            continue
        home = next((c for c in clusters if metres(c[0][1:3], place[1:3]) <= MERGE_METRES), None)
        if home is None:
            clusters.append([place])
        else:
            home.append(place)
    return [(c[0][0], sum(p[1] for p in c) / len(c), sum(p[2] for p in c) / len(c), c[0][3]) for c in clusters]


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--recording", required=True)
    parser.add_argument("--airport", required=True, help="its ICAO code")
    parser.add_argument("--at", required=True, help="latitude,longitude of the airport and the user aircraft")
    parser.add_argument("--elevation", type=float, required=True, help="feet")
    parser.add_argument("--name", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args(argv)
    at = tuple(float(x) for x in args.at.split(","))
    lines = [f"airport {args.airport} {args.elevation:g} {args.name}"]
    number = 0
    for kind, lat, lon, heading in merged(places(args.recording, at, args.elevation), at):
        if kind == "helipad":
            lines.append(f"helipad {args.airport} {lat:.7f} {lon:.7f} {heading:.1f} {HELIPAD_SIZE:.1f}")
        else:
            number += 1
            radius = GATE_RADIUS if kind == "gate" else RAMP_RADIUS
            lines.append(f"stand {args.airport} {number} {kind} {lat:.7f} {lon:.7f} {heading:.1f} {radius:.1f}")
    if number == 0:
        raise SystemExit(f"recording_stands: no aircraft stands still near {args.airport} in {args.recording}")
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
