"""What a watcher of the simulator sees of the live aircraft, measured against the reports they
follow.

The program shows each aircraft behind its reports: a report falls due 3000 ticks of 10 ms after
it arrived (PROGRAM_DELAY), by the clock a little more as its ticks run late. Each position sent to
the simulator at time s is compared with the flight's reports interpolated at s - delay, by the
times at which RealTraffic sent them; runfigures.py takes the delay at which the positions fit
their reports best (fitted_delay).

The feed has faults of its own: positions sent again with new times, gaps, jumps back, garbage
speeds. Figures that compare with the reports do so only within a usable span (usable_spans), so
that they count what the program shows wrongly, not what the feed got wrong. The figures of
what the aircraft does (shown_motion: lurches, swings, the greatest acceleration, deceleration
and turn rate) judge the shown motion alone, over every position sent, whatever the feed did:
where the feed is noisy, the aircraft must still move like an aircraft. Each figure counts
positions (flagged, of those it could judge) and episodes: runs of one object's flagged positions
at most EPISODE_JOIN s apart that last EPISODE_LEAST s or more (a blink shorter than that counts
in the share only).
"""
import bisect
import collections
import math

from geo import KNOT, angle_between, bearing, metres, percentile

LONGEST_GAP = 15.0       # s between two reports that may be interpolated
SPEED_AGREE = 0.30       # reported speeds and the speed the positions imply differ by at most this ...
POSITION_SLACK_KT = 5.0  # ... plus this (positions come to 4 decimals, about 10 m)
TRACK_METRES = 100.0     # a move at least this long ...
TRACK_AGREE = 60.0       # ... goes within this of one of the two reported tracks
CLIMB_AGREE = 100.0      # ft/s that airborne reports may climb or sink (6,000 ft/min)

OFF_COURSE = 30.0        # degrees between heading and course in the air
COURSE_METRES = 20.0     # the course in the air: toward the first position this far on ...
COURSE_SECONDS = 10.0    # ... within this
SPEED_OFF = 0.30         # the shown speed this far off the reported one
SPEED_SECONDS = 2.0      # the shown speed: over this long
SLOWEST_COMPARED = 30.0  # kt: slower reported speeds are not compared
FLOWN_SECONDS = 20.0     # the speed the reports' positions move at about a time: over this long
ALTITUDE_OFF = 300.0     # ft
BALLOON_FEET = 200.0     # ft above the reports ...
BALLOON_BELOW = 1500.0   # ... while they are below this height above the airport
UNDERGROUND_FEET = 50.0  # below the ground by more than this ...
UNDERGROUND_AIR_FEET = 5.0  # ... or by more than this where the reports fly
STILL_SECONDS = 20.0     # standing still: for this long ...
STILL_METRES = 20.0      # ... moving less than this (2 kt) ...
MOVING_KNOTS = 30.0      # ... while the reports move faster than this
ROAM_METRES = 100.0      # roaming: moving farther than this (10 kt) in STILL_SECONDS while the reports stand
GROUND_COURSE_SECONDS = 3.0  # the course on the ground: the way over this long ...
GROUND_COURSE_METRES = 5.0   # ... when at least this long
AGAINST = 90.0           # degrees off the heading that are against it
PUSH_KNOTS = 8.0         # a push back is no faster ...
PUSH_METRES = 150.0      # ... and this near a stand
REPORT_GAP = 30.0        # s without a fresh report in which a flight may be removed
CLOSING_SECONDS = 10.0   # removals this long before the program closes its link: it takes its aircraft along
STANDING_KNOTS = 5.0     # a report this slow at the position before it is a fresh one: it stands there
LIFT_OFF_KNOTS = 40.0    # a lift-off: a ground report and an airborne one, at this speed or more
ROLL_START_KNOTS = 30.0  # the roll starts at the last ground report this slow ...
ROLL_LONGEST = 90.0      # ... at most this long before the lift-off report
CLIMB_SECONDS = 60.0     # the first climb, after the lift-off report
TAKE_OFF_OFF = 300.0     # m from the reports on the roll and the first climb
TOUCH_DOWN_OFF = 300.0   # m between the shown touch-down and the reports' way down
BEHIND_SECONDS = 15.0    # s of the reported speed from the delayed reports: elsewhere
SLOWEST_TIMED = 30.0     # kt: distances are timed at this speed at least
TOUCH_DOWN_AFTER = 90.0  # s after the first ground report by which the shown aircraft is down
GROUND_FEET = 1.0        # ft above its lowest near the touch-down: the shown aircraft is down
EPISODE_JOIN = 5.0
EPISODE_LEAST = 1.0
PROGRAM_DELAY = 30.0     # s: a report falls due 3000 ticks of 10 ms after it arrived
FIT_LAGS = [20.0 + 0.5 * n for n in range(51)]  # delays tried by fitted_delay

# What the aircraft does, whatever the feed did: the shown motion alone.
MOTION_SECONDS = 2.0     # the shown speed and turn: over this long, against the next as long
LURCH_KNOTS = 20.0       # a lurch: the two speeds more than this apart ...
LURCH_SHARE = 0.15       # ... and more than this share of the faster ...
LURCH_SLOWEST = 5.0      # ... the faster at least this fast
SWING_BANK_RATE = 764.0  # a 35 degree bank turns at this / knots degrees a second (1091 tan 35)
SWING_LEAST_RATE = 4.0   # degrees a second that a swing exceeds too
SWING_KNOTS = 60.0       # swings are judged in the air above this speed
AIR_FEET = 50.0          # shown this far above the airport's elevation: in the air
APPROACH_SECONDS = 120.0  # the approach: this long before the touchdown report
ROLL_OUT_LONGEST = 90.0   # the roll-out: until the first ground report this slow, at most this long
PHASES = ("take-off roll", "first climb", "air", "approach", "roll-out", "taxi")
SHOWN_GROUND_FEET = 25.0  # shown at most this far above the ground under it: on the ground (its CG and some)
TAXI_TAKE_OFF_SECONDS = 30.0  # a take-off shown where no report this near says airborne or take-off speed

Report = collections.namedtuple("Report", "t lat lon alt ground speed track")
Reported = collections.namedtuple("Reported", "lat lon alt speed air ground span")


def span_agrees(a, b):
    """(whether two successive reports agree with their own positions, whether the second lies
    farther on than their speeds can take it: a jump ahead). They agree when they are at most
    LONGEST_GAP (15 s) apart, the speed their positions imply lies within SPEED_AGREE (30 %) plus
    POSITION_SLACK_KT (5 kt) of the mean of their reported speeds (a position sent again with a new
    time while the speed says it moves, a jump and a garbage speed all fail that), a move of
    TRACK_METRES (100 m) or more goes within TRACK_AGREE (60 degrees) of one of the two reported
    tracks (no jump back), and airborne reports climb or sink by at most CLIMB_AGREE (100 ft/s)."""
    dt = b.t - a.t
    if not 0.0 < dt <= LONGEST_GAP:
        return False, False
    way = metres((a.lat, a.lon), (b.lat, b.lon))
    implied, said = way / dt / KNOT, (a.speed + b.speed) / 2.0
    if abs(implied - said) > SPEED_AGREE * max(implied, said) + POSITION_SLACK_KT:
        return False, implied > said
    if off_their_tracks(a, b):
        return False, False
    return a.ground or b.ground or abs(b.alt - a.alt) <= CLIMB_AGREE * dt, False


