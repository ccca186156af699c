"""Scripted flights for the RealTraffic stand-in: a departure from a stand, a departure seen
from its climb-out, an arrival onto a stand, and a flight that circles (or flies straight on)
near the airport, each laid out from a few waypoints and written as RTTFC records at
RealTraffic's pace (one record of the aircraft every couple of seconds, or, as for many
flights of the real feed, every 15 to 25 s), with the faults of a live feed on request: a
record sent again unchanged, a gap, an old position sent again with a new time, a record
with a low speed in the air, and a record whose ground flag flips.

A waypoint is (seconds, position, altitude ft, ground speed kt, heading deg); between two
waypoints the aircraft moves evenly. Positions are computed in a flat frame of metres
east and north of the stand, which is exact enough for the few miles of a scenario.
"""
import math
import random

METRES_PER_DEGREE = 111132.95
KNOT = 1852.0 / 3600.0  # metres per second


class Frame:
    """Metres east and north of a reference position."""

    def __init__(self, lat, lon):
        self.lat, self.lon = lat, lon
        self.east_scale = math.cos(math.radians(lat)) * METRES_PER_DEGREE

    def position(self, east, north):
        return self.lat + north / METRES_PER_DEGREE, self.lon + east / self.east_scale

    def point(self, lat, lon):
        return (lon - self.lon) * self.east_scale, (lat - self.lat) * METRES_PER_DEGREE


def ahead(point, bearing, metres):
    b = math.radians(bearing)
    return point[0] + metres * math.sin(b), point[1] + metres * math.cos(b)


def bearing_of(a, b):
    return math.degrees(math.atan2(b[0] - a[0], b[1] - a[1])) % 360.0


def distance(a, b):
    return math.hypot(b[0] - a[0], b[1] - a[1])


class Route:
    """Waypoints in time order; travel legs get their time from distance and speeds."""

    def __init__(self, point, altitude, heading):
        self.points = [(0.0, point, altitude, 0.0, heading)]

    @property
    def last(self):
        return self.points[-1]

    def wait(self, seconds, heading=None):
        t, p, alt, _, h = self.last
        self.points.append((t + seconds, p, alt, 0.0, h if heading is None else heading))

    def go(self, point, speed, altitude=None, heading=None, end_speed=None):
        """To the point at the speed (or from the speed to end_speed); heading: nose direction."""
        t, p, alt, _, _ = self.last
        end_speed = speed if end_speed is None else end_speed
        mean = max((speed + end_speed) / 2.0, 0.5) * KNOT
        t += distance(p, point) / mean
        self.points.append((t, point, alt if altitude is None else altitude, end_speed,
                            bearing_of(p, point) if heading is None else heading))

    def state(self, t):
        """Position, altitude, speed, heading, track and vertical speed at time t."""
        points = self.points
        if t >= points[-1][0]:
            t0, p, alt, speed, h = points[-1]
            return p, alt, speed, h, h, 0.0
        k = max(i for i in range(len(points)) if points[i][0] <= t)
        (t0, p0, a0, s0, h0), (t1, p1, a1, s1, h1) = points[k], points[k + 1]
        f = (t - t0) / (t1 - t0) if t1 > t0 else 1.0
        p = (p0[0] + f * (p1[0] - p0[0]), p0[1] + f * (p1[1] - p0[1]))
        turn = (h1 - h0 + 540.0) % 360.0 - 180.0
        moving = distance(p0, p1) > 0.1
        track = bearing_of(p0, p1) if moving else h0
        climb = (a1 - a0) / (t1 - t0) * 60.0 if t1 > t0 else 0.0
        return p, a0 + f * (a1 - a0), (s0 + f * (s1 - s0)) if moving else 0.0, (h0 + f * turn) % 360.0, track, climb


