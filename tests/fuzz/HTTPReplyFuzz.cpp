// Any bytes as a server's reply to an HTTP request: the header and body read, or
// YException. Served from a loopback server of the tests, so the client's own socket
// reading runs as it does against a real server.
#include "FuzzTarget.h"

#include "support/LoopbackServer.h"

#include "foundation/YException.h"
#include "online/YHTTPStream.h"

#include <csignal>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The test server sends without MSG_NOSIGNAL: a client that leaves early must not
    // end the run with SIGPIPE.
    static const bool quiet = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    (void)quiet;
    LoopbackServer server({LoopbackServer::Reply{std::string(reinterpret_cast<const char*>(data), size)}});
    try {
        YHTTPStream http;
        http.SetTimeout(5000);
        http.Setup("127.0.0.1", "/fuzz", {}, server.Port());
        if (http.Perform(0)) {
            YString line;
            for (int lines = 0; lines < 100000 && http.ReadLine(line); ++lines) {
            }
            char rest[4096];
            while (http.Read(rest, sizeof rest) != 0) {
            }
        }
    } catch (const YException&) {
    }
    server.Finish();
    return 0;
}
