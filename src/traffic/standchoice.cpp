// Stands for live aircraft: the stand at a position (nearest free stand that is big enough,
// a slightly small one close by that is then widened, or a stand whose options name the
// flight), and the stand that soft learning credits a flight to.
#include "traffic/motion.h"

#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "foundation/standoptions.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {
constexpr double fitMargin = 0.0009719222462203025;     // 1.8 m
constexpr double nearStand = 0.010799136069114472;      // 20 m
constexpr double optionStand = 0.0458963282937365;      // 85 m
constexpr double radiusCut = 0.0005399568034557236;     // 1 m
constexpr double smallAircraft = 0.009611230689557531;  // 17.8 m
constexpr double smallStep = 0.00755939524838013;       // 14 m
constexpr double largeStep = 0.011339092872570195;      // 21 m

bool lf_fits(const StandRecord& stand, double r) { return r - stand.radius <= fitMargin; }

int lf_match(const StandRecord& stand, const Act& act)
{
    const FlightIdent& ident = act.base.head.identity;
    return !ident.callsign.empty() && gf_containsSlotMatch(stand.options, ident.callsign, ident) ? 1 : 0;
}

struct Entry {
    std::string name;
    long score = 0;
    int match = 0;
};

enum class Side { gate, ramp };

// One pass of the stand choice; true when it appended an entry.
struct Pass {
    enum Kind { P1, P2, C1, C2, C3, C4, H1, H2, H3, H4 } kind;
    Side side = Side::gate;
};

bool lf_admitted(const Pass& pass, const StandRecord& s)
{
    switch (pass.kind) {
    case Pass::P1:
    case Pass::P2:
        return !s.cargo && !s.heli && (pass.side == Side::ramp) == (s.ramp != 0);
    case Pass::C1:
    case Pass::C2:
        return s.cargo && !s.heli;
    case Pass::C3:
    case Pass::C4:
        return !s.heli;
    case Pass::H1:
    case Pass::H3:
        return s.heli != 0;
    default: // H2, H4
        return s.ramp != 0;
    }
}

bool lf_booked(const StandRecord& s, WeekSlot slot)
{
    return std::any_of(s.options.begin(), s.options.end(), [&](const StandOption& o) {
        return gf_optionOffered(o) && static_cast<std::uint32_t>(o.day) == slot.weekday && o.hh.test(slot.halfHour);
    });
}

bool lf_runPass(const Pass& pass, WeekSlot slot, const Act& act, std::vector<Entry>& entries)
{
    const double r = act.base.head.wingspan;
    const bool fitTest = pass.kind != Pass::P2 && pass.kind != Pass::C2 && pass.kind != Pass::C4;
    const bool bookingTest = pass.kind != Pass::H3 && pass.kind != Pass::H4;
    const bool stepScore = pass.kind == Pass::P1 || pass.kind == Pass::C1 || pass.kind == Pass::C3 ||
                           pass.kind == Pass::H1 || pass.kind == Pass::H2;
    const bool scoreOnly = !bookingTest;
    long bestScore = 100;
    int bestMatch = 0;
    bool appended = false;
    for (const StandRecord& s : parkStands) {
        if (!lf_admitted(pass, s) || (fitTest && !lf_fits(s, r)) || (bookingTest && lf_booked(s, slot)))
            continue;
        const double step = r <= smallAircraft ? smallStep : largeStep;
        const long score = stepScore ? std::lround((s.radius - r) / step) : std::lround(std::abs(r - s.radius));
        const int match = lf_match(s, act);
        if (score > bestScore || match < bestMatch)
            continue;
        entries.push_back({s.id, score, match});
        appended = true;
        bestScore = score;
        if (!scoreOnly)
            bestMatch = match;
    }
    return appended;
}

std::vector<Pass> lf_passes(const Act& act)
{
    const ActHead& head = act.base.head;
    if (head.sizeClass == rotorcraftClass)
        return {{Pass::H1}, {Pass::H2}, {Pass::H3}, {Pass::H4}};
    if (head.cargo)
        return {{Pass::C1}, {Pass::C2}, {Pass::C3}, {Pass::C4}};
    if (head.sizeClass <= 1 || head.identity.airline == "PVT")
        return {{Pass::P1, Side::ramp}, {Pass::P2, Side::ramp}};
    bool gateFirst = true;
    const std::string code = gf_parkAirportCode();
    if (code.empty() || code.front() != 'K')
        gateFirst = gf_randomEngine()() % 100 >= 10; // drawn whatever RANDOM says
    const Side first = gateFirst ? Side::gate : Side::ramp;
    const Side second = gateFirst ? Side::ramp : Side::gate;
    return {{Pass::P1, first}, {Pass::P2, first}, {Pass::P1, second}, {Pass::P2, second}};
}
} // namespace

StandRecord* lf_findStandNear(double latitude, double longitude, Act& act, double radius, bool hold)
{
    const double r = act.base.head.wingspan;
    double best = 900.0;
    double secondBest = 900.0;
    StandRecord* result = nullptr;
    StandRecord* optionResult = nullptr;
    bool widen = false;
    for (StandRecord& s : parkStands) {
        if (gf_standTaken(s))
            continue;
        const double d = gf_distanceNm(latitude, longitude, s.latitude, s.longitude);
        if (d <= radius && d < best) {
            if (lf_fits(s, r) || d <= nearStand) {
                widen = !lf_fits(s, r);
                result = &s;
                best = d;
            }
        } else if (hold && result == nullptr && d <= optionStand && d < secondBest && lf_fits(s, r) &&
                   lf_match(s, act) == 1) {
            optionResult = &s;
            secondBest = d;
        }
    }
    if (result == nullptr) {
        result = optionResult;
        widen = false;
    }
    if (result == nullptr || (result->heli != 0) != (act.base.head.sizeClass == rotorcraftClass))
        return nullptr;
    if (widen) {
        StandRecord* first = gf_findStand(result->standNumber);
        first->radius_change = 1;
        first->radius = r - radiusCut;
        gf_countParkingEdit();
        return first;
    }
    return result;
}

StandRecord* lf_chooseStand(WeekSlot slot, const Act& act, bool retry)
{
    std::vector<Entry> entries;
    entries.reserve(256);
    for (const Pass& pass : lf_passes(act))
        if (lf_runPass(pass, slot, act, entries))
            break;
    if (entries.empty()) {
        if (!retry || parkStands.size() > 10)
            return nullptr;
        const WeekSlot next = slot.halfHour >= 47 ? WeekSlot{slot.weekday % 7 + 1, 0} : WeekSlot{slot.weekday, slot.halfHour + 1};
        return lf_chooseStand(next, act, false);
    }
    if (entries.size() > 1) {
        if (RANDOM.value.load())
            std::shuffle(entries.begin(), entries.end(), gf_randomEngine());
        // Equal entries end up in the reverse of their order in the list.
        std::reverse(entries.begin(), entries.end());
        std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return a.match != b.match ? a.match > b.match : a.score < b.score;
        });
    }
    return lf_findStandByName(entries.front().name);
}
