#include "foundation/parametersfile.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    // A failing test must never wait on an error dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    // A run under another code page proves nothing when the locale did not take.
    if (const char* wanted = std::getenv("TARNWICK_CODE_PAGE"); wanted && std::to_string(GetACP()) != wanted) {
        std::fprintf(stderr, "the ANSI code page is %u, not the %s this run asks for\n", GetACP(), wanted);
        return 1;
    }
    // Settings that a test saves go to a data folder of this process: the user's one is
    // shared by every test process of the run, and a program run reads it at each start.
    const TempFolder data;
    dataFolder = data.path();
    parametersFile = dataFolder / L"parameters.xml";
    return RUN_ALL_TESTS();
}
