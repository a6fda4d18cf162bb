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

std::vector<unsigned char> Bytes(const char* uid) {
    return std::vector<unsigned char>(uid, uid + 16);
}

// IPluginFactory's ID: 7A4D811C 52114A1F AED9D2EE 0B43BF9F.
const std::vector<unsigned char> kFactoryPlain = {0x7A, 0x4D, 0x81, 0x1C, 0x52, 0x11, 0x4A, 0x1F,
                                                  0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F};
const std::vector<unsigned char> kFactoryCom = {0x1C, 0x81, 0x4D, 0x7A, 0x11, 0x52, 0x1F, 0x4A,
                                                0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F};

TEST(Vst3Uid, PlainLayoutIsFourBigEndianWords) {
    EXPECT_EQ(Bytes(MakeUidPlainLayout(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F)),
              kFactoryPlain);
}

TEST(Vst3Uid, ComLayoutSwapsTheFirstThreeGuidFields) {
    EXPECT_EQ(Bytes(MakeUidComLayout(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F)),
              kFactoryCom);
}

TEST(Vst3Uid, InterfaceIdsUseTheTargetLayout) {
#if defined(_WIN32)
    EXPECT_EQ(Bytes(IPluginFactory::iid), kFactoryCom);
#else
    EXPECT_EQ(Bytes(IPluginFactory::iid), kFactoryPlain);
#endif
    // FUnknown's ID has zeros where the layouts differ: identical on both targets.
    const std::vector<unsigned char> unknown = {0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    EXPECT_EQ(Bytes(FUnknown::iid), unknown);
}

TEST(Vst3Uid, EqualityLooksAtAllSixteenBytes) {
    Uid a = IPluginFactory::iid;
    EXPECT_TRUE(UidEqual(a, IPluginFactory::iid));
    a.bytes[15] ^= 1;
    EXPECT_FALSE(UidEqual(a, IPluginFactory::iid));
    a = IPluginFactory::iid;
    a.bytes[0] ^= 1;
    EXPECT_FALSE(UidEqual(a, IPluginFactory::iid));
    EXPECT_FALSE(UidEqual(IPluginFactory2::iid, IPluginFactory3::iid));
}

#if defined(_WIN32)
// On Windows the system's own GUID record and IUnknown's ID must agree with ours.
TEST(Vst3Uid, MatchesTheSystemGuidLayout) {
    const GUID factory = {0x7A4D811C, 0x5211, 0x4A1F, {0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F}};
    EXPECT_EQ(std::memcmp(&factory, IPluginFactory::iid.data(), 16), 0);
    EXPECT_EQ(std::memcmp(&__uuidof(IUnknown), FUnknown::iid.data(), 16), 0);
}

TEST(Vst3Results, AreTheSystemHresults) {
    EXPECT_EQ(kResultOk, S_OK);
    EXPECT_EQ(kResultFalse, S_FALSE);
    EXPECT_EQ(kNoInterface, E_NOINTERFACE);
    EXPECT_EQ(kInvalidArgument, E_INVALIDARG);
    EXPECT_EQ(kNotImplemented, E_NOTIMPL);
    EXPECT_EQ(kInternalError, E_FAIL);
    EXPECT_EQ(kNotInitialized, E_UNEXPECTED);
    EXPECT_EQ(kOutOfMemory, E_OUTOFMEMORY);
    EXPECT_TRUE(FAILED(kNoInterface));
    EXPECT_FALSE(FAILED(kResultFalse));
}
#else
TEST(Vst3Results, AreSmallNumbersOnLinux) {
    const tresult expected[] = {-1, 0, 1, 2, 3, 4, 5, 6};
    const tresult ours[] = {kNoInterface, kResultOk,      kResultFalse,    kInvalidArgument,
                            kNotImplemented, kInternalError, kNotInitialized, kOutOfMemory};
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(ours[i], expected[i]) << i;
}
#endif

}  // namespace