def departure(stand, runway, elevation, hold_before, climb_seconds, turn=0.0, onward=0.0):
    """Parked, pushed back with a swing of the tail, taxi to the runway, take-off and climb,
    then a turn and on."""
    frame = Frame(stand[0], stand[1])
    h = stand[2]
    threshold = frame.point(runway[0], runway[1])
    r = runway[2]
    route = Route((0.0, 0.0), elevation, h)
    route.wait(hold_before)
    pushed = ahead((0.0, 0.0), h + 180.0, 40.0)
    route.go(pushed, 5.0, heading=h)
    swung = ahead(pushed, h + 135.0, 20.0)
    route.go(swung, 4.0, heading=h + 90.0, end_speed=0.0)
    route.wait(20.0)
    out = ahead(swung, h + 90.0, 250.0)
    route.go(out, 15.0)
    route.go(threshold, 15.0, end_speed=5.0)
    route.wait(10.0, heading=r)
    # Take-off roll: even acceleration to 160 kt in 40 s, then a climb at 2000 ft/min.
    accel = 160.0 * KNOT / 40.0
    for t in range(5, 41, 5):
        route.go(ahead(threshold, r, 0.5 * accel * t * t), accel * (t - 5) / KNOT, heading=r,
                 end_speed=accel * t / KNOT)
    lift = route.last[1]
    climbed = ahead(lift, r, 175.0 * KNOT * climb_seconds)
    route.go(climbed, 170.0, altitude=elevation + 2000.0 * climb_seconds / 60.0, heading=r, end_speed=180.0)
    turn_and_go(route, r, turn, onward)
    return frame, route


def turn_and_go(route, heading, turn, onward, speed=180.0, climb=2000.0, rate=3.0, step=2.0):
    """A turn of `turn` degrees (positive to the right) at `rate` degrees a second, then
    `onward` seconds straight on, at the speed (kt) and climbing (ft/min)."""
    for _ in range(int(round(abs(turn) / (rate * step)))):
        _, p, alt, _, _ = route.last
        turned = heading + math.copysign(rate * step, turn)
        point = ahead(p, heading + math.copysign(rate * step / 2.0, turn), speed * KNOT * step)
        route.go(point, speed, altitude=alt + climb * step / 60.0, heading=turned % 360.0)
        heading = turned
    if onward > 0:
        _, p, alt, _, _ = route.last
        route.go(ahead(p, heading, speed * KNOT * onward), speed, altitude=alt + climb * onward / 60.0,
                 heading=heading % 360.0)


def circling(stand, elevation, distance_nm, bearing, heading, altitude, speed, rate, seconds):
    """From distance_nm out at the bearing from the stand, level at the height above the
    airport and the speed, turning at rate degrees a second (+ right; 0: straight on) for
    the seconds."""
    frame = Frame(stand[0], stand[1])
    start = ahead((0.0, 0.0), bearing, distance_nm * 1852.0)
    route = Route(start, elevation + altitude, heading)
    route.points[0] = (0.0, start, elevation + altitude, speed, heading)
    if rate == 0.0:
        turn_and_go(route, heading, 0.0, seconds, speed=speed, climb=0.0)
    else:
        turn_and_go(route, heading, rate * seconds, 0.0, speed=speed, climb=0.0, rate=abs(rate), step=1.0)
    return frame, route


def climb_out(runway, elevation, distance_nm, climb_seconds, turn=0.0, onward=0.0):
    """A departure seen from its climb-out: distance_nm past the runway threshold at 1500 ft
    above it, climbing straight on, then turning and on."""
    frame = Frame(runway[0], runway[1])
    r = runway[2]
    start = ahead((0.0, 0.0), r, distance_nm * 1852.0)
    route = Route(start, elevation + 1500.0, r)
    route.points[0] = (0.0, start, elevation + 1500.0, 170.0, r)
    route.go(ahead(start, r, 175.0 * KNOT * climb_seconds), 170.0,
             altitude=elevation + 1500.0 + 2000.0 * climb_seconds / 60.0, heading=r, end_speed=180.0)
    turn_and_go(route, r, turn, onward)
    return frame, route


