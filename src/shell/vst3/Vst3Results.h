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

#if defined(_WIN32)
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);      // E_NOINTERFACE
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);  // E_INVALIDARG
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);   // E_NOTIMPL
constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);    // E_FAIL
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);   // E_UNEXPECTED
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);      // E_OUTOFMEMORY
#else
constexpr tresult kNoInterface = -1;       // queryInterface: not supported
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

}  // namespace Vst3
