#include "foundation/YMLParser.h"

#include "foundation/YException.h"
#include "foundation/YStream.h"

#include <algorithm>

// The bytes of the stream, buffered; the tokenizer reads plain bytes straight from
// the buffer and hands everything else to the codec.
class YMLParser::Input final : public YByteSource {
public:
    explicit Input(YStream& stream) : stream_(stream) {}

    int Next() override {
        if (position_ == size_ && !Refill()) return -1;
        return buffer_[position_++];
    }
    // The next byte without taking it, -1 at the end.
    int Peek() {
        if (position_ == size_ && !Refill()) return -1;
        return buffer_[position_];
    }
    // Makes count bytes readable at the front when the stream has them.
    bool Ensure(uint32_t count) {
        while (size_ - position_ < count) {
            if (position_ > 0) {
                std::copy(buffer_ + position_, buffer_ + size_, buffer_);
                size_ -= position_;
                position_ = 0;
            }
            uint32_t got = stream_.Read(buffer_ + size_, sizeof buffer_ - size_);
            if (got == 0) return false;
            size_ += got;
        }
        return true;
    }
    const uint8_t* Front() const { return buffer_ + position_; }
    void Skip(uint32_t count) { position_ += count; }

private:
    bool Refill() {
        position_ = 0;
        size_ = stream_.Read(buffer_, sizeof buffer_);
        return size_ > 0;
    }

    YStream& stream_;
    uint8_t buffer_[16384];
    uint32_t position_ = 0;
    uint32_t size_ = 0;
};

namespace {

bool IsWhiteSpace(int c) { return c >= 0 && c <= 32; }

bool IsNameCharacter(int c) {
    if (c <= 32) return false;
    switch (c) {
        case '<': case '>': case '/': case '=': case '?': case '!': case '"': case '\'': case '&': return false;
        default: return true;
    }
}

bool EqualsNoCase(const char16_t* text, std::size_t length, const char* word) {
    std::size_t i = 0;
    for (; i < length && word[i]; ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (c != static_cast<unsigned char>(word[i])) return false;
    }
    return i == length && word[i] == 0;
}

// The character an entity name stands for ("amp", "#10", ...), or -1 for a name the
// table does not hold: such an entity, other numeric references included, stays as
// it is written.
int32_t EntityCharacter(const char16_t* name, std::size_t length) {
    static constexpr struct {
        const char* name;
        char16_t character;
    } kEntities[] = {{"amp", u'&'}, {"lt", u'<'}, {"gt", u'>'}, {"apos", u'\''}, {"quot", u'"'}, {"#10", u'\n'}};
    for (const auto& entity : kEntities)
        if (EqualsNoCase(name, length, entity.name)) return entity.character;
    return -1;
}

// Appends text with its entities replaced.
void AppendReplacingEntities(std::u16string& out, const char16_t* text, std::size_t length) {
    constexpr std::size_t kLongestName = 4;
    for (std::size_t i = 0; i < length; ++i) {
        char16_t c = text[i];
        if (c != u'&') {
            out.push_back(c);
            continue;
        }
        std::size_t end = i + 1;
        while (end < length && end - i <= kLongestName + 1 && text[end] != u';' && IsNameCharacter(text[end])) ++end;
        if (end < length && text[end] == u';') {
            const int32_t value = EntityCharacter(text + i + 1, end - i - 1);
            if (value >= 0) {
                out.push_back(static_cast<char16_t>(value));
                i = end;
                continue;
            }
        }
        out.push_back(u'&');
    }
}

}  // namespace

void YMLParser::ThrowInvalid(const YString& detail) {
    throw YException(TranslateText("Invalid file contents. ") + TranslateText(detail), YException::kCompressedData);
}

void YMLParser::ThrowUnexpected(const YString& detail) const {
    ThrowInvalid(current_ < 0 ? YString("No ending delimiter found.") : detail);
}