def off_their_tracks(a, b):
    """Whether the move between two reports, TRACK_METRES (100 m) or more, lies more than TRACK_AGREE
    (60 degrees) off both their tracks: a jump back or aside, not the way the aircraft went."""
    if metres((a.lat, a.lon), (b.lat, b.lon)) < TRACK_METRES:
        return False
    course = bearing((a.lat, a.lon), (b.lat, b.lon))
    return min(angle_between(course, a.track), angle_between(course, b.track)) > TRACK_AGREE


def frozen_reports(reports, jumps):
    """The reports of each hold (two or more at one position) that a jump ahead enters or leaves: the
    feed kept sending the position where it lost the aircraft (whatever speed it gave) while the
    aircraft flew on."""
    frozen = set()
    i = 0
    while i < len(reports):
        j = i
        while j + 1 < len(reports) and (reports[j + 1].lat, reports[j + 1].lon) == (reports[i].lat, reports[i].lon):
            j += 1
        if j > i and ((i > 0 and jumps[i - 1]) or (j < len(jumps) and jumps[j])):
            frozen.update(range(i, j + 1))
        i = j + 1
    return frozen


def usable_spans(reports):
    """For each span between two successive reports, whether positions may be compared with the
    reports there: they agree with their own positions (span_agrees) and are no frozen hold
    (frozen_reports); and the frozen reports."""
    agreement = [span_agrees(a, b) for a, b in zip(reports, reports[1:])]
    frozen = frozen_reports(reports, [jump for _, jump in agreement])
    return [agree and not (i in frozen and i + 1 in frozen) for i, (agree, _) in enumerate(agreement)], frozen


class Flight:
    """One flight's reports (one hexid), in time order, and where they may be compared."""

    def __init__(self, callsign, hexid, reports):
        self.callsign, self.hexid = callsign, hexid
        self.points = sorted(reports)
        self.times = [r.t for r in self.points]
        self.usable, self.frozen = usable_spans(self.points)
        self.unusable_before = [0]  # unusable spans before each span
        for ok in self.usable:
            self.unusable_before.append(self.unusable_before[-1] + (not ok))

    def span(self, t):
        """The span around time t (index of its first report), or None outside the reports."""
        i = bisect.bisect_right(self.times, t) - 1
        return i if 0 <= i < len(self.points) - 1 else None

    def airborne(self, t):
        """Both reports around time t airborne (however far apart), False outside."""
        i = self.span(t)
        return i is not None and not self.points[i].ground and not self.points[i + 1].ground

    def at(self, t):
        """The reports interpolated at time t where the span there is usable, else None."""
        i = self.span(t)
        if i is None or not self.usable[i]:
            return None
        a, b = self.points[i], self.points[i + 1]
        f = (t - a.t) / (b.t - a.t)
        return Reported(a.lat + f * (b.lat - a.lat), a.lon + f * (b.lon - a.lon), a.alt + f * (b.alt - a.alt),
                        a.speed + f * (b.speed - a.speed), not a.ground and not b.ground, a.ground and b.ground, i)

    def usable_between(self, i, j):
        return self.unusable_before[j + 1] - self.unusable_before[i] == 0


def flight_of(obj, flights):
    """The flight an AI object shows: of the flights with its tail's callsign, the one whose report
    nearest its creation in time lies nearest the place where it was created; the one of its hexid
    where the track tells it (two flights may send their type as their callsign)."""
    candidates = flights.get(obj["tail"], [])
    candidates = [f for f in candidates if f.hexid == obj.get("hexid")] or candidates
    if len(candidates) < 2:
        return candidates[0] if candidates else None

    def apart(flight):
        i = min(bisect.bisect_left(flight.times, obj["created"]), len(flight.times) - 1)
        near = min((k for k in (i - 1, i) if k >= 0), key=lambda k: abs(flight.times[k] - obj["created"]))
        p = flight.points[near]
        return metres((p.lat, p.lon), obj["at"]) + 1000.0 * abs(p.t - obj["created"])

    return min(candidates, key=apart)


class Shown:
    """An object's positions sent to the simulator and the reports at their delayed times, and the
    ground the simulator reported under each (None where the track does not say)."""

    def __init__(self, obj_id, obj, flight, positions, delay, grounds=None):
        self.obj_id, self.obj, self.flight = obj_id, obj, flight
        self.positions = positions  # (t, lat, lon, alt, heading)
        self.grounds = grounds or [None] * len(positions)
        self.times = [p[0] for p in positions]
        self.delay = delay
        self.reported = [flight.at(t - delay) for t in self.times]

    def ground(self, k, elevation):
        """The ground under position k: as the simulator reported it, else the airport's elevation."""
        return elevation if self.grounds[k] is None else self.grounds[k]

    def later(self, k, seconds):
        """The first position at least `seconds` after position k, or None (none, or a gap past
        twice that)."""
        j = bisect.bisect_left(self.times, self.times[k] + seconds, k + 1)
        if j == len(self.times) or self.times[j] - self.times[k] > 2.0 * seconds:
            return None
        return j

    def way(self, k, j):
        return metres(self.positions[k][1:3], self.positions[j][1:3])


class Motion:
    """An object's shown motion: per position k the speed over the ground (kt) over the
    MOTION_SECONDS (2 s) from it, the heading's turn (degrees a second, signed) over them, the
    position where they end (or None), and whether it is shown in the air (more than AIR_FEET
    (50 ft) above the airport's elevation)."""

    def __init__(self, s, elevation):
        self.shown = s
        positions, n = s.positions, len(s.positions)
        turned = [0.0] * n  # the heading turned since the first position, unwrapped
        for k in range(1, n):
            turned[k] = turned[k - 1] + (positions[k][4] - positions[k - 1][4] + 180.0) % 360.0 - 180.0
        self.end, self.speed, self.turn = [None] * n, [0.0] * n, [0.0] * n
        self.air = [p[3] > elevation + AIR_FEET for p in positions]
        for k in range(n):
            j = s.later(k, MOTION_SECONDS)
            if j is not None:
                dt = s.times[j] - s.times[k]
                self.end[k], self.speed[k], self.turn[k] = j, s.way(k, j) / dt / KNOT, (turned[j] - turned[k]) / dt

    def change(self, k):
        """(the speed over the 2 s after the 2 s from position k less the speed over those, the
        same in kt a second), or None where the shown positions do not span both."""
        j = self.end[k]
        if j is None or self.end[j] is None:
            return None
        l, times = self.end[j], self.shown.times
        step = self.speed[j] - self.speed[k]
        return step, 2.0 * step / (times[l] - times[k])

    def swing_judged(self, k):
        return self.end[k] is not None and self.air[k] and self.speed[k] > SWING_KNOTS


