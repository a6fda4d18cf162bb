// Any bytes as hexadecimal text: the bytes it spells, or YException for a character
// that is not a digit. What it spells writes back as text that reads to the same bytes.
#include "FuzzTarget.h"

#include "foundation/YException.h"
#include "foundation/YHexaStream.h"
#include "foundation/YMemoryStream.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    YMemoryStream text(YByteBuffer::Borrow(data, size));
    YHexaStream hexa(&text);
    std::vector<uint8_t> bytes;
    try {
        uint8_t piece[300];
        // Pieces of an odd size cross the reader's own 128-byte pieces.
        while (const uint32_t got = hexa.Read(piece, sizeof piece - 1 - bytes.size() % 7)) {
            FuzzCheck(got <= sizeof piece, "a read fills no more than asked");
            bytes.insert(bytes.end(), piece, piece + got);
        }
    } catch (const YException&) {
        return 0;
    }
    FuzzCheck(bytes.size() == size / 2, "two digits a byte");
    YMemoryStream written;
    YHexaStream(&written).Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    YMemoryStream back(written.GetBuffer());
    YHexaStream reader(&back);
    std::vector<uint8_t> again(bytes.size() + 1);
    const uint32_t got = reader.Read(again.data(), static_cast<uint32_t>(again.size()));
    again.resize(got);
    FuzzCheck(again == bytes, "bytes written as text read back the same");
    return 0;
}
