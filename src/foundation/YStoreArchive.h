#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>

// One routine stores a setting in both directions: an archive either writes values
// into an element's attributes or reads them back, and every store routine is
// written once against it.
//
// The rules of stored settings: integers and booleans as decimal text (true as "1"),
// floating-point values with 12 significant digits; a value equal to its default is
// not written (an attribute already there is removed) and reads back as the default
// when missing; enumerations are written by item name and read back ignoring case,
// an unknown name reading as item 0. The "Always" forms write whatever the value is
// and leave the value unchanged when the attribute is missing. A stored number that
// is not finite (or an integer outside 32 bits) reads like a missing one.
class YStoreArchive {
public:
    YStoreArchive(YXMLItem& element, bool loading) : element_(element), loading_(loading) {}

    bool Loading() const { return loading_; }
    bool Saving() const { return !loading_; }
    YXMLItem& Element() const { return element_; }

    void Integer(const YString& name, int32_t& value, int32_t defaultValue);
    void IntegerAlways(const YString& name, int32_t& value);
    void Boolean(const YString& name, bool& value, bool defaultValue);
    void Number(const YString& name, double& value, double defaultValue);
    void Text(const YString& name, YString& value, const YString& defaultValue);
    void Enumeration(const YString& name, int32_t& index, const YString* names, int32_t count, int32_t defaultIndex);
    void EnumerationAlways(const YString& name, int32_t& index, const YString* names, int32_t count);

    // The child element of that name: made when saving, null when loading and absent.
    YXMLItem* Child(const YString& name) const;

    static YString NumberText(double value);

private:
    // Writes text, or removes the attribute when the value is its default.
    void Put(const YString& name, const YString& text, bool isDefault);
    const YString* Get(const YString& name) const { return element_.FindAttribute(name); }

    YXMLItem& element_;
    bool loading_;
};
