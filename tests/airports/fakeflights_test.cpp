// Fake flights: one made-up option per stand, from the table of its kind or region.
#include "parkfolder.h"

#include "app/startup.h"
#include "foundation/settingscatalogue.h"
#include "liveries/liveries.h"

namespace {
StandRecord lf_stand(double radiusMetres, bool cargo = false, bool ramp = false, bool heli = false)
{
    return StandRecord("S", {}, 52.3, 4.7, 0.0, radiusMetres, cargo, ramp, heli);
}

// "airline type" of each stand's last option, or "-" when it has none.
std::vector<std::string> lf_fakes(const std::string& region, std::vector<StandRecord>& stands)
{
    lf_defaultStaticTypes(region, stands);
    std::vector<std::string> fakes;
    for (const StandRecord& stand : stands)
        fakes.push_back(stand.options.empty() ? "-" : stand.options.back().airl + " " + stand.options.back().type);
    return fakes;
}

class FakeFlights : public ParkFolder {
protected:
    FakeFlights()
    {
        RANDOM.value = false;
        currentWeekSlot = WeekSlot{3, 17}.value();
        // Types the data lack take the small mean span of the Light class.
        gf_testReadReferenceData({{"B77W", 64.4}, {"A320", 35.9}, {"B738", 35.8}, {"C208", 16.0}, {"B752", 38.0},
                                  {"A306", 44.8}, {"B763", 47.8}});
    }
};
} // namespace

TEST_F(FakeFlights, EachStandTakesTheFirstFittingTypeOfItsTable)
{
    std::vector<StandRecord> stands{lf_stand(3.0, true, false, true), lf_stand(3.0, true), lf_stand(33.0),
                                    lf_stand(18.0), lf_stand(24.0, true), lf_stand(5.0, false, true)};
    stands[3].options.resize(2);
    stands[3].options[1].seq = 7;
    EXPECT_EQ(lf_fakes("KJFK", stands),
              (std::vector<std::string>{"PVT EC35", "-", "UAL B77W", "FFT A320", "FDX B752", "PVT C172"}));
    const StandOption& fake = stands[2].options.back();
    EXPECT_EQ(std::tie(fake.reg, fake.callsign, fake.seq, fake.day), std::make_tuple("REGFAKE2", "FAKE2", 1, 3))
        << "the small cargo stand took no number";
    EXPECT_EQ(fake.hh, std::bitset<48>(1ull << 17));
    EXPECT_TRUE(fake.soft && fake.fake);
    EXPECT_EQ(fake.mark, 0);
    EXPECT_EQ(stands[3].options.size(), 3u) << "a stand keeps its options";
    EXPECT_EQ(stands[3].options.back().seq, 8);
    EXPECT_EQ(stands[4].options.back().callsign, "FAKE4");

    const std::pair<const char*, std::vector<std::string>> regions[] = {
        {"LFPG", {"ZZZ B738", "ZZZ B738"}}, {"kjfk", {"ZZZ B738", "ZZZ B738"}}, {"", {"ZZZ B738", "ZZZ B738"}},
        {"EGLL", {"KLM B77W", "SAS A320"}}, {"RJTT", {"-", "ANA A20N"}},         {"ZBAA", {"CES A333", "CSA A320"}},
        {"CYYZ", {"ACA B789", "ACA B38M"}}};
    for (const auto& [region, expected] : regions) {
        std::vector<StandRecord> gates{lf_stand(33.0), lf_stand(18.0)};
        EXPECT_EQ(lf_fakes(region, gates), expected) << region;
    }
    std::vector<StandRecord> japan{lf_stand(18.0)};
    EXPECT_EQ(lf_fakeTypesFittingStand(japan[0]),
              (std::vector<std::pair<std::string, std::string>>{{"ANA", "A20N"}, {"JAL", "B738"}}));
}
