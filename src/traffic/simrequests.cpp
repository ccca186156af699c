// The requests that the traffic manager sends to the simulator directly, each under the
// queue mutex so that no other request is built at the same time.
#include "traffic/manager.h"

#include "links/simids.h"
#include "links/simlink.h"
#include "links/simqueues.h"

#include "foundation/log.h"
#include "foundation/winstring.h"

#include <optional>

bool (*simRequestSeam)(const SimRequest& request) = nullptr;

namespace {
constexpr std::uint32_t periodOnce = 1;

ScResult lf_send(const SimRequest& r)
{
    switch (r.id) {
    case reqWithinRange:
        return gf_requestObjectsWithinRange(r.radius);
    case reqStaticCg:
        return SimConnect_RequestDataOnSimObject(simConnection, reqStaticCg, defStaticCg, r.objectId, periodOnce, 0, 0,
                                                 0, 0);
    case reqFlightPlan: {
        // The simulator reads the path in the system's code page.
        const std::optional<std::string> path = gf_pathToAnsi(gf_u8path(r.path));
        if (!path) {
            gf_logf("! flight plan {} has no name in the simulator's code page", r.path);
            return scFail;
        }
        return SimConnect_AISetAircraftFlightPlan(simConnection, r.objectId, path->c_str(), reqFlightPlan);
    }
    case ceAllLightsToggle:
        return SimConnect_TransmitClientEvent(simConnection, r.objectId, ceAllLightsToggle, 0, notificationGroup, 0);
    case defSpoilersThrottles:
        return SimConnect_SetDataOnSimObject(simConnection, defSpoilersThrottles, r.objectId, 0, 0,
                                             sizeof(r.values), r.values.data());
    default:
        return scFail;
    }
}
} // namespace

bool gf_simRequest(const SimRequest& request)
{
    std::lock_guard lock(simQueues.mutex);
    if (simRequestSeam)
        return simRequestSeam(request);
    // Without a connection nothing can be asked; the link's own requests do the same.
    return simConnection == nullptr || lf_send(request) == scOk;
}
