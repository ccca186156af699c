#pragma once
// The livery indexes that the matcher searches, built from the scanned liveries on the
// start-up thread before traffic starts and read without locks afterwards. Titles are kept
// once per process in storage that is never freed or moved; every list holds views of them,
// and so may the flight records, across any number of rebuilds.
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct LiveryEntry {
    std::string_view title;
    bool cargo = false;
};
using TitleList = std::vector<std::string_view>;
using ModelTitles = std::unordered_map<std::string, TitleList>;

inline constexpr std::string_view genericAirline = "ZZZ";

// Airline -> model -> the liveries in the order of the livery list.
extern std::unordered_map<std::string, std::unordered_map<std::string, std::vector<LiveryEntry>>> airlineLiveries;
// Airline -> model -> titles, pax and cargo apart; only non-empty lists.
extern std::unordered_map<std::string, ModelTitles> paxAirlineTitles;
extern std::unordered_map<std::string, ModelTitles> cargoAirlineTitles;
// Model -> titles of every airline, pax and cargo apart.
extern ModelTitles paxModelTitles;
extern ModelTitles cargoModelTitles;
// Models with a livery of the classes Light, Buzjets and Rotorcraft, ascending.
extern std::array<std::vector<std::string>, 3> categoryModels;
// The list of categoryModels for size class 0, 1 or 5; null for the others.
std::vector<std::string>* lf_categoryList(int sizeClass);

// The view of the scanned title equal to the text, or read from a file without a mark as
// the text when its bytes are read as UTF-8; empty when no scanned livery has it.
std::string_view findLiveryTitle(std::string_view title);
bool hasAirlineModel(const std::string& airline, const std::string& model);
// The model has a pax or cargo livery.
bool isKnownModel(const std::string& model);
// The first three characters of every airline with liveries, repeats included.
std::vector<std::string> listAirlinePrefixes();
// The titles of (airline, model) or of a model on the cargo or pax side; null when none.
const TitleList* lf_airlineTitles(bool cargo, const std::string& airline, const std::string& model);
const TitleList* lf_modelTitles(bool cargo, const std::string& model);

// Every index empty again (a new build); the titles themselves stay.
void lf_clearLiveryIndexes();
// From scannedLiveries: airlineLiveries, then the airline and the model indexes.
void lf_groupScannedLiveries();
void lf_buildAirlineIndex();
void lf_buildModelIndex();
