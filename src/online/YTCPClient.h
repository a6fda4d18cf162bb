#pragma once

#include "online/YSocketStream.h"

#include <cstdint>

// Connects to a TCP server and hands the connection out as a stream. Every failure
// raises YException with the message of its step (below).
//
// Used by YHTTPStream on the thread that runs an online service (the user-interface
// thread, which it blocks for at most the time-out per wait). Takes no locks.
class YTCPClient {
public:
    // Connecting, and every later wait for the server, give up after this long.
    static constexpr int kDefaultTimeoutMs = 20000;

    void SetTimeout(int milliseconds) { timeoutMs_ = milliseconds; }
    int GetTimeout() const { return timeoutMs_; }

    // Drops any previous connection, resolves host and connects. Raises
    // "WinSock could not be initializated.", "Could not resolve network name "{0}".",
    // "Could not retrieve TCP protocol info.", "Could not create TCP socket." or
    // "Could not connect to a TCP server (host {0}, port {1}, code {2})." (the code is
    // the system's error, also for a connection that timed out).
    void Connect(const YString& host, uint16_t port);
    void Disconnect() noexcept { stream_.Close(); }

    YSocketStream& GetStream() { return stream_; }

private:
    YSocketStream stream_;
    int timeoutMs_ = kDefaultTimeoutMs;
};
