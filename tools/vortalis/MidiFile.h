#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One channel message of a Standard MIDI File, at its time in seconds.
struct MidiFileEvent {
    double seconds = 0.0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

// A Standard MIDI File of format 0 or 1 read into its channel messages on one
// timeline: the tracks merged in time order (events at the same tick keep file
// order), ticks turned into seconds through the tempo map (tempo meta events of any
// track; 120 beats per minute until the first) or through the SMPTE division.
// System exclusive and meta events other than tempo are skipped.
class MidiFile {
public:
    bool Load(const std::string& path, std::string& error);
    // False with the reason in error when the bytes are not such a file; nothing is kept then.
    bool Read(const std::vector<uint8_t>& bytes, std::string& error);

    const std::vector<MidiFileEvent>& Events() const { return events_; }
    int32_t Format() const { return format_; }
    int32_t TrackCount() const { return tracks_; }

private:
    std::vector<MidiFileEvent> events_;
    int32_t format_ = 0;
    int32_t tracks_ = 0;
};
