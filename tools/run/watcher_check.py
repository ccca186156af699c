#!/usr/bin/env python3
"""Checks of the watcher's figures (watcher.py) on small made-up tracks whose answers are known:
reports of one flight and the positions an object shows of it, each case changing one thing."""
import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import watcher as w  # noqa: E402
from geo import KNOT  # noqa: E402

DELAY = 30.0
HOME = (36.0840, -115.1537)
ELEVATION = 2181.0


def moved(at, north, east):
    return at[0] + north / 111132.95, at[1] + east / (111132.95 * math.cos(math.radians(at[0])))


def reports(speeds, track=0.0, alt=5000.0, ground=False, every=10.0, start=HOME, still=()):
    """A report every `every` s at the given speeds (kt), straight along the track; the reports
    whose numbers are in `still` repeat the position before them (the feed's fault)."""
    out, at, t = [], start, 1000.0
    for n, speed in enumerate(speeds):
        if n:
            if n not in still:
                way = (speeds[n - 1] + speed) / 2.0 * KNOT * every
                at = moved(at, way * math.cos(math.radians(track)), way * math.sin(math.radians(track)))
            t += every
        out.append(w.Report(t, at[0], at[1], 0.0 if ground else alt, ground, speed, track))
    return out


def shown(points, pace=1.0, turn=0.0, lift=0.0, lag=0.0, rate=10.0, obj_id=1, created=None, removed=None,
          until=None, ground=None):
    """An object showing the flight DELAY s (and `lag` s more) behind its reports, at `pace` times
    their speed from where it starts, its nose `turn` degrees off, `lift` ft above them; `ground`:
    the ground the simulator reports under it (None: the track does not say)."""
    flight = w.Flight("TST1", "1", points)
    first = points[0].t + DELAY
    last = until if until is not None else points[-1].t + DELAY
    positions, t = [], first
    while t < last:
        r = flight.at(first - DELAY + (t - first) * pace - lag)
        if r is not None:
            positions.append((t, r.lat, r.lon, r.alt + lift + (0.0 if r.air else ELEVATION + 9.5),
                              (points[0].track + turn) % 360.0))
        t += 1.0 / rate
    obj = {"tail": "TST1", "created": first if created is None else created, "removed": removed,
           "at": (points[0].lat, points[0].lon)}
    return w.Shown(obj_id, obj, flight, positions, DELAY, [ground] * len(positions))


class UsableSpans(unittest.TestCase):
    def test_spans(self):
        base = reports([150.0, 150.0])
        a, b = base
        cases = [  # (name, second report, usable)
            ("reports that agree", b, True),
            ("20 s apart", b._replace(t=a.t + 20.0), False),
            ("the same position sent again at 150 kt", b._replace(lat=a.lat, lon=a.lon), False),
            ("a garbage speed", b._replace(speed=400.0), False),
            ("a jump back", b._replace(lat=2 * a.lat - b.lat), False),
            ("climbing 10,000 ft in 10 s", b._replace(alt=15000.0), False),
            ("standing still at 0 kt", w.Report(b.t, a.lat, a.lon, 0.0, True, 0.0, 0.0), True),
        ]
        first = a._replace(ground=True, speed=0.0, alt=0.0)
        for name, second, usable in cases:
            with self.subTest(name):
                self.assertEqual(w.usable_spans([first if second.ground else a, second])[0], [usable])

    def test_frozen_hold(self):
        # Rolling at 125 kt, then the feed holds the position at 0 kt for 30 s, then the aircraft is
        # 4 km on: the hold is frozen, not a stop.
        rolling = reports([100.0, 125.0], ground=True)
        held = [rolling[-1]._replace(t=rolling[-1].t + 10.0 * n, speed=0.0) for n in range(1, 4)]
        on = held[-1]._replace(t=held[-1].t + 10.0, lat=held[-1].lat + 0.036, speed=190.0, ground=False, alt=3700.0)
        usable, frozen = w.usable_spans(rolling + held + [on])
        self.assertEqual(usable, [True, False, False, False, False])
        self.assertEqual(frozen, {1, 2, 3, 4})
        waiting = [held[0]._replace(t=held[0].t + 10.0 * n) for n in range(4)]
        off = waiting[-1]._replace(t=waiting[-1].t + 10.0, lat=waiting[-1].lat + 100.0 * KNOT / 111132.95, speed=20.0)
        self.assertEqual(w.usable_spans(waiting + [off]), ([True] * 4, set()))  # a real hold


