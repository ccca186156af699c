// Flights replayed into the traffic reader at the ticks of their records' times, against a
// simulator that answers on the next tick: the stand-in's scripted departure and arrival give
// the same positions and events when run twice, an arrival leaves a parked live aircraft on
// its stand, a landed one slowed to taxi speed stops where its reports end, departures of a
// real recording are shown where their reports put them, 30 s later, and its taxiing
// aircraft move where their noses point.
#include "traffic/replay_fixture.h"

TEST_F(Replay, BothFlightsRunTwiceGiveTheSamePositionsAndEvents)
{
    const std::vector<std::string> departure =
        script({"--kind", "departure", "--runway", runway(200.0, 400.0), "--hold-before", "60", "--climb", "200"});
    const std::vector<std::string> arrival = arrivalEast("60");
    for (const auto* records : {&departure, &arrival}) {
        const Trace once = replay(*records);
        const Trace again = replay(*records);
        EXPECT_GT(once.positions.size(), 10000u);
        EXPECT_GT(once.phases.size(), 3u);
        EXPECT_GT(once.events.size(), 10u);
        EXPECT_TRUE(once == again) << "ticks " << once.positions.size() << " and " << again.positions.size();

    }
}

TEST_F(Replay, RecordedDeparturesRollLiftOffAndClimbWhereTheirDelayedReportsPutThem)
{
    // Each flight's roll from the last report of its taxi (below 30 kt) to its first airborne
    // report; the rolls and first minutes of climb from the first report of a roll (30 kt or
    // more); each flight's first minute of climb from its first airborne report: the metres and
    // feet from the delayed reports that 95 % of the positions shown keep within, where the
    // reports tell where the aircraft is. Their positions stand still on the roll and then jump
    // ahead by kilometres, farther than a roll speeding up as an aircraft can goes: the aircraft
    // shown speeds up as the speeds they report rise, not when its path does, and what it falls
    // behind it catches up in its climb.
    enum class From { taxi, roll, air };
    struct Window {
        const char* name;
        From from;
        bool eachFlight;
        double metres, feet;
    };
    struct Excerpt {
        const char* file;
        std::size_t flights;
        std::vector<Window> windows;
        refgen::World (*world)(std::size_t, std::uint32_t) = nullptr; // that knows its types, where the default does not
    };
    const std::vector<Excerpt> excerpts{
        // klas_20190305.rttfc, Las Vegas: its three Boeing 737-800 departures from runway 26L
        // (WJA1401, DAL2791, AAL2407), each from 60 s before its take-off roll to 90 s after its
        // first airborne report; reports 10 s apart, old positions sent again included.
        {"klas_departures.rttfc",
         3,
         {{"roll", From::taxi, true, 1200.0, 0.0}, {"roll and first climb", From::roll, false, 1200.0, 300.0}}},
        // klas_20190305.rttfc: its Challenger 350 departing south (1551819564 to
        // 1551819754, from 60 s before its take-off roll to 90 s after its first airborne report):
        // past the height where a take-off's configuration is done, its reports lag and then
        // jump ahead.
        {"klas_challenger.rttfc", 1, {{"first climb", From::air, true, 2000.0, 200.0}}},
        // klas_20190305.rttfc: its Falcon 900 and AMX481 (a 737) departing, from 60 s before the
        // first report of their rolls to 90 s after their first airborne one: their feeds stand
        // still on the runway for 20-30 s while the speeds they report rise, then jump 2 km on
        // into the air.
        {"klas_rolls_unseen.rttfc", 2, {{"roll and first climb", From::roll, false, 550.0, 200.0}}, refgen::lasVegasWorld},
    };
    for (const Excerpt& excerpt : excerpts) {
        if (excerpt.world)
            loadWorld(excerpt.world);
        elevation = 2181.0;
        std::vector<std::string> records;
        const auto flights =
            lf_readRecording(std::string("tests/data/recordings/") + excerpt.file, elevation, records);
        ASSERT_EQ(flights.size(), excerpt.flights) << excerpt.file;
        const double first = lf_stamp(records.front());
        std::map<std::uint32_t, std::vector<std::array<double, 4>>> shown; // report time, position, altitude
        const auto ticks = static_cast<std::int64_t>((lf_stamp(records.back()) - first) * 100.0) + 10000;
        play(records, lasVegas, false, ticks, [&] {
            // Each report comes at the tick of its time and is shown 30 s later.
            const double time = first + static_cast<double>(gf_now() - 1 - startTick - reportLifetimeTicks) / 100.0;
            for (const Act& a : liveActs)
                if (a.base.status == statusCreated)
                    shown[a.base.head.flightId].push_back({time, a.shown.latitude, a.shown.longitude, a.shown.altitude});
            return true;
        });
        for (const Window& w : excerpt.windows) {
            std::vector<double> distances, heights;
            std::string figures;
            for (const auto& [id, reports] : flights) {
                const auto air = std::find_if(reports.begin(), reports.end(),
                                              [&](const Reported& r) { return r.altitude > elevation + 120.0; });
                ASSERT_NE(air, reports.end());
                auto start = air;
                while (w.from != From::air && start != reports.begin() &&
                       (start - 1)->altitude <= elevation + 120.0 && (start - 1)->speed >= 30.0)
                    --start;
                if (w.from == From::taxi && start != reports.begin())
                    --start;
                const double end = air->time + (w.from == From::taxi ? 0.0 : 60.0);
                std::vector<double> d, h;
                for (const auto& p : shown[id]) {
                    if (p[0] < start->time || p[0] > end)
                        continue;
                    if (const std::optional<Reported> r = lf_reportedAt(reports, p[0])) {
                        d.push_back(gf_distanceNm(p[1], p[2], r->latitude, r->longitude) * metresPerNm);
                        h.push_back(std::abs(p[3] - r->altitude));
                    }
                }
                EXPECT_GT(d.size(), 1000u) << w.name << " " << id;
                if (w.eachFlight) {
                    EXPECT_LT(lf_percentile(d, 0.95), w.metres) << w.name << " " << id << ", metres, 95th percentile";
                    if (w.feet > 0.0) {
                        EXPECT_LT(lf_percentile(h, 0.95), w.feet) << w.name << " " << id << ", feet, 95th percentile";
                    }
                }
                figures += fmt::format("\n{}: {} positions, 95% within {:.0f} m and {:.0f} ft", id, d.size(),
                                       lf_percentile(d, 0.95), lf_percentile(h, 0.95));
                distances.insert(distances.end(), d.begin(), d.end());
                heights.insert(heights.end(), h.begin(), h.end());
            }
            if (!w.eachFlight) {
                EXPECT_LT(lf_percentile(distances, 0.95), w.metres)
                    << w.name << ", metres from the delayed reports, 95th percentile" << figures;
                EXPECT_LT(lf_percentile(heights, 0.95), w.feet)
                    << w.name << ", feet from the delayed reports, 95th percentile" << figures;
            }
        }
    }
}

