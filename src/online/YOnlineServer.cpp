#include "online/YOnlineServer.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "online/YHTTPStream.h"
#include "platform/Platform.h"

YOnlineServer YOnlineServer::Parse(const YString& text) {
    YOnlineServer server;
    const int64_t colon = text.Find(u':');
    server.host = colon < 0 ? text : text.Substring(0, static_cast<uint32_t>(colon));
    bool valid = !server.host.IsEmpty();
    if (colon >= 0) {
        const YString portText = text.Substring(static_cast<uint32_t>(colon) + 1);
        uint32_t consumed = 0;
        const int64_t port = ToInteger(portText, 10, &consumed);
        valid = valid && consumed == portText.Length() && port >= 1 && port <= 65535;
        server.port = static_cast<uint16_t>(port);
    }
    if (!valid) throw YException(YFormat(TranslateText("Invalid server address \"{0}\".")).Arg(text));
    return server;
}

YOnlineServer YOnlineServer::FromEnvironment() {
    YString text;
    return Platform::GetEnvironment("VORTALIS_SERVER", text) ? Parse(text) : YOnlineServer();
}

YString YOnlineServer::DownloadPage(const YString& product) const {
    const YString address = port == 80 ? host : YString(YFormat("{0}:{1}").Arg(host).Arg(port));
    return YFormat("http://{0}/updatecheck.php?cmd=redirect&{1}")
        .Arg(address)
        .Arg(YHTTPStream::EncodeQuery({{YString("product"), product}}));
}
