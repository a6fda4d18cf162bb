#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"

#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "foundation/YStdFileStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YRandom.h"
#include "foundation/YThread.h"

#include <algorithm>
#include <functional>

// Carries out the preset steps that the trigger parameters record on the audio thread.
// It looks every 50 ms: the audio thread only adds to an atomic counter and never
// wakes anything, and a step a few blocks late is not heard as late.
class YAudioEffectPluginToAudioPluginAdapter::PresetStepThread : public YWorkerThread {
public:
    static constexpr uint32_t kPeriodMs = 50;
    explicit PresetStepThread(YAudioEffectPluginToAudioPluginAdapter& engine) : YWorkerThread(kPeriodMs), engine_(engine) {}

protected:
    void Pass() override {
        if (engine_.PendingPresetSteps() != 0) engine_.CarryOutPresetSteps();
    }

private:
    YAudioEffectPluginToAudioPluginAdapter& engine_;
};

YAudioEffectPluginToAudioPluginAdapter::YAudioEffectPluginToAudioPluginAdapter() = default;

YAudioEffectPluginToAudioPluginAdapter::~YAudioEffectPluginToAudioPluginAdapter() {
    if (presetThread_) {
        presetThread_->Stop();
        presetThread_->Wait();
    }
    // The editor and the parameter objects point into the effect: they go first.
    DestroyEditor();
    ClearAutomationAdapters();
    if (effect_ && effect_->MIDIProcessor()) RemoveChild(effect_->MIDIProcessor());
}

void YAudioEffectPluginToAudioPluginAdapter::Initialize(const YString& product, const YString& vendor,
                                                        YEffectFactory factory, int32_t first, int32_t second) {
    productName = product;
    vendorName = vendor;
    initializationPair_ = {first, second};
    auto* created = factory ? reinterpret_cast<YPlugin*>(factory(nullptr, kEffectCommandGetObject, 0)) : nullptr;
    if (created == nullptr) throw YException(TranslateText("Error creating plugin."));
    plugin_.reset(created);
    effect_ = dynamic_cast<YAudioEffectPlugin*>(created);
    if (effect_ == nullptr) {
        plugin_.reset();
        throw YException(TranslateText("Error creating plugin."));
    }
    effect_->AttachHost(this, &pluginMutex_);
    if (YMIDIProcessorBase* midi = effect_->MIDIProcessor()) {
        AddChild(midi);
        receivesMIDI = true;
    }
    if (effect_->NeedsHostSync()) needsHostSync = true;
    SetupPins(1, GetSurroundSetting() != 0);
    CreateParameters();
    OpenPresets();
    // A state the user saved as the default replaces the built-in defaults.
    LoadDefaultSettings();
    PostInitialize();
}

