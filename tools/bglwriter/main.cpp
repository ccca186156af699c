// bgl_writer.exe: writes the sample scenery of the run command, an airport described in text, or a
// large scenery tree.
#include "bglwriter/scenerytree.h"

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>
#include <variant>

namespace {
// The stands, one a line, for the traffic and the map of the run; with helipads, those too.
void lf_printStands(const bglw::Airport& airport, bool helipads)
{
    for (const bglw::Subrecord& subrecord : airport.subrecords) {
        if (const auto* list = std::get_if<bglw::ParkingList>(&subrecord))
            for (const bglw::Parking& p : list->entries)
                std::printf("stand %s %u %s %.7f %.7f %.1f %.1f\n", airport.ident.c_str(), p.number,
                            p.nameCode == 1 ? "ramp" : "gate", p.latitude, p.longitude, p.heading, p.radius);
        if (const auto* pad = std::get_if<bglw::Helipad>(&subrecord); pad && helipads)
            std::printf("helipad %s %.7f %.7f %.1f %.1f\n", airport.ident.c_str(), pad->latitude, pad->longitude,
                        pad->heading.value_or(0.0f), pad->size);
    }
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    try {
        if (command == L"sample" && argc == 3) {
            for (const bglw::Airport& airport : bglw::gf_writeSampleScenery(argv[2]))
                lf_printStands(airport, false);
            std::printf("sample scenery written\n");
            return 0;
        }
        if (command == L"airport" && argc == 4) {
            const bglw::Airport airport = bglw::gf_readAirportText(argv[3]);
            bglw::gf_writeAirportScenery(argv[2], airport);
            lf_printStands(airport, true);
            std::printf("airport scenery written\n");
            return 0;
        }
        if (command == L"tree" && (argc == 3 || argc == 4)) {
            const std::uint64_t megabytes = argc == 4 ? std::wcstoull(argv[3], nullptr, 10) : 1024;
            const bglw::TreeSummary tree = bglw::gf_writeSceneryTree(argv[2], megabytes);
            std::printf("%d sceneries, %d .bgl files, %d airports, %d stands, %llu bytes\n", tree.sceneries,
                        tree.bglFiles, tree.airports, tree.stands, static_cast<unsigned long long>(tree.bytes));
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bgl_writer: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: bgl_writer sample FOLDER | bgl_writer airport FOLDER AIRPORT_TEXT | bgl_writer tree FOLDER [MEGABYTES]\n");
    return 2;
}
