// Client events of one aircraft: flaps and throttle sent only when they change, nothing a
// rotorcraft lacks, and the cabin lights of an aircraft shut down at its stand.
#include "traffic/motion_fixture.h"

#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/simids.h"

#include <functional>
#include <utility>

namespace {
using Sent = std::vector<std::pair<std::uint32_t, std::uint32_t>>; // event, value

Sent lf_sent(const std::vector<ClientEventItem>& events)
{
    Sent sent;
    for (const ClientEventItem& e : events)
        sent.emplace_back(e.eventId, e.value);
    return sent;
}
} // namespace

TEST_F(Motion, FlapsAndThrottleAreSentWhenTheyChangeAndARotorcraftGetsNoSpoilersGearOrFlaps)
{
    struct Step {
        const char* what;
        std::function<void(StaticAct&)> call;
        Sent plane, rotorcraft;
    };
    const Step steps[] = {
        {"flaps 0 on a new record", [](StaticAct& a) { lf_queueFlaps(a, 0); }, {{ceFlaps, 0}}, {}},
        {"flaps 0 again", [](StaticAct& a) { lf_queueFlaps(a, 0); }, {}, {}},
        {"flaps 2", [](StaticAct& a) { lf_queueFlaps(a, 2); }, {{ceFlaps, 10240}}, {}},
        {"flaps 4", [](StaticAct& a) { lf_queueFlaps(a, 4); }, {{ceFlaps, 0}}, {}},
        {"throttle 2", [](StaticAct& a) { lf_queueThrottle(a, 2); }, {{ceThrottle, 8191}}, {{ceThrottle, 8191}}},
        {"throttle 2 again", [](StaticAct& a) { lf_queueThrottle(a, 2); }, {}, {}},
        {"throttle 5", [](StaticAct& a) { lf_queueThrottle(a, 5); }, {}, {}},
        {"throttle 2 after 5", [](StaticAct& a) { lf_queueThrottle(a, 2); }, {{ceThrottle, 8191}}, {{ceThrottle, 8191}}},
        {"spoilers out", [](StaticAct& a) { lf_queueSpoilers(a, true); }, {{ceSpoilers, 16383}}, {}},
        {"spoilers out again", [](StaticAct& a) { lf_queueSpoilers(a, true); }, {{ceSpoilers, 16383}}, {}},
        {"gear down", [](StaticAct& a) { lf_queueGear(a, true); }, {{ceGear, 1}}, {}},
    };
    Act& plane = addAct(largeClass, {52.3, 4.76}, 0.0, phaseGround);
    Act& rotorcraft = addAct(rotorcraftClass, {52.3, 4.76}, 0.0, phaseGround, "PHHEL");
    for (const Step& step : steps) {
        step.call(plane.base);
        EXPECT_EQ(lf_sent(takeEvents()), step.plane) << step.what;
        step.call(rotorcraft.base);
        EXPECT_EQ(lf_sent(takeEvents()), step.rotorcraft) << step.what << ", rotorcraft";
    }
    EXPECT_EQ(rotorcraft.base.flapsStep, 4u);
}

TEST_F(Motion, AtACargoStandTheCabinStaysDarkElseNineInTenShowLights)
{
    struct Case {
        bool cargo, random;
        int fewest, most; // lit of 1000 shut-downs
    };
    for (const Case c : {Case{false, false, 1000, 1000}, Case{true, false, 0, 0}, Case{true, true, 0, 0},
                         Case{false, true, 851, 949}}) {
        RANDOM.value = c.random;
        StaticAct parked;
        parked.standCargo = c.cargo;
        int lit = 0;
        for (int i = 0; i < 1000; ++i) {
            lf_shutDownAtStand(parked);
            const std::vector<ClientEventItem> events = takeEvents();
            ASSERT_EQ(events.back().eventId, ceCabinLights);
            lit += static_cast<int>(events.back().value);
        }
        EXPECT_GE(lit, c.fewest) << "cargo " << c.cargo << ", random " << c.random;
        EXPECT_LE(lit, c.most) << "cargo " << c.cargo << ", random " << c.random;
    }
}
