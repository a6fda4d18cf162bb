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

std::string ReadAll(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The query's %XX escapes turned back into bytes.
std::string Decoded(const std::string& query) {
    std::string bytes;
    for (std::size_t i = 0; i < query.size(); ++i)
        bytes += query[i] == '%' ? static_cast<char>(std::stoi(query.substr((i += 2) - 1, 2), nullptr, 16)) : query[i];
    return bytes;
}

// The exchange against a server of ours: new presets arrive marked with the download's
// number, the user's own go back to the server, and nothing of the file is lost when
// the server fails.
TEST(OnlineTool, ExchangesPresetsWithTheServer) {
    ScratchFolder scratch;
    const std::string file = scratch.Path("XDG_CONFIG_HOME").ToUtf8() + "/Yorvane/Vortalispresets.xml";
    Succeed("presets save Mine --set Depth=80%");
    // What the server shares: a preset called like ours (another case), a new one, and
    // one in a folder, each a packed preset as a preset file holds them.
    const std::string mine = ReadAll(file);
    const std::size_t begin = mine.find("<preset"), end = mine.find("</preset>") + 9;
    ASSERT_NE(begin, std::string::npos);
    auto shared = [&](const std::string& name, int index) {
        std::string preset = mine.substr(begin, end - begin);
        preset.replace(preset.find("name=\"Mine\""), 11, "ExchangeIndex=\"" + std::to_string(index) + "\" name=\"" + name + "\"");
        return preset;
    };
    const std::string tree = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Vortalispresets>" + shared("MINE", 8) +
                             shared("Shared", 8) + "<Directory Name=\"Pads\">" + shared("Slow pad", 9) +
                             "</Directory></Vortalispresets>\n";
    const std::string receive = "GET /presetexchange.php?cmd=receive&id=Vortalis%3A";
    {
        LoopbackServer server({{Reply(tree)}, {Reply("OK\n")}});
        EXPECT_EQ(Succeed("online exchange --server " + server.Address()),
                  "Searching for internet connection for online preset exchange...\n"
                  "Performing online preset exchange...\n2 presets have been added.\n");
        const std::vector<std::string> requests = server.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0], Request(server, receive + "0 HTTP/1.0\n"));
        const std::string body = requests[1].substr(requests[1].find("\n\n") + 2);
        ASSERT_EQ(body.substr(0, 33), "cmd=send&id=Vortalis%3A0&data=%3C");
        const std::string sent = Decoded(body.substr(30));
        EXPECT_NE(sent.find("name=\"Mine\""), std::string::npos) << sent;
        EXPECT_EQ(sent.find("Shared"), std::string::npos) << sent;
    }
    const std::string list = Succeed("presets list");
    for (const char* name : {"Mine", "Shared", "Pads/", "Slow pad"}) EXPECT_NE(list.find(name), std::string::npos) << list;
    EXPECT_EQ(list.find("MINE"), std::string::npos) << list;
    const std::string merged = ReadAll(file);
    EXPECT_NE(merged.find("ExchangeIndex=\"9\" name=\"Shared\""), std::string::npos) << merged;
    EXPECT_NE(ReadAll(scratch.Path("XDG_CONFIG_HOME").ToUtf8() + "/Yorvane/YPluginConfiguration.xml")
                  .find("LastOnlineExchange=\""),
              std::string::npos);

    // Nothing new: the id names the newest download the user holds.
    {
        LoopbackServer server({{Reply(tree)}, {Reply("OK\n")}});
        EXPECT_NE(Succeed("online exchange --server " + server.Address())
                      .find("There are no new presets available. Note that presets are managed by our administrators "
                            "and this is done usually once a week.\n"),
                  std::string::npos);
        EXPECT_EQ(server.Requests().at(0), Request(server, receive + "9 HTTP/1.0\n"));
    }

    // A server that fails, or answers with anything but presets, changes nothing.
    for (const std::string& reply : {std::string("HTTP/1.0 500 Error\n\n"), Reply("<html>busy</html>\n"),
                                     Reply("<Vortalispresets><preset")}) {
        LoopbackServer server({{reply}});
        const Result result = RunTool("online exchange --server " + server.Address());
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.output.find("vortalis: error: Could not access the preset exchange server.\n"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(ReadAll(file), merged);
    }
    // Sending ours back may fail after the presets arrived; the user is told both.
    {
        LoopbackServer server({{Reply(tree)}, {Reply("NO\n")}});
        const Result result = RunTool("online exchange --server " + server.Address());
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.output.find("There are no new presets available."), std::string::npos) << result.output;
        EXPECT_NE(result.output.find("vortalis: error: Could not access the preset exchange server."), std::string::npos);
    }
}

TEST(OnlineTool, SubmitsPresets) {
    ScratchFolder scratch;
    Succeed("presets save 'Slow & wide' --set Depth=80%");
    const struct {
        std::string reply;
        std::string output;
    } cases[] = {
        {Reply("OK\n"), "Your preset has successfully been submitted.\n"},
        {Reply("Rejected\n"), "vortalis: error: Your preset could not be submitted.\n"},
    };
    for (const auto& c : cases) {
        LoopbackServer server({{c.reply}});
        const Result result = RunTool("online submit-preset 'slow & WIDE' --server " + server.Address());
        EXPECT_EQ(result.output, c.output);
        const std::string request = server.Requests().at(0);
        const std::string body = request.substr(request.find("\n\n") + 2);
        EXPECT_EQ(body.substr(0, 74), "cmd=preset&product=Vortalis&version=7%2E10&name=Slow%20%26%20wide&data=%3C");
        EXPECT_NE(Decoded(body).find("compressed=\"1\""), std::string::npos);
    }
    EXPECT_NE(RunTool("online submit-preset Nothing --server 127.0.0.1:9").output.find("no preset \"Nothing\""),
              std::string::npos);
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
