#include "testlink.h"

#include "foundation/winstring.h"
#include "simconnect/protocol.h"
#include "support/simconnectenv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace {
void lf_collect(const std::uint8_t* packet, std::uint32_t size, void* context)
{
    static_cast<TestLink*>(context)->packets.emplace_back(packet, packet + size);
}
} // namespace

std::string gf_transportName(Transport transport)
{
    switch (transport) {
    case Transport::pipe:
        return "Pipe";
    case Transport::ipv4:
        return "IPv4";
    case Transport::ipv6:
        return "IPv6";
    }
    return "?";
}

std::uint32_t gf_u32(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

void gf_ignorePacket(const std::uint8_t*, std::uint32_t, void*) {}

std::uint32_t gf_lastSentId(ScConnection* connection)
{
    std::uint32_t id = 0;
    EXPECT_EQ(SimConnect_GetLastSentPacketID(connection, &id), scOk);
    return id;
}

TestLink::TestLink(Transport transport, standin::Options options, const std::string& extraKeys)
    : transport(transport)
{
    const std::wstring pipeName = gf_testPipeName();
    options.pipeName = transport == Transport::pipe ? gf_testPipePath(pipeName) : L"";
    options.tcp = transport != Transport::pipe;
    standIn = std::make_unique<standin::SimStandIn>(options);
    std::string section = "[SimConnect." + std::to_string(testConfigIndex) + "]\r\n";
    switch (transport) {
    case Transport::pipe:
        section += "Protocol=Pipe\r\nAddress=.\r\nPort=" + gf_utf16ToUtf8(pipeName) + "\r\n";
        break;
    case Transport::ipv4:
        section += "Protocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" + std::to_string(standIn->port4()) + "\r\n";
        break;
    case Transport::ipv6:
        section += "Protocol=IPv6\r\nAddress=::1\r\nPort=" + std::to_string(standIn->port6()) + "\r\n";
        break;
    }
    gf_testWriteFile(folder / L"SimConnect.cfg", section + extraKeys);
    event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

TestLink::~TestLink()
{
    if (connection != nullptr)
        SimConnect_Close(connection);
    standIn->stop();
    CloseHandle(event);
}

ScResult TestLink::open()
{
    return SimConnect_Open(&connection, "Tarnwick_P3D", nullptr, 0, event, testConfigIndex);
}

bool TestLink::openPastAnswer()
{
    if (open() != scOk || dispatchPackets(1) != scOk || gf_u32(packets[0], 8) != scMsgOpen)
        return false;
    packets.clear();
    return true;
}

ScResult TestLink::dispatchUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        const ScResult result = SimConnect_CallDispatch(connection, lf_collect, this);
        if (result != scOk)
            return result;
        if (done())
            return scOk;
        WaitForSingleObject(event, 20);
    }
    return 1;
}

ScResult TestLink::dispatchUntilClosed()
{
    const ScResult result = dispatchUntil([] { return false; });
    return result == scOk ? 1 : result;
}
