// Learning stand options from live aircraft: real options at arrival, gap fills between
// sightings of one flight (also across midnight), soft options near the park airport, and
// the count of parking edits.
#include "traffic/motion_fixture.h"

#include "foundation/settingscatalogue.h"

namespace {
const LatLon apron{52.3086, 4.7639};

std::vector<std::size_t> lf_halfHours(const StandOption& option)
{
    std::vector<std::size_t> set;
    for (std::size_t h = 0; h < 48; ++h)
        if (option.hh.test(h))
            set.push_back(h);
    return set;
}
} // namespace

class Learning : public Motion {
protected:
    void SetUp() override
    {
        Motion::SetUp();
        gf_testPark(apron);
        gf_testAddStand("D4", apron, 0.0, 30.0);
    }
    StandRecord& stand() { return parkStands.front(); }
    Act& flight(const std::string& registration = "PH-BXA")
    {
        Act& a = addAct(largeClass, apron, 0.0, phaseGround, "KLM1");
        a.base.head.identity.registration = registration;
        return a;
    }
};

TEST_F(Learning, SightingsUpToFiveHalfHoursApartFillTheGapSixApartDoNot)
{
    for (const auto& [later, marked] : {std::pair{23u, std::vector<std::size_t>{20, 21, 22, 23}},
                                         std::pair{25u, std::vector<std::size_t>{20, 21, 22, 23, 24, 25}},
                                         std::pair{26u, std::vector<std::size_t>{20, 26}}}) {
        stand().options.clear();
        stand().realFlights.clear();
        Act& a = flight();
        ASSERT_TRUE(lf_learnRealOption(1, a, true, {3, 20}, false));
        ASSERT_TRUE(lf_learnRealOption(1, a, true, {3, later}, false));
        ASSERT_EQ(stand().options.size(), 1u);
        EXPECT_EQ(lf_halfHours(stand().options[0]), marked) << "at 20 and " << later;
        EXPECT_EQ(stand().options[0].callsign, "KLM1");
    }
}

TEST_F(Learning, AGapAcrossMidnightIsSplitBetweenTheTwoDays)
{
    Act& a = flight();
    ASSERT_TRUE(lf_learnRealOption(1, a, true, {1, 46}, false));
    StandOption tuesday = stand().options[0];
    tuesday.day = 2;
    tuesday.seq = 2;
    tuesday.hh.reset();
    tuesday.hh.set(30);
    stand().options.push_back(tuesday);
    ASSERT_TRUE(lf_learnRealOption(1, a, true, {2, 1}, false));
    ASSERT_EQ(stand().options.size(), 3u);
    EXPECT_EQ(lf_halfHours(stand().options[0]), (std::vector<std::size_t>{46, 47})) << "Monday";
    EXPECT_EQ(stand().options[2].day, 2);
    EXPECT_EQ(lf_halfHours(stand().options[2]), (std::vector<std::size_t>{0, 1})) << "a new Tuesday option";
    EXPECT_EQ(stand().realFlights.at(a.base.head.flightId).option, 3u);
}

TEST_F(Learning, ASecondSightingInTheSameHalfHourLearnsNothing)
{
    Act& a = flight();
    EXPECT_TRUE(lf_learnRealOption(1, a, false, {3, 20}, false));
    EXPECT_EQ(apfEditCount.load(), 1);
    EXPECT_FALSE(lf_learnRealOption(1, a, false, {3, 20}, false));
    EXPECT_EQ(apfEditCount.load(), 1);
    EXPECT_FALSE(lf_learnRealOption(1, flight(""), false, {3, 21}, false)) << "no registration, no real option";
}

TEST_F(Learning, AnArrivalTeachesTheStandItsCargoAndARealOption)
{
    Act& a = flight();
    a.base.head.cargo = 1;
    a.phase = phaseToStand;
    a.base.standNumber = 1;
    a.base.latitude = apron.first;
    a.base.longitude = apron.second;
    const std::uint32_t id = a.base.head.flightId;
    run(1);
    EXPECT_EQ(act(id)->phase, phaseAtStand);
    EXPECT_EQ(stand().cargo, 1);
    EXPECT_EQ(stand().cargo_change, 1);
    ASSERT_EQ(stand().options.size(), 1u);
    EXPECT_EQ(stand().options[0].reg, "PH-BXA");
    EXPECT_EQ(lf_halfHours(stand().options[0]), (std::vector<std::size_t>{20}));
    EXPECT_EQ(apfEditCount.load(), 2) << "the cargo attribute and the option";
    ASSERT_EQ(learningList.size(), 1u);
    EXPECT_EQ(learningList[0].halfHour, 20u);
}

TEST_F(Learning, AFlightEndingNearTheParkAirportWithoutAStandLearnsASoftOption)
{
    struct Case {
        double distanceNm;
        std::uint32_t standNumber;
        std::string registration;
        bool learned;
    };
    for (const Case& c : {Case{4.9, 0, "", true}, Case{5.1, 0, "PH-BXA", false}, Case{1.0, 1, "PH-BXA", false}}) {
        stand().options.clear();
        stand().softFlights.clear();
        learningList.clear();
        Act& a = flight(c.registration);
        const LatLon at = gf_offset(apron, 90.0, c.distanceNm);
        a.latitude = at.first;
        a.longitude = at.second;
        a.base.standNumber = c.standNumber;
        lf_learnSoftStand(a);
        ASSERT_EQ(stand().options.size(), c.learned ? 1u : 0u) << c.distanceNm << " nm, stand " << c.standNumber;
        if (c.learned) {
            EXPECT_TRUE(stand().options[0].soft);
            EXPECT_EQ(learningList.size(), 1u);
        }
    }
    softLearningAllowed = false;
    Act& a = flight();
    lf_learnSoftStand(a);
    EXPECT_TRUE(stand().options.empty()) << "not while static parking forbids it";
}
