#pragma once

#include "foundation/YObject.h"
#include "foundation/YString.h"
#include "foundation/YSynchronizer.h"

#include <cstdint>

// The framework's module object: one per loaded library, created with the first
// plug-in instance (EnsureLibrary) and destroyed when the last instance of an
// interface goes, or when the library is unloaded.
class YModule : public YObject {
public:
    YModule();
    ~YModule() override;

    // The library's handle, or the main program's when the code does not run in a library.
    void* InstanceHandle() const { return instanceHandle_; }
    void SetInstanceHandle(void* handle) { instanceHandle_ = handle; }
    // The library's file name without folder and extension ("Vortalis").
    const YString& Name() const { return name_; }
    void SetName(const YString& name) { name_ = name; }
    // The folder the library was loaded from (empty when unknown).
    const YString& GetDataPath() const { return dataPath_; }
    void SetDataPath(const YString& path) { dataPath_ = path; }
    // Counts module objects made in this process: tells one module from the next,
    // where addresses may repeat.
    uint32_t Serial() const { return serial_; }

    // Runs once the module stands (after the global resources are loaded).
    virtual void Loaded() {}

private:
    void* instanceHandle_ = nullptr;
    YString name_;
    YString dataPath_;
    uint32_t serial_;
};

// The module of this library.
class Module : public YModule {};

// What a loader built on the same framework hands YLibraryDLLInitialize: its shared
// table of five machine words, its framework-wide synchronizer and the module's name.
struct YLibraryInitializeBlock {
    intptr_t* sharedTable = nullptr;    // five words, copied
    YSynchronizer* sharedLock = nullptr;  // adopted
    YString moduleName;
};

// The plug-in interfaces whose living instances keep the module.
enum class YPluginInterface : int32_t { Vst2 = 0, Vst3 = 1 };

// The process-wide state of the library. Any thread; initLock serialises creation
// and destruction of the module.
namespace YLibrary {

// Creates the module on first use (under initLock). Raises "Could not acquire mutex.".
void EnsureLibrary();
// The module, or null.
Module* GetModule();
// A binding was made or destroyed; the module goes when the last instance of that
// interface goes.
void AddInstance(YPluginInterface kind);
void RemoveInstance(YPluginInterface kind);
int32_t InstanceCount(YPluginInterface kind);
// The loader's hand-over: copies the shared table, adopts the synchronizer, and
// answers the module (created with the block's name when there is none).
Module* Initialize(const YLibraryInitializeBlock& block);
// The framework-wide values a loader shared.
const intptr_t* SharedTable();
YSynchronizer* SharedLock();

}  // namespace YLibrary
