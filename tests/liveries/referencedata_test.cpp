// input\dbase.xml and input\fixes.xml as the generator writes them, and the lookups on them.
#include "liveries_fixture.h"

#include "foundation/exceptions.h"
#include "liveries/referencedata.h"

#include <gmock/gmock.h>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using Set = std::set<std::string>;

namespace {
constexpr double nmPerMetre = 1.0 / 1852.0;

class ReferenceData : public LiveriesTest {};
} // namespace

TEST_F(ReferenceData, EveryTableHoldsWhatTheFileSays)
{
    world.registrations.push_back({"PH-BXA", "AFR", "A320", "", false}); // repeated: the first stays
    readReferenceData();

    EXPECT_EQ(knownTypes.size(), world.types.size());
    EXPECT_EQ(buzjetTypes, (Set{"C25A", "CL35", "GLF5"}));
    EXPECT_EQ(heavyTypes, (Set{"A333", "A388", "B744", "B748", "B77W", "B789", "MD11"}));
    EXPECT_EQ(highPerformanceTypes, (Set{"EUFI", "F16"}));
    EXPECT_EQ(rotorcraftTypes, (Set{"AS50", "B06", "EC35"}));
    EXPECT_EQ(largeTypes.size(), 12u) << "spread over two elements in the file";
    EXPECT_EQ(cargoTypes, (Set{"B744", "B748", "MD11"}));
    EXPECT_EQ(icaoAirlines.size(), world.airlines.size());
    EXPECT_TRUE(icaoAirlines.contains("ZZZ") && icaoAirlines.contains("PVT"));
    EXPECT_EQ(cargoOperators, (Set{"CLX", "FDX", "GTI", "UPS"}));
    ASSERT_EQ(similarGroups.size(), world.similarGroups.size());
    EXPECT_THAT(similarGroups[0], ElementsAre("A20N", "A319", "A320", "A321")) << "sorted";

    // Publishers: one group per distinct text, ordered by the whole text.
    ASSERT_EQ(publisherGroups.size(), 4u);
    EXPECT_THAT(publisherGroups[0], ElementsAre("Aerosoft", "AS_"));
    EXPECT_THAT(publisherGroups[3], ElementsAre("Taxi2Gate", "T2G"));

    // Registrations: the first of a repeated one stays, with a marked line.
    ASSERT_EQ(dbRecords.size(), world.registrations.size() - 1);
    const DbRecord& fedex = dbRecords.at("N123FE");
    EXPECT_EQ(std::tie(fedex.airl, fedex.type, fedex.opr, fedex.cargo), std::tuple("FDX", "MD11", "FDX", true));
    EXPECT_EQ(dbRecords.at("PH-BXB").opr, "");
    EXPECT_EQ(dbRecords.at("PH-BXA").airl, "KLM");
    EXPECT_TRUE(log.hasLine("===> regcode PH-BXA already exists"));
    EXPECT_TRUE(log.hasLine("10 dbase records from \"input\\dbase.xml\" read"));

    EXPECT_EQ(modelFixes.size(), 3u);
    EXPECT_EQ(modelFixes.at("A320NEO"), "A20N");
    EXPECT_EQ(pvtFixes, (Set{"PRV", "XAA"}));
    EXPECT_EQ(govFixes, (Set{"GOV"}));
    EXPECT_TRUE(log.hasLine("\"input\\fixes.xml\" read"));
}

TEST_F(ReferenceData, WingspansAreHalfSpansInMilesWithClassMeansForTheOthers)
{
    world.types.push_back({"B739", 2, 30.0});
    readReferenceData();
    EXPECT_DOUBLE_EQ(gf_wingspan("B744"), 64.4 * 0.5 * nmPerMetre);
    EXPECT_DOUBLE_EQ(maxHalfWingspan, 79.8 * 0.5 * nmPerMetre);
    // B752 has no span: the mean of the Large spans; SR22 the mean of the Light ones.
    const double large = (35.8 * 5 + 34.3 + 35.9 + 28.7 + 24.9 + 28.4 + 27.05 + 30.0) / 12 * 0.5 * nmPerMetre;
    EXPECT_NEAR(gf_wingspan("B752"), large, 1e-12);
    EXPECT_NEAR(gf_wingspan("SR22"), (11.0 + 10.7 + 11.9 + 15.9) / 4 * 0.5 * nmPerMetre, 1e-12);
    EXPECT_NEAR(gf_wingspan("ZZZZ"), classDefaultWingspans[0], 1e-15) << "unknown types are Light";
}

