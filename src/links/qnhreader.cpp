#include "links/qnhreader.h"

#include "app/mainwindow.h"
#include "foundation/log.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

QnhReader qnhUdpReader;
std::atomic<std::int32_t> currentQnh{1013};

namespace {

constexpr double hpaPerHundredthInch = 0.33865307;

// The value as a whole number; nothing when it cannot be one (logged).
std::optional<double> lf_qnhNumber(const nlohmann::json& value, std::string_view datagram)
{
    if (value.is_number_integer())
        return value.get<double>();
    if (value.is_number_float())
        return std::round(value.get<double>());
    if (value.is_string()) {
        try {
            return std::stoi(value.get<std::string>());
        } catch (const std::invalid_argument& error) {
            gf_log(fmt::format("QNH string invalid arg: {}", error.what()));
        } catch (const std::out_of_range& error) {
            gf_log(fmt::format("QNH string out of range: {}", error.what()));
        }
        return std::nullopt;
    }
    // A value of another type says nothing about the pressure: the last good one stays.
    gf_log(fmt::format("no QNH {}", datagram));
    return std::nullopt;
}

void lf_publishQnh(QnhReader& reader, std::int32_t qnh)
{
    reader.lastQnh = qnh;
    currentQnh = qnh;
    mainWindow.qnh = qnh;
    int noData = 2;
    mainWindow.weatherReaderState.compare_exchange_strong(noData, 1);
    gf_repaintWindow();
}

void lf_processQnh(QnhReader& reader)
{
    const std::string_view datagram = reader.datagram;
    try {
        auto json = nlohmann::json::parse(datagram);
        if (!json.is_object() || !json.contains("QNH")) {
            gf_log(fmt::format("no QNH {}", datagram));
            return;
        }
        auto number = lf_qnhNumber(json["QNH"], datagram);
        if (!number)
            return;
        double q = *number;
        if (q > 1080)
            q = std::round(q * hpaPerHundredthInch);
        if (!(q >= 930 && q <= 1080)) {
            gf_log(fmt::format("? Strange QNH {} found in {}", q, datagram));
            return;
        }
        auto qnh = static_cast<std::int32_t>(q);
        if (qnh != reader.lastQnh || qnh == 1013)
            lf_publishQnh(reader, qnh);
    } catch (const std::exception& error) {
        gf_log(fmt::format("Exception {}, in {}", error.what(), datagram));
    }
}

} // namespace

void QnhReader::handleDatagram() { lf_processQnh(*this); }

void QnhReader::onStopped() { gf_log("QNH Reader has stopped"); }

void qnhReader(std::uint16_t port) { gf_runReader(qnhUdpReader, port); }

void gf_startQnhReader(std::uint16_t port)
{
    gf_startReaderThread(qnhUdpReader, qnhReader, port);
}
