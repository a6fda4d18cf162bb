#pragma once

// FUnknown written once for an object that serves several VST 3 interfaces.
//
// COM interfaces have no virtual inheritance: an object implementing IComponent and
// IEditController holds two IPluginBase and several FUnknown sub-objects. One
// queryInterface / addRef / release in the most derived class overrides all of them.
// queryInterface hands out the sub-object of the asked interface (or of the first
// listed interface that derives from it) and answers FUnknown always through the first
// listed interface, so identity comparisons between pointers hold. Any thread.

#include "shell/vst3/FUnknown.h"
#include "shell/vst3/IComponent.h"
#include "shell/vst3/IEditController.h"
#include "shell/vst3/IPluginBase.h"
#include "shell/vst3/IPluginFactory.h"

#include <atomic>
#include <type_traits>
#include <utility>

namespace Vst3 {

// The interface an interface derives from (FUnknown unless listed here).
template <typename Interface>
struct InterfaceParent {
    using Type = FUnknown;
};
template <>
struct InterfaceParent<IComponent> {
    using Type = IPluginBase;
};
template <>
struct InterfaceParent<IEditController> {
    using Type = IPluginBase;
};
template <>
struct InterfaceParent<IPluginFactory2> {
    using Type = IPluginFactory;
};
template <>
struct InterfaceParent<IPluginFactory3> {
    using Type = IPluginFactory2;
};

template <typename First, typename... Others>
class YVst3Object : public First, public Others... {
public:
    YVst3Object() = default;
    YVst3Object(const YVst3Object&) = delete;
    YVst3Object& operator=(const YVst3Object&) = delete;

    tresult SMTG_STDMETHODCALLTYPE queryInterface(const TUID interfaceId, void** obj) override {
        if (obj == nullptr) return kInvalidArgument;
        *obj = nullptr;
        if (interfaceId == nullptr) return kInvalidArgument;
        void* found = Find(interfaceId);
        if (found == nullptr) found = QueryOtherInterface(interfaceId);
        if (found == nullptr) return kNoInterface;
        addRef();
        *obj = found;
        return kResultOk;
    }
    uint32_t SMTG_STDMETHODCALLTYPE addRef() override { return references_.fetch_add(1) + 1; }
    uint32_t SMTG_STDMETHODCALLTYPE release() override {
        const uint32_t left = references_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

    // The object's identity.
    FUnknown* Unknown() { return static_cast<First*>(this); }

protected:
    virtual ~YVst3Object() = default;
    // Interfaces served by other objects (none by default); the answer is not referenced.
    virtual void* QueryOtherInterface(const TUID interfaceId) {
        (void)interfaceId;
        return nullptr;
    }

private:
    void* Find(const TUID interfaceId) {
        if (UidEqual(interfaceId, FUnknown::iid)) return Unknown();
        void* found = Chain<First, First>(interfaceId);
        ((found = found ? found : Chain<Others, Others>(interfaceId)), ...);
        return found;
    }
    template <typename Through, typename Interface>
    void* Chain(const TUID interfaceId) {
        if constexpr (std::is_same_v<Interface, FUnknown>) {
            return nullptr;
        } else {
            if (UidEqual(interfaceId, Interface::iid)) return static_cast<Interface*>(static_cast<Through*>(this));
            return Chain<Through, typename InterfaceParent<Interface>::Type>(interfaceId);
        }
    }

    std::atomic<uint32_t> references_{1};
};

}  // namespace Vst3

namespace Vst3 {

// Holds one reference to an interface and releases it at the end.
template <typename Interface>
class YVst3Ptr {
public:
    YVst3Ptr() = default;
    // Takes over a reference the caller owns (a created object, a queried interface).
    explicit YVst3Ptr(Interface* owned) : pointer_(owned) {}
    YVst3Ptr(const YVst3Ptr& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->addRef();
    }
    YVst3Ptr(YVst3Ptr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
    YVst3Ptr& operator=(YVst3Ptr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~YVst3Ptr() { Reset(); }

    void Reset() {
        if (pointer_) pointer_->release();
        pointer_ = nullptr;
    }
    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For calls that hand out a referenced interface through void**.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }

    // queryInterface on any object: empty when it does not serve Interface.
    template <typename From>
    static YVst3Ptr Query(From* object) {
        YVst3Ptr result;
        if (object && object->queryInterface(Interface::iid, result.Out()) != kResultOk) result.pointer_ = nullptr;
        return result;
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace Vst3
