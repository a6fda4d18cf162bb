#pragma once

#include "foundation/YMLParser.h"
#include "foundation/YXMLItem.h"

#include <memory>

// Builds an item tree from the tokenizer's events.
//
// Text pieces of one element are joined with one blank. An element outside any
// other becomes the root, so of two top-level elements the second is the document.
// Raises "Invalid file contents. Invalid closing element name." (256) for a closing
// tag that does not match the open element (names compare without case and
// accents), "Text outside of any element." (0), "Invalid file contents. No ending
// delimiter found." (256) when the data ends inside an element, and "The XML does
// not contain any elements." (0).
class YXMLParser : public YMLParser {
public:
    // The root of the document the stream holds.
    std::unique_ptr<YXMLItem> Load(YStream& stream);

protected:
    void OnElementStart(const YString& name, std::vector<YAttribute>& attributes, bool empty) override;
    void OnElementEnd(const YString& name) override;
    void OnText(std::u16string_view text) override;
    void OnEndOfData() override;

private:
    std::unique_ptr<YXMLItem> root_;
    YXMLItem* current_ = nullptr;
};
