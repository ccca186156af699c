// Resource ids of Tarnwick_P3D.exe, shared by tarnwick.rc and the code.
#pragma once

#define IDI_TARNWICK 100    // the program's icon
#define IDS_PROGRAM_NAME 101 // window class name and title