class Figures(unittest.TestCase):
    def tallies(self, s, stands=()):
        off, balloons = w.altitude_off([s], ELEVATION)
        return {"heading": w.heading_off_course([s]), "speed": w.speed_off([s]), "altitude": off,
                "balloons": balloons, "underground": w.underground([s], ELEVATION), "still": w.standing_still([s]),
                "against": w.against_heading([s], stands), "roaming": w.roaming([s])}

    def test_cases(self):
        air = reports([150.0] * 10)
        low = reports([150.0] * 10, alt=2500.0)
        taxi = reports([15.0] * 10, ground=True)
        repeated = reports([60.0] * 10, ground=True, still=range(1, 10))
        cases = [  # (name, object, stands, {figure: (flagged %, episodes)}; the others flag nothing)
            ("followed as reported", shown(air), (), {}),
            ("the nose 45 degrees off", shown(air, turn=45.0), (), {"heading": (100.0, 1)}),
            ("twice the reported speed", shown(air, pace=2.0, until=air[0].t + DELAY + 40.0), (),
             {"speed": (100.0, 1)}),
            ("400 ft above the reports", shown(air, lift=400.0), (), {"altitude": (100.0, 1)}),
            ("250 ft above reports 319 ft above the airport", shown(low, lift=250.0), (), {"balloons": (100.0, 1)}),
            ("taxiing as reported", shown(taxi), (), {}),
            ("taxiing 100 ft under the ground", shown(taxi, lift=-100.0), (), {"underground": (100.0, 1)}),
            ("following reports 100 ft under the ground", shown(reports([150.0] * 10, alt=ELEVATION - 100.0)), (), {}),
            ("30 ft above the ground, reported 250 ft under it", shown(reports([150.0] * 10, alt=ELEVATION - 250.0),
                                                                       lift=280.0), (), {}),
            ("flying 20 ft under the ground", shown(reports([150.0] * 10, alt=ELEVATION + 100.0), lift=-120.0), (),
             {"underground": (100.0, 1)}),
            ("taxiing 20 ft under the ground", shown(taxi, lift=-30.0), (), {}),
            ("flying 300 ft above the airport over ground 400 ft above it",
             shown(reports([150.0] * 10, alt=ELEVATION + 300.0), ground=ELEVATION + 400.0), (),
             {"underground": (100.0, 1)}),
            ("taxiing backwards", shown(taxi, turn=180.0), (), {"against": (100.0, 1)}),
            ("pushed back beside a stand", shown(taxi, turn=180.0, pace=0.5, until=taxi[0].t + DELAY + 30.0),
             (HOME,), {}),
            ("standing still while the feed repeats a position at 60 kt", shown(repeated, pace=0.0), (), {}),
        ]
        for name, s, stands, expected in cases:
            with self.subTest(name):
                for figure, tally in self.tallies(s, stands).items():
                    want = expected.get(figure, (0.0, 0))
                    self.assertAlmostEqual(tally.share(), want[0], delta=1.0, msg=figure)
                    self.assertEqual(tally.episodes(), want[1], figure)

    def test_roaming(self):
        # Reported standing for 90 s; shown driving a circle of 50 m about the stand at 20 kt, then
        # pushed back 40 m in 20 s.
        parked = reports([0.0] * 10, ground=True)
        first, last = parked[0].t + DELAY, parked[-1].t + DELAY
        cases = [("circling at 20 kt", 20.0 * KNOT / 50.0, 0.0, 100.0), ("pushed back", 0.0, 2.0, 0.0)]
        for name, rate, back, flagged in cases:
            with self.subTest(name):
                steps = [first + 0.1 * n for n in range(int((last - first) * 10))]
                positions = [(t, *moved(HOME, 50.0 * math.cos(rate * (t - first)) - back * min(t - first, 20.0),
                                        50.0 * math.sin(rate * (t - first))), ELEVATION + 9.5, 0.0) for t in steps]
                s = w.Shown(1, {"tail": "TST1", "created": first, "removed": None, "at": HOME},
                            w.Flight("TST1", "1", parked), positions, DELAY, [None] * len(positions))
                tally = w.roaming([s])
                self.assertGreater(tally.judged, 0)
                self.assertAlmostEqual(tally.share(), flagged, delta=1.0)

    def test_standing_still(self):
        rolling = reports([60.0] * 10, ground=True)
        s = shown(rolling, pace=0.0)
        tally = w.standing_still([s])
        self.assertAlmostEqual(tally.share(), 100.0, delta=1.0)
        self.assertEqual(tally.episodes(), 1)

    def test_speed_off_about_a_jump(self):
        # The feed jumps 1,500 m ahead after its 5th report at 150 kt; the object spreads the jump
        # over the 40 s from the 4th report to the 8th, 50 % fast. Where the reports' positions
        # disagree with their speed over 20 s (the jump within 10 s) that is not counted off.
        points = reports([150.0] * 10)
        points[5:] = [p._replace(lat=p.lat + 1500.0 / 111132.95) for p in points[5:]]
        flight, a, b = w.Flight("TST1", "1", points), points[3], points[7]

        def at(t):
            f = (t - a.t) / (b.t - a.t)
            r = flight.at(t) if not 0.0 < f < 1.0 else w.Report(t, *(a[n] + f * (b[n] - a[n]) for n in (1, 2)), 0, 0, 0, 0)
            return r.lat, r.lon, 5000.0, 0.0

        positions = [(points[0].t + DELAY + 0.1 * n, *at(points[0].t + 0.1 * n)) for n in range(890)]
        s = w.Shown(1, {"tail": "TST1", "created": positions[0][0], "removed": None}, flight, positions, DELAY)
        flagged = [t - DELAY - points[0].t for t in w.speed_off([s]).flagged[1]]
        self.assertGreater(len(flagged), 50)
        self.assertEqual([t for t in flagged if 30.0 < t < 59.9], [])

    def test_recreated(self):
        points = reports([150.0] * 30)
        repeats = reports([150.0] * 30, still=range(10, 16))  # a minute without a fresh position
        parked = reports([0.0] * 30, ground=True)
        cases = [("the reports went on", points, 1), ("the feed sent one position again for a minute", repeats, 0),
                 ("parked, reported standing at its stand", parked, 1)]
        for name, track, count in cases:
            with self.subTest(name):
                gone = shown(track, removed=track[12].t + DELAY)
                again = shown(track, obj_id=2, created=track[14].t + DELAY)
                again.flight = gone.flight
                self.assertEqual(len(w.recreated([gone, again], DELAY)), count)
                self.assertEqual(len(w.recreated([gone, again], DELAY, (0.0, 0.0), 8.0)), 0)  # far from the user

    def test_absences(self):
        # Removed 120 s in, its reports a fresh position every 10 s; made again 20 s later or never;
        # the feed stops 60 s after the removal, or sends its last position again from then on.
        points = reports([150.0] * 30)
        cases = [  # (name, reports, created again after, seconds absent or None)
            ("made again 20 s later", points, 20.0, 20.0),
            ("never again, the reports go on 60 s", points[:16], None, 60.0),
            ("never again, the feed sends one position again", reports([150.0] * 30, still=range(10, 30)), None, None),
        ]
        for name, track, after, absent in cases:
            with self.subTest(name):
                gone = shown(track, removed=track[9].t + DELAY)
                objects = [gone]
                if after is not None:
                    again = shown(track, obj_id=2, created=track[9].t + DELAY + after)
                    again.flight = gone.flight
                    objects.append(again)
                found = w.absences(objects, DELAY, reasons={"TST1": ["its path ran out"]})
                self.assertEqual([round(a[3]) for a in found], [] if absent is None else [absent])
                self.assertTrue(all(a[4] == "its path ran out" for a in found))
                closing = [track[9].t + DELAY + 5.0]  # the program closed its link: it took its aircraft along
                self.assertEqual(w.absences(objects, DELAY, closing=closing), [])
        self.assertEqual(w.removed_soon([{"tail": "A*", "created": 0.0, "removed": 29.0},
                                         {"tail": "B", "created": 0.0, "removed": 31.0},
                                         {"tail": "C", "created": 0.0, "removed": None}]), [("A*", 0.0, 29.0)])
        self.assertEqual(w.removed_soon([{"tail": "A*", "created": 0.0, "removed": 29.0}], closing=[35.0]), [])

    def test_take_off(self):
        speeds = [0.0, 20.0, 60.0, 100.0, 140.0, 150.0, 160.0, 170.0, 180.0, 180.0]
        points = [p._replace(ground=n < 4, alt=0.0 if n < 4 else 400.0 * (n - 3)) for n, p in
                  enumerate(reports(speeds, alt=0.0))]
        for name, lag, episodes in (("as reported", 0.0, 0), ("20 s late", 20.0, 1)):
            with self.subTest(name):
                seen, shown_count, distances, _, tally, timed = w.take_offs([shown(points, lag=lag)])
                self.assertEqual((seen, shown_count), (1, 1))
                self.assertEqual(max(x[1] for x in timed) > w.BEHIND_SECONDS, episodes > 0)
                self.assertEqual(tally.episodes(), episodes)
                self.assertEqual(w.percentile(distances, 95) > w.TAKE_OFF_OFF, episodes > 0)


