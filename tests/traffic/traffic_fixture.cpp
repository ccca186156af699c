#include "traffic_fixture.h"

#include "foundation/parametersfile.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "links/simlink.h"
#include "liveries/liveries.h"
#include "simconnect/protocol.h"

#include <algorithm>
#include <cmath>

std::vector<SimRequest> TrafficTest::requests;

void TrafficTest::SetUpTestSuite()
{
    TempFolder world(true);
    gf_testLoadWorld();
}

TrafficTest::TrafficTest()
{
    dataFolder = std::filesystem::current_path();
    gf_testClearTraffic();
    liveActs.reserve(64); // tests hold references while they add records
    gf_clearLiveryChoices();
    tickCounter = 0;
    requests.clear();
    simRequestSeam = [](const SimRequest& request) {
        requests.push_back(request);
        return true;
    };
    gf_seedRandomEngine(7);
    simPaused = false;
    userOnGround = false;
    gf_setCurrentUserAircraft({});
    for (GuiBoolParameter* off : {&COLLISION_USER_AIR, &COLLISION_USER_GND, &LOG})
        off->value = false;
    for (GuiBoolParameter* on : {&LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &GUID_CHANGES})
        on->value = true;
    MAX_LIVE.value = MAX_LIVE.defaultValue;
    gf_createFlightPlanFolder();
}

TrafficTest::~TrafficTest()
{
    simRequestSeam = nullptr;
    gf_testClearTraffic();
}

void TrafficTest::runTicks(int n)
{
    for (int i = 0; i < n; ++i) {
        lf_trafficTick();
        if (play)
            lf_answer();
    }
}

bool TrafficTest::tickUntil(const std::function<bool()>& done, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (done())
            return true;
        runTicks(1);
    }
    return done();
}

// What the frame flush and the simulator would do with this tick's queues.
void TrafficTest::lf_answer()
{
    std::vector<InboundAnswer> answers;
    {
        std::lock_guard lock(simQueues.mutex);
        positions = *simQueues.front;
        simQueues.front->clear();
        events.insert(events.end(), simQueues.events.begin(), simQueues.events.end());
        simQueues.events.clear();
        for (const CreationItem& item : simQueues.creations) {
            creations.push_back(item);
            const bool live = item.flightId > highestStaticFlightId;
            // A tail number too long is never sent (the link blames no livery for it).
            const bool tooLong = item.tailNumber.size() >= scTailNumberField;
            if (tooLong || refusedTitles.contains(item.liveryTitle)) {
                answers.push_back({0, item.flightId, 0, AnswerKind::creationFailed, 0.0, 0.0, !tooLong});
                continue;
            }
            objects.insert(nextObjectId);
            createdAltitudes[nextObjectId] = item.position.altitude;
            const double height = std::isnan(groundElevation) ? heightAboveGround
                                                              : std::max(item.position.altitude - groundElevation, 0.0);
            answers.push_back({nextObjectId++, item.flightId, 0,
                               live ? AnswerKind::liveCreated : AnswerKind::staticCreated, 0.0, height});
        }
        simQueues.creations.clear();
        for (const std::uint32_t id : simQueues.removals) {
            removals.push_back(id);
            if (objects.erase(id))
                answers.push_back({id, 0, 0, AnswerKind::removed, 0.0, 0.0});
        }
        simQueues.removals.clear();
    }
    for (; answeredRequests < requests.size(); ++answeredRequests)
        if (requests[answeredRequests].id == 102)
            answers.push_back({requests[answeredRequests].objectId, 0, 0, AnswerKind::staticCg, 8.0, 0.01});
    for (const InboundAnswer& answer : answers)
        lf_pushToBuffer(answer);
}

std::size_t TrafficTest::requestsOf(std::uint32_t id) const
{
    return static_cast<std::size_t>(std::ranges::count(requests, id, &SimRequest::id));
}

LiveReport TrafficTest::report(std::uint32_t hexid, const std::string& callsign, double latitude, double longitude,
                               double speed, double time, std::int32_t due, bool airborne, double altitude)
{
    LiveReport r;
    r.ident.type = "B738";
    r.ident.callsign = callsign;
    r.latitude = latitude;
    r.longitude = longitude;
    r.groundSpeed = speed;
    r.timeStamp = time;
    r.expiry = due;
    r.airborne = airborne ? 1 : 0;
    r.altitude = altitude;
    r.hexid = hexid;
    return r;
}

void TrafficTest::queueReport(const LiveReport& r)
{
    std::lock_guard lock(reportDequeMutex);
    reportDeque.push_back(r);
}
