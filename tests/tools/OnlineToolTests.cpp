// vortalis online ... against a server of the test's own on 127.0.0.1.
#include "RunTool.h"
#include "support/LoopbackServer.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const char kNoUpdates[] = "No new updates have been found.\n";

std::string Reply(const std::string& body) { return "HTTP/1.0 200 OK\nContent-Type: text/plain\n\n" + body; }

std::string Request(const LoopbackServer& server, const std::string& firstLines, const std::string& body = "") {
    return firstLines + "Host: " + server.Address() + "\nConnection: Close\n\n" + body;
}

TEST(OnlineTool, UpdateCheckReportsWhatTheServerKnows) {
    const struct {
        std::string reply;
        std::string output;
    } cases[] = {
        {Reply("OK\n7.20\n"),
         "There is a newer version 7.20 available. Would you like to proceed to the download page? (--open opens "
         "it)\n"},
        {Reply("ok\n7.10\n"), kNoUpdates},
        {Reply("NO\n7.20\n"), kNoUpdates},
        {"HTTP/1.0 404 Not Found\n\nOK\n7.20\n", kNoUpdates},
    };
    for (const auto& c : cases) {
        LoopbackServer server({{c.reply}});
        EXPECT_EQ(Succeed("online check-updates --server " + server.Address()), c.output);
        EXPECT_EQ(server.Requests(), std::vector<std::string>{Request(
                                         server, "GET /updatecheck.php?cmd=check&product=Vortalis HTTP/1.0\n")});
    }
}

TEST(OnlineTool, OpensTheDownloadPageInTheBrowser) {
    // A stand-in for xdg-open that writes down the address it was given.
    ScratchFolder scratch;
    const std::string folder = scratch.Path().ToUtf8();
    const std::string record = folder + "/opened";
    std::ofstream(folder + "/xdg-open") << "#!/bin/sh\nprintf %s \"$1\" > '" << record << ".part' && mv '" << record
                                        << ".part' '" << record << "'\n";
    std::filesystem::permissions(folder + "/xdg-open", std::filesystem::perms::owner_all);

    LoopbackServer server({{Reply("OK\n8.0\n")}});
    const std::string output =
        Succeed("online check-updates --open", "PATH='" + folder + "':\"$PATH\" VORTALIS_SERVER=" + server.Address());
    EXPECT_NE(output.find("newer version 8.0 available"), std::string::npos) << output;
    // xdg-open runs detached from the tool.
    for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::stringstream opened;
    opened << std::ifstream(record).rdbuf();
    EXPECT_EQ(opened.str(), "http://" + server.Address() + "/updatecheck.php?cmd=redirect&product=Vortalis");
}

TEST(OnlineTool, SubmitsNotes) {
    const struct {
        std::string reply;
        int status;
        std::string output;
    } cases[] = {
        {Reply("OK\n"), 0, "Your note has successfully been posted.\n"},
        {Reply("Too long\n"), 1, "vortalis: error: Your note could not be posted.\n"},
    };
    for (const auto& c : cases) {
        LoopbackServer server({{c.reply}});
        const Result result = RunTool(
            "online submit-note 'Gr\xC3\xBC\xC3\x9F"
            "e & more' --server " +
            server.Address());
        EXPECT_EQ(result.status == 0 ? 0 : 1, c.status);
        EXPECT_EQ(result.output, c.output);
        const std::string body = "cmd=note&product=Vortalis&version=7%2E10&note=Gr%C3%BC%C3%9Fe%20%26%20more";
        EXPECT_EQ(server.Requests(),
                  std::vector<std::string>{Request(server,
                                                   "POST /submit.php HTTP/1.0\nContent-Type: application/x-www-form-"
                                                   "urlencoded\nContent-Length: " +
                                                       std::to_string(body.size()) + "\n",
                                                   body)});
    }
}

TEST(OnlineTool, FailuresEndWithTheirMessage) {
    uint16_t closedPort;
    {
        LoopbackServer closed({});
        closedPort = closed.Port();
    }
    const std::string closed = "127.0.0.1:" + std::to_string(closedPort);
    const struct {
        std::string arguments;
        std::string output;
    } cases[] = {
        {"online check-updates --server " + closed,
         "vortalis: error: Could not connect to a TCP server (host 127.0.0.1, port " + std::to_string(closedPort) +
             ", code "},
        {"online submit-note hello --server " + closed, "vortalis: error: Could not connect to a TCP server"},
        {"online check-updates --server host:http", "vortalis: error: Invalid server address \"host:http\".\n"},
        {"online submit-note ''", "vortalis: error: the note is empty\n"},
    };
    for (const auto& c : cases) {
        const Result result = RunTool(c.arguments);
        EXPECT_NE(result.status, 0) << c.arguments;
        EXPECT_EQ(result.output.substr(0, c.output.size()), c.output) << c.arguments;
    }
}

}  // namespace