void YAudioEffectPluginToAudioPluginAdapter::CreateParameters() {
    ParameterDefinition* definitions = effect_->Definitions();
    const int32_t count = effect_->DefinitionCount();
    auto add = [&](ParameterMainBase* parameter, int32_t index) {
        parameter->firstIndex = index;
        parameter->count = 1;
        AddAutomationAdapter(parameter);
        parameter->ReleaseReference();  // the plug-in's reference keeps it
        parameters_.push_back(parameter);
    };
    for (int32_t i = 0; i < count; ++i) {
        ParameterDefinition* d = &definitions[i];
        YRelaxed<bool>* external = d->kind == ParameterKind::ExternalBoolean ? effect_->ExternalSwitch(i) : nullptr;
        switch (d->kind) {
            case ParameterKind::Float: add(new ParameterFloatT<ParameterBase>(this, i, d), i); break;
            case ParameterKind::Integer: add(new ParameterIntT<ParameterBase>(this, i, d), i); break;
            case ParameterKind::Enumeration: add(new ParameterEnumT<ParameterBase>(this, i, d), i); break;
            case ParameterKind::ExternalBoolean:
                if (external) {
                    add(new ParameterGroupT<ParameterBase>(external, this, i, d), i);
                    break;
                }
                [[fallthrough]];
            default: add(new ParameterBoolT<ParameterBase>(this, i, d), i); break;
        }
    }
    const YString names[2] = {"Preset trigger - previous", "Preset trigger - next"};
    const YString ids[2] = {"PresetPrevious", "PresetNext"};
    for (int32_t k = 0; k < 2; ++k) {
        auto* trigger = new ParameterFloatT<ParameterBaseCustom>(this, count + k, FloatParameter(names[k], ids[k], 0.0, 1.0, 0.0));
        triggers_[k] = &trigger->Definition();
        // A random setting must not step the preset.
        triggers_[k]->SetFlag(0, ParameterDefinition::kRandomizableBit, false);
        add(trigger, count + k);
    }
    firstMultiParameter_ = count + 2;
    for (int32_t m = 0; m < YMultiParameter::kCount; ++m) {
        multiParameters_[m] = std::make_unique<YMultiParameter>(*this, m);
        add(multiParameters_[m]->CreateParameter(this, firstMultiParameter_ + m), firstMultiParameter_ + m);
    }
    midiControllers_ = std::make_unique<YMIDIControllers>(
        *this, [](void* engine, int32_t step) { static_cast<YAudioEffectPluginToAudioPluginAdapter*>(engine)->RequestPresetStep(step); },
        this);
}

void YAudioEffectPluginToAudioPluginAdapter::OpenPresets() {
    presets_ = std::make_unique<YPresetManagerT<YAudioEffectPluginToAudioPluginAdapter>>(*this);
    presets_->SetPrefix(productName);
    // Never fails: an unreadable file leaves the instance with an empty preset tree.
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::OpenPresets", [&] { presets_->Open(); });
}

bool YAudioEffectPluginToAudioPluginAdapter::StorePreset(YXMLItem& preset, YPresetManagerBase&, bool) {
    YStoreArchive archive(preset, false);
    StoreSettings(archive);
    preset.RemoveAttribute("CurrentPresetIndex");
    return true;
}

void YAudioEffectPluginToAudioPluginAdapter::LoadPreset(YXMLItem& preset, YPresetManagerBase&) {
    YStoreArchive archive(preset, true);
    StoreSettings(archive);
}

void YAudioEffectPluginToAudioPluginAdapter::StorePresetIndex(YStoreArchive& archive) {
    if (!presets_) return;
    int32_t index = presets_->CurrentPresetIndex();
    archive.IntegerAlways("CurrentPresetIndex", index);
    if (archive.Loading()) presets_->SetCurrentPresetIndex(index);
}

void YAudioEffectPluginToAudioPluginAdapter::CarryOutPresetSteps() {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::CarryOutPresetSteps", [&] {
        const int32_t steps = TakePendingPresetSteps();
        if (steps != 0 && presets_) presets_->Step(steps);
    });
}

ParameterMainBase* YAudioEffectPluginToAudioPluginAdapter::Parameter(int32_t index) const {
    return index >= 0 && index < static_cast<int32_t>(parameters_.size()) ? parameters_[index] : nullptr;
}

int32_t YAudioEffectPluginToAudioPluginAdapter::HostChannelCount() const {
    return RequestedChannels() > 0 ? RequestedChannels() : ChannelsPerBus();
}

void YAudioEffectPluginToAudioPluginAdapter::SetChannelMode(ChannelMode mode) {
    if (mode == ChannelMode::Surround && HostChannelCount() <= 2) mode = ChannelMode::LeftRight;
    channelMode_ = mode;
}