TEST_F(Replay, ADepartureWaitingLongAfterItsPushBackTaxisWhenItsReportsDo)
{
    // Its reports push it back and then hold it there for six minutes (the engines start, the
    // taxi waits) before they taxi it away.
    std::vector<std::string> departure =
        script({"--kind", "departure", "--runway", runway(200.0, 400.0), "--hold-before", "60", "--climb", "200"});
    const auto pushed = std::find_if(departure.begin(), departure.end(),
                                     [](const std::string& r) { return std::stod(lf_fields(r)[8]) > 0.0; });
    const auto waits = std::find_if(pushed, departure.end(),
                                    [](const std::string& r) { return std::stod(lf_fields(r)[8]) == 0.0; });
    ASSERT_NE(waits, departure.end());
    std::vector<std::string> held;
    for (int k = 1; k < 180; ++k)
        held.push_back(lf_record(lf_fields(*waits), lf_stamp(*waits) + 2.0 * k));
    for (auto r = waits + 1; r != departure.end(); ++r)
        *r = lf_record(lf_fields(*r), lf_stamp(*r) + 360.0);
    departure.insert(waits + 1, held.begin(), held.end());
    std::set<std::uint32_t> shownAs;
    bool taxied = false;
    play(departure, standPosition, true, 120000, [&] {
        const Act* a = gf_findAct(hexid);
        if (a != nullptr && a->base.status == statusCreated) {
            shownAs.insert(a->base.objectId);
            taxied = taxied || (a->phase == phaseGround && a->shown.speed > 10.0);
        }
        return a == nullptr || a->phase != phaseTakeOff;
    });
    EXPECT_TRUE(taxied) << "it taxis away";
    EXPECT_EQ(shownAs.size(), 1u) << "objects it was shown as";
}

