#pragma once
// Bounded reads from one server packet as the dispatch hands it over. A field that does
// not lie wholly inside the packet reads as missing, so a short packet never reads past
// its end. No <windows.h> here.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

struct SimMessage {
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;

    bool has(std::uint32_t offset, std::uint32_t width) const
    {
        return std::uint64_t{offset} + width <= size;
    }

    template <typename T>
    std::optional<T> read(std::uint32_t offset) const
    {
        if (!has(offset, sizeof(T)))
            return std::nullopt;
        T value;
        std::memcpy(&value, data + offset, sizeof(T));
        return value;
    }
    std::uint32_t u32(std::uint32_t offset) const { return read<std::uint32_t>(offset).value_or(0); }

    // A text field of at most `field` bytes up to its first NUL, cut at the packet's end.
    std::string text(std::uint32_t offset, std::uint32_t field) const
    {
        if (offset >= size)
            return {};
        const std::uint32_t room = size - offset < field ? size - offset : field;
        const char* start = reinterpret_cast<const char*>(data + offset);
        std::uint32_t length = 0;
        while (length < room && start[length] != '\0')
            ++length;
        return std::string(start, length);
    }
};
