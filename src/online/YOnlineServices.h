#pragma once

#include "online/YOnlineServer.h"

class YPresetManagerBase;
class YXMLItem;

// The online services a user starts from the plug-in's settings menu or the
// command-line tool: the update check, note and preset submission and the preset
// exchange.
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
        // What a service is doing while the user waits for the server.
        virtual void Status(const YString& status) = 0;

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

    // Submits one of the user's presets: POST /submit.php with cmd=preset, product,
    // version, name and data (the preset's element as the preset file holds it, packed,
    // as a "utf-8" document). The
    // server answers "OK" in its first line; anything else raises "Your preset could
    // not be submitted.".
    void SubmitPreset(const YXMLItem& preset, User& user);

    // The online preset exchange. Asks GET /presetexchange.php with cmd=receive and id
    // (the product and the highest "ExchangeIndex" the user's presets already hold,
    // "Vortalis:17"), reads the reply as a preset tree and merges it into the user's
    // presets, each new preset marked with the highest "ExchangeIndex" of the reply;
    // reports the count. Then sends the user's own presets (those that did not come
    // from the exchange; folders kept, packed) as data with cmd=send and id, and
    // expects "OK". Stores the time of the exchange (seconds since 1970, UTC) as
    // "LastOnlineExchange" in the plug-in configuration file. Any failure of the
    // server raises "Could not access the preset exchange server."; a failure before
    // the merge leaves the preset file as it was.
    void ExchangePresets(YPresetManagerBase& presets, User& user);

private:
    YOnlineServer server_;
    YString product_, version_;
};
