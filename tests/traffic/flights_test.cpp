// Flights end to end through both stand-ins: a departure from the stand to beyond the range,
// one that turns and climbs beyond the live radius, and an arrival from the final approach
// onto the stand.
#include "traffic/scenario_fixture.h"

#include "traffic/motion_fixture.h"

#include "app/mainloop.h"
#include "foundation/settingscatalogue.h"
#include "foundation/timehelpers.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"
#include "support/trafficacts.h"
#include "traffic/traffic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// Whether the phases were passed in this order (others may lie between).
bool lf_inOrder(const std::vector<std::uint32_t>& seen, const std::vector<std::uint32_t>& wanted)
{
    auto at = seen.begin();
    for (const std::uint32_t phase : wanted) {
        at = std::find(at, seen.end(), phase);
        if (at == seen.end())
            return false;
    }
    return true;
}

// Seconds of the day of the "hh:mm:ss" that follows the text in the log; -1 when none does.
int lf_loggedTime(const std::string& log, const std::string& text)
{
    const std::size_t at = log.find(text);
    if (at == std::string::npos || at + text.size() + 8 > log.size())
        return -1;
    const std::string t = log.substr(at + text.size(), 8);
    return std::atoi(t.substr(0, 2).c_str()) * 3600 + std::atoi(t.substr(3, 2).c_str()) * 60 +
           std::atoi(t.substr(6, 2).c_str());
}

// Latitude, longitude and altitude of each record.
std::vector<std::array<double, 3>> lf_reportedTrack(const std::vector<std::string>& records)
{
    std::vector<std::array<double, 3>> track;
    for (const std::string& record : records) {
        std::vector<std::string> fields;
        for (std::size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1)
            fields.push_back(record.substr(start, (comma = record.find(',', start)) - start));
        track.push_back({std::atof(fields[2].c_str()), std::atof(fields[3].c_str()), std::atof(fields[4].c_str())});
    }
    return track;
}

// Nautical miles, at most, from the positions sent to the reported track while the flight was
// reported: after its last report it flies on straight through 8 predictions 8 s apart.
double lf_worstOffTrack(const FlightWatch& watch, const std::vector<std::array<double, 3>>& reported, LatLon origin)
{
    const std::size_t predicted = 8 * 800;
    double worst = 0.0;
    for (std::size_t i = 0; i + predicted < watch.positions.size(); ++i)
        worst = std::max(worst, lf_offTrack(reported, origin, watch.positions[i][0], watch.positions[i][1]));
    return worst;
}

std::string lf_text(const std::vector<std::uint32_t>& phases)
{
    std::string text;
    for (const std::uint32_t p : phases)
        text += std::to_string(p) + " ";
    return text;
}
} // namespace

TEST_F(Scenario, ADepartureIsPushedBackTaxisTakesOffAndEndsBeyondTheRange)
{
    fly({"--kind", "departure", "--runway", runwayArgument(200.0, 400.0, 90.0), "--hold-before", "60", "--climb",
         "200"},
        [](const FlightWatch& w) { return w.gone; }, 150.0);
    EXPECT_TRUE(watch.gone);
    EXPECT_TRUE(lf_inOrder(watch.phases, {phaseAtStand, phasePushBack, phaseLeaving, phaseGround, phaseTakeOff,
                                          phaseAirborne}))
        << lf_text(watch.phases);
    EXPECT_LE(watch.overdue, 1) << "ticks late at a point";
    EXPECT_LE(watch.turnedTooFast, 1e-9);
    EXPECT_FALSE(watch.noNumber);
    EXPECT_GT(watch.highest, 2000.0);
    EXPECT_TRUE(logHas("push back")) << log.text();
    EXPECT_TRUE(logHas("KLM1234  took-off to LHR"));
    EXPECT_TRUE(sim->aiObjects().empty()) << "removed from the simulator";
}

