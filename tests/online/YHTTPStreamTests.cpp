// The HTTP client against a server of our own on 127.0.0.1: the bytes it sends, the
// replies it understands and the broken ones it refuses.
#include "foundation/TestStreams.h"
#include "online/YHTTPStream.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Pairs = YHTTPStream::Pairs;

std::string Text(const YString& text) { return text.ToUtf8(); }

std::string HostLine(const LoopbackServer& server) { return "Host: " + server.Address() + "\n"; }

// One request to path on server with the given method and parameters.
bool Perform(YHTTPStream& http, const LoopbackServer& server, const char* path, const Pairs& parameters = {},
             int32_t redirects = 0, int32_t method = YHTTPStream::kGet) {
    http.SetMethod(method);
    http.Setup("127.0.0.1", YString::FromUtf8(path), parameters, server.Port());
    return http.Perform(redirects);
}

std::string Body(YHTTPStream& http) {
    std::string body;
    char piece[7];
    for (uint32_t got; (got = http.Read(piece, sizeof piece)) > 0;) body.append(piece, got);
    return body;
}

TEST(YHTTPStream, QueryKeepsNamesAndLettersAndDigitsAndEncodesEverythingElse) {
    const struct {
        Pairs parameters;
        const char* query;
    } cases[] = {
        {{{YString("cmd"), YString("check")}, {YString("product"), YString("Vortalis")}}, "cmd=check&product=Vortalis"},
        {{{YString("v"), YString("A B")}}, "v=A%20B"},
        {{{YString("v"), YString("x-y_z.09")}}, "v=x%2Dy%5Fz%2E09"},
        // The low 8 bits of each character: é is E9, € (U+20AC) loses its high byte.
        {{{YString("v"), YString(u"\u00e9\u20ac")}}, "v=%E9%AC"},
        {{{YString("a b"), YString("")}, {YString("c"), YString("&")}}, "a b=&c=%26"},
        {{}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(YHTTPStream::EncodeQuery(c.parameters)), c.query);
}

TEST(YHTTPStream, SendsGetAndPostRequestsWithSingleLineFeeds) {
    LoopbackServer server({{"HTTP/1.0 200 OK\n\n"}, {"HTTP/1.0 200 OK\n\n"}, {"HTTP/1.0 204 No Content\n\n"}});
    const Pairs parameters = {{YString("cmd"), YString("check")}, {YString("text"), YString("A B")}};
    {
        YHTTPStream http;
        http.AddHeader("X-Extra", "1");
        EXPECT_TRUE(Perform(http, server, "/updatecheck.php", parameters));
    }
    {
        YHTTPStream http;
        EXPECT_TRUE(Perform(http, server, "/submit.php", parameters, 0, YHTTPStream::kPost));
    }
    {
        YHTTPStream http;
        EXPECT_TRUE(Perform(http, server, "/plain"));
        EXPECT_EQ(http.GetStatus(), 204);
    }
    const std::vector<std::string> expected = {
        "GET /updatecheck.php?cmd=check&text=A%20B HTTP/1.0\n" + HostLine(server) + "Connection: Close\nX-Extra: 1\n\n",
        "POST /submit.php HTTP/1.0\nContent-Type: application/x-www-form-urlencoded\nContent-Length: 20\n" +
            HostLine(server) + "Connection: Close\n\ncmd=check&text=A%20B",
        "GET /plain HTTP/1.0\n" + HostLine(server) + "Connection: Close\n\n",
    };
    EXPECT_EQ(server.Requests(), expected);
}

TEST(YHTTPStream, AnUnknownMethodSendsNothing) {
    LoopbackServer server({{"HTTP/1.0 200 OK\n\n"}});
    {
        YHTTPStream http;
        EXPECT_FALSE(Perform(http, server, "/x", {}, 0, 2));
    }
    server.Finish();
    EXPECT_EQ(server.Requests(), std::vector<std::string>{""});
}

TEST(YHTTPStream, FollowsRelativeRedirectsWhileAllowed) {
    const struct {
        const char* location;
        const char* secondPath;
    } cases[] = {{"/moved/here.php", "/moved/here.php"}, {"other.php", "/folder/other.php"}};
    for (const auto& c : cases) {
        LoopbackServer server(
            {{std::string("HTTP/1.0 302 Found\nLocation: ") + c.location + "\n\n"}, {"HTTP/1.0 200 OK\n\nsecond\n"}});
        YHTTPStream http;
        EXPECT_TRUE(Perform(http, server, "/folder/page.php", {{YString("q"), YString("1")}}, 1));
        EXPECT_EQ(Body(http), "second\n");
        const std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1],
                  "GET " + std::string(c.secondPath) + "?q=1 HTTP/1.0\n" + HostLine(server) + "Connection: Close\n\n");
    }
}

