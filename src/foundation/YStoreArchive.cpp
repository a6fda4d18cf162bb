#include "foundation/YStoreArchive.h"

#include "foundation/YFormat.h"

#include <cmath>

YString YStoreArchive::NumberText(double value) { return YFormat("{0;.12}").Arg(value); }

void YStoreArchive::Put(const YString& name, const YString& text, bool isDefault) {
    if (isDefault)
        element_.RemoveAttribute(name);
    else
        element_.SetAttribute(name, text);
}

namespace {

// Stored numbers come from files and hosts: what is no finite number, or no 32-bit
// integer, reads as the fallback.
double FiniteOr(const YString* text, double fallback) {
    if (text == nullptr) return fallback;
    const double value = ToDouble(*text);
    return std::isfinite(value) ? value : fallback;
}

int32_t IntegerOr(const YString* text, int32_t fallback) {
    const double value = std::round(FiniteOr(text, fallback));
    return value >= -2147483648.0 && value <= 2147483647.0 ? static_cast<int32_t>(value) : fallback;
}

}  // namespace

void YStoreArchive::Integer(const YString& name, int32_t& value, int32_t defaultValue) {
    if (Saving()) {
        Put(name, YFormat("{0}").Arg(value), value == defaultValue);
        return;
    }
    value = IntegerOr(Get(name), defaultValue);
}

void YStoreArchive::IntegerAlways(const YString& name, int32_t& value) {
    if (Saving()) {
        Put(name, YFormat("{0}").Arg(value), false);
        return;
    }
    value = IntegerOr(Get(name), value);
}

void YStoreArchive::Boolean(const YString& name, bool& value, bool defaultValue) {
    if (Saving()) {
        Put(name, value ? YString("1") : YString("0"), value == defaultValue);
        return;
    }
    const YString* text = Get(name);
    value = text ? FiniteOr(text, 0.0) != 0.0 : defaultValue;
}

void YStoreArchive::Number(const YString& name, double& value, double defaultValue) {
    if (Saving()) {
        // Compared as stored, so a value that only differs beyond 12 digits counts as the default.
        YString text = NumberText(value);
        Put(name, text, text == NumberText(defaultValue));
        return;
    }
    value = FiniteOr(Get(name), defaultValue);
}

void YStoreArchive::Text(const YString& name, YString& value, const YString& defaultValue) {
    if (Saving()) {
        Put(name, value, value == defaultValue);
        return;
    }
    const YString* text = Get(name);
    value = text ? *text : defaultValue;
}

namespace {
int32_t IndexOfName(const YString& text, const YString* names, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        if (YString::EqualsNoCase(names[i], text)) return i;
    return 0;
}
}  // namespace

void YStoreArchive::Enumeration(const YString& name, int32_t& index, const YString* names, int32_t count,
                                int32_t defaultIndex) {
    if (Saving()) {
        Put(name, index >= 0 && index < count ? names[index] : YString(), index == defaultIndex);
        return;
    }
    const YString* text = Get(name);
    index = text ? IndexOfName(*text, names, count) : defaultIndex;
}

void YStoreArchive::EnumerationAlways(const YString& name, int32_t& index, const YString* names, int32_t count) {
    if (Saving()) {
        Put(name, index >= 0 && index < count ? names[index] : YString(), false);
        return;
    }
    if (const YString* text = Get(name)) index = IndexOfName(*text, names, count);
}

YXMLItem* YStoreArchive::Child(const YString& name) const {
    return Saving() ? element_.GetOrAddSubItem(name) : element_.FindSubItem(name);
}
