#!/usr/bin/env python3
"""Figures and the traffic map of a run, from what the two stand-ins recorded.

  runfigures.py --sent SENT --sim TRACK [--stands STANDS --airport EHAM] [--map PNG]
                [--delay 30] [--json FILE] [--user LAT,LON --radius NM --margin NM] [--log LOG]

SENT is the RealTraffic stand-in's log of the records it sent ("<unix time>\\t<record>"),
TRACK the simulator stand-in's AI track (see tools/simstandin/aitrack.h), STANDS the
stand lines that bgl_writer prints. The program shows each live aircraft DELAY seconds
behind its reports; fidelity is the distance between each position sent to the simulator
and the reported track at that delayed time, on the ground and in the air, and the heading
figure the share of the positions sent in the air whose heading is more than 30 degrees off
their course (the way the positions move), turns reported 15-25 s apart included. With the user's
position and the live radius, each flight that left the radius while shown is followed out:
how far beyond the radius the positions sent went, how near its reported track they stayed,
and when it was removed after its reports passed the margin beyond the radius. LOG is the
program's Log.txt, from which the static renewals are counted.
"""
import argparse
import bisect
import collections
import json
import math
import os
import statistics
import sys

EARTH_M = 6371008.8
LONGEST_GAP = 15.0  # seconds between two reports that may be interpolated
OFF_COURSE = 30.0  # degrees between a heading and the course that count as flying sideways
COURSE_METRES = 20.0  # the course of a position: toward the first one this far on, within 10 s


def bearing(a, b):
    la1, lo1, la2, lo2 = map(math.radians, (a[0], a[1], b[0], b[1]))
    y = math.sin(lo2 - lo1) * math.cos(la2)
    x = math.cos(la1) * math.sin(la2) - math.sin(la1) * math.cos(la2) * math.cos(lo2 - lo1)
    return math.degrees(math.atan2(y, x)) % 360.0


def metres(a, b):
    la1, lo1, la2, lo2 = map(math.radians, (a[0], a[1], b[0], b[1]))
    h = math.sin((la2 - la1) / 2) ** 2 + math.cos(la1) * math.cos(la2) * math.sin((lo2 - lo1) / 2) ** 2
    return 2 * EARTH_M * math.asin(min(1.0, math.sqrt(h)))


def read_sent(path):
    """Reports per callsign: sorted lists of (time, lat, lon, alt ft, on ground)."""
    tracks = collections.defaultdict(list)
    with open(path, encoding="latin-1") as f:
        for line in f:
            stamp, _, record = line.rstrip("\n").partition("\t")
            fields = record.split(",")
            if len(fields) < 15 or fields[0] != "RTTFC":
                continue
            try:
                tracks[fields[9]].append((float(stamp), float(fields[2]), float(fields[3]), float(fields[4]),
                                          fields[6] == "1"))
            except ValueError:
                continue
    for points in tracks.values():
        points.sort()
    return tracks


class Track:
    """The simulator stand-in's record of the AI aircraft."""

    def __init__(self, path):
        self.objects = {}  # object id -> {"tail", "title", "static", "created", "removed"}
        self.positions = collections.defaultdict(list)  # object id -> [(t, lat, lon, alt, heading)]
        self.closed = []  # (t, session, left)
        present, self.peak = 0, 0
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                fields = line.rstrip("\n").split("\t")
                if len(fields) < 3:
                    continue
                t, kind = float(fields[0]), fields[1]
                if kind == "create" and len(fields) >= 10:
                    tail = fields[4]
                    self.objects[int(fields[3])] = {"tail": tail, "title": fields[9], "static": tail.endswith("*"),
                                                    "created": t, "removed": None,
                                                    "at": (float(fields[5]), float(fields[6]))}
                    present += 1
                    self.peak = max(self.peak, present)
                elif kind == "pos" and len(fields) >= 7:
                    self.positions[int(fields[2])].append((t, float(fields[3]), float(fields[4]), float(fields[5]),
                                                           float(fields[6])))
                elif kind == "remove":
                    obj = self.objects.get(int(fields[2]))
                    if obj and obj["removed"] is None:
                        obj["removed"] = t
                        present -= 1
                elif kind == "closed" and len(fields) >= 4:
                    self.closed.append((t, int(fields[2]), int(fields[3])))
        self.left = present


