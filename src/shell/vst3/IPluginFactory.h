#pragma once

// The VST 3 plug-in factory: what the exported GetPluginFactory returns. It lists
// the classes the module offers (PClassInfo, PClassInfo2, PClassInfoW) and creates
// instances of them. Hosts call it from their UI thread, and some scan many modules
// from a background thread: nothing here may touch the audio engine.
//
// GetPluginFactory hands out a reference the caller owns: when the module keeps one
// factory for all callers it must addRef it for every call after the first.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

// The factory's own description (getFactoryInfo).
struct PFactoryInfo {
    enum FactoryFlags : int32_t {
        kNoFlags = 0,
        kClassesDiscardable = 1 << 0,       // the class list may change between loads: do not cache it
        kLicenseCheck = 1 << 1,             // retired
        kComponentNonDiscardable = 1 << 3,  // keep the module loaded until the process ends
        kUnicode = 1 << 4,                  // the classes' strings are UTF-16 (PClassInfoW): always set
    };
    static constexpr int kURLSize = 256;
    static constexpr int kEmailSize = 128;
    static constexpr int kNameSize = 64;

    char vendor[kNameSize];  // maker's name, 8-bit, zero-terminated
    char url[kURLSize];      // maker's web address
    char email[kEmailSize];  // maker's contact address
    int32_t flags;           // FactoryFlags
};

// Basic description of one class (getClassInfo).
struct PClassInfo {
    static constexpr int32_t kManyInstances = 0x7FFFFFFF;  // cardinality: no limit
    static constexpr int kCategorySize = 32;
    static constexpr int kNameSize = 64;

    TUID cid;                       // class ID, 16 raw bytes
    int32_t cardinality;            // how many instances may exist: kManyInstances
    char category[kCategorySize];   // kVstAudioEffectClass, kVstComponentControllerClass, ...
    char name[kNameSize];           // the name users see, 8-bit
};

// Class categories (PClassInfo::category).
constexpr const char* kVstAudioEffectClass = "Audio Module Class";
constexpr const char* kVstComponentControllerClass = "Component Controller Class";

// Extended description of one class (IPluginFactory2::getClassInfo2).
struct PClassInfo2 {
    static constexpr int kVendorSize = 64;
    static constexpr int kVersionSize = 64;
    static constexpr int kSubCategoriesSize = 128;

    TUID cid;                                   // as PClassInfo
    int32_t cardinality;                        // as PClassInfo
    char category[PClassInfo::kCategorySize];   // as PClassInfo
    char name[PClassInfo::kNameSize];           // as PClassInfo
    uint32_t classFlags;                        // ComponentFlags (IAudioProcessor.h)
    char subCategories[kSubCategoriesSize];     // "Fx|Modulation": '|'-separated categories
    char vendor[kVendorSize];                   // empty: the factory's vendor applies
    char version[kVersionSize];                 // the class's version text, "1.0.0.512"
    char sdkVersion[kVersionSize];              // interface version it was built for, "VST 3.5.2"
};

// The UTF-16 form of PClassInfo2 (IPluginFactory3::getClassInfoUnicode).
struct PClassInfoW {
    static constexpr int kVendorSize = 64;
    static constexpr int kVersionSize = 64;
    static constexpr int kSubCategoriesSize = 128;

    TUID cid;                                   // as PClassInfo
    int32_t cardinality;                        // as PClassInfo
    char category[PClassInfo::kCategorySize];   // as PClassInfo (still 8-bit)
    TChar name[PClassInfo::kNameSize];          // UTF-16
    uint32_t classFlags;                        // as PClassInfo2
    char subCategories[kSubCategoriesSize];     // as PClassInfo2 (still 8-bit)
    TChar vendor[kVendorSize];                  // UTF-16
    TChar version[kVersionSize];                // UTF-16
    TChar sdkVersion[kVersionSize];             // UTF-16
};

class IPluginFactory : public FUnknown {
public:
    // Fills the factory's description. kResultOk.
    virtual tresult SMTG_STDMETHODCALLTYPE getFactoryInfo(PFactoryInfo* info) = 0;
    // Number of classes the module offers.
    virtual int32_t SMTG_STDMETHODCALLTYPE countClasses() = 0;
    // Describes class 0 .. countClasses()-1; kInvalidArgument past the end.
    virtual tresult SMTG_STDMETHODCALLTYPE getClassInfo(int32_t index, PClassInfo* info) = 0;
    // Creates an instance of class cid and answers its interface interfaceId in *obj. Both
    // arguments point at 16 raw ID bytes, not at text. The caller owns the one
    // reference *obj carries (create at 1, query to 2, release the creator's: 1).
    // Unknown class, failed creation or missing interface: *obj = nullptr and
    // kNoInterface (what hosts expect; they only test for kResultOk).
    virtual tresult SMTG_STDMETHODCALLTYPE createInstance(FIDString cid, FIDString interfaceId,
                                                          void** obj) = 0;

    static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
public:
    // Extended description of class index.
    virtual tresult SMTG_STDMETHODCALLTYPE getClassInfo2(int32_t index, PClassInfo2* info) = 0;

    static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    // UTF-16 description of class index.
    virtual tresult SMTG_STDMETHODCALLTYPE getClassInfoUnicode(int32_t index,
                                                               PClassInfoW* info) = 0;
    // The host's context before any instance exists (may be called again, or never).
    virtual tresult SMTG_STDMETHODCALLTYPE setHostContext(FUnknown* context) = 0;

    static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

protected:
    ~IPluginFactory3() = default;
};

// The module's exports, as a host calls them (looked up by name).
//   "GetPluginFactory" (both targets): the factory, referenced for the caller.
//   "InitDll" / "ExitDll" (Windows, optional): after LoadLibrary / before FreeLibrary.
//   "ModuleEntry" / "ModuleExit" (Linux, mandatory): after dlopen, with the dlopen
//     handle / before dlclose. A false answer from an entry makes the host give up.
using GetFactoryProc = IPluginFactory*(SMTG_STDMETHODCALLTYPE*)();
using InitModuleProc = bool(SMTG_STDMETHODCALLTYPE*)();
using ExitModuleProc = bool(SMTG_STDMETHODCALLTYPE*)();
using ModuleEntryProc = bool(SMTG_STDMETHODCALLTYPE*)(void* sharedLibraryHandle);
using ModuleExitProc = bool(SMTG_STDMETHODCALLTYPE*)();

}  // namespace Vst3
