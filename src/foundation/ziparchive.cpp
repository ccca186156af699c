#include "foundation/ziparchive.h"

#include <zip.h>

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

// The end record of a zip lies in its last 64 KB (a comment of at most 65535 bytes and the
// record). libzip checks every record signature found there against the central directory,
// at about a millisecond each: an archive whose end holds more of them than any written one
// is damaged, or made to stall the reader for seconds.
constexpr int mostEndRecords = 8;

bool lf_fewEndRecords(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return true; // libzip tells why it cannot open it
    const std::streamoff size = in.tellg();
    const std::streamoff tail = std::min<std::streamoff>(size, 65535 + 22);
    std::string bytes(static_cast<std::size_t>(tail), '\0');
    in.seekg(size - tail);
    in.read(bytes.data(), tail);
    const std::string_view signature("PK\x05\x06", 4);
    int found = 0;
    for (std::size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1))
        if (++found > mostEndRecords)
            return false;
    return true;
}

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, FileCloser>;

} // namespace

void ZipArchive::Discard::operator()(zip* archive) const
{
    zip_discard(archive);
}

ZipArchive::ZipArchive(const std::filesystem::path& path)
{
    if (!lf_fewEndRecords(path))
        return;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_win32w_create(path.c_str(), 0, -1, &error);
    if (source != nullptr) {
        m_zip.reset(zip_open_from_source(source, ZIP_RDONLY, &error));
        if (!m_zip)
            zip_source_free(source); // not taken over when the open fails
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive() = default;

void ZipArchive::close()
{
    m_zip.reset();
}

std::int64_t ZipArchive::entryCount() const
{
    return m_zip ? zip_get_num_entries(m_zip.get(), 0) : 0;
}

std::string ZipArchive::entryName(std::int64_t index) const
{
    const char* name = m_zip ? zip_get_name(m_zip.get(), static_cast<zip_uint64_t>(index), ZIP_FL_ENC_GUESS) : nullptr;
    return name ? std::string(name) : std::string();
}

bool ZipArchive::readAsText(std::int64_t index, std::string& text, std::uint64_t maxBytes) const
{
    text.clear();
    zip_stat_t stat;
    if (!m_zip || zip_stat_index(m_zip.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        (stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > maxBytes)
        return false;
    ZipFile file(zip_fopen_index(m_zip.get(), static_cast<zip_uint64_t>(index), 0));
    if (!file)
        return false;
    text.resize(static_cast<std::size_t>(stat.size));
    std::uint64_t done = 0;
    while (done < stat.size) {
        const zip_int64_t got = zip_fread(file.get(), text.data() + done, stat.size - done);
        if (got <= 0)
            break;
        done += static_cast<std::uint64_t>(got);
    }
    // A short read, or one that fails its checksum at the end, is no entry.
    char extra;
    if (done != stat.size || zip_fread(file.get(), &extra, 1) != 0) {
        text.clear();
        return false;
    }
    return true;
}

int ZipArchive::readContent(std::int64_t index, std::ostream& out, std::size_t chunkSize) const
{
    if (!m_zip)
        return ZIP_ER_INVAL;
    ZipFile file(zip_fopen_index(m_zip.get(), static_cast<zip_uint64_t>(index), 0));
    if (!file)
        return zip_error_code_zip(zip_get_error(m_zip.get()));
    std::vector<char> chunk(chunkSize == 0 ? 1 : chunkSize);
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), chunk.data(), chunk.size());
        if (got < 0)
            return zip_error_code_zip(zip_file_get_error(file.get()));
        if (got == 0)
            return 0;
        if (!out.write(chunk.data(), got))
            return ZIP_ER_WRITE;
    }
}
