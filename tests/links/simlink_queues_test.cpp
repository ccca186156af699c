// The queues to the simulator and the frame flush; creations answered, refused and too long;
// removals; the pause; the send id of each creation read with it under the queue mutex.
#include "links/simlink_fixture.h"

#include "app/buildconfig.h"
#include "app/starttraffic.h"
#include "simconnect/protocol.h"
#include "support/codepage.h"
#include "support/trafficacts.h"

#include <algorithm>
#include <set>
#include <thread>

namespace {
constexpr std::uint32_t userId = 1; // the stand-in's user aircraft

AiPosition lf_position(std::uint32_t objectId, double latitude)
{
    return {latitude, 4.7, 0.01, -0.02, 1.5, 120.0, -5.0, 140.0, objectId};
}

// As the traffic manager hands over a tick's positions.
void lf_handOver(const std::vector<AiPosition>& positions)
{
    std::lock_guard lock(simQueues.mutex);
    simQueues.back->assign(positions.begin(), positions.end());
    std::swap(simQueues.front, simQueues.back);
    simQueues.back->clear();
}

std::vector<std::uint32_t> lf_numbers(const std::vector<standin::Request>& requests)
{
    std::vector<std::uint32_t> numbers;
    for (const standin::Request& r : requests)
        numbers.push_back(r.number);
    return numbers;
}

class SimQueuesTest : public SimLink {
protected:
    void startManual(standin::Options options = {}, SimTransport transport = SimTransport::pipe)
    {
        options.frameIntervalMs = 0; // frames only when the test steps them
        start(transport, options);
        ASSERT_TRUE(waitForUserBlock([](const UserAircraft&) { return userObjectId == userId; }));
        sim().clearRequests();
    }
    // Steps one frame at a time until the condition holds.
    bool stepUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = linkWait)
    {
        return gf_waitFor([&] {
            sim().stepFrames(1);
            return done();
        }, limit);
    }
    // Steps frames until the request of this number has arrived `count` times (a frame that
    // finds the queues busy sends nothing).
    bool frameUntil(std::uint32_t number, std::size_t count = 1)
    {
        return stepUntil([&] { return sim().waitForRequests(number, count, std::chrono::milliseconds(20)); });
    }
    std::uint32_t createdObject(const std::string& callsign)
    {
        std::uint32_t id = 0;
        gf_waitFor([&] { return (id = sim().objectByAtcId(callsign)) != 0; });
        return id;
    }
};
} // namespace