TEST_F(Replay, HelicoptersLiftOffTheirPadsAloneAndComeDownLowOntoAPad)
{
    // An EC135 stands beside a pad half a mile north of the stand C4 for a minute, then leaves it
    // at 30 kt climbing at 480 ft/min toward 300 ft and comes down onto a pad, reported every 5 s
    // (within 90 ft of the ground they count as on the ground).
    struct Case {
        const char* what;
        const char* rate; // degrees a second: 3 brings it back where it started
        double descent;   // feet a second
        bool beside;      // another one stands 30 m beside the first pad from just before it leaves
    };
    const Case cases[] = {{"onto a pad 1 nm east", "0", 8.0, true},
                          {"back onto its own pad, too slowly for an approach", "3", 3.0, false}};
    for (const Case& c : cases) {
        std::vector<std::string> records =
            script({"--kind", "circle", "--type", "EC35", "--registration", "D-HDAA", "--distance", "0.5", "--knots",
                    "30", "--altitude", "300", "--rate", c.rate, "--seconds", "120", "--interval", "5"});
        std::vector<std::string> standing = lf_fields(records.front()), landed = lf_fields(records.back());
        const double start = lf_stamp(records.front()), end = lf_stamp(records.back());
        const LatLon there{std::stod(landed[2]), std::stod(landed[3])};
        pads = {gf_offset({std::stod(standing[2]), std::stod(standing[3])}, 180.0, 5.0 * metre)};
        if (gf_distanceNm(pads[0], there) > 50.0 * metre)
            pads.push_back(there);
        for (std::string& record : records) {
            std::vector<std::string> f = lf_fields(record);
            const double t = lf_stamp(record);
            const double height = std::min({8.0 * (t - start), 300.0, c.descent * (end - t)});
            f[4] = fmt::format("{:.0f}", elevation + height);
            const bool climbing = height == 8.0 * (t - start);
            f[5] = height == 300.0 ? "0" : climbing ? "480" : fmt::format("{:.0f}", -60.0 * c.descent);
            record = lf_record(f, t + 60.0);
        }
        standing[4] = standing[5] = standing[8] = landed[4] = landed[5] = landed[8] = "0";
        standing[6] = landed[6] = "1";
        std::vector<std::string> beside = standing;
        const LatLon aside = gf_offset(pads[0], 270.0, 30.0 * metre);
        beside[1] = "4660002";
        beside[2] = fmt::format("{:.6f}", aside.first);
        beside[3] = fmt::format("{:.6f}", aside.second);
        beside[9] = beside[11] = "D-HDAB";
        for (int k = 0; k < 36; ++k) {
            if (k < 12)
                records.push_back(lf_record(standing, start + 5.0 * k));
            records.push_back(lf_record(landed, end + 65.0 + 5.0 * k));
            if (c.beside)
                records.push_back(lf_record(beside, start + 50.0 + 5.0 * k));
        }
        std::stable_sort(records.begin(), records.end(),
                         [](const std::string& a, const std::string& b) { return lf_stamp(a) < lf_stamp(b); });
        double slid = 0.0; // metres it moves on the ground from the pad, as shown
        bool parked = false, up = false, down = false;
        std::set<std::uint32_t> shownAs;
        int mostOnPad = 0; // aircraft on the first pad at once: placed there, or shown standing on it
        play(records, standPosition, true, 40000, [&] {
            const StandRecord& first = *lf_findStandByName("H1");
            const auto onPad = std::ranges::count_if(liveActs, [&](const Act& a) {
                const double d = gf_distanceNm(a.shown.latitude, a.shown.longitude, first.latitude, first.longitude);
                const bool placed = a.phase == phaseAtStand && a.base.standNumber == first.standNumber;
                return (placed && a.base.status != statusNew) ||
                       (a.base.status == statusCreated && a.shown.onGround && d <= first.radius);
            });
            mostOnPad = std::max(mostOnPad, static_cast<int>(onPad));
            const Act* a = gf_findAct(hexid);
            if (a != nullptr && a->base.status == statusCreated) {
                shownAs.insert(a->base.objectId);
                parked = parked || a->phase == phaseAtStand;
                up = up || !a->shown.onGround;
                down = up && a->phase == phaseAtStand && a->base.standNumber == parkStands.back().standNumber;
                const double d = gf_distanceNm(a->shown.latitude, a->shown.longitude, pads[0].first, pads[0].second);
                slid = up ? slid : std::max(slid, d * metresPerNm);
            }
            return !down;
        });
        EXPECT_TRUE(parked) << c.what << ": on the pad first";
        EXPECT_TRUE(up) << c.what << ": it lifts off";
        EXPECT_LT(slid, 30.0) << c.what << ": metres moved on the ground from the pad";
        EXPECT_EQ(mostOnPad, 1) << c.what << ": aircraft on the first pad at once";
        EXPECT_TRUE(down) << c.what << ": parked on the pad it came down on";
        EXPECT_EQ(shownAs.size(), 1u) << c.what << ": objects it was shown as";
    }
}

