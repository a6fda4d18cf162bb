#include "shell/YAudioPlugin.h"

#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>

YAudioPlugin::YAudioPlugin() {
    SetupPins(1, false);
}

YAudioPlugin::~YAudioPlugin() {
    DestroyEditor();
    ClearAutomationAdapters();
}

// ---- MIDI ----------------------------------------------------------------------------------

void YAudioPlugin::ProcessNoteEvent(const YNoteEvent& note) {
    YGuarded("YAudioPlugin::ProcessNoteEvent", [&] {
        UnderBlockLocks([&] {
            ProcessNotePerform(note);
            return true;
        });
    });
}

bool YAudioPlugin::ProcessMIDIEvent(int32_t sampleOffset, uint8_t status, uint8_t data1, uint8_t data2) {
    return YGuarded("YAudioPlugin::ProcessMIDIEvent", false,
                    [&] { return UnderBlockLocks([&] { return DecodeMIDIEvent(sampleOffset, status, data1, data2); }); });
}

bool YAudioPlugin::DecodeMIDIEvent(int32_t sampleOffset, uint8_t status, uint8_t data1, uint8_t data2) {
    const int32_t offset = sampleOffset > 0 ? sampleOffset - 1 : sampleOffset;
    const double time = offset * transport.tempo / (ProcessingRate() * 60.0) + transport.ppqPosition;
    const int32_t kind = status & 0xF0, channel = status & 0x0F;
    switch (kind) {
        case 0x80:
        case 0x90: {
            int32_t velocity = data2 & 0x7F;
            if (velocity > 0) --velocity;
            YNoteEvent note;
            note.offset = offset;
            note.time = time;
            note.channel = static_cast<uint8_t>(channel);
            note.key = static_cast<int8_t>(data1 & 0x7F);
            note.velocity = velocity * (1.0 / 127.0);
            note.on = kind == 0x90 && data2 != 0;
            ProcessNotePerform(note);
            return true;
        }
        case 0xA0: ProcessPressure(offset, time, channel, data1, (data2 & 0x7F) / 127.0); return true;
        case 0xB0: return ProcessMIDIController(offset, time, channel, data1, (data2 & 0x7F) / 127.0);
        case 0xC0: ProcessProgramChange(offset, time, channel, data1); return true;
        case 0xD0: ProcessPressure(offset, time, channel, 255, (data1 & 0x7F) / 127.0); return true;
        case 0xE0: ProcessPitchBend(offset, time, channel, ((data2 * 128) | data1) * (1.0 / 8191.5) - 1.0); return true;
        default: return false;
    }
}

bool YAudioPlugin::ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller,
                                         double value) {
    return YMIDIProcessor::ProcessMIDIController(offset, time, channel, controller, value);
}

void YAudioPlugin::GenerateNoteEvent(int32_t offset, int32_t channel, int32_t key, double velocity, bool on) {
    const uint8_t status = static_cast<uint8_t>((on ? 0x90 : 0x80) | (channel & 0x0F));
    GenerateMIDIEvent(offset, status, static_cast<uint8_t>(key & 0x7F), static_cast<uint8_t>(velocity * 127.0));
}

void YAudioPlugin::GenerateMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
    if (adapter_) adapter_->GenerateMIDIEvent(offset, status, data1, data2);
}

// ---- Parameters --------------------------------------------------------------------------

void YAudioPlugin::AddAutomationAdapter(AutomationAdapter* adapter) {
    adapter->AddReference();
    adapter->plugin = this;
    auto at = std::upper_bound(adapters_.begin(), adapters_.end(), adapter,
                               [](const AutomationAdapter* a, const AutomationAdapter* b) { return a->firstIndex < b->firstIndex; });
    adapters_.insert(at, adapter);
}

void YAudioPlugin::ClearAutomationAdapters() {
    YGuarded("ClearAutomationAdapters", [&] {
        if (automationThread_) {
            automationThread_->Stop();
            automationThread_->Wait();
        }
        while (!adapters_.empty()) {
            AutomationAdapter* adapter = adapters_.back();
            adapters_.pop_back();
            adapter->plugin = nullptr;
            adapter->ReleaseReference();
        }
    });
}

YAudioPlugin::AutomationAdapter* YAudioPlugin::FindAutomationAdapter(int32_t index) const {
    const std::size_t n = adapters_.size();
    if (n < 1) return nullptr;
    if (n == 1 || adapters_.front()->firstIndex >= index) return adapters_.front();
    if (adapters_.back()->firstIndex <= index) return adapters_.back();
    // The adapter with the greatest first index not above the index.
    std::size_t low = 0, high = n - 1;
    while (low < high) {
        std::size_t middle = (low + high + 1) / 2;
        int32_t first = adapters_[middle]->firstIndex;
        if (first == index) return adapters_[middle];
        if (first < index)
            low = middle;
        else
            high = middle - 1;
    }
    return adapters_[low];
}

