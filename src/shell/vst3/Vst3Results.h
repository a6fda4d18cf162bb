#pragma once

// Result codes of the VST 3 interfaces. Windows uses the system's HRESULTs (the
// interfaces are COM there); Linux uses small numbers. Ok (0) and false (1) are the
// same everywhere, so code that only tests against kResultOk / kResultTrue works on
// both; never test "< 0" for failure: kResultFalse is positive on both targets, and
// the Linux errors other than kNoInterface are positive too.

#include "shell/vst3/Vst3Types.h"

namespace Vst3 {

constexpr tresult kResultOk = 0;           // success (S_OK)
constexpr tresult kResultTrue = kResultOk;  // success, "yes"
constexpr tresult kResultFalse = 1;        // done, but "no" (S_FALSE)

// On Windows the system's HRESULTs; on Linux small numbers.
constexpr tresult Pick(uint32_t windows, tresult elsewhere) {
    return Platform::kWindowsTarget ? static_cast<tresult>(windows) : elsewhere;
}
constexpr tresult kNoInterface = Pick(0x80004002u, -1);     // E_NOINTERFACE; queryInterface: not supported
constexpr tresult kInvalidArgument = Pick(0x80070057u, 2);  // E_INVALIDARG
constexpr tresult kNotImplemented = Pick(0x80004001u, 3);   // E_NOTIMPL
constexpr tresult kInternalError = Pick(0x80004005u, 4);    // E_FAIL
constexpr tresult kNotInitialized = Pick(0x8000FFFFu, 5);   // E_UNEXPECTED
constexpr tresult kOutOfMemory = Pick(0x8007000Eu, 6);      // E_OUTOFMEMORY

}  // namespace Vst3
