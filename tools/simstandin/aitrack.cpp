#include "simstandin/aitrack.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace standin {

double gf_unixSeconds()
{
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    constexpr std::uint64_t unixEpoch = 116444736000000000ULL; // 1970-01-01 in 100 ns since 1601
    return static_cast<double>(ticks - unixEpoch) / 1e7;
}

AiTrack::AiTrack(const std::filesystem::path& file)
{
    if (!file.empty())
        m_file = _wfopen(file.c_str(), L"wb");
}

AiTrack::~AiTrack()
{
    if (m_file != nullptr)
        std::fclose(m_file);
}

void AiTrack::created(int session, std::uint32_t objectId, const std::string& tailNumber, const std::string& title,
                      double latitude, double longitude, double altitude, bool onGround)
{
    ++m_figures.created;
    m_sessionOf[objectId] = session;
    m_figures.present = m_sessionOf.size();
    m_figures.peak = std::max(m_figures.peak, m_figures.present);
    if (m_file != nullptr)
        std::fprintf(m_file, "%.6f\tcreate\t%d\t%u\t%s\t%.7f\t%.7f\t%.1f\t%d\t%s\n", gf_unixSeconds(), session,
                     objectId, tailNumber.c_str(), latitude, longitude, altitude, onGround ? 1 : 0, title.c_str());
}

void AiTrack::refused(int session, const std::string& tailNumber, const std::string& title)
{
    ++m_figures.refused;
    if (m_file != nullptr)
        std::fprintf(m_file, "%.6f\trefused\t%d\t%s\t%s\n", gf_unixSeconds(), session, tailNumber.c_str(),
                     title.c_str());
}

void AiTrack::moved(std::uint32_t objectId, double latitude, double longitude, double altitude, double headingRadians,
                    double groundAltitude)
{
    if (!m_sessionOf.contains(objectId))
        return; // an aircraft of another program
    const double now = gf_unixSeconds();
    ++m_figures.positions;
    if (m_figures.firstPosition == 0.0)
        m_figures.firstPosition = now;
    m_figures.lastPosition = now;
    if (m_file == nullptr)
        return;
    std::fprintf(m_file, "%.6f\tpos\t%u\t%.7f\t%.7f\t%.1f\t%.2f", now, objectId, latitude, longitude, altitude,
                 headingRadians * 180.0 / std::numbers::pi);
    if (!std::isnan(groundAltitude))
        std::fprintf(m_file, "\t%.1f", groundAltitude);
    std::fputc('\n', m_file);
}

void AiTrack::removed(std::uint32_t objectId)
{
    if (m_sessionOf.erase(objectId) == 0)
        return;
    ++m_figures.removed;
    m_figures.present = m_sessionOf.size();
    if (m_file != nullptr)
        std::fprintf(m_file, "%.6f\tremove\t%u\n", gf_unixSeconds(), objectId);
}

void AiTrack::sessionClosed(int session)
{
    const auto left = static_cast<std::size_t>(
        std::count_if(m_sessionOf.begin(), m_sessionOf.end(), [session](const auto& entry) { return entry.second == session; }));
    m_figures.leftByClosedSessions += left;
    if (m_file != nullptr)
        std::fprintf(m_file, "%.6f\tclosed\t%d\t%zu\n", gf_unixSeconds(), session, left);
}

std::size_t AiTrack::presentBefore(int session) const
{
    return static_cast<std::size_t>(std::count_if(m_sessionOf.begin(), m_sessionOf.end(),
                                                  [session](const auto& entry) { return entry.second < session; }));
}

void AiTrack::flush()
{
    if (m_file != nullptr)
        std::fflush(m_file);
}

} // namespace standin
