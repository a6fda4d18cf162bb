#include "support/LoopbackServer.h"

#include "platform/Platform.h"

#include <stdexcept>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
using NativeSocket = SOCKET;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using NativeSocket = int;
inline int closesocket(int socket) { return close(socket); }
#endif

namespace {

NativeSocket Native(intptr_t socket) { return static_cast<NativeSocket>(socket); }

// Waits up to 20 ms for the socket to become readable (or a connection to arrive).
bool Readable(NativeSocket socket) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{0, 20000};
    return select(static_cast<int>(socket) + 1, &set, nullptr, nullptr, &wait) > 0;
}

// Where the request ends: behind the empty line and the body it announces; npos while
// incomplete.
std::size_t RequestEnd(const std::string& request) {
    const std::size_t header = request.find("\n\n");
    if (header == std::string::npos) return std::string::npos;
    std::size_t length = 0;
    const std::size_t field = request.find("Content-Length: ");
    if (field != std::string::npos && field < header) length = std::stoul(request.substr(field + 16));
    const std::size_t end = header + 2 + length;
    return request.size() >= end ? end : std::string::npos;
}

}  // namespace

LoopbackServer::LoopbackServer(std::vector<Reply> replies) {
    if (!Platform::StartSockets()) throw std::runtime_error("no sockets");
    NativeSocket listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(listener);
        throw std::runtime_error("no loopback listener");
    }
    listener_ = static_cast<intptr_t>(listener);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, replies = std::move(replies)]() mutable { Serve(std::move(replies)); });
}

LoopbackServer::~LoopbackServer() {
    stop_ = true;
    Finish();
    closesocket(Native(listener_));
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackServer::Serve(std::vector<Reply> replies) {
    for (const Reply& reply : replies) {
        while (!stop_ && !Readable(Native(listener_))) {
        }
        if (stop_) return;
        NativeSocket connection = accept(Native(listener_), nullptr, nullptr);
        std::string request;
        char buffer[4096];
        bool open = true;
        while (open && !stop_ && RequestEnd(request) == std::string::npos) {
            if (!Readable(connection)) continue;
            const int got = static_cast<int>(recv(connection, buffer, sizeof buffer, 0));
            open = got > 0;
            if (open) request.append(buffer, static_cast<std::size_t>(got));
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        if (reply.silent) {
            while (open && !stop_)
                if (Readable(connection)) open = recv(connection, buffer, sizeof buffer, 0) > 0;
        } else {
            for (std::size_t sent = 0; sent < reply.bytes.size();) {
                const int piece = static_cast<int>(
                    send(connection, reply.bytes.data() + sent, static_cast<int>(reply.bytes.size() - sent), 0));
                if (piece <= 0) break;
                sent += static_cast<std::size_t>(piece);
            }
        }
        closesocket(connection);
    }
}