TEST_F(Replay, AnArrivalTaxiingToTheStandOfAParkedLiveAircraftLeavesItThere)
{
    std::vector<std::string> arrival = arrivalEast("0");
    // Another aircraft is reported standing at the stand all the while, and two minutes more.
    std::vector<std::string> parked = lf_fields(arrival.back());
    // The arrival is first seen taxiing in from the runway; its reports hold it 8 m short of
    // the stand, the one nearest to it, for half a minute and end there.
    arrival.erase(arrival.begin(), std::find_if(arrival.begin(), arrival.end(), [](const std::string& record) {
                      const std::vector<std::string> f = lf_fields(record);
                      return f[6] == "1" && std::stod(f[8]) <= 20.0;
                  }));
    const auto near = std::find_if(arrival.begin(), arrival.end(), [](const std::string& record) {
        const std::vector<std::string> f = lf_fields(record);
        return gf_distanceNm(std::stod(f[2]), std::stod(f[3]), standPosition.first, standPosition.second) <
               8.0 * metre;
    });
    ASSERT_NE(near, arrival.end());
    arrival.erase(near + 1, arrival.end());
    const std::vector<std::string> records = withParked(stoppedThere(arrival), parked);

    // Until the arrival, left without reports, is predicted standing there and removed.
    bool parkedThere = false, seen = false, taken = false;
    play(records, standPosition, true, 120000, [&] {
        const Act* other = gf_findAct(4660002);
        parkedThere = parkedThere || (other != nullptr && other->base.status == statusCreated && other->phase == phaseAtStand);
        const Act* a = gf_findAct(hexid);
        const bool shown = a != nullptr && a->base.status == statusCreated;
        taken = taken || (shown && (a->phase == phaseToStand || a->phase == phaseAtStand));
        seen = seen || shown;
        return !seen || shown;
    });
    ASSERT_TRUE(parkedThere) << "the aircraft at the stand is parked there";
    const Act* other = gf_findAct(4660002);
    ASSERT_NE(other, nullptr) << "the parked aircraft stays";
    EXPECT_EQ(other->base.status, statusCreated);
    EXPECT_EQ(other->phase, phaseAtStand);
    EXPECT_EQ(parkStands.front().occupied, 1) << "its stand stays marked";
    EXPECT_FALSE(taken) << "the arrival takes no stand that is held";
}

