#include "app/download.h"

#include "app/buildconfig.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/winstring.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

size_t lf_writeBlock(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, 1, size * count, static_cast<std::FILE*>(file));
}

void lf_logFailure(const std::string& url, const fs::path& path, const std::string& reason)
{
    gf_logf("\"{}\" => \"{}\" download error: {}", url, gf_pathText(path), reason);
}

// The body into the file at `partial`; false, logged, unless all of it arrived with a
// success status and was written.
bool lf_fetchInto(CURL* handle, const std::string& url, const fs::path& path, const fs::path& partial)
{
    std::unique_ptr<std::FILE, FileCloser> file(_wfopen(partial.c_str(), L"wb"));
    if (!file) {
        gf_logf("could not open file: {}", gf_pathText(path));
        return false;
    }
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, lf_writeBlock);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, file.get());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, detail);
    // An error page is not the file asked for.
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, downloadConnectSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, downloadLowSpeedBytes);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, downloadLowSpeedSeconds);
    const CURLcode code = curl_easy_perform(handle);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, nullptr);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const bool closed = std::fclose(file.release()) == 0;

    if (code != CURLE_OK) {
        std::string reason = curl_easy_strerror(code);
        if (detail[0] != '\0' && reason != detail)
            reason += fmt::format(" ({})", detail);
        lf_logFailure(url, path, reason);
        return false;
    }
    if (status != 0 && (status < 200 || status > 299)) {
        // Not an error to libcurl (a redirect, say), but not the file either.
        lf_logFailure(url, path, fmt::format("HTTP status {}", status));
        return false;
    }
    if (!closed) {
        lf_logFailure(url, path, "the file could not be written");
        return false;
    }
    return true;
}

} // namespace

CurlHandle gf_newCurlHandle()
{
    // libcurl's global set-up is not thread-safe; do it once before any handle exists.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlHandle(curl_easy_init());
}

bool gf_download(CURL* handle, const std::string& url, const fs::path& path)
{
    return handle != nullptr &&
           gf_writeReplacing(path, [&](const fs::path& partial) { return lf_fetchInto(handle, url, path, partial); });
}

Version gf_downloadFile(CURL* handle, const std::string& url)
{
    static std::atomic<unsigned> serial{0};
    const fs::path path = fmt::format("version_{}.json", ++serial);
    if (!gf_download(handle, url, path)) {
        gf_logMarked(fmt::format("downloading \"{}\" failed", url));
        return Version();
    }
    std::string first;
    {
        std::ifstream in(path);
        if (!in.is_open())
            return Version();
        std::getline(in, first);
    }
    fs::remove(path);
    return Version(first);
}
