#include "shell/YModule.h"

#include "foundation/YException.h"
#include "foundation/YFile.h"
#include "platform/Platform.h"

#include <array>
#include <atomic>

namespace {

std::atomic<uint32_t> moduleSerial{0};

// The library's state, made on first use and freed when the library detaches (the
// last thing that happens to it), so that unloading the library leaves nothing
// behind and detach at process exit finds it whatever order static destructors
// ran in.
struct LibraryState {
    YLock initLock;
    Module* module = nullptr;
    Module* mainModule = nullptr;
    std::array<std::atomic<int32_t>, 2> instances{};
    std::array<intptr_t, 5> sharedTable{};
    YSynchronizer* sharedLock = nullptr;
};

std::atomic<LibraryState*> libraryState{nullptr};

void DestroyAtDetach();

LibraryState& State() {
    LibraryState* state = libraryState.load(std::memory_order_acquire);
    if (state != nullptr) return *state;
    auto* made = new LibraryState;
    if (libraryState.compare_exchange_strong(state, made, std::memory_order_acq_rel)) {
        Platform::SetLibraryDetachHandler(&DestroyAtDetach);
        return *made;
    }
    delete made;  // another thread was first
    return *state;
}

YLock& InitLock() { return State().initLock; }

YString FileName(const YString& path, YString& folder) {
    folder = YFile::FolderOf(path);
    YString name = YFile::NameOf(path);
    int64_t dot = -1;
    for (uint32_t i = 0; i < name.Length(); ++i)
        if (name[i] == u'.') dot = i;
    return dot > 0 ? name.Substring(0, static_cast<uint32_t>(dot)) : name;
}

// Detach at unload: the module and the state go without taking locks (the loader
// holds its own, and no instance may live any more).
void DestroyAtDetach() {
    LibraryState* state = libraryState.exchange(nullptr);
    if (state == nullptr) return;
    Module* module = state->module;
    state->module = nullptr;
    YGuarded("YCreateModuleInstance", [&] { delete module; });
    delete state;
}

// YCreateModuleInstance: the module with the library's handle and name. Caller holds initLock.
void CreateModuleInstance(const YString* name) {
    LibraryState& state = State();
    auto* module = new Module;
    void* handle = Platform::LibraryHandle();
    module->SetInstanceHandle(handle ? handle : Platform::MainProgramHandle());
    YString folder;
    YString fileName = FileName(Platform::LibraryPath(), folder);
    module->SetName(name ? *name : fileName);
    module->SetDataPath(folder);
    state.module = module;
    if (state.mainModule == nullptr) state.mainModule = module;
}

// The global resources belong to the editor toolkit; this build has none to load.
void LoadGlobalResources() {}

void DestroyModule() {
    LibraryState& state = State();
    YScopedLock lock(InitLock());
    Module* module = state.module;
    state.module = nullptr;
    if (state.mainModule == module) state.mainModule = nullptr;
    YGuarded("YCreateModuleInstance", [&] { delete module; });
}

}  // namespace

YModule::YModule() : serial_(++moduleSerial) {}

YModule::~YModule() = default;

namespace YLibrary {

void EnsureLibrary() {
    LibraryState& state = State();
    YScopedLock lock(InitLock());
    if (state.module != nullptr) return;
    CreateModuleInstance(nullptr);
    LoadGlobalResources();
    state.module->Loaded();
}

Module* GetModule() { return State().module; }

void AddInstance(YPluginInterface kind) { ++State().instances[static_cast<std::size_t>(kind)]; }

void RemoveInstance(YPluginInterface kind) {
    if (--State().instances[static_cast<std::size_t>(kind)] == 0) DestroyModule();
}

int32_t InstanceCount(YPluginInterface kind) { return State().instances[static_cast<std::size_t>(kind)].load(); }

Module* Initialize(const YLibraryInitializeBlock& block) {
    LibraryState& state = State();
    YScopedLock lock(InitLock());
    if (block.sharedTable)
        for (std::size_t i = 0; i < state.sharedTable.size(); ++i) state.sharedTable[i] = block.sharedTable[i];
    if (block.sharedLock) state.sharedLock = block.sharedLock;
    if (state.module != nullptr) return state.module;
    CreateModuleInstance(&block.moduleName);
    state.module->Loaded();
    return state.module;
}

const intptr_t* SharedTable() { return State().sharedTable.data(); }

YSynchronizer* SharedLock() {
    LibraryState& state = State();
    return state.sharedLock ? state.sharedLock : &InitLock();
}

}  // namespace YLibrary
