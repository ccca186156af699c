// The livery of a live flight or a static parked aircraft, in up to six steps: its
// registration, its airline and model, similar models of its airline, a generic livery,
// and for light aircraft, business jets and helicopters any livery of the model or a
// similar one. MATCHING_DEPTH limits how far it goes.
#include "liveries/matching.h"

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/settingscatalogue.h"
#include "liveries/indexes.h"
#include "liveries/liveries.h"
#include "liveries/referencedata.h"
#include "liveries/regcodes.h"
#include "traffic/records.h"

#include <fmt/format.h>

#include <algorithm>

std::array<std::uint32_t, 6> stepCounters{};

namespace {
const std::string privateAirline = "PVT";
const std::string genericCode(genericAirline);

bool lf_usable(std::string_view title) { return !gf_isSpecialTitle(title) && !gf_isFailedTitle(title); }

std::string_view lf_draw(const TitleList& titles)
{
    return titles[static_cast<std::size_t>(gf_randomIndex(static_cast<std::int64_t>(titles.size())))];
}

// A random candidate, never a special or refused one while others remain.
bool lf_pickLivery(ActHead& head, const TitleList& candidates)
{
    for (int test = 0; test < 5; ++test)
        if (const std::string_view title = lf_draw(candidates); lf_usable(title)) {
            head.liveryTitle = title;
            return true;
        }
    TitleList usable;
    std::ranges::copy_if(candidates, std::back_inserter(usable), lf_usable);
    head.liveryTitle = usable.empty() ? std::string_view{} : lf_draw(usable);
    return !usable.empty();
}

// The airline's liveries of the model; a cargo flight may take a pax livery, not the reverse.
bool lf_matchAirlineModel(ActHead& head, const std::string& airline, const std::string& model)
{
    if (const TitleList* titles = lf_airlineTitles(head.cargo != 0, airline, model))
        if (lf_pickLivery(head, *titles))
            return true;
    if (head.cargo != 0)
        if (const TitleList* titles = lf_airlineTitles(false, airline, model))
            return lf_pickLivery(head, *titles);
    return false;
}

bool lf_matchModel(ActHead& head, const std::string& model)
{
    const TitleList* titles = lf_modelTitles(head.cargo != 0, model);
    return titles != nullptr && lf_pickLivery(head, *titles);
}

// The only way to a special livery: the title of a spelling of the registration.
bool lf_matchByRegcode(ActHead& head)
{
    const std::string& registration = head.identity.registration;
    if (registration.empty())
        return false;
    for (const std::string& variant : gf_regcodeVariants(registration))
        if (const auto found = regcodeTitles.find(variant); found != regcodeTitles.end()) {
            head.liveryTitle = found->second;
            return true;
        }
    return false;
}

// The steps after the registration; the step that found the title, or 0. A static aircraft
// tries its airline's steps also with an empty airline code.
int lf_matchSteps(ActHead& head, bool parked)
{
    const std::string& airline = head.identity.airline;
    const std::string& model = head.identity.type;
    const std::int32_t depth = MATCHING_DEPTH.value.load();
    if (depth < 2)
        return 0;
    if (airline == privateAirline && lf_matchAirlineModel(head, genericCode, model))
        return 4;
    const bool withAirline = parked || !airline.empty();
    // The registration's record names an airline only when it names an operator too.
    const bool withDbAirline = !gf_dbOperatorOfReg(head.identity.registration).empty();
    const std::string dbAirline = withDbAirline ? gf_dbAirlineOfReg(head.identity.registration) : std::string();
    if (withAirline && (lf_matchAirlineModel(head, airline, model) ||
                        (withDbAirline && lf_matchAirlineModel(head, dbAirline, model))))
        return 2;
    if (depth < 3)
        return 0;
    if (withAirline) {
        for (const std::string& similar : gf_airlineSimilarModels(airline, model))
            if (lf_matchAirlineModel(head, airline, similar))
                return 3;
        // The registration's airline in a model that the flight's own airline flies.
        if (withDbAirline)
            for (const std::string& similar : gf_airlineSimilarModels(airline, model))
                if (lf_matchAirlineModel(head, dbAirline, similar))
                    return 3;
    }
    if (depth == 4 && lf_matchAirlineModel(head, genericCode, model))
        return 4;
    if (head.sizeClass != 0 && head.sizeClass != 1 && head.sizeClass != 5)
        return 0;
    if (airline != privateAirline && lf_matchAirlineModel(head, genericCode, model))
        return 4;
    if (lf_matchModel(head, model))
        return 5;
    for (const std::string& similar : gf_similarModels(model))
        if (lf_matchModel(head, similar))
            return 6;
    return 0;
}

void lf_logMatch(const ActHead& head, const std::string& mark)
{
    if (LOG.value.load())
        gf_logf("          {} ={}= {}", gf_formatColumns(head.identity), mark, head.liveryTitle);
}
} // namespace

void matchLiveryLive(Act& act)
{
    ActHead& head = act.ident();
    const int step = lf_matchByRegcode(head) ? 1 : lf_matchSteps(head, false);
    if (head.liveryTitle.empty())
        return;
    if (gf_isFailedTitle(head.liveryTitle)) {
        head.liveryTitle = {};
        return;
    }
    ++stepCounters[static_cast<std::size_t>(step - 1)];
    lf_logMatch(head, std::to_string(step));
    head.fsltlLivery = head.liveryTitle.find("FSLTL_") != std::string_view::npos;
}

bool matchLiveryParked(StaticAct& act, const StandRecord& stand)
{
    ActHead& head = act.head;
    if (!head.liveryTitle.empty()) {
        lf_logMatch(head, "s");
        return true;
    }
    int step = 1;
    if (!lf_matchByRegcode(head)) {
        head.cargo = stand.cargo;
        step = lf_matchSteps(head, true);
    }
    if (head.liveryTitle.empty()) {
        if (LOG.value.load())
            gf_logf("{:8}: {} no livery match ...", stand.id, gf_identLine(head.identity));
        return false;
    }
    if (gf_isFailedTitle(head.liveryTitle)) {
        head.liveryTitle = {};
        return false;
    }
    lf_logMatch(head, std::to_string(step));
    return true;
}
