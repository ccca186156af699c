// The simulator stand-in knows the titles of its AI aircraft packages as the simulator reads
// them, in the system's code page, and refuses to create any other.
#include "foundation/winstring.h"
#include "liveries/cfgkeys.h"
#include "liveries/cfgscan.h"
#include "simconnect/protocol.h"
#include "simstandin/packagetitles.h"
#include "support/codepage.h"
#include "support/tempfolder.h"
#include "testlink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {
using Packet = std::vector<std::uint8_t>;

// The text in UTF-16 with its mark, either way round.
std::string lf_utf16(const std::string& utf8, bool littleEndian)
{
    std::string bytes;
    for (const wchar_t unit : L"\xFEFF" + gf_utf8ToUtf16(utf8)) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

void lf_writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    gf_testWriteFile(path, bytes);
}

std::size_t lf_count(const TestLink& link, std::uint32_t id)
{
    return static_cast<std::size_t>(
        std::ranges::count_if(link.packets, [id](const Packet& packet) { return gf_u32(packet, 8) == id; }));
}
} // namespace

TEST(StandInPackages, KnowsTheTitlesOfTheirFltsimSectionsInWindows1252)
{
    SKIP_UNLESS_ANSI_IS_1252();
    TempFolder packages;
    const auto& root = packages.path();
    // Windows-1252 and UTF-8 without a mark are taken byte for byte.
    lf_writeFile(root / L"a" / L"aircraft.cfg",
                     "[General]\r\natc_model=B738\r\ntitle=General\r\n[fltsim.0]\r\ntitle=Ansi D\xFCsseldorf\r\n"
                     "[fltsim.1]\r\n  Title = Spaced \r\nui_title=Not this\r\n");
    lf_writeFile(root / L"b" / L"Sim.CFG", lf_utf16("[FLTSIM.0]\r\nTITLE\t=\tWide Z\xC3\xBCrich\r\n", true));
    lf_writeFile(root / L"c" / L"deeper" / L"aircraft.cfg",
                     lf_utf16("[fltsim.0]\ntitle=Big S\xC3\xA3o Paulo\ntitle=Second\n", false));
    lf_writeFile(root / L"d" / L"aircraft.cfg", "\xEF\xBB\xBF[fltsim.0]\ntitle=Mark Ch\xC3\xA2teau\n");
    lf_writeFile(root / L"d" / L"aircraft.cfg.bak", "[fltsim.0]\ntitle=Backup\n");
    lf_writeFile(root / L"e" / L"aircraft.cfg", "[fltsim.0]\ntitle=Raw D\xC3\xBCsseldorf\n");
    EXPECT_EQ(standin::gf_readPackageTitles({root / L"a", root / L"b", root / L"c", root / L"d", root / L"e"}),
              (std::set<std::string>{"Ansi D\xFCsseldorf", "Big S\xE3o Paulo", "Mark Ch\xE2teau",
                                     "Raw D\xC3\xBCsseldorf", "Second", "Spaced", "Wide Z\xFCrich"}));
    EXPECT_TRUE(standin::gf_readPackageTitles({root / L"missing"}).empty());
}

TEST(StandInPackages, RefusesTheCreationOfATitleThatNoPackageHas)
{
    SKIP_UNLESS_ANSI_IS_1252();
    TempFolder packages;
    lf_writeFile(packages.path() / L"a" / L"aircraft.cfg", "[fltsim.0]\r\ntitle=Fokker 100 D\xFCsseldorf\r\n");
    TestLink link(Transport::ipv4, {.packageFolders = {packages.path()}});
    ASSERT_TRUE(link.openPastAnswer());
    ScConnection* c = link.connection;
    SimConnect_SubscribeToSystemEvent(c, 202, "ObjectAdded");
    const ScInitPosition position{51.5, -0.45, 80, 0, 0, 90, 1, 0};
    SimConnect_AICreateNonATCAircraft(c, "Fokker 100 D\xFCsseldorf", "KLM1", position, 104);
    SimConnect_AICreateNonATCAircraft(c, "Fokker 100 D\xC3\xBCsseldorf", "KLM2", position, 104); // UTF-8
    const std::uint32_t refusedSendId = gf_lastSentId(c);
    link.dispatchUntil([&] { return lf_count(link, scMsgEventObjectAddRemove) + lf_count(link, scMsgException) >= 2; });
    ASSERT_EQ(lf_count(link, scMsgEventObjectAddRemove), 1u);
    const auto refused =
        std::ranges::find_if(link.packets, [](const Packet& p) { return gf_u32(p, 8) == scMsgException; });
    ASSERT_NE(refused, link.packets.end());
    EXPECT_EQ(gf_u32(*refused, 12), scExceptionCreateObjectFailed);
    EXPECT_EQ(gf_u32(*refused, 16), refusedSendId);
    EXPECT_EQ(link.standIn->aiFigures().created, 1u);
    EXPECT_EQ(link.standIn->aiFigures().refused, 1u);
}

// The titles of configuration files without a mark, as the livery scan reads them and the
// program sends them, in whatever code page the system has: the system's own letters, UTF-8,
// bytes the code page does not define and a double-byte character cut off by the line end.
TEST(StandInPackages, CreatesEveryTitleOfAFileWithoutMarkInTheSystemsCodePage)
{
    std::string everyByte = "Every byte ";
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        everyByte += static_cast<char>(byte);
    const std::vector<std::string> written = {
        "Fokker 100 D\xFCsseldorf",                             // Windows-1252
        "Tupolev 154 \xCC\xEE\xF1\xEA\xE2\xE0",                 // Windows-1251
        "Boeing 777 \x93\x8C\x8B\x9E",                           // Shift-JIS
        "Airbus A320 D\xC3\xBCsseldorf \xD0\x9C\xD0\xBE\xD1\x81", // UTF-8
        everyByte, "Cut off \x93"};
    std::string cfg = "[General]\r\natc_model=B738\r\n";
    for (std::size_t i = 0; i < written.size(); ++i)
        cfg += "[fltsim." + std::to_string(i) + "]\r\ntitle=" + written[i] + "\r\n";
    TempFolder packages;
    const std::filesystem::path file = packages.path() / L"a" / L"aircraft.cfg";
    lf_writeFile(file, cfg);

    std::vector<std::string> lines, titles;
    ASSERT_TRUE(lf_readCfgLines(file, lines, PackageKind::ordinary));
    for (const std::string& line : lines)
        if (std::string title; lf_getTitle(line, title))
            titles.push_back(title);
    ASSERT_EQ(titles.size(), written.size());

    TestLink link(Transport::ipv4, {.packageFolders = {packages.path()}});
    ASSERT_TRUE(link.openPastAnswer());
    ScConnection* c = link.connection;
    SimConnect_SubscribeToSystemEvent(c, 202, "ObjectAdded");
    const ScInitPosition position{51.5, -0.45, 80, 0, 0, 90, 1, 0};
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const std::optional<std::string> sent = gf_utf8ToAnsi(titles[i]); // as the program's creation does
        ASSERT_EQ(sent, written[i]) << "read as " << testing::PrintToString(titles[i]);
        SimConnect_AICreateNonATCAircraft(c, sent->c_str(), ("T" + std::to_string(i)).c_str(), position, 104);
    }
    link.dispatchUntil([&] {
        return lf_count(link, scMsgEventObjectAddRemove) + lf_count(link, scMsgException) >= titles.size();
    });
    EXPECT_EQ(link.standIn->aiFigures().created, titles.size());
    EXPECT_EQ(link.standIn->aiFigures().refused, 0u);
}