def swing_limit(knots):
    """Degrees a second a heading may turn at this speed: a 35 degree bank's rate, at least 4."""
    return max(SWING_BANK_RATE / knots, SWING_LEAST_RATE)


def phase_windows(flight):
    """(start, end, phase on the ground, phase in the air) by the reports' times: each take-off,
    from the start of its roll (take_off_window) to CLIMB_SECONDS (60 s) after the lift-off
    report, is a take-off roll on the ground and a first climb in the air; each landing (an
    airborne report followed by a ground one, either at LIFT_OFF_KNOTS (40 kt) or more), from
    APPROACH_SECONDS (120 s) before the first ground report to the first later ground report at
    ROLL_START_KNOTS (30 kt) or less (at most ROLL_OUT_LONGEST (90 s) on), an approach in the air
    and a roll-out on the ground."""
    windows, points = [], flight.points
    for i, (a, b) in enumerate(zip(points, points[1:])):
        if max(a.speed, b.speed) < LIFT_OFF_KNOTS or a.ground == b.ground:
            continue
        if a.ground:
            windows.append(take_off_window(flight, i) + ("take-off roll", "first climb"))
        else:
            end = next((p.t for p in points[i + 1:] if not p.ground or p.speed <= ROLL_START_KNOTS
                        or p.t > b.t + ROLL_OUT_LONGEST), b.t + ROLL_OUT_LONGEST)
            windows.append((b.t - APPROACH_SECONDS, min(end, b.t + ROLL_OUT_LONGEST), "roll-out", "approach"))
    return windows


def phase(motion, windows, k):
    """The phase of position k: that of a take-off or landing window (phase_windows) its delayed time
    falls in, on the ground or in the air as it is shown; else taxi on the ground, air in the air."""
    s = motion.shown
    t = s.times[k] - s.delay
    air = motion.air[k]
    return next((in_air if air else on_ground for start, end, on_ground, in_air in windows if start <= t <= end),
                "air" if air else "taxi")


def shown_motion(shown, elevation):
    """What the aircraft does, judged over every position sent: lurches (the speed over the ground
    over MOTION_SECONDS (2 s) against the next 2 s more than LURCH_KNOTS (20 kt) and LURCH_SHARE
    (15 %) of the faster apart, the faster at LURCH_SLOWEST (5 kt) or more; judged: the positions
    whose 4 s are shown), swings (in the air above SWING_KNOTS (60 kt), the heading turning over
    2 s faster than swing_limit), and per phase (phase) the greatest acceleration and
    deceleration (kt a second, over the 2 s against the next 2 s) and, in the air above 60 kt,
    the greatest turn rate, each as (value, object, time). Returns (lurches, swings, the phases
    of the lurches' episodes, {phase: {"acceleration": ..., "deceleration": ...}, "turn": ...})."""
    lurches, swings = Tally(), Tally()
    greatest = {name: {"acceleration": None, "deceleration": None} for name in PHASES}
    turn, judged = None, {}
    for s in shown:
        motion, windows = Motion(s, elevation), phase_windows(s.flight)
        judged[s.obj_id] = motion, windows
        for k, t in enumerate(s.times):
            change = motion.change(k)
            if change is not None:
                step, rate = change  # a change below 0.05 kt a second is none
                faster = max(motion.speed[k], motion.speed[motion.end[k]])
                lurches.add(s.obj_id, t, faster >= LURCH_SLOWEST and abs(step) > max(LURCH_KNOTS, LURCH_SHARE * faster))
                held = greatest[phase(motion, windows, k)]
                key = "acceleration" if rate > 0 else "deceleration"
                if abs(rate) >= 0.05 and (held[key] is None or abs(rate) > abs(held[key][0])):
                    held[key] = (rate, s.obj_id, t)
            if motion.swing_judged(k):
                rate = abs(motion.turn[k])
                swings.add(s.obj_id, t, rate > swing_limit(motion.speed[k]))
                if turn is None or rate > turn[0]:
                    turn = (rate, s.obj_id, t, motion.speed[k])
    lurch_phases = [phase(*judged[key], bisect.bisect_left(judged[key][0].shown.times, first))
                    for key, first, _ in lurches.runs()]
    greatest["turn"] = turn
    return lurches, swings, lurch_phases, greatest


class Tally:
    """Positions judged and flagged per object, and the episodes they make."""

    def __init__(self):
        self.judged = 0
        self.flagged = collections.defaultdict(list)

    def add(self, obj_id, t, flagged):
        self.judged += 1
        if flagged:
            self.flagged[obj_id].append(t)

    def count(self):
        return sum(len(times) for times in self.flagged.values())

    def share(self):
        return 100.0 * self.count() / self.judged if self.judged else 0.0

    def runs(self):
        """(key, first time, last time) of each episode."""
        found = []
        for key, times in self.flagged.items():
            start = last = times[0]
            for t in times[1:] + [math.inf]:
                if t - last > EPISODE_JOIN:
                    if last - start >= EPISODE_LEAST:
                        found.append((key, start, last))
                    start = t
                last = t
        return found

    def episodes(self):
        return len(self.runs())


def heading_off_course(shown):
    """Heading more than OFF_COURSE (30) degrees off the course in the air: of the positions whose
    reports around the delayed time are both airborne (a span of any length) and that move
    COURSE_METRES (20 m) within COURSE_SECONDS (10 s), those whose heading is more than 30 degrees
    off the bearing to the first position that far on: the nose is not where the aircraft goes.
    The shown motion alone is judged: a feed fault that the program follows sideways counts too."""
    tally = Tally()
    for s in shown:
        positions = s.positions
        for k, (t, lat, lon, _, heading) in enumerate(positions):
            if not s.flight.airborne(t - s.delay):
                continue
            for j in range(k + 1, len(positions)):
                t2, lat2, lon2 = positions[j][:3]
                if t2 - t > COURSE_SECONDS:
                    break
                if metres((lat, lon), (lat2, lon2)) >= COURSE_METRES:
                    tally.add(s.obj_id, t, angle_between(bearing((lat, lon), (lat2, lon2)), heading) > OFF_COURSE)
                    break
    return tally


def flown(flight, t):
    """The speed (kt) the flight's reports' positions move at about time t: along them from the last
    report FLOWN_SECONDS / 2 (10 s) or more before it to the first as long after, or None where
    the reports do not reach so far or those two lie more than FLOWN_SECONDS plus twice LONGEST_GAP
    (50 s) apart."""
    i = bisect.bisect_right(flight.times, t - FLOWN_SECONDS / 2.0) - 1
    j = bisect.bisect_left(flight.times, t + FLOWN_SECONDS / 2.0)
    if i < 0 or j == len(flight.times) or flight.times[j] - flight.times[i] > FLOWN_SECONDS + 2.0 * LONGEST_GAP:
        return None
    near = flight.points[i:j + 1]
    return sum(metres((a.lat, a.lon), (b.lat, b.lon)) for a, b in zip(near, near[1:])) / (near[-1].t - near[0].t) / KNOT


