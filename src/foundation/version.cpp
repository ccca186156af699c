#include "foundation/version.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <regex>

const Version programVersion("9.3.0");

Version::Version(std::string_view text)
{
    if (text.empty())
        return;
    try {
        static const std::regex triple("(\\d+).(\\d+).(\\d+)");
        std::match_results<std::string_view::const_iterator> m;
        if (std::regex_search(text.begin(), text.end(), m, triple)) {
            major = std::stoi(m[1].str());
            minor = std::stoi(m[2].str());
            patch = std::stoi(m[3].str());
            return;
        }
        const auto json = nlohmann::json::parse(text);
        major = json.at("major").get<std::int32_t>();
        minor = json.at("minor").get<std::int32_t>();
        patch = json.at("patch").get<std::int32_t>();
    } catch (const std::exception&) {
        // Whatever was read before the failure stands; the rest stays 0.
    }
}

std::string Version::toString() const
{
    return fmt::format("{}.{}.{}", major, minor, patch);
}

std::string& Version::text(std::string& out) const
{
    out = toString();
    return out;
}