def count_renewals(path):
    """The static renewals of the run: each logs the parking adjustments it makes."""
    with open(path, encoding="utf-8", errors="replace") as f:
        return sum(1 for line in f if line.startswith("Parking adjustments: ") and " to be removed, " in line)


def reported_at(points, times, t):
    """The reported position at time t, interpolated; None outside the track or across a gap."""
    i = bisect.bisect_right(times, t)
    if i == 0 or i == len(points):
        return None
    (t0, la0, lo0, al0, g0), (t1, la1, lo1, al1, g1) = points[i - 1], points[i]
    if t1 - t0 > LONGEST_GAP:
        return None
    f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
    return la0 + f * (la1 - la0), lo0 + f * (lo1 - lo0), g0 and g1


def fidelity(tracks, track, delay):
    ground, air = [], []
    for obj_id, obj in track.objects.items():
        points = tracks.get(obj["tail"])
        if obj["static"] or not points:
            continue
        times = [p[0] for p in points]
        for t, lat, lon, _, _ in track.positions.get(obj_id, []):
            wanted = reported_at(points, times, t - delay)
            if wanted is not None:
                (ground if wanted[2] else air).append(metres((lat, lon), wanted[:2]))
    return ground, air


def heading_off_course(tracks, track, delay):
    """Of the positions sent in the air (the reports around the delayed time both airborne,
    however far apart) that move, how many, and how many have a heading more than OFF_COURSE
    degrees off their course."""
    moving = off = 0
    for obj_id, obj in track.objects.items():
        points = tracks.get(obj["tail"])
        if obj["static"] or not points:
            continue
        times = [p[0] for p in points]
        positions = track.positions.get(obj_id, [])
        for k, (t, lat, lon, _, heading) in enumerate(positions):
            i = bisect.bisect_right(times, t - delay)
            if i == 0 or i == len(points) or points[i - 1][4] or points[i][4]:
                continue
            for j in range(k + 1, len(positions)):
                t2, lat2, lon2 = positions[j][:3]
                if t2 - t > 10.0:
                    break
                if metres((lat, lon), (lat2, lon2)) >= COURSE_METRES:
                    moving += 1
                    turn = abs((bearing((lat, lon), (lat2, lon2)) - heading + 180.0) % 360.0 - 180.0)
                    off += turn > OFF_COURSE
                    break
    return moving, off


def off_track(points, lat, lon):
    """Metres from a position to the nearest leg of the reported track (flat near the position)."""
    east = math.cos(math.radians(lat)) * 111320.0
    nearest = float("inf")
    for (_, la0, lo0, _, _), (_, la1, lo1, _, _) in zip(points, points[1:]):
        ax, ay = (lo0 - lon) * east, (la0 - lat) * 111320.0
        dx, dy = (lo1 - lo0) * east, (la1 - la0) * 111320.0
        length = dx * dx + dy * dy
        f = max(0.0, min(1.0, -(ax * dx + ay * dy) / length)) if length > 0 else 0.0
        nearest = min(nearest, math.hypot(ax + f * dx, ay + f * dy))
    return nearest


def left_radius(tracks, track, user, radius, margin):
    """The live flights shown beyond the radius: how they followed their reports out."""
    nm = lambda lat, lon: metres(user, (lat, lon)) / 1852.0
    # The program removes what it still shows when it ends, just before it closes its link.
    exit_time = min((t for t, _, _ in track.closed), default=None)
    flights = []
    for obj_id, obj in sorted(track.objects.items()):
        points = tracks.get(obj["tail"])
        positions = track.positions.get(obj_id, [])
        beyond = [p for p in positions if nm(p[1], p[2]) > radius]
        if obj["static"] or not points or not beyond:
            continue
        last = positions[-1]
        passed = next((p[0] for p in points if p[0] >= obj["created"] and nm(p[1], p[2]) > radius + margin), None)
        if passed is not None and obj["removed"] is not None and passed > obj["removed"]:
            passed = None  # removed before
        flights.append({"callsign": obj["tail"], "last nm": nm(last[1], last[2]),
                        "last off track m": off_track(points, last[1], last[2]),
                        "worst off track m": max(off_track(points, p[1], p[2]) for p in beyond),
                        "seconds beyond": beyond[-1][0] - beyond[0][0], "removed": obj["removed"],
                        "removed after passing s": None if passed is None or obj["removed"] is None
                        else obj["removed"] - passed, "reports passed the margin": passed is not None,
                        "removed at the exit": exit_time is not None and obj["removed"] is not None
                        and exit_time - 10.0 <= obj["removed"] <= exit_time})
    return flights


