#pragma once
// An input placed as a mapped file lies in memory: its last word ends at a page boundary
// and the page after it cannot be read, so a reader that reads past the end faults here as
// it would on a file whose size is a whole number of pages.
#include <cstdint>
#include <span>
#include <string_view>

namespace fuzz {

class PageEndCopy {
public:
    // The bytes, padded with zeros to whole words as a mapping pads them.
    explicit PageEndCopy(std::string_view bytes);
    ~PageEndCopy();
    PageEndCopy(const PageEndCopy&) = delete;
    PageEndCopy& operator=(const PageEndCopy&) = delete;

    std::span<const std::uint32_t> words() const { return m_words; }

private:
    void* m_block = nullptr;
    std::span<const std::uint32_t> m_words;
};

} // namespace fuzz
