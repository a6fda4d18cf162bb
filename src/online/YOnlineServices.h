#pragma once

#include "online/YOnlineServer.h"

// The online services a user starts from the plug-in's settings menu or the
// command-line tool: the update check and note submission.
//
// Each runs on the thread that started it (the user-interface thread) and blocks it
// while the server answers, never longer than the server's time-out per wait. Takes
// no locks; nothing of audio processing, state or presets waits for it. Failures
// raise YException; the caller's guard shows or swallows them.
class YOnlineServices {
public:
    // How a service talks to the user: messages and one yes-or-no question.
    class User {
    public:
        virtual void Report(const YString& message) = 0;
        virtual bool Ask(const YString& question) = 0;

    protected:
        ~User() = default;
    };

    // product is the plug-in's name ("Vortalis"), version its version text ("7.10").
    YOnlineServices(const YOnlineServer& server, const YString& product, const YString& version)
        : server_(server), product_(product), version_(version) {}

    // Asks the server for the newest version; when it differs from ours, offers to
    // open the download page in the web browser. Raises
    // "Could not open the web page "{0}"." when no browser could be started.
    void CheckForUpdates(User& user);

    // Posts a note to the maker: POST /submit.php with cmd=note, product, version and
    // note (the text's UTF-8 bytes, encoded). The server answers "OK" in its first
    // line; anything else raises "Your note could not be posted.".
    void SubmitNote(const YString& note, User& user);

private:
    YOnlineServer server_;
    YString product_, version_;
};