int32_t YAudioPlugin::GetParameterCount() const {
    int32_t count = 0;
    for (const AutomationAdapter* adapter : adapters_) count = std::max(count, adapter->firstIndex + adapter->count);
    return count;
}

void YAudioPlugin::SetParameter(int32_t index, double value, bool flag) {
    YGuarded("YAudioPlugin::SetParameter", [&] {
        if (AutomationAdapter* adapter = FindAutomationAdapter(index)) adapter->SetValue(index - adapter->firstIndex, value, flag);
    });
}

void YAudioPlugin::SetParameterIfChanged(int32_t index, double value, bool flag) {
    YGuarded("YAudioPlugin::SetParameterIfChanged", [&] {
        AutomationAdapter* adapter = FindAutomationAdapter(index);
        if (adapter == nullptr) return;
        const int32_t local = index - adapter->firstIndex;
        if (std::fabs(adapter->GetValue(local) - value) > 1e-7) adapter->SetValue(local, value, flag);
    });
}

double YAudioPlugin::GetParameter(int32_t index) const {
    return YGuarded("YAudioPlugin::GetParameter", 0.0, [&] {
        const AutomationAdapter* adapter = FindAutomationAdapter(index);
        return adapter ? adapter->GetValue(index - adapter->firstIndex) : 0.0;
    });
}

#define Y_ADAPTER_QUERY(Operation, Fallback, Call)                                            \
    return YGuarded("YAudioPlugin::" #Operation, Fallback, [&] {                               \
        const AutomationAdapter* adapter = FindAutomationAdapter(index);                       \
        return adapter ? adapter->Call : Fallback;                                             \
    })

YString YAudioPlugin::GetParameterName(int32_t index) const {
    Y_ADAPTER_QUERY(GetParameterName, YString(), GetName(index - adapter->firstIndex));
}
YString YAudioPlugin::GetParameterID(int32_t index) const {
    Y_ADAPTER_QUERY(GetParameterID, YString(), GetID(index - adapter->firstIndex));
}
int32_t YAudioPlugin::FindParameterByID(const YString& id) const {
    if (id.IsEmpty()) return -1;
    for (int32_t i = 0; i < GetParameterCount(); ++i)
        if (GetParameterID(i) == id) return i;
    return -1;
}
YString YAudioPlugin::GetParameterValueName(int32_t index) const {
    Y_ADAPTER_QUERY(GetParameterValueName, YString(), GetValueName(index - adapter->firstIndex));
}
YString YAudioPlugin::GetParameterValueNameFrom01(int32_t index, double value) const {
    Y_ADAPTER_QUERY(GetParameterValueNameFrom01, YString(), GetValueNameFrom01(index - adapter->firstIndex, value));
}
double YAudioPlugin::ParseParameterValueName(int32_t index, const YString& text) const {
    Y_ADAPTER_QUERY(ParseParameterValueName, 0.0, ParseValueName(index - adapter->firstIndex, text));
}
YString YAudioPlugin::GetParameterUnitsName(int32_t index) const {
    Y_ADAPTER_QUERY(GetParameterUnitsName, YString(), GetUnitsName(index - adapter->firstIndex));
}
int32_t YAudioPlugin::GetParameterType(int32_t index) const {
    Y_ADAPTER_QUERY(GetParameterType, 0, GetType(index - adapter->firstIndex));
}
double YAudioPlugin::GetParameterDefaultValue(int32_t index) const {
    Y_ADAPTER_QUERY(GetParameterDefaultValue, 0.0, GetDefaultValue(index - adapter->firstIndex));
}

#undef Y_ADAPTER_QUERY

void YAudioPlugin::AutomationChanged(int32_t index, double value) {
    ++pendingAutomation_;
    if (adapter_) adapter_->SendAutomation(index, static_cast<float>(value));
}

void YAudioPlugin::StartAutomationUpdates() {
    if (automationThread_) return;
    automationThread_ = std::make_unique<AutomationUpdateRequestThread>(*this);
    automationThread_->Start(YThread::Priority::Low);
}

void YAudioPlugin::AutomationUpdateRequestThread::Pass() {
    if (plugin_.adapters_.empty() || !plugin_.EditorExists()) return;
    if (plugin_.pendingAutomation_.exchange(0) > 0) plugin_.NeedUpdateEditor();
}

void YAudioPlugin::AutomationAdapter::SendAutomation(int32_t local) {
    if (plugin) plugin->AutomationChanged(firstIndex + local, plugin->GetParameter(firstIndex + local));
}

