#include "engine/YYorvaneAudioEffectPlugin.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <algorithm>
#include <cmath>

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
        StoreFixedOutputGain(archive);
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
    StoreFixedOutputGain(archive);
    archive.IntegerAlways("PresetIndex", currentProgram_);
    currentProgram_ = std::clamp(currentProgram_, 0, kProgramCount - 1);
    previousProgram_ = currentProgram_;
    for (int32_t i = 0; i < kProgramCount; ++i) {
        if (i == currentProgram_) continue;
        if (const YXMLItem* child = element.FindSubItem(ProgramChildName(i))) {
            programs_[i] = child->Clone();
            programValues_[i] = StoredValues(*programs_[i]);
        }
    }
    // The current settings come last and replace whatever the programs' values left.
    YAudioEffectPluginToAudioPluginAdapter::Store(archive);
}

std::vector<double> YYorvaneAudioEffectPlugin::CurrentValues() const {
    std::vector<double> values(static_cast<std::size_t>(Effect() ? Effect()->DefinitionCount() : 0));
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = GetParameter(static_cast<int32_t>(i));
    return values;
}

std::vector<double> YYorvaneAudioEffectPlugin::StoredValues(YXMLItem& program) {
    if (Effect() == nullptr) return {};
    YStoreArchive loading(program, true);
    Effect()->StoreParameters(loading);
    return CurrentValues();
}

bool YYorvaneAudioEffectPlugin::Morphable(int32_t index) const {
    switch (Effect()->Definitions()[index].kind) {
        case ParameterKind::Float:
        case ParameterKind::Integer:
        case ParameterKind::Enumeration:
        case ParameterKind::Boolean: return true;
        default: return false;
    }
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
        programValues_[i] = CurrentValues();
    }
}

void YYorvaneAudioEffectPlugin::SelectProgram(int32_t index) {
    YGuarded("YYorvaneAudioEffectPlugin::SelectProgram", [&] {
        if (index < 0 || index >= kProgramCount || index == currentProgram_) return;
        programs_[currentProgram_] = CurrentSettings();
        programValues_[currentProgram_] = CurrentValues();
        previousProgram_ = currentProgram_;
        currentProgram_ = index;
        if (programs_[index]) {
            std::unique_ptr<YXMLItem> incoming = std::move(programs_[index]);
            YStoreArchive loading(*incoming, true);
            YAudioEffectPluginToAudioPluginAdapter::Store(loading);
        }
    });
}

YString YYorvaneAudioEffectPlugin::CopyProgramSettings() {
    YMemoryStream stream;
    YXMLDocument::Write(*CurrentSettings(), stream);
    const YByteBuffer& bytes = stream.GetBuffer();
    return YString::FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.Data()), stream.GetDataSize()));
}

void YYorvaneAudioEffectPlugin::PasteProgramSettings(const YString& text) {
    const std::string utf8 = text.ToUtf8();
    YMemoryStream stream(YByteBuffer::Borrow(utf8.data(), utf8.size()));
    std::unique_ptr<YXMLItem> settings = YXMLDocument::Read(stream);
    if (!settings || settings->GetName() != YString("settings")) throw YException(YString("The text holds no settings."));
    YStoreArchive loading(*settings, true);
    YAudioEffectPluginToAudioPluginAdapter::Store(loading);
}

bool YYorvaneAudioEffectPlugin::OnPresetMorph(const std::function<bool(const YString& question)>& answer) {
    return YGuarded("OnPresetMorph", false, [&] {
        if (currentProgram_ >= 4) return false;
        const char16_t letter = static_cast<char16_t>(u'A' + currentProgram_);
        const YString question =
            YFormat("Preset {0} is currently selected, which means that the changes you have made using ABCD morphing will "
                    "replace it. ABCD morphing uses presets A,B,C and D, so next time you use it you would be morphing "
                    "different presets, because you are going to change one of them.<p><p><b>Would you like to select "
                    "preset E, so that the ABCD settings will be preseved?")
                .Arg(YString(&letter, 1));
        if (answer(question)) SelectProgram(4);
        return true;
    });
}

void YYorvaneAudioEffectPlugin::MorphPrograms(double x, double y) {
    YGuarded("YYorvaneAudioEffectPlugin::MorphPrograms", [&] {
        morphX_ = std::clamp(x, 0.0, 1.0);
        morphY_ = std::clamp(y, 0.0, 1.0);
        YScopedLock processing(processingLock);
        const std::vector<double> live = CurrentValues();
        const std::vector<double>* sources[4];
        for (int32_t p = 0; p < 4; ++p) sources[p] = p == currentProgram_ ? &live : &programValues_[static_cast<std::size_t>(p)];
        for (std::size_t i = 0; i < live.size(); ++i) {
            bool known = Morphable(static_cast<int32_t>(i));
            for (const std::vector<double>* source : sources) known &= source->size() > i;
            if (!known) continue;
            const double a = (*sources[0])[i], b = (*sources[1])[i], c = (*sources[2])[i], d = (*sources[3])[i];
            const double v = (1.0 - morphY_) * ((1.0 - morphX_) * a + morphX_ * c) + morphY_ * ((1.0 - morphX_) * b + morphX_ * d);
            if (std::fabs(v - live[i]) > kMorphThreshold) SetParameter(static_cast<int32_t>(i), v);
        }
    });
}
