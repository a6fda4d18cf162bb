#include "foundation/YStdFileStream.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "platform/Platform.h"

YStdFileStream::~YStdFileStream() { Close(); }

void YStdFileStream::Open(const YString& path, uint32_t mode) {
    Close();
    path_ = path;
    const bool create = (mode & kWrite) && (mode & kCreate);
    if (create) {
        Platform::DeletePath(path);  // a file that cannot be deleted shows up when opening
        file_ = Platform::OpenFile(path, "w+b");
    } else {
        file_ = Platform::OpenFile(path, (mode & kWrite) ? "r+b" : "rb");
    }
    if (file_ == nullptr) {
        if (create)
            throw YException(YFormat(TranslateText("File \"{0}\" could not be created. Make sure there is no "
                                                   "write-protected file already existing."))
                                 .Arg(path));
        throw YException(YFormat(TranslateText("File \"{0}\" could not be open. Make sure it exists.")).Arg(path));
    }
    last_ = LastAccess::kNone;
    sizeAtOpen_ = 0;
    if (Platform::SeekFile(file_, 0, SEEK_END)) sizeAtOpen_ = Platform::TellFile(file_);
    Platform::SeekFile(file_, 0, SEEK_SET);
}

void YStdFileStream::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

std::FILE* YStdFileStream::CheckOpen() {
    if (file_ == nullptr) throw YException(TranslateText("File stream is not initialized."));
    return file_;
}

void YStdFileStream::SwitchTo(LastAccess access) {
    if (last_ != access && last_ != LastAccess::kNone) Platform::SeekFile(file_, 0, SEEK_CUR);
    last_ = access;
}

void YStdFileStream::Write(const void* bytes, uint32_t count) {
    std::FILE* file = CheckOpen();
    SwitchTo(LastAccess::kWrite);
    const auto* next = static_cast<const uint8_t*>(bytes);
    while (count > 0) {
        std::size_t written = std::fwrite(next, 1, count, file);
        if (written == 0) throw YException(YFormat(TranslateText("Error writing to file \"{0}\". Probably disk full.")).Arg(path_));
        next += written;
        count -= static_cast<uint32_t>(written);
    }
}

uint32_t YStdFileStream::Read(void* bytes, uint32_t count) {
    std::FILE* file = CheckOpen();
    SwitchTo(LastAccess::kRead);
    std::size_t got = std::fread(bytes, 1, count, file);
    if (got < count && std::ferror(file)) {
        std::clearerr(file);
        throw YException(YFormat(TranslateText("Error reading from file \"{0}\".")).Arg(path_));
    }
    return static_cast<uint32_t>(got);
}

void YStdFileStream::Seek(int64_t offset, int origin) {
    std::FILE* file = CheckOpen();
    int whence;
    switch (origin) {
        case kFromStart: whence = SEEK_SET; break;
        case kFromCurrent: whence = SEEK_CUR; break;
        case kFromEnd: whence = SEEK_END; break;
        default: ThrowInvalidSeekOrigin();
    }
    if (!Platform::SeekFile(file, offset, whence)) throw YException(TranslateText("Could not perform file seek."));
    last_ = LastAccess::kNone;
}

int64_t YStdFileStream::GetPosition() { return Platform::TellFile(CheckOpen()); }

void YStdFileStream::Flush() {
    // Buffered bytes that cannot be written are a full disk too.
    if (std::fflush(CheckOpen()) != 0)
        throw YException(YFormat(TranslateText("Error writing to file \"{0}\". Probably disk full.")).Arg(path_));
}

bool YStdFileStream::IsEnd() { return GetPosition() >= sizeAtOpen_; }

void YStdFileStream::Truncate() {
    std::FILE* file = CheckOpen();
    std::fflush(file);
    if (!Platform::TruncateFile(file, Platform::TellFile(file)))
        throw YException(YFormat(TranslateText("Error writing to file \"{0}\". Probably disk full.")).Arg(path_));
}

int64_t YStdFileStream::GetSize() {
    std::FILE* file = CheckOpen();
    int64_t position = Platform::TellFile(file);
    if (!Platform::SeekFile(file, 0, SEEK_END)) throw YException(TranslateText("Could not perform file seek."));
    int64_t size = Platform::TellFile(file);
    Platform::SeekFile(file, position, SEEK_SET);
    last_ = LastAccess::kNone;
    return size;
}
