// The stand-in's listeners, client connections and the sending side.
#include "simstandin/simstandin.h"

#include "simstandin/packagetitles.h"

#include "simconnect/protocol.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace standin {

struct SimStandIn::Session {
    int number = 0;
    bool pipe = false;
    HANDLE handle = INVALID_HANDLE_VALUE; // the pipe instance, or the socket
    HANDLE writeEvent = nullptr;
    std::mutex writeLock;
    bool open = true; // under writeLock
    std::thread reader;
    std::atomic<bool> readerDone{false};
    std::atomic<int> closeRequest{0}; // for the reader of a socket: 1 graceful, 2 abrupt

    SOCKET socket() const { return reinterpret_cast<SOCKET>(handle); }

    // Writes all bytes at once; false when the connection is gone.
    bool write(const Bytes& bytes)
    {
        std::lock_guard lock(writeLock);
        if (!open)
            return false;
        if (!pipe) {
            std::size_t sent = 0;
            while (sent < bytes.size()) {
                const int n = ::send(socket(), reinterpret_cast<const char*>(bytes.data() + sent),
                                     static_cast<int>(bytes.size() - sent), 0);
                if (n <= 0)
                    return false;
                sent += static_cast<std::size_t>(n);
            }
            return true;
        }
        OVERLAPPED overlapped{};
        overlapped.hEvent = writeEvent;
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &overlapped) &&
            GetLastError() != ERROR_IO_PENDING)
            return false;
        return GetOverlappedResult(handle, &overlapped, &written, TRUE) && written == bytes.size();
    }

    void close(bool abrupt)
    {
        std::lock_guard lock(writeLock);
        if (!open)
            return;
        open = false;
        if (pipe) {
            // Closed like a server that ends: the client's pipe breaks.
            CancelIoEx(handle, nullptr);
            CloseHandle(handle);
        } else {
            if (abrupt) {
                const linger reset{1, 0};
                setsockopt(socket(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
            } else {
                shutdown(socket(), SD_SEND);
            }
            closesocket(socket());
        }
    }

    bool isOpen()
    {
        std::lock_guard lock(writeLock);
        return open;
    }

    // A socket is closed by its own reader, never under a recv that is waiting: Wine
    // may then end the connection gracefully where a reset was asked for.
    void requestClose(bool abrupt)
    {
        if (pipe || readerDone) {
            close(abrupt);
            return;
        }
        closeRequest = abrupt ? 2 : 1;
        for (int wait = 0; wait < 500 && isOpen(); ++wait)
            Sleep(10);
    }
};

namespace {
constexpr DWORD pipeBufferSize = 65536;
constexpr auto splitPause = std::chrono::milliseconds(20);

HANDLE lf_createPipeInstance(const std::wstring& name)
{
    // Message type, so that each write arrives as one message; read as a byte stream.
    return CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_MESSAGE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                            pipeBufferSize, pipeBufferSize, 0, nullptr);
}

// A listening socket on the loopback address of the family; INVALID_SOCKET when unavailable.
SOCKET lf_listen(int family, std::uint16_t wanted, std::uint16_t& port)
{
    SOCKET s = socket(family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    sockaddr_storage address{};
    int length = 0;
    if (family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        v4->sin_port = htons(wanted);
        length = sizeof(sockaddr_in);
    } else {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        v6->sin6_port = htons(wanted);
        length = sizeof(sockaddr_in6);
    }
    if (bind(s, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(s, SOMAXCONN) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                   : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return s;
}
} // namespace

// AI aircraft get object ids well above the user's, as in the simulator, where the few
// lowest ids are never an AI aircraft's.
SimStandIn::SimStandIn(Options options)
    : m_options(std::move(options)), m_knownTitles(gf_readPackageTitles(m_options.packageFolders)),
      m_nextObjectId(m_options.userObjectId + 100)
{
    m_user.texts = {{"title", m_options.userTitle}, {"atc id", m_options.userAtcId},
                    {"atc model", m_options.userAtcModel}};
    for (const auto& [datum, value] : m_options.userValues)
        m_user.values[gf_standInKey(datum)] = value;
    m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_options.pipeName.empty()) {
        // The first instance exists before the constructor returns, so a client may connect at once.
        const HANDLE first = lf_createPipeInstance(m_options.pipeName);
        if (first != INVALID_HANDLE_VALUE)
            m_threads.emplace_back([this, first] { listenPipe(first); });
    }
    if (m_options.tcp) {
        WSADATA data{};
        m_winsock = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        for (const int family : {AF_INET, AF_INET6}) {
            std::uint16_t& port = family == AF_INET ? m_port4 : m_port6;
            const SOCKET listener = lf_listen(family, family == AF_INET ? m_options.port4 : m_options.port6, port);
            if (listener == INVALID_SOCKET)
                continue;
            m_listeners.push_back(listener);
            m_threads.emplace_back([this, listener] { listenTcp(listener); });
        }
    }
    m_threads.emplace_back([this] { tick(); });
}

SimStandIn::~SimStandIn()
{
    stop();
}

void SimStandIn::stop()
{
    {
        std::lock_guard lock(m_lock);
        if (m_stopped)
            return;
        m_stopped = true;
    }
    SetEvent(m_stopEvent);
    for (const std::uintptr_t listener : m_listeners)
        closesocket(static_cast<SOCKET>(listener));
    for (std::thread& thread : m_threads)
        thread.join();
    // No listener adds a session any more.
    for (const auto& session : m_sessions) {
        session->close(true);
        if (session->reader.joinable())
            session->reader.join();
        if (session->writeEvent != nullptr)
            CloseHandle(session->writeEvent);
    }
    if (m_winsock)
        WSACleanup();
    CloseHandle(m_stopEvent);
}

void SimStandIn::listenPipe(void* firstInstance)
{
    HANDLE instance = firstInstance;
    const HANDLE connectEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    while (instance != INVALID_HANDLE_VALUE) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = connectEvent;
        ResetEvent(connectEvent);
        bool connected = ConnectNamedPipe(instance, &overlapped) != FALSE || GetLastError() == ERROR_PIPE_CONNECTED;
        if (!connected && GetLastError() == ERROR_IO_PENDING) {
            const HANDLE waits[] = {connectEvent, m_stopEvent};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIoEx(instance, &overlapped);
                DWORD ignored = 0;
                GetOverlappedResult(instance, &overlapped, &ignored, TRUE);
                CloseHandle(instance);
                break;
            }
            DWORD ignored = 0;
            connected = GetOverlappedResult(instance, &overlapped, &ignored, FALSE) != FALSE;
        }
        if (connected) {
            addSession(true, instance);
        } else {
            CloseHandle(instance);
            if (WaitForSingleObject(m_stopEvent, 10) == WAIT_OBJECT_0)
                break;
        }
        instance = lf_createPipeInstance(m_options.pipeName);
    }
    CloseHandle(connectEvent);
}

