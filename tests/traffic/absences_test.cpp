// An aircraft whose reports go on stays in the simulator, whatever the feed does meanwhile: feeds
// like these made it vanish for half a minute or more. Each row plays a flight with the feed's fault
// written in and counts what a watcher sees: no absence while the reports go on.
#include "traffic/replay_fixture.h"

namespace {
// A record of the template's flight at a place on the ground, at a speed and track, at a time.
std::string lf_onGround(const std::string& model, LatLon at, double knots, double track, double stamp)
{
    std::vector<std::string> f = lf_fields(model);
    f[2] = fmt::format("{:.6f}", at.first);
    f[3] = fmt::format("{:.6f}", at.second);
    f[4] = f[5] = "0";
    f[6] = "1";
    f[7] = fmt::format("{:.2f}", track);
    f[8] = fmt::format("{:.2f}", knots);
    return lf_record(f, stamp);
}
} // namespace

class Absences : public Replay {
protected:
    // Plays the records with the park airport at the stand C4 and returns the absences.
    std::vector<Absence> absencesOf(const std::vector<std::string>& records)
    {
        const double first = lf_stamp(records.front());
        const auto ticks = static_cast<std::int64_t>((lf_stamp(records.back()) - first) * 100.0);
        shownAt.clear();
        play(records, standPosition, true, ticks + 6000, [&] {
            if (!positions.empty() && gf_now() % 100 == 0)
                shownAt.emplace_back(first + static_cast<double>(gf_now() - startTick) / 100.0,
                                     LatLon{positions.front().latitude, positions.front().longitude});
            return true;
        });
        return lf_absences(presence, lf_flightsOf(records, elevation), standPosition, 8.0);
    }

    std::vector<std::pair<double, LatLon>> shownAt; // where the first object was shown, each second

    // Plays an extract of the Los Angeles recording (tests/data/recordings) with the park airport
    // `park` (empty: none, the user in the air); its absences within `radius` nm, and whether it
    // was shown on the ground.
    std::pair<std::vector<Absence>, bool> playLosAngeles(const std::string& file, const std::string& park, double radius)
    {
        atLosAngeles();
        if (park.empty())
            userInTheAir();
        std::vector<std::string> records;
        const auto flights = lf_readRecording("tests/data/recordings/" + file, elevation, records);
        bool landed = false;
        const auto ticks = lf_spanTicks(records);
        play(records, losAngeles, false, ticks + 3000, [&] {
            for (const Act& a : liveActs)
                landed = landed || (a.base.status == statusCreated && a.onGround);
            return true;
        });
        return {lf_absences(presence, flights, losAngeles, radius), landed};
    }

    // An arrival taxiing east at 15 kt from 1,500 m west of the stand C4 onto it, reported every 10 s.
    std::vector<std::string> taxiToTheStand()
    {
        const std::string model = script({"--kind", "departure", "--runway", runway(200.0, 400.0)}).front();
        std::vector<std::string> records;
        const double start = 1.7e9, metresPerSecond = 15.0 * knot;
        for (double t = 0.0; t <= 300.0; t += 10.0) {
            const double left = std::max(1500.0 - metresPerSecond * t, 0.0);
            records.push_back(lf_onGround(model, gf_offset(standPosition, 270.0, left * metre), left > 0.0 ? 15.0 : 0.0,
                                          90.0, start + t));
        }
        return records;
    }
};