TEST_F(SimQueuesTest, AFrameSendsPositionsEventsCreationsAndRemovalsInThisOrder)
{
    startManual();
    lf_handOver({lf_position(userId, 1.0), lf_position(0, 2.0), lf_position(5, 3.0), lf_position(6, 4.0)});
    queueLights(5, {1, 0, 1, 0, 1, 0, 1});
    {
        std::lock_guard lock(simQueues.mutex);
        simQueues.events.push_back({6, 218, 2, 0}); // FLAPS_SET
    }
    queueEngineStart(6);
    queueAiCreation(gf_testCreation("KLM1234", 0x4840D6));
    queueAiRemoval(5);
    ASSERT_TRUE(frameUntil(scReqAiRemoveObject));

    const std::vector<standin::Request> sent = sim().requests();
    const std::vector<std::uint32_t> expected{
        scReqSetDataOnObject,       scReqSetDataOnObject,  // 5 and 6; the user's and 0 dropped
        scReqTransmitClientEvent,   scReqTransmitClientEvent, scReqTransmitClientEvent, scReqTransmitClientEvent,
        scReqTransmitClientEvent,   scReqTransmitClientEvent, scReqTransmitClientEvent,
        scReqAiReleaseControl,      scReqTransmitClientEvent, scReqAiReleaseControl, // flaps
        scReqTransmitClientEvent,   scReqAiCreateNonAtcAircraft, scReqAiRemoveObject};
    ASSERT_EQ(lf_numbers(sent), expected);
    EXPECT_EQ(sent[0].size, 100u);
    const std::uint32_t fields[] = {402, 5, 0, 1, 64}; // definition, object, flags, count, size
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sent[0].u32(16 + 4 * i), fields[i]) << "at " << 16 + 4 * i;
    const double values[] = {3.0, 4.7, 0.01, -0.02, 1.5, 120.0, -5.0, 140.0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(sent[0].f64(36 + 8 * i), values[i]) << "at " << 36 + 8 * i;
    EXPECT_EQ(sent[1].f64(36), 4.0);
    const std::uint32_t lights[] = {208, 207, 211, 209, 210, 213, 212};
    for (int i = 0; i < 7; ++i) {
        const standin::Request& event = sent[2 + i];
        EXPECT_EQ(event.u32(16), 5u);
        EXPECT_EQ(event.u32(20), lights[i]);
        EXPECT_EQ(event.u32(24), i % 2 == 0 ? 1u : 0u);
        EXPECT_EQ(event.u32(28), 301u);
        EXPECT_EQ(event.u32(32), 0u);
    }
    EXPECT_EQ(sent[9].u32(16), 6u);
    EXPECT_EQ(sent[9].u32(20), 103u);
    EXPECT_EQ(sent[10].u32(20), 218u);
    EXPECT_EQ(sent[10].u32(24), 2u);
    EXPECT_EQ(sent[12].u32(20), 221u);
    EXPECT_EQ(sent[13].text(16, 256), "Livery OK");
    EXPECT_EQ(sent[13].text(272, 12), "KLM1234");
    EXPECT_EQ(sent[13].f64(284), 52.31);
    EXPECT_EQ(sent[13].u32(340), 104u);
    EXPECT_EQ(sent[14].u32(16), 5u);
    EXPECT_EQ(sent[14].u32(20), 105u);

    std::lock_guard lock(simQueues.mutex);
    EXPECT_TRUE(simQueues.front->empty());
    EXPECT_TRUE(simQueues.events.empty());
    EXPECT_TRUE(simQueues.creations.empty());
    EXPECT_TRUE(simQueues.removals.empty());
    EXPECT_GE(simQueues.events.capacity(), 10u) << "emptied, not freed";
}

TEST_F(SimQueuesTest, ABusyFrameSendsNothingAndLosesNothing)
{
    startManual({.frameRate = 45.0f});
    lf_handOver({lf_position(9, 1.0)});
    queueNavLights(9, 1);
    {
        std::unique_lock busy(simQueues.mutex); // the traffic manager is at work
        sim().stepFrames(30);
        ASSERT_TRUE(gf_waitFor([] { return simFrameRate == 45.0f; })) << "the frames were dispatched";
        EXPECT_EQ(sim().requestCount(), 0u);
    }
    ASSERT_TRUE(frameUntil(scReqTransmitClientEvent));
    EXPECT_EQ(lf_numbers(sim().requests()),
              (std::vector<std::uint32_t>{scReqSetDataOnObject, scReqTransmitClientEvent}));
}