void SimStandIn::listenTcp(std::uintptr_t listener)
{
    for (;;) {
        const SOCKET client = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return; // closed by stop()
        const BOOL on = TRUE;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        addSession(false, reinterpret_cast<HANDLE>(client));
    }
}

SimStandIn::Session* SimStandIn::addSession(bool pipe, void* handle)
{
    auto session = std::make_unique<Session>();
    session->pipe = pipe;
    session->handle = handle;
    if (pipe)
        session->writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Session* added = session.get();
    {
        std::lock_guard lock(m_lock);
        if (m_stopped) {
            session->close(true);
            return nullptr;
        }
        session->number = static_cast<int>(m_sessions.size()) + 1;
        m_clients[session->number] = ClientState{};
        m_sessions.push_back(std::move(session));
        added->reader = std::thread([this, added] { readSession(added); });
    }
    m_changed.notify_all();
    return added;
}

void SimStandIn::readSession(Session* session)
{
    Bytes pending;
    std::vector<std::uint8_t> chunk(65536);
    const HANDLE readEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool halfClosed = false;
    for (;;) {
        while (m_holdReading && WaitForSingleObject(m_stopEvent, 5) == WAIT_TIMEOUT) {
        }
        DWORD got = 0;
        bool ok = false;
        if (session->pipe) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = readEvent;
            ok = ReadFile(session->handle, chunk.data(), static_cast<DWORD>(chunk.size()), nullptr, &overlapped) ||
                 GetLastError() == ERROR_IO_PENDING || GetLastError() == ERROR_MORE_DATA;
            ok = ok && (GetOverlappedResult(session->handle, &overlapped, &got, TRUE) ||
                        GetLastError() == ERROR_MORE_DATA);
        } else {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(session->socket(), &readable);
            timeval wait{0, 20000};
            const int ready = select(0, &readable, nullptr, nullptr, &wait);
            if (session->closeRequest != 0) {
                session->close(session->closeRequest == 2);
                break;
            }
            if (ready == 0)
                continue;
            const int n = ready < 0 ? -1
                                    : recv(session->socket(), reinterpret_cast<char*>(chunk.data()),
                                           static_cast<int>(chunk.size()), 0);
            ok = n >= 0;
            got = ok ? static_cast<DWORD>(n) : 0;
        }
        halfClosed = ok && got == 0; // the client sends no more but may still read
        if (!ok || got == 0)
            break;
        pending.insert(pending.end(), chunk.begin(), chunk.begin() + got);
        // Cut whole request packets off the front.
        std::size_t used = 0;
        Outbox out;
        bool malformed = false;
        {
            std::lock_guard lock(m_lock);
            while (pending.size() - used >= 4) {
                Request request;
                std::memcpy(&request.size, pending.data() + used, 4);
                if (request.size < 16 || request.size > pipeBufferSize) {
                    malformed = true;
                    break;
                }
                if (pending.size() - used < request.size)
                    break;
                request.session = session->number;
                request.bytes.assign(pending.begin() + used, pending.begin() + used + request.size);
                used += request.size;
                handleRequest(session->number, std::move(request), out);
            }
        }
        m_changed.notify_all();
        pending.erase(pending.begin(), pending.begin() + used);
        for (const Bytes& packet : out)
            session->write(packet);
        if (malformed)
            break;
    }
    CloseHandle(readEvent);
    if (!halfClosed)
        session->close(false);
    {
        std::lock_guard lock(m_lock);
        m_track->sessionClosed(session->number);
    }
    session->readerDone = true;
    m_changed.notify_all();
}

