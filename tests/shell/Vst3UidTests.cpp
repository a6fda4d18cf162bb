// Interface IDs and result codes are where the two targets differ. A host compares
// the 16 ID bytes it passes to queryInterface with ours, so the byte order must be
// the target's: the COM GUID layout on Windows, plain big-endian words on Linux.

#include "shell/vst3/FUnknown.h"
#include "shell/vst3/IPluginFactory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <unknwn.h>
#endif

namespace {

using namespace Vst3;

std::vector<unsigned char> Bytes(const char* uid) { return std::vector<unsigned char>(uid, uid + 16); }

// IPluginFactory's ID: 7A4D811C 52114A1F AED9D2EE 0B43BF9F.
TEST(Vst3Uid, PublishedWordsBecomeTheTargetsBytes) {
    const std::vector<unsigned char> plain = {0x7A, 0x4D, 0x81, 0x1C, 0x52, 0x11, 0x4A, 0x1F,
                                              0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F};
    const std::vector<unsigned char> com = {0x1C, 0x81, 0x4D, 0x7A, 0x11, 0x52, 0x1F, 0x4A,
                                            0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F};
    EXPECT_EQ(Bytes(MakeUidPlainLayout(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F)), plain);
    EXPECT_EQ(Bytes(MakeUidComLayout(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F)), com);
    EXPECT_EQ(Bytes(IPluginFactory::iid), Platform::kWindowsTarget ? com : plain);
    // FUnknown's ID has zeros where the layouts differ: identical on both targets.
    EXPECT_EQ(Bytes(FUnknown::iid), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46}));
}

TEST(Vst3Uid, EqualityLooksAtAllSixteenBytes) {
    for (std::size_t changed : {0u, 15u}) {
        Uid a = IPluginFactory::iid;
        EXPECT_TRUE(UidEqual(a, IPluginFactory::iid));
        a.bytes[changed] ^= 1;
        EXPECT_FALSE(UidEqual(a, IPluginFactory::iid)) << changed;
    }
}

#if defined(_WIN32)
// On Windows the system's own GUID record, IUnknown's ID and the HRESULTs must agree with ours.
TEST(Vst3Uid, MatchesTheSystemGuidLayout) {
    const GUID factory = {0x7A4D811C, 0x5211, 0x4A1F, {0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F}};
    EXPECT_EQ(std::memcmp(&factory, IPluginFactory::iid.data(), 16), 0);
    EXPECT_EQ(std::memcmp(&__uuidof(IUnknown), FUnknown::iid.data(), 16), 0);
}
static_assert(kResultOk == S_OK && kResultFalse == S_FALSE && kNoInterface == E_NOINTERFACE &&
              kInvalidArgument == E_INVALIDARG && kNotImplemented == E_NOTIMPL && kInternalError == E_FAIL &&
              kNotInitialized == E_UNEXPECTED && kOutOfMemory == E_OUTOFMEMORY);
#else
static_assert(kNoInterface == -1 && kResultOk == 0 && kResultFalse == 1 && kInvalidArgument == 2 &&
              kNotImplemented == 3 && kInternalError == 4 && kNotInitialized == 5 && kOutOfMemory == 6);
#endif

}  // namespace
