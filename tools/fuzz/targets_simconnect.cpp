// The simulator's byte stream: the packet cutter, the receive queue and the simulator
// link's dispatch handlers, with packets shaped like the simulator stand-in's.
#include "fuzz/fuzz.h"
#include "fuzz/mutate.h"

#include "app/finalexit.h"
#include "links/simids.h"
#include "links/simlink.h"
#include "simconnect/config.h"
#include "simconnect/connection.h"
#include "simconnect/cutter.h"
#include "simconnect/protocol.h"
#include "simstandin/simstandin.h"
#include "traffic/traffic.h"
#include "foundation/exceptions.h"

#include <algorithm>
#include <cstring>

namespace fuzz {
namespace {

using standin::Bytes;

void lf_put32(Bytes& bytes, std::uint32_t value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), p, p + 4);
}
void lf_putDouble(Bytes& bytes, double value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), p, p + 8);
}
void lf_putText(Bytes& bytes, const std::string& text, std::size_t field)
{
    Bytes padded(field, 0);
    std::memcpy(padded.data(), text.data(), std::min(text.size(), field));
    bytes.insert(bytes.end(), padded.begin(), padded.end());
}

// The data header of an object data answer: request, object, definition, flags, entry,
// count, values.
Bytes lf_dataHead(std::uint32_t request, std::uint32_t object, std::uint32_t define)
{
    Bytes body;
    for (const std::uint32_t word : {request, object, define, 0u, 1u, 1u, 1u})
        lf_put32(body, word);
    return body;
}

std::string lf_text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<Bytes> lf_packets()
{
    std::vector<Bytes> packets;
    Bytes open;
    lf_putText(open, "Lockheed Martin Prepar3D v5", scNameField);
    for (const std::uint32_t word : {5u, 3u, 17u, 28160u, 4u, 0u, 62615u, 0u})
        lf_put32(open, word);
    packets.push_back(standin::message(scMsgOpen, open));
    for (const std::uint32_t code : {1u, 3u, 5u, 11u, 19u, 22u, 23u, 24u, 31u})
        packets.push_back(standin::exceptionMessage(code, 7, 1));
    packets.push_back(standin::quitMessage());
    for (const auto& [event, data] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {evSim, 1}, {evSim, 0}, {evPositionChanged, 0}, {evFlightLoaded, 0}, {999, 3}})
        packets.push_back(standin::eventMessage(event, data));
    for (const std::uint32_t event : {evObjectAdded, evObjectRemoved}) {
        Bytes body;
        for (const std::uint32_t word : {0u, event, 12u, scObjectTypeAircraft})
            lf_put32(body, word);
        packets.push_back(standin::message(scMsgEventObjectAddRemove, body));
    }
    Bytes file;
    for (const std::uint32_t word : {0u, 210u, 0u})
        lf_put32(file, word);
    lf_putText(file, "C:\\Users\\me\\Documents\\Prepar3D v5 Files\\flight.fxml", scPathField);
    packets.push_back(standin::message(scMsgEventFilename, file));
    Bytes frame;
    for (const std::uint32_t word : {0u, evFrame, 0u})
        lf_put32(frame, word);
    const float rate = 29.5f;
    const auto* r = reinterpret_cast<const std::uint8_t*>(&rate);
    frame.insert(frame.end(), r, r + 4);
    frame.insert(frame.end(), r, r + 4);
    packets.push_back(standin::message(scMsgEventFrame, frame));

    Bytes position = lf_dataHead(reqUserPosition, 1, defUserAircraft);
    for (const double value : {52.3086, 4.7639, 0.01, -0.02, 1.5, 35000.0, 34990.0, 450.0})
        lf_putDouble(position, value);
    for (const std::int64_t value : {std::int64_t{43200}, std::int64_t{120}, std::int64_t{2024}, std::int64_t{5}})
        lf_putDouble(position, std::bit_cast<double>(value));
    packets.push_back(standin::message(scMsgObjectData, position));
    Bytes title = lf_dataHead(reqUserTitle, 1, defTitle);
    lf_putText(title, "Stand-in User Aircraft \xC3\xA9t\xC3\xA9 with a title longer than forty-eight bytes", 256);
    packets.push_back(standin::message(scMsgObjectData, title));
    Bytes model = lf_dataHead(reqUserModel, 1, defAtcModel);
    lf_putText(model, "ATCCOM.AC_MODEL_B738.0.text", 32);
    packets.push_back(standin::message(scMsgObjectData, model));
    Bytes ground = lf_dataHead(reqUserOnGround, 1, defOnGround);
    lf_putDouble(ground, std::bit_cast<double>(std::int64_t{1}));
    packets.push_back(standin::message(scMsgObjectData, ground));
    Bytes cg = lf_dataHead(reqStaticCg, 14, defStaticCg);
    lf_putDouble(cg, 9.5);
    lf_putDouble(cg, 0.0087);
    packets.push_back(standin::message(scMsgObjectData, cg));
    Bytes nearby = lf_dataHead(reqWithinRange, 14, defNearbyAircraft);
    for (const double value : {12.0, -3.0, 1.0})
        lf_putDouble(nearby, value);
    lf_putText(nearby, "KLM1234", 32);
    packets.push_back(standin::message(scMsgObjectDataByType, nearby));
    packets.push_back(standin::message(12));
    packets.push_back(standin::filledMessage(64));
    return packets;
}

