// Any bytes as a stored XML document: read, or refused with YException. A document
// that reads writes out as text that reads back to the same text (unless it holds
// control characters).
#include "FuzzTarget.h"

#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <cstring>

namespace {

YByteBuffer Written(const YXMLItem& root) {
    YMemoryStream out;
    YXMLDocument::Write(root, out);
    return out.GetBuffer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    YMemoryStream in(YByteBuffer::Borrow(data, size));
    std::unique_ptr<YXMLItem> root;
    try {
        root = YXMLDocument::Read(in);
    } catch (const YException&) {
        return 0;
    }
    FuzzCheck(root != nullptr, "a document read has a root");
    const YByteBuffer first = Written(*root);
    YMemoryStream again(first);
    std::unique_ptr<YXMLItem> reread;
    try {
        reread = YXMLDocument::Read(again);
    } catch (const YException&) {
        FuzzCheck(false, "what the writer wrote reads back");
    }
    // The reader trims control characters at the ends of a text, as it trims blanks,
    // while the writer writes them as they are (undecodable input bytes read as
    // U+0001): such a document is only required to read back.
    for (uint32_t i = 0; i < first.Size(); ++i)
        if (first.Data()[i] < 0x20 && first.Data()[i] != '\t' && first.Data()[i] != '\n' && first.Data()[i] != '\r') return 0;
    const YByteBuffer second = Written(*reread);
    FuzzCheck(first.Size() == second.Size() && std::memcmp(first.Data(), second.Data(), first.Size()) == 0,
              "a document written, read and written again is the same text");
    return 0;
}
