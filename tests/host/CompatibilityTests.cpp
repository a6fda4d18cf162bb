// What a host needs to put the VST 3 plug-in where a project had the VST 2 one: the
// bundle's moduleinfo.json and the factory's compatibility class say which VST 2
// plug-in it replaces, and the VST 2 chunk opens in the VST 3 instance unchanged.
#include "HostTestSupport.h"

#include "support/JsonReader.h"

#include "host/YVst3HostObjects.h"
#include "shell/vst2/VstOpcodes.h"
#include "shell/vst3/IPluginCompatibility.h"
#include "shell/vst3/Vst3Text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

using namespace HostTest;

namespace {

// A class ID as hosts write it: the four published words in hexadecimal. On Windows
// the bytes are in the COM layout, so the text of the same bytes differs there.
std::string UidText(const char* bytes) {
    static constexpr int kPlain[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    static constexpr int kCom[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    const int* order = Platform::kWindowsTarget ? kCom : kPlain;
    std::string text;
    char pair[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(static_cast<uint8_t>(bytes[order[i]])));
        text += pair;
    }
    return text;
}

// The class ID a VST 3 host derives for a VST 2 plug-in, from what the VST 2 plug-in
// itself answers: "VST", its unique identifier, nine characters of its name in lower case.
std::string Vst2ClassText(YVst2HostedPlugin& plugin) {
    char name[Vst2::kVstMaxEffectNameLen + 1] = {};
    plugin.Dispatch(Vst2::effGetEffectName, 0, 0, name);
    char text[40];
    std::snprintf(text, sizeof text, "%06X%08X", ('V' << 16) | ('S' << 8) | 'T',
                  static_cast<unsigned>(plugin.Effect()->uniqueID));
    std::string result = text;
    for (int i = 0; i < 9; ++i) {
        const auto c = static_cast<unsigned char>(i < static_cast<int>(std::strlen(name)) ? name[i] : 0);
        std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(std::tolower(c)));
        result += text;
    }
    return result;
}

std::string Joined(const TestJson::Value& array) {
    std::string text;
    for (const TestJson::Value& item : array.items) text += (text.empty() ? "" : "|") + item.text;
    return text;
}

class Compatibility : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!PluginBuilt(GetParam())) GTEST_SKIP() << GetParam() << " is not built";
        library = Load(GetParam());
        ASSERT_TRUE(library);
        auto getFactory = reinterpret_cast<Vst3::GetFactoryProc>(library->Symbol("GetPluginFactory"));
        ASSERT_NE(getFactory, nullptr);
        factory = Vst3::YVst3Ptr<Vst3::IPluginFactory>(getFactory());
        ASSERT_TRUE(factory);
    }

    TestJson::Value ModuleInfo() {
        std::ifstream file(PluginBundle(GetParam()).ToUtf8() + "/Contents/Resources/moduleinfo.json", std::ios::binary);
        EXPECT_TRUE(file) << "the bundle has no moduleinfo.json";
        std::stringstream text;
        text << file.rdbuf();
        return TestJson::Parse(text.str());
    }

    // The factory's compatibility list, read as a host reads it.
    TestJson::Value FactoryCompatibility() {
        for (int32_t i = 0; i < factory->countClasses(); ++i) {
            Vst3::PClassInfo info{};
            EXPECT_EQ(factory->getClassInfo(i, &info), Vst3::kResultOk);
            if (std::strcmp(info.category, Vst3::kPluginCompatibilityClass) != 0) continue;
            Vst3::YVst3Ptr<Vst3::IPluginCompatibility> compatibility;
            EXPECT_EQ(factory->createInstance(info.cid, Vst3::IPluginCompatibility::iid, compatibility.Out()), Vst3::kResultOk);
            if (!compatibility) return {};
            Vst3::YVst3Ptr<YVst3Host::MemoryStream> stream(new YVst3Host::MemoryStream);
            EXPECT_EQ(compatibility->getCompatibilityJSON(stream.Get()), Vst3::kResultTrue);
            EXPECT_EQ(compatibility->getCompatibilityJSON(nullptr), Vst3::kInvalidArgument);
            const std::vector<uint8_t>& bytes = stream->Bytes();
            return TestJson::Parse(std::string(bytes.begin(), bytes.end()));
        }
        ADD_FAILURE() << "the factory has no compatibility class";
        return {};
    }

    std::shared_ptr<YPluginLibrary> library;
    Vst3::YVst3Ptr<Vst3::IPluginFactory> factory;
};

