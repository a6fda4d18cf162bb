#include "MidiFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

// Reads big-endian numbers and variable-length quantities, raising at the end of data.
class Cursor {
public:
    Cursor(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return at_ >= size_; }
    std::size_t Left() const { return size_ - at_; }
    uint8_t Byte() {
        if (at_ >= size_) throw std::runtime_error("the file ends inside a chunk");
        return data_[at_++];
    }
    uint8_t Peek() const {
        if (at_ >= size_) throw std::runtime_error("the file ends inside a chunk");
        return data_[at_];
    }
    uint32_t Number(int bytes) {
        uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) value = value << 8 | Byte();
        return value;
    }
    uint32_t Quantity() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t byte = Byte();
            value = value << 7 | (byte & 0x7F);
            if ((byte & 0x80) == 0) return value;
        }
        throw std::runtime_error("a variable-length number is longer than 4 bytes");
    }
    void Skip(std::size_t count) {
        if (count > Left()) throw std::runtime_error("the file ends inside a chunk");
        at_ += count;
    }
    Cursor Sub(std::size_t count) {
        if (count > Left()) throw std::runtime_error("a chunk is longer than the file");
        Cursor sub(data_ + at_, count);
        at_ += count;
        return sub;
    }
    std::string Tag() {
        std::string tag;
        for (int i = 0; i < 4; ++i) tag += static_cast<char>(Byte());
        return tag;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct TickEvent {
    uint64_t tick;
    MidiFileEvent event;
};

struct TempoChange {
    uint64_t tick;
    uint32_t microsecondsPerQuarter;
};

void ReadTrack(Cursor track, std::vector<TickEvent>& events, std::vector<TempoChange>& tempos) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!track.AtEnd()) {
        tick += track.Quantity();
        uint8_t status = track.Peek();
        if (status & 0x80) {
            track.Byte();
        } else if (running == 0) {
            throw std::runtime_error("a data byte without a status");
        } else {
            status = running;
        }
        if (status == 0xFF) {
            running = 0;
            const uint8_t type = track.Byte();
            const uint32_t length = track.Quantity();
            if (type == 0x51 && length == 3) {
                tempos.push_back({tick, track.Number(3)});
            } else {
                track.Skip(length);
                if (type == 0x2F) return;  // end of track
            }
        } else if (status == 0xF0 || status == 0xF7) {
            running = 0;
            track.Skip(track.Quantity());
        } else if (status >= 0xF0) {
            throw std::runtime_error("a system message inside a track");
        } else {
            running = status;
            MidiFileEvent event;
            event.status = status;
            event.data1 = track.Byte() & 0x7F;
            const uint8_t kind = status & 0xF0;
            if (kind != 0xC0 && kind != 0xD0) event.data2 = track.Byte() & 0x7F;
            events.push_back({tick, event});
        }
    }
}

}  // namespace

bool MidiFile::Load(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read \"" + path + "\"";
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (Read(bytes, error)) return true;
    error = "\"" + path + "\" is not a standard MIDI file: " + error;
    return false;
}

bool MidiFile::Read(const std::vector<uint8_t>& bytes, std::string& error) {
    try {
        Cursor file(bytes.data(), bytes.size());
        if (file.Left() < 14 || file.Tag() != "MThd") throw std::runtime_error("no \"MThd\" header");
        const uint32_t headerLength = file.Number(4);
        if (headerLength < 6) throw std::runtime_error("the header is too short");
        Cursor header = file.Sub(headerLength);
        const auto format = static_cast<int32_t>(header.Number(2));
        const auto tracks = static_cast<int32_t>(header.Number(2));
        const uint32_t division = header.Number(2);
        if (format > 1) throw std::runtime_error("format " + std::to_string(format) + " (only 0 and 1 are read)");
        if (division == 0) throw std::runtime_error("a division of 0 ticks");

        std::vector<TickEvent> ticked;
        std::vector<TempoChange> tempos;
        int32_t found = 0;
        while (!file.AtEnd() && found < tracks) {
            const std::string tag = file.Tag();
            const uint32_t length = file.Number(4);
            Cursor chunk = file.Sub(length);
            if (tag != "MTrk") continue;  // chunks of other kinds are skipped, as the format asks
            ReadTrack(chunk, ticked, tempos);
            ++found;
        }
        if (found < tracks) throw std::runtime_error("fewer tracks than the header announces");

        // Events of the same tick keep the order of the file (track by track).
        std::stable_sort(ticked.begin(), ticked.end(), [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });
        std::stable_sort(tempos.begin(), tempos.end(), [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        std::vector<MidiFileEvent> events;
        events.reserve(ticked.size());
        if (division & 0x8000) {
            // SMPTE: frames per second (stored negated) times ticks per frame.
            const int framesPerSecond = -static_cast<int8_t>(division >> 8);
            const int ticksPerFrame = static_cast<int>(division & 0xFF);
            if (framesPerSecond <= 0 || ticksPerFrame <= 0) throw std::runtime_error("a broken SMPTE division");
            for (TickEvent& e : ticked) {
                e.event.seconds = static_cast<double>(e.tick) / (framesPerSecond * ticksPerFrame);
                events.push_back(e.event);
            }
        } else {
            double seconds = 0.0, secondsPerTick = 0.5 / division;
            uint64_t at = 0;
            std::size_t nextTempo = 0;
            for (TickEvent& e : ticked) {
                while (nextTempo < tempos.size() && tempos[nextTempo].tick <= e.tick) {
                    seconds += static_cast<double>(tempos[nextTempo].tick - at) * secondsPerTick;
                    at = tempos[nextTempo].tick;
                    secondsPerTick = tempos[nextTempo].microsecondsPerQuarter * 1e-6 / division;
                    ++nextTempo;
                }
                e.event.seconds = seconds + static_cast<double>(e.tick - at) * secondsPerTick;
                events.push_back(e.event);
            }
        }
        events_ = std::move(events);
        format_ = format;
        tracks_ = tracks;
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}
