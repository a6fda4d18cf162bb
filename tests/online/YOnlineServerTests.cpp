// Where the online services go, and how a user's HOST[:PORT] is read.
#include "foundation/TestStreams.h"
#include "online/YOnlineServer.h"

#include <gtest/gtest.h>

namespace {

std::string Text(const YString& text) { return text.ToUtf8(); }

TEST(YOnlineServer, ParsesHostAndPortAndPlacesTheDownloadPage) {
    const YOnlineServer standard;
    EXPECT_EQ(Text(standard.DownloadPage("Vortalis")),
              "http://www.yorvane.example/updatecheck.php?cmd=redirect&product=Vortalis");
    const YOnlineServer local = YOnlineServer::Parse("127.0.0.1:8080");
    EXPECT_EQ(Text(local.host), "127.0.0.1");
    EXPECT_EQ(local.port, 8080);
    EXPECT_EQ(Text(local.DownloadPage("A B")), "http://127.0.0.1:8080/updatecheck.php?cmd=redirect&product=A%20B");
    EXPECT_EQ(YOnlineServer::Parse("example.test").port, 80);
    for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:8x"})
        ExpectYException([&] { YOnlineServer::Parse(YString::FromUtf8(bad)); },
                         std::string("Invalid server address \"") + bad + "\".");
}

}  // namespace
