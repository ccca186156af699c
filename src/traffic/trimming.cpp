// Keeping the created live aircraft within the maximum, farthest first, and the hand-over
// of the callsigns that the traffic reader gathered to static parking's stand search.
#include "traffic/manager.h"

#include "app/mainwindow.h"
#include "foundation/settingscatalogue.h"
#include "links/trafficreader.h"

#include <algorithm>
#include <optional>

std::set<std::string, std::less<>> searchCallsigns;

bool lf_removeFarthest(double distance)
{
    const UserAircraft& user = gf_currentUserAircraft();
    double best = distance;
    std::optional<std::uint32_t> chosen;
    for (const Act& act : liveActs) {
        if (act.base.status != statusCreated)
            continue;
        const double e = gf_distanceNm(user.latitude, user.longitude, act.latitude, act.longitude);
        if (e > best + 0.1) {
            best = e;
            chosen = act.base.head.flightId;
        }
    }
    if (!chosen)
        return true;
    lf_removeAircraft(*gf_findAct(*chosen), "farthest over the live maximum");
    return false;
}

void lf_removeExcess()
{
    const std::int32_t limit = MAX_LIVE.value.load();
    if (limit == MAX_LIVE.defaultValue) {
        gf_clearItemText(MAX_LIVE.controlId);
        return;
    }
    const auto created = std::count_if(liveActs.begin(), liveActs.end(),
                                       [](const Act& act) { return act.base.status == statusCreated; });
    for (auto excess = created - limit; excess > 0; --excess)
        lf_removeFarthest(-1.0);
}

void lf_clearStaticParking()
{
    searchCallsigns.clear();
    searchCallsigns = gf_takeCallsignsSeen();
}