TEST_F(SimQueuesTest, ACreationIsAnsweredTakenOverAndReported)
{
    startManual();
    queueAiCreation(gf_testCreation("KLM1234", 0x4840D6));
    queueAiCreation(gf_testCreation("S17*", 17, "Parked Livery"));
    ASSERT_TRUE(frameUntil(scReqAiCreateNonAtcAircraft, 2));
    const std::uint32_t live = createdObject("KLM1234");
    const std::uint32_t parked = createdObject("S17*");
    sim().setUserValue("Plane Latitude", 52.3); // a flight is loaded
    sim().clearRequests();
    requestWithinRange();
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::staticCreated; }));
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::liveCreated; }));
    for (const InboundAnswer& answer : answers()) {
        if (answer.kind == AnswerKind::liveCreated) {
            EXPECT_EQ(answer.objectId, live);
            EXPECT_EQ(answer.secondValue, 0x4840D6u);
            EXPECT_EQ(answer.secondNumber, 0.0) << "on the ground";
        } else if (answer.kind != AnswerKind::objectData) { // a new object's data may follow at once
            EXPECT_EQ(answer.kind, AnswerKind::staticCreated);
            EXPECT_EQ(answer.objectId, parked);
            EXPECT_EQ(answer.secondValue, 17u);
        }
    }
    // Each is released from the simulator's AI and frozen.
    ASSERT_TRUE(sim().waitForRequests(scReqTransmitClientEvent, 6, linkWait));
    for (const std::uint32_t object : {live, parked}) {
        std::vector<std::uint32_t> handOver;
        for (const standin::Request& r : sim().requests())
            if ((r.number == scReqAiReleaseControl || r.number == scReqTransmitClientEvent) && r.u32(16) == object)
                handOver.push_back(r.number == scReqAiReleaseControl ? r.u32(20) : r.u32(20) * 10 + r.u32(24));
        EXPECT_EQ(handOver, (std::vector<std::uint32_t>{103, 2151, 2161, 2171})) << object;
    }

    // The program moves it from now on.
    lf_handOver({lf_position(live, 52.32)});
    ASSERT_TRUE(frameUntil(scReqSetDataOnObject));
    EXPECT_EQ(sim().objectValue(live, "Plane Latitude"), 52.32);
    EXPECT_EQ(sim().objectValue(live, "Plane Altitude"), 120.0);

    // Later reports of the live aircraft go to the traffic manager; the parked one's do not.
    {
        std::lock_guard lock(inboundMutex);
        inboundBuffer.clear();
    }
    requestWithinRange();
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::objectData; }));
    const std::vector<InboundAnswer> data = answers();
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].objectId, live);
    EXPECT_EQ(data[0].secondValue, 1u) << "on the ground";

    // The static centre of gravity of a new aircraft.
    {
        std::lock_guard lock(simQueues.mutex);
        SimConnect_RequestDataOnSimObject(simConnection, 102, 405, live, scPeriodOnce, 0, 0, 0, 0);
    }
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::staticCg; }));
    const InboundAnswer cg = answers().back();
    EXPECT_EQ(cg.objectId, live);
    EXPECT_EQ(cg.firstNumber, 9.5);
    EXPECT_EQ(cg.secondNumber, 0.0087);

    // Lost by the simulator without a word, the live one's removal is answered as an unknown
    // object: it is gone all the same.
    ASSERT_TRUE(sim().forgetObject(live));
    queueAiRemoval(live);
    ASSERT_TRUE(frameUntil(scReqAiRemoveObject));
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::removed; }));
    EXPECT_EQ(answers().back().objectId, live);
}

TEST_F(SimQueuesTest, EveryRefusedCreationIsMatchedToItsOwnAircraft)
{
    startManual({.refusedTitles = {"Refused Livery"}}, SimTransport::ipv4);
    sim().setUserValue("Plane Latitude", 52.3);
    std::set<std::uint32_t> refused, accepted;
    for (std::uint32_t round = 0; round < 10; ++round) {
        // Requests of other threads come between the frames, so the creations' send ids are
        // not in a row.
        requestUserPosition();
        requestWithinRange();
        for (const std::uint32_t flight : {20000 + 2 * round, 20001 + 2 * round}) {
            const bool refuse = flight % 2 == 0;
            queueAiCreation(gf_testCreation(fmt::format("C{}", flight), flight, refuse ? "Refused Livery" : "Livery OK"));
            (refuse ? refused : accepted).insert(flight);
        }
        sim().stepFrames(1);
        ASSERT_TRUE(sim().waitForRequests(scReqAiCreateNonAtcAircraft, 2 * round + 2, linkWait)) << round;
    }
    auto flightsOf = [&](AnswerKind kind) {
        std::set<std::uint32_t> flights;
        for (const InboundAnswer& answer : answers())
            if (answer.kind == kind)
                flights.insert(answer.secondValue);
        return flights;
    };
    requestWithinRange(); // names the created aircraft
    EXPECT_TRUE(gf_waitFor([&] {
        return flightsOf(AnswerKind::creationFailed).size() == 10 && flightsOf(AnswerKind::liveCreated).size() == 10;
    }));
    EXPECT_EQ(flightsOf(AnswerKind::creationFailed), refused);
    EXPECT_EQ(flightsOf(AnswerKind::liveCreated), accepted);
    EXPECT_EQ(requestErrorCount, 0);
}

