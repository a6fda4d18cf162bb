#include "online/YOnlineServices.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "online/YHTTPStream.h"
#include "platform/Platform.h"
#include "presets/YPresetManagerBase.h"
#include "shell/YConfiguration.h"

#include <algorithm>
#include <ctime>

namespace {

// Sets the request up against the server and performs it with one redirect allowed;
// true when the reply's first body line is "OK" (compared without case).
bool AnswersOK(YHTTPStream& http, const YOnlineServer& server, const YString& path,
               const YHTTPStream::Pairs& parameters) {
    http.SetTimeout(server.timeoutMs);
    http.Setup(server.host, path, parameters, server.port);
    YString line;
    return http.Perform(1) && http.ReadLine(line) && YString::EqualsNoCase(line, "OK");
}

// A document's "utf-8" bytes as query text: the query sends each character's low 8
// bits, so the bytes arrive as written.
YString DocumentText(const YXMLItem& root) {
    YMemoryStream memory;
    YXMLDocument::Write(root, memory, true, "utf-8");
    const YByteBuffer& bytes = memory.GetBuffer();
    return YString::FromLatin1(std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()));
}

int32_t ExchangeIndexOf(const YXMLItem& preset) {
    const YString* index = preset.FindAttribute("ExchangeIndex");
    return index ? static_cast<int32_t>(std::clamp<int64_t>(ToInteger(*index), 0, INT32_MAX)) : 0;
}

// The highest "ExchangeIndex" of the presets below folder, 0 for none.
int32_t HighestExchangeIndex(const YXMLItem& folder) {
    int32_t highest = 0;
    for (uint32_t i = 0; i < folder.GetSubItemCount(); ++i) {
        const YXMLItem& child = *folder.GetSubItemAt(i);
        if (YPresetManagerBase::IsPreset(child)) highest = std::max(highest, ExchangeIndexOf(child));
        else if (YPresetManagerBase::IsFolder(child)) highest = std::max(highest, HighestExchangeIndex(child));
    }
    return highest;
}

// The folder with the user's own presets only (those without "ExchangeIndex"), packed,
// and the folders that hold any of them.
std::unique_ptr<YXMLItem> OwnPresets(const YXMLItem& folder) {
    auto copy = std::make_unique<YXMLItem>(folder.GetName());
    if (const YString* name = folder.FindAttribute("Name")) copy->SetAttribute("Name", *name);
    for (uint32_t i = 0; i < folder.GetSubItemCount(); ++i) {
        const YXMLItem& child = *folder.GetSubItemAt(i);
        if (YPresetManagerBase::IsPreset(child) && child.FindAttribute("ExchangeIndex") == nullptr) {
            copy->AddSubItem(child.GetName())->CopyFrom(child);
        } else if (YPresetManagerBase::IsFolder(child)) {
            std::unique_ptr<YXMLItem> below = OwnPresets(child);
            if (below->GetSubItemCount() > 0) copy->AddSubItem(child.GetName())->CopyFrom(*below);
        }
    }
    YPresetManagerBase::PackAll(*copy);
    return copy;
}

}  // namespace

void YOnlineServices::CheckForUpdates(User& user) {
    YHTTPStream http;
    if (AnswersOK(http, server_, "/updatecheck.php",
                  {{YString("cmd"), YString("check")}, {YString("product"), product_}})) {
        const YString newest = http.ReadLineRequired();
        if (!(newest == version_)) {
            const YString question =
                YFormat(TranslateText(
                            "There is a newer version {0} available. Would you like to proceed to the download page?"))
                    .Arg(newest);
            if (user.Ask(question)) {
                const YString page = server_.DownloadPage(product_);
                if (!Platform::OpenURL(page))
                    throw YException(YFormat(TranslateText("Could not open the web page \"{0}\".")).Arg(page));
            }
            return;
        }
    }
    user.Report(TranslateText("No new updates have been found."));
}

void YOnlineServices::SubmitNote(const YString& note, User& user) {
    YHTTPStream http;
    http.SetMethod(YHTTPStream::kPost);
    // The query sends each character's low 8 bits: UTF-8 bytes keep every character.
    const YString bytes = YString::FromLatin1(note.ToUtf8());
    if (!AnswersOK(http, server_, "/submit.php",
                   {{YString("cmd"), YString("note")},
                    {YString("product"), product_},
                    {YString("version"), version_},
                    {YString("note"), bytes}}))
        throw YException(TranslateText("Your note could not be posted."));
    user.Report(TranslateText("Your note has successfully been posted."));
}

void YOnlineServices::SubmitPreset(const YXMLItem& preset, User& user) {
    std::unique_ptr<YXMLItem> packed = preset.Clone();
    if (packed->FindAttribute("compressed") == nullptr) YPresetManagerBase::Pack(*packed);
    YHTTPStream http;
    http.SetMethod(YHTTPStream::kPost);
    if (!AnswersOK(http, server_, "/submit.php",
                   {{YString("cmd"), YString("preset")},
                    {YString("product"), product_},
                    {YString("version"), version_},
                    {YString("name"), YString::FromLatin1(YPresetManagerBase::NameOf(preset).ToUtf8())},
                    {YString("data"), DocumentText(*packed)}}))
        throw YException(TranslateText("Your preset could not be submitted."));
    user.Report(TranslateText("Your preset has successfully been submitted."));
}

void YOnlineServices::ExchangePresets(YPresetManagerBase& presets, User& user) {
    const YString id = YFormat("{0}:{1}").Arg(product_).Arg(HighestExchangeIndex(presets.Root()));
    std::unique_ptr<YXMLItem> received;
    try {
        YHTTPStream http;
        http.SetTimeout(server_.timeoutMs);
        user.Status(TranslateText("Searching for internet connection for online preset exchange"));
        http.Setup(server_.host, "/presetexchange.php", {{YString("cmd"), YString("receive")}, {YString("id"), id}},
                   server_.port);
        user.Status(TranslateText("Performing online preset exchange"));
        if (!http.Perform(1)) throw YException("The exchange answered with an error.");
        received = YXMLDocument::Read(http);
        if (!YString::EqualsNoCase(received->GetName(), presets.RootName()))
            throw YException("The exchange answered with something else than presets.");
    } catch (const YException&) {
        throw YException(TranslateText("Could not access the preset exchange server."));
    }

    const int32_t added = presets.Merge(*received, std::max(1, HighestExchangeIndex(*received)));
    YConfiguration::WriteText(YConfiguration::File::Plugin, "LastOnlineExchange",
                              YFormat("{0}").Arg(static_cast<int64_t>(std::time(nullptr))));
    user.Report(added > 0 ? YString(YFormat(TranslateText("{0} presets have been added.")).Arg(added))
                          : TranslateText("There are no new presets available. Note that presets are managed by our "
                                          "administrators and this is done usually once a week."));

    bool sent = false;
    try {
        YHTTPStream http;
        http.SetMethod(YHTTPStream::kPost);
        sent = AnswersOK(http, server_, "/presetexchange.php",
                         {{YString("cmd"), YString("send")},
                          {YString("id"), id},
                          {YString("data"), DocumentText(*OwnPresets(presets.Root()))}});
    } catch (const YException&) {
    }
    if (!sent) throw YException(TranslateText("Could not access the preset exchange server."));
}
