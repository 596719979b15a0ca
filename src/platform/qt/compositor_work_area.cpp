#include "platform/qt/compositor_work_area.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

constexpr char magic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t getWorkspaces = 1;
constexpr std::uint32_t longestAnswer = 1 << 20;

bool sendAll(int socket, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool receiveAll(int socket, char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t received = ::recv(socket, data, size, 0);
        if (received <= 0)
            return false;
        data += received;
        size -= static_cast<std::size_t>(received);
    }
    return true;
}

// One request and its answer over sway's socket, each way within a fifth of a second.
std::optional<QByteArray> askSway(const char* socketPath, std::uint32_t type)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(socketPath) >= sizeof address.sun_path)
        return std::nullopt;
    std::strcpy(address.sun_path, socketPath);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return std::nullopt;
    const timeval patience{0, 200'000};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);

    std::optional<QByteArray> answer;
    char header[sizeof magic + 8];
    std::memcpy(header, magic, sizeof magic);
    const std::uint32_t empty = 0;
    std::memcpy(header + sizeof magic, &empty, 4);
    std::memcpy(header + sizeof magic + 4, &type, 4);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
        && sendAll(socket, header, sizeof header) && receiveAll(socket, header, sizeof header)
        && std::memcmp(header, magic, sizeof magic) == 0) {
        std::uint32_t length = 0;
        std::memcpy(&length, header + sizeof magic, 4);
        if (length <= longestAnswer) {
            QByteArray body(static_cast<qsizetype>(length), Qt::Uninitialized);
            if (receiveAll(socket, body.data(), length))
                answer = std::move(body);
        }
    }
    ::close(socket);
    return answer;
}

} // namespace

std::optional<QRect> focusedWorkspaceRect(const QByteArray& workspacesJson)
{
    const QJsonArray workspaces = QJsonDocument::fromJson(workspacesJson).array();
    for (const QJsonValue& workspace : workspaces) {
        const QJsonObject object = workspace.toObject();
        if (!object.value(QLatin1String("focused")).toBool())
            continue;
        const QJsonObject rect = object.value(QLatin1String("rect")).toObject();
        const QRect area(rect.value(QLatin1String("x")).toInt(), rect.value(QLatin1String("y")).toInt(),
                         rect.value(QLatin1String("width")).toInt(), rect.value(QLatin1String("height")).toInt());
        return area.isValid() ? std::optional(area) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<QRect> compositorWorkArea()
{
    const char* swaySocket = std::getenv("SWAYSOCK");
    if (!swaySocket || !*swaySocket)
        return std::nullopt;
    const auto answer = askSway(swaySocket, getWorkspaces);
    return answer ? focusedWorkspaceRect(*answer) : std::nullopt;
}

} // namespace platform
