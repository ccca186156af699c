#pragma once
// The byte-exact checks of texts in the system's ANSI code page know Windows-1252, Wine's
// ANSI code page, and say "Windows1252" in their names; under any other they are skipped,
// saying so.
#include "foundation/winstring.h"

#include <gtest/gtest.h>

#define SKIP_UNLESS_ANSI_IS_1252()                                                                                    \
    do {                                                                                                              \
        if (gf_ansiCodePage() != 1252)                                                                                \
            GTEST_SKIP() << "the ANSI code page is " << gf_ansiCodePage() << ", not 1252";                          \
    } while (false)
