#pragma once

#include "foundation/YObject.h"
#include "foundation/YString.h"

#include <cstdint>

// All byte input and output. The base implements what can be built on Read and
// Write; every other service raises "Service "{0}" is not implemented." (code 1).
class YStream : public YObject {
public:
    enum SeekOrigin : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };
    enum LineResult : int { kLineComplete = 0, kLineContinues = 1, kLineEndOfData = 2 };

    virtual YStream* GetSubstream();
    virtual void Write(const void* bytes, uint32_t count);
    virtual void WriteFill(uint32_t count);
    virtual uint32_t Read(void* bytes, uint32_t count);
    // Reads one line of 8-bit text into buffer (always NUL-terminated); a line feed
    // or NUL ends it, carriage returns are skipped.
    virtual int ReadLine(char* buffer, uint32_t size);
    virtual void WriteString(const YString& text);
    virtual void WriteLine(const YString& text);
    virtual void Seek(int64_t offset, int origin);
    virtual int64_t GetPosition();
    virtual void Flush();
    virtual bool IsEnd();
    virtual void Truncate();
    virtual int64_t GetSize();
    virtual bool IsOpen() { return true; }

    // Raises "Could not read required data from stream." when fewer bytes come.
    void ReadRequired(void* bytes, uint32_t count);
    // Raises "Could not load a line from stream." when no line is left.
    YString ReadLineRequired();

protected:
    [[noreturn]] static void ThrowNotImplemented(const YString& service);
    [[noreturn]] static void ThrowInvalidSeekOrigin();
};
