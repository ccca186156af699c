// The traffic manager's heartbeat: one 10 ms tick of upkeep, the movement pass and the reset.
#include "traffic/manager.h"
#include "traffic/motion.h"

#include "app/mainwindow.h"
#include "foundation/log.h"
#include "foundation/settingscatalogue.h"
#include "links/qnhreader.h"
#include "links/realtrafficserver.h"
#include "links/simlink.h"
#include "links/simqueues.h"
#include "links/trafficreader.h"
#include "liveries/liveries.h"

#include <algorithm>

std::atomic<std::int32_t> tickCounter{0};
std::atomic<bool> staticParkingRunning{false};

namespace {
UserAircraft currentUser;

// A new aircraft in the air is made where its reports put it when its creation is sent, not when
// it was asked for: the queue may hold it for seconds, in which it flies on. True when it is.
bool lf_placeAtReports(const Act& act, ScInitPosition& at)
{
    // (Its path on the ground, below the airport's height on a low-pressure day, it is shown there.)
    if (act.madeAgain || act.onGround || !gf_madeInTheAir(act))
        return false;
    const double now = static_cast<double>(gf_now());
    const auto b = std::ranges::find_if(act.path, [&](const PathPoint& p) { return gf_reportedTick(p) > now; });
    if (b == act.path.begin() || b == act.path.end() || !b->airborne || !std::prev(b)->airborne)
        return false;
    const PathPoint& a = *std::prev(b);
    const double f = (now - gf_reportedTick(a)) / (gf_reportedTick(*b) - gf_reportedTick(a));
    at.latitude = a.latitude + f * (b->latitude - a.latitude);
    at.longitude = a.longitude + f * (b->longitude - a.longitude);
    at.altitude = a.altitude + f * (b->altitude - a.altitude);
    if (a.latitude != b->latitude || a.longitude != b->longitude)
        at.heading = gf_initialBearing({a.latitude, a.longitude}, {b->latitude, b->longitude}) * radToDeg;
    return true;
}

void lf_paceQueues()
{
    const std::int64_t now = gf_now();
    if (now % 10 != 0)
        return;
    if (!removalQueue.empty()) {
        queueAiRemoval(removalQueue.front());
        removalQueue.pop_front();
    }
    if (now % 50 != 0)
        return;
    if (!liveCreationItems.empty()) {
        CreationItem item = liveCreationItems.front();
        liveCreationItems.pop_front();
        if (Act* act = gf_findAct(item.flightId); act && lf_placeAtReports(*act, item.position))
            gf_noteCreation(*act, item.position);
        queueAiCreation(item);
        return;
    }
    if (!staticCreationItems.empty()) {
        queueAiCreation(staticCreationItems.front());
        staticCreationItems.pop_front();
    }
    if (!standCandidates.empty())
        lf_placeStaticParked();
}

void lf_takeReports()
{
    std::lock_guard lock(reportDequeMutex);
    for (int taken = 0; taken < 2 && !reportDeque.empty(); ++taken) {
        lf_processReport(std::move(reportDeque.front()));
        reportDeque.pop_front();
    }
}

CreationItem lf_creationItemOf(const Act& act)
{
    CreationItem item;
    item.position.latitude = act.latitude;
    item.position.longitude = act.longitude;
    item.position.altitude = act.altitude;
    item.position.pitch = act.pitch * radToDeg;
    item.position.bank = act.bank * radToDeg;
    item.position.heading = act.heading * radToDeg;
    item.position.onGround = gf_madeInTheAir(act) ? 0 : 1;
    item.position.airspeed = 0;
    item.tailNumber = act.callsign();
    item.liveryTitle = act.base.head.liveryTitle;
    item.flightId = act.base.head.flightId;
    return item;
}

void lf_takeCreationRequest()
{
    if (creationRequests.empty())
        return;
    const std::uint32_t flightId = creationRequests.back();
    creationRequests.pop_back();
    if (Act* act = gf_findAct(flightId)) {
        liveCreationItems.push_back(lf_creationItemOf(*act));
        gf_noteCreation(*act);
    }
}

void lf_requestWithinRange()
{
    const std::int64_t period = landingFlag ? 20 : 100;
    if (gf_now() % period != 0 || simPaused.load())
        return;
    SimRequest request{.id = 101, .radius = static_cast<std::uint32_t>(std::max(lateralRadiusMetres.load(), 0))};
    if (!gf_simRequest(request)) {
        gf_logMarked("SimConnect request ac within range fails");
        countRequestError();
    }
}

// The traffic reader follows the flights shown beyond the live radius: it is told their hex
// ids whenever the table's flights change (table order, so an unchanged table costs a compare).
std::vector<std::uint32_t> shownFlights;

void lf_publishShownFlights()
{
    if (std::equal(liveActs.begin(), liveActs.end(), shownFlights.begin(), shownFlights.end(),
                   [](const Act& act, std::uint32_t id) { return act.base.head.flightId == id; }))
        return;
    shownFlights.clear();
    for (const Act& act : liveActs)
        shownFlights.push_back(act.base.head.flightId);
    gf_setShownFlights(shownFlights);
}

// The positions filled by the movement pass, handed to the frame flush.
std::vector<AiPosition> positionsBeingFilled;

void lf_handOverPositions()
{
    std::unique_lock lock(simQueues.mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        if (simFrameRate.load() <= 50.0f) {
            positionsBeingFilled.clear();
            return;
        }
        lock.lock();
    }
    simQueues.back->swap(positionsBeingFilled);
    std::swap(simQueues.front, simQueues.back);
    positionsBeingFilled.clear();
}
} // namespace

