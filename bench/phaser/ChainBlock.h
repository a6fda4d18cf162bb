#pragma once

#include "phaser/AllPassChain.h"

#include <cmath>
#include <vector>

// One block of chain inputs and slowly sweeping coefficients per channel, and the
// tables AllPassChain::Run takes.
struct ChainBlock {
    std::vector<std::vector<double>> u, a, out;
    std::vector<const double*> inputs, coefficients;
    std::vector<double*> outputs;

    ChainBlock(int channels, int frames)
        : u(static_cast<std::size_t>(channels), std::vector<double>(static_cast<std::size_t>(frames))), a(u), out(u) {
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < frames; ++i) {
                u[c][i] = std::sin(0.01 * i + c);
                const double w = 0.1 + 0.05 * std::sin(0.001 * i);
                a[c][i] = (1 - w) / (1 + w);
            }
            inputs.push_back(u[c].data());
            coefficients.push_back(a[c].data());
            outputs.push_back(out[c].data());
        }
    }
    void Run(AllPassChain& chain, int stages) {
        chain.Run(inputs.data(), coefficients.data(), outputs.data(), static_cast<int32_t>(out[0].size()),
                  static_cast<int32_t>(out.size()), stages, 0.49);
    }
};
