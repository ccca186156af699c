#pragma once
// Read-only access to a zip archive, owning libzip's handles.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

struct zip;

class ZipArchive {
public:
    // Opens the archive read-only, without consistency check; see isOpen().
    explicit ZipArchive(const std::filesystem::path& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    void close();

    std::int64_t entryCount() const;
    // The entry's name in UTF-8 as stored, folders included; empty when unreadable.
    std::string entryName(std::int64_t index) const;
    // The whole entry; false when it cannot be read or is larger than maxBytes.
    bool readAsText(std::int64_t index, std::string& text, std::uint64_t maxBytes) const;
    // Copies the entry to the stream in chunks; 0, or libzip's error code
    // (ZIP_ER_WRITE when the stream fails).
    int readContent(std::int64_t index, std::ostream& out, std::size_t chunkSize) const;

private:
    struct Discard {
        void operator()(zip* archive) const;
    };
    std::unique_ptr<zip, Discard> m_zip;
};
