// A short fuzzing pass over every reader of outside input with a fixed seed, and the
// inputs that once broke a reader, kept as cases (tests/fuzz/cases/<target>-*.bin).
#include "fuzz/fuzz.h"
#include "fuzz/harness.h"

#include "foundation/log.h"
#include "support/tempfolder.h"
#include "support/testpaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

class Fuzz : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { fuzz::gf_discardLog(); }
    void TearDown() override { fuzz::gf_closeDiscardedLog(); }

    fuzz::Target target()
    {
        for (fuzz::Target& candidate : fuzz::gf_targets())
            if (candidate.name == GetParam())
                return candidate;
        throw std::runtime_error("no target " + GetParam());
    }

    TempFolder folder{true};
};

std::vector<std::string> lf_targetNames()
{
    std::vector<std::string> names;
    for (const fuzz::Target& target : fuzz::gf_targets())
        names.push_back(target.name);
    return names;
}

TEST_P(Fuzz, ShortPassAndKeptCases)
{
    fuzz::Target tested = target();
    // The samples first: the kept cases overwrite the files some targets take them from.
    const std::vector<std::string> seeds = tested.seeds();
    ASSERT_FALSE(seeds.empty());
    fuzz::RunOptions options;
    options.failureFolder = (folder.path() / L"failures").string();
    for (const fs::directory_entry& entry : fs::directory_iterator(gf_testSourcePath("tests/fuzz/cases"))) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(tested.name + "-s"))
            continue;
        tested.setUp();
        fuzz::Outcome outcome = fuzz::Outcome::refused;
        fuzz::InputCost cost;
        EXPECT_EQ(fuzz::gf_runInput(tested, gf_testReadFile(entry.path()), options, outcome, cost), "") << name;
    }
    tested.setUp();
    options.seed = 20240601;
    options.count = tested.name == "rt_server" ? 300 : 2000;
    const fuzz::Stats stats = fuzz::gf_runTarget(tested, seeds, options);
    EXPECT_EQ(stats.failures, 0u) << ::testing::PrintToString(stats.failureLines);
    EXPECT_GT(stats.accepted, 0u) << "the reader accepted none of its own samples";
    EXPECT_GT(stats.refused, 0u) << "the reader refused no garbage";
}

// Slowness is the input's own processor time: waiting for the processor on a busy machine
// (here a sleep) makes no input slow, work does.
TEST(FuzzBounds, SlownessIsTheInputsProcessorTime)
{
    const struct {
        const char* what;
        std::function<void()> cost;
        bool slow;
    } cases[] = {
        {"waiting", [] { Sleep(300); }, false},
        {"working", [] {
             const double start = fuzz::gf_threadCpuMs();
             while (fuzz::gf_threadCpuMs() - start < 300.0) {
             }
         }, true},
    };
    for (const auto& c : cases) {
        fuzz::Target target{"bound", "a test", [] { return std::vector<std::string>{""}; }, [] {},
                            [&](const std::string&) {
                                c.cost();
                                return fuzz::Outcome::refused;
                            }};
        fuzz::Outcome outcome = fuzz::Outcome::accepted;
        fuzz::InputCost cost;
        const std::string failure = fuzz::gf_runInput(target, "", fuzz::RunOptions{}, outcome, cost);
        EXPECT_EQ(failure.starts_with("slow: "), c.slow) << c.what << ": " << failure;
        EXPECT_GE(cost.wallMs, 290.0) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, Fuzz, ::testing::ValuesIn(lf_targetNames()),
                         [](const auto& info) { return info.param; });

} // namespace
