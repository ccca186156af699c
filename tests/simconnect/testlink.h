#pragma once
// One client connection of the library to an in-process simulator stand-in, over a
// pipe, IPv4 or IPv6, set up through a SimConnect.cfg in the test's own folder.
#include "simconnect/simconnect.h"
#include "simstandin/simstandin.h"
#include "support/tempfolder.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class Transport { pipe, ipv4, ipv6 };

std::string gf_transportName(Transport transport);
std::uint32_t gf_u32(const std::vector<std::uint8_t>& bytes, std::size_t offset);
// A dispatch routine that drops every packet.
void gf_ignorePacket(const std::uint8_t* packet, std::uint32_t size, void* context);
// The send id of the last request built on the connection (0, and a failure, when the call fails).
std::uint32_t gf_lastSentId(ScConnection* connection);

inline constexpr std::uint32_t testConfigIndex = 1;
inline constexpr auto testWait = std::chrono::seconds(10);

class TestLink {
public:
    // The cfg section sets Protocol, Address and Port; `extraKeys` adds lines to it.
    explicit TestLink(Transport transport, standin::Options options = {}, const std::string& extraKeys = "");
    ~TestLink();

    ScResult open();
    // Opens and dispatches the open answer, so that later packets are counted from 0;
    // false when either fails or the first packet is not the open answer.
    bool openPastAnswer();
    // Dispatches until `done` holds or a call reports a close (its status is returned);
    // 1 when the time ran out.
    ScResult dispatchUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = testWait);
    ScResult dispatchPackets(std::size_t count) { return dispatchUntil([&] { return packets.size() >= count; }); }
    // Dispatches until a call reports the close; its status, or 1 when none came.
    ScResult dispatchUntilClosed();

    const Transport transport;
    TempFolder folder{true};
    std::unique_ptr<standin::SimStandIn> standIn;
    ScConnection* connection = nullptr;
    void* event = nullptr;
    std::vector<std::vector<std::uint8_t>> packets; // as dispatched, in order
};
