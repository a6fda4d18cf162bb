#pragma once

#include "presets/YPresetManagerBase.h"

// The preset manager over an owner whose settings it stores. The owner supplies
//   bool StorePreset(YXMLItem& preset, YPresetManagerBase& manager, bool replacing);
//   void LoadPreset(YXMLItem& preset, YPresetManagerBase& manager);
// which write its current settings into a "preset" element and apply them from one.
template <typename Owner>
class YPresetManagerT : public YPresetManagerBase {
public:
    explicit YPresetManagerT(Owner& owner) : owner_(owner) {}

protected:
    bool StoreSettings(YXMLItem& preset, bool replacing) override { return owner_.StorePreset(preset, *this, replacing); }
    void LoadSettings(YXMLItem& preset) override { owner_.LoadPreset(preset, *this); }

private:
    Owner& owner_;
};