def print_left_radius(flights, radius, margin):
    for f in flights:
        if f["removed after passing s"] is not None:
            end = f"removed {f['removed after passing s']:.1f} s after its report passed {radius + margin:g} nm"
        elif f["removed at the exit"]:
            end = "removed at the program's exit"
        elif f["removed"] is not None:
            end = "removed before its reports passed the margin"
        else:
            end = "still shown at the end"
        print(f"left the radius:    {f['callsign']} followed {f['seconds beyond']:.0f} s beyond the {radius:g} nm radius"
              f" (margin {margin:g} nm): last position sent {f['last nm']:.2f} nm from the user,"
              f" {f['last off track m']:.1f} m from its reported track (at most {f['worst off track m']:.1f} m"
              f" beyond the radius); {end}")
    if not flights:
        print(f"left the radius:    no flight shown beyond the {radius:g} nm radius")


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


def summary(tracks, track, delay):
    live = {i: o for i, o in track.objects.items() if not o["static"]}
    static = {i: o for i, o in track.objects.items() if o["static"]}
    moved = sum(1 for i in live if len({(round(p[1], 5), round(p[2], 5)) for p in track.positions.get(i, [])}) > 1)
    all_positions = [p[0] for i in live for p in track.positions.get(i, [])]
    span = max(all_positions) - min(all_positions) if len(all_positions) > 1 else 0.0
    ground, air = fidelity(tracks, track, delay)
    figures = {
        "live created": len(live), "live moved": moved,
        "live removed": sum(1 for o in live.values() if o["removed"] is not None),
        "static placed": len(static), "static removed": sum(1 for o in static.values() if o["removed"] is not None),
        "peak AI objects": track.peak, "AI objects left": track.left,
        "positions": len(all_positions), "positions per second": len(all_positions) / span if span > 0 else 0.0,
        "flights reported": len(tracks),
    }
    moving, off = heading_off_course(tracks, track, delay)
    figures["heading samples"] = moving
    if moving:
        figures["heading off course %"] = 100.0 * off / moving
    for name, values in (("ground", ground), ("air", air)):
        figures[f"fidelity {name} samples"] = len(values)
        if values:
            figures[f"fidelity {name} median m"] = statistics.median(values)
            figures[f"fidelity {name} p95 m"] = percentile(values, 95)
    return figures


def print_summary(figures, delay):
    f = figures
    print(f"live aircraft:      {f['live created']} created, {f['live moved']} moved, {f['live removed']} removed"
          f" ({f['flights reported']} flights reported)")
    renewed = f.get("static renewals")
    print(f"static aircraft:    {f['static placed']} placed, {f['static removed']} removed"
          + ("" if renewed is None else f", renewed {renewed} time{'' if renewed == 1 else 's'}"))
    print(f"AI objects:         peak {f['peak AI objects']}, {f['AI objects left']} left in the simulator at the end")
    print(f"positions sent:     {f['positions']}, {f['positions per second']:.1f} per second")
    for name in ("ground", "air"):
        n = f[f"fidelity {name} samples"]
        if n:
            print(f"fidelity {name + ':':8}  median {f[f'fidelity {name} median m']:.1f} m, 95th percentile "
                  f"{f[f'fidelity {name} p95 m']:.1f} m ({n} positions, {delay:.0f} s behind the reports)")
        else:
            print(f"fidelity {name + ':':8}  no positions to compare")
    if f["heading samples"]:
        print(f"heading in the air: {f['heading off course %']:.1f} % of {f['heading samples']} moving positions more than"
              f" {OFF_COURSE:.0f} degrees off their course (goal under 5 %)")
    else:
        print("heading in the air: no moving positions in the air")


def read_stands(path, airport):
    stands = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            x = line.split()
            if len(x) == 8 and x[0] == "stand" and x[1] == airport:
                stands.append(((x[3][0] if x[3] in ("gate", "ramp") else "") + x[2], float(x[4]), float(x[5])))
    return stands


