#!/usr/bin/env python3
"""Figures and the traffic map of a run, from what the two stand-ins recorded.

  runfigures.py --sent SENT --sim TRACK [--world WORLD] [--stands STANDS --airport EHAM]
                [--elevation FT] [--map PNG] [--delay 30] [--json FILE]
                [--user LAT,LON --radius NM --margin NM] [--log LOG]

SENT is the RealTraffic stand-in's log of the records it sent ("<unix time>\\t<record>"),
TRACK the simulator stand-in's AI track (see tools/simstandin/aitrack.h), STANDS the
stand lines that bgl_writer prints. WORLD is the world.txt of a run folder that
scripts/world.sh prepared: it gives the airport, the user's position and the elevation, and
the stands.txt beside it the stands. The program shows each live aircraft DELAY seconds
behind its reports; fidelity is the distance between each position sent to the simulator
and the reported track at that delayed time, on the ground and in the air. The watcher's
figures (watcher.py) follow: headings, speeds and altitudes against the reports, balloons,
positions below the ground (the ground the simulator reported under each position where the
track gives it, else the elevation), standstills, moves against the heading, removals and
creations again, take-offs and take-offs where the reports taxi. With the
user's position and the live radius, each flight that left the radius while shown is followed
out: how far beyond the radius the positions sent went, how near its reported track they
stayed, and when it was removed after its reports passed the margin beyond the radius. LOG is
the program's Log.txt, from which the static renewals and the removals by the park maximum are
counted.
"""
import argparse
import bisect
import re
import collections
import json
import math
import os
import statistics
import sys

import watcher
from geo import metres, percentile
from watcher import LONGEST_GAP, Flight, Report, Shown, flight_of, off_track


def sent_records(path):
    """The records sent: the time each was sent, and its fields."""
    with open(path, encoding="latin-1") as f:
        for line in f:
            stamp, _, record = line.rstrip("\n").partition("\t")
            fields = record.split(",")
            if len(fields) >= 15 and fields[0] == "RTTFC":
                yield stamp, fields


def read_sent(path):
    """The flights reported: per callsign, a Flight (watcher.py) of each hexid that carried it."""
    reports = collections.defaultdict(list)
    for stamp, fields in sent_records(path):
        try:
            reports[fields[9], fields[1]].append(Report(float(stamp), float(fields[2]), float(fields[3]),
                                                        float(fields[4]), fields[6] == "1", float(fields[8]),
                                                        float(fields[7])))
        except ValueError:
            continue
    flights = collections.defaultdict(list)
    for (callsign, hexid), points in reports.items():
        flights[callsign].append(Flight(callsign, hexid, points))
    return flights


class Track:
    """The simulator stand-in's record of the AI aircraft."""

    def __init__(self, path):
        self.objects = {}  # object id -> {"tail", "title", "static", "created", "removed"}
        self.positions = collections.defaultdict(list)  # object id -> [(t, lat, lon, alt, heading)]
        self.grounds = collections.defaultdict(list)  # object id -> [the ground reported under each, or None]
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
                                                    "at": (float(fields[5]), float(fields[6])),
                                                    "hexid": fields[10] if len(fields) > 10 else None}
                    present += 1
                    self.peak = max(self.peak, present)
                elif kind == "pos" and len(fields) >= 7:
                    self.positions[int(fields[2])].append((t, float(fields[3]), float(fields[4]), float(fields[5]),
                                                           float(fields[6])))
                    self.grounds[int(fields[2])].append(float(fields[7]) if len(fields) >= 8 else None)
                elif kind == "remove":
                    obj = self.objects.get(int(fields[2]))
                    if obj and obj["removed"] is None:
                        obj["removed"] = t
                        present -= 1
                elif kind == "closed" and len(fields) >= 4:
                    self.closed.append((t, int(fields[2]), int(fields[3])))
        self.left = present


# "<stand or blanks>: <callsign> removed, <reason>" (ten blanks in place of the stand column).
REMOVAL_LINE = re.compile(r"^(?:.{8}: |.{10})(\S+)\s+removed, (.*)$")


def count_log(path):
    """From the program's log: the static renewals of the run (each logs the parking adjustments it
    makes), the live aircraft removed by the park maximum, and the reasons of the removals of each
    callsign, in their order."""
    renewals = park = 0
    reasons = collections.defaultdict(list)
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            renewals += line.startswith("Parking adjustments: ") and " to be removed, " in line
            park += "max park exceeded, removed" in line
            removal = REMOVAL_LINE.match(line.rstrip("\r\n"))
            if removal:
                reasons[removal.group(1)].append(removal.group(2))
            elif "max park exceeded, removed" in line:
                reasons[line.split(":", 1)[1].split()[0]].append("park maximum")
    return renewals, park, reasons


