#include "fuzz/fuzz.h"

#include "foundation/log.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <streambuf>

namespace fuzz {

void gf_check(bool ok, const std::string& what)
{
    if (!ok)
        throw Insane(what);
}

void gf_checkFinite(double value, const std::string& what)
{
    if (!std::isfinite(value))
        throw Insane(fmt::format("{} is {}", what, value));
}

void gf_checkRange(double value, double low, double high, const std::string& what)
{
    if (!(value >= low && value <= high))
        throw Insane(fmt::format("{} is {}, not within {} to {}", what, value, low, high));
}

bool gf_isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

void gf_checkUtf8(std::string_view text, const std::string& what)
{
    if (!gf_isUtf8(text))
        throw Insane(fmt::format("{} is no UTF-8: \"{}\"", what, std::string(text.substr(0, 60))));
}

namespace {
class Discard : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
Discard discard;
} // namespace

void gf_discardLog()
{
    logStream.open("NUL");
    static_cast<std::ostream&>(logStream).rdbuf(&discard);
}

void gf_closeDiscardedLog()
{
    static_cast<std::ostream&>(logStream).rdbuf(logStream.rdbuf());
    logStream.close();
}

void gf_writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string gf_readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string gf_sourceFile(const std::string& relative)
{
    const char* set = std::getenv("TARNWICK_SOURCE_DIR"); // the tests' source tree
    return gf_readFile("Z:" + std::string(set != nullptr ? set : TARNWICK_SOURCE_DIR) + "/" + relative);
}

} // namespace fuzz