def arrival(stand, runway, elevation, distance_nm, hold_after):
    """Final approach from a few miles out, touch-down, roll-out, taxi and parking."""
    frame = Frame(stand[0], stand[1])
    h = stand[2]
    threshold = frame.point(runway[0], runway[1])
    r = runway[2]
    start = ahead(threshold, r + 180.0, distance_nm * 1852.0)
    route = Route(start, elevation + distance_nm * 318.0, r)
    route.points[0] = (0.0, start, elevation + distance_nm * 318.0, 150.0, r)
    route.go(threshold, 150.0, altitude=elevation + 50.0, heading=r, end_speed=140.0)
    touchdown = ahead(threshold, r, 400.0)
    route.go(touchdown, 140.0, altitude=elevation, heading=r, end_speed=135.0)
    rolled = ahead(touchdown, r, 77.5 * KNOT * 30.0)
    route.go(rolled, 135.0, heading=r, end_speed=20.0)
    exit_point = ahead(ahead(rolled, r, 40.0), r + 90.0, 60.0)
    route.go(exit_point, 20.0, end_speed=15.0)
    front = ahead((0.0, 0.0), h, 60.0)
    route.go(front, 15.0, end_speed=5.0)
    route.go((0.0, 0.0), 5.0, heading=h, end_speed=0.0)
    route.wait(hold_after)
    return frame, route


def records(frame, route, elevation, ident, start, interval, faults=None, jitter=0.0, seed=1):
    """The route as RTTFC records, one every interval seconds, or, with a jitter, every
    interval - jitter to interval + jitter seconds (drawn from the seed). Faults of a live
    feed, in seconds after the first record (each at the first record at or after its time):
    "again": [s] the record sent again unchanged; "gap": [(s, length)] no records for length
    seconds; "stale": [(s, age)] the record of age seconds before, sent again with the time of s;
    "slow": [(s, kt)] the record gives that ground speed; "ground": [s] the record says the
    aircraft is on the ground (altitude 0, ground flag set) wherever it is; "no_track": every
    record without a track or a true heading (those fields empty and -1)."""
    faults = faults or {}
    again = sorted(faults.get("again", []))
    stale = sorted(faults.get("stale", []))
    slow = sorted(faults.get("slow", []))
    grounded = sorted(faults.get("ground", []))
    gaps = faults.get("gap", [])
    draw = random.Random(seed)
    lines = []
    t = 0.0
    end = route.last[0]

    def step():
        return interval + (draw.uniform(-jitter, jitter) if jitter > 0 else 0.0)

    while t <= end + 1e-9:
        if any(s <= t < s + length for s, length in gaps):
            t += step()
            continue
        at = t
        if stale and t >= stale[0][0]:
            at = max(0.0, t - stale.pop(0)[1])
        p, alt, speed, heading, track, climb = route.state(at)
        if slow and t >= slow[0][0]:
            speed = slow.pop(0)[1]
        lat, lon = frame.position(*p)
        on_ground = alt <= elevation + 1.0
        if grounded and t >= grounded[0]:
            grounded.pop(0)
            on_ground = True
        altitude = 0 if on_ground else round(alt)
        shown_track, true_heading = ("", -1) if faults.get("no_track") else (f"{track:.2f}", f"{heading:.2f}")
        line = ",".join(str(x) for x in [
            "RTTFC", ident["hex"], f"{lat:.6f}", f"{lon:.6f}", altitude, 0 if on_ground else round(climb),
            1 if on_ground else 0, shown_track, f"{speed:.2f}", ident["callsign"], ident["type"],
            ident["registration"], ident["from"] if t >= ident.get("from_after", 0.0) else "null", ident["to"],
            f"{start + t:.1f}", "X2",
            ident["callsign"][:2] + ident["callsign"][3:], "adsb_icao", altitude + 1175, -1,
            round(speed) if speed > 0 else -1, "0.780", "0.0", "0.0", f"{heading:.2f}", true_heading, 0, "none",
            ident["category"], "1012.8", 35008, -1, f"{heading:.2f}", "autopilot|vnav|lnav|tcas", "0.0", "-21.9",
            223, 24, -30, 0, 1, 100000 + len(lines), 1000 + len(lines)])
        lines.append(line)
        if again and t >= again[0]:
            again.pop(0)
            lines.append(line)
        t += step()
    return lines


def pair(text):
    """"a,b" as two numbers."""
    a, b = (float(x) for x in text.split(","))
    return a, b


