#pragma once
// The fuzzing program's targets: one per reader of outside input, each feeding a byte
// buffer (or a file made from it) to the real product function and checking what the
// reader accepted.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

enum class Outcome { accepted, refused };

// What a target raises when the reader accepted something that is not sane.
class Insane : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Target {
    std::string name;
    std::string reader; // what it feeds, for the listing
    // Real-shaped samples of the input, made by the stand-ins and generators.
    std::function<std::vector<std::string>()> seeds;
    // Once per process, before the first input (current folder: the run's own folder).
    std::function<void()> setUp;
    // Feeds one input; exceptions that the product's caller catches are caught here and
    // count as refused. Raises Insane when the reader accepted garbage.
    std::function<Outcome(const std::string& input)> run;
    std::size_t maxSize = 1 << 16; // mutations stay below this
};

// Every target, in the order of the table.
std::vector<Target> gf_targets();
std::vector<Target> gf_realTrafficTargets();
std::vector<Target> gf_simConnectTargets();
std::vector<Target> gf_foundationTargets();
std::vector<Target> gf_liveriesTargets();
std::vector<Target> gf_liveryScanTargets();
std::vector<Target> gf_airportsTargets();

// Checks of what readers accept; each raises Insane naming `what`.
void gf_check(bool ok, const std::string& what);
void gf_checkFinite(double value, const std::string& what);
void gf_checkRange(double value, double low, double high, const std::string& what);
void gf_checkUtf8(std::string_view text, const std::string& what);
bool gf_isUtf8(std::string_view text);

// The log stays open, as the readers expect, but its lines go nowhere at no cost: a million
// refused inputs would fill the disk, and its flushes would be timed with the readers.
void gf_discardLog();
void gf_closeDiscardedLog();

// Files of the inputs.
void gf_writeFile(const std::string& path, std::string_view bytes);
std::string gf_readFile(const std::string& path); // empty when missing
// A file of the source tree (samples kept with the stand-ins).
std::string gf_sourceFile(const std::string& relative);

} // namespace fuzz
