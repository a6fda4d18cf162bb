// online: the update check, note and preset submission and the preset exchange
// against the maker's web server (or the one --server or VORTALIS_SERVER names).
#include "CommandLine.h"

#include "engine/YYorvaneAudioEffectPlugin.h"
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
    void Status(const YString& status) override { std::printf("%s...\n", status.ToUtf8().c_str()); }

private:
    bool openPage_;
};

struct OnlineArguments {
    std::string server, note, preset;
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
        std::fflush(stdout);
        service(services, user);
    } catch (const YException& e) {
        std::fflush(stdout);
        return Fail(e.Message().ToUtf8());
    }
    return 0;
}

// Runs a service on the user's presets, opened as an instance opens them.
int RunPresetService(const OnlineArguments& arguments,
                     const std::function<int(YOnlineServices&, YOnlineServices::User&, YPresetManagerBase&)>& service) {
    std::string error;
    std::unique_ptr<YYorvaneAudioEffectPlugin> engine = OpenPresetEngine(error);
    if (!engine) return Fail(error);
    int status = 0;
    const int serviceStatus = RunService(arguments, [&](YOnlineServices& services, YOnlineServices::User& user) {
        status = service(services, user, engine->Presets());
    });
    return serviceStatus != 0 ? serviceStatus : status;
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

    CLI::App* exchange = online->add_subcommand("exchange", "trade presets with the online preset exchange");
    addServer(exchange);
    commands.push_back({exchange, [arguments] {
                            return RunPresetService(*arguments, [](YOnlineServices& services,
                                                                   YOnlineServices::User& user,
                                                                   YPresetManagerBase& presets) {
                                services.ExchangePresets(presets, user);
                                return 0;
                            });
                        }});

    CLI::App* submitPreset = online->add_subcommand("submit-preset", "submit one of your presets to the maker");
    submitPreset->add_option("NAME", arguments->preset, "the preset, as \"Folder/Name\" or a name found once")
        ->required();
    addServer(submitPreset);
    commands.push_back({submitPreset, [arguments] {
                            return RunPresetService(*arguments, [&name = arguments->preset](
                                                                    YOnlineServices& services,
                                                                    YOnlineServices::User& user,
                                                                    YPresetManagerBase& presets) {
                                std::string error;
                                const YXMLItem* preset = FindUserPreset(presets, name, error);
                                if (preset == nullptr) return Fail(error);
                                services.SubmitPreset(*preset, user);
                                return 0;
                            });
                        }});
}
