// The zip reader on archives made here: names and contents in order. Damaged archives
// are covered by the archive and installer tests.
#include "updater_support.h"

#include "foundation/ziparchive.h"

#include <sstream>

namespace {

std::string lf_longText()
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "<stand name=\"" + std::to_string(i) + "\"/>\n";
    return text;
}

TEST(ZipArchive, ListsAndReadsEntriesInTheirOrder)
{
    TempFolder folder;
    const std::string big = lf_longText();
    gf_testWriteFile(folder / L"a.zip", gf_testZip({{"archive/stock/EHAM.xml", big}, {"archive/", ""}, {"b.txt", "b"}}));
    ZipArchive zip(folder / L"a.zip");
    ASSERT_TRUE(zip.isOpen());
    ASSERT_EQ(zip.entryCount(), 3);
    EXPECT_EQ(zip.entryName(0), "archive/stock/EHAM.xml");
    EXPECT_EQ(zip.entryName(1), "archive/");
    EXPECT_EQ(zip.entryName(2), "b.txt");
    EXPECT_EQ(zip.entryName(3), "");

    std::string text;
    ASSERT_TRUE(zip.readAsText(0, text, big.size()));
    EXPECT_EQ(text, big);
    EXPECT_FALSE(zip.readAsText(0, text, big.size() - 1)) << "larger than allowed";
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(zip.readAsText(7, text, 100));

    std::ostringstream out;
    EXPECT_EQ(zip.readContent(0, out, 1000), 0);
    EXPECT_EQ(out.str(), big);
    std::ostringstream none;
    EXPECT_NE(zip.readContent(9, none, 1000), 0);

    zip.close();
    EXPECT_FALSE(zip.isOpen());
    EXPECT_EQ(zip.entryCount(), 0);
    EXPECT_FALSE(ZipArchive(folder / L"missing.zip").isOpen());
}

// An archive whose end holds many end records is not opened: libzip would try each against
// the central directory, a millisecond apiece.
TEST(ZipArchive, AnArchiveEndingInManyEndRecordsIsNotOpened)
{
    TempFolder folder;
    const std::string zip = gf_testZip({{"archive/stock/EHAM.xml", lf_longText()}});
    const std::string endRecord = zip.substr(zip.size() - 22);
    ASSERT_TRUE(endRecord.starts_with("PK\x05\x06"));
    for (const auto& [copies, opens] : {std::pair{0, true}, std::pair{7, true}, std::pair{2000, false}}) {
        std::string bytes = zip;
        for (int i = 0; i < copies; ++i)
            bytes += endRecord;
        gf_testWriteFile(folder / L"a.zip", bytes);
        EXPECT_EQ(ZipArchive(folder / L"a.zip").isOpen(), opens) << copies << " more end records";
    }
}

} // namespace
