#include "foundation/parametersfile.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <windows.h>

int main(int argc, char** argv)
{
    // A failing test must never wait on an error dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    // Settings that a test saves go to a data folder of this process: the user's one is
    // shared by every test process of the run, and a program run reads it at each start.
    const TempFolder data;
    dataFolder = data.path();
    parametersFile = dataFolder / L"parameters.xml";
    return RUN_ALL_TESTS();
}