SimStandIn::Session* SimStandIn::newestSession() const
{
    std::lock_guard lock(m_lock);
    for (auto it = m_sessions.rbegin(); it != m_sessions.rend(); ++it) {
        std::lock_guard writeLock((*it)->writeLock);
        if ((*it)->open)
            return it->get();
    }
    return nullptr;
}

void SimStandIn::send(const Bytes& packet)
{
    if (Session* session = newestSession())
        session->write(packet);
}

void SimStandIn::sendInOneWrite(const std::vector<Bytes>& packets)
{
    Bytes joined;
    for (const Bytes& packet : packets)
        joined.insert(joined.end(), packet.begin(), packet.end());
    send(joined);
}

void SimStandIn::sendSplit(const Bytes& bytes, int pieces)
{
    Session* session = newestSession();
    if (session == nullptr || pieces < 1)
        return;
    const std::size_t step = (bytes.size() + pieces - 1) / pieces;
    for (std::size_t at = 0; at < bytes.size(); at += step) {
        if (at > 0)
            std::this_thread::sleep_for(splitPause);
        session->write(Bytes(bytes.begin() + at, bytes.begin() + std::min(bytes.size(), at + step)));
    }
}

void SimStandIn::closeNewest(bool abrupt)
{
    if (Session* session = newestSession())
        session->requestClose(abrupt);
}

void SimStandIn::closeAbruptly()
{
    closeNewest(true);
}

void SimStandIn::closeGracefully()
{
    closeNewest(false);
}

void SimStandIn::sendException(std::uint32_t code, std::uint32_t sendId, std::uint32_t index)
{
    send(exceptionMessage(code, sendId, index));
}

void SimStandIn::sendSystemEvent(const std::string& name, std::uint32_t data)
{
    Session* session = newestSession();
    if (session == nullptr)
        return;
    Outbox out;
    {
        std::lock_guard lock(m_lock);
        systemEvent(session->number, name, data, 0, out);
    }
    for (const Bytes& packet : out)
        session->write(packet);
}

void SimStandIn::stepFrames(int count)
{
    for (int i = 0; i < count; ++i)
        sendSystemEvent("Frame", 0);
}

void SimStandIn::deliver(Work& work)
{
    for (auto& [session, out] : work)
        for (const Bytes& packet : out)
            session->write(packet);
}

void SimStandIn::periodicAnswers(Work& work)
{
    for (const auto& session : m_sessions) {
        Outbox out;
        for (const auto& [requestId, periodic] : m_clients[session->number].periodic)
            answerData(session->number, scMsgObjectData, requestId, periodic.defineId, periodic.objectId, 1, 1, out);
        work.emplace_back(session.get(), std::move(out));
    }
}

void SimStandIn::tick()
{
    using clock = std::chrono::steady_clock;
    auto nextFrame = clock::now();
    auto nextSecond = clock::now() + std::chrono::seconds(1);
    while (WaitForSingleObject(m_stopEvent, 5) == WAIT_TIMEOUT) {
        const auto now = clock::now();
        Work work;
        {
            std::lock_guard lock(m_lock);
            if (m_options.frameIntervalMs > 0 && now >= nextFrame) {
                nextFrame += std::chrono::milliseconds(m_options.frameIntervalMs);
                if (nextFrame < now)
                    nextFrame = now; // fell behind: no burst of frames
                announce("Frame", 0, 0, work);
            }
            if (now >= nextSecond) {
                nextSecond += std::chrono::seconds(1);
                periodicAnswers(work);
            }
            dueCreations(work);
        }
        deliver(work);
    }
}

