#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP server of the tests' own on 127.0.0.1, at a free port. A thread takes
// one connection per scripted reply, in order: it records the request's bytes (up to
// the empty line, and the body its Content-Length announces), then sends the reply's
// bytes and closes, or, for a silent reply, holds the connection unanswered until the
// client leaves or the server stops. Nothing outside the loopback address is touched.
class LoopbackServer {
public:
    struct Reply {
        std::string bytes;
        bool silent = false;
    };

    explicit LoopbackServer(std::vector<Reply> replies);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return port_; }
    // "127.0.0.1:PORT".
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    // The requests received so far, one per connection.
    std::vector<std::string> Requests() const;
    // Waits until every scripted connection has come and gone.
    void Finish() {
        if (thread_.joinable()) thread_.join();
    }

private:
    void Serve(std::vector<Reply> replies);

    intptr_t listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
