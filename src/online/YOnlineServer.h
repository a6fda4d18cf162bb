#pragma once

#include "foundation/YString.h"
#include "online/YTCPClient.h"

#include <cstdint>

// Where the online services go: the maker's web server, and the download page, which
// lies on the same server. Our default is www.yorvane.example on port 80; the
// environment variable VORTALIS_SERVER (HOST or HOST:PORT) points everything at
// another server, and so does the command-line tool's --server.
struct YOnlineServer {
    YString host = "www.yorvane.example";
    uint16_t port = 80;
    int timeoutMs = YTCPClient::kDefaultTimeoutMs;

    // "HOST" or "HOST:PORT". Raises "Invalid server address "{0}".".
    static YOnlineServer Parse(const YString& text);
    // VORTALIS_SERVER when it is set, else the default.
    static YOnlineServer FromEnvironment();

    // The product's download page: http://HOST[:PORT]/updatecheck.php?cmd=redirect&product=
    // followed by the encoded product name.
    YString DownloadPage(const YString& product) const;
};
