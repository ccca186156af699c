// Which installed models can stand in for a model, overall and per airline.
#include "liveries/indexes.h"
#include "liveries/referencedata.h"

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/texthelpers.h"

#include <algorithm>

std::unordered_map<std::string, std::vector<std::string>> similarAll;
std::unordered_map<std::string, std::vector<std::string>> similarInstalled;
std::unordered_map<std::string, std::unordered_map<std::string, std::vector<std::string>>> airlineSimilar;

namespace {
const std::vector<std::string> noModels;
std::vector<std::string> pickedModel; // gf_similarModels' answer for a model without group

// For each member of the group, "member,other,..." with all others and with those installed.
void lf_addSimilarLines(const std::vector<std::string>& group, std::vector<std::string>& allLines,
                        std::vector<std::string>& installedLines)
{
    for (std::size_t i = 0; i < group.size(); ++i) {
        std::string all = group[i];
        std::string installed = group[i];
        for (std::size_t j = 0; j < group.size(); ++j) {
            if (j == i)
                continue;
            all += "," + group[j];
            if (isKnownModel(group[j]))
                installed += "," + group[j];
        }
        if (all.find(',') != std::string::npos)
            allLines.push_back(std::move(all));
        if (installed.find(',') != std::string::npos)
            installedLines.push_back(std::move(installed));
    }
}

// Sorted lines; the first line of a model decides when it stands in two groups.
void lf_fillFromLines(std::vector<std::string>& lines, std::unordered_map<std::string, std::vector<std::string>>& table)
{
    std::ranges::sort(lines);
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    for (const std::string& line : lines) {
        std::vector<std::string> items = gf_splitComma(line);
        std::string key = std::move(items.front());
        items.erase(items.begin());
        table.emplace(std::move(key), std::move(items));
    }
}

void lf_buildAirlineSimilarModels(const std::string& airline)
{
    std::unordered_map<std::string, std::vector<std::string>> models;
    for (const auto& [model, similar] : similarInstalled) {
        if (hasAirlineModel(airline, model))
            continue;
        std::vector<std::string> flown;
        std::ranges::copy_if(similar, std::back_inserter(flown),
                             [&](const std::string& m) { return hasAirlineModel(airline, m); });
        if (!flown.empty())
            models.emplace(model, std::move(flown));
    }
    if (!models.empty())
        airlineSimilar.emplace(airline, std::move(models));
}

const std::vector<std::string>& lf_shuffled(std::vector<std::string>& models)
{
    gf_shuffle(models);
    return models;
}
} // namespace

void gf_readSimilarModels()
{
    similarAll.clear();
    similarInstalled.clear();
    airlineSimilar.clear();
    std::vector<std::string> allLines;
    std::vector<std::string> installedLines;
    for (const std::vector<std::string>& group : similarGroups)
        lf_addSimilarLines(group, allLines, installedLines);
    lf_fillFromLines(allLines, similarAll);
    lf_fillFromLines(installedLines, similarInstalled);
    for (const std::string& airline : listAirlinePrefixes())
        lf_buildAirlineSimilarModels(airline);
    gf_logf("{} similar model definitions", similarInstalled.size());
}

const std::vector<std::string>& gf_similarModels(const std::string& model)
{
    if (const auto found = similarInstalled.find(model); found != similarInstalled.end())
        return lf_shuffled(found->second);
    const std::vector<std::string>* category = lf_categoryList(gf_sizeCategory(model));
    if (category == nullptr || category->empty())
        return noModels;
    pickedModel.assign(1, (*category)[static_cast<std::size_t>(gf_randomIndex(static_cast<std::int64_t>(category->size())))]);
    return pickedModel;
}

const std::vector<std::string>& gf_airlineSimilarModels(const std::string& airline, const std::string& model)
{
    const auto found = airlineSimilar.find(airline);
    if (found == airlineSimilar.end())
        return noModels;
    const auto models = found->second.find(model);
    return models == found->second.end() ? noModels : lf_shuffled(models->second);
}
