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
    return features;
}

}  // namespace Platform
