// Live feeds as RealTraffic sends them, through the traffic reader into the traffic manager:
// records sent again, gaps, old positions with a new time, no speed in the air, turns, and
// flights followed beyond the live radius out to the margin.
#include "traffic_fixture.h"

#include "foundation/geometry.h"
#include "foundation/settingscatalogue.h"
#include "links/trafficreader.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>

namespace {
constexpr std::uint32_t flight = 4840101;
constexpr LatLon home{52.0, 4.0};

LatLon lf_east(double nm) { return gf_destinationPoint(home, 90.0 * degToRad, nm * feetPerNm); }

// The reported flight, second by second: east at 250 kt and 5000 ft, from `turnAt` s on
// turning right at `rate` degrees a second for `turnFor` s.
struct State {
    LatLon at;
    double track;
};

std::vector<State> lf_route(double turnAt, double rate, double turnFor)
{
    std::vector<State> route;
    State s{home, 90.0};
    for (int t = 0; t <= 200; ++t) {
        route.push_back(s);
        const double turn = t >= turnAt && t < turnAt + turnFor ? rate : 0.0;
        s.at = gf_destinationPoint(s.at, (s.track + turn / 2.0) * degToRad, 250.0 / 3600.0 * feetPerNm);
        s.track = std::fmod(s.track + turn + 360.0, 360.0);
    }
    return route;
}

// Without a track the record comes from multilateration, which gives no heading either.
std::string lf_record(const State& s, double speed, double time, bool tracked)
{
    return fmt::format("RTTFC,{},{:.6f},{:.6f},5000,0,0,{},{:.1f},KLM1,B738,PH-BXA,AMS,LHR,{:.1f},X2,KL1,{},"
                       "6175,280,250,0.780,0.0,0.0,{:.2f},{:.2f},0,none,A3,1012.8,35008,-1,{:.2f},autopilot,0.0,-21.9,"
                       "223,24,-30,0,1,170124",
                       flight, s.at.first, s.at.second, tracked ? fmt::format("{:.2f}", s.track) : "", speed, time,
                       tracked ? "adsb_icao" : "mlat", s.track, s.track, s.track);
}

// pastMargin: one position beyond the radius and its margin (a glitch), then a gap of 30 s
// from 20 s later; coasting, oldPositions: the last position, or one 32 s old, sent again with new
// times for 24 s, then silence.
enum class Fault { none, oldPosition, sentAgain, gap, noSpeed, pastMargin, coasting, oldPositions };

struct FeedCase {
    const char* name;
    Fault fault;
    double turnRate; // degrees a second from 40 s on
    int dropped;     // reports taken but not added to the path
    int faultAt = 60; // seconds
    double turn = 180.0; // degrees
    bool tracked = true; // the records have a track
    bool ends = false;   // removed once its predictions ran out
};

// What the aircraft did while it was shown.
struct Flown {
    int dropped = 0;
    double backwards = 0.0; // nm, at most, behind the farthest point of the route reached
    double offRoute = 0.0;  // nm, at most
    double lowest = std::numeric_limits<double>::infinity();
    bool shownAtTheEnd = false;
};
} // namespace

class Feeds : public TrafficTest {
protected:
    Feeds()
    {
        std::lock_guard lock(reportDequeMutex);
        acceptReports = true;
    }
    ~Feeds() override
    {
        std::lock_guard lock(reportDequeMutex);
        acceptReports = false;
        lateralRadiusNm = static_cast<double>(LATERAL_RANGE.value.load());
    }

    void feed(const std::string& record)
    {
        reader->datagram = record;
        reader->handleDatagram();
    }

