// bgl_writer.exe: writes the sample scenery of the run command, or a large scenery tree.
#include "bglwriter/scenerytree.h"

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    try {
        if (command == L"sample" && argc == 3) {
            bglw::gf_writeSampleScenery(argv[2]);
            std::printf("sample scenery written\n");
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
    std::fprintf(stderr, "usage: bgl_writer sample FOLDER | bgl_writer tree FOLDER [MEGABYTES]\n");
    return 2;
}