void YAudioEffectPluginToAudioPluginAdapter::InitProcessing() {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::InitProcessing", [&] {
        {
            YScopedLock parameters(parameterLock);
            YScopedLock editor(editorLock);
            YScopedLock processing(processingLock);
            YGuarded("YAudioEffectPluginToAudioPluginAdapter::InitProcessing_LockedPart", [&] { InitProcessing_LockedPart(); });
        }
        InitProcessing_UnLockedPart();
        const int32_t latency = GetHostLatency();
        if (latency != reportedLatency_) {
            reportedLatency_ = latency;
            if (GetAdapter()) GetAdapter()->ReportLatency();
        }
        // Preset steps need a thread of their own only once the instance processes.
        if (!presetThread_) {
            auto thread = std::make_unique<PresetStepThread>(*this);
            thread->Start(YThread::Priority::Low);
            presetThread_ = std::move(thread);
        }
    });
}

void YAudioEffectPluginToAudioPluginAdapter::InitProcessing_LockedPart() {
    ResetMIDIState();
    midSideNeeded_ = ChannelModeInformation(channelMode_).midSideNeeded;
    if (effect_ == nullptr) return;
    // Every float parameter of the effect glides between sub-blocks.
    std::vector<InterpolatedParameter> smoothed;
    for (int32_t i = 0; i < effect_->DefinitionCount(); ++i)
        if (effect_->Definitions()[i].kind == ParameterKind::Float) smoothed.push_back(InterpolatedParameter{0, i});
    PrepareRoad(static_cast<int32_t>(channelMode_), surroundChannelsEnable_.data(), std::move(smoothed));
    channelCount_ = ProcessedChannels();
    effectBlockLimit_ = std::max(1, effect_->BlockLimit());
    effect_->Prepare(channelCount_, ProcessingRate());
    effect_->UpdateFromParameters();
    effect_->ResetSmoothing();
    parametersChanged_ = false;
    for (auto& multi : multiParameters_) multi->SetSampleRate(ProcessingRate());
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessUpdate() {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::ProcessUpdate", [&] {
        if (EditorOpen() && effect_) effect_->BlockUpdate();
    });
}

int32_t YAudioEffectPluginToAudioPluginAdapter::GetLatency() { return effect_ ? effect_->GetLatency() : 0; }

int32_t YAudioEffectPluginToAudioPluginAdapter::GetTailLength() {
    return effect_ ? static_cast<int32_t>(effect_->GetTailSize()) : 0;
}

void YAudioEffectPluginToAudioPluginAdapter::SetBypassFromEditor(bool on) {
    bypass = on;
    if (GetAdapter()) GetAdapter()->SendBypassAutomation(on);
}

void YAudioEffectPluginToAudioPluginAdapter::ChangeAtOnce(const std::function<void()>& change) {
    YScopedLock parameters(parameterLock);
    YScopedLock editor(editorLock);
    YScopedLock processing(processingLock);
    change();
    InitProcessing();
    RequestFirstInterpolationBlock();
}

void YAudioEffectPluginToAudioPluginAdapter::Panic() {
    ChangeAtOnce([] {});
}

void YAudioEffectPluginToAudioPluginAdapter::GenerateRandomSettings(double amount) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::GenerateRandomSettings", [&] {
        ChangeAtOnce([&] {
            for (ParameterMainBase* parameter : parameters_) {
                if (!parameter->Definition().Randomizable()) continue;
                for (int32_t local = 0; local < parameter->count; ++local) {
                    const double r = YRandom::Draw() / 32767.0;
                    const double value =
                        amount >= 1.0 ? r : std::clamp(parameter->GetValue(local) + (r - 0.5) * 2.0 * amount, 0.0, 1.0);
                    parameter->SetValue(local, value, true);
                }
            }
        });
    });
    NeedUpdateEditor();
}

void YAudioEffectPluginToAudioPluginAdapter::GenerateRandomSettingsForMultiParameters(double amount) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::GenerateRandomSettingsForMultiParameters", [&] {
        ChangeAtOnce([&] {
            for (auto& multi : multiParameters_) {
                if (!multi->enabled) continue;
                multi->Definition().Randomise(amount);
                multi->Apply();
            }
        });
    });
    NeedUpdateEditor();
}

