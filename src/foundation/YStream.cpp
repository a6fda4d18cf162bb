#include "foundation/YStream.h"

#include "foundation/YEncoding.h"
#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cstring>
#include <string>

void YStream::ThrowNotImplemented(const YString& service) {
    throw YException(YFormat(TranslateText("Service \"{0}\" is not implemented.")).Arg(service),
                     YException::kNotImplemented);
}

void YStream::ThrowInvalidSeekOrigin() {
    throw YException(TranslateText("Invalid seek origin."), YException::kInvalidSeekOrigin);
}

YStream* YStream::GetSubstream() { ThrowNotImplemented("return substream"); }
void YStream::Write(const void*, uint32_t) { ThrowNotImplemented("write to stream"); }
uint32_t YStream::Read(void*, uint32_t) { ThrowNotImplemented("read from stream"); }
int64_t YStream::GetPosition() { ThrowNotImplemented("get stream position"); }
void YStream::Flush() { ThrowNotImplemented("flush stream"); }
bool YStream::IsEnd() { ThrowNotImplemented("end of stream test"); }
void YStream::Truncate() { ThrowNotImplemented("truncate stream"); }
int64_t YStream::GetSize() { ThrowNotImplemented("stream size detection"); }

void YStream::WriteFill(uint32_t count) {
    uint8_t zeros[1024] = {};
    while (count > 0) {
        uint32_t piece = std::min<uint32_t>(count, sizeof zeros);
        Write(zeros, piece);
        count -= piece;
    }
}

int YStream::ReadLine(char* buffer, uint32_t size) {
    if (size == 0) return kLineContinues;
    uint32_t stored = 0;
    for (;;) {
        if (stored + 1 >= size) {
            buffer[stored] = 0;
            return kLineContinues;
        }
        char c;
        if (Read(&c, 1) == 0) {
            buffer[stored] = 0;
            return stored == 0 ? kLineEndOfData : kLineComplete;
        }
        if (c == '\n' || c == 0) {
            buffer[stored] = 0;
            return kLineComplete;
        }
        if (c != '\r') buffer[stored++] = c;
    }
}

void YStream::WriteString(const YString& text) {
    YByteBuffer bytes = YEncoding::GetASCIICodec().Encode(text, false);
    if (bytes.Size() > 0) Write(bytes.Data(), bytes.Size());
}

void YStream::WriteLine(const YString& text) {
    WriteString(text);
    const char lineFeed = '\n';
    Write(&lineFeed, 1);
}

void YStream::Seek(int64_t offset, int origin) {
    int64_t distance;
    switch (origin) {
        case kFromStart: distance = offset - GetPosition(); break;
        case kFromCurrent: distance = offset; break;
        case kFromEnd: distance = offset - GetPosition() + GetSize(); break;
        default: ThrowInvalidSeekOrigin();
    }
    if (distance < 0) ThrowNotImplemented("backward seek in a stream");
    uint8_t discard[1024];
    while (distance > 0) {
        uint32_t piece = static_cast<uint32_t>(std::min<int64_t>(distance, sizeof discard));
        uint32_t got = Read(discard, piece);
        distance -= got;
        if (got < piece) break;
    }
}

void YStream::ReadRequired(void* bytes, uint32_t count) {
    if (Read(bytes, count) != count) throw YException(TranslateText("Could not read required data from stream."));
}

YString YStream::ReadLineRequired() {
    std::string line;
    char piece[256];
    for (;;) {
        int result = ReadLine(piece, sizeof piece);
        if (result == kLineEndOfData) {
            if (line.empty()) throw YException(TranslateText("Could not load a line from stream."));
            break;
        }
        line += piece;
        if (result == kLineComplete) break;
    }
    return YString::FromLatin1(line);
}
