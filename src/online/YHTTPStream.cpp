#include "online/YHTTPStream.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>

namespace {

// A header larger than this is not a reply of the server we talk to.
constexpr int64_t kMaxHeaderBytes = 65536;

const YEncoding::Codec& LineCodec() { return YEncoding::GetUTF8Codec(); }

[[noreturn]] void ThrowInvalidHeader() {
    throw YException(TranslateText("Invalid HTTP reply header."), YHTTPStream::kInvalidReply);
}

bool IsLetterOrDigit(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

}  // namespace

int YHTTPStream::Reply::Next() {
    if (!inBody_) {
        if (++headerBytes_ > kMaxHeaderBytes) ThrowInvalidHeader();
        return reader_.Next();
    }
    if (bodyLeft_ == 0) return -1;
    const int byte = reader_.Next();
    if (bodyLeft_ < 0) return byte;
    if (byte < 0) throw YException(TranslateText("The connection was closed before the whole reply arrived."));
    --bodyLeft_;
    return byte;
}

YString YHTTPStream::EncodeQuery(const Pairs& parameters) {
    static const char kHexDigits[] = "0123456789ABCDEF";
    YString query;
    for (const auto& [name, value] : parameters) {
        if (!query.IsEmpty()) query += u'&';
        query += name;
        query += u'=';
        for (uint32_t i = 0; i < value.Length(); ++i) {
            const char16_t c = value[i];
            if (IsLetterOrDigit(c)) {
                query += c;
            } else {
                query += u'%';
                query += static_cast<char16_t>(kHexDigits[(c >> 4) & 0xF]);
                query += static_cast<char16_t>(kHexDigits[c & 0xF]);
            }
        }
    }
    return query;
}

void YHTTPStream::Setup(const YString& host, const YString& path, const Pairs& parameters, uint16_t port) {
    host_ = host;
    port_ = port;
    path_ = path;
    query_ = EncodeQuery(parameters);
    Connect();
}

void YHTTPStream::Connect() {
    reply_.reset();
    client_.Connect(host_, port_);
    reply_.emplace(client_.GetStream());
}

bool YHTTPStream::Perform(int32_t redirects) {
    if (method_ != kGet && method_ != kPost) return false;
    for (;;) {
        SendRequest();
        ReadReplyHeader();
        if (status_ / 100 != 3 || redirects < 1) break;
        auto location = std::find_if(replyHeaders_.begin(), replyHeaders_.end(), [](const auto& header) {
            return YString::EqualsNoCase(header.first, "Location");
        });
        if (location == replyHeaders_.end()) break;
        FollowLocation(location->second);
        Connect();
        --redirects;
    }
    return status_ / 100 == 2;
}

void YHTTPStream::SendRequest() {
    YStreamWriter writer(client_.GetStream());
    const YEncoding::Codec& codec = LineCodec();
    if (method_ == kGet) {
        codec.WriteLine(writer, YFormat("GET {0} HTTP/1.0").Arg(query_.IsEmpty() ? path_ : path_ + "?" + query_));
    } else {
        codec.WriteLine(writer, YFormat("POST {0} HTTP/1.0").Arg(path_));
        codec.WriteLine(writer, "Content-Type: application/x-www-form-urlencoded");
        codec.WriteLine(writer, YFormat("Content-Length: {0}").Arg(query_.Length()));
    }
    codec.WriteLine(writer, YFormat("Host: {0}:{1}").Arg(host_).Arg(port_));
    codec.WriteLine(writer, "Connection: Close");
    for (const auto& [name, value] : extraHeaders_) codec.WriteLine(writer, YFormat("{0}: {1}").Arg(name).Arg(value));
    codec.WriteLine(writer, YString());
    if (method_ == kPost) codec.WriteText(writer, query_);
    writer.Flush();
    client_.GetStream().Flush();
}

void YHTTPStream::ReadReplyHeader() {
    const YEncoding::Codec& codec = LineCodec();
    status_ = 0;
    contentLength_ = -1;
    replyHeaders_.clear();
    YString line;
    if (!codec.ReadLine(*reply_, line)) ThrowInvalidHeader();
    const int64_t blank = line.Find(u' ');
    if (blank >= 0) status_ = static_cast<int32_t>(ToInteger(line.Substring(static_cast<uint32_t>(blank) + 1, 3)));
    for (;;) {
        // A header that ends before its empty line is as broken as one never sent.
        if (!codec.ReadLine(*reply_, line)) ThrowInvalidHeader();
        if (line.IsEmpty()) break;
        const int64_t colon = line.Find(u':');
        YString name = colon < 0 ? YString() : line.Substring(0, static_cast<uint32_t>(colon)).Trimmed();
        if (name.IsEmpty()) throw YException(TranslateText("Invalid HTTP reply header line."), kInvalidReply);
        YString value = line.Substring(static_cast<uint32_t>(colon) + 1).Trimmed();
        if (YString::EqualsNoCase(name, "Content-length"))
            contentLength_ = static_cast<int32_t>(std::clamp<int64_t>(ToInteger(value), -1, INT32_MAX));
        replyHeaders_.emplace_back(std::move(name), std::move(value));
    }
    reply_->StartBody(contentLength_);
}

void YHTTPStream::FollowLocation(const YString& location) {
    const std::u16string text = location.ToU16();
    const std::size_t scheme = text.find(u"://");
    if (scheme == std::u16string::npos) {
        // Relative: from the root when it starts with "/", else beside the current path.
        if (!text.empty() && text[0] == u'/') {
            path_ = location;
        } else {
            const std::size_t folder = path_.ToU16().rfind(u'/');
            path_ = (folder == std::u16string::npos ? YString("/")
                                                    : path_.Substring(0, static_cast<uint32_t>(folder) + 1)) +
                    location;
        }
        return;
    }
    const std::size_t start = scheme + 3;
    const std::size_t slash = text.find(u'/', start);
    const std::u16string authority =
        text.substr(start, slash == std::u16string::npos ? std::u16string::npos : slash - start);
    const std::size_t colon = authority.rfind(u':');
    uint16_t port = 80;
    if (colon != std::u16string::npos) {
        uint32_t consumed = 0;
        const YString portText(authority.substr(colon + 1));
        const int64_t number = ToInteger(portText, 10, &consumed);
        if (consumed != portText.Length() || number < 1 || number > 65535)
            throw YException(YFormat(TranslateText("Invalid redirection address \"{0}\".")).Arg(location),
                             kInvalidReply);
        port = static_cast<uint16_t>(number);
    }
    host_ = YString(authority.substr(0, colon));
    port_ = port;
    path_ = slash == std::u16string::npos ? YString("/") : YString(text.substr(slash));
}

uint32_t YHTTPStream::Read(void* bytes, uint32_t count) {
    if (!reply_) return 0;
    auto* out = static_cast<uint8_t*>(bytes);
    uint32_t stored = 0;
    for (int byte; stored < count && (byte = reply_->Next()) >= 0;) out[stored++] = static_cast<uint8_t>(byte);
    return stored;
}

bool YHTTPStream::ReadLine(YString& line) { return reply_ && LineCodec().ReadLine(*reply_, line); }
