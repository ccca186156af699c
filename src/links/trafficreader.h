#pragma once
// The traffic reader: one RealTraffic record per datagram, parsed into a LiveReport.
#include "links/livereport.h"
#include "links/udpreader.h"

#include <atomic>
#include <cstdint>
#include <limits>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TrafficReader final : public UdpReader {
public:
    TrafficReader();
    ~TrafficReader() override { gf_stopReaderThread(*this); }

    // Ignores datagrams with " VEH", splits the record and passes it to `processLine`.
    void handleDatagram() override;
    void onStopped() override;

    // Reader thread only.
    LiveReport report;
    std::vector<std::string_view> fields; // views into the datagram
    double cosineLatitude = std::numeric_limits<double>::quiet_NaN(); // the user latitude of `cosine`
    double cosine = 1.0;
    // The last type each flight (hex id) sent: the feed sends it in some records only.
    std::unordered_map<std::uint32_t, std::string> typesSent;

    // Set by other threads, read for every record.
    std::mutex inputMutex;
    double userLatitude = 0.0;
    double userLongitude = 0.0;
    double parkElevation = 0.0;           // feet
    bool parkElevationKnown = false;

    // The hex ids of the flights that the traffic manager shows, sorted; published by the
    // main loop when they change, looked up only for records beyond the live radius.
    std::mutex shownMutex;
    std::vector<std::uint32_t> shownFlights;

    // Callsigns seen while collecting, for the static parking.
    std::mutex callsignMutex;
    std::set<std::string, std::less<>> callsignsSeen;
    std::atomic<bool> collectCallsigns{false};
};
extern TrafficReader trafficUdpReader;

// Fields between commas; a text after the last comma is a field only when it is not empty.
// True when the datagram holds a blank (only then can it be a ground vehicle's).
bool lf_splitFields(std::string_view datagram, std::vector<std::string_view>& fields);
// Parses the reader's fields into its report and, when the record is wanted and traffic
// is accepted, appends a copy to the report deque. Bad records are dropped silently.
void processLine(TrafficReader& reader);

// Thread body of the traffic reader (port 49005).
void trafficReader(std::uint16_t port);
// Starts the traffic reader's thread, after stopping a previous one.
void gf_startTrafficReader(std::uint16_t port);

// The user aircraft's position, copied in by the main loop; records farther than the live
// radius from it are dropped.
void gf_setUserPosition(double latitude, double longitude);
// The park airport's elevation while its parking file is loaded, cleared with the park airport.
void gf_setParkElevation(double feet);
void gf_clearParkElevation();
// The flights shown now (any order); their reports are followed beyond the live radius.
void gf_setShownFlights(std::vector<std::uint32_t> flights, TrafficReader& reader = trafficUdpReader);
bool gf_flightShown(TrafficReader& reader, std::uint32_t hexid);
// Empties the callsigns seen and starts collecting them.
void gf_startCollectingCallsigns();
// Stops collecting and hands the callsigns seen over, leaving the set empty.
std::set<std::string, std::less<>> gf_takeCallsignsSeen();
