// The package tree generator: configuration files written section by section, each
// section noting the liveries or the report line it must give.
#include "refgen/packagetree.h"

#include "foundation/winstring.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

namespace fs = std::filesystem;

namespace refgen {
namespace {
constexpr unsigned windows1252 = 1252;

// A path as the scan shows it: UTF-8 with backslashes.
std::string lf_text(const fs::path& path)
{
    std::string text = gf_pathText(path);
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

void lf_writeBytes(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + gf_pathText(file));
}

std::string lf_encode(const std::vector<std::string>& lines, TextForm form)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    if (form == TextForm::ansi) {
        const std::optional<std::string> bytes = gf_utf8ToCodePage(text, windows1252);
        if (!bytes)
            throw std::runtime_error("a text that Windows-1252 cannot hold: " + text.substr(0, 200));
        return *bytes;
    }
    if (form == TextForm::utf8)
        return text;
    if (form == TextForm::utf8Bom)
        return "\xEF\xBB\xBF" + text;
    std::string bytes;
    for (const wchar_t unit : L"\xFEFF" + gf_utf8ToUtf16(text)) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += form == TextForm::utf16le ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

// Liveries of the world that the run's traffic flies, retitled with places in letters that
// Windows-1252 holds, each in a file of its own encoding: the simulator knows them in its
// code page, and must be asked for them so.
struct PlaceTitle {
    const char* title; // the world's
    const char* place; // empty: the title stays
    TextForm form;
};
constexpr PlaceTitle placeTitles[] = {
    {"Embraer 190 KLM Cityhopper", "D\xC3\xBCsseldorf", TextForm::ansi},
    {"Airbus A319 easyJet", "Z\xC3\xBCrich", TextForm::utf8Bom},
    {"Boeing 747-400 KLM Cargo", "S\xC3\xA3o Paulo", TextForm::utf16le},
    // UTF-8 without a mark: the simulator and the scan read it in the system's code page,
    // the registration lists name it in UTF-8.
    {"Airbus A320 Air France \xE2\x80\x93 Ch\xC3\xA2teau", "", TextForm::utf8},
};

bool lf_isPlaceTitle(const std::string& title)
{
    return std::ranges::any_of(placeTitles, [&](const PlaceTitle& place) { return title == place.title; });
}

bool lf_isAscii(const std::vector<std::string>& lines)
{
    return std::ranges::all_of(lines, [](const std::string& line) {
        return std::ranges::all_of(line, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    });
}

// One aircraft.cfg (or sim.cfg) while it is written.
struct CfgFile {
    fs::path folder; // the type folder
    std::string name = "aircraft.cfg";
    std::string sim;  // its flight model: <sim>.air
    std::vector<std::string> lines;
    std::size_t sections = 0;
    bool ivao = false;       // any '[' ends a section there
    std::size_t scanned = 0; // index of the scanned folder that counts its liveries
    bool unmarked = false;   // UTF-8 without a mark also beyond ASCII
    std::string path() const { return lf_text(folder / gf_u8path(name)); }
    std::string folderText() const { return lf_text(folder); }
};

class TreeBuilder {
public:
    TreeBuilder(const World& world, const fs::path& root, const TreeOptions& options)
        : m_world(world), m_root(root), m_options(options)
    {
        for (const Registration& registration : world.registrations)
            m_registrations.emplace(registration.reg, registration);
        for (const TypeSpec& type : world.types)
            m_types.insert(type.code);
    }

    PackageTree build();

private:
    std::size_t addScanned(const fs::path& folder, bool manual);
    CfgFile newFile(std::size_t scanned, const fs::path& folder, const std::string& model, std::size_t number);
    void write(const CfgFile& file, TextForm form, std::string extraBytes = "");
    void expect(const CfgFile& file, const LiveryData& livery);
    void report(const std::string& name, std::string line) { m_tree.reports[name].push_back(std::move(line)); }
    void mustNotAppear(CfgFile& file);

    void writeLiveries();
    void writePlaceTitles();
    void writeIvao();
    void writeDontUseSections(CfgFile& file);
    void writeErrors();
    void writeDamagedFiles(const fs::path& base);
    void writeRefusedSections(const fs::path& base);
    void writeIvaoRefusals(const fs::path& base);
    void writeDiscovery(const fs::path& packages);
    void complete();

    const World& m_world;
    fs::path m_root;
    TreeOptions m_options;
    PackageTree m_tree;
    std::vector<fs::path> m_scanned; // the folders in scan order
    std::vector<LiveryData> m_raw;   // every livery as the sections give it
    std::map<std::string, Registration> m_registrations;
    std::set<std::string> m_types;
    std::size_t m_fileCount = 0;
    std::string m_firstTitle; // of the first folder, repeated in a later one
};

std::size_t TreeBuilder::addScanned(const fs::path& folder, bool manual)
{
    fs::create_directories(folder);
    (manual ? m_tree.manualFolders : m_tree.discoveredFolders).push_back(lf_text(folder));
    m_scanned.push_back(folder);
    return m_scanned.size() - 1;
}

CfgFile TreeBuilder::newFile(std::size_t scanned, const fs::path& folder, const std::string& model, std::size_t number)
{
    CfgFile file;
    file.folder = folder;
    file.scanned = scanned;
    file.sim = model + "_sim";
    file.name = number % 6 == 5 ? "sim.cfg" : number % 6 == 3 ? "Aircraft.CFG" : "aircraft.cfg";
    return file;
}

void section(CfgFile& file, const SectionSpec& spec)
{
    const std::size_t n = file.sections++;
    std::vector<std::string>& out = file.lines;
    out.push_back(fmt::format("[fltsim.{}]", n));
    const std::string codesLine = (n % 4 == 2 ? "Atc_Parking_Codes = " : "atc_parking_codes=") + spec.codes;
    if (!spec.codes.empty() && n % 3 == 1)
        out.push_back(codesLine);
    if (!spec.title.empty())
        out.push_back(n % 3 == 0 ? "title=" + spec.title : n % 3 == 1 ? "Title = " + spec.title + " " : "TITLE\t=\t" + spec.title);
    out.push_back("sim=" + (spec.sim.empty() ? file.sim : spec.sim));
    if (!spec.model.empty() || n % 4 == 1)
        out.push_back("model=" + spec.model);
    out.insert(out.end(), {"panel=", "sound="});
    if (!spec.texture.empty())
        out.push_back("texture=" + spec.texture);
    out.insert(out.end(), {"kb_checklists=" + file.sim + "_check", "atc_heavy=0", "atc_id_color=0xffffffff"});
    if (!spec.atcid.empty())
        out.push_back("atc_id=" + spec.atcid);
    out.push_back(fmt::format("atc_flight_number={}", 100 + n));
    if (!spec.types.empty())
        out.push_back((n % 2 ? "atc_parking_types = " : "atc_parking_types=") + spec.types);
    if (!spec.codes.empty() && n % 3 != 1)
        out.push_back(codesLine);
    out.insert(out.end(), {"ui_manufacturer=\"Tarnwick Test\"", "ui_title=\"not the title\"",
                           file.ivao ? fmt::format("description=Repaint v{} for tests", n) : fmt::format("description=Repaint [v{}] for tests", n), "// repainted in 2021"});
    out.insert(out.end(), spec.extra.begin(), spec.extra.end());
    out.insert(out.end(), {"", "//", ""});
    // The folders the section names: "model" and "texture" for empty values.
    fs::create_directories(file.folder / gf_u8path(spec.model.empty() ? "model" : "model." + spec.model));
    fs::create_directories(file.folder / gf_u8path(spec.texture.empty() ? "texture" : "texture." + spec.texture));
}

void finish(CfgFile& file, bool generalFirst = true, const std::string& atcModel = "")
{
    const std::vector<std::string> general = {generalFirst ? "[General]" : "   [General]", "atc_type=TARNWICK",
                                              atcModel, "editable=1", "Category=airplane", "",
                                              "[WEIGHT_AND_BALANCE]", "max_gross_weight = 174200"};
    file.lines.insert(generalFirst ? file.lines.begin() : file.lines.end(), general.begin(), general.end());
    lf_writeBytes(file.folder / gf_u8path(file.sim + ".air"), "AIR");
}

void TreeBuilder::write(const CfgFile& file, TextForm form, std::string extraBytes)
{
    // Without a mark the simulator and the scan read the bytes in the system's code page, so a
    // UTF-8 title is known by its garbled spelling: such files carry a mark unless they are
    // meant to show that.
    if (form == TextForm::utf8 && !file.unmarked && !lf_isAscii(file.lines))
        form = TextForm::utf8Bom;
    lf_writeBytes(file.folder / gf_u8path(file.name), lf_encode(file.lines, form) + extraBytes);
    if (file.scanned < m_scanned.size())
        m_tree.configFiles.push_back(file.folder / gf_u8path(file.name));
    ++m_fileCount;
}

void TreeBuilder::expect(const CfgFile& file, const LiveryData& livery)
{
    m_raw.push_back(livery);
    ++m_tree.folderCounts[file.scanned].second;
}

// The liveries of the world, one section each, in files of one type spread over the folders.
void TreeBuilder::writeLiveries()
{
    std::map<std::string, std::vector<const LiveryData*>> byType;
    std::set<std::string> titles;
    for (const LiveryData& livery : m_world.liveries)
        if (!lf_isPlaceTitle(livery.title) && titles.insert(livery.title).second) // a title belongs to one section
            byType[livery.type].push_back(&livery);
    std::size_t number = 0;
    for (const auto& [type, liveries] : byType) {
        for (std::size_t first = 0; first < liveries.size(); first += m_options.sectionsPerFile, ++number) {
            const std::size_t scanned = number % m_scanned.size();
            CfgFile file = newFile(scanned, m_scanned[scanned] / gf_u8path(fmt::format("{} {}", type, number)), type,
                                   number);
            if (number == 0)
                writeDontUseSections(file);
            for (std::size_t i = first; i < std::min(first + m_options.sectionsPerFile, liveries.size()); ++i) {
                const LiveryData& livery = *liveries[i];
                const std::size_t k = i + number;
                LiveryData second;
                std::string codes = livery.airl;
                if (livery.airl == "ZZZ")
                    codes = k % 2 ? "BOE" : "ZZZ";
                else if (livery.airl != "PVT" && k % 5 == 1)
                    codes = livery.airl + (k % 2 ? "X" : "C");
                else if (livery.airl != "PVT" && k % 5 == 2)
                    codes = " " + livery.airl + " ,";
                else if (livery.airl != "PVT" && k % 7 == 3 && livery.atcid.empty()) {
                    second = livery;
                    second.airl = livery.airl == "KLM" ? "DLH" : "KLM";
                    codes = livery.airl + ", " + second.airl;
                }
                const std::string types = livery.cargo ? (k % 2 ? "CARGO" : "mil_cargo") : (k % 2 ? "GATE_HEAVY, RAMP" : "GATE");
                const std::string atcid = livery.atcid.empty() || k % 2 ? livery.atcid : livery.atcid + " ; was " + livery.title;
                const std::string model = k % 4 < 2 ? "" : k % 2 ? "winglets" : "base";
                section(file, {livery.title, codes, types, atcid, model, k % 9 == 4 ? "" : std::to_string(i)});
                LiveryData made = livery;
                made.atcid = livery.airl == "ZZZ" ? "" : livery.atcid;
                expect(file, made);
                if (!second.airl.empty())
                    expect(file, second);
                if (m_firstTitle.empty() && scanned == 0)
                    m_firstTitle = livery.title;
            }
            finish(file, number % 2 == 0,
                   number % 3 == 0 ? "ATC_MODEL = " + type : number % 3 == 1 ? "atc_model=" + type : "atc_model\t=\t" + type);
            write(file, static_cast<TextForm>(number % 5));
            if (number % 4 == 0) { // copies the scan does not read
                lf_writeBytes(file.folder / L"aircraft.cfg.bak", "[fltsim.7]\r\ntitle=\r\n");
                lf_writeBytes(file.folder / L"aircraft.txt", "[fltsim.7]\r\ntitle=\r\n");
            }
        }
    }
}

void TreeBuilder::writePlaceTitles()
{
    std::size_t number = 0;
    for (const PlaceTitle& place : placeTitles) {
        const auto found = std::ranges::find(m_world.liveries, place.title, &LiveryData::title);
        if (found == m_world.liveries.end())
            continue;
        LiveryData livery = *found;
        if (*place.place)
            livery.title += std::string(" ") + place.place;
        const std::size_t scanned = number % m_scanned.size();
        const fs::path folder = m_scanned[scanned] / gf_u8path(fmt::format("{} places {}", livery.type, number));
        CfgFile file = newFile(scanned, folder, livery.type, 0);
        section(file, {livery.title, livery.airl, livery.cargo ? "CARGO" : "GATE", livery.atcid, "", "1"});
        if (place.form == TextForm::utf8) {
            file.unmarked = true;
            // The titles not to use beyond ASCII, which the lists name in UTF-8 too.
            for (const AigEntry& entry : m_world.aig)
                if (entry.regs.empty() && !lf_isAscii({entry.title}))
                    section(file, {entry.title, livery.airl, "GATE", "", "", "unwanted"});
            livery.title = gf_ansiToUtf8(livery.title);
        }
        expect(file, livery);
        finish(file, true, "atc_model=" + livery.type);
        write(file, place.form);
        ++number;
    }
}

// Sections whose titles the user does not want: they give nothing and report nothing.
void TreeBuilder::writeDontUseSections(CfgFile& file)
{
    std::vector<std::string> titles{"Boeing 737-800 KLM Orange_STUB"};
    for (const AigEntry& entry : m_world.aig)
        if (entry.regs.empty())
            titles.push_back(entry.title);
    for (const auto& [name, lines] : m_world.myRegcodes)
        for (const std::string& line : lines)
            if (line.find(';') == std::string::npos && line.size() > 8)
                titles.push_back(line);
    for (const std::string& title : titles)
        section(file, {title, "KLM", "GATE", "", "", "unwanted"});
}

// IVAO_MTL: the type from the folder, the airline from the title; never cargo.
void TreeBuilder::writeIvao()
{
    const fs::path mtl = m_scanned.front() / L"IVAO_MTL";
    std::vector<std::string> airlines;
    for (const std::string& airline : m_world.airlines)
        if (airline != "ZZZ" && airline != "PVT" && airlines.size() < 3)
            airlines.push_back(airline);
    for (const auto& [folder, type] : {std::pair{"IVAO_B738w", "B738"}, std::pair{"IVAO_A320", "A320"}}) {
        if (!m_types.contains(type))
            continue;
        CfgFile file = newFile(0, mtl / folder, type, 0);
        file.ivao = true;
        for (std::size_t i = 0; i < airlines.size() * 2; ++i) {
            const std::string& airline = airlines[i % airlines.size()];
            const std::string title = fmt::format("{}{}{} IVAO {}", type, i % 2 ? "\t" : " ", airline, i);
            const std::string atcid = i % 2 ? fmt::format("IV-{:03};{}", i, i) : "";
            section(file, {title, "", "CARGO", atcid, "", std::to_string(i), "", {"atc_parking_codes=QQQQQ"}});
            expect(file, {airline, type, title, atcid, 0, false});
        }
        const std::string house = fmt::format("{} BOE house colours", type);
        section(file, {house, "", "GATE", "IV-BOE", "", "house"});
        expect(file, {"ZZZ", type, house, "", 0, false});
        finish(file, false, "atc_model=ignored");
        write(file, TextForm::utf8Bom);
    }
}

void TreeBuilder::mustNotAppear(CfgFile& file)
{
    for (int i = 0; i < 3; ++i)
        section(file, {fmt::format("Never scanned {} {}", lf_text(file.folder), i), "KLM", "GATE", "", "", "x"});
    finish(file, true, "atc_model=B738");
    lf_writeBytes(file.folder / gf_u8path(file.name), lf_encode(file.lines, TextForm::utf8));
}

void TreeBuilder::writeErrors()
{
    const fs::path base = m_scanned.front() / L"Broken";
    writeDamagedFiles(base);
    writeRefusedSections(base);
    writeIvaoRefusals(m_scanned.front() / L"IVAO_MTL");

    // "airport" below the scanned folder is not entered; "Airport" is.
    CfgFile hidden = newFile(m_scanned.size(), m_scanned.front() / L"airport models" / L"B738 hidden", "B738", 0);
    mustNotAppear(hidden);
    CfgFile shown = newFile(0, m_scanned.front() / L"Airport Traffic" / L"B738 shown", "B738", 0);
    section(shown, {"Airport Traffic KLM 737", "KLM", "GATE", "", "", "1"});
    expect(shown, {"KLM", "B738", "Airport Traffic KLM 737", "", 0, false});
    finish(shown, true, "atc_model=B738");
    write(shown, TextForm::utf8);
    // A texture folder beside an aircraft's file holds no aircraft the simulator loads.
    CfgFile inTexture = newFile(m_scanned.size(), shown.folder / L"texture.1", "B738", 0);
    mustNotAppear(inTexture);

    // A title of the first folder, again in the last one.
    CfgFile later = newFile(m_scanned.size() - 1, m_scanned.back() / L"B738 repeated", "B738", 0);
    section(later, {m_firstTitle, "KLM", "GATE", "", "", "1"});
    report("IncompleFltsimSections.txt",
           fmt::format("{} [fltsim.0] title \"{}\" already exists", later.folderText(), m_firstTitle));
    finish(later, true, "atc_model=B738");
    write(later, TextForm::ansi);
}

void TreeBuilder::writeDamagedFiles(const fs::path& base)
{
    // Without sections the file gives nothing; without atc_model it is reported for that too.
    const auto noSections = [&](const char* folder, const std::string& bytes, bool atcModel) {
        CfgFile file = newFile(0, base / folder, "B738", 0);
        lf_writeBytes(file.folder / L"aircraft.cfg", bytes);
        m_tree.configFiles.push_back(file.folder / L"aircraft.cfg");
        report("AircraftCfgWithNoFltsimSection.txt", file.path());
        if (!atcModel)
            report("InvalidAircraftCfgFiles.txt", "Line atc_model= is missing in [General] section of " + file.path());
    };
    noSections("No sections", "[General]\r\natc_model=B738\r\n", true);
    noSections("Empty", "", false);
    std::string binary;
    for (int i = 0; binary.size() < 4096; ++i)
        if (const char byte = static_cast<char>(i * 7 % 256); byte != '[')
            binary += byte;
    noSections("Binary", binary, false);

    const auto files = [&](const char* folder, const char* atcModel, auto&& fill) {
        CfgFile file = newFile(0, base / gf_u8path(folder), "B738", 0);
        fill(file);
        finish(file, true, atcModel);
        return file;
    };
    CfgFile gaps = files("Gaps", "atc_model=B738", [&](CfgFile& file) {
        for (int n : {0, 1, 3})
            file.lines.insert(file.lines.end(), {fmt::format("[fltsim.{}]", n), "title=Gap " + std::to_string(n)});
    });
    write(gaps, TextForm::utf8);
    report("InvalidAircraftCfgFiles.txt", gaps.path() + " contains non-consecutive [fltsim.x] numbers at .x=3");
    CfgFile unnumbered = files("Unnumbered", "atc_model=B738", [&](CfgFile& file) {
        file.lines.insert(file.lines.end(), {"[fltsim.0]", "title=Unnumbered 0", "[fltsim.]", "title=Unnumbered 1"});
    });
    write(unnumbered, TextForm::utf8);
    report("InvalidAircraftCfgFiles.txt", unnumbered.path() + " contains a [fltsim.] section without a number");
    CfgFile huge = files("Huge number", "atc_model=B738", [&](CfgFile& file) {
        file.lines.insert(file.lines.end(), {"[fltsim.99999999999]", "title=Huge number"});
    });
    write(huge, TextForm::utf8); // only logged
    CfgFile noModel = files("No model", "", [&](CfgFile& file) { section(file, {"No model KLM", "KLM", "GATE", "", "", "1"}); });
    write(noModel, TextForm::utf8);
    report("InvalidAircraftCfgFiles.txt", "Line atc_model= is missing in [General] section of " + noModel.path());
    CfgFile unknown = files("Unknown model", "atc_model=Q999", [&](CfgFile& file) {
        section(file, {"Unknown model KLM", "KLM", "GATE", "", "", "1"});
    });
    write(unknown, TextForm::utf8);
    report("InvalidAircraftCodes.txt", fmt::format("{:16} in {}", "Q999", unknown.path()));

    // Files that read well: a type fix, odd-length UTF-16, a megabyte line, a non-ASCII folder.
    CfgFile fixed = files("Fixed model", "atc_model=B737-800", [&](CfgFile& file) {
        section(file, {"Fixed model KLM", "KLM", "GATE", "", "", "1"});
    });
    write(fixed, TextForm::utf8);
    expect(fixed, {"KLM", "B738", "Fixed model KLM", "", 0, false});
    report("Fixes.txt", fmt::format("Fix: B737-800 found in {} changed into B738", fixed.path()));
    CfgFile odd = files("Odd UTF-16", "atc_model=B738", [&](CfgFile& file) {
        section(file, {"Odd length KLM", "KLM", "GATE", "", "", "1"});
    });
    write(odd, TextForm::utf16le, "x");
    expect(odd, {"KLM", "B738", "Odd length KLM", "", 0, false});
    CfgFile megabyte = files("Megabyte line", "atc_model=B738", [&](CfgFile& file) {
        section(file, {"Megabyte line KLM", "KLM", "GATE", "", "", "1", "", {"description=" + std::string(1 << 20, 'x')}});
    });
    write(megabyte, TextForm::ansi);
    expect(megabyte, {"KLM", "B738", "Megabyte line KLM", "", 0, false});
    CfgFile foreign = files("Flugzeu\xCC\x88ge \xC3\x91" "and\xC3\xBA", "atc_model=B738", [&](CfgFile& file) {
        section(file, {"\xC3\x91" "and\xC3\xBA KLM", "KLM", "GATE", "", "", "1"});
        section(file, {"", "KLM", "GATE", "", "", "2"});
    });
    write(foreign, TextForm::utf16be);
    expect(foreign, {"KLM", "B738", "\xC3\x91" "and\xC3\xBA KLM", "", 0, false});
    report("IncompleFltsimSections.txt", foreign.folderText() + " [fltsim.1] misses title");
}

// One file whose sections are refused one by one, each for its own reason.
void TreeBuilder::writeRefusedSections(const fs::path& base)
{
    CfgFile file = newFile(0, base / L"Refused sections", "B738", 0);
    const std::string folder = file.folderText();
    const auto refused = [&](const SectionSpec& spec, const std::string& file_, const std::string& line) {
        const std::size_t n = file.sections;
        section(file, spec);
        report(file_, fmt::format(fmt::runtime(line), folder, fmt::format("[fltsim.{}]", n)));
    };
    const std::string incomplete = "IncompleFltsimSections.txt";
    refused({"Two titles", "KLM", "GATE", "", "", "1", "", {"title=Two titles"}}, incomplete,
            "{} {} has more than one title key");
    refused({"Two codes", "KLM", "GATE", "", "", "1", "", {"atc_parking_codes=DLH"}}, incomplete,
            "{} {} has more than one atc_parking_codes key");
    refused({"Two types", "KLM", "GATE", "", "", "1", "", {"atc_parking_types=RAMP"}}, incomplete,
            "{} {} has more than one atc_parking_types key");
    refused({"Two registrations", "KLM", "GATE", "PH-AAA", "", "1", "", {"//atc_id=PH-AAB", "visual_damage=0"}}, incomplete,
            "{}, {}, has more than one atc_id key");
    refused({"Missing model", "KLM", "GATE", "", "nothere", "1"}, incomplete, "{}\\model.nothere {} does not exist");
    fs::remove(file.folder / L"model.nothere");
    refused({"Missing texture", "KLM", "GATE", "", "", "gone"}, incomplete, "{}\\texture.gone {} does not exist");
    fs::remove(file.folder / L"texture.gone");
    refused({"Missing flight model", "KLM", "GATE", "", "", "1", "nosim"}, incomplete, "{}\\nosim.air {} does not exist");
    refused({"", "KLM", "GATE", "", "", "1"}, incomplete, "{} {} misses title");
    refused({"No codes", "", "GATE", "", "", "1"}, incomplete, "{} {} empty atc_parking_codes=");
    const std::size_t invalid = file.sections;
    section(file, {"Invalid code", "QQQQQ", "GATE", "", "", "1"});
    report("InvalidAirlineCodes.txt", fmt::format("{:12} in {} [fltsim.{}]", "QQQQQ", file.path(), invalid));
    section(file, {"Refused twice", "KLM", "GATE", "", "", "1"});
    expect(file, {"KLM", "B738", "Refused twice", "", 0, false});
    refused({"Refused twice", "KLM", "GATE", "", "", "1"}, incomplete, "{} {} title \"Refused twice\" already exists");
    // Sections that give a livery all the same.
    for (const char* code : {"PRV", "GOV"}) {
        const std::string title = std::string("Fixed code ") + code;
        section(file, {title, code, "GATE", "", "", "1"});
        expect(file, {"PVT", "B738", title, "", 0, false});
        report("Fixes.txt", fmt::format("Fix: {} found in {} changed into PVT", code, file.path()));
    }
    for (const char* atcid : {"N12*", "N1,N2", ";x"}) {
        const std::string title = std::string("Registration ") + atcid;
        section(file, {title, "KLM", "GATE", atcid, "", "1"});
        expect(file, {"KLM", "B738", title, "", 0, false});
    }
    section(file, {"Registration again", "KLM", "GATE", "N1,N2", "", "1", "", {"atc_id=N3"}});
    expect(file, {"KLM", "B738", "Registration again", "N3", 0, false});
    section(file, {"Maker house", "BOE", "GATE", "N737BA", "", "1"});
    expect(file, {"ZZZ", "B738", "Maker house", "", 0, false});
    const std::size_t maker = file.sections;
    section(file, {"Maker and airline", "BOE,KLM", "GATE", "", "", "1"});
    report("InvalidAirlineCodes.txt", fmt::format("{:12} in {} [fltsim.{}]", "BOE", file.path(), maker));
    expect(file, {"KLM", "B738", "Maker and airline", "", 0, false});
    section(file, {"Repeated codes", "KLM, DLH,KLM", "GATE", "", "", "1"});
    expect(file, {"DLH", "B738", "Repeated codes", "", 0, false});
    expect(file, {"KLM", "B738", "Repeated codes", "", 0, false});
    finish(file, true, "atc_model=B738");
    write(file, TextForm::utf16le);
}

void TreeBuilder::writeIvaoRefusals(const fs::path& mtl)
{
    for (const auto& [folder, code] : {std::pair{"IVAO_A320-200", "  "}, std::pair{"IVAO_Q999", "Q999"}}) {
        CfgFile file = newFile(0, mtl / folder, "A320", 0);
        section(file, {std::string("A320 KLM in ") + folder, "", "GATE", "", "", "1"});
        finish(file, true, "atc_model=A320");
        write(file, TextForm::utf8);
        report("InvalidAircraftCodes.txt", fmt::format("{:16} in {}", code, file.path()));
    }
    CfgFile deeper = newFile(0, mtl / L"IVAO_B738w" / L"extra", "B738", 0);
    section(deeper, {"B738 KLM deeper", "", "GATE", "", "", "1"});
    finish(deeper, true, "atc_model=B738");
    write(deeper, TextForm::utf8);
    report("InvalidAircraftCodes.txt", fmt::format("{:16} in {}", "  ", deeper.path()));
    CfgFile freighter = newFile(0, mtl / L"IVAO_B744F", "B744", 0);
    freighter.ivao = true;
    section(freighter, {"B744F KLM freighter", "", "CARGO", "", "", "1"});
    report("IncompleFltsimSections.txt", freighter.folderText() + " [fltsim.0] misses airlinecode in title");
    section(freighter, {"B744 KLM freighter", "", "CARGO", "", "", "1"});
    expect(freighter, {"KLM", "B744", "B744 KLM freighter", "", 0, false});
    finish(freighter, true, "atc_model=B744");
    write(freighter, TextForm::utf16le);

    CfgFile file = newFile(0, mtl / L"IVAO_B738", "B738", 0);
    file.ivao = true;
    const std::string folder = file.folderText();
    const auto refused = [&](const SectionSpec& spec, const std::string& line) {
        const std::size_t n = file.sections;
        section(file, spec);
        report("IncompleFltsimSections.txt", fmt::format(fmt::runtime(line), folder, fmt::format("[fltsim.{}]", n)));
    };
    refused({"", "", "GATE", "", "", "1"}, "{} {} misses title");
    refused({"Boeing KLM", "", "GATE", "", "", "1"}, "{} {} misses airlinecode in title");
    const std::size_t invalid = file.sections;
    section(file, {"B738 QQQ nowhere", "", "GATE", "", "", "1"});
    report("InvalidAirlineCodes.txt", fmt::format("{:12} in {} [fltsim.{}]", "QQQ", file.path(), invalid));
    section(file, {"B738 DLH IVAO twice", "", "GATE", "", "", "1"});
    expect(file, {"DLH", "B738", "B738 DLH IVAO twice", "", 0, false});
    refused({"B738 DLH IVAO twice", "", "GATE", "", "", "1"}, "{} {} title already exists: B738 DLH IVAO twice");
    refused({"B738 KLM no flight model", "", "GATE", "", "", "gone", "nosim"}, "{}\\nosim.air {} does not exist");
    fs::remove(file.folder / L"texture.gone");
    // Any '[' ends an IVAO section: the second title is not seen.
    section(file, {"B738 KLM bracket", "", "GATE", "", "", "1", "", {"ui_manufacturer=X [old]", "title=B738 KLM again"}});
    expect(file, {"KLM", "B738", "B738 KLM bracket", "", 0, false});
    finish(file, true, "atc_model=ignored");
    write(file, TextForm::ansi);
}

// add-ons.cfg with two active packages and an inactive one, their add-on.xml, and
// simobjects.cfg with a stock entry, an absolute folder and one below the simulator.
void TreeBuilder::writeDiscovery(const fs::path& packages)
{
    const fs::path one = packages / L"Pkg One", two = packages / L"Pkg Two", off = packages / L"Pkg Off";
    const fs::path shared = m_root / L"Shared AI", traffic = m_root / L"Traffic";
    lf_writeBytes(m_options.addOnsCfg,
                  lf_encode({"[Discovery.0]", "Path=" + lf_text(m_root / L"Elsewhere"), "Active=true", "",
                             "[Package.0]", "PATH=" + lf_text(one), "ACTIVE=TRUE", "REQUIRED=TRUE", "",
                             "[Package.1]", "Path=" + lf_text(off), "Active=false", "Required=true", "",
                             "[Package.2]", "Title=AI Package", "  Path = " + lf_text(two), "Active=true"},
                            TextForm::utf16le));
    const auto addOnXml = [](const fs::path& package, const std::string& simObjects) {
        lf_writeBytes(package / L"add-on.xml",
                      lf_encode({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<SimBase.Document Type=\"AddOnXml\">",
                                 "  <AddOn.Component>", "    <Category>Scenery</Category>", "    <Path>Scenery</Path>",
                                 "  </AddOn.Component>", "  <AddOn.Component>", "    <Category>SimObjects</Category>",
                                 "    <Path>" + simObjects + "</Path>", "  </AddOn.Component>",
                                 "</SimBase.Document>"},
                                TextForm::utf8));
    };
    addOnXml(one, "SimObjects\\Airplanes");
    addOnXml(two, lf_text(shared));
    addOnXml(off, "SimObjects\\Airplanes");
    std::vector<std::string> entries = {"[Entry.0]", "Title=Airplanes Path", "Path=SimObjects\\Airplanes",
                                        "Required=True", "Active=True", "",
                                        "[Entry.1]", "Path=" + lf_text(traffic), "Active=True", ""};
    if (!m_options.installFolder.empty())
        entries.insert(entries.end(), {"[Entry.2]", "Path=SimObjects\\MyTraffic", "Active=True"});
    lf_writeBytes(m_options.simObjectsCfg, lf_encode(entries, TextForm::ansi));

    addScanned(one / L"SimObjects" / L"Airplanes", false);
    addScanned(shared, false);
    addScanned(traffic, false);
    if (!m_options.installFolder.empty())
        addScanned(m_options.installFolder / L"SimObjects" / L"MyTraffic", false);
    CfgFile inactive = newFile(m_scanned.size(), off / L"SimObjects" / L"Airplanes" / L"B738 off", "B738", 0);
    mustNotAppear(inactive);
}

// The liveries after the scan's corrections from the registration records, sorted as the
// livery file keeps them, without repeats; the report files sorted.
void TreeBuilder::complete()
{
    for (LiveryData& livery : m_raw) {
        const auto found = m_registrations.find(livery.atcid);
        if (livery.atcid.empty() || found == m_registrations.end())
            continue;
        const Registration& record = found->second;
        const std::string airline = record.opr.empty() ? record.airl : record.opr;
        if (livery.cargo != record.cargo)
            report("AirlineModelConversions.txt",
                   fmt::format("{:80} {} cargo {} => {}", livery.title, livery.atcid, livery.cargo, record.cargo));
        if (livery.airl != airline)
            report("AirlineModelConversions.txt",
                   fmt::format("{:80} {} airl {} => {}", livery.title, livery.atcid, livery.airl, airline));
        if (livery.type != record.type)
            report("AirlineModelConversions.txt",
                   fmt::format("{:80} {} model {} => {}", livery.title, livery.atcid, livery.type, record.type));
        livery.cargo = record.cargo;
        livery.airl = airline;
        livery.type = record.type;
    }
    const auto key = [](const LiveryData& l) { return std::tie(l.airl, l.type, l.atcid, l.title, l.cargo); };
    std::sort(m_raw.begin(), m_raw.end(), [&](const LiveryData& a, const LiveryData& b) { return key(a) < key(b); });
    m_raw.erase(std::unique(m_raw.begin(), m_raw.end(), [&](const LiveryData& a, const LiveryData& b) { return key(a) == key(b); }),
                m_raw.end());
    m_tree.liveries = m_raw;
    for (auto& [name, lines] : m_tree.reports)
        std::sort(lines.begin(), lines.end());
}

PackageTree TreeBuilder::build()
{
    if (m_options.manualFolder || m_options.addOnsCfg.empty())
        addScanned(m_root / L"AI Manual", true);
    if (m_options.addOnsCfg.empty())
        addScanned(m_root / L"AI Second", true);
    else
        writeDiscovery(m_root / L"AI Packages");
    for (const fs::path& folder : m_scanned)
        m_tree.folderCounts.emplace_back(lf_text(folder), 0);
    writeLiveries();
    writePlaceTitles();
    writeIvao();
    // A livery whose registration record gives another airline and type.
    if (m_registrations.contains("PH-HSA") && m_types.contains("B737")) {
        CfgFile file = newFile(m_scanned.size() - 1, m_scanned.back() / L"B737 converted", "B737", 0);
        section(file, {"Boeing 737-700 KLM PH-HSA", "KLM", "GATE", "PH-HSA", "", "1"});
        expect(file, {"KLM", "B737", "Boeing 737-700 KLM PH-HSA", "PH-HSA", 0, false});
        finish(file, true, "atc_model=B737");
        write(file, TextForm::utf8);
    }
    if (m_options.errors)
        writeErrors();
    complete();
    return std::move(m_tree);
}
} // namespace

void writeConfigFile(const fs::path& folder, const std::string& type, const std::vector<SectionSpec>& sections,
                     const std::string& name, TextForm form)
{
    CfgFile file;
    file.folder = folder;
    file.name = name;
    file.sim = type + "_sim";
    for (const SectionSpec& spec : sections)
        section(file, spec);
    finish(file, true, "atc_model=" + type);
    lf_writeBytes(folder / gf_u8path(name), lf_encode(file.lines, form));
}

PackageTree writePackageTree(const World& world, const fs::path& root, const TreeOptions& options)
{
    return TreeBuilder(world, root, options).build();
}

} // namespace refgen