TEST_F(SimQueuesTest, ATailNumberTooLongFailsThatAircraftOnly)
{
    startManual();
    queueAiCreation(gf_testCreation("ABCDEFGHIJKL", 0x3C6444)); // 12 characters: no room for the end mark
    queueAiCreation(gf_testCreation("ABCDEFGHIJK", 0x3C6445));
    queueAiCreation(gf_testCreation("DLH1", 0x3C6446, std::string(256, 'L')));
    ASSERT_TRUE(frameUntil(scReqAiCreateNonAtcAircraft));
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.secondValue == 0x3C6446; }));
    // The aircraft whose tail number fits may be answered at any moment: only the others count.
    std::vector<InboundAnswer> failed = answers();
    std::erase_if(failed, [](const InboundAnswer& a) { return a.secondValue == 0x3C6445; });
    ASSERT_EQ(failed.size(), 2u);
    for (const InboundAnswer& answer : failed) {
        EXPECT_EQ(answer.kind, AnswerKind::creationFailed);
        EXPECT_EQ(answer.objectId, 0u);
    }
    EXPECT_EQ(failed[0].secondValue, 0x3C6444u);
    EXPECT_FALSE(failed[0].liveryBlamed) << "the callsign did not fit";
    EXPECT_TRUE(failed[1].liveryBlamed) << "the title did not fit";
    EXPECT_EQ(sim().countOf(scReqAiCreateNonAtcAircraft), 1u);
    EXPECT_EQ(sim().requests(scReqAiCreateNonAtcAircraft)[0].text(272, 12), "ABCDEFGHIJK");
    EXPECT_EQ(requestErrorCount, 0) << "no fault of the connection";
    EXPECT_FALSE(simPaused);
    EXPECT_TRUE(logHas("too long for the simulator, hexid:3957828, liv: \"Livery OK\", callsign: ABCDEFGHIJKL"));
}

TEST_F(SimQueuesTest, TitlesAndTailNumbersGoInWindows1252AndAreMeasuredAsSent)
{
    SKIP_UNLESS_ANSI_IS_1252();
    startManual();
    sim().setUserValue("Plane Latitude", 52.3);
    std::string longTitle(240, 'L'); // 255 characters, 270 bytes of UTF-8
    for (int i = 0; i < 15; ++i)
        longTitle += "\xC3\xBC";
    struct Case {
        std::string callsign, title;
        std::uint32_t flight;
        bool created, liveryBlamed;
        std::string sentCallsign, sentTitle; // Windows-1252
    };
    const Case cases[] = {
        {"D-\xC3\x84" "BC", "Fokker 100 D\xC3\xBCsseldorf", 0x3C0001, true, false, "D-\xC4" "BC",
         "Fokker 100 D\xFCsseldorf"},
        {"\xC3\x84" "BCDEFGHIJK", longTitle, 0x3C0002, true, false, "\xC4" "BCDEFGHIJK",
         std::string(240, 'L') + std::string(15, '\xFC')},
        {"KLM7", "Boeing 737 \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", 0x3C0003, false, true}, // Greek
        {"\xCE\xA9" "1", "Livery OK", 0x3C0004, false, false},
    };
    for (const Case& c : cases)
        queueAiCreation(gf_testCreation(c.callsign, c.flight, c.title));
    ASSERT_TRUE(frameUntil(scReqAiCreateNonAtcAircraft, 2));
    const std::vector<standin::Request> sent = sim().requests(scReqAiCreateNonAtcAircraft);
    ASSERT_EQ(sent.size(), 2u);
    requestWithinRange(); // the simulator names the new aircraft by their tail numbers
    for (const std::uint32_t flight : {0x3C0001u, 0x3C0002u})
        ASSERT_TRUE(waitForAnswer([flight](const InboundAnswer& a) { return a.secondValue == flight; })) << flight;
    const std::vector<InboundAnswer> all = answers();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const auto answer = std::ranges::find(all, c.flight, &InboundAnswer::secondValue);
        ASSERT_NE(answer, all.end()) << i;
        EXPECT_EQ(answer->kind, c.created ? AnswerKind::liveCreated : AnswerKind::creationFailed) << i;
        if (!c.created) {
            EXPECT_EQ(answer->liveryBlamed, c.liveryBlamed) << i;
            continue;
        }
        EXPECT_EQ(sent[i].text(272, scTailNumberField), c.sentCallsign) << i; // the created ones come first
        EXPECT_EQ(sent[i].text(16, scNameField), c.sentTitle) << i;
    }
    EXPECT_TRUE(logHas("not in the code page for the simulator, hexid:3932163"));
    EXPECT_EQ(requestErrorCount, 0);
}

