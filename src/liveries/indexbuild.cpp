// The livery index build after every scan: indexes, registration codes, similar models,
// and the report of what is installed per size class.
#include "liveries/indexes.h"
#include "liveries/liveries.h"
#include "liveries/referencedata.h"
#include "liveries/regcodes.h"

#include "app/mainwindow.h"
#include "foundation/flightident.h"
#include "foundation/log.h"
#include "foundation/parametersfile.h"
#include "foundation/settingdisplay.h"

#include <windows.h>

#include <algorithm>

namespace {
const char* lf_plural(std::size_t count) { return count == 1 ? "" : "s"; }

// Models 20 to a line, indented by two blanks; those of class 0, 1 and 5 also go into the
// class's category list (sizeClass -1: none).
void lf_logModelLines(const std::vector<std::string>& models, int sizeClass)
{
    std::vector<std::string>* category = lf_categoryList(sizeClass);
    std::string line = "  ";
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (category != nullptr)
            category->push_back(models[i]);
        line += models[i] + ",";
        if ((i + 1) % 20 == 0 || i + 1 == models.size()) {
            line.pop_back();
            gf_log(line);
            line = "  ";
        }
    }
}

void lf_sortUnique(std::vector<std::string>& models)
{
    std::ranges::sort(models);
    models.erase(std::unique(models.begin(), models.end()), models.end());
}

void reportGenericLiveries()
{
    const auto generic = airlineLiveries.find(std::string(genericAirline));
    if (generic == airlineLiveries.end()) {
        gf_log("No generic liveries");
        return;
    }
    std::vector<std::string> models;
    for (const auto& [model, entries] : generic->second)
        models.push_back(model);
    lf_sortUnique(models);
    gf_logf("{} model{} have a generic livery", models.size(), lf_plural(models.size()));
    lf_logModelLines(models, -1);
}

// A class without liveries: its flights are not created, and the switch says so.
void lf_switchOffClass(int sizeClass)
{
    struct Switch {
        GuiBoolParameter* setting;
        const char* what;
    };
    static const Switch switches[] = {{&LIGHT_AIRCRAFT, "light aircraft"}, {nullptr, nullptr}, {nullptr, nullptr},
                                      {nullptr, nullptr}, {&HIGH_PERF_AIRCRAFT, "High Perf aircraft"},
                                      {&HELICOPTERS, "Helicopters"}};
    const Switch& entry = switches[sizeClass];
    if (entry.setting == nullptr)
        return;
    if (entry.setting->value.load()) {
        gf_setCheckBox(*entry.setting, false);
        gf_saveParameter(*entry.setting);
        gf_logf("{} temporary switched off because you do not have {} installed", entry.setting->key, entry.what);
    }
    if (entry.setting->window != nullptr)
        EnableWindow(entry.setting->window, FALSE);
}

void reportCategories(int sizeClass)
{
    std::vector<std::string> models;
    std::size_t counts[2] = {0, 0};
    for (const bool cargo : {false, true})
        for (const auto& [model, titles] : cargo ? cargoModelTitles : paxModelTitles)
            if (gf_sizeCategory(model) == sizeClass) {
                counts[cargo] += titles.size();
                models.push_back(model);
            }
    const std::string& name = gf_sizeClassName(sizeClass);
    if (counts[0] == 0 && counts[1] == 0) {
        gf_logf("Category {}: No livery found", name);
        lf_switchOffClass(sizeClass);
        return;
    }
    std::string line = fmt::format("Category {}: {} pax liverie{}", name, counts[0], lf_plural(counts[0]));
    if (counts[1] != 0)
        line += fmt::format(" and {} cargo liverie{}", counts[1], lf_plural(counts[1]));
    gf_log(line);
    lf_sortUnique(models);
    lf_logModelLines(models, sizeClass);
}
} // namespace

void processScannedLiveries()
{
    gf_log("\nProcessing scanned liveries");
    mainWindow.liveryCount = static_cast<std::int64_t>(scannedLiveries.size());
    gf_repaintBand(countersBand);

    // Every build starts afresh: removed liveries are not given, new ones are found.
    lf_clearLiveryIndexes();
    lf_clearRegcodes();
    lf_groupScannedLiveries();
    lf_buildAirlineIndex();
    processInlineRegcodes();
    processOfflineRegcodes();
    gf_logf("{} registration codes", regcodeTitles.size());
    lf_buildModelIndex();
    gf_logf("{} airlines, {} pax aircraft models and {} cargo aircraft models", airlineLiveries.size(),
            paxModelTitles.size(), cargoModelTitles.size());
    gf_readSimilarModels();
    reportGenericLiveries();
    for (std::vector<std::string>& models : categoryModels)
        models.reserve(32);
    for (int sizeClass = 0; sizeClass < 6; ++sizeClass)
        reportCategories(sizeClass);
}