TEST_F(Scenario, ADepartureReportedEvery15To25SecondsRollsTakesOffAndClimbsWithoutStopping)
{
    fly({"--kind", "departure", "--runway", runwayArgument(200.0, 400.0, 90.0), "--hold-before", "60", "--climb",
         "200", "--interval", "20", "--jitter", "5"},
        [](const FlightWatch& w) { return w.gone || w.highest > 3000.0; }, 150.0);
    EXPECT_TRUE(lf_inOrder(watch.phases, {phaseGround, phaseTakeOff, phaseAirborne})) << lf_text(watch.phases);
    EXPECT_GT(watch.highest, 3000.0);
    EXPECT_EQ(watch.creations, 1) << "never removed and created again";
    EXPECT_TRUE(watch.rolled);
    EXPECT_LT(watch.longestStand, 100) << "ticks standing still once rolling";
    EXPECT_TRUE(logHas("KLM1234  took-off to LHR")) << log.text();
}

TEST_F(Scenario, ALightAircraftPassingLevelNearTheAirportStaysUpThroughAJumpBackALowSpeedAndAGroundFlag)
{
    // East 3.5 nm north of the airport, from 2 nm west of it.
    fly({"--kind", "circle", "--type", "C172", "--registration", "N172SP", "--callsign", "N172SP", "--distance", "4",
         "--bearing", "330", "--heading", "90", "--altitude", "1300", "--knots", "100", "--rate", "0", "--seconds",
         "240", "--interval", "20", "--jitter", "5", "--stale", "60,30", "--slow", "80,4", "--ground", "119"},
        [](const FlightWatch& w) { return w.gone; }, 60.0);
    EXPECT_TRUE(watch.gone);
    EXPECT_GT(watch.lowest, 1200.0) << "feet above the airport";
    EXPECT_EQ(watch.creations, 1) << "never removed and created again";
    EXPECT_FALSE(logHas("landed")) << log.text();
}

TEST_F(Scenario, WithTheUserInTheAirSlowReportsHighAboveTheGroundStayInTheAir)
{
    // No park airport tells the ground: the reader goes by the speed alone. A light aircraft
    // slowed by a headwind now and then, and an airliner whose feed gives a garbage speed from its
    // first report on for two minutes.
    withoutParkAirport();
    struct Case {
        std::vector<std::string> flight;
        int slowFrom, slowTo, knots; // s: each record's ground speed in between
    };
    const Case cases[] = {
        {{"--type", "C172", "--registration", "N172SP", "--callsign", "N172SP", "--knots", "70"}, 60, 90, 30},
        {{"--type", "B738", "--registration", "N7814B", "--callsign", "SWA2278", "--knots", "250"}, 0, 120, 20},
    };
    for (const Case& c : cases) {
        watch = {};
        std::vector<std::string> flight{"--kind", "circle", "--distance", "4", "--bearing", "330", "--heading", "90",
                                        "--altitude", "4000", "--rate", "0", "--seconds", "200", "--interval", "10"};
        flight.insert(flight.end(), c.flight.begin(), c.flight.end());
        for (int t = c.slowFrom; t <= c.slowTo; t += 10)
            flight.insert(flight.end(), {"--slow", fmt::format("{},{}", t, c.knots)});
        fly(flight, [](const FlightWatch& w) { return w.gone; }, 60.0);
        const std::string& callsign = c.flight[5];
        EXPECT_TRUE(watch.gone) << callsign;
        EXPECT_GT(watch.lowest, 3000.0) << callsign << ": feet above the airport";
        EXPECT_EQ(watch.creations, 1) << callsign << ": never removed and created again";
        EXPECT_FALSE(logHas("took-off")) << callsign << log.text();
    }
}

