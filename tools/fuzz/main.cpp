// fuzz.exe: feeds mutated and random inputs to every reader of outside input.
//   fuzz.exe [--target NAME]... [--count N] [--seed S] [--first I] [--failures DIR] [--work DIR] [--no-header]
// --work names the folder in which the run makes its own (default: the temporary folder).
//   fuzz.exe --replay FILE [--target NAME]   (the target is the file name's start otherwise)
//   fuzz.exe --list | --header
#include "fuzz/fuzz.h"
#include "fuzz/harness.h"

#include "foundation/log.h"
#include "foundation/winstring.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int lf_usage()
{
    std::fputs("usage: fuzz.exe [--target NAME]... [--count N] [--seed S] [--first I] [--failures DIR] [--work DIR]\n"
               "                [--no-header]\n"
               "       fuzz.exe --replay FILE [--target NAME]\n       fuzz.exe --list | --header\n",
               stderr);
    return 2;
}

// A folder of its own as the current folder: the readers work relative to it.
fs::path lf_enterWorkFolder(const fs::path& parent)
{
    const fs::path folder = parent / (L"tarnwick-fuzz-" + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
    return folder;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(gf_utf16ToUtf8(argv[i]));
    fuzz::RunOptions options;
    options.count = 1000000;
    std::vector<std::string> names;
    std::string replay;
    std::string workParent; // where the run's folder is made
    bool header = true;
    bool list = false;
    bool noLog = false;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            const auto value = [&] {
                if (i + 1 >= args.size())
                    throw std::invalid_argument(a);
                return args[++i];
            };
            if (a == "--target")
                names.push_back(value());
            else if (a == "--count")
                options.count = std::stoull(value());
            else if (a == "--seed")
                options.seed = std::stoull(value());
            else if (a == "--first")
                options.first = std::stoull(value());
            else if (a == "--failures")
                options.failureFolder = value();
            else if (a == "--work")
                workParent = value();
            else if (a == "--replay")
                replay = value();
            else if (a == "--no-header")
                header = false;
            else if (a == "--list")
                list = true;
            else if (a == "--header") {
                std::printf("%s\n", fuzz::gf_tableHeader().c_str());
                return 0;
            }
            else if (a == "--no-log")
                noLog = true;
            else if (a == "--verbose")
                options.verbose = true;
            else
                return lf_usage();
        }
    } catch (const std::exception&) {
        return lf_usage();
    }
    // Failure files and replays are named relative to where the program was started.
    options.failureFolder = fs::absolute(options.failureFolder).string();
    const std::string replayFile = replay.empty() ? "" : fs::absolute(replay).string();

    std::vector<fuzz::Target> targets = fuzz::gf_targets();
    if (list) {
        for (const fuzz::Target& target : targets)
            std::printf("%-16s %s\n", target.name.c_str(), target.reader.c_str());
        return 0;
    }
    if (!replay.empty() && names.empty()) {
        const std::string file = fs::path(replay).filename().string();
        names.push_back(file.substr(0, file.find("-s")));
    }
    std::vector<fuzz::Target*> chosen;
    for (fuzz::Target& target : targets)
        if (names.empty() || std::ranges::find(names, target.name) != names.end())
            chosen.push_back(&target);
    if (chosen.empty() || (!names.empty() && chosen.size() != names.size())) {
        std::fprintf(stderr, "unknown target\n");
        return 2;
    }

    const fs::path work = lf_enterWorkFolder(workParent.empty() ? fs::temp_directory_path() : gf_u8path(workParent));
    if (!noLog)
        fuzz::gf_discardLog();
    fuzz::gf_installCrashHandlers(options);
    int failed = 0;
    if (!replay.empty()) {
        fuzz::Target& target = *chosen.front();
        const std::string input = fuzz::gf_readFile(replayFile);
        target.setUp();
        fuzz::Outcome outcome = fuzz::Outcome::refused;
        fuzz::InputCost cost;
        const std::string failure = fuzz::gf_runInput(target, input, options, outcome, cost);
        std::printf("%s: %zu bytes, %s, %.0f ms processor time, %.2f ms passed, %.2f MB: %s\n", target.name.c_str(),
                    input.size(), outcome == fuzz::Outcome::accepted ? "accepted" : "refused", cost.cpuMs,
                    cost.wallMs, cost.heapMb, failure.empty() ? "ok" : failure.c_str());
        failed = failure.empty() ? 0 : 1;
    } else {
        if (header)
            std::printf("%s\n", fuzz::gf_tableHeader().c_str());
        std::fflush(stdout);
        for (fuzz::Target* target : chosen) {
            std::vector<std::string> seeds;
            try {
                seeds = target->seeds();
                target->setUp();
            } catch (const std::exception& error) {
                std::printf("%-16s could not be set up: %s\n", target->name.c_str(), error.what());
                ++failed;
                continue;
            }
            const fuzz::Stats stats = fuzz::gf_runTarget(*target, seeds, options);
            std::printf("%s\n", fuzz::gf_tableRow(stats).c_str());
            std::fflush(stdout);
            failed += stats.failures > 0;
        }
    }
    fuzz::gf_closeDiscardedLog();
    std::error_code ignored;
    fs::current_path(work.parent_path(), ignored);
    fs::remove_all(work, ignored);
    return failed == 0 ? 0 : 1;
}
