#pragma once

#include "foundation/YStream.h"

#include <cstdint>
#include <cstdio>

// A file through the runtime library's buffered file functions, opened shared (other
// processes may read and write it meanwhile). Every message names the path.
class YStdFileStream : public YStream {
public:
    // Open modes, a bit set; callers use kRead or kWrite | kCreate.
    enum OpenMode : uint32_t {
        kRead = 1,    // an existing file, read only
        kWrite = 2,   // read and write; without kCreate an existing file is updated
        kCreate = 4,  // with kWrite: any existing file is deleted, a new empty one made
    };

    YStdFileStream() = default;
    YStdFileStream(const YString& path, uint32_t mode) { Open(path, mode); }
    ~YStdFileStream() override;

    // Closes any open file first. Raises "File "{0}" could not be created. ..." (with
    // kCreate) or "File "{0}" could not be open. Make sure it exists.".
    void Open(const YString& path, uint32_t mode);
    virtual void Close();
    const YString& GetPath() const { return path_; }

    // Everything below raises "File stream is not initialized." without an open file.
    void Write(const void* bytes, uint32_t count) override;
    uint32_t Read(void* bytes, uint32_t count) override;
    void Seek(int64_t offset, int origin) override;
    int64_t GetPosition() override;
    void Flush() override;
    // Position at or beyond the size measured when the file was opened.
    bool IsEnd() override;
    void Truncate() override;
    int64_t GetSize() override;
    bool IsOpen() override { return file_ != nullptr; }

private:
    enum class LastAccess { kNone, kRead, kWrite };

    std::FILE* CheckOpen();
    // The C library requires a positioning call between reading and writing on an
    // update stream; callers may mix them freely.
    void SwitchTo(LastAccess access);

    YString path_;
    // One handle serves input and output.
    std::FILE* file_ = nullptr;
    int64_t sizeAtOpen_ = 0;
    LastAccess last_ = LastAccess::kNone;
};