TEST_F(Scenario, HelicoptersCirclingSlowlyLowOrFastWithoutATrackStayUpOnTheirReportedTrack)
{
    struct Case {
        const char* what;
        std::vector<std::string> circle;
        double offTrack; // nm at most: the circle lies outside the straight legs between reports
    };
    const Case cases[] = {
        // As slow as a taxiing aircraft, but far above the airport.
        {"30 kt 500 ft above the airport",
         {"--distance", "1.5", "--knots", "30", "--altitude", "500", "--rate", "3", "--seconds", "180", "--interval",
          "10"},
         0.05},
        // Each report lies 110 degrees round from the last leg's way: a turn, not an old position.
        {"5 degrees a second without a track, reported every 22 s",
         {"--distance", "2", "--knots", "90", "--altitude", "1000", "--rate", "5", "--seconds", "240", "--interval",
          "22", "--no-track"},
         0.35},
    };
    for (const Case& c : cases) {
        watch = {};
        std::vector<std::string> flight{"--kind", "circle", "--type", "EC35", "--registration", "D-HDAA"};
        flight.insert(flight.end(), c.circle.begin(), c.circle.end());
        const std::vector<std::array<double, 3>> reported = lf_reportedTrack(script(flight));
        fly(flight, [](const FlightWatch& w) { return w.gone; }, 60.0);
        EXPECT_TRUE(watch.gone) << c.what;
        EXPECT_GT(watch.positions.size(), 15000u) << c.what << ": ticks shown, the circle and the predictions after it";
        EXPECT_EQ(watch.creations, 1) << c.what << ": never removed and created again";
        EXPECT_GT(watch.lowest, 400.0) << c.what << ": feet above the airport";
        EXPECT_LT(lf_worstOffTrack(watch, reported, user), c.offTrack) << c.what << ": nm off the reported track";
    }
}

TEST_F(Scenario, AnArrivalTouchesDownOnItsOwnRollsOutAndParksAtTheStand)
{
    // Its reports carry its origin only from a minute on, when it has long been created, and
    // times of a day of their own (from 22:13:20), which drive the traffic clock.
    trafficClockSwitch = true;
    ASSERT_TRUE(gf_createFlightPlanFolder());
    fly({"--kind", "arrival", "--runway", runwayArgument(265.0, 1600.0, 90.0), "--distance", "7", "--hold-after",
         "60", "--from", "LHR", "--to", "AMS", "--from-after", "60"},
        [](const FlightWatch& w) { return !w.phases.empty() && w.phases.back() == phaseAtStand && w.apart == 0.0; },
        150.0);
    trafficClockSwitch = false;
    const std::string now = gf_nowString();
    const int computer = lf_loggedTime(now, "");
    const int landed = lf_loggedTime(log.text(), "KLM1234  landed from LHR ");
    EXPECT_LT((computer - landed + 86400) % 86400, 120) << "the touch-down at the computer's time " << now;
    const int arrived = lf_loggedTime(log.text(), " arrived at stand ");
    EXPECT_TRUE(arrived >= 80000 && arrived < 81600) << "the arrival at the feed's time " << arrived;
    const auto figures = sim->aiFigures();
    EXPECT_EQ(figures.created, 1u) << "the origin filled in is no new identity";
    EXPECT_EQ(figures.removed, 0u);
    EXPECT_EQ(sim->countOf(scReqAiSetFlightPlan), 1u) << "the flight plan of the route now known";
    EXPECT_TRUE(lf_inOrder(watch.phases, {phaseAirborne, phaseGround, phaseToStand, phaseAtStand}))
        << lf_text(watch.phases);
    EXPECT_LE(watch.parkedApart, 2.0) << "metres from its stand when it parks: it parks when shown there";
    EXPECT_LE(watch.overdue, 1);
    EXPECT_LE(watch.turnedTooFast, 1e-9);
    EXPECT_FALSE(watch.noNumber);
    EXPECT_TRUE(logHas("KLM1234  landed from LHR")) << log.text();
    EXPECT_TRUE(logHas("arrived at stand"));
    ASSERT_NE(watch.objectId, 0u);
    EXPECT_EQ(sim->objectValue(watch.objectId, "SIM ON GROUND"), 1.0);
    EXPECT_NEAR(sim->objectValue(watch.objectId, "Plane Latitude"), parkStands.front().latitude, 1e-6);
}