void lf_checkLinkState()
{
    const UserAircraft user = gf_userAircraftBlock();
    gf_checkRange(user.latitude, -90, 90, "the user latitude");
    gf_checkRange(user.longitude, -180, 180, "the user longitude");
    for (const double value : {user.pitch, user.bank, user.heading, user.altitude, user.altitudeAboveGround,
                               user.groundSpeed})
        gf_checkFinite(value, "a number of the user aircraft");
    const UserAircraftInfo info = gf_userAircraftInfo();
    gf_checkUtf8(info.title, "the user aircraft title");
    const auto characters =
        std::ranges::count_if(info.title, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    gf_check(characters <= 48, "a user aircraft title of more than 48 characters");
    gf_checkFinite(info.halfWingspan, "the user's half wingspan");
    gf_checkFinite(simFrameRate.load(), "the frame rate");
}

// Runs the link's handlers on one packet as the dispatch hands it over; the user errors
// are what the SimConnect thread shows and survives.
void lf_dispatch(const std::uint8_t* packet, std::uint32_t size)
{
    try {
        dispatchSimConnect(packet, size, nullptr);
    } catch (const zeb::UserErrorException&) {
    }
}

void lf_resetLink()
{
    lf_processBuffer(); // the traffic manager drains the answers
    lf_clearAiBookkeeping();
    simulatorQuit = false;
}

void lf_setUpLink()
{
    exitRequestRecorder = [](std::uint32_t, std::uint32_t) {};
    userObjectId = 1;
}

Outcome lf_runDispatch(const std::string& input)
{
    // The receive queue never delivers less than a header.
    if (input.size() < 12)
        return Outcome::refused;
    std::string packet = input;
    const auto size = static_cast<std::uint32_t>(packet.size());
    std::memcpy(packet.data(), &size, 4); // the cutter hands over whole packets only
    lf_dispatch(reinterpret_cast<const std::uint8_t*>(packet.data()), size);
    lf_checkLinkState();
    lf_resetLink();
    return Outcome::accepted;
}

ScConnection* streamConnection = nullptr;

Outcome lf_runStream(const std::string& input)
{
    ScConnection& connection = *streamConnection;
    connection.receive = ScReceiveBuffer{};
    const std::uint32_t limit = std::min(connection.maxReceiveSize, scLargestPacket);
    // Reads of varied lengths, the same for the same input.
    Rng rng = gf_inputRng(input.size(), input.substr(0, 64), 0);
    std::size_t fed = 0;
    Outcome outcome = Outcome::accepted;
    while (fed < input.size()) {
        ScReceiveBuffer& receive = connection.receive;
        if (!sc_makeRoom(receive))
            return Outcome::refused;
        gf_check(receive.bytes.size() <= limit + 2 * scReceiveStep, "the receive buffer outgrew the packet limit");
        const std::size_t room = receive.bytes.size() - receive.writePos;
        const std::size_t length = std::min({room, input.size() - fed, std::size_t{1} + rng() % 4096});
        std::memcpy(receive.bytes.data() + receive.writePos, input.data() + fed, length);
        receive.writePos += length;
        fed += length;
        std::vector<std::uint8_t> cut;
        ScCut result;
        while ((result = sc_cutPacket(receive, connection.maxReceiveSize, cut)) == ScCut::packet) {
            std::uint32_t declared = 0;
            gf_check(cut.size() >= 4, "a packet without its size");
            std::memcpy(&declared, cut.data(), 4);
            gf_check(declared == cut.size(), "a packet cut at another length than it declares");
            gf_check(cut.size() <= limit, "a packet above the limit");
            connection.onPacket(ScPacketBuffer{std::move(cut), 1, 0});
            cut = {};
        }
        sc_dispatchAll(&connection, [](const std::uint8_t* packet, std::uint32_t size, void*) { lf_dispatch(packet, size); },
                       nullptr);
        lf_checkLinkState();
        if (result != ScCut::needMore) { // the connection closes
            outcome = Outcome::refused;
            break;
        }
    }
    lf_resetLink();
    return outcome;
}

} // namespace

std::vector<Target> gf_simConnectTargets()
{
    std::vector<Target> targets;
    targets.push_back({"sc_dispatch", "the link's dispatch handlers",
                       [] {
                           std::vector<std::string> seeds;
                           for (const Bytes& packet : lf_packets())
                               seeds.push_back(lf_text(packet));
                           return seeds;
                       },
                       lf_setUpLink, lf_runDispatch, 4096});
    targets.push_back({"sc_stream", "the packet cutter and dispatch",
                       [] {
                           const std::vector<Bytes> packets = lf_packets();
                           std::vector<std::string> seeds;
                           Rng rng(24);
                           for (int n = 0; n < 64; ++n) {
                               std::string stream;
                               for (std::size_t k = 1 + rng() % 6; k > 0; --k) {
                                   stream += lf_text(packets[rng() % packets.size()]);
                                   if (rng() % 4 == 0)
                                       stream.append(4 * (1 + rng() % 3), '\0'); // padding words
                               }
                               seeds.push_back(stream);
                           }
                           return seeds;
                       },
                       [] {
                           lf_setUpLink();
                           streamConnection = new ScConnection(ScKind::pipe);
                           streamConnection->maxReceiveSize = ScConfig{}.maxReceiveSize;
                       },
                       lf_runStream, 1 << 18});
    return targets;
}

} // namespace fuzz
