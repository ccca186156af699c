#include "foundation/version.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <vector>

const Version programVersion("9.3.0");

namespace {
// The first match of the regular expression (\d+).(\d+).(\d+) as ECMAScript finds it:
// the leftmost start, each group as long as the rest still matches, '.' any character but
// a line end. Found in linear time: the library's matcher backtracks for minutes on a long
// run of digits, which a downloaded file can hold.
std::optional<std::array<std::string_view, 3>> lf_findTriple(std::string_view text)
{
    const std::size_t n = text.size();
    std::vector<std::size_t> run(n + 1, 0); // digits from each position on
    for (std::size_t i = n; i-- > 0;)
        run[i] = (text[i] >= '0' && text[i] <= '9') ? run[i + 1] + 1 : 0;
    const auto any = [&](std::size_t p) { return p < n && text[p] != '\n' && text[p] != '\r'; };
    // The longest b digits from q followed by any character and a digit; 0 when none.
    const auto second = [&](std::size_t q) -> std::size_t {
        for (std::size_t b = run[q]; b >= 1; --b)
            if (any(q + b) && run[q + b + 1] >= 1)
                return b;
        return 0;
    };
    for (std::size_t s = 0; s < n; ++s)
        for (std::size_t a = run[s]; a >= 1; --a) {
            if (!any(s + a))
                continue;
            const std::size_t q = s + a + 1;
            if (const std::size_t b = second(q)) {
                const std::size_t t = q + b + 1;
                return std::array{text.substr(s, a), text.substr(q, b), text.substr(t, run[t])};
            }
        }
    return std::nullopt;
}
} // namespace

Version::Version(std::string_view text)
{
    if (text.empty())
        return;
    try {
        if (const auto triple = lf_findTriple(text)) {
            major = std::stoi(std::string((*triple)[0]));
            minor = std::stoi(std::string((*triple)[1]));
            patch = std::stoi(std::string((*triple)[2]));
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