TEST_F(Scenario, ArrivalsWithoutAParkingFileNeverMoveAgainstTheirHeadingAndKeepToTheirTrack)
{
    withoutParkAirport();
    for (const char* interval : {"2", "20"}) {
        watch = {};
        const std::vector<std::string> flight{"--kind", "arrival", "--runway", runwayArgument(265.0, 1600.0, 90.0),
                                              "--distance", "7", "--hold-after", "30", "--interval", interval,
                                              "--jitter", interval == std::string("2") ? "0" : "5"};
        const std::vector<std::array<double, 3>> reported = lf_reportedTrack(script(flight));
        fly(flight, [](const FlightWatch& w) { return w.gone; }, 120.0);
        // Off the reported track, and up again above the lowest altitude so far (porpoising).
        double worst = 0.0, lowest = 1e9, rise = 0.0;
        for (const auto& p : watch.positions) {
            worst = std::max(worst, lf_offTrack(reported, user, p[0], p[1]));
            lowest = std::min(lowest, p[2]);
            rise = std::max(rise, p[2] - lowest);
        }
        EXPECT_TRUE(watch.gone) << interval << " s apart";
        EXPECT_EQ(watch.offCourse(90.0, true), 0.0) << interval << " s apart: backwards in the air";
        EXPECT_EQ(watch.offCourse(90.0, false), 0.0) << interval << " s apart: backwards on the ground";
        EXPECT_LT(worst, 0.07) << interval << " s apart: nm off the reported track";
        EXPECT_LT(rise, 50.0) << interval << " s apart: feet up again on the way down";
        EXPECT_LT(watch.lowest, 20.0) << interval << " s apart: down on the runway";
    }
}

TEST_F(Scenario, AnArrivalWithoutAParkingFileWhoseReportsEndOnItsRollOutSlowsDown)
{
    // Down on the runway 180 s in, the last report at 190 s rolling out east at 95 kt; seen from
    // its approach, or first seen rolling (its touch-down never shown).
    withoutParkAirport();
    for (const char* seen : {"0,0", "0,179"}) {
        watch = {};
        const std::vector<std::string> flight{"--kind", "arrival", "--runway", runwayArgument(265.0, 1600.0, 90.0),
                                              "--distance", "7", "--hold-after", "30", "--gap", "191,1000",
                                              "--gap", seen};
        const std::vector<std::array<double, 3>> reported = lf_reportedTrack(script(flight));
        fly(flight, [](const FlightWatch& w) { return w.gone; }, 60.0);
        EXPECT_TRUE(watch.gone) << seen;
        const std::array<double, 3>& last = reported.back();
        double beyond = 0.0; // metres east of the last report
        for (const auto& p : watch.positions)
            beyond = std::max(beyond, (p[1] - last[1]) * 60.0 * std::cos(last[0] * degToRad) * metresPerNm);
        EXPECT_LT(beyond, 600.0) << seen << ": metres rolled on after the last report";
    }
    EXPECT_FALSE(logHas("took-off")) << log.text();
}

TEST_F(Scenario, AnArrivalWhoseLastReportsBeforeTouchDownAreMissedLandsOnTheRunway)
{
    // No report for the last 80 s of the approach (from 1000 ft above the runway): the aircraft
    // is predicted through the gap, and the first report after it has it rolling out. With a
    // parking file and without one (no approach begins there).
    for (const bool parkingFile : {true, false}) {
        if (!parkingFile) {
            gf_testClearTraffic(); // the first one stays parked
            withoutParkAirport();
        }
        watch = {};
        fly({"--kind", "arrival", "--runway", runwayArgument(265.0, 1600.0, 90.0), "--distance", "7", "--hold-after",
             "30", "--gap", "100,80"},
            [](const FlightWatch& w) { return w.gone || (!w.phases.empty() && w.phases.back() == phaseAtStand); },
            120.0);
        EXPECT_EQ(watch.creations, 1) << parkingFile << ": never removed and created again";
        EXPECT_LT(watch.lowest, 20.0) << parkingFile << ": down on the runway";
        EXPECT_TRUE(lf_inOrder(watch.phases, {phaseAirborne, phaseGround})) << lf_text(watch.phases);
        if (parkingFile) {
            EXPECT_TRUE(logHas("KLM1234  landed")) << log.text();
        }
    }
}

