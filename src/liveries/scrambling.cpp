// The stored form of registrations, airline codes and type codes, and the date code.
#include "liveries/scrambling.h"

#include "foundation/log.h"
#include "foundation/timehelpers.h"
#include "liveries/liveries.h"
#include "liveries/scramblekeys.h"

#include <fmt/format.h>

#include <stdexcept>

using namespace scrambleKeys;

std::atomic<std::int64_t> dateCodeInstant{0};

namespace {
int lf_code(char c) { return static_cast<unsigned char>(c); }

int lf_regcodeOffset(std::size_t position) { return regcodeOffsets[position % regcodeOffsets.size()]; }

template <std::size_t N>
std::string lf_pick(const std::string& stored, const std::array<std::size_t, N>& positions,
                    const std::array<int, N>& offsets)
{
    std::string plain(N, ' ');
    for (std::size_t i = 0; i < N; ++i) {
        const int code = positions[i] < stored.size() ? lf_code(stored[positions[i]]) : 0;
        plain[i] = wrap(code + offsets[i]);
    }
    return plain;
}
} // namespace

std::string gf_decryptRegcode(const std::string& stored)
{
    std::string plain = stored;
    for (std::size_t i = 0; i < plain.size(); ++i)
        if (plain[i] != '+')
            plain[i] = wrap(lf_code(plain[i]) - lf_regcodeOffset(i));
    return plain;
}

std::string gf_encryptRegcode(const std::string& plain)
{
    if (plain.size() == 1 || plain.size() >= 25)
        gf_logMarked(plain);
    std::string stored = plain;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] >= 'a' && stored[i] <= 'z') {
            gf_logf("lower case in regcode encryp {}", plain);
            throw std::runtime_error("regcode encrypt error");
        }
        if (stored[i] != '+')
            stored[i] = wrap(lf_code(stored[i]) + lf_regcodeOffset(i));
    }
    return stored;
}

std::string gf_decryptAirline(const std::string& stored)
{
    if (stored.empty())
        return {};
    if (stored.size() == storedAirlineLength)
        return lf_pick(stored, airlinePositions, airlineOffsets);
    if (stored.size() == 3) {
        gf_logMarked(fmt::format("Unencrypted airline {} in decrypt airl?", stored));
        return stored;
    }
    throw std::runtime_error(fmt::format("decrypt airl \"{}\" error", stored));
}

std::string gf_decryptType(const std::string& stored)
{
    if (stored.empty())
        return {};
    if (stored.size() == 3)
        return lf_pick(stored, type3Positions, type3Offsets);
    if (stored.size() == 4)
        return lf_pick(stored, type4Positions, type4Offsets);
    return lf_pick(stored, type2Positions, type2Offsets);
}

std::string gf_dateCodeAt(std::time_t instant)
{
    // "Fri Jan  5 10:00:00 2024": month at 4, day at 8 (a blank before one digit), year at 20.
    const std::string text = gf_utcTimeString(instant);
    std::string month = text.substr(4, 3);
    for (char& c : month)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return gf_encryptRegcode(month + text.substr(8, 2) + text.substr(20, 4));
}

std::string gf_dateCode()
{
    const std::int64_t instant = dateCodeInstant.load();
    return gf_dateCodeAt(instant != 0 ? static_cast<std::time_t>(instant) : std::time(nullptr));
}
