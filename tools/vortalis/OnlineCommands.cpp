// online: the update check and note submission against the maker's web server (or
// the one --server or VORTALIS_SERVER names).
#include "CommandLine.h"

#include "foundation/YException.h"
#include "online/YOnlineServices.h"

#include <cstdio>
#include <functional>
#include <memory>

namespace {

// The name and version text the plug-in reports to the server.
constexpr char kProduct[] = "Vortalis";
constexpr char kVersionText[] = "7.10";

// Messages on standard output; the question is answered by --open.
class ConsoleUser final : public YOnlineServices::User {
public:
    explicit ConsoleUser(bool openPage) : openPage_(openPage) {}
    void Report(const YString& message) override { std::printf("%s\n", message.ToUtf8().c_str()); }
    bool Ask(const YString& question) override {
        std::printf("%s %s\n", question.ToUtf8().c_str(), openPage_ ? "(opening it)" : "(--open opens it)");
        return openPage_;
    }

private:
    bool openPage_;
};

struct OnlineArguments {
    std::string server, note;
    bool open = false;
};

// Runs one service against the chosen server; its failures end the tool with status 1.
int RunService(const OnlineArguments& arguments,
               const std::function<void(YOnlineServices&, YOnlineServices::User&)>& service) {
    ConsoleUser user(arguments.open);
    try {
        YOnlineServices services(arguments.server.empty() ? YOnlineServer::FromEnvironment()
                                                          : YOnlineServer::Parse(YString::FromUtf8(arguments.server)),
                                 kProduct, kVersionText);
        service(services, user);
    } catch (const YException& e) {
        return Fail(e.Message().ToUtf8());
    }
    return 0;
}

}  // namespace

void AddOnlineCommands(CLI::App& app, CommandList& commands) {
    CLI::App* online = app.add_subcommand("online", "the maker's online services");
    online->require_subcommand(1);
    auto arguments = std::make_shared<OnlineArguments>();
    auto addServer = [&](CLI::App* command) {
        command->add_option("--server", arguments->server,
                            "HOST[:PORT] of the web server (default: $VORTALIS_SERVER, else www.yorvane.example)");
    };

    CLI::App* check = online->add_subcommand("check-updates", "ask the server whether a newer version exists");
    addServer(check);
    check->add_flag("--open", arguments->open, "open the download page in the web browser when there is one");
    commands.push_back({check, [arguments] {
                            return RunService(*arguments, [](YOnlineServices& services, YOnlineServices::User& user) {
                                services.CheckForUpdates(user);
                            });
                        }});

    CLI::App* note = online->add_subcommand("submit-note", "post a note to the maker");
    note->add_option("TEXT", arguments->note, "the note")->required();
    addServer(note);
    commands.push_back({note, [arguments] {
                            if (arguments->note.empty()) return Fail("the note is empty");
                            return RunService(*arguments, [&note = arguments->note](YOnlineServices& services,
                                                                                    YOnlineServices::User& user) {
                                services.SubmitNote(YString::FromUtf8(note), user);
                            });
                        }});
}