def speed_off(shown):
    """Speed more than SPEED_OFF (30 %) off the reported speed in the air: the shown speed (the way
    from a position to the first one SPEED_SECONDS (2 s) or more later, over the time between)
    against the reported speed interpolated at the delayed time, where the span there is usable,
    both reports airborne, the reported speed SLOWEST_COMPARED (30 kt) or more, and within
    SPEED_AGREE (30 %) of the speed the reports' positions move at about then (flown): where the
    feed's speed and its positions disagree, the program follows the positions, and is not wrong."""
    tally = Tally()
    for s in shown:
        for k, r in enumerate(s.reported):
            if r is None or not r.air or r.speed < SLOWEST_COMPARED:
                continue
            moving = flown(s.flight, s.times[k] - s.delay)
            j = s.later(k, SPEED_SECONDS)
            if j is not None and moving is not None and abs(moving - r.speed) <= SPEED_AGREE * max(moving, r.speed):
                speed = s.way(k, j) / (s.times[j] - s.times[k]) / KNOT
                tally.add(s.obj_id, s.times[k], abs(speed - r.speed) > SPEED_OFF * r.speed)
    return tally


def altitude_off(shown, elevation):
    """In the air (both reports airborne, the span usable), against the reported altitude
    interpolated at the delayed time: positions more than ALTITUDE_OFF (300 ft) from it, and
    balloons: positions BALLOON_FEET (200 ft) or more above it, or above the airport's elevation
    where it lies below that (no aircraft in the air is shown below the ground: a pressure altitude
    there is the feed's), while it is below BALLOON_BELOW (1,500 ft) above the airport's elevation
    (judged: the positions below that). Two tallies."""
    off, balloons = Tally(), Tally()
    for s in shown:
        for k, r in enumerate(s.reported):
            if r is None or not r.air:
                continue
            t, above = s.times[k], s.positions[k][3] - r.alt
            off.add(s.obj_id, t, abs(above) > ALTITUDE_OFF)
            if r.alt < elevation + BALLOON_BELOW:
                balloons.add(s.obj_id, t, s.positions[k][3] - max(r.alt, elevation) >= BALLOON_FEET)
    return off, balloons


def underground(shown, elevation):
    """Below the ground: positions below the ground the simulator reported under them (the track's
    ground, Shown.ground) by more than UNDERGROUND_AIR_FEET (5 ft) where both reports around the
    delayed time (a span of any length) are airborne (the simulator holds no flying aircraft on the
    ground), else by more than UNDERGROUND_FEET (50 ft). Where the track does not give the ground,
    the airport's elevation stands for it, which is not the ground everywhere: there the positions
    must lie as far below the reports around too (a ground report counts at the elevation), so that
    a report below the elevation (lower ground, or the feed's) that the object follows does not
    count. Judged: every position with reports around."""
    tally = Tally()
    for s in shown:
        for k, (t, _, _, alt, _) in enumerate(s.positions):
            i = s.flight.span(t - s.delay)
            if i is None:
                continue
            around = s.flight.points[i:i + 2]
            ground = s.grounds[k]
            if ground is None:
                ground = min([elevation] + [p.alt for p in around if not p.ground])
            flying = not any(p.ground for p in around)
            tally.add(s.obj_id, t, alt < ground - (UNDERGROUND_AIR_FEET if flying else UNDERGROUND_FEET))
    return tally


def reports_taxi(flight, t):
    """Whether the flight's reports around time t are both on the ground slower than LIFT_OFF_KNOTS
    (40 kt) and none of its reports within TAXI_TAKE_OFF_SECONDS (30 s) of it is airborne or at
    40 kt or more (a take-off roll)."""
    i = flight.span(t)
    if i is None:
        return False
    near = flight.points[bisect.bisect_left(flight.times, t - TAXI_TAKE_OFF_SECONDS):
                         bisect.bisect_right(flight.times, t + TAXI_TAKE_OFF_SECONDS)]
    return all(p.ground and p.speed < LIFT_OFF_KNOTS for p in flight.points[i:i + 2] + near)


def taxi_take_offs(shown, elevation):
    """Take-offs shown where the reports taxi: an object leaves the ground (from a position at most
    SHOWN_GROUND_FEET (25 ft) above the ground under it (Shown.ground) it climbs, without coming
    down to that again, to more than AIR_FEET (50 ft) above it) while its reports at the delayed time
    of its last position on the ground taxi (reports_taxi). [(object, time of that position)]."""
    found = []
    for s in shown:
        left = None  # the last position on the ground, while the object has not climbed since
        for k, (t, _, _, alt, _) in enumerate(s.positions):
            height = alt - s.ground(k, elevation)
            if height <= SHOWN_GROUND_FEET:
                left = t
            elif height > AIR_FEET and left is not None:
                if reports_taxi(s.flight, left - s.delay):
                    found.append((s.obj_id, left))
                left = None
    return found


def standing_still(shown):
    """Standing still while reported moving: positions from which the object moves less than
    STILL_METRES (20 m) in the next STILL_SECONDS (20 s) while its reports, usable all through
    those delayed 20 s, move faster than MOVING_KNOTS (30 kt) on average. Judged: the positions
    whose delayed 20 s are usable. Reports that hold their position while their speed says they
    move are not usable: an object shown still there is right."""
    tally = Tally()
    for s in shown:
        for k, r in enumerate(s.reported):
            if r is None:
                continue
            j = s.later(k, STILL_SECONDS)
            end = s.flight.at(s.times[k] + STILL_SECONDS - s.delay) if j is not None else None
            if end is None or not s.flight.usable_between(r.span, end.span):
                continue
            reported_way = metres((r.lat, r.lon), (end.lat, end.lon))
            tally.add(s.obj_id, s.times[k],
                      reported_way > MOVING_KNOTS * KNOT * STILL_SECONDS and s.way(k, j) < STILL_METRES)
    return tally


def roaming(shown):
    """Roaming while reported standing: positions from which the object moves on farther than
    ROAM_METRES (100 m, counted along its positions) in the next STILL_SECONDS (20 s) while every
    report around those delayed 20 s is on the ground and slower than STANDING_KNOTS (5 kt), none of
    them a hold the feed froze. A push back is slower; the feed's positions of a standing aircraft
    wander tens of metres."""
    tally = Tally()
    for s in shown:
        along = [0.0]
        for a, b in zip(s.positions, s.positions[1:]):
            along.append(along[-1] + metres(a[1:3], b[1:3]))
        for k, t in enumerate(s.times):
            j = s.later(k, STILL_SECONDS)
            first, last = s.flight.span(t - s.delay), s.flight.span(t + STILL_SECONDS - s.delay)
            if j is None or first is None or last is None or any(i in s.flight.frozen for i in range(first, last + 1)):
                continue
            if all(p.ground and p.speed < STANDING_KNOTS for p in s.flight.points[first:last + 2]):
                tally.add(s.obj_id, t, along[j] - along[k] > ROAM_METRES)
    return tally


