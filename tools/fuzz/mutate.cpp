#include "fuzz/mutate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace fuzz {
namespace {

std::uint64_t lf_mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::size_t lf_below(Rng& rng, std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng() % n); }

// Short lengths are far more likely than long ones.
std::size_t lf_length(Rng& rng, std::size_t most)
{
    const std::size_t cap = std::min<std::size_t>(most, std::size_t{1} << lf_below(rng, 16));
    return 1 + lf_below(rng, cap);
}

constexpr std::array<std::string_view, 40> numberTexts{
    "0", "-0", "1", "-1", "2", "127", "128", "255", "256", "-129", "32767", "32768", "65535", "65536",
    "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967295", "4294967296",
    "9223372036854775807", "9223372036854775808", "18446744073709551616", "99999999999999999999999",
    "1e308", "1e309", "-1e308", "1e-308", "4.9e-324", "nan", "NaN", "inf", "-inf", "Infinity", "0x7fffffff",
    "1.7976931348623157e308", "90.000001", "-180.5", "360", "0.0"};

constexpr std::array<std::uint64_t, 20> numberWords{
    0, 1, 2, 3, 4, 7, 8, 12, 16, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
    0x7FFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull};

constexpr std::array<std::string_view, 16> oddTexts{
    "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\xFF\xFE\x00\x00", "\xC0\xAF", "\xED\xA0\x80", "\x80", "\xF4\x90\x80\x80",
    "\xE2\x82", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", std::string_view("\0", 1), "\r\n", "\r", "\xD8\x00"};

constexpr std::string_view specialBytes = "\0\n\r\t ,;:=<>/\"'&#[]{}.-+0123456789aZ\x7f\x80\xff";

void lf_boundaryNumber(std::string& text, Rng& rng)
{
    const std::string_view number = numberTexts[lf_below(rng, numberTexts.size())];
    // The digit run at a random place, else a random place.
    std::size_t at = lf_below(rng, text.size() + 1);
    std::size_t end = at;
    const auto digit = [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t p = (at + i) % text.size();
        if (digit(text[p])) {
            at = p;
            while (at > 0 && digit(text[at - 1]))
                --at;
            end = at;
            while (end < text.size() && digit(text[end]))
                ++end;
            break;
        }
    }
    text.replace(at, end - at, number);
}

void lf_binaryWord(std::string& text, Rng& rng)
{
    if (text.empty())
        return;
    static constexpr std::array<std::size_t, 4> widths{1, 2, 4, 8};
    const std::size_t width = std::min(widths[lf_below(rng, widths.size())], text.size());
    std::size_t at = lf_below(rng, text.size() - width + 1);
    if (rng() % 2)
        at &= ~std::size_t{3}; // most fields are aligned words
    std::uint64_t value = numberWords[lf_below(rng, numberWords.size())];
    switch (lf_below(rng, 4)) {
    case 0: value = text.size() + lf_below(rng, 9) - 4; break;    // near the real size
    case 1: value = ~value; break;
    case 2: {                                                   // a nearby value
        std::uint64_t old = 0;
        std::memcpy(&old, text.data() + at, width);
        value = old + lf_below(rng, 33) - 16;
        break;
    }
    default: break;
    }
    std::memcpy(text.data() + at, &value, width);
}

std::string lf_toUtf16(const std::string& text, bool bigEndian, bool mark)
{
    std::string out;
    if (mark)
        out = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (const char c : text) { // bytes as code units: enough to look like UTF-16 text
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

} // namespace

Rng gf_inputRng(std::uint64_t seed, const std::string& target, std::uint64_t index)
{
    std::uint64_t h = 1469598103934665603ull;
    for (const char c : target)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return Rng(lf_mix(lf_mix(seed) ^ lf_mix(h) ^ lf_mix(index + 0x51ED)));
}

void gf_mutate(std::string& text, const std::vector<std::string>& seeds, std::size_t maxSize, Rng& rng)
{
    const std::size_t size = text.size();
    const std::size_t at = lf_below(rng, size + 1);
    switch (lf_below(rng, 16)) {
    case 0: // bit flips
        for (std::size_t n = 1 + lf_below(rng, 4); n > 0 && size > 0; --n)
            text[lf_below(rng, size)] ^= static_cast<char>(1u << lf_below(rng, 8));
        break;
    case 1: // byte set
        for (std::size_t n = 1 + lf_below(rng, 4); n > 0 && size > 0; --n)
            text[lf_below(rng, size)] = rng() % 2 ? static_cast<char>(rng())
                                                  : specialBytes[lf_below(rng, specialBytes.size())];
        break;
    case 2: // delete a stretch
        text.erase(at, lf_length(rng, size - at + 1));
        break;
    case 3: // cut the end off
        text.resize(lf_below(rng, size + 1));
        break;
    case 4: { // repeat a stretch
        if (size == 0)
            break;
        const std::size_t from = lf_below(rng, size);
        const std::string piece = text.substr(from, lf_length(rng, size - from));
        for (std::size_t n = 1 + (rng() % 8 == 0 ? lf_below(rng, 64) : lf_below(rng, 3)); n > 0; --n)
            text.insert(std::min(at, text.size()), piece);
        break;
    }
    case 5: { // splice with another seed
        if (seeds.empty())
            break;
        const std::string& other = seeds[lf_below(rng, seeds.size())];
        const std::size_t from = lf_below(rng, other.size() + 1);
        if (rng() % 2)
            text = text.substr(0, at) + other.substr(from);
        else
            text.insert(at, other.substr(from, lf_length(rng, other.size() - from + 1)));
        break;
    }
    case 6:
    case 7:
        lf_boundaryNumber(text, rng);
        break;
    case 8:
    case 9:
        lf_binaryWord(text, rng);
        break;
    case 10: { // insert random bytes
        std::string bytes(lf_length(rng, 64), '\0');
        for (char& c : bytes)
            c = static_cast<char>(rng());
        text.insert(at, bytes);
        break;
    }
    case 11: { // odd encodings: byte-order marks, broken and overlong UTF-8
        const std::string_view odd = oddTexts[lf_below(rng, oddTexts.size())];
        text.insert(rng() % 3 == 0 ? 0 : at, odd);
        break;
    }
    case 12: // the whole text in UTF-16
        text = lf_toUtf16(text, rng() % 2, rng() % 4 != 0);
        break;
    case 13: { // a huge input: a stretch repeated up to the size bound
        if (size == 0)
            break;
        const std::size_t from = lf_below(rng, size);
        const std::string piece = text.substr(from, lf_length(rng, std::min<std::size_t>(size - from, 256)));
        std::string grown = text.substr(0, from);
        while (grown.size() + piece.size() < maxSize)
            grown += piece;
        text = grown + text.substr(from);
        break;
    }
    case 14: { // swap two stretches
        if (size < 2)
            break;
        const std::size_t length = lf_length(rng, size / 2);
        const std::size_t a = lf_below(rng, size - length + 1);
        const std::size_t b = lf_below(rng, size - length + 1);
        std::string first = text.substr(a, length);
        text.replace(a, length, text.substr(b, length));
        text.replace(b, length, first);
        break;
    }
    default: { // copy a stretch of the text over another place
        if (size == 0)
            break;
        const std::size_t from = lf_below(rng, size);
        const std::string piece = text.substr(from, lf_length(rng, size - from));
        text.replace(std::min(at, size), std::min(piece.size(), size - std::min(at, size)), piece);
        break;
    }
    }
    if (text.size() > maxSize)
        text.resize(maxSize);
}

std::string gf_makeInput(const std::vector<std::string>& seeds, std::size_t maxSize, std::uint64_t seed,
                         const std::string& target, std::uint64_t index)
{
    Rng rng = gf_inputRng(seed, target, index);
    if (seeds.empty() || rng() % 20 == 0) {
        std::string bytes(lf_below(rng, std::min<std::size_t>(maxSize, 4096) + 1), '\0');
        const bool text = rng() % 2; // printable bytes reach further into text readers
        for (char& c : bytes)
            c = text ? static_cast<char>(32 + rng() % 95) : static_cast<char>(rng());
        return bytes;
    }
    std::string input = seeds[lf_below(rng, seeds.size())];
    // Every seed now and then as it stands: the readers must accept their own samples.
    if (rng() % 64 == 0)
        return input;
    for (std::size_t n = 1 + lf_below(rng, 5); n > 0; --n)
        gf_mutate(input, seeds, maxSize, rng);
    return input;
}

} // namespace fuzz
