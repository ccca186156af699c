#pragma once
// Single HTTP downloads from the download server through libcurl.
#include "foundation/version.h"

#include <curl/curl.h>

#include <filesystem>
#include <memory>
#include <string>

struct CurlCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
// One easy handle per update operation, released however the operation ends.
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;
CurlHandle gf_newCurlHandle();

// Fetches one URL into one file, byte for byte. The body goes to a temporary
// file that replaces the file only when the whole body arrived with a success status;
// on failure the file is left as it was. Stalled or unreachable servers are given up
// after the configured time-outs.
bool gf_download(CURL* handle, const std::string& url, const std::filesystem::path& path);

// Fetches a version file and reads the version on its first line; 0.0.0 when it could
// not be fetched or read. Each call uses a file of its own, so calls from different
// threads do not meet.
Version gf_downloadFile(CURL* handle, const std::string& url);
