#pragma once

#include "foundation/YEncoding.h"
#include "online/YTCPClient.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// A small HTTP/1.0 client that is itself a stream: Setup connects and stores the
// request, Perform sends it and reads the reply's header (following redirects), and
// the reply's body is then read from the stream, by bytes or by "utf-8" lines.
//
//     YHTTPStream http;
//     http.Setup("www.yorvane.example", "/updatecheck.php", {{"cmd", "check"}}, 80);
//     if (http.Perform(1) && http.ReadLine(line)) ...
//
// Runs on the thread that started an online service (the user-interface thread) and
// blocks it while it waits for the server, never longer than the time-out per wait.
// One object serves one thread; no locks. Errors raise YException: the TCP client's,
// and "Invalid HTTP reply header." / "Invalid HTTP reply header line." with code 513.
class YHTTPStream : public YStream {
public:
    using Pairs = std::vector<std::pair<YString, YString>>;
    enum Method : int32_t { kGet = 0, kPost = 1 };
    static constexpr int32_t kInvalidReply = 513;

    // For the next Setup; YTCPClient::kDefaultTimeoutMs unless set.
    void SetTimeout(int milliseconds) { client_.SetTimeout(milliseconds); }
    // kGet (the parameters go into the address) or kPost (they form the body); any
    // other value makes Perform answer false without sending.
    void SetMethod(int32_t method) { method_ = method; }
    // A further "{0}: {1}" line of the request.
    void AddHeader(const YString& name, const YString& value) { extraHeaders_.emplace_back(name, value); }

    // Connects to host and port, stores the request and builds its query.
    void Setup(const YString& host, const YString& path, const Pairs& parameters, uint16_t port);
    // Sends the request and reads the reply's header; a reply in the 300 range is
    // followed to its "Location" while redirects are allowed. True when the final
    // status is in the 200 range; the body is then ready to read.
    bool Perform(int32_t redirects);

    // The next line of the body ("utf-8"; a line feed ends it, carriage returns are
    // dropped). False at the end of the body.
    bool ReadLine(YString& line);
    // Body bytes. With a content length the body ends there, and a connection that
    // ends sooner raises "The connection was closed before the whole reply arrived.".
    uint32_t Read(void* bytes, uint32_t count) override;
    using YStream::ReadLine;

    // "&"-joined name=value pairs, each value with every character other than ASCII
    // letters and digits as "%" and two upper-case hexadecimal digits of its low 8 bits.
    static YString EncodeQuery(const Pairs& parameters);

    const YString& GetHost() const { return host_; }
    uint16_t GetPort() const { return port_; }
    const YString& GetPath() const { return path_; }
    const YString& GetQuery() const { return query_; }
    int32_t GetStatus() const { return status_; }
    const Pairs& GetReplyHeaders() const { return replyHeaders_; }
    // -1 when the reply gave none.
    int32_t GetContentLength() const { return contentLength_; }

private:
    // The reply's bytes as the line reader takes them: the header within a size limit,
    // then the body within its content length.
    class Reply final : public YByteSource {
    public:
        explicit Reply(YStream& socket) : reader_(socket) {}
        // contentLength -1: the body lasts until the server ends the connection.
        void StartBody(int32_t contentLength) {
            inBody_ = true;
            bodyLeft_ = contentLength;
        }
        int Next() override;

    private:
        YStreamReader reader_;
        bool inBody_ = false;
        int64_t headerBytes_ = 0;
        int64_t bodyLeft_ = -1;
    };

    void Connect();
    void SendRequest();
    void ReadReplyHeader();
    // Moves host, port and path to where location points.
    void FollowLocation(const YString& location);

    YTCPClient client_;
    std::optional<Reply> reply_;
    YString host_, path_, query_;
    uint16_t port_ = 80;
    int32_t method_ = kGet;
    Pairs extraHeaders_, replyHeaders_;
    int32_t status_ = 0;
    int32_t contentLength_ = -1;
};
