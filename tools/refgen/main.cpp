// refgen.exe <program folder> [liveries] [seed]: writes the reference files, the regcode
// lists and LiveriesScanned.xml of a generated world into the program folder.
// refgen.exe packages <root> <add-ons.cfg> <simobjects.cfg> <simulator folder> [liveries] [seed]:
// writes AI aircraft packages of the world's liveries below the root, found only through
// the simulator's add-ons.cfg and simobjects.cfg (a world of the same seed and at least as
// many liveries has the reference data they need).
// A first argument --las-vegas (--los-angeles) makes the world one that also knows the traffic
// around Las Vegas (Los Angeles).
#include "refgen/packagetree.h"
#include "refgen/refgen.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string_view>

namespace {
std::wstring_view recordingWorld; // --las-vegas, --los-angeles or empty

refgen::World lf_world(std::size_t count, std::uint32_t seed)
{
    if (recordingWorld == L"--las-vegas")
        return refgen::lasVegasWorld(count, seed);
    if (recordingWorld == L"--los-angeles")
        return refgen::losAngelesWorld(count, seed);
    return count > 0 ? refgen::scaledWorld(count, seed) : refgen::baseWorld();
}

int lf_packages(int argc, wchar_t** argv)
{
    const std::size_t count = argc > 6 ? std::wcstoul(argv[6], nullptr, 10) : 0;
    const std::uint32_t seed = argc > 7 ? std::wcstoul(argv[7], nullptr, 10) : 1;
    const refgen::World world = lf_world(count, seed);
    refgen::TreeOptions options;
    options.addOnsCfg = argv[3];
    options.simObjectsCfg = argv[4];
    options.installFolder = argv[5];
    options.manualFolder = false;
    const refgen::PackageTree tree = refgen::writePackageTree(world, argv[2], options);
    std::printf("refgen: %zu liveries in %zu configuration files of %zu package folders\n", tree.liveries.size(),
                tree.configFiles.size(), tree.discoveredFolders.size());
    return 0;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && (std::wstring_view(argv[1]) == L"--las-vegas" || std::wstring_view(argv[1]) == L"--los-angeles")) {
        recordingWorld = argv[1];
        --argc;
        ++argv;
    }
    if (argc > 5 && std::wstring_view(argv[1]) == L"packages") {
        try {
            return lf_packages(argc, argv);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "refgen: %s\n", e.what());
            return 1;
        }
    }
    if (argc < 2) {
        std::fputs("usage: refgen [--las-vegas|--los-angeles] <program folder> [liveries] [seed]\n"
                   "       refgen [--las-vegas|--los-angeles] packages <root> <add-ons.cfg> <simobjects.cfg> <simulator folder> [liveries] [seed]\n",
                   stderr);
        return 2;
    }
    try {
        const std::size_t count = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 0;
        const std::uint32_t seed = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 1;
        const refgen::World world = lf_world(count, seed);
        refgen::writeProgramFiles(world, argv[1]);
        std::printf("refgen: %zu types, %zu airlines, %zu registrations, %zu liveries\n", world.types.size(),
                    world.airlines.size(), world.registrations.size(), world.liveries.size());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "refgen: %s\n", e.what());
        return 1;
    }
}
