#pragma once
// A stand-in for the simulator's SimConnect server, for tests and end-to-end runs:
// listens on a named pipe and on TCP loopback, records every request packet and answers
// as the simulator would. Tests can also make it send malformed streams.
#include "simstandin/aitrack.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
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
    // Texts here and below are bytes as the simulator sends them: in the system's code page.
    std::string userTitle = "Stand-in User Aircraft";
    std::string userAtcId = "TWK1";
    std::string userAtcModel = "ATCCOM.AC_MODEL_B738.0.text";
    // Further values of the user aircraft by datum name ("Plane Latitude", "SIM ON GROUND" ...);
    // any datum not given reads 0.
    std::map<std::string, double> userValues;
    // What a new AI aircraft reports for "Static CG to Ground" (feet) and "Static Pitch" (radians).
    double aiStaticCg = 9.5;
    double aiStaticPitch = 0.0087;
    bool recordRequests = true;   // off: only counted (long runs)
    int frameIntervalMs = 0;      // steady frames; 0: only the frames a test steps
    float frameRate = 30.0f;
    bool simRunning = true;       // told to a client that subscribes to "Sim"
    std::vector<std::string> refusedTitles; // AI creations answered with exception 22
    // AI aircraft of these titles are helicopters to the simulator: it announces them, and finds
    // them when asked by object type, as helicopters; every other one is an aircraft.
    std::vector<std::string> helicopterTitles;
    // The aircraft within range are those within the radius of the user aircraft, as the
    // simulator answers; off: every aircraft, wherever it is.
    bool rangeApplied = false;
    // The simulator's AI aircraft packages. When any is given, the stand-in knows the titles
    // of their aircraft (packagetitles.h) and answers the creation of any other title with
    // exception 22, as the simulator does; else it creates any title.
    std::vector<std::filesystem::path> packageFolders;
    std::wstring recordFile;      // every AI creation, position and removal (see aitrack.h); empty: none
    // When a number: the ground under every AI aircraft (feet). Its height above the ground
    // follows the altitude the program gives it, and it is on the ground when that height
    // is at most its static CG height (and a foot).
    double groundElevation = std::numeric_limits<double>::quiet_NaN();
};

// The key under which an object keeps a datum: its name in lower case.
std::string gf_standInKey(const std::string& datum);

