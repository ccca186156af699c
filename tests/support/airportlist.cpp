#include "support/airportlist.h"

#include "support/tempfolder.h"

#include "foundation/winstring.h"

#include <cstdlib>
#include <stdexcept>

void gf_testWriteAirportList(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder / L"input");
    gf_testWriteFile(folder / L"input" / L"airports_p3d.xml",
                     "<?xml version=\"1.0\"?>\n<airports>\n"
                     "\t<airport code=\"EHAM\" iata=\"AMS\" lat=\"52.3086013794\" lon=\"4.76388978958\" alt=\"-11\" />\n"
                     "\t<airport code=\"EHLE\" iata=\"LEY\" lat=\"52.4603\" lon=\"5.52722\" alt=\"-11\" />\n"
                     "\t<airport code=\"EGLL\" iata=\"LHR\" lat=\"51.4706\" lon=\"-0.461941\" alt=\"83\" />\n"
                     "\t<airport code=\"KJFK\" iata=\"JFK\" lat=\"40.63980103\" lon=\"-73.77890015\" alt=\"13\" />\n"
                     "</airports>\n");
}

std::filesystem::path gf_testRealAirportList()
{
    const char* list = std::getenv("TARNWICK_AIRPORT_LIST");
    if (list == nullptr)
        throw std::runtime_error("TARNWICK_AIRPORT_LIST is not set");
    return std::filesystem::path(L"Z:" + gf_utf8ToUtf16(list));
}
