// Any bytes as a stored XML document: read, or refused with YException. A document
// that reads writes out as text that reads back to the same text.
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
    const YByteBuffer second = Written(*reread);
    FuzzCheck(first.Size() == second.Size() && std::memcmp(first.Data(), second.Data(), first.Size()) == 0,
              "a document written, read and written again is the same text");
    return 0;
}