void YMLParser::Parse(YStream& stream) {
    Input input(stream);
    input_ = &input;
    struct Reset {
        YMLParser* parser;
        ~Reset() { parser->input_ = nullptr; }
    } reset{this};

    ended_ = false;
    pendingUnit_ = -1;
    text_.clear();
    wideInput_ = false;
    codec_ = &YEncoding::GetUTF8Codec();
    if (input.Ensure(2)) {
        const uint8_t* front = input.Front();
        if (front[0] == 0xFF && front[1] == 0xFE) {
            input.Skip(2);
            wideInput_ = true;
        } else if (front[0] == '<' && front[1] == 0) {
            wideInput_ = true;
        }
    }
    if (wideInput_) codec_ = &YEncoding::GetUTF16Codec();
    asciiIdentity_ = !wideInput_;

    Advance();
    for (;;) {
        if (current_ < 0) {
            FlushText();
            break;
        }
        if (current_ == '<') {
            FlushText();
            Advance();
            ParseMarkup();
        } else if (current_ == '\n') {
            FlushText();
            Advance();
        } else {
            text_.push_back(static_cast<char16_t>(current_));
            Advance();
        }
    }
    OnEndOfData();
}

int YMLParser::DecodeCharacter() {
    if (pendingUnit_ >= 0) {
        int unit = pendingUnit_;
        pendingUnit_ = -1;
        return unit;
    }
    if (ended_) return -1;
    if (asciiIdentity_) {
        int byte = input_->Peek();
        if (byte > 0 && byte < 0x80) {
            input_->Skip(1);
            return byte;
        }
    }
    char16_t units[2];
    int count;
    do {
        count = codec_->DecodeNext(*input_, units);
    } while (count == 0);
    if (count < 0 || units[0] == 0) {
        ended_ = true;
        return -1;
    }
    if (count == 2) pendingUnit_ = units[1];
    return units[0];
}

void YMLParser::Advance() { current_ = DecodeCharacter(); }

void YMLParser::SkipWhiteSpace() {
    while (IsWhiteSpace(current_)) Advance();
}

YString YMLParser::ReadName() {
    nameBuffer_.clear();
    while (IsNameCharacter(current_)) {
        nameBuffer_.push_back(static_cast<char16_t>(current_));
        Advance();
    }
    if (nameBuffer_.empty()) return YString();
    auto known = names_.find(nameBuffer_);
    if (known != names_.end()) return known->second;
    YString name(nameBuffer_.data(), nameBuffer_.size());
    if (names_.size() < 4096) names_.emplace(nameBuffer_, name);
    return name;
}

void YMLParser::FlushText() {
    EmitText(text_.data(), text_.data() + text_.size(), true);
    text_.clear();
}

void YMLParser::EmitText(const char16_t* begin, const char16_t* end, bool replaceEntities) {
    // Entities first, then the trimming: a line feed written as "&#10;" at an end of
    // the text goes with the other white space.
    if (replaceEntities && std::find(begin, end, u'&') != end) {
        decoded_.clear();
        AppendReplacingEntities(decoded_, begin, static_cast<std::size_t>(end - begin));
        begin = decoded_.data();
        end = begin + decoded_.size();
    }
    while (begin < end && *begin <= 32) ++begin;
    while (end > begin && end[-1] <= 32) --end;
    if (begin != end) OnText(std::u16string_view(begin, static_cast<std::size_t>(end - begin)));
}

void YMLParser::ParseMarkup() {
    switch (current_) {
        case '!':
            Advance();
            if (current_ == '-') {
                Advance();
                ParseComment();
            } else if (current_ == '[') {
                Advance();
                for (const char* expected = "CDATA"; *expected; ++expected) {
                    if (current_ != *expected) ThrowUnexpected("Invalid special element sequence.");
                    Advance();
                }
                if (current_ == '[') Advance();  // the usual "<![CDATA[" form
                ParseCData();
            } else {
                ThrowUnexpected("Invalid special element sequence.");
            }
            break;
        case '?':
            Advance();
            ParseProcessingInstruction();
            break;
        case '/':
            Advance();
            ParseClosingElement();
            break;
        default: ParseElement(); break;
    }
}

void YMLParser::ParseComment() {
    int hyphens = 0;
    for (;;) {
        if (current_ < 0) ThrowInvalid("No ending delimiter found.");
        if (current_ == '>' && hyphens >= 2) break;
        hyphens = current_ == '-' ? hyphens + 1 : 0;
        Advance();
    }
    Advance();
}