TEST_F(Absences, AnAircraftWhoseReportsGoOnIsNeverGone)
{
    struct Row {
        const char* what;
        std::function<std::vector<std::string>()> records;
    };
    const Row rows[] = {
        {"a light aircraft at 1,300 ft whose feed sends each position twice",
         [this] {
             std::vector<std::string> records;
             for (const std::string& r : script({"--kind", "circle", "--type", "C172", "--registration", "N172SP",
                                                  "--category", "A1", "--distance", "3", "--knots", "95", "--altitude",
                                                  "1300", "--rate", "0.5", "--seconds", "300", "--interval", "8"})) {
                 records.push_back(r);
                 records.push_back(lf_record(lf_fields(r), lf_stamp(r) + 3.0));
             }
             return records;
         }},
        {"an arrival standing 650 m from its stand, beside another, for three minutes at 0 kt, its track jittering",
         [this] {
             const LatLon waits = gf_offset(standPosition, 270.0, 650.0 * metre);
             stands = {{"B1", waits.first, waits.second - 0.0001, 90.0}};
             std::vector<std::string> records = taxiToTheStand();
             std::vector<std::string> held;
             std::size_t at = 0;
             while (at < records.size() && gf_distanceNm(std::stod(lf_fields(records[at])[2]), std::stod(lf_fields(records[at])[3]),
                                                         standPosition.first, standPosition.second) * metresPerNm > 650.0)
                 ++at;
             for (int k = 1; k <= 18; ++k)
                 held.push_back(lf_onGround(records[at], waits, 0.0, std::fmod(90.0 + 97.0 * k, 360.0),
                                            lf_stamp(records[at]) + 10.0 * k));
             for (std::size_t k = at + 1; k < records.size(); ++k)
                 records[k] = lf_record(lf_fields(records[k]), lf_stamp(records[k]) + 180.0);
             records.insert(records.begin() + static_cast<std::ptrdiff_t>(at) + 1, held.begin(), held.end());
             return records;
         }},
        {"an arrival whose feed sends its position at touch-down again for a minute of its roll-out",
         [this] {
             std::vector<std::string> records = script({"--kind", "arrival", "--runway", runway(265.0, 3000.0),
                                                        "--distance", "5", "--hold-after", "120", "--interval", "10"});
             const auto down = std::ranges::find_if(records, [](const std::string& r) { return lf_fields(r)[6] == "1"; });
             for (auto r = down + 1; r != records.end() && r != down + 7; ++r) {
                 std::vector<std::string> f = lf_fields(*r);
                 const std::vector<std::string> frozen = lf_fields(*down);
                 f[2] = frozen[2];
                 f[3] = frozen[3];
                 *r = lf_record(f, lf_stamp(*r));
             }
             return records;
         }},
        {"a departure whose reports leave a gap of 45 s as it lifts off",
         [this] {
             return script({"--kind", "departure", "--runway", runway(200.0, 1500.0), "--hold-before", "30", "--climb",
                            "60", "--interval", "10", "--gap", "220,45"});
         }},
        {"an arrival taxiing through a 45 s gap in its reports",
         [this] {
             std::vector<std::string> records = taxiToTheStand();
             std::erase_if(records, [&](const std::string& r) {
                 const double t = lf_stamp(r) - lf_stamp(records.front());
                 return t > 40.0 && t < 90.0;
             });
             return records;
         }},
    };
    for (const Row& row : rows) {
        stands.clear();
        const std::vector<std::string> records = row.records();
        const std::vector<Absence> absences = absencesOf(records);
        EXPECT_TRUE(absences.empty()) << row.what << lf_describe(absences);
        EXPECT_FALSE(presence.empty()) << row.what << ": never shown";
    }
}

TEST_F(Absences, APoliceHelicopterCirclingAtAFewHundredFeetIsNeitherLandedNorGone)
{
    // klax_20200617.rttfc: N223LA, an AS50 at 375-675 ft near Los Angeles, its reports 4-20 s apart
    // (klax_n223la.rttfc, its first ten minutes). It descends now and then at 250-650 ft a minute,
    // turning: taken for a landing, its reports were set aside and it was shown landed and taxiing
    // 3 km from the airport, then removed, three times.
    const auto [absences, landed] = playLosAngeles("klax_n223la.rttfc", "KLAX", 8.0);
    EXPECT_TRUE(absences.empty()) << lf_describe(absences);
    EXPECT_FALSE(landed);
    EXPECT_FALSE(presence.empty());
}

TEST_F(Absences, ATouchDownSeenFromTheAirBehindTheLastReportInTheAirLandsAndIsNeverGone)
{
    // klax_20200617.rttfc: AAL566 landing at Los Angeles, its last two minutes in the air and its
    // roll (klax_aal566.rttfc). Its first report on the ground lies 415 m back along the runway from
    // its last one in the air. With no park airport (the user in the air) that report was dropped as
    // an old position: its path flew on over the runway at 175 ft, and it was made again 2 km on.
    const auto [absences, landed] = playLosAngeles("klax_aal566.rttfc", "", 40.0);
    EXPECT_TRUE(absences.empty()) << lf_describe(absences);
    EXPECT_TRUE(landed);
}

TEST_F(Absences, ALightAircraftTurningRoundThroughAGapInItsReportsIsNeverGone)
{
    // klax_20200617.rttfc: N24512, a PA28 at 2,500 ft 30 km east of Los Angeles, flying east at 93 kt
    // (klax_n24512.rttfc). After gaps of 64 and 79 s its reports lie behind its last, turned round:
    // set aside as old positions sent again, they left its path to run out, and it was gone for 30 s.
    const auto [absences, landed] = playLosAngeles("klax_n24512.rttfc", "", 40.0);
    EXPECT_TRUE(absences.empty()) << lf_describe(absences);
    EXPECT_FALSE(presence.empty());
}

TEST_F(Absences, ATouchAndGoAtAnotherFieldTakesOffAgainFromItsRollAndIsNeverGone)
{
    // klax_20200617.rttfc: N2092L, a Piper flying circuits with touch-and-goes at Santa Monica, 8 km
    // north of the park airport, from its last downwind to its climb after the next touch-and-go
    // (klax_n2092l.rttfc), with a QNH of 1006 hPa. Its first report after the roll climbs away at 67 kt
    // and 704 ft a minute, 70 ft below the park airport's height: it was put on the ground, and the
    // path took the speed of the next ones down to the roll-out's 41 kt, as for a landing's. Over the
    // feed's next gap of 51 s it fell so far behind them that it was made again.
    qnh = 1006;
    const auto [absences, landed] = playLosAngeles("klax_n2092l.rttfc", "KLAX", 8.0);
    EXPECT_TRUE(absences.empty()) << lf_describe(absences);
    EXPECT_TRUE(landed);
}