// Sets the simulator's registered IPv6 or IPv4 port under HKEY_CURRENT_USER; an empty
// text removes the value.
void gf_registerSimulatorPort(bool ipv6, const std::wstring& port);

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
    std::size_t knownTitleCount() const { return m_knownTitles.size(); } // of the package folders

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
    // Requests of this number received so far, whether recorded or not.
    std::size_t countOf(std::uint32_t number) const;
    // A value of an AI aircraft (by datum name) as the program last set it; 0 when none.
    double objectValue(std::uint32_t objectId, const std::string& datum) const;
    // Sets what an AI aircraft reports for a datum ("SIM ON GROUND", "Plane Alt Above Ground",
    // "Ground Altitude" ...) from the next answer on; false for an unknown object.
    bool setObjectValue(std::uint32_t objectId, const std::string& datum, double value);

    // The user aircraft; the next answers report the new values.
    void setUserValue(const std::string& datum, double value);
    void setUserText(const std::string& datum, const std::string& text); // TITLE, ATC MODEL, ATC ID
    // An AI aircraft of another program, announced to every client subscribed to
    // "ObjectAdded"; its object id.
    std::uint32_t addObject(const std::string& title, const std::string& atcId,
                            const std::map<std::string, double>& values);
    // Takes any AI aircraft out, announced with "ObjectRemoved"; false when unknown.
    bool removeObject(std::uint32_t objectId);
    // The object goes without a word (the simulator lost it); false when it does not exist.
    bool forgetObject(std::uint32_t objectId);
    std::uint32_t objectByAtcId(const std::string& atcId) const; // 0 when none
    // What happened to the AI aircraft that clients created.
    AiFigures aiFigures() const;
    // AI aircraft still in the simulator that sessions before this one created.
    std::size_t aiObjectsBefore(int session) const;
    void flushAiTrack();
    // Sends every answer that is due each second now, besides the steady ones.
    void stepPeriodic();

    // Sent to the newest open client connection.
    void send(const Bytes& packet);
    void sendSystemEvent(const std::string& name, std::uint32_t data); // when subscribed
    void stepFrames(int count);
    void sendQuit() { send(quitMessage()); }
    void sendException(std::uint32_t code, std::uint32_t sendId, std::uint32_t index);

    // Misbehaviour.
    // A simulator too busy to read: nothing more is taken from the connections while held.
    void holdReading(bool hold) { m_holdReading = hold; }
    // A simulator that takes its time to load a model: the AI aircraft asked for from now on
    // are made (and announced) this long after the request, also when the client has gone.
    void delayCreations(std::chrono::milliseconds delay);
    // A simulator that removes the AI aircraft asked for but, while this is off, never says so.
    void confirmRemovals(bool confirm);
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
    // An aircraft as its datums read: texts and numbers by lower-case datum name.
    struct Object {
        std::map<std::string, std::string> texts;
        std::map<std::string, double> values;
        double value(const std::string& datum) const;
        std::string text(const std::string& datum) const;
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
    void respond(int session, const Request& r, Outbox& out);
    void answerData(int session, std::uint32_t messageId, std::uint32_t requestId, std::uint32_t defineId,
                       std::uint32_t objectId, std::uint32_t entry, std::uint32_t count, Outbox& out);
    Bytes datumBytes(const Datum& datum, const Object& object) const;
    const Object* findObject(std::uint32_t objectId) const;
    void setData(int session, const Request& request);
    // Makes the AI aircraft a creation request asks for and announces it to the session.
    void createAi(int session, const Request& request, Outbox& out);
    void trackAi(int session, const Request& request);
    // The ground values of an AI aircraft from its altitude (with groundElevation).
    void groundObject(Object& object) const;
    // Work for several sessions, built under m_lock and written after it is released.
    using Work = std::vector<std::pair<Session*, Outbox>>;
    // A system event to every subscribed client: a frame, or an aircraft added or removed.
    // objectType: that of the aircraft added or removed; 0 for any other event.
    void announce(const std::string& name, std::uint32_t data, std::uint32_t objectType, Work& work);
    void deliver(Work& work);
    void periodicAnswers(Work& work);
    void dueCreations(Work& work);
    std::uint32_t subscribedEvent(int session, const std::string& name) const; // 0 when none
    // When the session subscribed to it; objectType as for announce.
    void systemEvent(int session, const std::string& name, std::uint32_t data, std::uint32_t objectType, Outbox& out);
    // The object type of an AI aircraft: a helicopter by its title, else an aircraft.
    std::uint32_t objectType(const Object& object) const;

    const Options m_options;
    const std::set<std::string> m_knownTitles; // in the system's code page
    std::uint16_t m_port4 = 0;
    std::uint16_t m_port6 = 0;
    void* m_stopEvent = nullptr;
    bool m_winsock = false;
    bool m_stopped = false;
    std::atomic<bool> m_holdReading{false};
    std::vector<std::uintptr_t> m_listeners;
    std::vector<std::thread> m_threads;

    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<Request> m_requests;
    std::map<std::uint32_t, std::size_t> m_counts; // by request number
    std::vector<std::unique_ptr<Session>> m_sessions;
    std::map<int, ClientState> m_clients;
    Object m_user;
    std::map<std::uint32_t, Object> m_objects; // AI aircraft
    struct DelayedCreation {
        std::chrono::steady_clock::time_point due;
        int session = 0;
        Request request;
    };
    std::vector<DelayedCreation> m_delayedCreations;
    std::chrono::milliseconds m_creationDelay{0};
    bool m_confirmRemovals = true;
    std::uint32_t m_nextObjectId = 0;
    std::unique_ptr<AiTrack> m_track = std::make_unique<AiTrack>(m_options.recordFile);
};

} // namespace standin
