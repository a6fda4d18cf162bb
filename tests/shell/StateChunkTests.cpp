#include "RoadTestPlugin.h"

#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YZLibStream.h"
#include "shell/YStateChunk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A plug-in whose whole state is two settings, and which counts its loads.
class StoringPlugin : public RoadTestPlugin {
public:
    double depth = 0.25;
    YString label = "first";
    int loads = 0;

    void Store(YStoreArchive& archive) override {
        archive.Number("depth", depth, 0.0);
        archive.Text("label", label, YString());
        if (archive.Loading()) ++loads;
    }
};

std::vector<uint8_t> Bytes(const YByteBuffer& buffer) { return {buffer.Data(), buffer.Data() + buffer.Size()}; }

std::string Inflate(const YByteBuffer& chunk) {
    YMemoryStream memory(chunk);
    YZLibStream zlib(&memory, false);
    std::string text;
    char piece[256];
    while (uint32_t got = zlib.Read(piece, sizeof piece)) text.append(piece, got);
    return text;
}

TEST(StateChunk, IsAZlibStreamOfTheSettingsDocument) {
    StoringPlugin plugin;
    const std::string text = Inflate(YStateChunk::Save(plugin));  // the zlib header is checked on the binaries
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u) << text;
    EXPECT_NE(text.find("<settings"), std::string::npos);
    EXPECT_NE(text.find("depth=\"0.25\""), std::string::npos);
    EXPECT_NE(text.find("label=\"first\""), std::string::npos);
}

class CorruptChunk : public ::testing::TestWithParam<int> {};

// Every kind of damage raises before the plug-in sees anything.
TEST_P(CorruptChunk, NeverReachesThePlugin) {
    StoringPlugin source;
    source.depth = 0.5;
    std::vector<uint8_t> bytes = Bytes(YStateChunk::Save(source));
    switch (GetParam()) {
        case 0: bytes.resize(bytes.size() / 2); break;                     // cut short
        case 1: bytes[bytes.size() / 2] ^= 0x5A; break;                    // flipped bits
        case 2: bytes.assign({'<', 's', 'e', 't', '/', '>'}); break;       // not compressed
        case 3: bytes.clear(); break;                                      // empty
        case 4: {                                                          // compressed, not XML
            YMemoryStream memory;
            YZLibStream zlib(&memory, true, 100);
            zlib.Write("<settings depth=\"0.9\"", 21);
            zlib.Finish();
            bytes = Bytes(memory.GetBuffer());
            break;
        }
    }
    StoringPlugin target;
    EXPECT_THROW(YStateChunk::Load(target, bytes.data(), static_cast<uint32_t>(bytes.size())), YException);
    EXPECT_EQ(target.loads, 0);
    EXPECT_DOUBLE_EQ(target.depth, 0.25);
}

INSTANTIATE_TEST_SUITE_P(Damage, CorruptChunk, ::testing::Range(0, 5));

}  // namespace
