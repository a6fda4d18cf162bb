#pragma once

// The VST 3 plug-in factory: describes the module's classes and makes instances.
// The module keeps one factory and hands a reference to every GetPluginFactory
// caller. Hosts call it on their user-interface thread, or from a scanning thread.

#include "shell/vst3/IPluginFactory.h"
#include "shell/vst3/Vst3Object.h"

#include <cstdint>
#include <vector>

namespace Vst3 {

class YVst3PluginFactory : public YVst3Object<IPluginFactory3> {
public:
    // Makes one instance with one reference for the caller, or null.
    using CreateFunction = FUnknown* (*)();
    // Runs in the destructor: the module forgets the factory there.
    using DestroyedFunction = void (*)(YVst3PluginFactory* factory);

    YVst3PluginFactory(const PFactoryInfo& info, DestroyedFunction destroyed = nullptr);

    void RegisterClass(const PClassInfo2& info, CreateFunction create);

    tresult SMTG_STDMETHODCALLTYPE getFactoryInfo(PFactoryInfo* info) override;
    int32_t SMTG_STDMETHODCALLTYPE countClasses() override;
    tresult SMTG_STDMETHODCALLTYPE getClassInfo(int32_t index, PClassInfo* info) override;
    // Unknown classes, failed creation and missing interfaces: kNoInterface, *obj null.
    tresult SMTG_STDMETHODCALLTYPE createInstance(FIDString cid, FIDString interfaceId, void** obj) override;
    tresult SMTG_STDMETHODCALLTYPE getClassInfo2(int32_t index, PClassInfo2* info) override;
    tresult SMTG_STDMETHODCALLTYPE getClassInfoUnicode(int32_t index, PClassInfoW* info) override;
    // The factory needs nothing from the host.
    tresult SMTG_STDMETHODCALLTYPE setHostContext(FUnknown* context) override;

protected:
    ~YVst3PluginFactory() override;

private:
    struct ClassRecord {
        PClassInfo2 info;
        CreateFunction create;
    };

    PFactoryInfo info_;
    std::vector<ClassRecord> classes_;
    DestroyedFunction destroyed_;
};

}  // namespace Vst3
