#include "HostTestSupport.h"

#include "editor/VortalisEditor.h"

#include "shell/vst2/VstEditor.h"
#include "shell/vst3/IConnectionPoint.h"
#include "shell/vst3/Vst3Text.h"

#include <cstring>
#include <string>

using namespace HostTest;
using namespace Vst2;

namespace {

// The identity every library of the product family answers: run for the test
// plug-in and, once it is built, for Vortalis itself.
class Identity : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!PluginBuilt(GetParam())) GTEST_SKIP() << GetParam() << " is not built";
        library = Load(GetParam());
        ASSERT_TRUE(library);
    }
    std::shared_ptr<YPluginLibrary> library;
};

TEST_P(Identity, TheVst2RecordNamesTheProduct) {
    auto plugin = MakeVst2(library);
    ASSERT_TRUE(plugin);
    AEffect* effect = plugin->Effect();
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(std::memcmp(&effect->magic, "PtsV", 4), 0);
    EXPECT_EQ(std::memcmp(&effect->uniqueID, "5eAY", 4), 0);
    EXPECT_EQ(effect->flags & (effFlagsCanReplacing | effFlagsProgramChunks | effFlagsHasEditor),
              effFlagsCanReplacing | effFlagsProgramChunks | effFlagsHasEditor);
    EXPECT_FALSE(effect->flags & effFlagsCanDoubleReplacing);
    EXPECT_EQ(effect->numPrograms, 0);
    EXPECT_EQ(effect->version, 1);
    EXPECT_FLOAT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(plugin->Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin->Dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(plugin->Dispatch(effGetTailSize), 0);
    EXPECT_EQ(plugin->Dispatch(effGetProgram), 0);
    char text[256] = {};
    plugin->Dispatch(effGetEffectName, 0, 0, text);
    EXPECT_STREQ(text, "Vortalis");
    plugin->Dispatch(effGetProductString, 0, 0, text);
    EXPECT_STREQ(text, "Vortalis");
    plugin->Dispatch(effGetVendorString, 0, 0, text);
    EXPECT_STREQ(text, "Yorvane");
    plugin->Dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "");
    // The product's editor has its size (the stored default size, which other programs
    // may set, or its own, never below its minimum); the test plug-in has none. Neither
    // opens in a host window without a window layer.
    ERect* rect = reinterpret_cast<ERect*>(1);
    if (std::string(GetParam()) == "Vortalis") {
        ASSERT_EQ(plugin->Dispatch(effEditGetRect, 0, 0, &rect), 1);
        EXPECT_GE(rect->right - rect->left, VortalisEditor::kMinimumWidth);
        EXPECT_GE(rect->bottom - rect->top, VortalisEditor::kMinimumHeight);
    } else {
        EXPECT_EQ(plugin->Dispatch(effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(rect, nullptr);
    }
    EXPECT_EQ(plugin->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
    EXPECT_EQ(plugin->Dispatch(effEditKeyDown, 'a'), 0);
}

TEST_P(Identity, CanDoAnswers) {
    auto plugin = MakeVst2(library);
    ASSERT_TRUE(plugin);
    auto canDo = [&](const char* text) {
        std::string query = text;
        return plugin->Dispatch(effCanDo, 0, 0, query.data());
    };
    for (const char* yes : {"plugAsChannelInsert", "canMono", "plugAsSend", "receiveVstTimeInfo"}) EXPECT_EQ(canDo(yes), 1) << yes;
    EXPECT_EQ(canDo("bypass"), -1);
    EXPECT_EQ(canDo("offline"), 0);
    EXPECT_EQ(canDo(""), 0);
    EXPECT_EQ(plugin->Dispatch(effSetBypass, 0, 1), 0);
    // MIDI answers come in fours and agree with each other.
    const VstIntPtr receives = canDo("receiveVstEvents");
    for (const char* same : {"receiveVstEvent", "receiveVstMidiEvents", "receiveVstMidiEvent"}) EXPECT_EQ(canDo(same), receives);
    const VstIntPtr sends = canDo("sendVstEvents");
    for (const char* same : {"sendVstEvent", "sendVstMidiEvents", "sendVstMidiEvent"}) EXPECT_EQ(canDo(same), sends);
    EXPECT_NE(receives, 0);
    EXPECT_NE(sends, 0);
}

TEST_P(Identity, TheFactoryDescribesTheAudioEffectAndCompatibilityClasses) {
    auto getFactory = reinterpret_cast<Vst3::GetFactoryProc>(library->Symbol("GetPluginFactory"));
    ASSERT_NE(getFactory, nullptr);
    Vst3::YVst3Ptr<Vst3::IPluginFactory> factory(getFactory());
    ASSERT_TRUE(factory);
    Vst3::PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), Vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "Yorvane");
    EXPECT_EQ(std::string(info.url).rfind("https://", 0), 0u);
    EXPECT_NE(std::strchr(info.email, '@'), nullptr);
    EXPECT_EQ(info.flags, 16);
    ASSERT_EQ(factory->countClasses(), 2);

    Vst3::PClassInfo basic{};
    ASSERT_EQ(factory->getClassInfo(0, &basic), Vst3::kResultOk);
    EXPECT_EQ(std::memcmp(basic.cid, "YorvTagXYAe5YAe5", 16), 0);
    EXPECT_EQ(basic.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(basic.category, "Audio Module Class");
    EXPECT_STREQ(basic.name, "Vortalis");
    ASSERT_EQ(factory->getClassInfo(1, &basic), Vst3::kResultOk);
    EXPECT_EQ(std::memcmp(basic.cid, "YorvTagXYAe5Comp", 16), 0);
    EXPECT_STREQ(basic.category, "Plugin Compatibility Class");
    EXPECT_EQ(factory->getClassInfo(2, &basic), Vst3::kInvalidArgument);

    auto factory2 = Vst3::YVst3Ptr<Vst3::IPluginFactory2>::Query(factory.Get());
    ASSERT_TRUE(factory2);
    Vst3::PClassInfo2 extended{};
    ASSERT_EQ(factory2->getClassInfo2(0, &extended), Vst3::kResultOk);
    EXPECT_STREQ(extended.subCategories, "Fx|Modulation");
    EXPECT_STREQ(extended.vendor, "");
    EXPECT_STREQ(extended.version, "7.10");
    EXPECT_STREQ(extended.sdkVersion, "VST 3.5.2");
    EXPECT_EQ(extended.classFlags, 0u);

    auto factory3 = Vst3::YVst3Ptr<Vst3::IPluginFactory3>::Query(factory.Get());
    ASSERT_TRUE(factory3);
    Vst3::PClassInfoW wide{};
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &wide), Vst3::kResultOk);
    EXPECT_EQ(Vst3::TextFrom(wide.name), YString("Vortalis"));
    EXPECT_EQ(Vst3::TextFrom(wide.version), YString("7.10"));
    EXPECT_EQ(Vst3::TextFrom(wide.sdkVersion), YString("VST 3.5.2"));
    EXPECT_STREQ(wide.subCategories, "Fx|Modulation");
}

TEST_P(Identity, TheFactoryRefusesWhatItDoesNotMake) {
    auto getFactory = reinterpret_cast<Vst3::GetFactoryProc>(library->Symbol("GetPluginFactory"));
    Vst3::YVst3Ptr<Vst3::IPluginFactory> factory(getFactory());
    ASSERT_TRUE(factory);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->createInstance("NoSuchClassXXXXX", Vst3::IComponent::iid, &object), Vst3::kNoInterface);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->createInstance("YorvTagXYAe5YAe5", Vst3::IConnectionPoint::iid, &object), Vst3::kNoInterface);
    EXPECT_EQ(object, nullptr);
    Vst3::YVst3Ptr<Vst3::IComponent> component;
    ASSERT_EQ(factory->createInstance("YorvTagXYAe5YAe5", Vst3::IComponent::iid, component.Out()), Vst3::kResultOk);
    EXPECT_TRUE(component);
}

INSTANTIATE_TEST_SUITE_P(Libraries, Identity, ::testing::Values(kTestPlugin, kProduct));

}  // namespace
