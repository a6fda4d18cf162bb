#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class YStream;

struct YAttribute {
    YString name;
    YString value;
};

// One element of a stored document: a name, a text, attributes and ordered subitems
// that it owns. Attributes are kept sorted by name under YString::CompareNoCase, so
// names are unique up to case and accents and every lookup ignores both.
//
// Trees may be deep (a malformed document can nest without end): destruction,
// copying, comparison and the walk use explicit stacks rather than recursion.
class YXMLItem {
public:
    explicit YXMLItem(const YString& name = YString());
    ~YXMLItem();
    YXMLItem(const YXMLItem&) = delete;  // CopyFrom and Clone say what they do
    YXMLItem& operator=(const YXMLItem&) = delete;

    const YString& GetName() const { return name_; }
    void SetName(const YString& name) { name_ = name; }
    const YString& GetText() const { return text_; }
    void SetText(const YString& text) { text_ = text; }
    YXMLItem* GetParent() const { return parent_; }

    // --- Attributes ----------------------------------------------------------
    uint32_t GetAttributeCount() const { return static_cast<uint32_t>(attributes_.size()); }
    // Raises "Index out of range.".
    const YAttribute& GetAttributeAt(uint32_t index) const;
    // Looks the name up and keeps the result for GetCachedAttribute: the usual way to
    // read an optional attribute.
    bool HasAttribute(const YString& name);
    // The value found by the last HasAttribute. Raises "There is no attribute in the
    // cache. Previous call to HasAttribute probably did not succeed.".
    const YString& GetCachedAttribute() const;
    // Null when absent.
    const YString* FindAttribute(const YString& name) const;
    // Raises "Could not find required attribute ({0}).".
    const YString& GetAttribute(const YString& name) const;
    // Replaces the value of an existing attribute (keeping its name's spelling) or
    // inserts a new one at its sorted place.
    void SetAttribute(const YString& name, const YString& value);
    // True when there was one.
    bool RemoveAttribute(const YString& name);
    void RemoveAllAttributes();

    // Numbers: read as the runtime library reads decimal text (a point, an optional
    // exponent; no digits give 0), written with the "{0}" formatter.
    double GetAttributeNumber(const YString& name) const;
    int64_t GetAttributeInteger(const YString& name) const;
    void SetAttributeNumber(const YString& name, double value);
    void SetAttributeInteger(const YString& name, int64_t value);

    // --- Subitems ------------------------------------------------------------
    uint32_t GetSubItemCount() const { return static_cast<uint32_t>(subItems_.size()); }
    // Raises "Index out of range.".
    YXMLItem* GetSubItemAt(uint32_t index) const;
    // The first subitem of that name in document order, kept for GetCachedSubItem.
    bool HasSubItem(const YString& name);
    // Raises "There is no subitem in the cache. Previous call to HasSubItem probably
    // did not succeed.".
    YXMLItem* GetCachedSubItem() const;
    // Null when absent.
    YXMLItem* FindSubItem(const YString& name) const;
    // Raises "Could not find required subitem ({0}).".
    YXMLItem* GetSubItem(const YString& name) const;
    YXMLItem* AddSubItem(const YString& name);
    // Adopts a whole tree (for one, a loaded document's root) as the last subitem.
    YXMLItem* AddSubItem(std::unique_ptr<YXMLItem> item);
    YXMLItem* GetOrAddSubItem(const YString& name);
    // Deletes the child; nothing happens for an item that is not a child of this one.
    void RemoveSubItem(YXMLItem* child);
    // Hands the child over to the caller; null for an item that is not a child.
    std::unique_ptr<YXMLItem> DetachSubItem(YXMLItem* child);
    void RemoveAllSubItems();

    // --- Iteration over the subitems ------------------------------------------
    // First and Next give the subitems whose name equals filter (all of them for an
    // empty filter), null after the last. Removing the current subitem meanwhile is
    // allowed: Next goes on with the one after it. Next and Current raise "XML item
    // iterator has not been initialized." before First.
    YXMLItem* First(const YString& filter = YString());
    YXMLItem* Next();
    YXMLItem* Current() const;

    // Depth-first walk over this item and everything below it, parents before their
    // children. The visitor may change the item it is given, including adding
    // subitems to it, but must not remove it or any item above it.
    template <typename Visitor>
    void Walk(Visitor&& visit);

    // Deep copy of name, text, attributes and subitems into this item, replacing its
    // content (other may be one of this item's descendants). The parent stays.
    void CopyFrom(const YXMLItem& other);
    std::unique_ptr<YXMLItem> Clone() const;
    // Deep comparison; names, texts and attribute names compare exactly.
    bool operator==(const YXMLItem& other) const;

    // --- Binary data in the text (see YBinaryText) -----------------------------
    // The whole content of source, plain hexadecimal or compressed.
    void SetData(YStream& source, bool compressed);
    void SetData(const void* bytes, uint32_t size, bool compressed);
    // Plain: up to size bytes, returns their count. Compressed: exactly size bytes,
    // else raises "Value doesn't have correct format.".
    uint32_t GetData(void* buffer, uint32_t size, bool compressed) const;
    // Every byte the text holds, written to target.
    void GetData(YStream& target, bool compressed) const;

private:
    // Index of the first attribute not below name (binary search).
    std::size_t LowerBound(const YString& name) const;
    int64_t IndexOfSubItem(const YXMLItem* child) const;
    void TakeContentFrom(YXMLItem& source);
    void ResetCaches() noexcept;

    YXMLItem* parent_ = nullptr;
    YString name_;
    std::vector<std::unique_ptr<YXMLItem>> subItems_;
    YString text_;
    std::vector<YAttribute> attributes_;
    int64_t attributeCache_ = -1;
    YXMLItem* subItemCache_ = nullptr;
    int64_t iteratorPosition_ = -1;
    bool iteratorStarted_ = false;
    YString iteratorFilter_;
};

template <typename Visitor>
void YXMLItem::Walk(Visitor&& visit) {
    visit(*this);
    // Each entry: an item whose children are being visited, and the next child.
    std::vector<std::pair<YXMLItem*, std::size_t>> stack;
    stack.emplace_back(this, 0);
    while (!stack.empty()) {
        auto& [item, next] = stack.back();
        if (next >= item->subItems_.size()) {
            stack.pop_back();
            continue;
        }
        YXMLItem* child = item->subItems_[next++].get();
        visit(*child);
        stack.emplace_back(child, 0);
    }
}
