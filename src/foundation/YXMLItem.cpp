#include "foundation/YXMLItem.h"

#include "foundation/YBinaryText.h"
#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <algorithm>

YXMLItem::YXMLItem(const YString& name) : name_(name) {}

YXMLItem::~YXMLItem() {
    // Children are taken apart one level at a time, so that a deep tree does not go
    // down the call stack.
    std::vector<std::unique_ptr<YXMLItem>> pending = std::move(subItems_);
    while (!pending.empty()) {
        std::unique_ptr<YXMLItem> item = std::move(pending.back());
        pending.pop_back();
        for (auto& child : item->subItems_) pending.push_back(std::move(child));
        item->subItems_.clear();
    }
}

void YXMLItem::ResetCaches() noexcept {
    attributeCache_ = -1;
    subItemCache_ = nullptr;
    iteratorStarted_ = false;
    iteratorPosition_ = -1;
}

// --- Attributes --------------------------------------------------------------

std::size_t YXMLItem::LowerBound(const YString& name) const {
    std::size_t low = 0, high = attributes_.size();
    while (low < high) {
        std::size_t middle = low + (high - low) / 2;
        if (YString::CompareNoCase(attributes_[middle].name, name) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

const YAttribute& YXMLItem::GetAttributeAt(uint32_t index) const {
    if (index >= attributes_.size()) ThrowIndexOutOfRange();
    return attributes_[index];
}

bool YXMLItem::HasAttribute(const YString& name) {
    std::size_t at = LowerBound(name);
    bool found = at < attributes_.size() && YString::EqualsNoCase(attributes_[at].name, name);
    attributeCache_ = found ? static_cast<int64_t>(at) : -1;
    return found;
}

const YString& YXMLItem::GetCachedAttribute() const {
    if (attributeCache_ < 0)
        throw YException(TranslateText(
            "There is no attribute in the cache. Previous call to HasAttribute probably did not succeed."));
    return attributes_[static_cast<std::size_t>(attributeCache_)].value;
}

const YString* YXMLItem::FindAttribute(const YString& name) const {
    std::size_t at = LowerBound(name);
    if (at < attributes_.size() && YString::EqualsNoCase(attributes_[at].name, name)) return &attributes_[at].value;
    return nullptr;
}

const YString& YXMLItem::GetAttribute(const YString& name) const {
    const YString* value = FindAttribute(name);
    if (value == nullptr) throw YException(YFormat(TranslateText("Could not find required attribute ({0}).")).Arg(name));
    return *value;
}

void YXMLItem::SetAttribute(const YString& name, const YString& value) {
    std::size_t at = LowerBound(name);
    if (at < attributes_.size() && YString::EqualsNoCase(attributes_[at].name, name)) {
        attributes_[at].value = value;
        return;
    }
    attributes_.insert(attributes_.begin() + static_cast<std::ptrdiff_t>(at), YAttribute{name, value});
    // The cache keeps pointing at the same attribute.
    if (attributeCache_ >= static_cast<int64_t>(at)) ++attributeCache_;
}

bool YXMLItem::RemoveAttribute(const YString& name) {
    std::size_t at = LowerBound(name);
    if (at >= attributes_.size() || !YString::EqualsNoCase(attributes_[at].name, name)) return false;
    attributes_.erase(attributes_.begin() + static_cast<std::ptrdiff_t>(at));
    if (attributeCache_ == static_cast<int64_t>(at))
        attributeCache_ = -1;
    else if (attributeCache_ > static_cast<int64_t>(at))
        --attributeCache_;
    return true;
}

void YXMLItem::RemoveAllAttributes() {
    attributes_.clear();
    attributeCache_ = -1;
}

double YXMLItem::GetAttributeNumber(const YString& name) const { return ToDouble(GetAttribute(name)); }

int64_t YXMLItem::GetAttributeInteger(const YString& name) const { return ToInteger(GetAttribute(name)); }

void YXMLItem::SetAttributeNumber(const YString& name, double value) { SetAttribute(name, YFormat("{0}").Arg(value)); }

void YXMLItem::SetAttributeInteger(const YString& name, int64_t value) {
    SetAttribute(name, YFormat("{0}").Arg(value));
}

// --- Subitems ----------------------------------------------------------------

YXMLItem* YXMLItem::GetSubItemAt(uint32_t index) const {
    if (index >= subItems_.size()) ThrowIndexOutOfRange();
    return subItems_[index].get();
}

bool YXMLItem::HasSubItem(const YString& name) {
    subItemCache_ = FindSubItem(name);
    return subItemCache_ != nullptr;
}

YXMLItem* YXMLItem::GetCachedSubItem() const {
    if (subItemCache_ == nullptr)
        throw YException(TranslateText(
            "There is no subitem in the cache. Previous call to HasSubItem probably did not succeed."));
    return subItemCache_;
}

YXMLItem* YXMLItem::FindSubItem(const YString& name) const {
    for (const auto& child : subItems_)
        if (YString::EqualsNoCase(child->name_, name)) return child.get();
    return nullptr;
}

YXMLItem* YXMLItem::GetSubItem(const YString& name) const {
    YXMLItem* child = FindSubItem(name);
    if (child == nullptr) throw YException(YFormat(TranslateText("Could not find required subitem ({0}).")).Arg(name));
    return child;
}

YXMLItem* YXMLItem::AddSubItem(const YString& name) { return AddSubItem(std::make_unique<YXMLItem>(name)); }

YXMLItem* YXMLItem::AddSubItem(std::unique_ptr<YXMLItem> item) {
    item->parent_ = this;
    subItems_.push_back(std::move(item));
    return subItems_.back().get();
}

YXMLItem* YXMLItem::GetOrAddSubItem(const YString& name) {
    YXMLItem* child = FindSubItem(name);
    return child ? child : AddSubItem(name);
}

int64_t YXMLItem::IndexOfSubItem(const YXMLItem* child) const {
    for (std::size_t i = 0; i < subItems_.size(); ++i)
        if (subItems_[i].get() == child) return static_cast<int64_t>(i);
    return -1;
}

std::unique_ptr<YXMLItem> YXMLItem::DetachSubItem(YXMLItem* child) {
    int64_t index = IndexOfSubItem(child);
    if (index < 0) return nullptr;
    std::unique_ptr<YXMLItem> detached = std::move(subItems_[static_cast<std::size_t>(index)]);
    subItems_.erase(subItems_.begin() + static_cast<std::ptrdiff_t>(index));
    if (subItemCache_ == child) subItemCache_ = nullptr;
    if (iteratorPosition_ >= index) --iteratorPosition_;
    detached->parent_ = nullptr;
    return detached;
}

void YXMLItem::RemoveSubItem(YXMLItem* child) { DetachSubItem(child); }

void YXMLItem::RemoveAllSubItems() {
    // Through a temporary item, whose destructor takes deep trees apart safely.
    YXMLItem doomed;
    doomed.subItems_ = std::move(subItems_);
    subItems_.clear();
    subItemCache_ = nullptr;
    iteratorPosition_ = -1;
}

// --- Iteration ---------------------------------------------------------------

YXMLItem* YXMLItem::First(const YString& filter) {
    iteratorStarted_ = true;
    iteratorFilter_ = filter;
    iteratorPosition_ = -1;
    return Next();
}

YXMLItem* YXMLItem::Next() {
    if (!iteratorStarted_) throw YException(TranslateText("XML item iterator has not been initialized."));
    const auto count = static_cast<int64_t>(subItems_.size());
    for (int64_t i = iteratorPosition_ + 1; i < count; ++i) {
        YXMLItem* child = subItems_[static_cast<std::size_t>(i)].get();
        if (iteratorFilter_.IsEmpty() || YString::EqualsNoCase(child->name_, iteratorFilter_)) {
            iteratorPosition_ = i;
            return child;
        }
    }
    iteratorPosition_ = count;
    return nullptr;
}

YXMLItem* YXMLItem::Current() const {
    if (!iteratorStarted_) throw YException(TranslateText("XML item iterator has not been initialized."));
    if (iteratorPosition_ < 0 || iteratorPosition_ >= static_cast<int64_t>(subItems_.size())) return nullptr;
    YXMLItem* child = subItems_[static_cast<std::size_t>(iteratorPosition_)].get();
    // After the current item was removed the position stands on the one before it,
    // which the filter may not take.
    if (!iteratorFilter_.IsEmpty() && !YString::EqualsNoCase(child->name_, iteratorFilter_)) return nullptr;
    return child;
}

// --- Copying and comparing ---------------------------------------------------

std::unique_ptr<YXMLItem> YXMLItem::Clone() const {
    auto copy = std::make_unique<YXMLItem>(name_);
    copy->text_ = text_;
    copy->attributes_ = attributes_;
    std::vector<std::pair<const YXMLItem*, YXMLItem*>> pending{{this, copy.get()}};
    while (!pending.empty()) {
        auto [source, target] = pending.back();
        pending.pop_back();
        target->subItems_.reserve(source->subItems_.size());
        for (const auto& child : source->subItems_) {
            YXMLItem* made = target->AddSubItem(child->name_);
            made->text_ = child->text_;
            made->attributes_ = child->attributes_;
            if (!child->subItems_.empty()) pending.emplace_back(child.get(), made);
        }
    }
    return copy;
}

void YXMLItem::TakeContentFrom(YXMLItem& source) {
    name_ = std::move(source.name_);
    text_ = std::move(source.text_);
    attributes_ = std::move(source.attributes_);
    RemoveAllSubItems();
    subItems_ = std::move(source.subItems_);
    for (auto& child : subItems_) child->parent_ = this;
    ResetCaches();
}

void YXMLItem::CopyFrom(const YXMLItem& other) {
    if (&other == this) return;
    std::unique_ptr<YXMLItem> copy = other.Clone();  // first, as other may lie below this item
    TakeContentFrom(*copy);
}

bool YXMLItem::operator==(const YXMLItem& other) const {
    std::vector<std::pair<const YXMLItem*, const YXMLItem*>> pending{{this, &other}};
    while (!pending.empty()) {
        auto [a, b] = pending.back();
        pending.pop_back();
        if (!(a->name_ == b->name_) || !(a->text_ == b->text_) || a->attributes_.size() != b->attributes_.size() ||
            a->subItems_.size() != b->subItems_.size())
            return false;
        for (std::size_t i = 0; i < a->attributes_.size(); ++i)
            if (!(a->attributes_[i].name == b->attributes_[i].name) || !(a->attributes_[i].value == b->attributes_[i].value))
                return false;
        for (std::size_t i = 0; i < a->subItems_.size(); ++i) pending.emplace_back(a->subItems_[i].get(), b->subItems_[i].get());
    }
    return true;
}

// --- Binary data -------------------------------------------------------------

void YXMLItem::SetData(YStream& source, bool compressed) { text_ = YBinaryText::FromStream(source, compressed); }

void YXMLItem::SetData(const void* bytes, uint32_t size, bool compressed) {
    text_ = YBinaryText::FromBytes(bytes, size, compressed);
}

uint32_t YXMLItem::GetData(void* buffer, uint32_t size, bool compressed) const {
    return YBinaryText::ToBytes(text_, buffer, size, compressed);
}

void YXMLItem::GetData(YStream& target, bool compressed) const { YBinaryText::ToStream(text_, target, compressed); }
