#include "engine/YYorvaneAudioEffectPlugin.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>

namespace {
YString ProgramChildName(int32_t index) { return YFormat("Preset{0}").Arg(index); }
}  // namespace

const YXMLItem* YYorvaneAudioEffectPlugin::Program(int32_t index) const {
    if (index < 0 || index >= kProgramCount || index == currentProgram_) return nullptr;
    return programs_[index].get();
}

void YYorvaneAudioEffectPlugin::Store(YStoreArchive& archive) {
    YXMLItem& element = archive.Element();
    if (archive.Saving()) {
        int32_t factor = UpsamplingFactor(), highQuality = HighQualityUpsampling() ? 1 : 0, agc = AGC() ? 1 : 0;
        archive.IntegerAlways("upsampling", factor);
        archive.IntegerAlways("hqupsampling", highQuality);
        archive.IntegerAlways("AGC", agc);
        archive.IntegerAlways("PresetIndex", currentProgram_);
        for (int32_t i = 0; i < kProgramCount; ++i) {
            const YString name = ProgramChildName(i);
            while (YXMLItem* stale = element.FindSubItem(name)) element.RemoveSubItem(stale);
            if (i == currentProgram_ || !programs_[i]) continue;
            YXMLItem* child = element.AddSubItem(name);
            child->CopyFrom(*programs_[i]);
            child->SetName(name);
        }
        YAudioEffectPluginToAudioPluginAdapter::Store(archive);
        return;
    }

    YScopedLock parameters(parameterLock);
    YScopedLock editor(editorLock);
    YScopedLock processing(processingLock);
    int32_t factor = UpsamplingFactor(), highQuality = 1;
    archive.IntegerAlways("upsampling", factor);
    archive.Integer("hqupsampling", highQuality, 1);
    UpdateUpsamplingFactor(std::clamp(factor, 1, kMaxUpsampling), highQuality != 0);
    int32_t agc = AGC() ? 1 : 0;
    archive.IntegerAlways("AGC", agc);
    SetAGC(agc != 0);
    archive.IntegerAlways("PresetIndex", currentProgram_);
    currentProgram_ = std::clamp(currentProgram_, 0, kProgramCount - 1);
    for (int32_t i = 0; i < kProgramCount; ++i) {
        if (i == currentProgram_) continue;
        if (const YXMLItem* child = element.FindSubItem(ProgramChildName(i))) programs_[i] = child->Clone();
    }
    YAudioEffectPluginToAudioPluginAdapter::Store(archive);
}

std::unique_ptr<YXMLItem> YYorvaneAudioEffectPlugin::CurrentSettings() {
    auto settings = std::make_unique<YXMLItem>(YString("settings"));
    YStoreArchive saving(*settings, false);
    YAudioEffectPluginToAudioPluginAdapter::Store(saving);
    return settings;
}

void YYorvaneAudioEffectPlugin::PostInitialize() {
    std::unique_ptr<YXMLItem> starting;
    for (int32_t i = 0; i < kProgramCount; ++i) {
        if (i == currentProgram_ || programs_[i]) continue;
        if (!starting) starting = CurrentSettings();
        programs_[i] = starting->Clone();
    }
}

void YYorvaneAudioEffectPlugin::SelectProgram(int32_t index) {
    YGuarded("YYorvaneAudioEffectPlugin::SelectProgram", [&] {
        if (index < 0 || index >= kProgramCount || index == currentProgram_) return;
        programs_[currentProgram_] = CurrentSettings();
        currentProgram_ = index;
        if (programs_[index]) {
            std::unique_ptr<YXMLItem> incoming = std::move(programs_[index]);
            YStoreArchive loading(*incoming, true);
            YAudioEffectPluginToAudioPluginAdapter::Store(loading);
        }
    });
}
