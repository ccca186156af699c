#pragma once
// A stand-in for the simulator's SimConnect server, for tests and end-to-end runs:
// listens on a named pipe and on TCP loopback, records every request packet and answers
// as the simulator would. Tests can also make it send malformed streams.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace standin {

using Bytes = std::vector<std::uint8_t>;

// One request packet as received.
struct Request {
    int session = 0;          // 1 for the first client connection, 2 for the next ...
    std::uint32_t size = 0;
    std::uint32_t version = 0;
    std::uint32_t number = 0; // the packet id less 0xF0000000
    std::uint32_t sendId = 0;
    Bytes bytes;              // the whole packet

    std::uint32_t u32(std::size_t offset) const;
    double f64(std::size_t offset) const;
    std::string text(std::size_t offset, std::size_t field) const; // up to the first NUL
};

struct Options {
    std::wstring pipeName;        // full name (\\.\pipe\...); empty: no pipe
    bool tcp = true;              // 127.0.0.1 and, when available, [::1]
    std::uint16_t port4 = 0;      // 0: any free port
    std::uint16_t port6 = 0;
    std::string simulatorName = "Lockheed Martin Prepar3D v5";
    std::array<std::uint32_t, 4> simulatorVersion{5, 3, 17, 28160};
    std::uint32_t userObjectId = 1;
    std::string userTitle = "Stand-in User Aircraft";
    std::string userAtcId = "TWK1";
    int frameIntervalMs = 0;      // steady frames; 0: only the frames a test steps
    float frameRate = 30.0f;
    bool simRunning = true;       // told to a client that subscribes to "Sim"
    std::vector<std::string> refusedTitles; // AI creations answered with exception 22
};

// Builders of server packets: size, version and id, then the body.
Bytes message(std::uint32_t id, const Bytes& body = {});
Bytes exceptionMessage(std::uint32_t code, std::uint32_t sendId, std::uint32_t index);
Bytes eventMessage(std::uint32_t eventId, std::uint32_t data);
Bytes quitMessage();
// A packet of exactly `size` bytes (at least 12): id 0x7E, then a counting byte pattern.
Bytes filledMessage(std::uint32_t size);
// The first bytes of a packet that declares `declaredSize`, whatever its real length.
Bytes declaredSizeBytes(std::uint32_t declaredSize, std::size_t length);

class SimStandIn {
public:
    explicit SimStandIn(Options options);
    ~SimStandIn();
    SimStandIn(const SimStandIn&) = delete;
    SimStandIn& operator=(const SimStandIn&) = delete;

    void stop();
    std::uint16_t port4() const { return m_port4; } // 0 when not listening
    std::uint16_t port6() const { return m_port6; }
    const Options& options() const { return m_options; }

    // What the clients sent.
    std::vector<Request> requests() const;
    std::vector<Request> requests(std::uint32_t number) const;
    std::size_t requestCount() const;
    void clearRequests();
    bool waitUntil(const std::function<bool(const std::vector<Request>&)>& done, std::chrono::milliseconds timeout) const;
    bool waitForRequests(std::uint32_t number, std::size_t count, std::chrono::milliseconds timeout) const;
    int sessionCount() const;
    bool waitForSession(int number, std::chrono::milliseconds timeout) const;
    std::vector<std::uint32_t> aiObjects() const;

    // Sent to the newest open client connection.
    void send(const Bytes& packet);
    void sendSystemEvent(const std::string& name, std::uint32_t data); // when subscribed
    void stepFrames(int count);
    void sendQuit() { send(quitMessage()); }
    void sendException(std::uint32_t code, std::uint32_t sendId, std::uint32_t index);

    // Misbehaviour.
    void sendInOneWrite(const std::vector<Bytes>& packets);
    void sendSplit(const Bytes& bytes, int pieces); // separate writes, a short pause between
    void sendRaw(const Bytes& bytes) { send(bytes); }
    void closeAbruptly();   // a reset on TCP, a broken pipe on a pipe
    void closeGracefully(); // TCP: the client reads 0 bytes

    struct Session;

private:
    struct Datum {
        std::string name;
        std::uint32_t type = 0;
    };
    struct Object {
        std::string title;
        std::string atcId;
        std::array<double, 3> position{}; // latitude, longitude, altitude
    };
    struct Periodic {
        std::uint32_t defineId = 0;
        std::uint32_t objectId = 0;
    };
    // What one client set up.
    struct ClientState {
        std::map<std::uint32_t, std::string> subscriptions; // event id -> system event name
        std::map<std::uint32_t, std::vector<Datum>> definitions;
        std::map<std::uint32_t, Periodic> periodic;          // request id -> what to send
    };
    using Outbox = std::vector<Bytes>;

    void listenPipe(void* firstInstance);
    void listenTcp(std::uintptr_t listener);
    void tick();
    Session* addSession(bool pipe, void* handle);
    void readSession(Session* session);
    Session* newestSession() const;
    void closeNewest(bool abrupt);

    // Protocol, all under m_lock.
    void handleRequest(int session, Request request, Outbox& out);
    void answerData(int session, std::uint32_t messageId, std::uint32_t requestId, std::uint32_t defineId,
                       std::uint32_t objectId, std::uint32_t entry, std::uint32_t count, Outbox& out);
    Bytes datumBytes(const Datum& datum, const Object& object) const;
    const Object* findObject(std::uint32_t objectId) const;
    std::uint32_t subscribedEvent(int session, const std::string& name) const; // 0 when none
    void systemEvent(int session, const std::string& name, std::uint32_t data, std::uint32_t objectType,
                        bool withType, Outbox& out);

    const Options m_options;
    std::uint16_t m_port4 = 0;
    std::uint16_t m_port6 = 0;
    void* m_stopEvent = nullptr;
    bool m_winsock = false;
    bool m_stopped = false;
    std::vector<std::uintptr_t> m_listeners;
    std::vector<std::thread> m_threads;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<Request> m_requests;
    std::vector<std::unique_ptr<Session>> m_sessions;
    std::map<int, ClientState> m_clients;
    Object m_user;
    std::map<std::uint32_t, Object> m_objects; // AI aircraft
    std::uint32_t m_nextObjectId = 0;
};

} // namespace standin