void YAudioPlugin::AutomationAdapter::SendAutomationValue(int32_t local, double value) {
    if (plugin) plugin->AutomationChanged(firstIndex + local, value);
}

void YAudioPlugin::AutomationAdapter::SendAutomationValueWithChange(int32_t local, double value) {
    if (!plugin) return;
    SendAutomationValue(local, value > 1e-10 ? value - 1e-10 : value + 1e-10);
    SendAutomationValue(local, value);
}

void YAudioPlugin::AutomationAdapter::SendAllAutomation() {
    for (int32_t local = 0; local < count; ++local) SendAutomation(local);
}

// ---- Channels, rate, pins ---------------------------------------------------------------

void YAudioPlugin::SetChannels(int32_t inputs, int32_t outputs) {
    requestedInputChannels_ = inputs;
    requestedOutputChannels_ = outputs;
    const int32_t requested = std::max(inputs, outputs);
    if (requested != requestedChannels_) {
        requestedChannels_ = requested;
        InitProcessing();
    }
}

void YAudioPlugin::SetSampleRate(double rate) { sampleRate_ = rate; }

int32_t YAudioPlugin::GetNumInputChannels() const {
    if (inputPins_.empty()) return 0;
    const int32_t requested = requestedInputChannels_ < 0 ? channelsPerBus_ : requestedInputChannels_;
    return std::min(requested, static_cast<int32_t>(inputPins_.size()));
}

int32_t YAudioPlugin::GetNumOutputChannels() const {
    if (inputPins_.empty()) return 0;
    const int32_t requested = requestedOutputChannels_ < 0 ? channelsPerBus_ : requestedOutputChannels_;
    return std::min(requested, static_cast<int32_t>(outputPins_.size()));
}

void YAudioPlugin::SetConnectedChannels(int32_t inputsPerBus, int32_t outputsPerBus) {
    inputBusChannels_ = std::clamp(inputsPerBus, 0, channelsPerBus_);
    outputBusChannels_ = std::clamp(outputsPerBus, 0, channelsPerBus_);
}

void YAudioPlugin::ResizePins(YStringList& pins, int32_t count) {
    // Pin lists grow by doubling.
    std::size_t capacity = 1;
    while (capacity < static_cast<std::size_t>(count)) capacity <<= 1;
    pins.reserve(capacity);
    pins.resize(static_cast<std::size_t>(count));
}

void YAudioPlugin::SetupPins(int32_t busCount, bool surround) {
    busCount = std::clamp(busCount, 1, kMaxBuses);
    channelsPerBus_ = surround ? 8 : 2;
    const int32_t total = busCount * channelsPerBus_;
    inputPins_.clear();
    outputPins_.clear();
    ResizePins(inputPins_, total);
    ResizePins(outputPins_, channelsPerBus_);
    static constexpr char16_t kStereo[2] = {u'L', u'R'};
    for (int32_t channel = 0; channel < channelsPerBus_; ++channel) {
        if (surround) {
            inputPins_[channel] = YFormat("In {0}").Arg(channel);
            outputPins_[channel] = YFormat("Out {0}").Arg(channel);
        } else {
            inputPins_[channel] = YString("In ") + YString(kStereo[channel]);
            outputPins_[channel] = YString("Out ") + YString(kStereo[channel]);
        }
    }
    for (int32_t chain = 1; chain < busCount; ++chain) {
        for (int32_t channel = 0; channel < channelsPerBus_; ++channel) {
            YString name;
            if (surround)
                name = busCount == 2 ? YFormat("Sidechain {0}").Arg(channel) : YFormat("Sidechain {0} {1}").Arg(chain).Arg(channel);
            else
                name = busCount == 2 ? YString("Sidechain ") + YString(kStereo[channel])
                                     : YFormat("Sidechain {0} {1}").Arg(YString(kStereo[channel])).Arg(chain);
            inputPins_[chain * channelsPerBus_ + channel] = name;
        }
    }
    inputBusChannels_ = outputBusChannels_ = channelsPerBus_;
}

void YAudioPlugin::TruncatePins(int32_t inputs, int32_t outputs, int32_t channelsPerBus) {
    inputPins_.resize(std::min(inputPins_.size(), static_cast<std::size_t>(std::max(inputs, 0))));
    outputPins_.resize(std::min(outputPins_.size(), static_cast<std::size_t>(std::max(outputs, 0))));
    channelsPerBus_ = channelsPerBus;
    inputBusChannels_ = std::min(inputBusChannels_, channelsPerBus_);
    outputBusChannels_ = std::min(outputBusChannels_, channelsPerBus_);
}

// ---- Latency, tail, upsampling -------------------------------------------------------------