def draw_map(path, tracks, track, stands, title):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, (wide, near) = plt.subplots(1, 2, figsize=(16, 8), dpi=100)
    colours = plt.get_cmap("tab10")
    live = [(i, o) for i, o in sorted(track.objects.items()) if not o["static"]]
    callsigns = sorted({o["tail"] for _, o in live})
    colour_of = {cs: colours(n % 10) for n, cs in enumerate(callsigns)}
    for ax in (wide, near):
        for cs, points in tracks.items():
            ax.plot([p[2] for p in points], [p[1] for p in points], color="0.6", linewidth=0.8, zorder=1)
            ax.plot([p[2] for p in points], [p[1] for p in points], ".", color="0.6", markersize=2, zorder=1)
        for obj_id, obj in live:
            points = track.positions.get(obj_id, [])
            if points:
                ax.plot([p[2] for p in points], [p[1] for p in points], ".-", color=colour_of[obj["tail"]],
                        linewidth=1.4, markersize=3, zorder=2, label=obj["tail"] if ax is wide else None)
        static = [o["at"] for o in track.objects.values() if o["static"]]
        if static:
            ax.plot([s[1] for s in static], [s[0] for s in static], "^", color="black", markersize=7, zorder=3,
                    label="static parked" if ax is wide else None)
        ax.plot([s[2] for s in stands], [s[1] for s in stands], "s", markerfacecolor="none", markeredgecolor="tab:blue",
                markersize=9, zorder=0, label="stands" if ax is wide else None)
        ax.set_xlabel("longitude")
        ax.set_ylabel("latitude")
        ax.grid(True, linewidth=0.3)
    for name, lat, lon in stands:
        near.annotate(name, (lon, lat), fontsize=6, color="tab:blue", xytext=(4, 4), textcoords="offset points")
    if stands:
        lats, lons = [s[1] for s in stands], [s[2] for s in stands]
        pad_lat, pad_lon = 0.008, 0.013
        near.set_xlim(min(lons) - pad_lon, max(lons) + pad_lon)
        near.set_ylim(min(lats) - pad_lat, max(lats) + pad_lat * 0.5)
        mid = math.cos(math.radians(sum(lats) / len(lats)))
        for ax in (wide, near):
            ax.set_aspect(1.0 / mid, adjustable="datalim")
    wide.set_title(f"{title}: reports (grey) and positions sent to the simulator (colour)")
    near.set_title("the airport: stands, taxiing and static parked aircraft")
    wide.legend(fontsize=7, loc="best", ncol=2)
    fig.tight_layout()
    fig.savefig(path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sent", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--stands")
    parser.add_argument("--airport", default="EHAM")
    parser.add_argument("--map")
    parser.add_argument("--delay", type=float, default=30.0, help="seconds the program shows aircraft behind")
    parser.add_argument("--json", help="write the figures to this file too")
    parser.add_argument("--user", help="latitude,longitude of the user aircraft")
    parser.add_argument("--radius", type=float, default=8.0, help="the live radius, nm")
    parser.add_argument("--margin", type=float, default=3.0, help="beyond it, how far shown flights are followed, nm")
    parser.add_argument("--log", help="the program's Log.txt")
    args = parser.parse_args(argv)
    tracks, track = read_sent(args.sent), Track(args.sim)
    figures = summary(tracks, track, args.delay)
    if args.log and os.path.exists(args.log):
        figures["static renewals"] = count_renewals(args.log)
    print_summary(figures, args.delay)
    if args.user:
        user = tuple(float(x) for x in args.user.split(","))
        figures["left the radius"] = left_radius(tracks, track, user, args.radius, args.margin)
        print_left_radius(figures["left the radius"], args.radius, args.margin)
    if args.json:  # whole or not at all, for a reader that waits for it
        with open(args.json + ".part", "w", encoding="utf-8") as f:
            json.dump(figures, f, indent=1)
        os.replace(args.json + ".part", args.json)
    if args.map:
        stands = read_stands(args.stands, args.airport) if args.stands else []
        draw_map(args.map, tracks, track, stands, args.airport)
        print(f"traffic map:        {args.map}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
