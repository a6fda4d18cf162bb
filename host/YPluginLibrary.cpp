#include "host/YPluginHost.h"

#include "platform/Platform.h"
#include "platform/PlatformAbi.h"

namespace {

// The library's own entries for VST 3 hosts, looked up by name.
using ModuleEntryFunction = bool (*)(void*);
using ModuleExitFunction = bool (*)();

template <typename Function>
Function SymbolAs(void* address) {
    return reinterpret_cast<Function>(address);
}

}  // namespace

std::shared_ptr<YPluginLibrary> YPluginLibrary::Open(const YString& path, YString& error) {
    YString binary = path;
    if (Platform::PathKind(path) == 2) binary = BundleBinary(path);
    std::shared_ptr<YPluginLibrary> library(new YPluginLibrary);
    library->path_ = binary;
    library->handle_ = Platform::OpenLibrary(binary, error);
    if (library->handle_ == nullptr) return nullptr;
    // Linux hosts call ModuleEntry with the handle, Windows hosts InitDll; both must agree.
    if (auto entry = SymbolAs<ModuleEntryFunction>(library->Symbol("ModuleEntry"))) {
        if (!entry(library->handle_)) {
            error = "ModuleEntry refused";
            return nullptr;
        }
    } else if (auto init = SymbolAs<ModuleExitFunction>(library->Symbol("InitDll"))) {
        if (!init()) {
            error = "InitDll refused";
            return nullptr;
        }
    }
    library->entered_ = true;
    return library;
}

YPluginLibrary::~YPluginLibrary() {
    if (handle_ == nullptr) return;
    if (entered_) {
        if (auto exit = SymbolAs<ModuleExitFunction>(Symbol("ModuleExit")))
            exit();
        else if (auto exitDll = SymbolAs<ModuleExitFunction>(Symbol("ExitDll")))
            exitDll();
    }
    Platform::CloseLibrary(handle_);
}

void* YPluginLibrary::Symbol(const char* name) const { return Platform::LibrarySymbol(handle_, name); }

YString YPluginLibrary::BundleBinary(const YString& bundle) {
    YString folder = bundle;
    while (folder.Length() > 1 && (folder[folder.Length() - 1] == u'/' || folder[folder.Length() - 1] == u'\\'))
        folder = folder.Substring(0, folder.Length() - 1);
    uint32_t start = 0;
    for (uint32_t i = 0; i < folder.Length(); ++i)
        if (folder[i] == u'/' || folder[i] == u'\\') start = i + 1;
    YString name = folder.Substring(start);
    if (name.Length() > 5 && YString::EqualsNoCase(name.Substring(name.Length() - 5), ".vst3"))
        name = name.Substring(0, name.Length() - 5);
    const YString separator(Platform::PathSeparator());
    if (Platform::kWindowsTarget)
        return folder + separator + "Contents" + separator + "x86_64-win" + separator + name + ".vst3";
    return folder + separator + "Contents" + separator + "x86_64-linux" + separator + name + ".so";
}

bool YHostedPlugin::SetParameterText(uint32_t id, const YString& text) {
    const std::optional<double> value = TextToValue(id, text);
    if (!value) return false;
    SetParameter(id, *value);
    return true;
}
