#include "foundation/YFormat.h"
#include "foundation/YScan.h"

#include <benchmark/benchmark.h>

namespace {

// The formatter builds every displayed parameter value, several per editor refresh.
void FormatParameterText(benchmark::State& state) {
    double value = 0.123456;
    for (auto _ : state) {
        YString text = YFormat("{0;.2} dB").Arg(value);
        benchmark::DoNotOptimize(text);
        value += 0.001;
    }
}
BENCHMARK(FormatParameterText);

void ScanSize(benchmark::State& state) {
    for (auto _ : state) {
        int32_t width = 0, height = 0;
        YScan("{0},{1}", "1024,768").Get(width).Get(height);
        benchmark::DoNotOptimize(width + height);
    }
}
BENCHMARK(ScanSize);

}  // namespace