def against_heading(shown, stands):
    """Moving against the heading on the ground: of the positions whose reports around the delayed
    time are both on the ground and that move GROUND_COURSE_METRES (5 m) or more in the next
    GROUND_COURSE_SECONDS (3 s), those whose course is more than AGAINST (90) degrees off the
    heading, unless it is a push back: no faster than PUSH_KNOTS (8 kt) and within PUSH_METRES
    (150 m) of a stand (of any stand when none are known). The shown motion alone is judged."""
    tally = Tally()
    for s in shown:
        for k, (t, lat, lon, _, heading) in enumerate(s.positions):
            i = s.flight.span(t - s.delay)
            if i is None or not (s.flight.points[i].ground and s.flight.points[i + 1].ground):
                continue
            j = s.later(k, GROUND_COURSE_SECONDS)
            if j is None or s.way(k, j) < GROUND_COURSE_METRES:
                continue
            backwards = angle_between(bearing((lat, lon), s.positions[j][1:3]), heading) > AGAINST
            if backwards and s.way(k, j) / (s.times[j] - t) / KNOT <= PUSH_KNOTS:
                backwards = bool(stands) and min(metres((lat, lon), st) for st in stands) > PUSH_METRES
            tally.add(s.obj_id, t, backwards)
    return tally


def recreated(shown_objects, delay, user=None, radius_nm=None):
    """Objects removed and created again: an object removed and the next object of the same flight
    (callsign and hexid) created after it, while the flight's fresh reports went on without a gap
    of REPORT_GAP (30 s) from REPORT_GAP s before the delayed time of the removal until the
    creation, and all reports of that time lay within the radius of the user (when known). A fresh
    report is at a position other than the one before it, or at the same one slower than
    STANDING_KNOTS (5 kt): the same position sent again while the speed says the aircraft moves is
    none. (object removed, object created) pairs."""
    by_flight = collections.defaultdict(list)
    for s in shown_objects:
        by_flight[id(s.flight)].append(s)
    pairs = []
    for objects in by_flight.values():
        objects.sort(key=lambda s: s.obj["created"])
        fresh = [p.t for p, q in zip(objects[0].flight.points[1:], objects[0].flight.points)
                 if (p.lat, p.lon) != (q.lat, q.lon) or p.speed < STANDING_KNOTS]
        for gone, again in zip(objects, objects[1:]):
            removed = gone.obj["removed"]
            if removed is None or again.obj["created"] < removed:
                continue
            start, end = removed - delay - REPORT_GAP, again.obj["created"]
            times = [start] + [t for t in fresh if start < t <= end] + [end]
            if max(b - a for a, b in zip(times, times[1:])) >= REPORT_GAP:
                continue
            if user is not None and any(metres(user, (p.lat, p.lon)) > radius_nm * 1852.0
                                        for p in gone.flight.points if start <= p.t <= end):
                continue
            pairs.append((gone.obj_id, again.obj_id))
    return pairs


def at_closing(removed, closing):
    """Whether a removal came as the program closed its link to the simulator: at most
    CLOSING_SECONDS (10 s) before one of the times in `closing`. It takes its aircraft along."""
    return any(c - CLOSING_SECONDS <= removed <= c for c in closing)


def absences(shown_objects, delay, user=None, radius_nm=None, reasons=None, closing=()):
    """Flights gone from the simulator while their reports went on: an object removed while a fresh
    report of its flight within the radius (of the user, when known) falls due (delay after it was
    sent) within REPORT_GAP (30 s) after the removal. The absence lasts until the flight's next
    object is created or its fresh reports within the radius stop (a gap of REPORT_GAP). A fresh
    report is at a position other than the one before it, or at the same one slower than
    STANDING_KNOTS. The reason is the program's, from its log: the callsign's removals in their
    order. A flight is its hex id: given a new callsign, the aircraft is the same. A removal as the
    program closes its link (at_closing) is none.
    [(object id, callsign, removed, seconds, reason)]."""
    by_hexid = collections.defaultdict(list)
    for s in shown_objects:
        by_hexid[s.flight.hexid].append(s)
    found = []
    told = {callsign: list(said) for callsign, said in (reasons or {}).items()}
    for objects in by_hexid.values():
        objects.sort(key=lambda s: s.obj["created"])
        flights = {id(s.flight): s.flight for s in objects}.values()
        points = sorted(p for f in flights for p in f.points)
        due = [p.t + delay for p, q in zip(points[1:], points)
               if ((p.lat, p.lon) != (q.lat, q.lon) or p.speed < STANDING_KNOTS)
               and (user is None or metres(user, (p.lat, p.lon)) <= radius_nm * 1852.0)]
        for k, gone in enumerate(objects):
            removed = gone.obj["removed"]
            if removed is None:
                continue
            said = told.get(gone.obj["tail"], [])
            reason = said.pop(0) if said else "?"
            if at_closing(removed, closing):
                continue
            again = next((s.obj["created"] for s in objects[k + 1:] if s.obj["created"] >= removed), math.inf)
            i = bisect.bisect_right(due, removed)
            if i == len(due) or due[i] > removed + REPORT_GAP:
                continue
            end = due[i]
            while i < len(due) and due[i] - end < REPORT_GAP and due[i] < again:
                end = due[i]
                i += 1
            found.append((gone.obj_id, gone.obj["tail"], removed, (again if again - end < REPORT_GAP else end) - removed,
                          reason))
    return found


def removed_soon(objects, seconds=30.0, closing=()):
    """Objects (live or static) removed within `seconds` of their creation, but as the program closes
    its link (at_closing): [(tail, created, lived)]."""
    return [(o["tail"], o["created"], o["removed"] - o["created"]) for o in objects
            if o["removed"] is not None and o["removed"] - o["created"] < seconds
            and not at_closing(o["removed"], closing)]


def take_off_window(flight, i):
    """(start, end) by the reports' times of the take-off whose lift-off lies between reports i
    and i + 1: from the last ground report at ROLL_START_KNOTS (30 kt) or less before it that is
    not frozen (at most ROLL_LONGEST (90 s) before the lift-off report) to CLIMB_SECONDS (60 s)
    after the lift-off report."""
    points, b = flight.points, flight.points[i + 1]
    roll = next((p.t for n, p in reversed(list(enumerate(points[:i + 1]))) if n not in flight.frozen and
                 (not p.ground or p.speed <= ROLL_START_KNOTS or p.t < b.t - ROLL_LONGEST)), points[i].t)
    return max(roll, b.t - ROLL_LONGEST), b.t + CLIMB_SECONDS