class TakeOffsWhereTheReportsTaxi(unittest.TestCase):
    def test_cases(self):
        taxi = reports([15.0] * 10, ground=True)
        up = [p._replace(ground=n < 4) for n, p in enumerate(reports([0.0, 20.0, 60.0, 100.0, 140.0, 150.0, 160.0,
                                                                        170.0, 180.0, 180.0]))]
        cases = [  # (name, reports, legs, take-offs counted)
            ("taxiing as reported", taxi, [(90, 15, 15, 0, 0)], 0),
            ("up and down again while reported taxiing", taxi, [(30, 15, 15, 0, 0), (20, 15, 15, 0, 1),
                                                                 (40, 15, 15, 0, 0)], 1),
            ("lifting off as reported", up, [(35, 0, 140, 0, 0), (55, 140, 170, 0, 1)], 0),
        ]
        for name, points, legs, count in cases:
            with self.subTest(name):
                self.assertEqual(len(w.taxi_take_offs([flown(points, legs)], ELEVATION)), count)


class InTheAir(unittest.TestCase):
    def test_behind_the_reports(self):
        # 150 kt, a report every 10 s; shown late, or ahead at its own pace.
        points = reports([150.0] * 30)
        for name, lag, pace, seconds in (("on time", 0.0, 1.0, 0.0), ("5 s late", 5.0, 1.0, 5.0),
                                         ("20 s late", 20.0, 1.0, 20.0)):
            with self.subTest(name):
                timed = w.in_the_air([shown(points, lag=lag, pace=pace)])
                self.assertGreater(len(timed), 1000)
                late = sorted(x[1] for x in timed if x[3] > points[0].t + DELAY + 30.0)
                self.assertAlmostEqual(late[len(late) // 2], seconds, delta=0.3)
                figures, _, _ = w.behind_lines("air", "air", timed, {1: "TST1"}, 0.0)
                self.assertEqual(figures["air beyond 15 s %"] > 50.0, seconds > w.BEHIND_SECONDS)
        ground = reports([20.0] * 30, ground=True)
        self.assertEqual(w.in_the_air([shown(ground, lag=20.0)]), [])  # on the ground: not in the air

    def test_flight_of_two_with_one_callsign(self):
        # Two flights send their type as their callsign; the object is made from the second's report
        # DELAY s before it, where the first's report at the creation lies nearer.
        second = w.Flight("E50P", "2", reports([200.0] * 10, track=90.0))
        first = w.Flight("E50P", "1", reports([200.0] * 10, track=90.0, start=moved(HOME, 0.0, -200.0 * KNOT * DELAY)))
        obj = {"tail": "E50P", "created": 1000.0 + DELAY, "at": HOME}
        self.assertIs(w.flight_of(obj, {"E50P": [first, second]}), first)  # by place and time alone
        self.assertIs(w.flight_of(dict(obj, hexid="2"), {"E50P": [first, second]}), second)


def flown(points, legs, rate=10.0):
    """An object DELAY s behind a flight's reports that flies legs of its own from the first report's
    position along its track, whatever the reports say: (seconds, kt at the start, kt at the end,
    degrees a second its heading turns, in the air)."""
    t, at, heading, positions = points[0].t + DELAY, (points[0].lat, points[0].lon), points[0].track, []
    for seconds, start, end, turn, air in legs:
        for n in range(int(round(seconds * rate))):
            positions.append((t, at[0], at[1], ELEVATION + (500.0 if air else 9.5), heading % 360.0))
            way = (start + (end - start) * (n + 0.5) / (seconds * rate)) * KNOT / rate
            at = moved(at, way * math.cos(math.radians(heading)), way * math.sin(math.radians(heading)))
            heading += turn / rate
            t += 1.0 / rate
    obj = {"tail": "TST1", "created": points[0].t + DELAY, "removed": None, "at": (points[0].lat, points[0].lon)}
    return w.Shown(1, obj, w.Flight("TST1", "1", points), positions, DELAY)


class TouchDown(unittest.TestCase):
    def test_touch_down(self):
        # In the air at 140 kt every 10 s, on the ground from 60 s on: the reports' way down is the
        # 694 m from the last report in the air, 3601 m on, to the first on the ground.
        speeds = [140.0] * 6 + [130.0, 100.0, 70.0, 40.0]
        points = [p._replace(ground=n > 5, alt=0.0 if n > 5 else 3000.0) for n, p in enumerate(reports(speeds))]
        cases = [("down on the way", 55, 0.0), ("down 20 s early, 1441 m short", 30, 1441.0), ("up", 90, None)]
        for name, air, off in cases:
            with self.subTest(name):
                legs = [(air, 140, 140, 0, 1)] + ([(90 - air, 140, 40, 0, 0)] if air < 90 else [])
                (_, _, metres), = w.touch_downs([flown(points, legs)], ELEVATION)
                if off is None:
                    self.assertIsNone(metres)
                else:
                    self.assertAlmostEqual(metres, off, delta=20.0)


class ShownMotion(unittest.TestCase):
    def test_lurches_and_swings(self):
        taxi, air = reports([15.0] * 10, ground=True), reports([150.0] * 10)
        apart = reports([150.0] * 4, every=20.0)  # reports the watcher cannot compare with
        cases = [  # (name, reports, legs, lurch episodes, swing episodes)
            ("taxiing from 10 to 40 kt in a second", taxi, [(10, 10, 10, 0, 0), (10, 40, 40, 0, 0)], 1, 0),
            ("taxiing from 0 to 40 kt at 2 kt a second", taxi, [(20, 0, 40, 0, 0), (10, 40, 40, 0, 0)], 0, 0),
            ("rolling from 0 to 160 kt at 4 kt a second", taxi, [(40, 0, 160, 0, 0), (5, 160, 160, 0, 0)], 0, 0),
            ("from 150 to 250 kt between reports 20 s apart", apart, [(10, 150, 150, 0, 1), (10, 250, 250, 0, 1)], 1, 0),
            ("from 150 to 170 kt", air, [(10, 150, 150, 0, 1), (10, 170, 170, 0, 1)], 0, 0),
            ("turning 10 degrees a second at 150 kt", air, [(5, 150, 150, 0, 1), (10, 150, 150, 10, 1)], 0, 1),
            ("turning 4.5 degrees a second at 150 kt", air, [(5, 150, 150, 0, 1), (10, 150, 150, 4.5, 1)], 0, 0),
            ("turning 3.8 degrees a second at 250 kt", air, [(10, 250, 250, 3.8, 1)], 0, 0),
            ("turning 10 degrees a second at 70 kt", air, [(10, 70, 70, 10, 1)], 0, 0),
            ("turning 12 degrees a second at 70 kt", air, [(10, 70, 70, 12, 1)], 0, 1),
            ("turning 30 degrees a second at 50 kt", air, [(10, 50, 50, 30, 1)], 0, 0),
            ("turning 10 degrees a second at 100 kt on the ground", taxi, [(10, 100, 100, 10, 0)], 0, 0),
        ]
        for name, points, legs, lurch, swing in cases:
            with self.subTest(name):
                lurches, swings, _, _ = w.shown_motion([flown(points, legs)], ELEVATION)
                self.assertGreater(lurches.judged, 0)
                self.assertEqual((lurches.episodes(), swings.episodes()), (lurch, swing))
                self.assertEqual((lurches.count() > 0, swings.count() > 0), (lurch > 0, swing > 0))

    def test_greatest_by_phase(self):
        # A take-off: standing, a roll at 3 kt a second, then climbing out from 150 to 170 kt at
        # once. A landing: an approach slowing from 160 to 140 kt at once, then a roll-out braking
        # at 5 kt a second.
        up = [0.0, 20.0, 60.0, 100.0, 140.0, 150.0, 160.0, 170.0, 180.0, 180.0]
        down = [180.0, 170.0, 160.0, 150.0, 140.0, 130.0, 80.0, 30.0, 15.0, 15.0]
        cases = [
            ("take-off", up, lambda n: n < 4, [(10, 0, 0, 0, 0), (50, 0, 150, 0, 0), (10, 150, 150, 0, 1),
                                               (10, 170, 170, 0, 1)],
             {("take-off roll", "acceleration"): 3.0, ("first climb", "acceleration"): 10.0}),
            ("landing", down, lambda n: n > 5, [(30, 160, 160, 0, 1), (25, 140, 140, 0, 1), (24, 140, 20, 0, 0)],
             {("approach", "deceleration"): -10.0, ("roll-out", "deceleration"): -5.0}),
        ]
        for name, speeds, on_ground, legs, expected in cases:
            with self.subTest(name):
                points = [p._replace(ground=on_ground(n), alt=0.0 if on_ground(n) else 3000.0)
                          for n, p in enumerate(reports(speeds, alt=0.0))]
                _, _, _, greatest = w.shown_motion([flown(points, legs)], ELEVATION)
                for (phase, key), value in expected.items():
                    self.assertAlmostEqual(greatest[phase][key][0], value, delta=0.6, msg=phase)
                self.assertEqual(greatest["air"], {"acceleration": None, "deceleration": None})


if __name__ == "__main__":
    unittest.main()