TEST_P(Compatibility, ModuleInfoDescribesWhatTheFactoryAnswers) {
    const TestJson::Value info = ModuleInfo();
    Vst3::PFactoryInfo factoryInfo{};
    ASSERT_EQ(factory->getFactoryInfo(&factoryInfo), Vst3::kResultOk);
    EXPECT_EQ(info["Factory Info"]["Vendor"].text, factoryInfo.vendor);
    EXPECT_EQ(info["Factory Info"]["URL"].text, factoryInfo.url);
    EXPECT_EQ(info["Factory Info"]["E-Mail"].text, factoryInfo.email);
    const TestJson::Value& flags = info["Factory Info"]["Flags"];
    EXPECT_EQ(flags["Unicode"].boolean, (factoryInfo.flags & Vst3::PFactoryInfo::kUnicode) != 0);
    EXPECT_EQ(flags["Classes Discardable"].boolean, (factoryInfo.flags & Vst3::PFactoryInfo::kClassesDiscardable) != 0);
    EXPECT_EQ(flags["Component Non Discardable"].boolean,
              (factoryInfo.flags & Vst3::PFactoryInfo::kComponentNonDiscardable) != 0);

    auto factory2 = Vst3::YVst3Ptr<Vst3::IPluginFactory2>::Query(factory.Get());
    ASSERT_TRUE(factory2);
    const TestJson::Value& classes = info["Classes"];
    ASSERT_EQ(classes.items.size(), static_cast<std::size_t>(factory->countClasses()));
    for (int32_t i = 0; i < factory->countClasses(); ++i) {
        Vst3::PClassInfo2 answer{};
        ASSERT_EQ(factory2->getClassInfo2(i, &answer), Vst3::kResultOk);
        const TestJson::Value& entry = classes.items[static_cast<std::size_t>(i)];
        SCOPED_TRACE(answer.name);
        EXPECT_EQ(entry["CID"].text, UidText(answer.cid));
        EXPECT_EQ(entry["Category"].text, answer.category);
        EXPECT_EQ(entry["Name"].text, answer.name);
        // An empty class vendor means the factory's.
        EXPECT_EQ(entry["Vendor"].text, answer.vendor[0] ? answer.vendor : factoryInfo.vendor);
        EXPECT_EQ(entry["Version"].text, answer.version);
        EXPECT_EQ(entry["SDKVersion"].text, answer.sdkVersion);
        EXPECT_EQ(Joined(entry["Sub Categories"]), answer.subCategories);
        EXPECT_EQ(entry["Class Flags"].number, answer.classFlags);
        EXPECT_EQ(entry["Cardinality"].number, answer.cardinality);
    }
    Vst3::PClassInfo2 audio{};
    ASSERT_EQ(factory2->getClassInfo2(0, &audio), Vst3::kResultOk);
    EXPECT_EQ(info["Name"].text, audio.name);
    EXPECT_EQ(info["Version"].text, audio.version);
}

TEST_P(Compatibility, TheAudioClassReplacesTheVst2PluginInBothLists) {
    auto vst2 = MakeVst2(library);
    ASSERT_TRUE(vst2);
    const std::string old = Vst2ClassText(*vst2);
    EXPECT_EQ(old.substr(0, 16), "5653545941653576");  // "VST", "YAe5", then the name
    Vst3::PClassInfo audio{};
    ASSERT_EQ(factory->getClassInfo(0, &audio), Vst3::kResultOk);
    ASSERT_STREQ(audio.category, "Audio Module Class");

    for (const TestJson::Value& list : {ModuleInfo()["Compatibility"], FactoryCompatibility()}) {
        ASSERT_EQ(list.kind, TestJson::Value::Kind::Array);
        ASSERT_EQ(list.items.size(), 1u);
        EXPECT_EQ(list.items[0]["New"].text, UidText(audio.cid));
        ASSERT_EQ(list.items[0]["Old"].items.size(), 1u);
        EXPECT_EQ(list.items[0]["Old"].items[0].text, old);
    }
}

