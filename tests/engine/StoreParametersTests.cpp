#include "engine/YAudioEffectPlugin.h"
#include "foundation/YStoreArchive.h"
#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

// One definition of every stored kind.
class StoredEffect : public YPlugin {
public:
    static inline const YString kShapes[3] = {"Linear", "Squared", "Logarithmic"};
    enum { kWet, kFrequency, kStages, kShape, kInvert, kSync, kName, kCount };

    StoredEffect() {
        table[kWet] = FloatParameter("Dry/wet", "Depth", 0.0, 1.0, 0.4);
        table[kFrequency] = FloatParameter("Min", "MinFreq", std::log10(20.0), std::log10(20000.0), std::log10(400.0));
        table[kStages] = IntegerParameter("Mode", "delays", 1, 100, 10);
        table[kShape] = EnumParameter("Shape mode", "ShapeMode", kShapes, 3, 0);
        table[kInvert] = BooleanParameter("Invert", "InvertFeedback", false);
        table[kSync] = BooleanParameter("Synchronization", "sync", false);
        table[kSync].kind = ParameterKind::ExternalBoolean;
        table[kName] = FloatParameter("Name", "name", 0.0, 0.0, 0.0);
        table[kName].kind = ParameterKind::Text;
        definitions_ = table.data();
        definitionCount_ = kCount;
    }
    YRelaxed<bool>* ExternalSwitch(int32_t index) override { return index == kSync ? &sync : nullptr; }
    void Store(YXMLItem& element, bool loading) {
        YStoreArchive archive(element, loading);
        StoreParameters(archive);
    }
    double Value(int index) const { return table[index].value.Load(); }

    std::array<ParameterDefinition, kCount> table;
    YRelaxed<bool> sync{false};
};

TEST(StoreParameters, DefaultsAreLeftOutAndEveryKindRoundTrips) {
    StoredEffect effect;
    YXMLItem element("settings");
    element.SetAttribute("parameterDepth", "0.9");  // left by an earlier save
    effect.Store(element, false);
    EXPECT_EQ(element.GetAttributeCount(), 0u);

    effect.table[StoredEffect::kWet].Write(0.123456789012345);
    effect.table[StoredEffect::kShape].Write(2);
    effect.sync = true;
    effect.table[StoredEffect::kName].text = "abc";
    effect.Store(element, false);
    EXPECT_EQ(element.GetAttribute("parameterDepth"), YString("0.123456789012"));
    EXPECT_EQ(element.GetAttribute("parameterShapeModeEnum"), YString("Logarithmic"));
    StoredEffect loaded;
    loaded.Store(element, true);
    EXPECT_EQ(loaded.Value(StoredEffect::kWet), 0.123456789012);
    EXPECT_EQ(loaded.Value(StoredEffect::kShape), 2.0);
    EXPECT_TRUE(loaded.sync);
    EXPECT_EQ(loaded.Value(StoredEffect::kSync), 1.0);  // as the parameter object keeps it
    EXPECT_EQ(loaded.table[StoredEffect::kName].text, YString("abc"));
}

// Loading holds values to their ranges, reads item names without case, takes the
// defaults for what is missing and leaves the flags alone.
TEST(StoreParameters, LoadingHoldsRangesAndTakesDefaultsButLeavesTheFlags) {
    StoredEffect effect;
    effect.table[StoredEffect::kWet].SetFlag(0, 1, true);
    effect.table[StoredEffect::kWet].SetFlag(0, ParameterDefinition::kMarksDirtyBit, false);
    effect.table[StoredEffect::kStages].SetFlag(1, ParameterDefinition::kEnabledBit, false);
    auto flags = [&] {
        std::array<uint8_t, 4 * StoredEffect::kCount> all{};
        for (int i = 0; i < 4 * StoredEffect::kCount; ++i) all[i] = effect.table[i / 4].flags[i % 4].Load();
        return all;
    };
    const auto before = flags();
    YXMLItem element("settings");
    element.SetAttribute("parameterDepth", "2.5");
    element.SetAttribute("parameterdelays", "1000");
    element.SetAttribute("parameterShapeModeEnum", "sQuArEd");
    element.SetAttribute("parametersync", "1");
    effect.Store(element, true);
    EXPECT_EQ(effect.Value(StoredEffect::kWet), 1.0);
    EXPECT_EQ(effect.Value(StoredEffect::kStages), 100.0);
    EXPECT_EQ(effect.Value(StoredEffect::kShape), 1.0);
    EXPECT_EQ(flags(), before);
    element.SetAttribute("parameterShapeModeEnum", "Cubic");  // unknown: the first item
    effect.Store(element, true);
    EXPECT_EQ(effect.Value(StoredEffect::kShape), 0.0);

    YXMLItem empty("settings");
    effect.Store(empty, true);
    EXPECT_EQ(effect.Value(StoredEffect::kWet), 0.4);
    EXPECT_EQ(effect.Value(StoredEffect::kStages), 10.0);
    EXPECT_FALSE(effect.sync);
    // log10 400 = 2.60205999..., as its 6-decimal text reads back.
    EXPECT_EQ(effect.Value(StoredEffect::kFrequency), 2.60206);
}

}  // namespace
