#pragma once

#include <cstdint>
#include <vector>

// One note as the MIDI processors receive it.
struct YNoteEvent {
    int32_t offset = 0;      // samples into the block
    double time = 0.0;       // quarter notes
    uint8_t channel = 0;     // 0-based
    int8_t key = 0;
    double velocity = 0.0;   // 0..1
    bool on = false;
    int32_t heldCount = 0;   // notes held on the channel once this event is counted
};

// A receiver of decoded MIDI that hands every event to its children first. A child
// receives an event when its enable switch is absent or on and its channel mask has
// the event's channel bit.
class YMIDIProcessorBase {
public:
    static constexpr int32_t kAllChannels = -1;

    virtual ~YMIDIProcessorBase() = default;

    virtual void ProcessNote(const YNoteEvent& note);
    virtual void ProcessAllNotesOff(int32_t offset, double time);
    virtual void ProcessMonoModeOn(int32_t offset, double time, int32_t channel);
    // key 255 means channel pressure.
    virtual void ProcessPressure(int32_t offset, double time, int32_t channel, int32_t key, double value);
    virtual void ProcessProgramChange(int32_t offset, double time, int32_t channel, int32_t program);
    virtual void ProcessVolume(int32_t offset, double time, int32_t channel, double value);
    virtual void ProcessPan(int32_t offset, double time, int32_t channel, double value);
    virtual void ProcessPitchBend(int32_t offset, double time, int32_t channel, double value);
    // Answers whether a child handled the controller.
    virtual bool ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller, double value);

    void AddChild(YMIDIProcessorBase* child) { children_.push_back(child); }
    void RemoveChild(YMIDIProcessorBase* child);
    void SetChannelMask(uint32_t mask) { channelMask_ = mask; }
    void SetEnableSwitch(const uint8_t* enabled) { enabled_ = enabled; }

    // The last volume, pan and pitch-bend values seen.
    double LastVolume() const { return lastVolume_; }
    double LastPan() const { return lastPan_; }
    double LastPitchBend() const { return lastPitchBend_; }

protected:
    // Whether child listens to events of this channel (kAllChannels: to all).
    static bool Listens(const YMIDIProcessorBase& child, int32_t channel);
    template <typename Call>
    void ForChildren(int32_t channel, Call&& call) {
        for (YMIDIProcessorBase* child : children_)
            if (Listens(*child, channel)) call(*child);
    }

private:
    double lastVolume_ = 0.5;
    double lastPan_ = 0.0;
    double lastPitchBend_ = 0.0;
    std::vector<YMIDIProcessorBase*> children_;
    uint32_t channelMask_ = 0xFFFFFFFF;
    const uint8_t* enabled_ = nullptr;
};

// Held notes per channel and key, so that releasing the sustain pedal sends exactly
// one note-off per note still held.
struct YMIDIState {
    uint16_t held[16][128] = {};
    int32_t channelHeld[16] = {};
    bool sustain[16] = {};

    void ResetMIDIState() { *this = YMIDIState(); }
};

// A MIDI processor that keeps the held-note state: notes go through
// ProcessNotePerform, and controllers 7, 10, 64, 123 and 126 have their meanings.
class YMIDIProcessor : public YMIDIProcessorBase, public YMIDIState {
public:
    // Updates the held-note state and passes the note on (a note-off is held back
    // while the channel's sustain pedal is down).
    void ProcessNotePerform(YNoteEvent note);

    bool ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller, double value) override;
    void ProcessMonoModeOn(int32_t offset, double time, int32_t channel) override;
};
