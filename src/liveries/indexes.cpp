// The livery indexes: by airline and model, by model, pax and cargo apart.
#include "liveries/indexes.h"

#include "foundation/winstring.h"
#include "liveries/liverydata.h"

#include <optional>
#include <unordered_set>

std::unordered_map<std::string, std::unordered_map<std::string, std::vector<LiveryEntry>>> airlineLiveries;
std::unordered_map<std::string, ModelTitles> paxAirlineTitles;
std::unordered_map<std::string, ModelTitles> cargoAirlineTitles;
ModelTitles paxModelTitles;
ModelTitles cargoModelTitles;
std::array<std::vector<std::string>, 3> categoryModels;

namespace {
// Every title ever scanned in this process; nodes never move, so views stay valid.
std::unordered_set<std::string> titleStore;
// The titles of the latest build.
std::unordered_set<std::string_view> currentTitles;
// The UTF-8 readings of those read in the ANSI code page from files without a mark, which the
// registration lists may name them by.
std::unordered_map<std::string, std::string_view> utf8Readings;

std::string_view lf_keepTitle(const std::string& title)
{
    const std::string_view kept = *titleStore.insert(title).first;
    if (currentTitles.insert(kept).second)
        if (std::optional<std::string> utf8 = gf_utf8ReadingOfAnsi(kept))
            utf8Readings.emplace(std::move(*utf8), kept);
    return kept;
}

void lf_trim(ModelTitles& models)
{
    for (auto& [model, titles] : models)
        titles.shrink_to_fit();
}
} // namespace

std::vector<std::string>* lf_categoryList(int sizeClass)
{
    switch (sizeClass) {
    case 0: return &categoryModels[0];
    case 1: return &categoryModels[1];
    case 5: return &categoryModels[2];
    default: return nullptr;
    }
}

std::string_view findLiveryTitle(std::string_view title)
{
    if (const auto found = currentTitles.find(title); found != currentTitles.end())
        return *found;
    if (utf8Readings.empty())
        return {};
    const auto read = utf8Readings.find(std::string(title));
    return read == utf8Readings.end() ? std::string_view{} : read->second;
}

bool hasAirlineModel(const std::string& airline, const std::string& model)
{
    const auto found = airlineLiveries.find(airline);
    return found != airlineLiveries.end() && found->second.contains(model);
}

bool isKnownModel(const std::string& model) { return paxModelTitles.contains(model) || cargoModelTitles.contains(model); }

std::vector<std::string> listAirlinePrefixes()
{
    std::vector<std::string> prefixes;
    prefixes.reserve(airlineLiveries.size());
    for (const auto& [airline, models] : airlineLiveries)
        prefixes.push_back(airline.substr(0, 3));
    return prefixes;
}

const TitleList* lf_airlineTitles(bool cargo, const std::string& airline, const std::string& model)
{
    const auto& index = cargo ? cargoAirlineTitles : paxAirlineTitles;
    const auto found = index.find(airline);
    if (found == index.end())
        return nullptr;
    const auto titles = found->second.find(model);
    return titles == found->second.end() ? nullptr : &titles->second;
}

const TitleList* lf_modelTitles(bool cargo, const std::string& model)
{
    const ModelTitles& index = cargo ? cargoModelTitles : paxModelTitles;
    const auto found = index.find(model);
    return found == index.end() ? nullptr : &found->second;
}

void lf_clearLiveryIndexes()
{
    currentTitles.clear();
    utf8Readings.clear();
    airlineLiveries.clear();
    paxAirlineTitles.clear();
    cargoAirlineTitles.clear();
    paxModelTitles.clear();
    cargoModelTitles.clear();
    for (std::vector<std::string>& models : categoryModels)
        models.clear();
}

void lf_groupScannedLiveries()
{
    for (const LiveryData& livery : scannedLiveries)
        airlineLiveries[livery.airl][livery.type].push_back({lf_keepTitle(livery.title), livery.cargo});
    for (auto& [airline, models] : airlineLiveries)
        for (auto& [model, entries] : models)
            entries.shrink_to_fit();
}

void lf_buildAirlineIndex()
{
    for (const auto& [airline, models] : airlineLiveries)
        for (const auto& [model, entries] : models)
            for (const LiveryEntry& entry : entries)
                (entry.cargo ? cargoAirlineTitles : paxAirlineTitles)[airline][model].push_back(entry.title);
    for (auto* index : {&paxAirlineTitles, &cargoAirlineTitles})
        for (auto& [airline, models] : *index)
            lf_trim(models);
}

void lf_buildModelIndex()
{
    for (const auto& [airline, models] : airlineLiveries)
        for (const auto& [model, entries] : models)
            for (const LiveryEntry& entry : entries)
                (entry.cargo ? cargoModelTitles : paxModelTitles)[model].push_back(entry.title);
    lf_trim(paxModelTitles);
    lf_trim(cargoModelTitles);
}
