// refgen.exe <program folder> [liveries] [seed]: writes the reference files, the regcode
// lists and LiveriesScanned.xml of a generated world into the program folder.
#include "refgen/refgen.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fputs("usage: refgen <program folder> [liveries] [seed]\n", stderr);
        return 2;
    }
    try {
        const std::size_t count = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 0;
        const std::uint32_t seed = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 1;
        const refgen::World world = count > 0 ? refgen::scaledWorld(count, seed) : refgen::baseWorld();
        refgen::writeProgramFiles(world, argv[1]);
        std::printf("refgen: %zu types, %zu airlines, %zu registrations, %zu liveries\n", world.types.size(),
                    world.airlines.size(), world.registrations.size(), world.liveries.size());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "refgen: %s\n", e.what());
        return 1;
    }
}