TEST_F(Replay, ALandedArrivalSlowedToTaxiSpeedStopsWhereItsReportsEnd)
{
    // It lands on a runway east, 140 m south of the stand C4; its reports end at its first at
    // taxi speed, still straight along the runway, 45 m short of an aircraft parked at a stand
    // ahead on that line. That report comes before the touch-down is shown.
    std::vector<std::string> arrival = arrivalEast("0");
    const auto slowed = std::find_if(arrival.begin(), arrival.end(), [](const std::string& record) {
        const std::vector<std::string> f = lf_fields(record);
        return f[6] == "1" && std::stod(f[8]) < 30.0;
    });
    ASSERT_NE(slowed, arrival.end());
    std::vector<std::string> parked = lf_fields(*slowed);
    ASSERT_NEAR(std::stod(parked[24]), 90.0, 0.5) << "still on the runway";
    arrival.erase(slowed + 1, arrival.end());
    const LatLon end{std::stod(parked[2]), std::stod(parked[3])};
    const LatLon ahead = gf_offset(end, 90.0, 45.0 * metre);
    parked[2] = fmt::format("{:.6f}", ahead.first);
    parked[3] = fmt::format("{:.6f}", ahead.second);
    parked[8] = "0.00";
    stands.emplace_back("D2", ahead.first, ahead.second, 90.0);
    const std::vector<std::string> records = withParked(arrival, parked);

    // Until the arrival, left without reports, is removed.
    bool rolled = false, seen = false;
    double nearest = 1e9, past = 0.0; // metres to the parked aircraft; east of its last report
    play(records, standPosition, true, 120000, [&] {
        const Act* a = gf_findAct(hexid);
        const bool shown = a != nullptr && a->base.status == statusCreated;
        if (shown && a->onGround) {
            rolled = rolled || a->landingRoll;
            const ShownMotion& s = a->shown;
            nearest = std::min(nearest, gf_distanceNm(s.latitude, s.longitude, ahead.first, ahead.second) * metresPerNm);
            past = std::max(past, gf_distanceNm(end.first, end.second, end.first, s.longitude) * metresPerNm *
                                      (s.longitude > end.second ? 1.0 : -1.0));
        }
        seen = seen || shown;
        return !seen || shown;
    });
    EXPECT_TRUE(rolled) << "it touched down and rolled out";
    EXPECT_LT(past, 5.0) << "metres driven on beyond its last report";
    EXPECT_GT(nearest, 35.0) << "metres from the parked aircraft at the closest";
}

TEST_F(Replay, RecordedTaxiingAircraftMoveWhereTheirNosesPoint)
{
    // klas_20190305.rttfc, Las Vegas: WJA1401, QXE2877, CPZ5750, WJA1789, AAL2407 and AAL1401,
    // each from a minute before it leaves its stand (CPZ5750: its hold on the taxiway) to 40 s
    // after it comes south down the taxiway at 115.1329 W and turns east; reports 10 s apart
    // whose speeds exceed the way their positions go. The stands are the run world's.
    elevation = 2181.0;
    stands = {{"g2", 36.0797, -115.1383, 225.3}, {"g7", 36.0808, -115.1348, 238.3},
              {"g8", 36.0810, -115.1353, 225.3}, {"g13", 36.0845, -115.1404, 258.3},
              {"g14", 36.0846, -115.1336, 25.9}, {"g15", 36.0847, -115.1373, 270.0}};
    std::vector<std::string> records;
    const auto flights = lf_readRecording("tests/data/recordings/klas_taxi.rttfc", elevation, records);
    ASSERT_EQ(flights.size(), 6u);
    // Each taxiing aircraft's position and heading each tick.
    std::map<std::uint32_t, std::vector<std::array<double, 3>>> shown;
    const auto ticks = lf_spanTicks(records) + 6000;
    constexpr double none = Act::nan; // not taxiing in this tick
    play(records, lasVegas, false, ticks, [&] {
        for (const auto& [id, _] : flights) {
            const Act* a = gf_findAct(id);
            const bool taxiing = a != nullptr && a->base.status == statusCreated && a->onGround &&
                                 a->phase == phaseGround && !a->takeOff;
            shown[id].push_back(taxiing ? std::array{a->shown.latitude, a->shown.longitude, a->shown.heading}
                                        : std::array{none, none, none});
        }
        return true;
    });
    // As a watcher sees it: over 3 s moving 5 m or more faster than a push back's 8 kt, more
    // than 90 degrees off the nose.
    std::size_t moving = 0;
    std::string against;
    for (const auto& [id, positions] : shown) {
        for (std::size_t k = 0; k + 300 < positions.size(); ++k) {
            const auto& [lat, lon, heading] = positions[k];
            const double metres = gf_distanceNm(lat, lon, positions[k + 300][0], positions[k + 300][1]) * metresPerNm;
            if (std::isnan(metres) || metres < 5.0 || metres / 3.0 <= 8.0 * metresPerNm / 3600.0)
                continue;
            ++moving;
            const double way = gf_initialBearing({lat, lon}, {positions[k + 300][0], positions[k + 300][1]});
            if (std::abs(gf_angleDiff(heading, way)) * radToDeg > 90.0 && against.size() < 400)
                against += fmt::format("\n{} at tick {}: nose {:.0f}, moving {:.0f} at {:.0f} kt", id, k,
                                       heading * radToDeg, way * radToDeg, metres / 3.0 * 3600.0 / metresPerNm);
        }
    }
    EXPECT_GT(moving, 20000u) << "ticks of taxiing seen";
    EXPECT_TRUE(against.empty()) << "moving against the nose:" << against;
}

