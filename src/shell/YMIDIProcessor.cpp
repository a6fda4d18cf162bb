#include "shell/YMIDIProcessor.h"

#include <algorithm>

bool YMIDIProcessorBase::Listens(const YMIDIProcessorBase& child, int32_t channel) {
    if (child.enabled_ != nullptr && *child.enabled_ == 0) return false;
    return channel == kAllChannels || (channel >= 0 && channel < 32 && (child.channelMask_ >> channel & 1u));
}

void YMIDIProcessorBase::RemoveChild(YMIDIProcessorBase* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

void YMIDIProcessorBase::ProcessNote(const YNoteEvent& note) {
    ForChildren(note.channel, [&](YMIDIProcessorBase& child) { child.ProcessNote(note); });
}

void YMIDIProcessorBase::ProcessAllNotesOff(int32_t offset, double time) {
    ForChildren(kAllChannels, [&](YMIDIProcessorBase& child) { child.ProcessAllNotesOff(offset, time); });
}

void YMIDIProcessorBase::ProcessMonoModeOn(int32_t offset, double time, int32_t channel) {
    ForChildren(channel, [&](YMIDIProcessorBase& child) { child.ProcessMonoModeOn(offset, time, channel); });
}

void YMIDIProcessorBase::ProcessPressure(int32_t offset, double time, int32_t channel, int32_t key, double value) {
    ForChildren(channel, [&](YMIDIProcessorBase& child) { child.ProcessPressure(offset, time, channel, key, value); });
}

void YMIDIProcessorBase::ProcessProgramChange(int32_t offset, double time, int32_t channel, int32_t program) {
    ForChildren(channel, [&](YMIDIProcessorBase& child) { child.ProcessProgramChange(offset, time, channel, program); });
}

void YMIDIProcessorBase::ProcessVolume(int32_t offset, double time, int32_t channel, double value) {
    lastVolume_ = value;
    ForChildren(channel, [&](YMIDIProcessorBase& child) { child.ProcessVolume(offset, time, channel, value); });
}

void YMIDIProcessorBase::ProcessPan(int32_t offset, double time, int32_t channel, double value) {
    lastPan_ = value;
    ForChildren(channel, [&](YMIDIProcessorBase& child) { child.ProcessPan(offset, time, channel, value); });
}

void YMIDIProcessorBase::ProcessPitchBend(int32_t offset, double time, int32_t channel, double value) {
    lastPitchBend_ = value;
    ForChildren(channel, [&](YMIDIProcessorBase& child) { child.ProcessPitchBend(offset, time, channel, value); });
}

bool YMIDIProcessorBase::ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller,
                                               double value) {
    bool handled = false;
    ForChildren(channel, [&](YMIDIProcessorBase& child) {
        handled |= child.ProcessMIDIController(offset, time, channel, controller, value);
    });
    return handled;
}

void YMIDIProcessor::ProcessNotePerform(YNoteEvent note) {
    const int c = note.channel & 15, k = note.key & 127;
    if (note.on) {
        if (held[c][k] < UINT16_MAX) {
            ++held[c][k];
            ++channelHeld[c];
        }
    } else if (sustain[c]) {
        return;  // the pedal keeps the note; its release sends the note-off
    } else if (held[c][k] > 0) {
        --held[c][k];
        --channelHeld[c];
    }
    note.heldCount = channelHeld[c];
    ProcessNote(note);
}

bool YMIDIProcessor::ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller,
                                           double value) {
    bool handled = YMIDIProcessorBase::ProcessMIDIController(offset, time, channel, controller, value);
    const int c = channel & 15;
    switch (controller) {
        case 7: ProcessVolume(offset, time, channel, value); return true;
        case 10: ProcessPan(offset, time, channel, value * 2.0 - 1.0); return true;
        case 64: {
            bool down = value >= 0.5;
            bool released = sustain[c] && !down;
            sustain[c] = down;
            if (released) {
                // Every note still counted as held gets its note-off now.
                for (int key = 0; key < 128; ++key) {
                    while (held[c][key] > 0) {
                        --held[c][key];
                        --channelHeld[c];
                        YNoteEvent off;
                        off.offset = offset;
                        off.time = time;
                        off.channel = static_cast<uint8_t>(c);
                        off.key = static_cast<int8_t>(key);
                        off.heldCount = channelHeld[c];
                        ProcessNote(off);
                    }
                }
            }
            return true;
        }
        case 123: ProcessAllNotesOff(offset, time); return true;
        case 126: ProcessMonoModeOn(offset, time, channel); return true;
        default: return handled;
    }
}

void YMIDIProcessor::ProcessMonoModeOn(int32_t offset, double time, int32_t channel) {
    YMIDIProcessorBase::ProcessMonoModeOn(offset, time, channel);
    ProcessAllNotesOff(offset, time);
}