namespace {

// The presets directly in folder.
std::vector<const YXMLItem*> PresetsIn(const YXMLItem* folder) {
    std::vector<const YXMLItem*> presets;
    if (folder == nullptr) return presets;
    for (uint32_t i = 0; i < folder->GetSubItemCount(); ++i)
        if (YPresetManagerBase::IsPreset(*folder->GetSubItemAt(i))) presets.push_back(folder->GetSubItemAt(i));
    return presets;
}

const YXMLItem* DrawFrom(const std::vector<const YXMLItem*>& presets) {
    return presets[static_cast<std::size_t>(YRandom::Draw()) % presets.size()];
}

}  // namespace

int32_t YAudioEffectPluginToAudioPluginAdapter::GenerateRandomSettingsSmart() {
    int32_t result = 0;
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::GenerateRandomSettingsSmart", [&] {
        if (!presets_) return;
        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        const YXMLItem* randomizer = presets_->FindFolder("Randomizer");
        if (randomizer == nullptr) return;
        const std::vector<const YXMLItem*> single = PresetsIn(randomizer);
        const std::vector<const YXMLItem*> multi = PresetsIn(presets_->FindFolder("Randomizer Multi"));
        const bool useMulti = (YRandom::Draw() & 1) != 0 && !multi.empty();
        const std::vector<const YXMLItem*>& chosen = useMulti ? multi : single;
        if (chosen.empty()) return;
        std::unique_ptr<YXMLItem> setting = YPresetManagerBase::Unpack(*DrawFrom(chosen));
        if (useMulti) {
            // Each macro slot comes from a preset of its own draw: the effect's
            // settings of the first preset, played through macros of others.
            YXMLItem* macros = setting->GetOrAddSubItem("MultiParameters");
            for (int32_t number = 0; number < YMultiParameter::kCount; ++number) {
                const YString name = YMultiParameter::ElementName(number);
                std::unique_ptr<YXMLItem> donor = YPresetManagerBase::Unpack(*DrawFrom(multi));
                const YXMLItem* donorMacros = donor->FindSubItem("MultiParameters");
                const YXMLItem* donorMacro = donorMacros ? donorMacros->FindSubItem(name) : nullptr;
                macros->RemoveSubItem(macros->FindSubItem(name));
                if (donorMacro != nullptr) macros->AddSubItem(donorMacro->Clone());
            }
        }
        YXMLItem* active = setting->GetOrAddSubItem("ActivePreset");
        active->SetAttribute("Edit", "1");
        LoadPreset(*setting, *presets_);
        effect_->RefreshSpecialParameters();
        InitProcessing();
        RequestFirstInterpolationBlock();
        result = 1;
    });
    if (result > 0) NeedUpdateEditor();
    return result;
}

void YAudioEffectPluginToAudioPluginAdapter::ParameterChanged(int32_t) {
    parametersChanged_ = true;
    NeedUpdateEditor();
}

void YAudioEffectPluginToAudioPluginAdapter::PreBlock(float**, float**, int32_t) {
    bool ramping = false;
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::PrepareForProcessing", [&] {
        for (auto& multi : multiParameters_) {
            multi->CheckSwitch();
            ramping |= multi->Ramping();
        }
    });
    // A running ramp moves in steps of at most maxLFOBlockSize.
    SetSubBlockLimits(ramping ? std::min(effectBlockLimit_, maxLFOBlockSize_) : effectBlockLimit_, maxLFOBlockSize_);
}

