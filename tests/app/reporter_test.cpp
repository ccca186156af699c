// The central exception reporter: what is only shown, and what ends the program.
#include "control_fixture.h"

#include "app/programcontrol.h"
#include "app/reporter.h"
#include "foundation/exceptions.h"

#include <fmt/format.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace {
void lf_report(const std::function<void()>& raise, const char* function)
{
    try {
        raise();
    } catch (...) {
        gf_reportException(function);
    }
}

using Reporter = ProgramFolderTest;

struct Ending {
    const char* name;
    std::function<void()> raise;
    std::string shown;
};

class ReporterEnding : public ProgramFolderTest, public ::testing::WithParamInterface<Ending> {};
} // namespace

TEST_F(Reporter, AUserErrorIsShownAndTheProgramStaysOpen)
{
    lf_report([] { throw zeb::UserErrorException(41, "Tarnwick_P3D must be run from the Tarnwick_P3D folder!"); },
              "lf_startUpTarnwick");
    EXPECT_EQ(errorLine(), "41: Tarnwick_P3D must be run from the Tarnwick_P3D folder!");
    EXPECT_TRUE(logHasLine("Error 41: Tarnwick_P3D must be run from the Tarnwick_P3D folder!"));
    EXPECT_FALSE(exitFlag.load());
    EXPECT_EQ(exitReason.load(), 0u);
}

TEST_F(Reporter, FormatErrorsAndThrownValuesThatAreNoExceptionsKeepTheProgramOpen)
{
    lf_report([] { (void)fmt::format(fmt::runtime("{:q}"), 1); }, "mainLoop");
    EXPECT_EQ(errorLine().rfind("std::format error: ", 0), 0u) << errorLine();
    lf_report([] { throw 42; }, "mainLoop");
    EXPECT_EQ(errorLine(), "Unknown exception");
    EXPECT_FALSE(exitFlag.load());
}

TEST_P(ReporterEnding, OtherStandardExceptionsEndTheProgramWithSystemError)
{
    lf_report(GetParam().raise, "mainLoop");
    EXPECT_EQ(errorLine(), GetParam().shown);
    EXPECT_EQ(exitReason.load(), 5u);
    EXPECT_TRUE(exitFlag.load());
    // A second failure while the exit runs does not start another one.
    lf_report([] { throw std::runtime_error("again"); }, "FinalExit");
    ASSERT_TRUE(gf_testWaitForExitEnd());
    EXPECT_EQ(gf_testCountOf(log.text(), "Exiting: "), 1);
    EXPECT_TRUE(logHasLine("Exiting: SYSTEM ERROR"));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReporterEnding,
    ::testing::Values(
        Ending{"SysError", [] { throw zeb::SysErrorException(7, "the socket went away"); },
               "mainLoop: sys error 7: the socket went away"},
        Ending{"OutOfRange", [] { throw std::out_of_range("invalid unordered_map<K, T> key"); },
               "mainLoop: invalid unordered_map<K, T> key"},
        Ending{"BadAlloc", [] { throw std::bad_alloc(); }, "mainLoop: std::bad_alloc"},
        Ending{"Logic", [] { throw std::logic_error("broken rule"); }, "mainLoop: broken rule"}),
    [](const ::testing::TestParamInfo<Ending>& info) { return info.param.name; });
