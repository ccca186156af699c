// RealTraffic's traffic records, QNH datagrams and version replies, and what the TCP
// server receives from its client.
#include "fuzz/fuzz.h"

#include "foundation/settingscatalogue.h"
#include "links/livereport.h"
#include "links/qnhreader.h"
#include "links/realtrafficserver.h"
#include "links/trafficreader.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>

namespace fuzz {
namespace {

std::vector<std::string> lf_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

// The datagram as the receive loop hands it on: up to its first NUL, below the buffer size.
std::string_view lf_datagram(const std::string& input)
{
    std::string_view view(input);
    view = view.substr(0, std::min(view.find('\0'), std::size_t{16383}));
    return view;
}


void lf_checkReport(const LiveReport& r)
{
    gf_checkRange(r.latitude, -90, 90, "latitude");
    gf_checkRange(r.longitude, -180, 180, "longitude");
    gf_checkRange(r.heading, 0, 2 * std::numbers::pi, "heading");
    for (const double value : {r.roll, r.altitude, r.groundSpeed, r.track, r.verticalSpeed, r.trueAirSpeed, r.timeStamp})
        gf_checkFinite(value, "a number of the report");
    gf_check(r.altitude >= 0, "a negative altitude");
    gf_check(r.hexid > 10000, "a hex id of 10000 or less");
}

Outcome lf_runRecord(const std::string& input)
{
    TrafficReader& reader = trafficUdpReader;
    reader.datagram = lf_datagram(input);
    reader.handleDatagram();
    std::lock_guard lock(reportDequeMutex);
    if (reportDeque.empty())
        return Outcome::refused;
    gf_check(reportDeque.size() == 1, "one record gave several reports");
    const LiveReport report = reportDeque.back();
    reportDeque.clear();
    lf_checkReport(report);
    return Outcome::accepted;
}

std::unique_ptr<QnhReader> qnhReader;

Outcome lf_runQnh(const std::string& input)
{
    const std::int32_t before = currentQnh;
    currentQnh = -1; // a value that no datagram can publish
    qnhReader->lastQnh = 1013;
    qnhReader->datagram = lf_datagram(input);
    qnhReader->handleDatagram();
    const std::int32_t after = currentQnh;
    currentQnh = before;
    if (after == -1)
        return Outcome::refused;
    gf_checkRange(after, 930, 1080, "the QNH");
    return Outcome::accepted;
}

// The version reply as the start of traffic reads it: the parser's error is its to catch.
Outcome lf_runVersion(const std::string& input)
{
    try {
        gf_checkRealTrafficVersion(input);
    } catch (const nlohmann::json::exception&) {
        return Outcome::refused;
    }
    return input.empty() ? Outcome::refused : Outcome::accepted;
}

std::vector<std::string> lf_versionSeeds()
{
    // The forms of the RealTraffic stand-in's reply.
    return {R"({"version": "10.0.240", "level": 2})", R"({"version": "10.0.123", "level": 1})",
            R"({"version": "9.1.1"})", R"({"version": null, "level": null})", R"({"level": 2, "version": 10})",
            R"({"version":"10.0.240","level":2,"extra":[1,2,{"a":"b"}]})"};
}

// The TCP server: a client connects, sends the input and closes; the server reads its
// version reply as at the start of traffic.
std::string serverPort;
SOCKET lf_connectClient()
{
    SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::stoi(serverPort)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("the fuzz client could not connect");
    return client;
}

void lf_openServer()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    // A free port: taken by a socket of our own for a moment.
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(probe);
    serverPort = std::to_string(ntohs(address.sin_port));
    gf_openServerSocket(serverPort);
}

Outcome lf_runServer(const std::string& input)
{
    const SOCKET client = lf_connectClient();
    if (!waitForClient()) {
        closesocket(client);
        throw std::runtime_error("the server accepted no client");
    }
    send(client, input.data(), static_cast<int>(input.size()), 0);
    shutdown(client, SD_SEND);
    const std::string reply = gf_receiveVersionReply();
    closesocket(client);
    gf_check(reply.size() <= std::max<std::size_t>(input.size(), 1), "the reply is longer than what was sent");
    gf_check(reply.find('\0') == std::string::npos, "the reply holds a NUL");
    Outcome outcome = Outcome::accepted;
    try {
        gf_checkRealTrafficVersion(reply);
        if (reply.empty())
            outcome = Outcome::refused;
    } catch (const nlohmann::json::exception&) {
        outcome = Outcome::refused;
    }
    // The next input is a new connection.
    gf_closeServer();
    gf_openServerSocket(serverPort);
    return outcome;
}

} // namespace

std::vector<Target> gf_realTrafficTargets()
{
    std::vector<Target> targets;
    targets.push_back({"rt_record", "processLine",
                       [] {
                           std::vector<std::string> seeds = lf_lines(gf_sourceFile("tools/realtraffic/sample_traffic.txt"));
                           seeds.resize(std::min<std::size_t>(seeds.size(), 200));
                           return seeds;
                       },
                       [] {
                           gf_setUserPosition(52.3, 4.76); // the sample's area
                           lateralRadiusNm = 300.0;
                           std::lock_guard lock(reportDequeMutex);
                           acceptReports = true;
                       },
                       lf_runRecord, 16384});
    targets.push_back({"rt_qnh", "QNH datagrams",
                       [] {
                           return std::vector<std::string>{
                               R"({"ICAO": "EHAM", "QNH": 1013, "METAR": "EHAM 121250Z 31008KT 10SM CLR 18/07 Q1013"})",
                               R"({"QNH": 2992})", R"({"QNH": "1020"})", R"({"QNH": 1013.4})", R"({"QNH": 925})",
                               R"({"ICAO": "KJFK", "QNH": "2992", "METAR": "KJFK 121251Z 00000KT 10SM A2992"})"};
                       },
                       [] { qnhReader = std::make_unique<QnhReader>(); }, lf_runQnh, 16384});
    targets.push_back({"rt_version", "the version reply", lf_versionSeeds, [] {}, lf_runVersion, 8192});
    targets.push_back({"rt_server", "the TCP server's receive", lf_versionSeeds, lf_openServer, lf_runServer, 20000});
    return targets;
}

} // namespace fuzz
