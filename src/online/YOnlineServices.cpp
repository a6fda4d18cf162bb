#include "online/YOnlineServices.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "online/YHTTPStream.h"
#include "platform/Platform.h"

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
