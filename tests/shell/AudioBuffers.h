#pragma once

#include "shell/YAudioPlugin.h"

#include <array>
#include <cmath>
#include <vector>

// Channel buffers laid out as a binding hands them over: a table of pointers, bus
// after bus, YAudioPlugin::kTableStride per bus.
struct AudioBuffers {
    std::vector<std::vector<float>> channels;
    std::array<float*, YAudioPlugin::kMaxBuses * YAudioPlugin::kTableStride> table{};

    AudioBuffers(int channelCount, int frames, float fill = 0.0f) {
        channels.assign(static_cast<std::size_t>(channelCount), std::vector<float>(static_cast<std::size_t>(frames), fill));
        for (int c = 0; c < channelCount; ++c) table[static_cast<std::size_t>(c)] = channels[static_cast<std::size_t>(c)].data();
    }
    float** Table() { return table.data(); }
    std::vector<float>& operator[](int channel) { return channels[static_cast<std::size_t>(channel)]; }

    // A different test signal per channel.
    static AudioBuffers Signal(int channelCount, int frames) {
        AudioBuffers buffers(channelCount, frames);
        for (std::size_t c = 0; c < buffers.channels.size(); ++c)
            for (std::size_t i = 0; i < buffers.channels[c].size(); ++i)
                buffers.channels[c][i] = static_cast<float>(std::sin(0.05 * static_cast<double>(i) * (c + 1) + c));
        return buffers;
    }
};
