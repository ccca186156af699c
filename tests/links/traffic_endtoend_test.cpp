// Recorded RealTraffic lines through the traffic reader's parser and the traffic manager's
// ticks, against the simulator link's own thread and the in-process stand-in: the aircraft
// is created, settles, is moved every frame, lands on the stand-in's word and is removed.
#include "links/simlink_fixture.h"

#include "foundation/parametersfile.h"
#include "foundation/winstring.h"
#include "links/simids.h"
#include "links/trafficreader.h"
#include "liveries/liveries.h"
#include "liveries/liverydata.h"
#include "refgen/packagetree.h"
#include "refgen/refgen.h"
#include "simconnect/protocol.h"
#include "support/tempfolder.h"
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

// The same, with a simulator that takes the aircraft for a helicopter or not.
class TrafficEndToEndAsType : public TrafficEndToEnd, public ::testing::WithParamInterface<bool> {};

const std::string flightTitle = "Boeing 737-800 KLM PH-BXA";
} // namespace

INSTANTIATE_TEST_SUITE_P(Types, TrafficEndToEndAsType, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Helicopter" : "Aircraft"; });

TEST_P(TrafficEndToEndAsType, ARecordedFlightIsCreatedSettledMovedAndRemoved)
{
    standin::Options options{.userObjectId = 7, .frameIntervalMs = 10}; // AI objects from 8 on
    if (GetParam())
        options.helicopterTitles = {flightTitle};
    start(SimTransport::pipe, options);
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
    EXPECT_EQ(sim().requests(scReqAiCreateNonAtcAircraft).at(0).text(16, scNameField), flightTitle);
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

    // The path runs out, and its reports have been quiet more than a minute: the aircraft leaves the
    // simulator and the table.
    ASSERT_TRUE(tickUntil([&] { return liveActs.empty(); }, 12000));
    EXPECT_EQ(sim().objectByAtcId("KLM1"), 0u);
    EXPECT_TRUE(settlingList.empty());
}

// A livery of a Windows-1252 file without a mark, scanned, matched and created: the simulator
// knows its title by the file's bytes, read in its code page whichever that is, and refuses
// any other.
TEST_F(TrafficEndToEnd, ALiveryTitleBeyondAsciiIsAskedForInTheSimulatorsCodePage)
{
    const std::filesystem::path packages = std::filesystem::current_path() / L"AI";
    refgen::writeConfigFile(packages / L"B738", "B738",
                            {{"Boeing 737-800 KLM D\xC3\xBCsseldorf", "KLM", "GATE", "PH-BXA"}}, "aircraft.cfg",
                            refgen::TextForm::ansi);
    ASSERT_NE(gf_testReadFile(packages / L"B738" / L"aircraft.cfg").find("D\xFCsseldorf"), std::string::npos);
    for (const wchar_t* folder : {L"output\\info", L"output\\errors"})
        std::filesystem::create_directories(folder);
    std::vector<std::string> folders{gf_pathText(packages)};
    ASSERT_TRUE(gf_scanLiveries(true, false, false, folders));

    start(SimTransport::pipe, {.userObjectId = 7, .frameIntervalMs = 10, .packageFolders = {packages}});
    ASSERT_EQ(sim().knownTitleCount(), 1u);
    receive(lf_line(52.30000, 1700000000.0));
    tickUntil([] { return tickCounter.load() >= 500; });
    receive(lf_line(52.30600, 1700000005.0));
    ASSERT_TRUE(tickUntil([&] { return sim().objectByAtcId("KLM1") != 0 || sim().aiFigures().refused > 0; }));
    const std::vector<standin::Request> created = sim().requests(scReqAiCreateNonAtcAircraft);
    ASSERT_FALSE(created.empty());
    EXPECT_EQ(created[0].text(16, scNameField), "Boeing 737-800 KLM D\xFCsseldorf");
    EXPECT_EQ(sim().aiFigures().refused, 0u);
    EXPECT_NE(sim().objectByAtcId("KLM1"), 0u);
}
