// The aircraft records and the traffic tables: construction, lookups, the static creation
// queue's cancel, the learning list and the stand marks.
#include "traffic/records.h"
#include "traffic/manager.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

std::vector<StaticAct> staticActs;
std::vector<Act> liveActs;
std::vector<LearnedHalfHour> learningList;
std::deque<CreationItem> staticCreationItems;
std::deque<CreationItem> liveCreationItems;
std::deque<std::uint32_t> removalQueue;
std::vector<std::uint32_t> creationRequests;
std::vector<StaticCandidate> standCandidates;
std::vector<std::string> ghostList;
std::unordered_set<std::uint32_t> unknownTypeFlights;
std::vector<InboundAnswer> settlingList;
bool landingFlag = false;

StaticAct::StaticAct(ActHead&& movedHead, std::uint32_t stand, double standLatitude, double standLongitude,
                     double standHeading, bool cargo)
    : objectId(0), latitude(standLatitude), longitude(standLongitude), heading(standHeading),
      standNumber(stand), standCargo(cargo)
{
    lf_moveActHead(head, movedHead);
}

void lf_moveActHead(ActHead& target, ActHead& source)
{
    target = std::move(source);
    FlightIdent& moved = source.identity;
    for (std::string* text : {&moved.airline, &moved.type, &moved.departure, &moved.destination, &moved.callsign,
                              &moved.optionCallsign, &moved.optionSecond, &moved.registration})
        text->clear();
}

Act lf_newAct(ActHead&& head, const std::deque<PathPoint>& path, double reportTime)
{
    Act act;
    act.base = StaticAct(std::move(head), 0, 0.0, 0.0, 0.0, false);
    act.path = path;
    act.reportTime = reportTime;
    act.groundState = path.empty() ? groundRolling : gf_groundStateAfter(groundRolling, path.front());
    if (!path.empty()) {
        act.trail.last = path.back();
        act.trail.time = reportTime;
    }
    return act;
}

namespace {
template <typename Table, typename Key>
auto* lf_findIn(Table& table, Key key)
{
    const auto found = std::find_if(table.begin(), table.end(), key);
    return found == table.end() ? nullptr : &*found;
}
} // namespace

Act* gf_findAct(std::uint32_t flightId)
{
    return lf_findIn(liveActs, [flightId](const Act& act) { return act.base.head.flightId == flightId; });
}

Act* gf_findActByObject(std::uint32_t objectId)
{
    return lf_findIn(liveActs, [objectId](const Act& act) { return act.base.objectId == objectId; });
}

StaticAct* gf_findStatic(std::uint32_t flightId)
{
    return lf_findIn(staticActs, [flightId](const StaticAct& act) { return act.head.flightId == flightId; });
}

StaticAct* gf_findStaticByObject(std::uint32_t objectId)
{
    return lf_findIn(staticActs, [objectId](const StaticAct& act) { return act.objectId == objectId; });
}

StandRecord* gf_findStand(std::uint32_t standNumber)
{
    return lf_findIn(parkStands, [standNumber](const StandRecord& s) { return s.standNumber == standNumber; });
}

StandRecord* lf_findStandByName(const std::string& name)
{
    return lf_findIn(parkStands, [&name](const StandRecord& s) { return s.id == name; });
}

std::string gf_standLogName(std::uint32_t standNumber)
{
    if (standNumber == 0)
        return "sid==0?";
    const StandRecord* stand = gf_findStand(standNumber);
    return stand ? stand->id : "unknown";
}

std::string gf_actColumns(const Act& act)
{
    const bool atStand = act.phase == phaseAtStand || act.phase == phaseToStand;
    const std::string stand = atStand ? fmt::format("{:8}: ", gf_standLogName(act.base.standNumber)) : std::string(10, ' ');
    return stand + fmt::format("{:8}", act.callsign());
}

bool lf_cancelStaticCreation(const std::string& callsign)
{
    bool dropped = false;
    for (auto item = staticCreationItems.begin(); item != staticCreationItems.end();) {
        if (item->tailNumber != callsign) {
            ++item;
            continue;
        }
        const std::uint32_t flightId = item->flightId;
        item = staticCreationItems.erase(item);
        dropped = true;
        const auto found = std::find_if(staticActs.begin(), staticActs.end(),
                                        [flightId](const StaticAct& act) { return act.head.flightId == flightId; });
        if (found != staticActs.end())
            staticActs.erase(found);
    }
    return dropped;
}

bool lf_allowLearning(WeekSlot slot, std::uint32_t flightId, bool force)
{
    const auto found = std::find_if(learningList.begin(), learningList.end(),
                                    [flightId](const LearnedHalfHour& entry) { return entry.flightId == flightId; });
    if (found == learningList.end()) {
        learningList.push_back({flightId, slot.halfHour});
        return true;
    }
    const std::uint32_t passed = (slot.halfHour + 48 - found->halfHour % 48) % 48;
    if (!force && passed < 3)
        return false;
    found->halfHour = slot.halfHour;
    return true;
}

void gf_noteLearned(std::uint32_t flightId, std::uint32_t halfHour)
{
    const auto found = std::find_if(learningList.begin(), learningList.end(),
                                    [flightId](const LearnedHalfHour& entry) { return entry.flightId == flightId; });
    if (found == learningList.end())
        learningList.push_back({flightId, halfHour});
    else
        found->halfHour = halfHour;
}

void lf_markStandAndNeighbours(StandRecord& stand)
{
    stand.fit = 1;
    for (const std::uint32_t number : stand.neighbours)
        if (StandRecord* neighbour = gf_findStand(number))
            neighbour->neighbour = 1;
}