def take_offs(shown):
    """The take-off roll and the first minute of climb: for each lift-off of a flight (a ground
    report followed by an airborne one, either at LIFT_OFF_KNOTS (40 kt) or more), the window from
    the last ground report at ROLL_START_KNOTS (30 kt) or less before it that is not frozen (at most
    ROLL_LONGEST (90 s) before it) to CLIMB_SECONDS (60 s) after the lift-off report. For each position of an
    object of the flight whose delayed time falls in the window (the span there usable): its
    distance from the reported position and, in the climb, its altitude's from the reported one.
    Returns (take-offs seen, take-offs shown, distances, climb altitude differences, a Tally of the
    positions more than TAKE_OFF_OFF (300 m) off, kept per take-off: a take-off is off when it has
    an episode, and each position's (metres, seconds of the reported speed, object, time))."""
    by_flight = collections.defaultdict(list)
    for s in shown:
        by_flight[id(s.flight)].append(s)
    seen = shown_count = 0
    distances, heights, tally, timed = [], [], Tally(), []
    for objects in by_flight.values():
        flight = objects[0].flight
        points = flight.points
        for i, (a, b) in enumerate(zip(points, points[1:])):
            if not (a.ground and not b.ground and max(a.speed, b.speed) >= LIFT_OFF_KNOTS):
                continue
            seen += 1
            start, end = take_off_window(flight, i)
            judged_before = tally.judged
            for s in objects:
                first = bisect.bisect_left(s.times, start + s.delay)
                last = bisect.bisect_right(s.times, end + s.delay)
                for k in range(first, last):
                    r = s.reported[k]
                    if r is None:
                        continue
                    t, lat, lon, alt, _ = s.positions[k]
                    d = metres((lat, lon), (r.lat, r.lon))
                    distances.append(d)
                    timed.append((d, d / (max(r.speed, SLOWEST_TIMED) * KNOT), s.obj_id, t))
                    if t - s.delay > b.t:
                        heights.append(abs(alt - r.alt))
                    tally.add((s.obj_id, i), t, d > TAKE_OFF_OFF)
            shown_count += tally.judged > judged_before
    return seen, shown_count, distances, heights, tally, timed


def in_the_air(shown):
    """Each position whose reports around its delayed time are both airborne, where the span there
    is usable (usable_spans: a feed fault tells not where the aircraft was), as (metres from the
    reported position there, the same in seconds of the reported speed (at least SLOWEST_TIMED,
    30 kt), object, time): how far from where its reports put it the aircraft is shown, in place and
    in time."""
    found = []
    for s in shown:
        for (t, lat, lon, _, _), r in zip(s.positions, s.reported):
            if r is not None and r.air:
                d = metres((lat, lon), (r.lat, r.lon))
                found.append((d, d / (max(r.speed, SLOWEST_TIMED) * KNOT), s.obj_id, t))
    return found


def behind_lines(key, label, timed, callsign, start):
    """The figures and summary lines of distances from the delayed reports (in_the_air, take_offs):
    median and p95 in metres and in seconds, the share beyond BEHIND_SECONDS (15 s) and the flight
    that holds the worst."""
    f, bench = {}, []
    if not timed:
        return f, [f"  {label + ':':32} no positions"], bench
    metres_off, seconds_off = [x[0] for x in timed], [x[1] for x in timed]
    worst = max(timed, key=lambda x: x[1])
    beyond = 100.0 * sum(x > BEHIND_SECONDS for x in seconds_off) / len(timed)
    f[f"{key} median m"], f[f"{key} p95 m"] = percentile(metres_off, 50), percentile(metres_off, 95)
    f[f"{key} median s"], f[f"{key} p95 s"] = percentile(seconds_off, 50), percentile(seconds_off, 95)
    f[f"{key} beyond 15 s %"] = beyond
    when = worst[3] - start
    f[f"{key} worst"] = [callsign[worst[2]], round(when, 1), round(worst[0], 1), round(worst[1], 1)]
    lines = [f"  {label + ':':32} median {f[f'{key} median m']:.0f} m ({f[f'{key} median s']:.1f} s), p95"
             f" {f[f'{key} p95 m']:.0f} m ({f[f'{key} p95 s']:.1f} s) from the reports, {beyond:.2f} % beyond"
             f" {BEHIND_SECONDS:g} s of their speed (goal under 1 %); worst {callsign[worst[2]]} at"
             f" {int(when // 60)}:{int(when % 60):02d}, {worst[0]:.0f} m ({worst[1]:.0f} s)"]
    bench += [[f"{label}, median", f[f"{key} median m"], "m", 0], [f"{label}, p95", f[f"{key} p95 m"], "m", 0],
              [f"{label}, p95 in seconds", f[f"{key} p95 s"], "s of the reported speed", 1],
              [f"{label}, beyond 15 s", beyond, "% (goal under 1)", 2]]
    return f, lines, bench


def off_track(points, lat, lon):
    """Metres from a position to the nearest leg of the reported track (flat near the position)."""
    east = math.cos(math.radians(lat)) * 111320.0
    nearest = float("inf")
    for (_, la0, lo0, *_), (_, la1, lo1, *_) in zip(points, points[1:]):
        ax, ay = (lo0 - lon) * east, (la0 - lat) * 111320.0
        dx, dy = (lo1 - lo0) * east, (la1 - la0) * 111320.0
        length = dx * dx + dy * dy
        f = max(0.0, min(1.0, -(ax * dx + ay * dy) / length)) if length > 0 else 0.0
        nearest = min(nearest, math.hypot(ax + f * dx, ay + f * dy))
    return nearest


def touch_downs(shown, elevation):
    """Each arrival shown as [object, delayed time of its first ground report, metres]: an airborne
    report at LIFT_OFF_KNOTS (40 kt) or more followed by a ground report, the way between them not
    off their tracks (off_their_tracks: then they tell not where it touched down), the object shown
    at the delayed time of the airborne one. The metres lie from the shown touch-down to the reports'
    way from the last airborne report to the first ground report, where they put the touch-down
    (their altitudes are pressure altitudes and tell not where on that way it lies). The shown
    touch-down is the first position from APPROACH_SECONDS (120 s) before the first ground report to
    TOUCH_DOWN_AFTER (90 s) after it (or to the object's removal) within GROUND_FEET (1 ft) of the
    lowest of them, that lowest at most AIR_FEET (50 ft) above the airport; none (metres None) when
    the shown aircraft stays up or goes before it is down."""
    found = []
    for s in shown:
        points, removed = s.flight.points, s.obj["removed"]
        for a, b in zip(points, points[1:]):
            if a.ground or not b.ground or a.speed < LIFT_OFF_KNOTS or off_their_tracks(a, b):
                continue
            if s.obj["created"] > a.t + s.delay:
                continue
            if removed is not None and removed < a.t + s.delay:
                continue
            first = bisect.bisect_left(s.times, b.t - APPROACH_SECONDS + s.delay)
            window = s.positions[first:bisect.bisect_right(s.times, b.t + TOUCH_DOWN_AFTER + s.delay)]
            lowest = min((p[3] for p in window), default=math.inf)
            down = next((p for p in window if p[3] <= lowest + GROUND_FEET), None)
            metres_off = off_track([a, b], down[1], down[2]) if down and lowest <= elevation + AIR_FEET else None
            found.append([s.obj_id, b.t, metres_off])
    return found