    // Records every 4 s for 140 s, the fault among them; the aircraft watched each tick.
    Flown fly(const FeedCase& c)
    {
        const std::vector<State> route = lf_route(40.0, c.turnRate, c.turnRate > 0.0 ? c.turn / c.turnRate : 0.0);
        reader->userLatitude = home.first;
        reader->userLongitude = home.second;
        Flown flown;
        std::size_t reached = 0;
        for (int tick = 0; tick < 17500; ++tick) {
            const int second = tick / 100;
            const bool due = tick % 400 == 0 && second <= 140;
            const double stamp = 1000.0 + second;
            std::string record;
            const int gapAt = c.fault == Fault::pastMargin ? c.faultAt + 20 : c.faultAt;
            const bool stuck = (c.fault == Fault::coasting || c.fault == Fault::oldPositions) && second >= c.faultAt;
            const bool gap = (c.fault == Fault::gap || c.fault == Fault::pastMargin ? second >= gapAt && second < gapAt + 30
                                                                                     : stuck && second > c.faultAt + 24);
            if (due && !gap) {
                const bool faulty = second == c.faultAt;
                if (faulty && c.fault == Fault::oldPosition)
                    record = lf_record(route[std::max(0, second - 32)], 250.0, stamp, c.tracked);
                else if (stuck)
                    record = lf_record(route[c.faultAt - (c.fault == Fault::coasting ? 4 : 32)], 250.0, stamp, c.tracked);
                else if (faulty && c.fault == Fault::pastMargin)
                    record = lf_record({gf_destinationPoint(home, 0.0, (lateralRadiusNm.load() + shownMarginNm + 1.0) *
                                                                           feetPerNm),
                                        90.0},
                                       250.0, stamp, c.tracked);
                else
                    record = lf_record(route[second], faulty && c.fault == Fault::noSpeed ? 0.0 : 250.0, stamp,
                                       c.tracked);
                feed(record);
                if (faulty && c.fault == Fault::sentAgain)
                    feed(record);
            }
            runTicks(1);
            const Act* a = gf_findAct(flight);
            if (a == nullptr)
                continue;
            if (!record.empty() && a->reportTime == stamp && !a->path.empty() &&
                (a->path.back().latitude != reader->report.latitude ||
                 a->path.back().longitude != reader->report.longitude))
                ++flown.dropped;
            if (a->base.status != statusCreated)
                continue;
            // The nearest second of the route, and how far the aircraft is behind the farthest.
            std::size_t nearest = 0;
            double off = 1e9;
            for (std::size_t i = 0; i < route.size(); ++i) {
                const double d = gf_distanceNm(a->latitude, a->longitude, route[i].at.first, route[i].at.second);
                if (d < off) {
                    off = d;
                    nearest = i;
                }
            }
            reached = std::max(reached, nearest);
            flown.backwards = std::max(flown.backwards, (reached - nearest) * 250.0 / 3600.0);
            flown.offRoute = std::max(flown.offRoute, off);
            flown.lowest = std::min(flown.lowest, a->altitude);
            flown.shownAtTheEnd = tick == 17500 - 1;
        }
        return flown;
    }

    TrafficReader* reader = &trafficUdpReader; // the one the traffic manager tells which flights it shows
};

TEST_F(Feeds, AnAirborneAircraftKeepsGoingThroughTheFaultsOfALiveFeed)
{
    const FeedCase cases[] = {
        {"an old position with a new time", Fault::oldPosition, 0.0, 1},
        {"an old position with a new time in a turn", Fault::oldPosition, 3.0, 1},
        {"an old position with a new time before the aircraft is shown", Fault::oldPosition, 0.0, 1, 24},
        {"a record sent again unchanged", Fault::sentAgain, 0.0, 0},
        {"a gap of 30 s", Fault::gap, 0.0, 0},
        {"a gap of 30 s after a position past the margin", Fault::pastMargin, 0.0, 0},
        {"a speed of 0 in the air", Fault::noSpeed, 0.0, 0},
        {"a half turn at 4 degrees a second", Fault::none, 4.0, 0},
        {"a half orbit at 6 degrees a second without a track", Fault::none, 6.0, 0, 60, 180.0, false},
        {"an old position with a new time in a half orbit without a track", Fault::oldPosition, 6.0, 1, 60, 180.0, false},
        // Flown on for its 64 s of predictions from its last real report, not as long again.
        {"its last position sent again", Fault::coasting, 0.0, 0, 60, 180.0, true, true},
        {"an old position sent again", Fault::oldPositions, 0.0, 7, 60, 180.0, true, true},
    };
    for (const FeedCase& c : cases) {
        gf_testClearTraffic();
        tickCounter = 0;
        removals.clear();
        const Flown flown = fly(c);
        EXPECT_EQ(removals.size(), c.ends ? 1u : 0u) << c.name << ": removed and created again";
        EXPECT_EQ(flown.dropped, c.dropped) << c.name;
        EXPECT_LT(flown.backwards, 0.1) << c.name << ": nm flown back";
        EXPECT_LT(flown.offRoute, 0.3) << c.name << ": nm off the reported route";
        EXPECT_GT(flown.lowest, 4900.0) << c.name;
        EXPECT_NE(flown.shownAtTheEnd, c.ends) << c.name;
    }
}

