#pragma once

// A plug-in instance driven over VST 3: the factory from GetPluginFactory, the
// component and its processor and controller halves each through their own
// queryInterface pointer (a separate controller is made when the component does not
// serve one), bus arrangements, setupProcessing, setActive and process() with
// parameter queues, event lists and a process context.

#include "host/YPluginHost.h"
#include "host/YVst3HostObjects.h"
#include "shell/vst3/IAudioProcessor.h"
#include "shell/vst3/IComponent.h"
#include "shell/vst3/IEditController.h"
#include "shell/vst3/IPluginFactory.h"
#include "shell/vst3/ProcessContext.h"

#include <vector>

class YVst3HostedPlugin : public YHostedPlugin {
public:
    static inline const YString kHostName = "Vortalis Host";

    // An instance of the factory's first "Audio Module Class" class.
    static std::unique_ptr<YVst3HostedPlugin> Create(const std::shared_ptr<YPluginLibrary>& library, YString& error);
    ~YVst3HostedPlugin() override;

    Format GetFormat() const override { return Format::Vst3; }
    bool Prepare(double sampleRate, int32_t maxBlock, int32_t inputChannels, int32_t outputChannels) override;
    std::vector<YHostedParameter> Parameters() override;
    double GetParameter(uint32_t id) override;
    void SetParameter(uint32_t id, double value) override;
    YString ValueText(uint32_t id, std::optional<double> value = {}) override;
    std::optional<double> TextToValue(uint32_t id, const YString& text) override;
    void Process(const float* const* inputs, float* const* outputs, int32_t frames) override;
    YByteBuffer GetState() override;
    bool SetState(const YByteBuffer& state) override;
    int32_t Latency() override;
    int64_t Tail() override;
    std::vector<YHostAutomation> TakeAutomation() override;
    bool OpenEditor(YHostWindow& window) override;
    void CloseEditor() override;
    bool EditorSize(int32_t& width, int32_t& height) override;
    bool ResizeEditor(int32_t& width, int32_t& height) override;
    void IdleEditor() override;
    std::vector<YHostGesture> TakeGestures() override;
    // The open view, or null.
    Vst3::IPlugView* EditorView() const { return view_.Get(); }
    // The open view's frame (its run loop on Linux), or null.
    YVst3Host::PlugFrame* EditorFrame() const { return frame_.Get(); }

    // ---- Raw access ---------------------------------------------------------------------
    Vst3::IPluginFactory* Factory() const { return factory_.Get(); }
    Vst3::IComponent* Component() const { return component_.Get(); }
    Vst3::IAudioProcessor* Processor() const { return processor_.Get(); }
    Vst3::IEditController* Controller() const { return controller_.Get(); }
    YVst3Host::ComponentHandler& Handler() const { return *handler_.Get(); }
    Vst3::FUnknown* HostContext() const { return hostContext_.Get(); }
    // Whether the controller is the component itself.
    bool SingleComponent() const { return singleComponent_; }
    // A point for the next block (several per parameter make a ramp).
    void QueueParameterChange(Vst3::ParamID id, int32_t offset, Vst3::ParamValue value);
    // An event for the next block, as given.
    void QueueEvent(const Vst3::Event& event);
    // The next block runs with this context, or none.
    void SetContextEnabled(bool enabled) { contextEnabled_ = enabled; }
    // The bypass parameter's id, or kNoParamId.
    Vst3::ParamID BypassId() const { return bypassId_; }
    // Channels per audio bus after the arrangement negotiation.
    int32_t BusChannels(Vst3::BusDirection direction, int32_t bus) const;
    bool Active() const { return active_; }

private:
    YVst3HostedPlugin(const std::shared_ptr<YPluginLibrary>& library) : library_(library) {}
    void Deactivate();
    void FillContext();
    void SendMIDIInput();

    std::shared_ptr<YPluginLibrary> library_;
    Vst3::YVst3Ptr<Vst3::IPluginFactory> factory_;
    Vst3::YVst3Ptr<Vst3::IComponent> component_;
    Vst3::YVst3Ptr<Vst3::IAudioProcessor> processor_;
    Vst3::YVst3Ptr<Vst3::IEditController> controller_;
    Vst3::YVst3Ptr<Vst3::FUnknown> hostContext_;
    Vst3::YVst3Ptr<YVst3Host::ComponentHandler> handler_;
    Vst3::YVst3Ptr<YVst3Host::ParameterChanges> changes_;
    Vst3::YVst3Ptr<YVst3Host::EventList> inputEvents_;
    Vst3::YVst3Ptr<YVst3Host::EventList> outputEvents_;
    Vst3::YVst3Ptr<Vst3::IPlugView> view_;
    Vst3::YVst3Ptr<YVst3Host::PlugFrame> frame_;
    YHostWindow* editorWindow_ = nullptr;
    bool singleComponent_ = false;
    bool controllerInitialized_ = false;
    bool active_ = false;
    bool contextEnabled_ = true;
    bool hasEventOutput_ = false;
    std::size_t editsTaken_ = 0;
    Vst3::ParamID bypassId_ = Vst3::kNoParamId;
    double sampleRate_ = 44100.0;
    int32_t maxBlock_ = 0;
    int32_t inputChannels_ = 0;
    int32_t outputChannels_ = 0;
    std::vector<Vst3::AudioBusBuffers> inputBuses_;
    std::vector<Vst3::AudioBusBuffers> outputBuses_;
    std::vector<std::vector<float*>> inputPointers_;
    std::vector<std::vector<float*>> outputPointers_;
    std::vector<std::vector<float>> inputStorage_;
    std::vector<std::vector<float>> outputStorage_;
    Vst3::ProcessContext context_{};
};