TEST_F(SimQueuesTest, AircraftOfOtherProgramsAreNamedAndThenReported)
{
    startManual();
    sim().setUserValue("Plane Latitude", 52.3);
    const std::uint32_t other =
        sim().addObject("Other Livery", "OTHER1", {{"Plane Alt Above Ground", 800}, {"Ground Altitude", -11}});
    const std::uint32_t parked = sim().addObject("Parked", "P1*", {});
    const std::uint32_t high = sim().addObject("High", "HIGH1", {{"Plane Alt Above Ground", 3000}});
    sim().stepFrames(1); // the announcements are dispatched before this frame
    requestWithinRange();
    ASSERT_TRUE(waitForLog(fmt::format("===> just created, but not by Tarnwick_P3D, oid: {}, callsign \"OTHER1\" unknown",
                                       other)));
    EXPECT_TRUE(waitForLog(fmt::format("oid: {}, callsign \"HIGH1\" unknown", high)));
    EXPECT_TRUE(answers().empty());

    requestWithinRange();
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer&) { return true; }));
    sim().removeObject(parked);
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::removed; }));
    const std::vector<InboundAnswer> all = answers();
    ASSERT_EQ(all.size(), 2u) << "nothing of the parked or the high one";
    EXPECT_EQ(all[0].kind, AnswerKind::objectData);
    EXPECT_EQ(all[0].objectId, other);
    EXPECT_EQ(all[0].secondValue, 0u);
    EXPECT_EQ(all[0].firstNumber, -11.0);
    EXPECT_EQ(all[0].secondNumber, 800.0);
    EXPECT_EQ(all[1].objectId, parked);
}

TEST_F(SimQueuesTest, RemovalsOfTheUserOrOfNoObjectAreRefused)
{
    startManual();
    const std::uint32_t other = sim().addObject("Other Livery", "OTHER1", {});
    queueAiRemoval(0);
    queueAiRemoval(userId);
    queueAiRemoval(other);
    ASSERT_TRUE(frameUntil(scReqAiRemoveObject));
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::removed; }));
    EXPECT_EQ(answers()[0].objectId, other);
    EXPECT_EQ(sim().countOf(scReqAiRemoveObject), 1u);
    EXPECT_TRUE(logHas("!Simconnect call to remove AI ac with objectId 0"));
    EXPECT_TRUE(logHas("!Simconnect call to remove AI ac with objectId 1"));
}

TEST_F(SimQueuesTest, WhilePausedOnlyRemovalsAreSent)
{
    startManual();
    const std::uint32_t other = sim().addObject("Other Livery", "OTHER1", {});
    simPaused = true;
    lf_handOver({lf_position(other, 1.0)});
    queueCabinLights(other, 1);
    queueEngineShutdown(other);
    queueAiCreation(gf_testCreation("KLM1234", 0x4840D6));
    queueAiRemoval(other); // the removals of a coming restart
    ASSERT_TRUE(frameUntil(scReqAiRemoveObject));
    simPaused = false;
    sim().stepFrames(2);
    queueAiRemoval(other + 100);
    ASSERT_TRUE(frameUntil(scReqAiRemoveObject, 2));
    EXPECT_EQ(lf_numbers(sim().requests()),
              (std::vector<std::uint32_t>{scReqAiRemoveObject, scReqAiRemoveObject}))
        << "the rest was dropped, not delayed";
    EXPECT_TRUE(sim().aiObjects().empty());
    const std::vector<InboundAnswer> dropped = answers();
    ASSERT_EQ(dropped.size(), 2u) << "the dropped creation and the removal";
    EXPECT_EQ(dropped[0].kind, AnswerKind::creationFailed);
    EXPECT_EQ(dropped[0].secondValue, 0x4840D6u);
    EXPECT_FALSE(dropped[0].liveryBlamed);
}