TEST_F(Scenario, ADepartureLeavingTheRadiusFollowsItsReportedTurnAndClimbToTheMargin)
{
    // Straight on beyond 8 nm, then a right turn to the south, climbing, well past the margin.
    const std::vector<std::string> flight{"--kind", "departure", "--runway", runwayArgument(200.0, 400.0, 90.0),
                                          "--hold-before", "60", "--climb", "170", "--turn", "90", "--onward", "150"};
    const std::vector<std::array<double, 3>> reported = lf_reportedTrack(script(flight));
    ASSERT_GT(reported.size(), 100u);

    // The radius that AUTO_RANGE gives once the simulator tells that the user is on the ground.
    AUTO_RANGE.value = true;
    lateralRadiusNm = 40.0;
    {
        std::lock_guard lock(simQueues.mutex);
        ASSERT_EQ(SimConnect_RequestDataOnSimObject(simConnection, reqUserOnGround, defOnGround, 0, scPeriodSecond, 0,
                                                    0, 0, 0),
                  scOk);
    }
    fly(flight,
        [](const FlightWatch& w) {
            if (userOnGround.load() && lateralRadiusNm.load() != 8.0)
                gf_autoRange();
            return w.gone;
        },
        150.0);
    const double radius = lateralRadiusNm.load();
    EXPECT_EQ(radius, 8.0) << "the automatic radius of a user on the ground";
    EXPECT_TRUE(watch.gone);
    EXPECT_TRUE(sim->aiObjects().empty()) << "removed from the simulator";

    // Beyond the radius every position sent lies on the reported track, turn and climb
    // included, out to the margin and no farther.
    std::size_t beyond = 0;
    double farthest = 0.0, worst = 0.0;
    std::array<double, 6> last{};
    for (const auto& p : watch.positions) {
        const double d = gf_distanceNm(user.first, user.second, p[0], p[1]);
        if (d <= radius)
            continue;
        ++beyond;
        worst = std::max(worst, lf_offTrack(reported, user, p[0], p[1]));
        if (d > farthest) {
            farthest = d;
            last = p;
        }
    }
    EXPECT_GT(beyond, 5000u) << "ticks beyond the radius";
    EXPECT_LT(worst, 0.1) << "nm off the reported track";
    EXPECT_GT(farthest, radius + shownMarginNm - 0.3);
    EXPECT_LT(farthest, radius + shownMarginNm + 0.05);
    const auto nearest = std::min_element(reported.begin(), reported.end(), [&](const auto& a, const auto& b) {
        return gf_distanceNm(a[0], a[1], last[0], last[1]) < gf_distanceNm(b[0], b[1], last[0], last[1]);
    });
    EXPECT_NEAR(last[2], (*nearest)[2], 300.0) << "feet, still climbing as reported";
}

TEST_F(Scenario, ACircleEitherWayReportedEvery15To25SecondsIsFlownNoseOnCourseAtItsSpeedBankedIntoTheTurn)
{
    struct Case {
        const char* type;
        const char* registration;
        const char* knots;
        const char* feet;
        int side; // +1 circling right, -1 left
    };
    for (const Case& c : {Case{"B738", "PH-BXA", "180", "3000", 1}, Case{"EC35", "D-HDAA", "90", "1000", -1}}) {
        watch = {};
        const std::string name = std::string(c.type) + (c.side > 0 ? " circling right" : " circling left");
        fly({"--kind", "circle", "--type", c.type, "--registration", c.registration, "--distance", "3", "--knots",
             c.knots, "--altitude", c.feet, "--rate", c.side > 0 ? "3" : "-3", "--seconds", "300", "--interval", "20",
             "--jitter", "5"},
            [](const FlightWatch& w) { return w.gone; }, 80.0);
        EXPECT_TRUE(watch.gone) << name;
        EXPECT_GT(watch.positions.size(), 20000u) << name;
        EXPECT_LT(watch.offCourse(30.0, true), 0.05) << name << ": heading more than 30 degrees off the course";
        // Over the circle reported: once the reports end the predictions slow down and fly straight
        // on, which the aircraft eases onto.
        EXPECT_LT(watch.offSpeed(std::atof(c.knots), 0.3, 28000), 0.01) << name << ": more than 30 % off its speed";
        EXPECT_LT(watch.againstTurn(c.side, 28000), 0.01) << name << ": banked or turning against the turn";
        EXPECT_FALSE(watch.noNumber) << name;
    }
}
