#include "app/download.h"

#include "app/buildconfig.h"
#include "foundation/filereplace.h"
#include "foundation/log.h"
#include "foundation/textfiles.h"
#include "foundation/winstring.h"

#include <atomic>
#include <fstream>
#include <mutex>

namespace fs = std::filesystem;

namespace {

// A short count stops the transfer: the file would lack that block.
size_t lf_writeBlock(char* data, size_t size, size_t count, void* stream)
{
    auto& out = *static_cast<std::ostream*>(stream);
    out.write(data, static_cast<std::streamsize>(size * count));
    return out ? size * count : 0;
}

void lf_logFailure(const std::string& url, const fs::path& path, const std::string& reason)
{
    gf_logf("\"{}\" => \"{}\" download error: {}", url, gf_pathText(path), reason);
}

// Why the body did not arrive whole with a success status; empty when it did.
std::string lf_transfer(CURL* handle, const std::string& url, std::ostream& out)
{
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, lf_writeBlock);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &out);
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
    if (code != CURLE_OK) {
        std::string reason = curl_easy_strerror(code);
        if (detail[0] != '\0' && reason != detail)
            reason += fmt::format(" ({})", detail);
        return reason;
    }
    // Not an error to libcurl (a redirect, say), but not the file either.
    if (status != 0 && (status < 200 || status > 299))
        return fmt::format("HTTP status {}", status);
    return {};
}

// The body into the file at `partial`; false, logged, unless all of it arrived with a
// success status and was written.
bool lf_fetchInto(CURL* handle, const std::string& url, const fs::path& path, const fs::path& partial)
{
    bool opened = false;
    std::string failure;
    const bool written = gf_writeWholeFile(
        partial,
        [&](std::ostream& out) {
            opened = true;
            failure = lf_transfer(handle, url, out);
            return failure.empty();
        },
        std::ios::binary);
    if (!opened)
        gf_logf("could not open file: {}", gf_pathText(path));
    else if (!failure.empty())
        lf_logFailure(url, path, failure);
    else if (!written)
        lf_logFailure(url, path, "the file could not be written");
    return written;
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