// Once the traffic stops, every aircraft the simulator made for it leaves, once each: the one
// the traffic removes itself, one whose answer the traffic dropped, both although their first
// removal calls fail, and one still on its way, found by the link alone. A creation queued
// meanwhile is not made and nothing is buffered for the traffic; another program's aircraft stays.
TEST_F(SimQueuesTest, OnceTheTrafficStopsEveryAircraftMadeForItLeavesOnceAndNoneIsMade)
{
    startManual();
    gf_testClearTraffic();
    const std::uint32_t other = sim().addObject("Other Livery", "OTHER1", {});
    queueAiCreation(gf_testCreation("KLM1", 0x484001));
    queueAiCreation(gf_testCreation("KLM2", 0x484002));
    ASSERT_TRUE(frameUntil(scReqAiCreateNonAtcAircraft, 2));
    const std::uint32_t known = createdObject("KLM1");
    gf_testAddAct(0x484001, statusCreated, known);
    ASSERT_NE(createdObject("KLM2"), 0u);
    requestWithinRange();
    ASSERT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.secondValue == 0x484002; }));
    sim().delayCreations(std::chrono::seconds(2)); // made once the traffic has stopped
    queueAiCreation(gf_testCreation("KLM3", 0x484003));
    ASSERT_TRUE(frameUntil(scReqAiCreateNonAtcAircraft, 3));
    {
        std::lock_guard lock(inboundMutex);
        inboundBuffer.clear(); // the traffic dropped the answers
    }

    // For one frame the link has no usable connection: the removal calls fail.
    ScConnection* connection = nullptr;
    {
        std::lock_guard lock(simQueues.mutex);
        std::swap(connection, simConnection);
    }
    gf_stopTrafficShown();
    queueAiCreation(gf_testCreation("KLM4", 0x484004));
    sim().stepFrames(1);
    ASSERT_TRUE(waitForLog(fmt::format("!Simconnect call to remove AI ac from sim failed, id {}?", known)));
    {
        std::lock_guard lock(simQueues.mutex);
        simConnection = connection;
    }
    EXPECT_TRUE(stepUntil([&] {
        return sim().aiFigures().created == 3 && sim().aiObjects() == std::vector<std::uint32_t>{other};
    })) << sim().aiObjects().size() << " objects";
    sim().stepFrames(5);
    EXPECT_EQ(sim().countOf(scReqAiRemoveObject), 3u) << "each once";
    EXPECT_EQ(sim().countOf(scReqAiCreateNonAtcAircraft), 3u) << "nothing new is made";
    EXPECT_TRUE(answers().empty()) << answers().size() << " answers";
    EXPECT_EQ(gf_programObjectsLeft(), 0u);
}

// A creation the simulator never answers: once the traffic has stopped, the link looks for it
// for a bounded time and then gives it up, and nothing is buffered meanwhile, although another
// program's aircraft answers every time.
TEST_F(SimQueuesTest, ACreationNeverAnsweredIsLookedForABoundedTimeAfterTheStopAndNothingIsBuffered)
{
    startManual();
    sim().addObject("Other Livery", "OTHER1", {{"Plane Alt Above Ground", 100.0}});
    sim().delayCreations(std::chrono::hours(1));
    queueAiCreation(gf_testCreation("KLM1", 0x484001));
    ASSERT_TRUE(frameUntil(scReqAiCreateNonAtcAircraft));
    gf_takeNewAiObjects(false);
    const std::string givenUp = fmt::format(
        "===> 1 AI aircraft creations not answered within {} s of the stop, no longer looked for", lateCreationSeconds);
    ASSERT_TRUE(stepUntil([&] { return log.hasLine(givenUp); }, std::chrono::seconds(lateCreationSeconds + 10)));
    const std::size_t asked = sim().countOf(scReqDataOnObjectType);
    EXPECT_GE(asked, static_cast<std::size_t>(lateCreationSeconds) / 2) << "about once a second";
    const auto searches = [this](std::uint32_t type) { // the object type is the request's fourth word
        return std::ranges::count(sim().requests(scReqDataOnObjectType), type, [](const auto& r) { return r.u32(28); });
    };
    EXPECT_EQ(searches(scObjectTypeHelicopter), searches(scObjectTypeAircraft)) << "helicopters each time too";
    stepUntil([] { return false; }, std::chrono::seconds(2));
    EXPECT_EQ(sim().countOf(scReqDataOnObjectType), asked) << "and then no more";
    EXPECT_TRUE(answers().empty()) << answers().size() << " answers";
    EXPECT_EQ(gf_programObjectsLeft(), 0u);
}

