#!/usr/bin/env python3
"""The aircraft reported within the live radius that the simulator never showed, and why.

  nevershown.py DIR [DIR ...]

DIR is a replay folder written by the test Recordings.WholeRecordingsShowNoLurchAndNoSwing with
TARNWICK_REPLAY_OUT (one recording at one QNH: sent.txt, aitrack.txt, Log.txt, world.txt), or a
folder of such folders. Per replay: each flight (hex id) with a report within the radius and no AI
object, with its callsign, type and reports there, and the program's log lines that name it; where
the log says nothing, what its reports show (one report only, all on the ground away from the
airport ...). Flights shown long after their first report there are listed too.
"""
import collections
import os
import sys

from geo import metres
from runfigures import sent_records

DELAY = 30.0  # seconds the program shows the reports late
LATE = 120.0  # seconds: shown later than that after its first report within the radius
PARK_REACH = 5.0  # nautical miles: ground traffic is taken only this near the park airport
NEAR_FIELD = 120.0  # feet: no aircraft is made from reports this near the park airport's height


def read_world(path):
    """Where the user is (with the user parked: the park airport), its elevation and the radius."""
    with open(path, encoding="utf-8") as f:
        world = dict(line.split(None, 1) for line in f if line.strip())
    user = tuple(float(v) for v in world["user"].split(","))
    return user, float(world["elevation"]), float(world["radius"])


def read_flights(path, user, radius):
    """Per hex id: its callsigns, registrations and types, and its reports within the radius."""
    flights = collections.defaultdict(lambda: {"callsigns": set(), "types": set(), "within": []})
    for stamp, fields in sent_records(path):
        flight = flights[fields[1]]
        flight["callsigns"].update(name for name in (fields[9], fields[11]) if name)
        flight["types"].add(fields[10])
        at = (float(fields[2]), float(fields[3]))
        if metres(user, at) / 1852.0 <= radius:
            flight["within"].append((float(stamp), at, fields[6] == "1", float(fields[8]), float(fields[4])))
    return flights


class Shown(collections.defaultdict):
    by_id = False  # the creations carry the flight's hex id


def shown_objects(path):
    """The live objects the simulator was asked to create, by the hex id the replay adds to each
    creation, and (where it does not) by callsign, with where and when."""
    shown = Shown(list)
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) >= 10 and fields[1] == "create" and not fields[4].endswith("*"):
                shown.by_id = len(fields) >= 11
                at = (float(fields[5]), float(fields[6]))
                shown[fields[10] if shown.by_id else fields[4]].append((float(fields[0]), at))
    return shown


def first_shown(hexid, flight, shown):
    """When its first object was created, None when never. Without hex ids: an object under one of
    its names created where (and about when) its reports put it, as another aircraft may carry the
    same name (a type sent as the callsign)."""
    if shown.by_id:
        return min((t for t, _ in shown.get(hexid, [])), default=None)
    times = [t for name in flight["callsigns"] for t, at in shown.get(name, [])
             if any(abs(t - DELAY - s) < 90.0 and metres(at, p) < 5000.0 for s, p, *_ in flight["within"])]
    return min(times, default=None)


def log_lines(path, names):
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.strip() for line in f if any(f" {name} " in f" {line} " for name in names)]


def facts(flight, end, user, elevation):
    within = flight["within"]
    said = [f"{len(within)} report{'s' if len(within) != 1 else ''} within the radius"]
    if end - within[0][0] < LATE:
        said.append(f"the first {end - within[0][0]:.0f} s before the recording's end")
    nearest = min(metres(user, at) for _, at, *_ in within) / 1852.0
    if all(ground for _, _, ground, *_ in within):
        said.append("all on the ground" + (", standing" if all(speed == 0 for *_, speed, _ in within) else "") +
                    (f", {nearest:.1f} nm from the airport" if nearest > PARK_REACH else ""))
    elif not any(ground for _, _, ground, *_ in within):
        said.append("all in the air" + (f" within {NEAR_FIELD:.0f} ft of the airport's height"
                                        if all(abs(alt - elevation) <= NEAR_FIELD for *_, alt in within) else ""))
    if len(within) > 1 and len({at for _, at, *_ in within}) == 1:
        said.append("one position sent again")
    if flight["types"] & flight["callsigns"]:
        said.append("its type sent as its callsign")
    return ", ".join(said)


def report(replay):
    user, elevation, radius = read_world(os.path.join(replay, "world.txt"))
    flights = read_flights(os.path.join(replay, "sent.txt"), user, radius)
    shown = shown_objects(os.path.join(replay, "aitrack.txt"))
    end = max(t for f in flights.values() for t, *_ in f["within"])
    within = {hexid: f for hexid, f in flights.items() if f["within"]}
    created = {hexid: first_shown(hexid, f, shown) for hexid, f in within.items()}
    missing = [hexid for hexid in within if created[hexid] is None]
    late = [hexid for hexid in within if created[hexid] is not None and
            created[hexid] - DELAY - within[hexid]["within"][0][0] > LATE]
    print(f"{os.path.basename(replay)}: {len(missing)} of {len(within)} aircraft reported within {radius:.0f} nm "
          f"never shown, {len(late)} shown more than {LATE:.0f} s after their first report there")
    for hexid in sorted(missing + late, key=lambda h: within[h]["within"][0][0]):
        flight = within[hexid]
        names = sorted(flight["callsigns"])
        types = "/".join(sorted(t for t in flight["types"] if t)) or "no type"
        if created[hexid] is not None:
            print(f"  {hexid:>8} {' '.join(names):20} {types:10} shown "
                  f"{created[hexid] - DELAY - flight['within'][0][0]:.0f} s after its first report there")
            continue
        lines = log_lines(os.path.join(replay, "Log.txt"), names)
        print(f"  {hexid:>8} {' '.join(names):20} {types:10} {facts(flight, end, user, elevation)}")
        for line in lines[:3]:
            print(f"  {'':8} {'':20} {'':10} log: {line}")


def main(folders):
    replays = []
    for folder in folders:
        if os.path.exists(os.path.join(folder, "world.txt")):
            replays.append(folder)
        else:
            replays += sorted(os.path.join(folder, name) for name in os.listdir(folder)
                              if os.path.exists(os.path.join(folder, name, "world.txt")))
    for replay in replays:
        report(replay)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
