// Any bytes as a zlib stream: what it inflates to, or YException. And any bytes
// deflated, then inflated, come back the same.
#include "FuzzTarget.h"

#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YZLibStream.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A small stream may inflate to a great deal: 16 MB is enough to show the reader works.
    constexpr size_t kEnough = 16u << 20;
    try {
        YMemoryStream compressed(YByteBuffer::Borrow(data, size));
        YZLibStream inflate(&compressed, false);
        static std::vector<uint8_t> piece(65536);
        size_t total = 0;
        while (total < kEnough) {
            const uint32_t got = inflate.Read(piece.data(), static_cast<uint32_t>(piece.size()));
            if (got == 0) break;
            FuzzCheck(got <= piece.size(), "a read fills no more than asked");
            total += got;
        }
    } catch (const YException&) {
    }

    YMemoryStream packed;
    {
        YZLibStream deflate(&packed, true, static_cast<int>(size % 101));
        deflate.Write(data, static_cast<uint32_t>(size));
        deflate.Finish();
    }
    YMemoryStream source(packed.GetBuffer());
    YZLibStream inflate(&source, false);
    std::vector<uint8_t> back(size + 1);
    size_t total = 0;
    while (const uint32_t got = inflate.Read(back.data() + total, static_cast<uint32_t>(back.size() - total))) {
        total += got;
        if (total == back.size()) break;
    }
    FuzzCheck(total == size && std::equal(data, data + size, back.begin()), "deflated bytes inflate to themselves");
    return 0;
}
