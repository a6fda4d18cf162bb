// Any stored shape (the shape's element of a saved state, as XML text): its settings
// load, or the text is refused, and whatever loads renders a finite table.
#include "FuzzTarget.h"

#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YXMLDocument.h"
#include "modulation/YSignalGenerator.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    YMemoryStream in(YByteBuffer::Borrow(data, size));
    std::unique_ptr<YXMLItem> root;
    try {
        root = YXMLDocument::Read(in);
    } catch (const YException&) {
        return 0;
    }
    YSignalGenerator shape;
    try {
        YStoreArchive archive(*root, true);
        shape.Store(archive);
    } catch (const YException&) {
    }
    shape.Render();
    const float* table = shape.Table();
    for (int32_t i = 0; i <= YSignalGenerator::kSize; ++i) FuzzCheck(std::isfinite(table[i]), "a finite shape table");
    return 0;
}