namespace {
// A created aircraft 9 nm east of the user (radius 8), flying east with two points ahead.
Act& lf_leaving()
{
    Act& act = gf_testAddAct(flight, statusCreated, 61, "KLM1", lf_east(9.0).first, lf_east(9.0).second);
    act.onGround = 0;
    act.phase = phaseAirborne;
    act.heading = 90.0 * degToRad;
    act.altitude = 5000.0;
    act.reportTime = 1000.0;
    act.path.clear();
    for (const auto& [nm, tick] : {std::pair{9.0, 0u}, std::pair{9.3, 430u}, std::pair{9.6, 860u}})
        act.path.push_back({.latitude = lf_east(nm).first, .longitude = lf_east(nm).second, .altitude = 5000.0,
                            .speed = 250.0, .track = 90.0, .tick = tick, .airborne = 1});
    return act;
}
} // namespace

class Margin : public TrafficTest {
protected:
    Margin() { lateralRadiusNm = 8.0; }
    ~Margin() override { lateralRadiusNm = static_cast<double>(LATERAL_RANGE.value.load()); }

    // Ticks with the user at home, until the flight is gone; how far from home it got.
    double flyOut(int limit)
    {
        double farthest = 0.0;
        for (int i = 0; i < limit && gf_findAct(flight) != nullptr; ++i) {
            gf_setCurrentUserAircraft({.latitude = home.first, .longitude = home.second});
            runTicks(1);
            if (const Act* a = gf_findAct(flight)) {
                farthest = std::max(farthest, gf_distanceNm(home.first, home.second, a->latitude, a->longitude));
                predicted = predicted || a->predictionCount > 0;
            }
        }
        return farthest;
    }
    bool predicted = false;
};

TEST_F(Margin, AFlightReportedPastTheMarginFliesOutItsPointsAndEndsWithoutPredictions)
{
    lf_leaving();
    objects.insert(61);
    LiveReport left = report(flight, "KLM1", lf_east(11.2).first, lf_east(11.2).second, 250.0, 1004.0, 500, true,
                             5000.0);
    left.track = 90.0;
    left.reach = beyondMargin;
    queueReport(left);
    const double farthest = flyOut(3000);
    EXPECT_EQ(gf_findAct(flight), nullptr);
    EXPECT_FALSE(predicted);
    EXPECT_NEAR(farthest, 9.6, 0.01) << "its last point, not the report past the margin";
    EXPECT_EQ(removals, std::vector<std::uint32_t>{61});
}

TEST_F(Margin, AFlightBeyondTheRadiusIsPredictedThroughAGapInItsReports)
{
    lf_leaving();
    const double farthest = flyOut(3000);
    EXPECT_TRUE(predicted);
    EXPECT_GT(farthest, 10.5);
    EXPECT_NE(gf_findAct(flight), nullptr) << "still predicted";
}

TEST_F(Margin, OnlyFlightsInTheTableAreFollowedBeyondTheRadiusAndTheReaderIsTold)
{
    gf_testAddAct(flight, statusNew, 0, "KLM1").path.front().tick = 100000; // not yet decided
    runTicks(1);
    EXPECT_TRUE(gf_flightShown(trafficUdpReader, flight));
    LiveReport left = report(flight, "KLM1", 52.3, 6.0, 250.0, 1004.0, 500, true, 5000.0);
    left.reach = beyondMargin;
    queueReport(left);
    runTicks(2);
    EXPECT_EQ(gf_findAct(flight), nullptr) << "never created: dropped at once";
    EXPECT_FALSE(gf_flightShown(trafficUdpReader, flight));

    // A report from beyond the radius of a flight no longer in the table creates nothing.
    LiveReport beyond = report(flight + 1, "KLM2", 52.3, 4.9, 250.0, 1004.0, 500, true, 5000.0);
    beyond.reach = withinMargin;
    queueReport(beyond);
    runTicks(1);
    EXPECT_EQ(gf_findAct(flight + 1), nullptr);
    beyond.reach = withinRadius;
    queueReport(beyond);
    runTicks(1);
    EXPECT_NE(gf_findAct(flight + 1), nullptr);
}
