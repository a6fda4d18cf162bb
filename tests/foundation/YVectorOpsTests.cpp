#include "foundation/YVectorOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace {

// Distance in representable floats (both finite, same sign).
int64_t UlpDistance(float a, float b) {
    int32_t x, y;
    std::memcpy(&x, &a, 4);
    std::memcpy(&y, &b, 4);
    return std::llabs(static_cast<int64_t>(x) - y);
}

TEST(YVectorOps, ExpWithinOneUlpOfTheLibrary) {
    std::vector<float> x;
    for (float v = -110.0f; v < 95.0f; v += 0.0137f) x.push_back(v);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> audible(2.9f, 10.0f);  // the logarithmic sweep's range
    for (int i = 0; i < 100000; ++i) x.push_back(audible(random));
    std::vector<float> y = x;
    YVectorOps::Exp(y.data(), static_cast<int32_t>(y.size()));
    int64_t worst = 0;
    for (std::size_t i = 0; i < x.size(); ++i) worst = std::max(worst, UlpDistance(y[i], std::exp(x[i])));
    EXPECT_LE(worst, 1);

    const float inf = std::numeric_limits<float>::infinity();
    float special[] = {std::nanf(""), inf, -inf, 89.0f, -104.0f, 0.0f};
    YVectorOps::Exp(special, 6);
    EXPECT_TRUE(std::isnan(special[0]));
    EXPECT_EQ(special[1], inf);
    EXPECT_EQ(special[2], 0.0f);
    EXPECT_EQ(special[3], inf);
    EXPECT_EQ(special[4], 0.0f);
    EXPECT_EQ(special[5], 1.0f);
}

// Every primitive against its scalar formula, at every length up to three vectors,
// so that vector bodies and tails are both covered, bit for bit.
TEST(YVectorOps, PrimitivesMatchTheirFormulas) {
    using Op = std::function<void(float*, float*, int32_t)>;
    using Formula = std::function<void(float&, float&)>;
    const float nan = std::nanf("");
    const struct {
        const char* name;
        Op op;
        Formula formula;
    } cases[] = {
        {"AddConstant", [](float* a, float*, int32_t n) { YVectorOps::AddConstant(a, n, 0.3f); }, [](float& a, float&) { a += 0.3f; }},
        {"Multiply", [](float* a, float*, int32_t n) { YVectorOps::Multiply(a, n, -1.7f); }, [](float& a, float&) { a *= -1.7f; }},
        {"Square", [](float* a, float*, int32_t n) { YVectorOps::Square(a, n); }, [](float& a, float&) { a *= a; }},
        {"Clamp", [](float* a, float*, int32_t n) { YVectorOps::Clamp(a, n, -0.5f, 0.25f); },
         [](float& a, float&) { a = std::min(std::max(a, -0.5f), 0.25f); }},
        {"Add", [](float* a, float* b, int32_t n) { YVectorOps::Add(a, b, n); }, [](float& a, float& b) { a += b; }},
        {"Swap", [](float* a, float* b, int32_t n) { YVectorOps::Swap(a, b, n); }, [](float& a, float& b) { std::swap(a, b); }},
        {"MidSideEncode", [](float* a, float* b, int32_t n) { YVectorOps::MidSideEncode(a, b, n); },
         [](float& l, float& r) {
             const float m = (l + r) * 0.5f, s = (l - r) * 0.5f;
             l = m, r = s;
         }},
        {"MidSideDecode", [](float* a, float* b, int32_t n) { YVectorOps::MidSideDecode(a, b, n); },
         [](float& m, float& s) {
             const float l = m + s, r = m - s;
             m = l, s = r;
         }},
    };
    std::mt19937 random(3);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (const auto& c : cases)
        for (int32_t n = 0; n <= 12; ++n) {
            std::vector<float> a(static_cast<std::size_t>(n) + 1), b(a.size());
            for (std::size_t i = 0; i < a.size(); ++i) a[i] = sample(random), b[i] = sample(random);
            if (n > 0) a[0] = nan;
            std::vector<float> expectedA = a, expectedB = b;
            for (int32_t i = 0; i < n; ++i) c.formula(expectedA[i], expectedB[i]);
            c.op(a.data(), b.data(), n);
            for (std::size_t i = 0; i < a.size(); ++i) {
                EXPECT_EQ(std::memcmp(&a[i], &expectedA[i], 4), 0) << c.name << " length " << n << " at " << i;
                EXPECT_EQ(std::memcmp(&b[i], &expectedB[i], 4), 0) << c.name << " length " << n << " at " << i;
            }
        }
}

}  // namespace
