// The library's exported entry points. This file is compiled into each plug-in library
// (not into the shared shell library), so that its exports are always linked in:
//   VSTPluginMain, main       VST 2.4 (main for old hosts: the same function)
//   GetPluginFactory          VST 3
//   InitDll, ExitDll          VST 3 on Windows (the same function)
//   ModuleEntry, ModuleExit   VST 3 on Linux
//   YLibraryDLLInitialize     a loader of the same framework shares its state
// The product adds VortalisAudioEffectPluginInterface. Nothing else is exported.
#include "ModuleIdentity.h"

#include "foundation/YException.h"
#include "platform/PlatformAbi.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/YAudioPlugin.h"
#include "shell/YModule.h"
#include "shell/vst2/YAudioPluginVSTAdapter.h"
#include "shell/vst3/YAudioPluginVST3Adapter.h"
#include "shell/vst3/YVst3PluginCompatibility.h"
#include "shell/vst3/YVst3PluginFactory.h"
#include "shell/vst3/Vst3Text.h"

#include <memory>
#include <mutex>

namespace {

using namespace ModuleIdentity;

std::mutex factoryMutex;
Vst3::YVst3PluginFactory* factory = nullptr;

void FactoryDestroyed(Vst3::YVst3PluginFactory* destroyed) {
    std::lock_guard lock(factoryMutex);
    if (factory == destroyed) factory = nullptr;
}

// The factory's creation function: a new binding around a new plug-in, one reference.
Vst3::FUnknown* CreateVST3Instance() {
    try {
        YLibrary::EnsureLibrary();
        std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
        if (!plugin) return nullptr;
        auto* adapter = new YAudioPluginVST3Adapter(plugin.get());
        plugin.release();
        return adapter->Unknown();
    } catch (...) {
        ReportGuardFailure("VST3 Plugin main");
        return nullptr;
    }
}

// The compatibility class: which VST 2 plug-in the audio class replaces.
Vst3::FUnknown* CreateCompatibilityInstance() {
    try {
        return (new Vst3::YVst3PluginCompatibility(kCompatibilityJson))->Unknown();
    } catch (...) {
        ReportGuardFailure("VST3 compatibility");
        return nullptr;
    }
}

Vst3::YVst3PluginFactory* MakeFactory() {
    Vst3::PFactoryInfo info{};
    Vst3::CopyText(info.vendor, kVendor, sizeof info.vendor);
    Vst3::CopyText(info.url, kVendorUrl, sizeof info.url);
    Vst3::CopyText(info.email, kVendorEmail, sizeof info.email);
    info.flags = Vst3::PFactoryInfo::kUnicode;
    auto* made = new Vst3::YVst3PluginFactory(info, &FactoryDestroyed);

    Vst3::PClassInfo2 audioClass{};
    for (int i = 0; i < 16; ++i) audioClass.cid[i] = YAudioPluginVST3Adapter::kClassId.bytes[i];
    audioClass.cardinality = Vst3::PClassInfo::kManyInstances;
    Vst3::CopyText(audioClass.category, Vst3::kVstAudioEffectClass, sizeof audioClass.category);
    Vst3::CopyText(audioClass.name, kClassName, sizeof audioClass.name);
    audioClass.classFlags = 0;
    Vst3::CopyText(audioClass.subCategories, kSubCategories, sizeof audioClass.subCategories);
    audioClass.vendor[0] = 0;  // the factory's vendor applies
    Vst3::CopyText(audioClass.version, kClassVersion, sizeof audioClass.version);
    Vst3::CopyText(audioClass.sdkVersion, kSdkVersion, sizeof audioClass.sdkVersion);
    made->RegisterClass(audioClass, &CreateVST3Instance);

    Vst3::PClassInfo2 compatibilityClass = audioClass;
    const Vst3::Uid compatibilityId = Vst3::MakeUidFromBytes(kCompatibilityClassId);
    for (int i = 0; i < 16; ++i) compatibilityClass.cid[i] = compatibilityId.bytes[i];
    Vst3::CopyText(compatibilityClass.category, Vst3::kPluginCompatibilityClass, sizeof compatibilityClass.category);
    Vst3::CopyText(compatibilityClass.name, kCompatibilityClassName, sizeof compatibilityClass.name);
    compatibilityClass.subCategories[0] = 0;
    made->RegisterClass(compatibilityClass, &CreateCompatibilityInstance);
    return made;
}

}  // namespace

extern "C" {

// The VST 2.4 entry: a new instance for a host that answers the version query.
Y_EXPORT Vst2::AEffect* VSTCALLBACK VSTPluginMain(Vst2::audioMasterCallback host) noexcept {
    try {
        if (host == nullptr || host(nullptr, Vst2::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
        YLibrary::EnsureLibrary();
        std::unique_ptr<YAudioPlugin> plugin(CreateAudioPlugin());
        YAudioPluginVSTAdapter* adapter = plugin ? new YAudioPluginVSTAdapter(host, plugin.get()) : nullptr;
        if (adapter == nullptr) {
            ReportSystemException("Error creating Vst plugin object.");
            return nullptr;
        }
        plugin.release();
        return adapter->getAeffect();
    } catch (...) {
        ReportGuardFailure("VST Plugin main");
        return nullptr;
    }
}

// Old hosts look for "main"; no C++ function may carry that name, so the symbol is
// given by assembler name to another name of the same function.
Y_EXPORT Vst2::AEffect* VSTCALLBACK VSTPluginMainForOldHosts(Vst2::audioMasterCallback host) noexcept
    __asm__("main") __attribute__((alias("VSTPluginMain")));

// The VST 3 entry: the module's one factory, with one reference for each caller.
Y_EXPORT Vst3::IPluginFactory* SMTG_STDMETHODCALLTYPE GetPluginFactory() noexcept {
    try {
        std::lock_guard lock(factoryMutex);
        if (factory) {
            factory->addRef();
        } else {
            factory = MakeFactory();
        }
        return factory;
    } catch (...) {
        ReportGuardFailure("GetPluginFactory");
        return nullptr;
    }
}

Y_EXPORT bool SMTG_STDMETHODCALLTYPE InitDll() noexcept { return true; }

Y_EXPORT bool SMTG_STDMETHODCALLTYPE ExitDll() noexcept __attribute__((alias("InitDll")));

// block: a YLibraryInitializeBlock. Answers the module object.
Y_EXPORT void* YLibraryDLLInitialize(void* block) noexcept {
    try {
        if (block == nullptr) return nullptr;
        return YLibrary::Initialize(*static_cast<const YLibraryInitializeBlock*>(block));
    } catch (...) {
        ReportGuardFailure("YLibraryDLLInitialize");
        return nullptr;
    }
}

// Linux VST 3 hosts call these after dlopen and before dlclose; the library's own
// attach and detach do the work, so both only agree.
Y_EXPORT_LINUX bool ModuleEntry(void* sharedLibraryHandle) noexcept {
    (void)sharedLibraryHandle;
    return true;
}

Y_EXPORT_LINUX bool ModuleExit() noexcept { return true; }

}  // extern "C"
