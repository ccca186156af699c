// Whole runs of recorded traffic against the simulator player: nothing is left behind in the
// simulator, and the same reports give the same commands.
#include "traffic_fixture.h"

#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/simqueues.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>

namespace {
struct Flight {
    std::uint32_t hexid;
    std::string callsign;
    double latitude, longitude, speed;
    bool airborne;
};

// Every 5 s each flight reports, 30 s ahead of the tick as the traffic reader queues it;
// the ground flights move east, the airborne ones north.
void lf_queueSecondReports(const std::vector<Flight>& flights, std::int32_t tick)
{
    for (const Flight& f : flights) {
        const double hours = tick / 360000.0;
        const double nm = f.speed * hours;
        LiveReport r = TrafficTest::report(f.hexid, f.callsign, f.latitude + (f.airborne ? nm / 60 : 0),
                                           f.longitude + (f.airborne ? 0 : nm / 60), f.speed, 1000.0 + tick / 100.0,
                                           tick + reportLifetimeTicks, f.airborne, f.airborne ? 5000.0 : 0.0);
        r.track = f.airborne ? 0.0 : 90.0;
        TrafficTest::queueReport(r);
    }
}

const std::vector<Flight> recordedFlights{
    {0x484001, "KLM1", 52.30, 4.76, 15, false}, {0x484002, "KLM2_", 52.31, 4.76, 15, false},
    {0x484003, "DLH3", 52.20, 4.70, 250, true}, {0x484004, "EZY4", 52.25, 4.80, 12, false},
    {0x484005, "KLM2", 52.32, 4.76, 15, false}, {0x484006, "XXX123456", 52.33, 4.76, 15, false}};
} // namespace

class TrafficRun : public TrafficTest {
protected:
    // The recorded reports for `ticks` ticks; a flight changes its callsign halfway. `before`
    // runs before each tick.
    void playRecorded(std::int32_t ticks, const std::function<void(std::int32_t)>& before = {})
    {
        std::vector<Flight> flights = recordedFlights;
        for (std::int32_t tick = 0; tick < ticks; ++tick) {
            if (tick == ticks / 2)
                flights[3].callsign = "EZY44";
            if (before)
                before(tick);
            if (tick % 500 == 0)
                lf_queueSecondReports(flights, tick);
            runTicks(1);
        }
    }

    // What the simulator was told, as text.
    std::string commands() const
    {
        std::string text;
        for (const CreationItem& c : creations)
            text += fmt::format("create {} {} {:.6f} {:.6f}\n", c.tailNumber, c.flightId, c.position.latitude,
                                c.position.heading);
        for (const ClientEventItem& e : events)
            text += fmt::format("event {} {} {}\n", e.objectId, e.eventId, e.value);
        for (const std::uint32_t id : removals)
            text += fmt::format("remove {}\n", id);
        return text;
    }
};

TEST_F(TrafficRun, NoObjectIsLeftBehindThroughGhostsIdentityChangesFailuresTrimmingAndTheExit)
{
    const std::string refused = "Boeing 737-800 KLM FSLTL_Orange";
    refusedTitles = {refused}; // a livery the KLM flights are given: their first creations fail
    const auto removing = [] {
        return std::ranges::count_if(liveActs, [](const Act& a) { return a.base.status == statusRemoving; });
    };
    std::ptrdiff_t trimmed = 0;
    playRecorded(12000, [&](std::int32_t tick) {
        if (tick != 7000)
            return;
        MAX_LIVE.value = 1; // lowered in the window: the main loop trims at once
        const std::ptrdiff_t already = removing();
        lf_removeExcess();
        trimmed = removing() - already;
    });
    EXPECT_FALSE(objects.empty()) << "aircraft were created";
    EXPECT_TRUE(std::ranges::any_of(creations, [&](const CreationItem& c) { return c.liveryTitle == refused; }))
        << "a creation was refused";
    EXPECT_TRUE(std::ranges::find(ghostList, "KLM2_") != ghostList.end()) << "the ghost gave way";
    EXPECT_GT(trimmed, 0) << "the farthest created aircraft went";
    for (const CreationItem& c : creations)
        EXPECT_NE(c.tailNumber, "XXX123456") << "a callsign of nine characters";

    // The end comes right after a new flight's creation was answered.
    MAX_LIVE.value = MAX_LIVE.defaultValue;
    const std::int32_t now = tickCounter;
    for (int n = 0; n < 2; ++n) {
        LiveReport r = report(0x484007, "KLM7", 52.34, 4.76 + n * 0.0003, 15, 1000.0 + now / 100.0 + n * 5.0,
                              now + reportLifetimeTicks + n * 500);
        r.track = 90.0;
        queueReport(r);
    }
    ASSERT_TRUE(tickUntil([] { return !settlingList.empty(); }, 5000));

    // The exit, once the main loop has stopped: no more ticks, only the simulator's answers.
    gf_removeInjectedAircraft();
    lf_answer();
    gf_removeLateCreations();
    lf_answer();
    lf_resetTraffic(); // as a restart does
    EXPECT_TRUE(objects.empty()) << "every object the simulator made was removed";
}

TEST_F(TrafficRun, TheSameReportsGiveTheSameCommands)
{
    playRecorded(6000);
    const std::string first = commands();
    EXPECT_NE(first.find("create KLM1"), std::string::npos);
    lf_resetTraffic();
    gf_testClearTraffic();
    gf_clearLiveryChoices();
    creations.clear();
    events.clear();
    removals.clear();
    objects.clear();
    nextObjectId = 100;
    tickCounter = 0;
    gf_seedRandomEngine(7);
    playRecorded(6000);
    EXPECT_EQ(commands(), first);
}
