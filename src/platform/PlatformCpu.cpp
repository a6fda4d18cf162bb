#include "platform/Platform.h"

#include <cpuid.h>

namespace Platform {

CpuFeatures QueryCpuFeatures() noexcept {
    CpuFeatures features;
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return features;
    features.sse = (edx >> 25) & 1;
    features.sse2 = (edx >> 26) & 1;
    features.sse3 = (ecx >> 0) & 1;
    features.ssse3 = (ecx >> 9) & 1;
    features.sse41 = (ecx >> 19) & 1;
    features.sse42 = (ecx >> 20) & 1;
    const bool fma = (ecx >> 12) & 1, osxsave = (ecx >> 27) & 1, avx = (ecx >> 28) & 1;
    if (!fma || !osxsave || !avx) return features;
    unsigned int xcrLow = 0, xcrHigh = 0;
    __asm__("xgetbv" : "=a"(xcrLow), "=d"(xcrHigh) : "c"(0));
    if ((xcrLow & 6) != 6) return features;
    if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return features;
    features.avx2Fma = (ebx >> 5) & 1;
    return features;
}

}  // namespace Platform