def reported_at(points, times, t):
    """The reported position at time t, interpolated; None outside the track or across a gap."""
    i = bisect.bisect_right(times, t)
    if i == 0 or i == len(points):
        return None
    (t0, la0, lo0, _, g0, *_), (t1, la1, lo1, _, g1, *_) = points[i - 1], points[i]
    if t1 - t0 > LONGEST_GAP:
        return None
    f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
    return la0 + f * (la1 - la0), lo0 + f * (lo1 - lo0), g0 and g1


def fidelity(shown):
    ground, air = [], []
    for s in shown:
        points, times = s.flight.points, s.flight.times
        for t, lat, lon, _, _ in s.positions:
            wanted = reported_at(points, times, t - s.delay)
            if wanted is not None:
                (ground if wanted[2] else air).append(metres((lat, lon), wanted[:2]))
    return ground, air


def shown_objects(flights, track, delay):
    """A watcher.Shown of each live object that shows a reported flight."""
    shown = []
    for obj_id, obj in sorted(track.objects.items()):
        flight = None if obj["static"] else flight_of(obj, flights)
        if flight is not None:
            shown.append(Shown(obj_id, obj, flight, track.positions.get(obj_id, []), delay, track.grounds.get(obj_id)))
    return shown


def left_radius(shown, track, user, radius, margin):
    """The live flights shown beyond the radius: how they followed their reports out."""
    nm = lambda lat, lon: metres(user, (lat, lon)) / 1852.0
    # The program removes what it still shows when it ends, just before it closes its link.
    exit_time = min((t for t, _, _ in track.closed), default=None)
    flights = []
    for s in shown:
        obj, points, positions = s.obj, s.flight.points, s.positions
        beyond = [p for p in positions if nm(p[1], p[2]) > radius]
        if not beyond:
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


def left_radius_lines(flights, radius, margin):
    lines = []
    for f in flights:
        if f["removed after passing s"] is not None:
            end = f"removed {f['removed after passing s']:.1f} s after its report passed {radius + margin:g} nm"
        elif f["removed at the exit"]:
            end = "removed at the program's exit"
        elif f["removed"] is not None:
            end = "removed before its reports passed the margin"
        else:
            end = "still shown at the end"
        lines.append(f"left the radius:    {f['callsign']} followed {f['seconds beyond']:.0f} s beyond the {radius:g} nm"
                     f" radius (margin {margin:g} nm): last position sent {f['last nm']:.2f} nm from the user,"
                     f" {f['last off track m']:.1f} m from its reported track (at most {f['worst off track m']:.1f} m"
                     f" beyond the radius); {end}")
    if not flights:
        lines.append(f"left the radius:    no flight shown beyond the {radius:g} nm radius")
    return lines


def summary(flights, track, shown):
    live = {i: o for i, o in track.objects.items() if not o["static"]}
    static = {i: o for i, o in track.objects.items() if o["static"]}
    moved = sum(1 for i in live if len({(round(p[1], 5), round(p[2], 5)) for p in track.positions.get(i, [])}) > 1)
    all_positions = [p[0] for i in live for p in track.positions.get(i, [])]
    span = max(all_positions) - min(all_positions) if len(all_positions) > 1 else 0.0
    ground, air = fidelity(shown)
    figures = {
        "live created": len(live), "live moved": moved,
        "live removed": sum(1 for o in live.values() if o["removed"] is not None),
        "static placed": len(static), "static removed": sum(1 for o in static.values() if o["removed"] is not None),
        "peak AI objects": track.peak, "AI objects left": track.left,
        "positions": len(all_positions), "positions per second": len(all_positions) / span if span > 0 else 0.0,
        "flights reported": sum(len(f) for f in flights.values()),
    }
    for name, values in (("ground", ground), ("air", air)):
        figures[f"fidelity {name} samples"] = len(values)
        if values:
            figures[f"fidelity {name} median m"] = statistics.median(values)
            figures[f"fidelity {name} p95 m"] = percentile(values, 95)
    return figures


def summary_lines(figures, delay):
    """The summary's lines and the bench figures ([name, value, unit, decimals]) of the run."""
    f = figures
    lines = [f"live aircraft:      {f['live created']} created, {f['live moved']} moved, {f['live removed']} removed"
             f" ({f['flights reported']} flights reported)"]
    renewed = f.get("static renewals")
    lines.append(f"static aircraft:    {f['static placed']} placed, {f['static removed']} removed"
                 + ("" if renewed is None else f", renewed {renewed} time{'' if renewed == 1 else 's'}"))
    lines.append(f"AI objects:         peak {f['peak AI objects']}, {f['AI objects left']} left in the simulator at the end")
    lines.append(f"positions sent:     {f['positions']}, {f['positions per second']:.1f} per second")
    bench = [["live aircraft created", f["live created"], "", 0], ["live aircraft removed", f["live removed"], "", 0]]
    for name in ("ground", "air"):
        n = f[f"fidelity {name} samples"]
        if n:
            median, p95 = f[f"fidelity {name} median m"], f[f"fidelity {name} p95 m"]
            lines.append(f"fidelity {name + ':':8}  median {median:.1f} m, 95th percentile {p95:.1f} m ({n} positions,"
                         f" {delay:g} s behind the reports)")
            bench += [[f"fidelity {name} median", median, "m", 1], [f"fidelity {name} 95th percentile", p95, "m", 1]]
        else:
            lines.append(f"fidelity {name + ':':8}  no positions to compare")
    bench += [["positions sent", f["positions per second"], "per s", 1], ["peak AI objects", f["peak AI objects"], "", 0],
              ["AI objects left at the end", f["AI objects left"], "(goal 0)", 0]]
    return lines, bench


