// Recorded RealTraffic lines through the traffic reader's parser and the traffic manager's
// ticks, against the simulator link's own thread and the in-process stand-in: the aircraft
// is created, settles, is moved every frame, lands on the stand-in's word and is removed.
#include "links/simlink_fixture.h"

#include "foundation/parametersfile.h"
#include "links/simids.h"
#include "links/trafficreader.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "refgen/refgen.h"
#include "simconnect/protocol.h"
#include "support/trafficacts.h"
#include "traffic/manager.h"

#include <fmt/format.h>

#include <algorithm>
#include <thread>

namespace {
using namespace std::chrono_literals;

// An airborne KLM B738 north of Amsterdam at 5000 ft, 250 kt north.
std::string lf_line(double latitude, double stamp)
{
    return fmt::format("RTTFC,4735489,{:.5f},4.7600,5000,0,0,0.00,250.00,KLM1,B738,PH-BXA,EHAM,EGLL,{:.1f},X2,KL1,"
                       "adsb_icao,27575,320,474,0.780,0.0,0.0,78.93,92.27,1280,none,A5,1012.8,35008,-1,71.02,"
                       "autopilot,0.0,-21.9,223,24,-30,0,1,170124",
                       latitude, stamp);
}

class TrafficEndToEnd : public SimLink {
protected:
    void SetUp() override
    {
        dataFolder = std::filesystem::current_path();
        refgen::writeProgramFiles(refgen::baseWorld(), L".");
        gf_readAircraftData();
        gf_readFixes();
        lf_readLiveriesScanned();
        processScannedLiveries();
        gf_testClearTraffic();
        gf_createFlightPlanFolder();
        lf_setAcceptReports(true);
        reader.userLatitude = 52.3;
        reader.userLongitude = 4.76;
    }
    void TearDown() override
    {
        lf_setAcceptReports(false);
        SimLink::TearDown();
        gf_testClearTraffic();
    }

    // The main loop's ticks, faster: a millisecond apart.
    bool tickUntil(const std::function<bool()>& done, int limit = 6000)
    {
        for (int i = 0; i < limit && !done(); ++i) {
            lf_trafficTick();
            std::this_thread::sleep_for(1ms);
        }
        return done();
    }

    void receive(const std::string& line)
    {
        reader.datagram = line;
        reader.handleDatagram();
    }

    std::size_t positionsSentTo(std::uint32_t objectId) const
    {
        return std::ranges::count_if(sim().requests(), [objectId](const standin::Request& r) {
            return r.number == scReqSetDataOnObject && r.u32(16) == defAiPosition && r.u32(20) == objectId;
        });
    }
    standin::SimStandIn& sim() const { return *standIn; }

    TrafficReader reader;
};
} // namespace

TEST_F(TrafficEndToEnd, ARecordedFlightIsCreatedSettledMovedAndRemoved)
{
    start(SimTransport::pipe, {.userObjectId = 7, .frameIntervalMs = 10}); // AI objects from 8 on
    tickCounter = 0;
    receive(lf_line(52.30000, 1700000000.0));
    tickUntil([] { return tickCounter.load() >= 500; });
    receive(lf_line(52.30600, 1700000005.0));
    ASSERT_EQ(liveActs.size(), 1u);

    std::uint32_t id = 0;
    ASSERT_TRUE(tickUntil([&] { return (id = sim().objectByAtcId("KLM1")) != 0; }));
    const Act* act = gf_findAct(4735489);
    ASSERT_TRUE(act);
    ASSERT_TRUE(tickUntil([&] { return act->base.status == statusCreated; }))
        << "status " << act->base.status << ", object " << act->base.objectId << ", settling " << settlingList.size()
        << "\n" << log.text();
    EXPECT_EQ(act->base.objectId, id);
    EXPECT_EQ(act->base.head.staticCgHeight, 9.5) << "the stand-in's static CG";
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(gf_flightPlanPath(id))));

    // Moved frame after frame; on the ground as soon as the simulator says so.
    EXPECT_TRUE(tickUntil([&] { return positionsSentTo(id) >= 10; }, 3000));
    ASSERT_TRUE(sim().setObjectValue(id, "SIM ON GROUND", 1));
    sim().setObjectValue(id, "Plane Alt Above Ground", 4.0);
    sim().setObjectValue(id, "Ground Altitude", 10.0);
    ASSERT_TRUE(tickUntil([&] { return act->onGround != 0; }, 300));
    EXPECT_EQ(act->heightAboveGround, 4.0);
    EXPECT_EQ(act->altitude, 19.5) << "the ground's altitude plus the static CG";

    // The path runs out: the aircraft leaves the simulator and the table.
    ASSERT_TRUE(tickUntil([&] { return liveActs.empty(); }));
    EXPECT_EQ(sim().objectByAtcId("KLM1"), 0u);
    EXPECT_TRUE(settlingList.empty());
}