TEST_F(Replay, FlightsWhoseFeedFreezesAndJumpsFlyAlongTheirNoses)
{
    // klas_20190305.rttfc, Las Vegas, 21:07:14 to 21:14:30Z: SWA714 climbing out north-west and
    // the light aircraft N644SB (an EVSS) north of the airport. The feed holds each at one position with new
    // times, then jumps ahead, abeam or back (SWA714: 30 s held, then 2 km off its track to the
    // right; N644SB: jumps of 1-3 km back and forth): the way to the next point lies far off the nose.
    elevation = 2181.0;
    std::vector<std::string> records;
    const auto flights = lf_readRecording("tests/data/recordings/klas_frozen_jumps.rttfc", elevation, records);
    ASSERT_EQ(flights.size(), 2u);
    // The test world has liveries of the B738 and the C172, of the same size classes as the
    // recording's B737 and EVSS.
    for (std::string& record : records)
        for (const auto& [type, shownAs] : {std::pair{",B737,", ",B738,"}, std::pair{",EVSS,", ",C172,"}})
            if (const std::size_t at = record.find(type); at != std::string::npos)
                record.replace(at, std::string_view(type).size(), shownAs);
    const double first = lf_stamp(records.front());
    std::map<std::uint32_t, std::vector<std::array<double, 3>>> shown; // in the air: position, heading
    const auto ticks = static_cast<std::int64_t>((lf_stamp(records.back()) - first) * 100.0) + 4000;
    play(records, lasVegas, false, ticks, [&] {
        for (const Act& a : liveActs)
            if (a.base.status == statusCreated && a.phase == phaseAirborne)
                shown[a.base.head.flightId].push_back({a.shown.latitude, a.shown.longitude, a.shown.heading});
        return true;
    });

    // As a watcher judges it: the heading against the way to the first position 20 m on, within 10 s.
    for (const auto& [id, positions] : flights) {
        const std::vector<std::array<double, 3>>& p = shown[id];
        EXPECT_GT(p.size(), 5000u) << id;
        int judged = 0, sideways = 0;
        for (std::size_t k = 0; k < p.size(); k += 10) {
            for (std::size_t j = k + 1; j < p.size() && j <= k + 1000; ++j) {
                if (gf_distanceNm(p[k][0], p[k][1], p[j][0], p[j][1]) * metresPerNm < 20.0)
                    continue;
                const double way = gf_initialBearing({p[k][0], p[k][1]}, {p[j][0], p[j][1]});
                ++judged;
                sideways += std::abs(gf_angleDiff(p[k][2], way)) > 30.0 * degToRad;
                break;
            }
        }
        EXPECT_GT(judged, 500) << id;
        EXPECT_LT(sideways * 10, 100) << id << ": ticks more than 30 degrees off the way flown, of " << judged * 10;
    }
}