const UserAircraft& gf_currentUserAircraft() { return currentUser; }

void gf_setCurrentUserAircraft(const UserAircraft& user) { currentUser = user; }

void lf_trafficTick()
{
    lf_processBuffer();
    gf_publishStandsWhenChanged();
    lf_groundMovementTick();
    lf_paceQueues();
    lf_takeReports();
    lf_takeCreationRequest();
    lf_requestWithinRange();
    if (gf_now() % 100 == 0) {
        gf_sendPosition();
        currentUser = requestUserPosition();
    }
    lf_publishShownFlights();
    ++tickCounter;
}

void lf_groundMovementTick()
{
    bool anyRemoved = false;
    for (std::size_t i = 0; i < liveActs.size(); ++i) {
        Act& act = liveActs[i];
        if (act.base.status == statusCreated && !gf_remakeWhenDue(act)) {
            if (!act.path.empty() && gf_now() >= act.path.front().tick)
                lf_groundStep(act);
            if (act.base.status == statusCreated) {
                if (!act.path.empty() && !act.path.front().hold) {
                    lf_liftOffWhenDue(act);
                    const LatLon before{act.latitude, act.longitude};
                    lf_followCurve(act);
                    if (LatLon{act.latitude, act.longitude} != before) { // not while the nose turns on the spot
                        act.latStep += act.latStepChange;
                        act.lonStep += act.lonStepChange;
                    }
                }
                gf_moveShown(act);
                // What is sent with the position is what the simulator shows: its climb and speed.
                const ShownMotion& s = act.shown;
                act.rate1 = s.verticalRate / 60.0;
                act.rate2 = act.phase == phasePushBack ? act.keptSpeed : s.speed;
                if (act.base.status == statusCreated) // not when it is to be made again
                    positionsBeingFilled.push_back({s.latitude, s.longitude, s.pitch, s.bank, s.heading, s.altitude,
                                                    act.rate1, act.rate2, act.base.objectId});
            }
        } else if (act.base.status == statusNew) {
            lf_decideAll(act);
        } else if (act.base.status == statusRecreate && gf_oldObjectOverdue(act)) {
            // The simulator has not said that the old object went: the aircraft is not kept
            // from the simulator for that.
            gf_oldObjectGone(act);
        }
        anyRemoved = anyRemoved || act.remove;
    }
    if (anyRemoved)
        std::erase_if(liveActs, [](const Act& act) { return act.remove != 0; });
    lf_handOverPositions();
}

void lf_resetTraffic()
{
    gf_setParkAirport({});
    const bool livePainted = mainWindow.parkedLiveCount.exchange(0) != 0;
    if (mainWindow.parkedStaticCount.exchange(0) != 0 || livePainted)
        gf_repaintBand(statisticsBand);
    {
        std::lock_guard lock(inboundMutex);
        inboundBuffer.clear();
    }
    settlingList.clear();
    ghostList.clear();
    unknownTypeFlights.clear();
    learningList.clear();
    staticConflictChecks.clear();
    standCandidates.clear();
    gf_resetMatchingState();
    creationRequests.clear();
    {
        std::lock_guard lock(parkAirportsMutex);
        parkAirports.clear();
    }
    removalQueue.clear();
    liveCreationItems.clear();
    staticCreationItems.clear();
    gf_resetStaticParking();
    staticActs.clear();
    {
        std::lock_guard lock(reportDequeMutex);
        reportDeque.clear();
    }
    landingFlag = false;
    if (staticParkingRunning.exchange(false))
        gf_repaintBand(controlsBand);
    liveActs.clear();
    gf_forgetHeldOutliers();
    lf_publishShownFlights();
    parkStands.clear();
    gf_publishStands();
    currentQnh = 1013;
    parkFile = ParkFile{};
    apfEditCount = 0;
}
