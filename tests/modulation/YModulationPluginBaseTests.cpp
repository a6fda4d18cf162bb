#include "LfoTestEffect.h"

#include "foundation/YStoreArchive.h"
#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr double kFs = 48000.0;
using Sync = YAudioPluginHostSync;

HostTransport At(double tempo, double position) { return HostTransport{tempo, position}; }

// Cycles per whole note that a length's name means: "n" one every n whole notes,
// "1 / n" n of them.
double CyclesOfName(const YString& name) {
    const std::string text = name.ToUtf8();
    return text.rfind("1 / ", 0) == 0 ? std::stod(text.substr(4)) : 1.0 / std::stod(text);
}

class ModulationBase : public ::testing::Test {
protected:
    void SetUp() override {
        effect->AttachHost(nullptr, &mutex);
        effect->Prepare(2, kFs);
        effect->UpdateFromParameters();
    }
    void Set(int32_t index, double value) {
        effect->Definition(index).Write(value);
        effect->UpdateFromParameters();
    }
    void SetSync(bool on) {
        effect->HostSynchronization().SetSynchronised(on);
        effect->UpdateFromParameters();
    }
    double SyncedHertz(double tempo) {
        double phase = 0.0;
        effect->HostSyncBlockUpdate(At(tempo, -1.0), phase);
        return effect->PhaseIncrement() * kFs;
    }
    double Rate() { return effect->Definition(LfoTestEffect::kRate).value.Load(); }
    void Store(YXMLItem& element, bool loading) {
        YStoreArchive archive(element, loading);
        effect->StoreParameters(archive);
    }

    YLock mutex;
    std::unique_ptr<LfoTestEffect> effect = std::make_unique<LfoTestEffect>();
};

TEST_F(ModulationBase, SyncTakesTempoAndSongPositionWhenReported) {
    EXPECT_DOUBLE_EQ(effect->PhaseIncrement(), 1.0 / 24000.0);  // the free rate: 2 Hz
    double phase = 0.3;
    effect->HostSyncBlockUpdate(At(120.0, 7.0), phase);  // sync off: the host changes nothing
    EXPECT_EQ(phase, 0.3);

    SetSync(true);
    phase = 0.4;
    effect->HostSyncBlockUpdate(At(-1.0, -1.0), phase);  // neither reported: still the rate's
    EXPECT_DOUBLE_EQ(effect->PhaseIncrement(), 1.0 / 24000.0);
    EXPECT_EQ(phase, 0.4);
    effect->HostSyncBlockUpdate(At(60.0, -0.5), phase);  // tempo only
    EXPECT_DOUBLE_EQ(effect->PhaseIncrement(), 1.0 / kFs);
    EXPECT_EQ(phase, 0.4);
    effect->HostSyncBlockUpdate(At(120.0, 1.5), phase);  // quarter notes at 120 BPM: 2 Hz again
    EXPECT_DOUBLE_EQ(effect->PhaseIncrement(), 1.0 / 24000.0);
    EXPECT_DOUBLE_EQ(phase, 0.75);  // "Phase" 0.25 + 1.5 quarter notes at one cycle per quarter
}

TEST_F(ModulationBase, EveryLengthAndTypeGivesItsNoteValue) {
    SetSync(true);
    const double typeFactors[Sync::kTypeCount] = {1.0, 1.5, 4.0 / 3.0, 1.25};  // straight, triplets, dotted, tuplets
    for (int32_t length = 0; length < Sync::kLengthCount; ++length) {
        for (int32_t type = 0; type < Sync::kTypeCount; ++type) {
            Set(LfoTestEffect::kLength, length);
            Set(LfoTestEffect::kType, type);
            // 90 BPM: 90 / 240 whole notes per second.
            const double hertz = 90.0 / 240.0 * CyclesOfName(Sync::kLengthNames[length]) * typeFactors[type];
            EXPECT_NEAR(SyncedHertz(90.0), hertz, hertz * 1e-12) << length << " " << type;
        }
    }
}

