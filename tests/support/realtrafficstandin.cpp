#include "support/realtrafficstandin.h"

#include "foundation/winstring.h"
#include "support/testpaths.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Windows command-line quoting, which Wine undoes for a Unix program.
std::wstring lf_quote(const std::string& argument)
{
    std::wstring text = gf_utf8ToUtf16(argument);
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::string lf_standInScript()
{
    return gf_testSourceDir() + "/tools/realtraffic/realtraffic_standin.py";
}

} // namespace

std::string gf_unixPath(const fs::path& path)
{
    using Convert = char*(__cdecl*)(const wchar_t*);
    auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!convert)
        throw std::runtime_error("not running under Wine");
    char* unix = convert(fs::absolute(path).wstring().c_str());
    if (!unix)
        throw std::runtime_error("no Unix path for " + path.string());
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

void gf_startStandIn(const std::vector<std::string>& arguments)
{
    std::wstring command = L"Z:\\usr\\bin\\python3 " + lf_quote(lf_standInScript());
    for (const std::string& argument : arguments)
        command += L" " + lf_quote(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine starts the native program; its handles cannot be waited on.
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        throw std::runtime_error("cannot start the RealTraffic stand-in");
    if (process.hThread)
        CloseHandle(process.hThread);
    if (process.hProcess)
        CloseHandle(process.hProcess);
}

bool gf_runStandIn(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    static std::atomic<int> runs{0};
    const fs::path done = folder / ("standin-done-" + std::to_string(runs++));
    std::vector<std::string> all{"--done", gf_unixPath(done)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    gf_startStandIn(all);
    return gf_waitFor([&] { return fs::exists(done); }, std::chrono::seconds(30));
}

TakenPort::TakenPort(bool stream, std::uint16_t port, bool shared)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_socket = socket(AF_INET, stream ? SOCK_STREAM : SOCK_DGRAM, stream ? IPPROTO_TCP : IPPROTO_UDP);
    BOOL reuse = TRUE;
    if (shared)
        setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    m_taken = bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              (!stream || shared || listen(m_socket, 1) == 0);
}

TakenPort::~TakenPort()
{
    release();
    WSACleanup();
}

void TakenPort::release()
{
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}
