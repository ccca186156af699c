// What the stand-in answers to each request packet, and the server packets it builds.
#include "simstandin/simstandin.h"

#include "foundation/geometry.h"
#include "foundation/winstring.h"
#include "simconnect/protocol.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace standin {

namespace {
constexpr std::uint32_t systemEventGroup = 0xFFFFFFFF; // system events belong to no client group
constexpr std::uint32_t filledMessageId = 0x7E;        // an id the program does not handle

void lf_put32(Bytes& bytes, std::uint32_t value)
{
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + 4);
}

void lf_putText(Bytes& bytes, const std::string& text, std::size_t field)
{
    const std::size_t length = std::min(text.size(), field - 1);
    bytes.insert(bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    bytes.insert(bytes.end(), field - length, 0);
}

// The body of an event message: group, event id and data.
Bytes lf_eventBody(std::uint32_t eventId, std::uint32_t data)
{
    Bytes body;
    lf_put32(body, systemEventGroup);
    lf_put32(body, eventId);
    lf_put32(body, data);
    return body;
}

bool lf_sameName(const std::string& a, const std::string& b)
{
    return gf_standInKey(a) == gf_standInKey(b);
}
} // namespace

std::string gf_standInKey(const std::string& datum)
{
    std::string key = datum;
    for (char& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::uint32_t Request::u32(std::size_t offset) const
{
    std::uint32_t value = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

double Request::f64(std::size_t offset) const
{
    double value = 0;
    if (offset + 8 <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, 8);
    return value;
}

std::string Request::text(std::size_t offset, std::size_t field) const
{
    if (offset >= bytes.size())
        return {};
    const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(start, strnlen(start, std::min(field, bytes.size() - offset)));
}

Bytes message(std::uint32_t id, const Bytes& body)
{
    Bytes bytes;
    lf_put32(bytes, static_cast<std::uint32_t>(12 + body.size()));
    lf_put32(bytes, scProtocolVersion);
    lf_put32(bytes, id);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes exceptionMessage(std::uint32_t code, std::uint32_t sendId, std::uint32_t index)
{
    Bytes body;
    lf_put32(body, code);
    lf_put32(body, sendId);
    lf_put32(body, index);
    return message(scMsgException, body);
}

Bytes eventMessage(std::uint32_t eventId, std::uint32_t data)
{
    return message(scMsgEvent, lf_eventBody(eventId, data));
}

Bytes quitMessage()
{
    return message(scMsgQuit);
}

Bytes filledMessage(std::uint32_t size)
{
    Bytes body(size < 12 ? 0 : size - 12);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>(i * 7 + 1);
    Bytes bytes = message(filledMessageId, body);
    bytes.resize(size); // shorter than a header when asked for
    std::memcpy(bytes.data(), &size, std::min<std::size_t>(4, size));
    return bytes;
}

Bytes declaredSizeBytes(std::uint32_t declaredSize, std::size_t length)
{
    Bytes bytes = message(filledMessageId, Bytes(length > 12 ? length - 12 : 0, 0x55));
    std::memcpy(bytes.data(), &declaredSize, 4);
    bytes.resize(length);
    return bytes;
}

const SimStandIn::Object* SimStandIn::findObject(std::uint32_t objectId) const
{
    if (objectId == 0 || objectId == m_options.userObjectId)
        return &m_user;
    const auto found = m_objects.find(objectId);
    return found == m_objects.end() ? nullptr : &found->second;
}

double SimStandIn::Object::value(const std::string& datum) const
{
    const auto found = values.find(gf_standInKey(datum));
    return found == values.end() ? 0.0 : found->second;
}

std::string SimStandIn::Object::text(const std::string& datum) const
{
    const auto found = texts.find(gf_standInKey(datum));
    return found == texts.end() ? std::string() : found->second;
}

std::uint32_t SimStandIn::subscribedEvent(int session, const std::string& name) const
{
    const auto client = m_clients.find(session);
    if (client == m_clients.end())
        return 0;
    for (const auto& [eventId, subscribed] : client->second.subscriptions)
        if (lf_sameName(subscribed, name))
            return eventId;
    return 0;
}

std::uint32_t SimStandIn::objectType(const Object& object) const
{
    return std::ranges::find(m_options.helicopterTitles, object.text("TITLE")) != m_options.helicopterTitles.end()
               ? scObjectTypeHelicopter
               : scObjectTypeAircraft;
}

void SimStandIn::systemEvent(int session, const std::string& name, std::uint32_t data, std::uint32_t objectType,
                             Outbox& out)
{
    const std::uint32_t eventId = subscribedEvent(session, name);
    if (eventId == 0)
        return;
    Bytes body = lf_eventBody(eventId, data);
    std::uint32_t id = scMsgEvent;
    if (lf_sameName(name, "Frame")) {
        id = scMsgEventFrame;
        const float rate = m_options.frameRate;
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&rate);
        body.insert(body.end(), raw, raw + 4);
    } else if (objectType != 0) {
        id = scMsgEventObjectAddRemove;
        lf_put32(body, objectType);
    }
    out.push_back(message(id, body));
}

Bytes SimStandIn::datumBytes(const Datum& datum, const Object& object) const
{
    Bytes bytes;
    auto putRaw = [&bytes](const auto& value) {
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&value);
        bytes.insert(bytes.end(), raw, raw + sizeof value);
    };
    const std::string text = object.text(datum.name);
    switch (datum.type) {
    case scDatumString32:
        lf_putText(bytes, text, 32);
        break;
    case scDatumStringVariable:
        lf_putText(bytes, text, (text.size() + 4) / 4 * 4); // NUL included, whole words
        break;
    case scDatumFloat64:
        putRaw(object.value(datum.name));
        break;
    case scDatumInt64:
        putRaw(static_cast<std::int64_t>(object.value(datum.name)));
        break;
    default: // anything else: eight zero bytes
        bytes.insert(bytes.end(), 8, 0);
    }
    return bytes;
}

// The program moves its AI aircraft by writing their datums.
void SimStandIn::setData(int session, const Request& r)
{
    const auto object = m_objects.find(r.u32(20));
    const auto& definitions = m_clients[session].definitions;
    const auto definition = definitions.find(r.u32(16));
    if (object == m_objects.end() || definition == definitions.end())
        return;
    std::size_t offset = 36;
    for (const Datum& datum : definition->second) {
        if (datum.type == scDatumFloat64)
            object->second.values[gf_standInKey(datum.name)] = r.f64(offset);
        else if (datum.type == scDatumInt64)
            object->second.values[gf_standInKey(datum.name)] = static_cast<double>(r.u32(offset));
        offset += datum.type == scDatumString32 ? 32 : 8;
    }
    groundObject(object->second);
}

void SimStandIn::groundObject(Object& object) const
{
    const double elevation = m_options.groundElevation;
    if (std::isnan(elevation))
        return;
    const double height = object.value("Plane Altitude") - elevation;
    object.values["ground altitude"] = elevation;
    object.values["plane alt above ground"] = height;
    object.values["sim on ground"] = height <= object.value("Static CG to Ground") + 1.0 ? 1.0 : 0.0;
}

void SimStandIn::answerData(int session, std::uint32_t messageId, std::uint32_t requestId, std::uint32_t defineId,
                            std::uint32_t objectId, std::uint32_t entry, std::uint32_t count, Outbox& out)
{
    const Object* object = findObject(objectId);
    if (object == nullptr)
        return;
    const auto& definitions = m_clients[session].definitions;
    const auto definition = definitions.find(defineId);
    const std::vector<Datum> none;
    const std::vector<Datum>& datums = definition == definitions.end() ? none : definition->second;
    Bytes body;
    for (const std::uint32_t value : {requestId, objectId == 0 ? m_options.userObjectId : objectId, defineId, 0u,
                                      entry, count, static_cast<std::uint32_t>(datums.size())})
        lf_put32(body, value);
    for (const Datum& datum : datums) {
        const Bytes value = datumBytes(datum, *object);
        body.insert(body.end(), value.begin(), value.end());
    }
    out.push_back(message(messageId, body));
}

void SimStandIn::handleRequest(int session, Request request, Outbox& out)
{
    request.version = request.u32(4);
    request.number = request.u32(8) - scRequestIdBase;
    request.sendId = request.u32(12);
    ++m_counts[request.number];
    respond(session, request, out);
    trackAi(session, request);
    if (m_options.recordRequests)
        m_requests.push_back(std::move(request));
}

// Positions and removals of AI aircraft, as the request left them (creations: createAi).
void SimStandIn::trackAi(int session, const Request& r)
{
    if (r.version != scProtocolVersion)
        return;
    switch (r.number) {
    case scReqAiRemoveObject:
        if (!m_objects.contains(r.u32(16)))
            m_track->removed(r.u32(16));
        break;
    case scReqSetDataOnObject: {
        const auto object = m_objects.find(r.u32(20));
        const auto& definitions = m_clients[session].definitions;
        const auto definition = definitions.find(r.u32(16));
        if (object == m_objects.end() || definition == definitions.end() ||
            std::none_of(definition->second.begin(), definition->second.end(),
                         [](const Datum& d) { return lf_sameName(d.name, "Plane Latitude"); }))
            break;
        const Object& moved = object->second;
        // The ground it reports under the aircraft, where it has one (groundObject, setObjectValue).
        const auto ground = moved.values.find(gf_standInKey("Ground Altitude"));
        m_track->moved(object->first, moved.value("Plane Latitude"), moved.value("Plane Longitude"),
                       moved.value("Plane Altitude"), moved.value("Plane Heading degrees true"),
                       ground == moved.values.end() ? std::numeric_limits<double>::quiet_NaN() : ground->second);
        break;
    }
    default:
        break;
    }
}

void SimStandIn::createAi(int session, const Request& r, Outbox& out)
{
    const std::uint32_t id = m_nextObjectId++;
    const bool onGround = r.u32(332) != 0;
    const double altitude = r.f64(300);
    Object& object = m_objects[id];
    object.texts = {{"title", r.text(16, scNameField)}, {"atc id", r.text(272, scTailNumberField)}};
    object.values = {{"plane latitude", r.f64(284)},
                     {"plane longitude", r.f64(292)},
                     {"plane altitude", altitude},
                     {"plane pitch degrees", r.f64(308)},
                     {"plane bank degrees", r.f64(316)},
                     {"plane heading degrees true", r.f64(324)},
                     {"sim on ground", onGround ? 1.0 : 0.0},
                     {"plane alt above ground", onGround ? 0.0 : altitude},
                     {"static cg to ground", m_options.aiStaticCg},
                     {"static pitch", m_options.aiStaticPitch}};
    groundObject(object);
    m_track->created(session, id, gf_ansiToUtf8(object.text("ATC ID")), gf_ansiToUtf8(object.text("TITLE")),
                     r.f64(284), r.f64(292), altitude, onGround);
    systemEvent(session, "ObjectAdded", id, objectType(object), out);
}

void SimStandIn::delayCreations(std::chrono::milliseconds delay)
{
    std::lock_guard lock(m_lock);
    m_creationDelay = delay;
}

void SimStandIn::confirmRemovals(bool confirm)
{
    std::lock_guard lock(m_lock);
    m_confirmRemovals = confirm;
}

void SimStandIn::dueCreations(Work& work)
{
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(m_delayedCreations, [&](const DelayedCreation& delayed) {
        if (delayed.due > now)
            return false;
        Outbox out;
        createAi(delayed.session, delayed.request, out);
        work.emplace_back(m_sessions[static_cast<std::size_t>(delayed.session) - 1].get(), std::move(out));
        return true;
    });
}

AiFigures SimStandIn::aiFigures() const
{
    std::lock_guard lock(m_lock);
    return m_track->figures();
}

std::size_t SimStandIn::aiObjectsBefore(int session) const
{
    std::lock_guard lock(m_lock);
    return m_track->presentBefore(session);
}

void SimStandIn::flushAiTrack()
{
    std::lock_guard lock(m_lock);
    m_track->flush();
}

void SimStandIn::respond(int session, const Request& r, Outbox& out)
{
    ClientState& client = m_clients[session];
    if (r.version != scProtocolVersion) {
        out.push_back(exceptionMessage(scExceptionVersionMismatch, r.sendId, 0));
        return;
    }
    switch (r.number) {
    case scReqOpen: {
        Bytes body;
        lf_putText(body, m_options.simulatorName, scNameField);
        for (const std::uint32_t part : m_options.simulatorVersion)
            lf_put32(body, part);
        out.push_back(message(scMsgOpen, body));
        break;
    }
    case scReqSubscribeSystemEvent:
        client.subscriptions[r.u32(16)] = r.text(20, scNameField);
        if (lf_sameName(r.text(20, scNameField), "Sim"))
            systemEvent(session, "Sim", m_options.simRunning ? 1 : 0, 0, out);
        break;
    case scReqUnsubscribeSystemEvent:
        client.subscriptions.erase(r.u32(16));
        break;
    case scReqAddToDataDefinition:
        client.definitions[r.u32(16)].push_back(Datum{r.text(20, scNameField), r.u32(532)});
        break;
    case scReqClearDataDefinition:
        client.definitions.erase(r.u32(16));
        break;
    case scReqDataOnObject: {
        const std::uint32_t requestId = r.u32(16), defineId = r.u32(20), objectId = r.u32(24), period = r.u32(28);
        if (findObject(objectId) == nullptr) {
            out.push_back(exceptionMessage(scExceptionUnrecognizedId, r.sendId, 3));
            break;
        }
        client.periodic.erase(requestId);
        if (period == scPeriodOnce || period == scPeriodSecond)
            answerData(session, scMsgObjectData, requestId, defineId, objectId, 1, 1, out);
        if (period == scPeriodSecond)
            client.periodic[requestId] = Periodic{defineId, objectId};
        break;
    }
    case scReqDataOnObjectType: {
        // Every aircraft of the type asked for, the user's (an aircraft) first; those beyond the
        // radius only while it is not applied.
        const std::uint32_t type = r.u32(28);
        const auto withinRadius = [&](const Object& object) {
            const double nm = gf_distanceNm(m_user.value("Plane Latitude"), m_user.value("Plane Longitude"),
                                            object.value("Plane Latitude"), object.value("Plane Longitude"));
            return !m_options.rangeApplied || nm * metresPerNm <= r.u32(24);
        };
        std::vector<std::uint32_t> ids;
        if (type == scObjectTypeAircraft)
            ids.push_back(m_options.userObjectId);
        for (const auto& [id, object] : m_objects)
            if (objectType(object) == type && withinRadius(object))
                ids.push_back(id);
        for (std::size_t i = 0; i < ids.size(); ++i)
            answerData(session, scMsgObjectDataByType, r.u32(16), r.u32(20), ids[i], static_cast<std::uint32_t>(i + 1),
                       static_cast<std::uint32_t>(ids.size()), out);
        break;
    }
    case scReqAiCreateNonAtcAircraft: {
        // Titles and tail numbers come in the system's code page, and are compared as they come.
        const std::string title = r.text(16, scNameField);
        if (std::ranges::find(m_options.refusedTitles, title) != m_options.refusedTitles.end() ||
            (!m_options.packageFolders.empty() && !m_knownTitles.contains(title))) {
            m_track->refused(session, gf_ansiToUtf8(r.text(272, scTailNumberField)), gf_ansiToUtf8(title));
            out.push_back(exceptionMessage(scExceptionCreateObjectFailed, r.sendId, 1));
            break;
        }
        if (m_creationDelay.count() > 0)
            m_delayedCreations.push_back({std::chrono::steady_clock::now() + m_creationDelay, session, r});
        else
            createAi(session, r, out);
        break;
    }
    case scReqAiRemoveObject: {
        const std::uint32_t id = r.u32(16);
        const auto found = m_objects.find(id);
        if (found == m_objects.end()) {
            out.push_back(exceptionMessage(scExceptionUnrecognizedId, r.sendId, 1));
            break;
        }
        const std::uint32_t type = objectType(found->second);
        m_objects.erase(found);
        if (m_confirmRemovals)
            systemEvent(session, "ObjectRemoved", id, type, out);
        break;
    }
    case scReqSetDataOnObject:
        setData(session, r);
        break;
    case scReqAiSetFlightPlan: {
        std::error_code error;
        if (!std::filesystem::exists(gf_u8path(gf_ansiToUtf8(r.text(20, scPathField))), error))
            out.push_back(exceptionMessage(scExceptionLoadFlightPlanFailed, r.sendId, 2));
        break;
    }
    default: // recorded only
        break;
    }
}

} // namespace standin