def fitted_delay(shown, every=20):
    """The delay at which every 20th position sent in the air lies nearest its reports (the median
    distance, spans of at most LONGEST_GAP): how far behind its reports the program really shows
    an aircraft, by the clock. Its ticks run late under load, so that is a little more than its
    PROGRAM_DELAY; the figures compare at the delay a watcher's eye would allow for."""
    samples = [(s.flight, p[0], p[1], p[2]) for s in shown for k, p in enumerate(s.positions)
               if k % every == 0 and s.flight.airborne(p[0] - s.delay)]
    best, best_median = None, math.inf
    for lag in FIT_LAGS:
        distances = []
        for flight, t, lat, lon in samples:
            i = flight.span(t - lag)
            if i is None or flight.times[i + 1] - flight.times[i] > LONGEST_GAP:
                continue
            a, b = flight.points[i], flight.points[i + 1]
            f = (t - lag - a.t) / (b.t - a.t)
            distances.append(metres((lat, lon), (a.lat + f * (b.lat - a.lat), a.lon + f * (b.lon - a.lon))))
        if distances and percentile(distances, 50) < best_median:
            best, best_median = lag, percentile(distances, 50)
    return best


def motion_table(greatest, callsign, start):
    """The lines of the greatest acceleration and deceleration per phase and the greatest turn rate
    in the air (shown_motion), each with its flight and time (minutes after the first position
    sent)."""
    def held(value):
        if value is None:
            return f"{'-':>31}"
        t = value[2] - start
        return f"{value[0]:+7.1f} kt/s {callsign[value[1]]:>9} at {int(t // 60):2d}:{int(t % 60):02d}"

    lines = [f"  {'motion by phase:':32} the speed over {MOTION_SECONDS:g} s against the next {MOTION_SECONDS:g} s"
             " (minutes:seconds after the first position sent)",
             f"    {'phase':14} {'greatest acceleration':>31} {'greatest deceleration':>31}"]
    lines += [f"    {name:14} {held(greatest[name]['acceleration'])} {held(greatest[name]['deceleration'])}"
              for name in PHASES]
    turn = greatest["turn"]
    if turn is not None:
        t = turn[2] - start
        lines.append(f"    {'turn in the air':14} {turn[0]:7.1f} degrees a second at {turn[3]:.0f} kt (limit"
                     f" {swing_limit(turn[3]):.1f}), {callsign[turn[1]]} at {int(t // 60)}:{int(t % 60):02d}")
    return lines