TEST_F(ReferenceData, AClassWithoutSpansDefaultsToZeroAndUnknownSpanTypesAreSkipped)
{
    for (refgen::TypeSpec& type : world.types)
        if (type.sizeClass == 5)
            type.wingspanMetres = 0.0;
    refgen::writeReferenceFiles(world, input);
    // A span for a type that the aircraft list lacks.
    std::string text = gf_testReadFile(input / L"dbase.xml");
    text.insert(text.find("</wingspans>"), "<wingspan type=\"" + refgen::encryptType("XX99") + "\" meters=\"50\" />");
    // Spans that are no number, one of them too long to be one, for types without a span.
    for (const auto& [type, meters] : {std::pair{"B752", "35." + std::string(100, '5')}, std::pair{"SR22", std::string("wide")}})
        text.insert(text.find("</wingspans>"),
                    "<wingspan type=\"" + refgen::encryptType(type) + "\" meters=\"" + meters + "\" />");
    gf_testWriteFile(input / L"dbase.xml", text);
    gf_readAircraftData();
    for (const char* type : {"B752", "SR22"}) {
        EXPECT_FALSE(wingspans.contains(type)) << type;
        EXPECT_TRUE(log.hasLine(std::string("===> wingspan of model ") + type + " is no size, skipped")) << type;
    }
    EXPECT_EQ(classDefaultWingspans[5], 0.0);
    EXPECT_EQ(gf_wingspan("EC35"), 0.0);
    EXPECT_GT(classDefaultWingspans[2], 0.0);
    EXPECT_TRUE(log.hasLine("===> wingspan model XX99 is no valid model, skipped"));
    EXPECT_FALSE(wingspans.contains("XX99"));
}

TEST_F(ReferenceData, OptionalSectionsMayBeMissing)
{
    world.similarGroups.clear();
    world.publishers.clear();
    world.registrations.clear();
    for (refgen::TypeSpec& type : world.types)
        type.wingspanMetres = 0.0;
    readReferenceData();
    EXPECT_TRUE(similarGroups.empty() && publisherGroups.empty() && wingspans.empty() && dbRecords.empty());
    EXPECT_EQ(maxHalfWingspan, 0.0);
    EXPECT_EQ(classDefaultWingspans, (std::array<double, 6>{}));
    EXPECT_TRUE(logged("0 dbase records from"));
    EXPECT_EQ(gf_publisherOf("FlyTampa_EHAM.xml"), "unknown");
}

TEST_F(ReferenceData, DamagedFilesStopTheReadingWithTheirCodes)
{
    using Error = zeb::UserErrorException;
    const auto readWith = [&](refgen::Fault fault) {
        refgen::writeDbase(world, input / L"dbase.xml", fault);
        return gf_testErrorText<std::exception>([] { gf_readAircraftData(); });
    };
    EXPECT_EQ(readWith(refgen::Fault::missingSection),
              "61: In an xml file section cargo_operators ICAO codes is empty ");
    EXPECT_EQ(icaoAirlines.size(), world.airlines.size()) << "the sections before stay read";
    EXPECT_EQ(readWith(refgen::Fault::emptySection), "61: In an xml file section rotorcraft rot types is empty ");
    // A code the start-up cannot unscramble is the file's fault, shown to the user.
    EXPECT_EQ(readWith(refgen::Fault::badCode),
              "60: \"input\\dbase.xml\" not read because of decrypt airl \"ABCDE\" error");
    EXPECT_THAT(readWith(refgen::Fault::notXml), ::testing::StartsWith("60: \"input\\dbase.xml\" not read because of "));
    fs::remove(input / L"dbase.xml");
    EXPECT_THAT(gf_testErrorText<Error>([] { gf_readAircraftData(); }),
                ::testing::StartsWith("60: \"input\\dbase.xml\" not read because of "));

    refgen::writeFixes(world, input / L"fixes.xml", refgen::Fault::notXml);
    EXPECT_EQ(gf_testErrorText<Error>([] { gf_readFixes(); }), "3: input\\fixes.xml (or sections of it) not found?");
    fs::remove(input / L"fixes.xml");
    EXPECT_EQ(gf_testErrorText<Error>([] { gf_readFixes(); }), "3: input\\fixes.xml (or sections of it) not found?");
}