void YAudioEffectPluginToAudioPluginAdapter::PrepareForProcessingOnce(float**, float**, int32_t) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::PrepareForProcessingOnce", [&] {
        // A trigger steps the preset when it crosses two thirds upwards; holding it
        // high steps once.
        for (int32_t k = 0; k < 2; ++k) {
            ParameterDefinition& trigger = *triggers_[k];
            const double value = trigger.value.Load();
            if (value >= kTriggerThreshold && trigger.smoothedValue.Load() < kTriggerThreshold)
                RequestPresetStep(k == 0 ? -1 : 1);
            trigger.smoothedValue = value;
        }
        if (parametersChanged_.exchange(false) && effect_) effect_->UpdateFromParameters();
    });
}

void YAudioEffectPluginToAudioPluginAdapter::Process(float** inputs, float** outputs, int32_t frames) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::Process", [&] {
        if (effect_ == nullptr) return;
        YGuarded("YAudioEffectPluginToAudioPluginAdapter::PrepareForProcessing", [&] {
            bool ramped = false;
            for (auto& multi : multiParameters_) {
                multi->CheckSwitch();
                ramped |= multi->Ramping();
                multi->Advance(frames);
            }
            // The ramp's target writes take effect in this sub-block.
            if (ramped) effect_->UpdateFromParameters();
        });
        const bool metering = MeteringOn();
        if (metering) FeedMeter(false, inputs, channelCount_, frames);
        effect_->ProcessBlock(transport, inputs, outputs, frames);
        if (metering) FeedMeter(true, outputs, channelCount_, frames);
    });
}

double YAudioEffectPluginToAudioPluginAdapter::GetInterpolationValue(const InterpolatedParameter& parameter) {
    return effect_->Definitions()[parameter.index].value.Load();
}

void YAudioEffectPluginToAudioPluginAdapter::SetInterpolationValue(const InterpolatedParameter& parameter, double value,
                                                                   bool interpolating) {
    ParameterDefinition& d = effect_->Definitions()[parameter.index];
    if (interpolating) {
        d.SetAlternate(true);
        d.alternateValue = value;
        return;
    }
    // A write that arrived during the glide went to the alternate slot: keep it.
    if (d.Alternate() && d.alternateValue.Load() != parameter.current) d.value = d.alternateValue.Load();
    d.SetAlternate(false);
}

void YAudioEffectPluginToAudioPluginAdapter::UpdateFromParameters() {
    if (effect_) effect_->UpdateFromParameters();
}

void YAudioEffectPluginToAudioPluginAdapter::Store(YStoreArchive& archive) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::Store", [&] {
        static const YString kModeNames[kChannelModeCount] = {
            ChannelModeInformation(ChannelMode::LeftRight).storedAs, ChannelModeInformation(ChannelMode::Left).storedAs,
            ChannelModeInformation(ChannelMode::Right).storedAs, ChannelModeInformation(ChannelMode::Mono).storedAs,
            ChannelModeInformation(ChannelMode::Stereo).storedAs, ChannelModeInformation(ChannelMode::MonoStereo).storedAs,
            ChannelModeInformation(ChannelMode::LeftRightNegative).storedAs,
            ChannelModeInformation(ChannelMode::Surround).storedAs};
        int32_t mode = static_cast<int32_t>(channelMode_);
        bool bypassed = bypass;
        if (archive.Saving()) {
            int32_t version = kSettingsVersion;
            archive.IntegerAlways("Version", version);
            archive.EnumerationAlways("ChannelMode", mode, kModeNames, kChannelModeCount);
            YString enables;
            if (channelMode_ == ChannelMode::Surround)
                for (bool enabled : surroundChannelsEnable_) enables.Append(enabled ? u'1' : u'0');
            archive.Text("SurroundChannelsEnable", enables, YString());
            midiControllers_->StoreSwitches(archive);
            archive.Boolean("Bypass", bypassed, false);
            archive.Integer("MaxLFOBlockSize", maxLFOBlockSize_, kDefaultMaxLFOBlockSize);
            StoreSettings(archive);
            return;
        }

        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        archive.Integer("Version", version_, kUnversionedSettings);
        archive.EnumerationAlways("ChannelMode", mode, kModeNames, kChannelModeCount);
        YString enables;
        archive.Text("SurroundChannelsEnable", enables, YString());
        for (uint32_t c = 0; c < std::min<uint32_t>(enables.Length(), 8); ++c) surroundChannelsEnable_[c] = enables[c] != u'0';
        // The older switch is read after "ChannelMode" and overrides it.
        if (archive.Element().FindAttribute("EnableSurroundProcessing")) {
            int32_t surround = 0;
            archive.IntegerAlways("EnableSurroundProcessing", surround);
            mode = surround > 0 ? static_cast<int32_t>(ChannelMode::Surround) : 0;
        }
        SetChannelMode(static_cast<ChannelMode>(mode));
        midiControllers_->StoreSwitches(archive);
        archive.Boolean("Bypass", bypassed, false);
        bypass = bypassed;
        int32_t blockSize = kDefaultMaxLFOBlockSize;
        archive.Integer("MaxLFOBlockSize", blockSize, kDefaultMaxLFOBlockSize);
        SetMaxLFOBlockSize(blockSize);
        StoreSettings(archive);
    });
    if (archive.Loading()) ActualiseAfterLoading();
}

