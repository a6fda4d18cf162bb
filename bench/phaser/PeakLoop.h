// The processor's peak: independent multiply-add chains, enough of them to fill
// every pipeline. Included once per instruction set, inside its target switch.
template <class Ops>
void PeakLoop(int64_t multiplyAdds) {
    constexpr int kChains = 12;
    typename Ops::Vector acc[kChains];
    for (int k = 0; k < kChains; ++k) acc[k] = Ops::Set(1.0 + k * 1e-3);
    const auto a = Ops::Set(0.999999), b = Ops::Set(1e-7);
    const int64_t rounds = multiplyAdds / (kChains * Ops::kLanes);
    for (int64_t r = 0; r < rounds; ++r)
        for (int k = 0; k < kChains; ++k) acc[k] = Ops::MultiplyAdd(acc[k], a, b);
    for (int k = 0; k < kChains; ++k) benchmark::DoNotOptimize(acc[k]);
}