TEST(YHTTPStream, ARedirectWithNoneAllowedFails) {
    LoopbackServer server({{"HTTP/1.0 302 Found\nLocation: /elsewhere\n\n"}});
    YHTTPStream http;
    EXPECT_FALSE(Perform(http, server, "/page", {}, 0));
    EXPECT_EQ(http.GetStatus(), 302);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(YHTTPStream, FollowsAnAbsoluteRedirectToAnotherPort) {
    LoopbackServer target({{"HTTP/1.0 200 OK\n\nthere\n"}});
    LoopbackServer server(
        {{"HTTP/1.0 301 Moved\nlocation: http://127.0.0.1:" + std::to_string(target.Port()) + "/new/place\n\n"}});
    YHTTPStream http;
    EXPECT_TRUE(Perform(http, server, "/old", {}, 2));
    EXPECT_EQ(http.GetPort(), target.Port());
    EXPECT_EQ(Body(http), "there\n");
    EXPECT_EQ(target.Requests(),
              std::vector<std::string>{"GET /new/place HTTP/1.0\n" + HostLine(target) + "Connection: Close\n\n"});
}

TEST(YHTTPStream, ContentLengthInAnyCaseLimitsTheBody) {
    for (const char* name : {"Content-length", "CONTENT-LENGTH", "content-Length", " Content-Length "}) {
        // The body is read as "utf-8" lines; bytes beyond the length are not part of it.
        LoopbackServer server({{std::string("HTTP/1.1 200 OK\nServer :  ours \n") + name +
                                ":  10\r\n\r\nOK\nGr\xC3\xBC\xC3\x9F"
                                "e\nnot body"}});
        YHTTPStream http;
        ASSERT_TRUE(Perform(http, server, "/")) << name;
        EXPECT_EQ(http.GetContentLength(), 10);
        EXPECT_EQ(http.GetReplyHeaders().front(), std::make_pair(YString("Server"), YString("ours")));
        YString line;
        ASSERT_TRUE(http.ReadLine(line));
        EXPECT_EQ(Text(line), "OK");
        ASSERT_TRUE(http.ReadLine(line));
        EXPECT_EQ(line, YString(u"Gr\u00fc\u00dfe"));
        EXPECT_FALSE(http.ReadLine(line));
    }
}

TEST(YHTTPStream, BrokenRepliesRaiseTheirErrors) {
    const struct {
        const char* reply;
        const char* message;
        int32_t code;
    } cases[] = {
        {"", "Invalid HTTP reply header.", 513},  // no status line
        {"HTTP/1.0 200 OK\nno colon here\n\n", "Invalid HTTP reply header line.", 513},
        {"HTTP/1.0 200 OK\n: no name\n\n", "Invalid HTTP reply header line.", 513},
        {"HTTP/1.0 200 OK\nContent-Le", "Invalid HTTP reply header line.", 513},  // closed inside a line
        {"HTTP/1.0 200 OK\nServer: ours\n", "Invalid HTTP reply header.", 513},   // closed before the empty line
        {"HTTP/1.0 302 Found\nLocation: http://127.0.0.1:99999/\n\n",
         "Invalid redirection address \"http://127.0.0.1:99999/\".", 513},
    };
    for (const auto& c : cases) {
        LoopbackServer server({{c.reply}});
        YHTTPStream http;
        ExpectYException([&] { Perform(http, server, "/", {}, 1); }, c.message, c.code);
    }
}

TEST(YHTTPStream, AServerThatClosesInsideTheBodyIsAnError) {
    LoopbackServer server({{"HTTP/1.0 200 OK\nContent-Length: 100\n\nOK\npart"}});
    YHTTPStream http;
    ASSERT_TRUE(Perform(http, server, "/"));
    YString line;
    ASSERT_TRUE(http.ReadLine(line));
    EXPECT_EQ(Text(line), "OK");
    ExpectYException([&] { http.ReadLine(line); }, "The connection was closed before the whole reply arrived.");
}

TEST(YHTTPStream, AServerThatNeverAnswersIsGivenUpAfterTheTimeOut) {
    LoopbackServer server({{"", true}});
    YHTTPStream http;
    http.SetTimeout(200);
    const auto start = std::chrono::steady_clock::now();
    ExpectYException([&] { Perform(http, server, "/"); }, "The server did not answer in time.");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(YHTTPStream, ARefusedConnectionNamesHostAndPort) {
    uint16_t port;
    {
        LoopbackServer closed({});
        port = closed.Port();
    }
    YHTTPStream http;
    try {
        http.Setup("127.0.0.1", "/", {}, port);
        ADD_FAILURE() << "connected to a closed port";
    } catch (const YException& e) {
        const std::string expected =
            "Could not connect to a TCP server (host 127.0.0.1, port " + std::to_string(port) + ", code ";
        EXPECT_EQ(Text(e.Message()).substr(0, expected.size()), expected);
    }
}

}  // namespace