def read_stands(path, airport):
    """(name, lat, lon) of the airport's stands and helipads (named "H") that bgl_writer printed."""
    stands = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            x = line.split()
            if len(x) == 8 and x[0] == "stand" and x[1] == airport:
                stands.append(((x[3][0] if x[3] in ("gate", "ramp") else "") + x[2], float(x[4]), float(x[5])))
            elif len(x) == 6 and x[0] == "helipad" and x[1] == airport:
                stands.append(("H", float(x[2]), float(x[3])))
    return stands


def read_world(path, args):
    """Fills in from a run folder's world.txt what the arguments do not give: the airport, the
    user's position, the elevation and the stands (stands.txt beside it)."""
    with open(path, encoding="utf-8") as f:
        world = dict(line.split(None, 1) for line in f if line.strip())
    args.airport = world["airport"].strip()
    args.user = args.user or world["user"].strip()
    args.elevation = float(world["elevation"]) if args.elevation is None else args.elevation
    args.stands = args.stands or os.path.join(os.path.dirname(path), "stands.txt")


def draw_map(path, flights, track, stands, title):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, (wide, near) = plt.subplots(1, 2, figsize=(16, 8), dpi=100)
    colours = plt.get_cmap("tab10")
    live = [(i, o) for i, o in sorted(track.objects.items()) if not o["static"]]
    callsigns = sorted({o["tail"] for _, o in live})
    colour_of = {cs: colours(n % 10) for n, cs in enumerate(callsigns)}
    for ax in (wide, near):
        for points in (flight.points for same in flights.values() for flight in same):
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
    parser.add_argument("--world", help="a run folder's world.txt")
    parser.add_argument("--stands")
    parser.add_argument("--airport", default="EHAM")
    parser.add_argument("--elevation", type=float, help="the airport's elevation, feet (default 0)")
    parser.add_argument("--map")
    parser.add_argument("--delay", type=float,
                        help="seconds the program shows aircraft behind (default: as they fit best, see watcher.py)")
    parser.add_argument("--json", help="write the figures to this file too")
    parser.add_argument("--user", help="latitude,longitude of the user aircraft")
    parser.add_argument("--radius", type=float, default=8.0, help="the live radius, nm")
    parser.add_argument("--margin", type=float, default=3.0, help="beyond it, how far shown flights are followed, nm")
    parser.add_argument("--log", help="the program's Log.txt")
    args = parser.parse_args(argv)
    if args.world:
        read_world(args.world, args)
    flights, track = read_sent(args.sent), Track(args.sim)
    shown = shown_objects(flights, track, args.delay or watcher.PROGRAM_DELAY)
    delay = args.delay
    if delay is None:
        delay = watcher.fitted_delay(shown) or watcher.PROGRAM_DELAY
        shown = shown_objects(flights, track, delay)
    figures = summary(flights, track, shown)
    figures["delay s"] = delay
    figures["radius nm"] = args.radius if args.user else None
    park_removals, reasons = None, None
    if args.log and os.path.exists(args.log):
        figures["static renewals"], park_removals, reasons = count_log(args.log)
    lines, bench = summary_lines(figures, delay)
    stands = read_stands(args.stands, args.airport) if args.stands else []
    user = tuple(float(x) for x in args.user.split(",")) if args.user else None
    watched, watcher_lines, watcher_bench = watcher.watch(
        shown, delay, args.elevation or 0.0, [s[1:] for s in stands], user, args.radius if user else None,
        park_removals, args.delay is None, reasons, list(track.objects.values()), [t for t, _, _ in track.closed])
    figures.update(watched)
    lines += watcher_lines
    bench += watcher_bench
    if user:
        figures["left the radius"] = left_radius(shown, track, user, args.radius, args.margin)
        lines += left_radius_lines(figures["left the radius"], args.radius, args.margin)
    print("\n".join(lines))
    if args.json:  # whole or not at all, for a reader that waits for it
        figures["summary"], figures["bench figures"] = lines, bench
        with open(args.json + ".part", "w", encoding="utf-8") as f:
            json.dump(figures, f, indent=1)
        os.replace(args.json + ".part", args.json)
    if args.map:
        draw_map(args.map, flights, track, stands, args.airport)
        print(f"traffic map:        {args.map}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
