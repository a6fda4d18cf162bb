#include "foundation/YXMLDocument.h"

#include "foundation/YEncoding.h"
#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YFormat.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YXMLParser.h"
#include "foundation/YXMLWriter.h"

YXMLDocument::YXMLDocument(const YString& rootName) : root_(std::make_unique<YXMLItem>(rootName)) {}

std::unique_ptr<YXMLItem> YXMLDocument::TakeRoot() {
    return std::exchange(root_, std::make_unique<YXMLItem>());
}

void YXMLDocument::SetRoot(std::unique_ptr<YXMLItem> root) { root_ = root ? std::move(root) : std::make_unique<YXMLItem>(); }

void YXMLDocument::Load(YStream& stream) { root_ = Read(stream); }

void YXMLDocument::Save(YStream& stream, bool compact, const YString& encoding) const {
    Write(*root_, stream, compact, encoding);
}

std::unique_ptr<YXMLItem> YXMLDocument::Read(YStream& stream) { return YXMLParser().Load(stream); }

void YXMLDocument::Write(const YXMLItem& root, YStream& stream, bool compact, const YString& encoding) {
    const YEncoding::Codec& codec = YEncoding::GetCodec(encoding);
    codec.WriteHeader(stream);
    YXMLWriter writer(stream, codec);
    writer.WriteLine(YFormat("<?xml version=\"1.0\" encoding=\"{0}\"?>").Arg(encoding));
    writer.Write(root, compact);
    writer.Flush();
}

std::unique_ptr<YXMLItem> YXMLDocument::ReadFile(const YString& path) {
    YStdFileStream stream(path, YStdFileStream::kRead);
    return Read(stream);
}

void YXMLDocument::WriteFile(const YXMLItem& root, const YString& path) {
    const YString temporary = path + YString(".new");
    try {
        YStdFileStream stream(temporary, YStdFileStream::kWrite | YStdFileStream::kCreate);
        Write(root, stream, false, "utf-8");
        stream.Flush();
        stream.Close();
        YFile::Replace(temporary, path);
    } catch (...) {
        if (YFile::Exists(temporary) && !YFile::IsDirectory(temporary)) {
            try {
                YFile::Delete(temporary);
            } catch (const YException&) {
            }
        }
        throw;
    }
}