void SimStandIn::stepPeriodic()
{
    Work work;
    {
        std::lock_guard lock(m_lock);
        periodicAnswers(work);
    }
    deliver(work);
}

void SimStandIn::announce(const std::string& name, std::uint32_t data, std::uint32_t objectType, Work& work)
{
    for (const auto& session : m_sessions) {
        Outbox out;
        systemEvent(session->number, name, data, objectType, out);
        work.emplace_back(session.get(), std::move(out));
    }
}

void SimStandIn::setUserValue(const std::string& datum, double value)
{
    std::lock_guard lock(m_lock);
    m_user.values[gf_standInKey(datum)] = value;
}

void SimStandIn::setUserText(const std::string& datum, const std::string& text)
{
    std::lock_guard lock(m_lock);
    m_user.texts[gf_standInKey(datum)] = text;
}

std::uint32_t SimStandIn::addObject(const std::string& title, const std::string& atcId,
                                    const std::map<std::string, double>& values)
{
    Work work;
    std::uint32_t id = 0;
    {
        std::lock_guard lock(m_lock);
        id = m_nextObjectId++;
        Object& object = m_objects[id];
        object.texts = {{"title", title}, {"atc id", atcId}};
        for (const auto& [datum, value] : values)
            object.values[gf_standInKey(datum)] = value;
        announce("ObjectAdded", id, objectType(object), work);
    }
    deliver(work);
    return id;
}

bool SimStandIn::removeObject(std::uint32_t objectId)
{
    Work work;
    {
        std::lock_guard lock(m_lock);
        const auto found = m_objects.find(objectId);
        if (found == m_objects.end())
            return false;
        const std::uint32_t type = objectType(found->second);
        m_objects.erase(found);
        m_track->removed(objectId);
        announce("ObjectRemoved", objectId, type, work);
    }
    deliver(work);
    return true;
}

bool SimStandIn::forgetObject(std::uint32_t objectId)
{
    std::lock_guard lock(m_lock);
    return m_objects.erase(objectId) != 0;
}

std::uint32_t SimStandIn::objectByAtcId(const std::string& atcId) const
{
    std::lock_guard lock(m_lock);
    for (const auto& [id, object] : m_objects)
        if (object.text("ATC ID") == atcId)
            return id;
    return 0;
}

double SimStandIn::objectValue(std::uint32_t objectId, const std::string& datum) const
{
    std::lock_guard lock(m_lock);
    const Object* object = findObject(objectId);
    return object == nullptr ? 0.0 : object->value(datum);
}

bool SimStandIn::setObjectValue(std::uint32_t objectId, const std::string& datum, double value)
{
    std::lock_guard lock(m_lock);
    const auto found = m_objects.find(objectId);
    if (found == m_objects.end())
        return false;
    found->second.values[gf_standInKey(datum)] = value;
    return true;
}

std::size_t SimStandIn::countOf(std::uint32_t number) const
{
    std::lock_guard lock(m_lock);
    const auto found = m_counts.find(number);
    return found == m_counts.end() ? 0 : found->second;
}

std::vector<Request> SimStandIn::requests() const
{
    std::lock_guard lock(m_lock);
    return m_requests;
}

std::vector<Request> SimStandIn::requests(std::uint32_t number) const
{
    std::lock_guard lock(m_lock);
    std::vector<Request> found;
    std::copy_if(m_requests.begin(), m_requests.end(), std::back_inserter(found),
                 [number](const Request& r) { return r.number == number; });
    return found;
}

std::size_t SimStandIn::requestCount() const
{
    std::lock_guard lock(m_lock);
    return m_requests.size();
}

void SimStandIn::clearRequests()
{
    std::lock_guard lock(m_lock);
    m_requests.clear();
}

bool SimStandIn::waitUntil(const std::function<bool(const std::vector<Request>&)>& done,
                           std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return done(m_requests); });
}

bool SimStandIn::waitForRequests(std::uint32_t number, std::size_t count, std::chrono::milliseconds timeout) const
{
    return waitUntil(
        [&](const std::vector<Request>& all) {
            return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [&](const Request& r) {
                       return r.number == number;
                   })) >= count;
        },
        timeout);
}

int SimStandIn::sessionCount() const
{
    std::lock_guard lock(m_lock);
    return static_cast<int>(m_sessions.size());
}

bool SimStandIn::waitForSession(int number, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return static_cast<int>(m_sessions.size()) >= number; });
}

std::vector<std::uint32_t> SimStandIn::aiObjects() const
{
    std::lock_guard lock(m_lock);
    std::vector<std::uint32_t> ids;
    for (const auto& entry : m_objects)
        ids.push_back(entry.first);
    return ids;
}

} // namespace standin