void YAudioEffectPluginToAudioPluginAdapter::StoreSettings(YStoreArchive& archive) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::StoreSettings", [&] {
        if (effect_ == nullptr) return;
        if (archive.Saving()) {
            YScopedLock parameters(parameterLock);
            effect_->StoreParameters(archive);
            effect_->StoreMIDISettings(archive);
            YGuarded("YAudioEffectPluginToAudioPluginAdapter::StoreStandardSettings", [&] { StoreStandardSettings(archive); });
            return;
        }
        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        effect_->StoreParameters(archive);
        effect_->StoreMIDISettings(archive);
        YGuarded("YAudioEffectPluginToAudioPluginAdapter::StoreStandardSettings", [&] { StoreStandardSettings(archive); });
        // Parameters jump to the loaded values instead of gliding to them.
        RequestFirstInterpolationBlock();
        InitProcessing();
    });
    YAudioPlugin::Store(archive);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreStandardSettings(YStoreArchive& archive) {
    StoreControllers(archive);
    StoreMultiParameters(archive);
    StoreActivePresets(archive);
    StorePresetIndex(archive);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreActivePresets(YStoreArchive& archive) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::StoreActivePresets", [&] {
        YXMLItem* element = archive.Child("ActivePreset");
        if (element == nullptr) {
            activePresetEdit_ = true;
            currentActivePreset_ = 0;
        } else {
            YStoreArchive inner(*element, archive.Loading());
            inner.Boolean("Edit", activePresetEdit_, false);
            inner.Integer("CurrentActivePreset", currentActivePreset_, 0);
        }
    });
    if (archive.Loading()) ActualiseActivePresetsAfterLoading();
}

void YAudioEffectPluginToAudioPluginAdapter::ActualiseActivePresetsAfterLoading() {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::ActualiseActivePresetsAfterLoading", [&] {
        activePresetControls_.clear();
        if (activePresetEdit_) return;
        // A name starting with "*" keeps a macro off the panel.
        for (auto& multi : multiParameters_)
            if (multi->enabled && !multi->name.IsEmpty() && multi->name[0] != u'*') activePresetControls_.push_back(multi->Number());
    });
    NeedUpdateEditor();
}

void YAudioEffectPluginToAudioPluginAdapter::SetActivePresetEdit(bool edit) {
    activePresetEdit_ = edit;
    ActualiseActivePresetsAfterLoading();
    MarkSettingsChanged();
}

YString YAudioEffectPluginToAudioPluginAdapter::ActivePresetListPath() const {
    // Beside the preset file, named like it.
    const YString prefix = presets_ ? presets_->Prefix() : YString();
    return YFile::Join(YFile::GetSystemPath(YFile::SystemFolder::UserData), prefix + YString("presets.active"));
}