void YMLParser::ParseCData() {
    text_.clear();
    for (;;) {
        if (current_ < 0) ThrowInvalid("No ending delimiter found.");
        if (current_ == '>' && text_.size() >= 2 && text_[text_.size() - 1] == u']' && text_[text_.size() - 2] == u']') {
            text_.pop_back();  // the "]]"
            text_.pop_back();
            break;
        }
        text_.push_back(static_cast<char16_t>(current_));
        Advance();
    }
    Advance();
    EmitText(text_.data(), text_.data() + text_.size(), false);
    text_.clear();
}

void YMLParser::ParseProcessingInstruction() {
    YString target = ReadName();
    if (target.IsEmpty()) ThrowUnexpected("No element name found.");
    if (!YString::EqualsNoCase(target, "xml")) {
        // Other instructions mean nothing here: skip to "?>".
        bool question = false;
        for (;;) {
            if (current_ < 0) ThrowInvalid("No ending delimiter found.");
            if (current_ == '>' && question) break;
            question = current_ == '?';
            Advance();
        }
        Advance();
        return;
    }
    ParseAttributes(true);
    // The ">" is still unread: a new codec decodes everything behind it.
    for (const YAttribute& attribute : attributes_)
        if (YString::EqualsNoCase(attribute.name, "encoding")) SwitchCodec(attribute.value);
    Advance();
}

void YMLParser::SwitchCodec(const YString& encoding) {
    const YEncoding::Codec& codec = YEncoding::GetCodec(encoding);
    // The byte-order mark decided already; an 8-bit declaration cannot introduce
    // UTF-16 either, as the declaration itself was read 8 bits at a time.
    if (wideInput_ || &codec == &YEncoding::GetUTF16Codec()) return;
    codec_ = &codec;
}

void YMLParser::ParseClosingElement() {
    YString name = ReadName();
    if (name.IsEmpty()) ThrowUnexpected("No element name found.");
    SkipWhiteSpace();
    if (current_ != '>') ThrowUnexpected("Invalid closing element syntax.");
    Advance();
    OnElementEnd(name);
}

void YMLParser::ParseElement() {
    YString name = ReadName();
    if (name.IsEmpty()) ThrowUnexpected("No element name found.");
    bool empty = ParseAttributes(false);
    OnElementStart(name, attributes_, empty);
}

bool YMLParser::ParseAttributes(bool declaration) {
    attributes_.clear();
    for (;;) {
        SkipWhiteSpace();
        if (current_ < 0) ThrowInvalid("No ending delimiter found.");
        if (declaration && current_ == '?') {
            Advance();
            if (current_ != '>') ThrowUnexpected("Invalid element finishing sequence.");
            return false;
        }
        if (!declaration && current_ == '>') {
            Advance();
            return false;
        }
        if (!declaration && current_ == '/') {
            Advance();
            if (current_ != '>') ThrowUnexpected("Invalid element finishing sequence.");
            Advance();
            return true;
        }
        if (!IsNameCharacter(current_)) ThrowUnexpected("Special character found where attribute expected.");
        YString name = ReadName();
        SkipWhiteSpace();
        if (current_ != '=') ThrowUnexpected("Invalid character found where attribute expected.");
        Advance();
        SkipWhiteSpace();
        if (current_ != '"' && current_ != '\'') ThrowUnexpected("Invalid character found where attribute expected.");
        const int quote = current_;
        Advance();
        valueBuffer_.clear();
        while (current_ != quote) {
            if (current_ < 0) ThrowInvalid("No ending delimiter found.");
            valueBuffer_.push_back(static_cast<char16_t>(current_));
            Advance();
        }
        Advance();
        YString value;
        if (valueBuffer_.find(u'&') == std::u16string::npos) {
            value = YString(valueBuffer_.data(), valueBuffer_.size());
        } else {
            decoded_.clear();
            AppendReplacingEntities(decoded_, valueBuffer_.data(), valueBuffer_.size());
            value = YString(decoded_.data(), decoded_.size());
        }
        attributes_.push_back(YAttribute{std::move(name), std::move(value)});
    }
}