def watch(shown, delay, elevation, stands=(), user=None, radius_nm=None, park_removals=None, fitted=False,
          reasons=None, objects=(), closing=()):
    """Every figure: (the figures by name, the summary's lines, the bench figures). The episodes of
    each figure are listed in the figures by name: [callsign, first, last] (seconds after the first
    position sent). `closing`: the times the program closed its link to the simulator."""
    f, lines, bench = {"episodes": {}}, [], []
    start = min((s.times[0] for s in shown if s.times), default=0.0)
    callsign = {s.obj_id: s.obj["tail"] for s in shown}

    def tally_line(key, label, tally, what, goal, episode_goal=None):
        f[f"{key} %"], f[f"{key} episodes"], f[f"{key} judged"] = tally.share(), tally.episodes(), tally.judged
        f["episodes"][key] = [[callsign[k if k in callsign else k[0]], round(a - start, 1), round(b - start, 1)]
                              for k, a, b in tally.runs()]
        lines.append(f"  {label + ':':32} {tally.episodes()} episode{'' if tally.episodes() == 1 else 's'},"
                     f" {tally.share():.1f} % of {tally.judged} positions {what} ({goal})")
        if episode_goal is None:
            bench.append([f"{label}", tally.share(), f"% ({goal})", 1])
            bench.append([f"{label}, episodes", tally.episodes(), "", 0])
        else:
            bench.append([f"{label}, episodes", tally.episodes(), f"({episode_goal})", 0])
            bench.append([f"{label}", tally.share(), "% of positions", 2])

    lines.append(f"watcher:            each position sent against its flight's reports {delay:g} s before it"
                 + (f" (as they fit best; the program's own delay is {PROGRAM_DELAY:g} s of its ticks)" if fitted else ""))
    tally_line("heading off course", "heading off course in the air", heading_off_course(shown),
               f"that move are more than {OFF_COURSE:g} degrees off their course", "goal under 2 %")
    tally_line("speed off in the air", "speed off in the air", speed_off(shown),
               f"are more than {100 * SPEED_OFF:g} % off the reported speed", "goal under 3 %")
    off, balloons = altitude_off(shown, elevation)
    tally_line("altitude off", "altitude off in the air", off,
               f"are more than {ALTITUDE_OFF:g} ft from the reported altitude", "goal under 5 %")
    tally_line("balloons", "balloons", balloons,
               f"below {BALLOON_BELOW:g} ft above the airport are {BALLOON_FEET:g} ft or more above the reports",
               "goal 0", "goal 0")
    tally_line("underground", "below the ground", underground(shown, elevation),
               f"are more than {UNDERGROUND_FEET:g} ft ({UNDERGROUND_AIR_FEET:g} ft where the reports fly) below the"
               " ground the simulator reports (else the elevation and the reports)", "goal 0", "goal 0")
    taxiing = taxi_take_offs(shown, elevation)
    f["take-offs where the reports taxi"] = len(taxiing)
    f["episodes"]["take-offs where the reports taxi"] = [[callsign[k], round(t - start, 1)] for k, t in taxiing]
    lines.append(f"  {'take-offs where the reports taxi:':32} {len(taxiing)} (goal 0): shown leaving the ground while"
                 f" the reports taxi below {LIFT_OFF_KNOTS:g} kt, none airborne or faster within"
                 f" {TAXI_TAKE_OFF_SECONDS:g} s" + "".join(f"\n  {'':32} {callsign[k]} at {int((t - start) // 60)}:"
                                                        f"{int((t - start) % 60):02d}" for k, t in taxiing))
    bench.append(["take-offs where the reports taxi", len(taxiing), "(goal 0)", 0])
    tally_line("standing still", "standing still", standing_still(shown),
               f"stand still for {STILL_SECONDS:g} s while reported moving faster than {MOVING_KNOTS:g} kt",
               "goal 0", "goal 0")
    tally_line("roaming", "roaming while standing", roaming(shown),
               f"reported standing move on more than {ROAM_METRES:g} m in {STILL_SECONDS:g} s", "goal 0", "goal 0")
    tally_line("against heading", "against the heading", against_heading(shown, stands),
               "that move on the ground move against their heading (no push back)", "goal 0", "goal 0")
    lurches, swings, lurch_phases, greatest = shown_motion(shown, elevation)
    tally_line("lurches", "lurches", lurches,
               f"change their speed over {MOTION_SECONDS:g} s from the {MOTION_SECONDS:g} s before by more than"
               f" {LURCH_KNOTS:g} kt and {100 * LURCH_SHARE:g} %", "goal 0", "goal 0")
    by_phase = collections.Counter(lurch_phases)
    if by_phase:
        lines.append(f"  {'':32} lurches by phase: " + ", ".join(f"{name} {by_phase[name]}" for name in PHASES
                                                                    if by_phase[name]))
    tally_line("swings", "swings", swings,
               f"in the air above {SWING_KNOTS:g} kt turn their heading over {MOTION_SECONDS:g} s faster than a 35"
               f" degree bank ({SWING_BANK_RATE:g} / kt degrees a second, at least {SWING_LEAST_RATE:g})",
               "goal 0", "goal 0")
    lines += motion_table(greatest, callsign, start)
    f["motion"] = {name: {key: None if held is None else [round(held[0], 2), callsign[held[1]], round(held[2] - start, 1)]
                          for key, held in greatest[name].items()} for name in PHASES}
    f["lurches by phase"] = dict(by_phase)
    turn = greatest["turn"]
    if turn is not None:
        f["motion"]["turn"] = [round(turn[0], 2), callsign[turn[1]], round(turn[2] - start, 1), round(turn[3], 1)]
        bench.append(["greatest turn rate in the air", turn[0], "degrees a second", 1])
    for key in ("acceleration", "deceleration"):
        values = [greatest[name][key][0] for name in PHASES if greatest[name][key] is not None]
        if values:
            bench.append([f"greatest {key} shown", max(values, key=abs), "kt a second", 1])

    pairs = recreated(shown, delay, user, radius_nm)
    f["recreated"], f["creations"] = len(pairs), len(shown)
    created = {s.obj_id: s.obj["created"] for s in shown}
    f["episodes"]["recreated"] = [[callsign[b], round(created[b] - start, 1)] for _, b in pairs]
    again = len({b for _, b in pairs})
    lines.append(f"  {'removed, created again:':32} {len(pairs)} of {len(shown)} creations while the reports went on"
                 f" within the radius (goal 0), {again} object{'' if again == 1 else 's'}"
                 + ("" if park_removals is None else f"; {park_removals} removals by the park maximum"))
    bench.append(["removed and created again", len(pairs), "(goal 0)", 0])
    if park_removals is not None:
        f["park maximum removals"] = park_removals
        bench.append(["removals by the park maximum", park_removals, "", 0])

    gone = absences(shown, delay, user, radius_nm, reasons, closing)
    longest = max((g[3] for g in gone), default=0.0)
    f["absences"], f["longest absence s"] = len(gone), longest
    f["episodes"]["absences"] = [[tail, round(t - start, 1), round(seconds, 1), reason] for _, tail, t, seconds, reason in gone]
    lines.append(f"  {'absences:':32} {len(gone)} while the reports went on within the radius (goal at most 1 a run,"
                 f" none longer than 2 s), the longest {longest:.1f} s"
                 + "".join(f"\n  {'':32} {tail} at {t - start:.0f} s for {seconds:.1f} s: {reason}"
                           for _, tail, t, seconds, reason in gone))
    bench.append(["absences while the reports go on", len(gone), "(goal at most 1)", 0])
    bench.append(["longest absence", longest, "s (goal under 2)", 1])
    soon = removed_soon(objects, closing=closing)
    f["removed within 30 s"] = len(soon)
    lines.append(f"  {'removed within 30 s:':32} {len(soon)} creations (goal 0)"
                 + "".join(f"\n  {'':32} {tail} after {lived:.1f} s" for tail, _, lived in soon))
    bench.append(["creations removed within 30 s", len(soon), "(goal 0)", 0])

    figures, behind, behind_bench = behind_lines("in the air", "in the air from the reports", in_the_air(shown),
                                                 callsign, start)
    f.update(figures)
    lines += behind
    bench += behind_bench
    seen, shown_count, distances, heights, tally, timed = take_offs(shown)
    f["take-offs"], f["take-offs shown"] = seen, shown_count
    f["episodes"]["take-off"] = [[callsign[k[0]], round(a - start, 1), round(b - start, 1)] for k, a, b in tally.runs()]
    if distances:
        p95, median = percentile(distances, 95), percentile(distances, 50)
        climb = percentile(heights, 95) if heights else 0.0
        f["take-off p95 m"], f["take-off median m"], f["take-off climb altitude p95 ft"] = p95, median, climb
        off = len({key for key, _, _ in tally.runs()})
        f["take-off episodes"], f["take-offs off"] = tally.episodes(), off
        lines.append(f"  {'take-off and first climb:':32} p95 {p95:.0f} m, median {median:.0f} m from the reports"
                     f" (goal p95 under {TAKE_OFF_OFF:g} m) on {len(distances)} positions of {shown_count} take-offs"
                     f" shown ({seen} reported); {off} of them more than {TAKE_OFF_OFF:g} m off for"
                     f" {EPISODE_LEAST:g} s or more ({tally.episodes()} episodes); altitude in the climb p95"
                     f" {climb:.0f} ft off")
        bench.append(["take-off and first climb, p95", p95, f"m (goal under {TAKE_OFF_OFF:g})", 0])
        bench.append(["take-offs more than 300 m off", off, f"of {shown_count}", 0])
        bench.append(["first climb altitude, p95", climb, "ft off", 0])
        figures, behind, behind_bench = behind_lines("take-off", "take-off and first climb from the reports", timed,
                                                     callsign, start)
        f.update(figures)
        lines += behind
        bench += behind_bench
    else:
        lines.append(f"  {'take-off and first climb:':32} no take-off shown ({seen} reported)")

    arrivals = touch_downs(shown, elevation)
    f["touch-downs"] = [[callsign[k], round(t - start, 1), None if d is None else round(d, 1)] for k, t, d in arrivals]
    off = sum(d is None or d > TOUCH_DOWN_OFF for _, _, d in arrivals)
    down = [d for _, _, d in arrivals if d is not None]
    f["touch-downs off"] = off
    if arrivals:
        worst = max(down) if len(down) == len(arrivals) else math.inf
        p95 = percentile(down, 95) if down else math.inf
        f["touch-down p95 m"], f["touch-down worst m"] = p95, worst
        lines.append(f"  {'touch-downs:':32} p95 {p95:.0f} m, worst {worst:.0f} m from the reports' way from the last"
                     f" report in the air to the first on the ground, on"
                     f" {len(arrivals)} arrivals shown; {off} more than {TOUCH_DOWN_OFF:g} m off or not down (goal 0)")
        lines.append(f"  {'':32} " + ", ".join(f"{cs} {'up' if d is None else f'{d:.0f} m'}"
                                               for cs, _, d in f["touch-downs"]))
        bench.append(["touch-down p95", p95, "m from the reports' way down", 0])
        bench.append(["touch-downs more than 300 m off", off, f"of {len(arrivals)} (goal 0)", 0])
    else:
        lines.append(f"  {'touch-downs:':32} no arrival shown")
    return f, lines, bench
