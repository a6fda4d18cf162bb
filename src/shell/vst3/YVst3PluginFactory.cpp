#include "shell/vst3/YVst3PluginFactory.h"

#include "shell/vst3/Vst3Text.h"

#include <cstring>

namespace Vst3 {

YVst3PluginFactory::YVst3PluginFactory(const PFactoryInfo& info, DestroyedFunction destroyed)
    : info_(info), destroyed_(destroyed) {}

YVst3PluginFactory::~YVst3PluginFactory() {
    if (destroyed_) destroyed_(this);
}

void YVst3PluginFactory::RegisterClass(const PClassInfo2& info, CreateFunction create) {
    classes_.push_back(ClassRecord{info, create});
}

tresult YVst3PluginFactory::getFactoryInfo(PFactoryInfo* info) {
    if (info == nullptr) return kInvalidArgument;
    *info = info_;
    return kResultOk;
}

int32_t YVst3PluginFactory::countClasses() { return static_cast<int32_t>(classes_.size()); }

tresult YVst3PluginFactory::getClassInfo(int32_t index, PClassInfo* info) {
    if (info == nullptr || index < 0 || index >= countClasses()) return kInvalidArgument;
    const PClassInfo2& source = classes_[static_cast<std::size_t>(index)].info;
    std::memcpy(info->cid, source.cid, sizeof info->cid);
    info->cardinality = source.cardinality;
    std::memcpy(info->category, source.category, sizeof info->category);
    std::memcpy(info->name, source.name, sizeof info->name);
    return kResultOk;
}

tresult YVst3PluginFactory::getClassInfo2(int32_t index, PClassInfo2* info) {
    if (info == nullptr || index < 0 || index >= countClasses()) return kInvalidArgument;
    *info = classes_[static_cast<std::size_t>(index)].info;
    return kResultOk;
}

tresult YVst3PluginFactory::getClassInfoUnicode(int32_t index, PClassInfoW* info) {
    if (info == nullptr || index < 0 || index >= countClasses()) return kInvalidArgument;
    const PClassInfo2& source = classes_[static_cast<std::size_t>(index)].info;
    std::memcpy(info->cid, source.cid, sizeof info->cid);
    info->cardinality = source.cardinality;
    std::memcpy(info->category, source.category, sizeof info->category);
    CopyText(info->name, source.name, PClassInfo::kNameSize);
    info->classFlags = source.classFlags;
    std::memcpy(info->subCategories, source.subCategories, sizeof info->subCategories);
    CopyText(info->vendor, source.vendor, PClassInfoW::kVendorSize);
    CopyText(info->version, source.version, PClassInfoW::kVersionSize);
    CopyText(info->sdkVersion, source.sdkVersion, PClassInfoW::kVersionSize);
    return kResultOk;
}

tresult YVst3PluginFactory::createInstance(FIDString cid, FIDString interfaceId, void** obj) {
    if (obj == nullptr) return kInvalidArgument;
    *obj = nullptr;
    if (cid == nullptr || interfaceId == nullptr) return kInvalidArgument;
    for (const ClassRecord& record : classes_) {
        if (!UidEqual(cid, record.info.cid)) continue;
        FUnknown* instance = record.create ? record.create() : nullptr;
        if (instance == nullptr) return kNoInterface;
        const tresult result = instance->queryInterface(interfaceId, obj);
        instance->release();
        if (result != kResultOk) {
            *obj = nullptr;
            return kNoInterface;
        }
        return kResultOk;
    }
    return kNoInterface;
}

tresult YVst3PluginFactory::setHostContext(FUnknown*) { return kNotImplemented; }

}  // namespace Vst3