TEST_F(SimQueuesTest, ACreationThatCannotBeSentIsReportedAndCounted)
{
    // No connection: every request fails to go out.
    queueAiCreation(gf_testCreation("KLM1234", 0x4840D6));
    flushSimQueues();
    const std::vector<InboundAnswer> failed = answers();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].kind, AnswerKind::creationFailed);
    EXPECT_EQ(failed[0].secondValue, 0x4840D6u);
    EXPECT_FALSE(failed[0].liveryBlamed);
    EXPECT_EQ(requestErrorCount, 1);
    EXPECT_TRUE(logHas("! Simcon call to create ac in sim failed, hexid:4735190"));
}

TEST_F(SimQueuesTest, TheThirdFailedRequestPausesAndRestarts)
{
    startManual();
    countRequestError();
    countRequestError();
    EXPECT_FALSE(simPaused);
    EXPECT_EQ(pendingExits, 0);
    countRequestError();
    EXPECT_TRUE(simPaused);
    EXPECT_TRUE(logHas("SimConnect request error 3, see Log.txt"));
    EXPECT_EQ(pendingExitReason, 2u);
    EXPECT_EQ(pendingExitSeconds, 10u);
    // While paused the user position is not asked for.
    sim().clearRequests();
    requestUserPosition();
    sim().stepFrames(1);
    sim().sendException(42, 1, 1);
    ASSERT_TRUE(waitForLog("SIMCON EXCEP 42"));
    EXPECT_EQ(sim().requestCount(), 0u);
}

TEST_F(SimQueuesTest, ASimulatorThatReadsSlowlyCostsFramesNotMemory)
{
    startManual();
    std::vector<AiPosition> positions;
    for (std::uint32_t i = 0; i < 300; ++i)
        positions.push_back(lf_position(100 + i, 50.0 + i * 0.001));
    sim().holdReading(true);
    constexpr int frames = 20;
    for (int frame = 0; frame < frames; ++frame) {
        lf_handOver(positions);
        ASSERT_TRUE(stepUntil([] {
            std::lock_guard lock(simQueues.mutex);
            return simQueues.front->empty();
        }));
        std::lock_guard lock(simQueues.mutex);
        EXPECT_LE(sc_sendBacklog(simConnection), 256u + positions.size()) << "frame " << frame;
    }
    queueNavLights(100, 1); // other work still goes out behind the waiting positions
    ASSERT_TRUE(stepUntil([] {
        std::lock_guard lock(simQueues.mutex);
        return simQueues.events.empty();
    }));
    sim().holdReading(false);
    ASSERT_TRUE(sim().waitForRequests(scReqTransmitClientEvent, 1, linkWait));
    EXPECT_LT(sim().countOf(scReqSetDataOnObject), frames * positions.size()) << "stale positions were dropped";
    // Once the simulator reads again, every frame's positions go out.
    const std::size_t before = sim().countOf(scReqSetDataOnObject);
    lf_handOver(positions);
    EXPECT_TRUE(stepUntil([&] { return sim().countOf(scReqSetDataOnObject) >= before + positions.size(); }));
}

TEST_F(SimQueuesTest, TheFlushNeverWaitsForTheInboundBufferWhileHoldingTheQueues)
{
    startManual();
    queueAiCreation(gf_testCreation("ABCDEFGHIJKLMNOP", 0x3C6444));
    bool flushed = false;
    {
        // The traffic manager holds the inbound buffer while it handles answers, and takes
        // the queue mutex meanwhile to queue events.
        std::lock_guard inbound(inboundMutex);
        flushed = stepUntil([] {
            std::unique_lock queues(simQueues.mutex, std::try_to_lock);
            return queues.owns_lock() && simQueues.creations.empty();
        }, std::chrono::seconds(5));
    }
    EXPECT_TRUE(flushed);
    EXPECT_TRUE(waitForAnswer([](const InboundAnswer& a) { return a.kind == AnswerKind::creationFailed; }));
}
