// The zip reader on archives made here: names, contents, and damaged or foreign files.
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
}

TEST(ZipArchive, DamagedOrForeignFilesAreRefused)
{
    TempFolder folder;
    EXPECT_FALSE(ZipArchive(folder / L"missing.zip").isOpen());
    gf_testWriteFile(folder / L"page.zip", "<html><body>500 Internal Server Error</body></html>");
    EXPECT_FALSE(ZipArchive(folder / L"page.zip").isOpen());

    // A byte changed inside the first entry's data: its content must not pass as read.
    const std::string name = "archive/stock/EHAM.xml";
    std::string bytes = gf_testZip({{name, lf_longText()}});
    bytes[30 + name.size() + 40] ^= 0x5A;
    gf_testWriteFile(folder / L"bad.zip", bytes);
    ZipArchive zip(folder / L"bad.zip");
    ASSERT_TRUE(zip.isOpen());
    std::string text;
    EXPECT_FALSE(zip.readAsText(0, text, 1 << 20));
    std::ostringstream out;
    EXPECT_NE(zip.readContent(0, out, 4096), 0);
}

} // namespace