def scripted(args):
    stand = tuple(float(x) for x in args.stand.split(","))
    runway = tuple(float(x) for x in args.runway.split(",")) if args.runway else stand
    if args.kind == "departure":
        frame, route = departure(stand, runway, args.elevation, args.hold_before, args.climb, args.turn, args.onward)
    elif args.kind == "climbout":
        frame, route = climb_out(runway, args.elevation, args.distance, args.climb, args.turn, args.onward)
    elif args.kind == "circle":
        frame, route = circling(stand, args.elevation, args.distance, args.bearing, args.heading, args.altitude,
                                args.knots, args.rate, args.seconds)
    else:
        frame, route = arrival(stand, runway, args.elevation, args.distance, args.hold_after)
    ident = {"hex": args.hex, "callsign": args.callsign, "type": args.type, "registration": args.registration,
             "from": getattr(args, "from"), "from_after": args.from_after, "to": args.to, "category": args.category}
    faults = {"again": args.again, "gap": args.gap, "stale": args.stale, "slow": args.slow, "ground": args.ground,
              "no_track": args.no_track}
    return records(frame, route, args.elevation, ident, args.start, args.interval, faults, args.jitter, args.seed)


def add_arguments(p):
    p.add_argument("--kind", choices=["departure", "climbout", "arrival", "circle"], required=True)
    p.add_argument("--stand", default="0,0,0", help="latitude,longitude,heading of the stand")
    p.add_argument("--runway", help="latitude,longitude,heading of the runway threshold (not for circle)")
    p.add_argument("--elevation", type=float, default=0.0, help="airport elevation, feet")
    p.add_argument("--hex", type=int, default=4660001)
    p.add_argument("--callsign", default="KLM1234")
    p.add_argument("--type", default="A320")
    p.add_argument("--category", default="A3")
    p.add_argument("--registration", default="PH-EXA")
    p.add_argument("--from", default="AMS")
    p.add_argument("--from-after", type=float, default=0.0, metavar="S",
                   help="the departure airport only in the records from S seconds on (before: null)")
    p.add_argument("--to", default="LHR")
    p.add_argument("--start", type=float, default=1700000000.0, help="first time stamp")
    p.add_argument("--interval", type=float, default=2.0, help="seconds between records")
    p.add_argument("--jitter", type=float, default=0.0, help="each interval up to this many seconds shorter or longer")
    p.add_argument("--seed", type=int, default=1, help="of the jitter")
    p.add_argument("--hold-before", type=float, default=90.0, help="seconds parked before the push back")
    p.add_argument("--hold-after", type=float, default=120.0, help="seconds parked after the arrival")
    p.add_argument("--climb", type=float, default=240.0, help="seconds of straight climb after lift-off")
    p.add_argument("--turn", type=float, default=0.0, help="then a turn of this many degrees (+ right), 3 a second")
    p.add_argument("--onward", type=float, default=0.0, help="then this many seconds straight on, climbing")
    p.add_argument("--distance", type=float, default=9.0,
                   help="nautical miles out at the start of the approach, past the threshold at the climb-out, "
                        "or from the stand at the start of a circle")
    for name, default, text in (("--bearing", 0.0, "from the stand to the start, degrees"),
                                ("--heading", 90.0, "the course at the start, degrees"),
                                ("--altitude", 3000.0, "feet above the airport"), ("--knots", 180.0, "ground speed"),
                                ("--rate", 3.0, "degrees a second (+ right, 0 straight on)"),
                                ("--seconds", 360.0, "length of the flight")):
        p.add_argument(name, type=float, default=default, help="circle: " + text)
    p.add_argument("--again", type=float, action="append", default=[], metavar="S",
                   help="the record at S seconds sent again unchanged (repeatable)")
    p.add_argument("--gap", type=pair, action="append", default=[], metavar="S,LENGTH",
                   help="no records for LENGTH seconds from S (repeatable)")
    p.add_argument("--stale", type=pair, action="append", default=[], metavar="S,AGE",
                   help="at S seconds the position of AGE seconds before, with the time of S (repeatable)")
    p.add_argument("--slow", type=pair, action="append", default=[], metavar="S,KT",
                   help="the record at S seconds gives the ground speed KT (repeatable)")
    p.add_argument("--no-track", action="store_true", help="every record without a track or a true heading")
    p.add_argument("--ground", type=float, action="append", default=[], metavar="S",
                   help="the record at S seconds says the aircraft is on the ground (repeatable)")
