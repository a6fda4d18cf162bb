#include "online/YTCPClient.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"

void YTCPClient::Connect(const YString& host, uint16_t port) {
    stream_.Close();
    Platform::SocketFailure failure;
    Platform::SocketHandle socket = Platform::ConnectTCP(host, port, timeoutMs_, failure);
    if (socket != Platform::kNoSocket) {
        stream_.Attach(socket, timeoutMs_);
        return;
    }
    switch (failure.step) {
        case Platform::SocketStep::kStartup: throw YException(TranslateText("WinSock could not be initializated."));
        case Platform::SocketStep::kResolve:
            throw YException(YFormat(TranslateText("Could not resolve network name \"{0}\".")).Arg(host));
        case Platform::SocketStep::kProtocol: throw YException(TranslateText("Could not retrieve TCP protocol info."));
        case Platform::SocketStep::kCreate: throw YException(TranslateText("Could not create TCP socket."));
        case Platform::SocketStep::kConnect: break;
    }
    throw YException(YFormat(TranslateText("Could not connect to a TCP server (host {0}, port {1}, code {2})."))
                         .Arg(host)
                         .Arg(port)
                         .Arg(failure.code));
}
