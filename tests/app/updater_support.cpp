#include "updater_support.h"

#include "app/buildconfig.h"
#include "foundation/parametersfile.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"

#include <windows.h>
#include <zip.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

fs::path lf_root()
{
    const char* root = std::getenv("TARNWICK_DOWNLOAD_ROOT");
    return root ? gf_u8path(root) : fs::path();
}

fs::path lf_filePath(const std::string& folder, const std::string& path)
{
    return lf_root() / gf_u8path(folder) / gf_u8path(path);
}

} // namespace

bool StandInFolder::available(std::string& reason)
{
    if (!std::getenv("TARNWICK_DOWNLOAD_PORT") || lf_root().empty()) {
        reason = "the download stand-in is not running: run the tests with scripts/test.sh";
        return false;
    }
    return true;
}

StandInFolder::StandInFolder()
{
    static std::atomic<int> counter{0};
    m_name = "t" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(GetTickCount64());
    const char* port = std::getenv("TARNWICK_DOWNLOAD_PORT");
    if (port && !lf_root().empty())
        fs::create_directories(lf_root() / m_name);
    testDownloadBaseUrl = "http://127.0.0.1:" + std::string(port ? port : "9") + "/" + m_name + "/";
}

StandInFolder::~StandInFolder()
{
    std::error_code ignored;
    if (!lf_root().empty())
        fs::remove_all(lf_root() / m_name, ignored);
}

void StandInFolder::put(const std::string& path, const std::string& bytes)
{
    const fs::path file = lf_filePath(m_name, path);
    fs::create_directories(file.parent_path());
    gf_testWriteFile(file, bytes);
}

void StandInFolder::fault(const std::string& path, const std::string& mode)
{
    if (mode.empty()) {
        fs::remove(lf_filePath(m_name, path + ".fault"));
        return;
    }
    put(path + ".fault", mode);
}

std::vector<std::string> StandInFolder::requests() const
{
    std::vector<std::string> lines;
    std::istringstream in(gf_testReadFile(lf_root() / m_name / "requests.log"));
    gf_readLines(in, lines);
    return lines;
}

bool StandInFolder::requested(const std::string& path) const { return std::ranges::count(requests(), path) > 0; }

std::string StandInFolder::url(const std::string& path) const
{
    return downloadBaseUrl + path;
}

std::string gf_testBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7) % 256);
    return bytes;
}

std::string gf_testZip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    TempFolder folder;
    const fs::path path = folder / L"made.zip";
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* file = zip_source_win32w_create(path.c_str(), 0, -1, &error);
    zip_t* archive = file ? zip_open_from_source(file, ZIP_CREATE | ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive)
        throw std::runtime_error("cannot create a test zip");
    for (const auto& [name, content] : entries) {
        zip_source_t* data = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (!data || zip_file_add(archive, name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(data);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name + " to a test zip");
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write a test zip");
    }
    return gf_testReadFile(path);
}

UpdaterTest::UpdaterTest()
{
    fs::create_directory("docs");
    dataFolder = fs::current_path() / L"data";
    fs::create_directory(dataFolder);
    parametersFile = dataFolder / L"parameters.xml";
}

void UpdaterTest::SetUp()
{
    std::string reason;
    ASSERT_TRUE(StandInFolder::available(reason)) << reason;
}