TEST_F(Absences, AParkedAircraftStaysOnTwoGlitchesAndIsMadeAgainWhereItsReportsStayAway)
{
    // Parked for four minutes, reported every 10 s; 100 s in, reports 1.4 km off the stand: two
    // and then back (a glitch), or for good (it left the stand unseen: the rest of its departure
    // is left out).
    for (const int away : {2, 14}) {
        std::vector<std::string> records =
            script({"--kind", "departure", "--runway", runway(200.0, 400.0), "--hold-before", "240", "--interval", "10"});
        const double start = lf_stamp(records.front());
        const LatLon off = gf_offset(standPosition, 0.0, 1400.0 * metre);
        std::erase_if(records, [&](const std::string& r) { return lf_stamp(r) - start > 230.0; });
        for (std::string& r : records)
            if (const double t = lf_stamp(r) - start; t >= 100.0 && t < 100.0 + 10.0 * away)
                r = lf_onGround(r, off, 0.0, 0.0, lf_stamp(r));
        const std::vector<Absence> absences = absencesOf(records);
        double farthest = 0.0; // metres from the stand shown before the first report away falls due
        for (const auto& [object, o] : presence)
            EXPECT_GT(o.removed - o.created, 30.0) << away << ": " << o.callsign << " removed soon after its creation";
        for (const auto& [t, at] : shownAt)
            if (t < start + 100.0 + reportLifetimeTicks / 100.0)
                farthest = std::max(farthest, gf_distanceNm(at, standPosition) * metresPerNm);
        EXPECT_LT(farthest, 5.0) << away;
        if (away == 2) {
            EXPECT_TRUE(absences.empty()) << lf_describe(absences);
            EXPECT_EQ(presence.size(), 1u) << "one object all the while";
            EXPECT_LT(gf_distanceNm(shownAt.back().second, standPosition) * metresPerNm, 5.0) << "at its stand at the end";
        } else {
            ASSERT_EQ(absences.size(), 1u);
            EXPECT_LT(absences[0].seconds, 2.0) << lf_describe(absences);
            EXPECT_LT(gf_distanceNm(shownAt.back().second, off) * metresPerNm, 50.0) << "where its reports stay";
        }
    }
}

TEST_F(Absences, AnAircraftMadeAgainIsAskedForAtOnceWhereItsPathIsEvenWithoutAnAnswer)
{
    // A climb-out made again 90 s into its reports: the new object is asked for in the tick the
    // simulator says the old one went, where the path is then; when the simulator says nothing, a
    // few seconds after the old one's removal was sent; behind 80 removals waiting their turn, after it.
    for (const auto [answered, ahead] : {std::pair{true, 0}, std::pair{false, 0}, std::pair{true, 80}}) {
        const std::vector<std::string> records = script({"--kind", "climbout", "--runway", runway(200.0, 400.0), "--distance", "1",
                                                         "--climb", "180", "--interval", "5"});
        const double start = lf_stamp(records.front());
        std::uint32_t old = 0;
        std::size_t before = 0; // creations asked for by then
        double asked = 0.0, created = 0.0;
        LatLon pathThen{}, createdAt{};
        play(records, standPosition, true, 24000, [&] {
            const double now = start + static_cast<double>(gf_now() - startTick) / 100.0;
            Act* a = gf_findAct(hexid);
            if (old == 0 && a && a->base.status == statusCreated && now > start + 90.0) {
                old = a->base.objectId;
                before = creations.size();
                for (int k = 0; k < ahead; ++k)
                    removalQueue.push_back(90000 + k);
                gf_createAgain(*a, "test");
                asked = now;
                if (!answered)
                    objects.erase(old); // gone without a word
            } else if (old != 0 && created == 0.0 && a && creations.size() > before) {
                created = now;
                EXPECT_TRUE(std::ranges::find(removals, old) != removals.end()) << ahead << ": the old object is still there";
                pathThen = {a->latitude, a->longitude};
                createdAt = {creations.back().position.latitude, creations.back().position.longitude};
            }
            return true;
        });
        ASSERT_NE(old, 0u);
        ASSERT_GT(created, 0.0) << answered;
        EXPECT_LT(created - asked, (answered ? 1.0 : 6.0) + ahead * 0.1) << answered;
        EXPECT_LT(gf_distanceNm(pathThen, createdAt) * metresPerNm, 1.0) << "created where its path is";
        const std::vector<Absence> absences = lf_absences(presence, lf_flightsOf(records, elevation), standPosition, 20.0);
        ASSERT_EQ(absences.size(), 1u) << lf_describe(absences);
        EXPECT_LT(absences[0].seconds, answered ? 2.0 : 7.0) << lf_describe(absences);
    }
}
