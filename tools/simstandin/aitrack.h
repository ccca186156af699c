#pragma once
// What the stand-in saw happen to the AI aircraft that clients created: each creation,
// position and removal, as lines of a text file (for the run's map and fidelity figures)
// and as running figures (for summaries and the soak).
//
// File lines, tab-separated, the first field the Unix time in seconds; texts in UTF-8:
//   <t> create <session> <object id> <tail number> <lat> <lon> <alt ft> <on ground 0/1> <title>
//   <t> refused <session> <tail number> <title>       (a creation the simulator refused)
//   <t> pos    <object id> <lat> <lon> <alt ft> <heading degrees> [<ground altitude ft>]
//                   (the ground the simulator reports under the aircraft, where it knows one)
//   <t> remove <object id>
//   <t> closed <session> <AI objects of that session still in the simulator>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <string>

namespace standin {

struct AiFigures {
    std::size_t created = 0;   // objects made for clients
    std::size_t refused = 0;   // creations refused
    std::size_t removed = 0;   // of those, removed by a client
    std::size_t positions = 0; // positions written to them
    std::size_t peak = 0;      // most of them in the simulator at one time
    std::size_t present = 0;   // in the simulator now
    std::size_t leftByClosedSessions = 0; // present when the session that made them had closed
    double firstPosition = 0.0; // Unix seconds; 0 before any
    double lastPosition = 0.0;
};

// Not thread-safe: the stand-in calls it under its own lock.
class AiTrack {
public:
    // An empty path: figures only.
    explicit AiTrack(const std::filesystem::path& file);
    ~AiTrack();
    AiTrack(const AiTrack&) = delete;
    AiTrack& operator=(const AiTrack&) = delete;

    void created(int session, std::uint32_t objectId, const std::string& tailNumber, const std::string& title,
                 double latitude, double longitude, double altitude, bool onGround);
    void refused(int session, const std::string& tailNumber, const std::string& title);
    // groundAltitude: what the simulator reports as the ground under it; NaN when none.
    void moved(std::uint32_t objectId, double latitude, double longitude, double altitude, double headingRadians,
               double groundAltitude = std::numeric_limits<double>::quiet_NaN());
    void removed(std::uint32_t objectId);
    void sessionClosed(int session);
    std::size_t presentBefore(int session) const;
    AiFigures figures() const { return m_figures; }
    // Writes what is buffered, so that a reader sees every line so far.
    void flush();

private:
    std::FILE* m_file = nullptr;
    AiFigures m_figures;
    std::map<std::uint32_t, int> m_sessionOf; // objects in the simulator and who made them
};

// The time now in Unix seconds, to the microsecond.
double gf_unixSeconds();

} // namespace standin