TEST_F(ModulationBase, RateIsEnabledExactlyWhileSyncIsOff) {
    const ParameterDefinition& rate = effect->Definition(LfoTestEffect::kRate);
    EXPECT_TRUE(rate.Enabled());
    SetSync(true);
    EXPECT_FALSE(rate.Enabled());
    effect->UpdateFromParameters();  // unchanged: no second notification
    SetSync(false);
    EXPECT_TRUE(rate.Enabled());
    EXPECT_EQ(effect->stateChanges, (std::vector<int32_t>{LfoTestEffect::kRate, LfoTestEffect::kRate}));
}

TEST_F(ModulationBase, SetAsRateTakesTheSyncedSpeedWithinTheRange) {
    SetSync(true);
    // Quarter notes at 120 BPM: 2 Hz; 1/128 notes at 300 BPM: 160 Hz; a cycle every 128
    // whole notes at 60 BPM.
    const struct {
        int32_t length;
        double tempo, rate;
    } cases[] = {{9, 120.0, std::log10(2.0)}, {14, 300.0, std::log10(20.0)}, {0, 60.0, std::log10(0.01)}};
    for (const auto& c : cases) {
        Set(LfoTestEffect::kLength, c.length);
        SyncedHertz(c.tempo);
        effect->SetRateFromCurrentSpeed();
        EXPECT_NEAR(Rate(), c.rate, c.length == 9 ? 1e-12 : 0.0) << c.length;  // the range ends exactly
    }
}

TEST_F(ModulationBase, SkippingAWholeCycleKeepsThePhase) {
    effect->SetPhase(0.3);
    effect->SkipSamples(24000);
    EXPECT_NEAR(effect->Phase(), 0.3, 1e-9);
    effect->SkipSamples(18000);
    EXPECT_NEAR(effect->Phase(), 0.05, 1e-9);
}

// Splitting a block changes nothing: held by the phaser's one-block-or-many test.
TEST_F(ModulationBase, BlocksSampleTheShapeFromThePhase) {
    effect->Shape().Changed();
    effect->SetPhase(0.25);
    const std::vector<float> block = effect->Run(100);
    for (int32_t i = 0; i < 100; ++i) ASSERT_NEAR(block[i], effect->Shape().Lookup(0.25 + i / 24000.0), 1e-6) << i;

    effect->SetPhase(0.6);
    effect->Prepare(2, 44100.0);  // starts again, under the plug-in mutex
    EXPECT_EQ(effect->Phase(), 0.0);
    EXPECT_EQ(effect->Shape().Lock(), &mutex);
}

TEST_F(ModulationBase, WhileMIDIResetIsOnOnlyTheTempoApplies) {
    SetSync(true);
    effect->MIDIReset().enabled = true;
    effect->SetPhase(0.1);
    effect->Run(10, At(60.0, 3.3));
    EXPECT_NEAR(effect->Phase(), 0.1 + 10.0 / kFs, 1e-15);  // 1 Hz from 60 BPM quarter notes
    effect->MIDIReset().enabled = false;
    effect->Run(10, At(60.0, 3.3));
    EXPECT_NEAR(effect->Phase(), 0.55 + 10.0 / kFs, 1e-12);  // frac(0.25 + 3.3), then the block
}

// The whole state round trip is held in the phaser's document tests; here the two
// forms of the sync length older documents carry.
TEST_F(ModulationBase, LegacySyncLengthsLoad) {
    YXMLItem element("settings");
    element.SetAttribute("parametersynclength", "5");
    Store(element, true);
    EXPECT_EQ(effect->Definition(LfoTestEffect::kLength).value.Load(), 9.0);
    // The later form wins, and the rate update runs again with it.
    element.SetAttribute("parametersynclength_", "4");
    Store(element, true);
    EXPECT_DOUBLE_EQ(effect->HostSynchronization().CyclesPerWholeNote(), 1.0);
}

}  // namespace