INSTANTIATE_TEST_SUITE_P(Libraries, Compatibility, ::testing::Values(kTestPlugin, kProduct));

// A project saved with the VST 2 version, reopened with the VST 3 one: every setting
// comes back, and the audio is the same to the bit as the VST 2 version's.
TEST(Vst2ToVst3, AProjectSavedWithVst2OpensInVst3Unchanged) {
    if (!PluginBuilt(kProduct)) GTEST_SKIP() << kProduct << " is not built";
    auto library = Load(kProduct);
    ASSERT_TRUE(library);
    constexpr double kRate = 44100.0;
    constexpr int32_t kBlock = 256;
    YByteBuffer project;
    std::vector<YHostedParameter> parameters;
    {
        auto saved = MakeVst2(library);
        ASSERT_TRUE(saved && saved->Prepare(kRate, kBlock, 2, 2));
        parameters = saved->Parameters();
        ASSERT_GT(parameters.size(), 12u);
        // Every parameter away from its default, as a session leaves them.
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            if (parameters[i].isBypass) continue;
            saved->SetParameter(parameters[i].id, std::fmod(parameters[i].defaultValue + 0.37 + 0.13 * static_cast<double>(i % 5), 1.0));
        }
        ProcessSignal(*saved, kBlock);
        project = saved->GetState();
    }
    auto reopened2 = MakeVst2(library);
    auto reopened3 = MakeVst3(library);
    ASSERT_TRUE(reopened2 && reopened3);
    ASSERT_TRUE(reopened2->Prepare(kRate, kBlock, 2, 2));
    ASSERT_TRUE(reopened3->Prepare(kRate, kBlock, 2, 2));
    ASSERT_TRUE(reopened2->SetState(project));
    ASSERT_TRUE(reopened3->SetState(project));

    // Every VST 2 parameter is the VST 3 parameter of the same id (VST 3 has more: the
    // MIDI controller assignments), with the same value and text.
    const std::vector<YHostedParameter> parameters3 = reopened3->Parameters();
    for (const YHostedParameter& parameter : parameters) {
        const auto same = std::find_if(parameters3.begin(), parameters3.end(),
                                       [&](const YHostedParameter& p) { return p.id == parameter.id; });
        ASSERT_NE(same, parameters3.end()) << parameter.name.ToUtf8();
        EXPECT_EQ(same->name, parameter.name);
        // VST 2 hands values over as floats.
        EXPECT_NEAR(reopened3->GetParameter(parameter.id), reopened2->GetParameter(parameter.id), 1e-7)
            << parameter.name.ToUtf8();
        EXPECT_EQ(reopened3->ValueText(parameter.id).ToUtf8(), reopened2->ValueText(parameter.id).ToUtf8())
            << parameter.name.ToUtf8();
    }

    bool differsFromInput = false;
    for (int block = 0; block < 16; ++block) {
        Signal signal(kBlock, block * kBlock);
        std::vector<float> left2(kBlock), right2(kBlock), left3(kBlock), right3(kBlock);
        const float* in[2] = {signal.channels[0].data(), signal.channels[1].data()};
        float* out2[2] = {left2.data(), right2.data()};
        float* out3[2] = {left3.data(), right3.data()};
        reopened2->Process(in, out2, kBlock);
        reopened3->Process(in, out3, kBlock);
        ASSERT_EQ(std::memcmp(left2.data(), left3.data(), sizeof(float) * kBlock), 0) << "block " << block;
        ASSERT_EQ(std::memcmp(right2.data(), right3.data(), sizeof(float) * kBlock), 0) << "block " << block;
        for (int32_t i = 0; i < kBlock; ++i) differsFromInput |= std::fabs(left2[i] - signal.channels[0][i]) > 0.01f;
    }
    EXPECT_TRUE(differsFromInput);
    // The VST 3 instance saves what it was given.
    ProcessSignal(*reopened3, kBlock);
    const YByteBuffer resaved = reopened3->GetState();
    ASSERT_EQ(resaved.Size(), project.Size());
    EXPECT_EQ(std::memcmp(resaved.Data(), project.Data(), project.Size()), 0);
}

}  // namespace