std::vector<YString> YAudioEffectPluginToAudioPluginAdapter::ActivePresetNames() const {
    std::vector<YString> names;
    try {
        const YString path = ActivePresetListPath();
        if (!YFile::Exists(path)) return names;
        YStdFileStream stream(path, YStdFileStream::kRead);
        const std::unique_ptr<YXMLItem> root = YXMLDocument::Read(stream);
        for (uint32_t i = 0; i < root->GetSubItemCount(); ++i) {
            const YXMLItem& entry = *root->GetSubItemAt(i);
            const YString* name = entry.FindAttribute("Name");
            if (entry.GetName() == YString("preset") && name != nullptr) names.push_back(*name);
        }
    } catch (const YException&) {
        names.clear();  // a damaged list offers no active presets
    }
    return names;
}

bool YAudioEffectPluginToAudioPluginAdapter::LoadActivePreset(int32_t index) {
    bool loaded = false;
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::LoadActivePreset", [&] {
        const std::vector<YString> names = ActivePresetNames();
        if (!presets_ || index < 0 || index >= static_cast<int32_t>(names.size())) return;
        const YXMLItem* preset = nullptr;
        for (const YXMLItem* candidate : presets_->StepOrder())
            if (preset == nullptr && YString::EqualsNoCase(YPresetManagerBase::NameOf(*candidate), names[static_cast<std::size_t>(index)]))
                preset = candidate;
        if (preset == nullptr) return;
        presets_->Load(*preset);
        YScopedLock parameters(parameterLock);
        YScopedLock processing(processingLock);
        std::array<int32_t, YMultiParameter::kCount> indices{};
        std::array<bool, YMultiParameter::kCount> inUse{};
        for (int32_t number = 0; number < YMultiParameter::kCount; ++number) {
            indices[static_cast<std::size_t>(number)] = MultiParameterIndex(number);
            inUse[static_cast<std::size_t>(number)] = multiParameters_[static_cast<std::size_t>(number)]->enabled;
        }
        midiControllers_->ApplyDefaultAssignments(indices.data(), inUse.data(), YMultiParameter::kCount);
        activePresetEdit_ = false;
        currentActivePreset_ = index;
        loaded = true;
    });
    if (loaded) {
        ActualiseActivePresetsAfterLoading();
        MarkSettingsChanged();
    }
    return loaded;
}

void YAudioEffectPluginToAudioPluginAdapter::StoreControllers(YStoreArchive& archive) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::StoreControllers", [&] { midiControllers_->StoreTables(archive); });
}

void YAudioEffectPluginToAudioPluginAdapter::StoreMultiParameters(YStoreArchive& archive) {
    YGuarded("YAudioEffectPluginToAudioPluginAdapter::StoreMultiParameters", [&] {
        YXMLItem* element = archive.Child("MultiParameters");
        if (element == nullptr) {
            for (auto& multi : multiParameters_) multi->Reset();
            return;
        }
        YStoreArchive inner(*element, archive.Loading());
        for (auto& multi : multiParameters_) multi->Store(inner);
    });
}

// ---- MIDI controllers ----------------------------------------------------------------------

int32_t YAudioEffectPluginToAudioPluginAdapter::AttachMIDIController(int32_t parameter) {
    int32_t slot = -1;
    {
        YScopedLock parameters(parameterLock);
        YScopedLock processing(processingLock);
        slot = midiControllers_->AttachController(parameter);
    }
    if (slot >= 0) MarkSettingsChanged();
    return slot;
}

void YAudioEffectPluginToAudioPluginAdapter::ChangeMultiParameter(int32_t number,
                                                                  const std::function<void(YMultiParameter&)>& change) {
    if (number < 0 || number >= YMultiParameter::kCount) return;
    YMultiParameter& multi = MultiParameter(number);
    {
        YScopedLock lock(YMultiParameter::GlobalLock());
        change(multi);
    }
    multi.Apply();
    MarkSettingsChanged();
    NeedUpdateEditor();
}

