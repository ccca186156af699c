// The user's settings file, text files in their encodings, zip archives and the version
// files of the download server.
#include "fuzz/fuzz.h"

#include "airports/airports.h"
#include "app/updater.h"
#include "foundation/parametersfile.h"
#include "foundation/settingscatalogue.h"
#include "foundation/textfiles.h"
#include "foundation/version.h"
#include "foundation/ziparchive.h"

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fuzz {
namespace {

namespace fs = std::filesystem;

// parameters.xml: read, migrated and saved at every start.
Outcome lf_runParameters(const std::string& input)
{
    std::error_code ignored;
    fs::remove(fs::path(parametersFile).concat(L".bad"), ignored);
    gf_writeFile(parametersFile.string(), input);
    gf_setupParameters();
    gf_forEachStoredSetting(gf_parameterLists(), [](auto& setting) {
        if constexpr (requires { setting.minimum; })
            gf_checkRange(setting.value.load(), setting.minimum, setting.maximum, "setting " + setting.key);
    });
    // What was saved must load again as settings.
    pugi::xml_document saved;
    const bool loads = saved.load_file(parametersFile.c_str()) && saved.child("parameters");
    gf_check(loads, "the saved parameters.xml does not load");
    return fs::exists(fs::path(parametersFile).concat(L".bad")) ? Outcome::refused : Outcome::accepted;
}

std::vector<std::string> lf_parameterSeeds()
{
    std::vector<std::string> seeds;
    std::error_code ignored;
    fs::remove(parametersFile, ignored);
    gf_setupParameters(); // the defaults, as the program writes them
    const std::string written = gf_readFile(parametersFile.string());
    seeds.push_back(written);
    // An older file: fewer settings, out-of-range numbers, a folder list.
    seeds.push_back("<?xml version=\"1.0\"?>\n<parameters>\n<meta><entry name=\"version\" value=\"8.1.0\"/></meta>\n"
                    "<parameter name=\"LATERAL_RANGE\" value=\"900\"/>\n<parameter name=\"RANDOM\" value=\"true\"/>\n"
                    "<parameter name=\"lfolder0\" value=\"C:\\P3D\\SimObjects\\Airplanes\"/>\n"
                    "<parameter name=\"PORT_NUMBER\" value=\"10747\"/>\n</parameters>\n");
    return seeds;
}

// A text file in the encoding its mark shows, read as UTF-8 lines.
Outcome lf_runTextFile(const std::string& input)
{
    gf_writeFile("fuzz.txt", input);
    std::vector<std::string> lines;
    if (!gf_readExtTextFileToStringVector(fs::path(L"fuzz.txt"), lines))
        return Outcome::refused;
    // A file with the UTF-8 mark gives its bytes as they stand (its readers check them);
    // any other encoding is converted, so its lines must be UTF-8.
    const bool marked = input.starts_with("\xEF\xBB");
    std::size_t bytes = 0;
    for (const std::string& line : lines) {
        if (!marked)
            gf_checkUtf8(line, "a line");
        gf_check(line.find('\n') == std::string::npos, "a line holds a line end");
        bytes += line.size();
    }
    // UTF-8 takes at most three bytes for a two-byte unit, or for one byte of ANSI.
    gf_check(bytes <= 3 * input.size() && lines.size() <= input.size() + 1, "more text than the file holds");
    return Outcome::accepted;
}

std::vector<std::string> lf_textSeeds()
{
    std::vector<std::string> seeds{"EHAM\nEGLL,G12\r\nKJFK\r\n", "\xEF\xBB\xBF" "caf\xC3\xA9;PH-BXA,PH-BXB\r\n",
                                   "Z\xFCrich;HB-JCA\n", ""};
    std::string utf16("\xFF\xFE", 2);
    for (const char c : std::string("PH-BXA;KLM Boeing 737\r\nD-AIXA;Lufthansa\r\n"))
        utf16 += std::string{c, '\0'};
    seeds.push_back(utf16);
    std::string big("\xFE\xFF", 2);
    for (const char c : std::string("EHAM\r\nLFPG\r\n"))
        big += std::string{'\0', c};
    seeds.push_back(big);
    return seeds;
}

// A zip archive made with libzip, as the server's archive.zip is.
std::string lf_zip(const std::vector<std::pair<std::string, std::string>>& entries, bool store)
{
    const std::string file = "made.zip";
    std::error_code ignored;
    fs::remove(file, ignored);
    int error = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr)
        return {};
    for (const auto& [name, content] : entries) {
        zip_source_t* data = zip_source_buffer(archive, content.data(), content.size(), 0);
        const zip_int64_t index = data ? zip_file_add(archive, name.c_str(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0)
            zip_source_free(data);
        else if (store)
            zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    std::string bytes = gf_readFile(file);
    fs::remove(file, ignored);
    return bytes;
}

const fs::path zipFile{L"archive.zip"};

// The airport archive as the updater unpacks it: no entry may land outside "airports".
Outcome lf_runZip(const std::string& input)
{
    gf_writeFile(zipFile.string(), input);
    std::int32_t count = 0;
    bool complete = true;
    std::int64_t entries = 0;
    {
        ZipArchive zip{zipFile};
        if (!zip.isOpen())
            return Outcome::refused;
        entries = zip.entryCount();
        // A central directory entry takes at least 46 bytes.
        gf_check(entries >= 0 && static_cast<std::size_t>(entries) * 46 <= input.size(), "more entries than bytes");
        for (std::int64_t index = 0; index < entries; ++index)
            complete = extractArchiveEntry(count, zip, index) && complete;
    }
    gf_check(count <= entries, "more files extracted than entries");
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::current_path()))
        gf_check(entry.path().filename() != L"evil.xml" && entry.path().filename() != L"outside",
                 "an entry was written outside the airports folder");
    if (count > 0) {
        std::error_code ignored;
        fs::remove_all(fs::path(L"airports") / L"archive" / L"thirdparty" / L"fuzz", ignored);
    }
    return complete ? Outcome::accepted : Outcome::refused;
}

std::vector<std::string> lf_zipSeeds()
{
    const std::string apf = "<?xml version=\"1.0\"?>\n<airport><meta/><parameters><parameter name=\"publisher\" "
                            "value=\"ORBX\"/></parameters><parkpositions><parkpos id=\"G1\" lat=\"52.3\" "
                            "lon=\"4.76\" hdg=\"1.5\" radius=\"20\"/></parkpositions></airport>\n";
    return {lf_zip({{"archive/thirdparty/fuzz/EHAM.xml", apf}, {"archive/stock/", ""}}, false),
            lf_zip({{"archive/thirdparty/fuzz/EGLL.xml", apf}, {"archive/thirdparty/fuzz/readme.txt", "text"}}, true),
            lf_zip({{"archive/thirdparty/fuzz/EHRD.xml", apf}, {"../../evil.xml", apf}, {"C:/outside/x.xml", apf}},
                   true)};
}

// A version file of the download server: its first line, as the download reads it.
Outcome lf_runVersionFile(const std::string& input)
{
    std::istringstream in(input);
    std::string first;
    std::getline(in, first);
    const Version version(first);
    return version == Version() ? Outcome::refused : Outcome::accepted;
}

} // namespace

std::vector<Target> gf_foundationTargets()
{
    std::vector<Target> targets;
    targets.push_back({"parameters", "parameters.xml", lf_parameterSeeds,
                       [] {
                           dataFolder = fs::current_path() / L"data";
                           fs::create_directories(dataFolder);
                           parametersFile = dataFolder / L"parameters.xml";
                       },
                       lf_runParameters, 1 << 16});
    targets.push_back({"text_file", "text files in their encodings", lf_textSeeds, [] {}, lf_runTextFile, 1 << 16});
    targets.push_back({"zip", "the airport archive", lf_zipSeeds,
                       [] { fs::create_directories(fs::path(L"airports") / L"archive" / L"thirdparty"); }, lf_runZip,
                       1 << 16});
    targets.push_back({"version_file", "version files",
                       [] {
                           return std::vector<std::string>{"9.4.0\n", "1.2.3\n", "2.0.0",
                                                           R"({"major": 9, "minor": 4, "patch": 1})",
                                                           "version 10.0.240 of 2024\r\n"};
                       },
                       [] {}, lf_runVersionFile, 1 << 14});
    return targets;
}

} // namespace fuzz