TEST_F(ReferenceData, BadFixesAreSkippedWithTheirLines)
{
    world.modelFixes = {{"B737-800", "B738"}, {"B737-800", "B737"}, {"A3XX", "A3XX"}, {"NOFIX", ""}};
    world.pvtFixes = {"PRV", "PRV", "KLM", ""};
    world.govFixes = {"", ""};
    readReferenceData();
    EXPECT_EQ(modelFixes, (std::unordered_map<std::string, std::string>{{"B737-800", "B738"}}));
    EXPECT_EQ(pvtFixes, (Set{"", "PRV"}));
    EXPECT_EQ(govFixes, (Set{""}));
    for (const char* line : {"===> wrong part of fix: B737-800, already exists, skipped",
                             "===> wrong fix A3XX->A3XX, the latter is not a valid model",
                             "===> wrong fix NOFIX->, the latter is not a valid model",
                             "===> wrong: PRV, already exists, skipped", "===> PVT fix KLM is an ICAO airline code? ",
                             "===> wrong: , already exists, skipped"})
        EXPECT_TRUE(log.hasLine(line)) << line;
}

TEST_F(ReferenceData, LookupsBySizeClassRegistrationAndPublisher)
{
    world.types.push_back({"B739", 2});
    world.types.push_back({"B739", 3}); // listed Large and Heavy: Large comes first
    world.publishers.push_back("Bad(Name, Odd,,Shape");
    readReferenceData();
    EXPECT_EQ(gf_sizeCategory("B739"), 2);
    EXPECT_EQ(gf_sizeCategory("EC35"), 5);
    EXPECT_EQ(gf_sizeCategory("F16"), 4);
    EXPECT_EQ(gf_sizeCategory("C172"), 0);
    EXPECT_EQ(gf_sizeCategory(""), 0);
    EXPECT_TRUE(gf_isKnownAircraft("B738"));
    EXPECT_FALSE(gf_isKnownAircraft("") || gf_isKnownAircraft("b738"));
    EXPECT_TRUE(gf_isIcaoAirline("KLM"));
    EXPECT_FALSE(gf_isIcaoAirline("") || gf_isIcaoAirline("XYZ"));

    EXPECT_THAT(gf_regcodeVariants("PHBXA"), ElementsAre("PHBXA", "PH-BXA", "P-HBXA"));
    for (const std::string alone : {"N12345", "G-ABCD", "ABCD"})
        EXPECT_THAT(gf_regcodeVariants(alone), ElementsAre(alone));
    std::optional<DbRecord> record;
    EXPECT_FALSE(lf_findDbRecord("PHBXA", record));
    EXPECT_TRUE(lf_findDbRecord("PH-BXA", record));
    EXPECT_EQ(record->type, "B738");
    EXPECT_EQ(gf_dbTypeOfReg("PHBXA"), "B738");
    EXPECT_EQ(gf_dbAirlineOfReg("PHHSA"), "KLM");
    EXPECT_EQ(gf_dbOperatorOfReg("PHHSA"), "TRA");
    EXPECT_EQ(gf_dbAirlineOfReg("PHXXX"), "");
    EXPECT_EQ(gf_dbTypeOfReg(""), "");

    EXPECT_EQ(gf_publisherOf("FlyTampa_EHAM.xml"), "FlyTampa");
    EXPECT_EQ(gf_publisherOf("ftx_ybbn.xml"), "ORBX") << "the pattern ignores case";
    EXPECT_EQ(gf_publisherOf("some Bad(Name file"), "Bad(Name") << "no pattern, but a plain part";
    EXPECT_EQ(gf_publisherOf("nothing known.xml"), "unknown") << "an empty name names nothing";
}
