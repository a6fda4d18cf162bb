#include "foundation/YXMLParser.h"

#include "foundation/YException.h"

std::unique_ptr<YXMLItem> YXMLParser::Load(YStream& stream) {
    root_.reset();
    current_ = nullptr;
    Parse(stream);
    current_ = nullptr;
    return std::move(root_);
}

void YXMLParser::OnElementStart(const YString& name, std::vector<YAttribute>& attributes, bool empty) {
    auto item = std::make_unique<YXMLItem>(name);
    for (YAttribute& attribute : attributes) item->SetAttribute(attribute.name, attribute.value);
    YXMLItem* made = item.get();
    // Outside any element the item becomes the root: a second top-level element
    // takes the place of the first.
    if (current_ != nullptr)
        current_->AddSubItem(std::move(item));
    else
        root_ = std::move(item);
    if (!empty) current_ = made;
}

void YXMLParser::OnElementEnd(const YString& name) {
    if (current_ == nullptr || !YString::EqualsNoCase(current_->GetName(), name)) ThrowInvalid("Invalid closing element name.");
    current_ = current_->GetParent();
}

void YXMLParser::OnText(std::u16string_view text) {
    if (current_ == nullptr) throw YException(TranslateText("Text outside of any element."));
    YString piece(text);
    if (current_->GetText().IsEmpty()) {
        current_->SetText(piece);
    } else {
        YString joined = current_->GetText();
        current_->SetText(YString());  // unshares, so the append below grows in place
        joined.Append(u' ').Append(piece);
        current_->SetText(joined);
    }
}

void YXMLParser::OnEndOfData() {
    if (current_ != nullptr) ThrowInvalid("No ending delimiter found.");
    if (root_ == nullptr) throw YException(TranslateText("The XML does not contain any elements."));
}