void YAudioEffectPluginToAudioPluginAdapter::ChangeMIDIControllers(const std::function<void(YMIDIControllers&)>& change) {
    {
        YScopedLock parameters(parameterLock);
        YScopedLock processing(processingLock);
        change(*midiControllers_);
    }
    MarkSettingsChanged();
}

void YAudioEffectPluginToAudioPluginAdapter::PostController(int32_t channel, int32_t controller) {
    if (!EditorExists()) return;
    if (++postSequence_ == 0) ++postSequence_;  // 0 stands for "nothing posted yet"
    controllerPost_.store(static_cast<uint64_t>(postSequence_) << 32 | static_cast<uint64_t>(channel & 0xFFFF) << 16 |
                              static_cast<uint64_t>(controller & 0xFFFF),
                          std::memory_order_release);
}

YAudioEffectPluginToAudioPluginAdapter::ControllerPost YAudioEffectPluginToAudioPluginAdapter::LastControllerPost() const {
    const uint64_t word = controllerPost_.load(std::memory_order_acquire);
    ControllerPost post;
    post.sequence = static_cast<uint32_t>(word >> 32);
    if (post.sequence == 0) return post;
    post.channel = static_cast<int32_t>((word >> 16) & 0xFFFF);
    post.controller = static_cast<int32_t>(word & 0xFFFF);
    return post;
}

template <typename Body>
void YAudioEffectPluginToAudioPluginAdapter::WithControllerTables(const YString& guardName, Body&& body) {
    YGuarded(guardName, [&] {
        UnderBlockLocks([&] {
            body(*midiControllers_);
            return true;
        });
    });
}

bool YAudioEffectPluginToAudioPluginAdapter::ProcessMIDIController(int32_t offset, double time, int32_t channel,
                                                                   int32_t controller, double value) {
    const bool handled = YAudioPlugin::ProcessMIDIController(offset, time, channel, controller, value);
    WithControllerTables("YAudioEffectPluginToAudioPluginAdapter::ProcessMIDIController",
                         [&](YMIDIControllers& tables) { tables.ProcessController(channel + 1, controller, value); });
    PostController(channel + 1, controller);
    return handled;
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessPressure(int32_t offset, double time, int32_t channel, int32_t key,
                                                             double value) {
    YAudioPlugin::ProcessPressure(offset, time, channel, key, value);
    if (key == 255) ProcessAftertouch(channel, value);
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessAftertouch(int32_t channel, double value) {
    WithControllerTables("YAudioEffectPluginToAudioPluginAdapter::ProcessAftertouch", [&](YMIDIControllers& tables) {
        tables.ProcessController(channel + 1, YMIDIControllers::kAftertouch, value);
    });
    PostController(channel + 1, YMIDIControllers::kAftertouch);
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessPitchBend(int32_t offset, double time, int32_t channel, double value) {
    YAudioPlugin::ProcessPitchBend(offset, time, channel, value);
    // Decoded as -1..1; the tables take 0..1 like every other source.
    WithControllerTables("YAudioEffectPluginToAudioPluginAdapter::ProcessPitchBend", [&](YMIDIControllers& tables) {
        tables.ProcessController(channel + 1, YMIDIControllers::kPitchBend, std::clamp((value + 1.0) * 0.5, 0.0, 1.0));
    });
    PostController(channel + 1, YMIDIControllers::kPitchBend);
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessNote(const YNoteEvent& note) {
    YAudioPlugin::ProcessNote(note);
    WithControllerTables("YAudioEffectPluginToAudioPluginAdapter::ProcessNote", [&](YMIDIControllers& tables) {
        tables.ProcessNote(note.channel + 1, note.key, note.velocity, note.on);
    });
}
