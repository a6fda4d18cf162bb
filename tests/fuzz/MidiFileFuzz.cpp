// Any bytes as a Standard MIDI File: either channel messages on a timeline that never
// runs backwards, or an error with the messages read before left as they were.
#include "FuzzTarget.h"

#include "MidiFile.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// One note-on at tick 0 in a format 0 file: what the reader holds before each input.
const std::vector<uint8_t> kKnownFile = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                                         'M', 'T', 'r', 'k', 0, 0, 0, 8, 0, 0x90, 60, 100, 0, 0xFF, 0x2F, 0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiFile file;
    std::string error;
    FuzzCheck(file.Read(kKnownFile, error) && file.Events().size() == 1, "the known file reads");
    const std::vector<uint8_t> bytes(data, data + size);
    if (!file.Read(bytes, error)) {
        FuzzCheck(!error.empty(), "a refusal says why");
        FuzzCheck(file.Events().size() == 1 && file.Events()[0].data1 == 60 && file.TrackCount() == 1,
                  "a refused file keeps what was read before");
        return 0;
    }
    FuzzCheck(file.Format() == 0 || file.Format() == 1, "only formats 0 and 1 are read");
    double last = 0.0;
    for (const MidiFileEvent& event : file.Events()) {
        FuzzCheck(std::isfinite(event.seconds) && event.seconds >= last, "time runs forwards");
        FuzzCheck(event.status >= 0x80 && event.status < 0xF0, "channel messages only");
        FuzzCheck(event.data1 < 0x80 && event.data2 < 0x80, "data bytes are 7-bit");
        last = event.seconds;
    }
    return 0;
}