int32_t YAudioPlugin::GetHostLatency() {
    const int32_t factor = std::max(1, upsamplingFactor_);
    int32_t latency = GetLatency() / factor;
    if (factor >= 2 && GetNumInputBuses() > 0) latency += YUpsampler::ReportedLatency(highQualityUpsampling_) / factor;
    return latency;
}

int32_t YAudioPlugin::GetHostTailLength() {
    const int32_t tail = GetTailLength();
    return tail > 0 ? tail / std::max(1, upsamplingFactor_) : tail;
}

void YAudioPlugin::UpdateUpsamplingFactor(int32_t factor, bool highQuality) {
    factor = std::max(1, factor);
    if (factor == upsamplingFactor_ && highQuality == highQualityUpsampling_) return;
    {
        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        upsamplingFactor_ = factor;
        highQualityUpsampling_ = highQuality;
    }
    InitProcessing();
}

// ---- Editor ------------------------------------------------------------------------------------

bool YAudioPlugin::CreateEditor(void* parentWindow) {
    return YGuarded("YAudioPlugin::CreateEditor", false, [&] {
        if (!editor_) {
            if (editorFactory_ == nullptr) return false;
            std::unique_ptr<YEditor> made = editorFactory_(*this);
            if (!made) return false;
            YScopedLock editor(editorLock);
            editor_ = std::move(made);
            editorExists_ = true;
        }
        (void)parentWindow;  // the binding attaches the editor to it
        return true;
    });
}

void YAudioPlugin::FinishEditorCreation() {
    YGuarded("YAudioPlugin::FinishEditorCreation", [&] {
        if (!editor_) return;
        // The automation update thread serves editors only: it starts with the first.
        StartAutomationUpdates();
        YScopedLock editor(editorLock);
        editor_->Refresh();
        int32_t width = 0, height = 0;
        GetDefaultSize(width, height);
        if (width > 0 && height > 0) editor_->SetSize(width, height);
    });
}

void YAudioPlugin::DestroyEditor() {
    YGuarded("YAudioPlugin::DestroyEditor", [&] {
        if (!editor_) return;
        YScopedLock editor(editorLock);
        editorExists_ = false;
        editorOpen_ = false;
        editor_.reset();
    });
}

bool YAudioPlugin::ResizeEditor(int32_t width, int32_t height) {
    return YGuarded("YAudioPlugin::ResizeEditor", false, [&] {
        if (!editor_ || adapter_ == nullptr) return false;
        // The host's window is never asked for less than the editor can be, so that
        // the two keep one size.
        int32_t minimumWidth = 0, minimumHeight = 0;
        editor_->GetMinimumSize(minimumWidth, minimumHeight);
        width = std::max(width, minimumWidth);
        height = std::max(height, minimumHeight);
        if (!adapter_->ChangeEditorSize(width, height)) return false;
        editor_->SetSize(width, height);
        return true;
    });
}

void YAudioPlugin::BeginEdit(int32_t index) {
    YGuarded("YAudioPlugin::BeginEdit", [&] {
        if (adapter_) adapter_->BeginEdit(index);
    });
}

void YAudioPlugin::EndEdit(int32_t index) {
    YGuarded("YAudioPlugin::EndEdit", [&] {
        if (adapter_) adapter_->EndEdit(index);
    });
}

void YAudioPlugin::NeedUpdateEditor(bool wholeState) { editorUpdate_.fetch_or(wholeState ? 2 : 1); }

// ---- Meters ------------------------------------------------------------------------------------

void YAudioPlugin::FeedMeter(bool output, float* const* channels, int32_t count, int32_t frames) {
    MeterBlock& meter = meters_[output ? 1 : 0];
    count = std::clamp(count, 0, kMeterChannels);
    meter.channels.store(count, std::memory_order_relaxed);
    for (int32_t c = 0; c < count; ++c) {
        const float* samples = channels[c];
        if (samples == nullptr) continue;
        float peak = 0.0f;
        for (int32_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
        // One writer: a peak taken by the editor in between is merely shown again.
        std::atomic<float>& cell = meter.peaks[static_cast<std::size_t>(c)];
        if (peak > cell.load(std::memory_order_relaxed)) cell.store(peak, std::memory_order_relaxed);
    }
}

int32_t YAudioPlugin::TakeMeterPeaks(bool output, float* peaks) {
    MeterBlock& meter = meters_[output ? 1 : 0];
    const int32_t count = meter.channels.load(std::memory_order_relaxed);
    for (int32_t c = 0; c < count; ++c) peaks[c] = meter.peaks[static_cast<std::size_t>(c)].exchange(0.0f, std::memory_order_relaxed);
    return count;
}
