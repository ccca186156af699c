#pragma once
// Static parking tests: a program folder (current folder and data folder) with Log.txt, a
// small airport list, stands and options built in code, and the traffic tables emptied.
#include "foundation/logcapture.h"
#include "traffic/parking.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

// Amsterdam and two airports near it; the stands below lie at Amsterdam.
inline constexpr double amsLatitude = 52.3086;
inline constexpr double amsLongitude = 4.7639;

struct OptionWanted {
    std::string airline = "KLM";
    std::string type = "B738";
    std::int32_t day = 1;
    std::vector<std::uint32_t> halfHours;
    std::string callsign;
    std::string secondCallsign;
    std::string registration;
    bool soft = false;
};

// The option as wanted, with its number.
StandOption gf_testOption(const OptionWanted& wanted, std::int32_t number);
// An airport parking file at folder\CODE.xml with the given parkpos elements.
void gf_testWriteParkingFile(const std::filesystem::path& folder, const std::string& code,
                             const std::string& parkpositions);
// <parkpos> at the position with one option holding all day on every weekday.
std::string gf_testParkpos(const std::string& id, double latitude, double longitude, const std::string& airline,
                           const std::string& type, const std::string& callsign);

class ParkingTest : public ::testing::Test {
protected:
    ParkingTest();
    ~ParkingTest() override;

    // A stand `metresEast` east of the first stand position, numbered in order; stands whose
    // radii overlap are neighbours (as the airport parking file loader links them).
    StandRecord& addStand(const std::string& id, double metresEast, std::initializer_list<OptionWanted> options = {},
                          double radiusMetres = 20.0);
    void linkStands();
    // The traffic clock's week slot.
    static void setSlot(std::uint32_t weekday, std::uint32_t halfHour);
    // The user aircraft at a position, on the ground or at an altitude.
    static void setUser(double latitude, double longitude, bool onGround, double altitude = 0.0);
    // A created static parked aircraft at the stand.
    StaticAct& addStatic(std::uint32_t standNumber, const std::string& callsign, const std::string& type = "B738",
                         std::uint32_t objectId = 0);
    // A created live aircraft, parked at the stand (0: flying or taxiing) at the position.
    Act& addLive(std::uint32_t flightId, const std::string& callsign, std::uint32_t standNumber = 0,
                 double latitude = amsLatitude, double longitude = amsLongitude);
    // The reference data and liveries of the generated base world (wingspans, size classes,
    // liveries for static aircraft), as a start-up without scan reads them.
    static void useReferenceWorld();
    // Object ids queued for removal, in order.
    static std::vector<std::uint32_t> removals();
    ::testing::AssertionResult logged(const std::string& text) { return log.holds(text); }

    LogCapture log;
};
