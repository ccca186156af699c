#pragma once
// A major.minor.patch triple for program, data and archive versions.
#include <cstdint>
#include <string>
#include <string_view>

struct Version {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t patch = 0;

    Version() = default;
    Version(std::int32_t ma, std::int32_t mi, std::int32_t pa) : major(ma), minor(mi), patch(pa) {}
    // The first "n.n.n" in the text, else a JSON object with "major", "minor", "patch".
    // Never raises: what could not be read stays 0.
    explicit Version(std::string_view text);

    std::string toString() const;
    std::string& text(std::string& out) const;

    auto operator<=>(const Version&) const = default;
};

// The program's own version.
extern const Version programVersion;
