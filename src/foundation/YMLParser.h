#pragma once

#include "foundation/YEncoding.h"
#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class YStream;

// Streaming markup tokenizer: reads characters through a codec and hands elements,
// closing tags and text to the handler operations of a derived class.
//
// Input: a stream starting with the UTF-16 byte-order mark FF FE (or with "<" as a
// little-endian UTF-16 unit, 3C 00) is read as UTF-16 throughout; anything else as
// UTF-8 until the XML declaration names another encoding, which then takes over
// right behind the declaration. A NUL character ends the data.
//
// Text is handed over line by line, which is how the indented writer's wrapped text
// reads back as it was: in each line (up to a line feed) the entities are replaced,
// then white space (code 32 and below) is trimmed at both ends, and the line goes
// on only when something is left. A comment starts at "<!-" and ends at "-->". A
// CDATA section ("<![CDATA", then an optional "[") is handed over up to "]]>",
// trimmed but with its entities as written.
//
// The entities amp, lt, gt, apos, quot and #10 (names without case) are replaced in
// text and attribute values; any other "&name;", other numeric references included,
// stays as it is written.
//
// Malformed markup raises YException with code 256 and the message "Invalid file
// contents. " followed by the detail (also "No ending delimiter found." when the
// data ends inside markup).
class YMLParser {
public:
    YMLParser() = default;
    virtual ~YMLParser() = default;
    YMLParser(const YMLParser&) = delete;
    YMLParser& operator=(const YMLParser&) = delete;

    // Reads the whole stream.
    void Parse(YStream& stream);

    // "Invalid file contents. " + detail, code 256.
    [[noreturn]] static void ThrowInvalid(const YString& detail);

protected:
    // An opening tag; empty for "<name/>". The handler may move the attributes away.
    virtual void OnElementStart(const YString& name, std::vector<YAttribute>& attributes, bool empty) = 0;
    virtual void OnElementEnd(const YString& name) = 0;
    // A trimmed, non-empty piece of text with its entities replaced.
    virtual void OnText(std::u16string_view text) = 0;
    virtual void OnEndOfData() {}

private:
    class Input;

    void Advance();
    int DecodeCharacter();
    [[noreturn]] void ThrowUnexpected(const YString& detail) const;
    void SkipWhiteSpace();
    // Reads a name into nameBuffer_ and returns it (shared for repeated names).
    YString ReadName();
    void ParseMarkup();
    void ParseComment();
    void ParseCData();
    void ParseProcessingInstruction();
    void ParseClosingElement();
    void ParseElement();
    // Reads name="value" pairs up to the end of a tag; for an element true when it
    // ended with "/>". In a declaration it stops on the "?" of "?>" and leaves the
    // ">" unread, so that a new codec can take over right behind it.
    bool ParseAttributes(bool declaration);
    void FlushText();
    void EmitText(const char16_t* begin, const char16_t* end, bool replaceEntities);
    void SwitchCodec(const YString& encoding);

    Input* input_ = nullptr;
    const YEncoding::Codec* codec_ = nullptr;
    bool wideInput_ = false;     // UTF-16, recognised at the start
    bool asciiIdentity_ = true;  // the codec maps bytes below 0x80 to themselves
    int current_ = -1;           // the next unread character, -1 at the end
    int pendingUnit_ = -1;       // second unit of a surrogate pair
    bool ended_ = false;

    // Reused buffers: no per-character allocation.
    std::u16string text_;
    std::u16string nameBuffer_;
    std::u16string valueBuffer_;
    std::u16string decoded_;
    std::vector<YAttribute> attributes_;
    // Element and attribute names repeat: each distinct one is made once.
    std::unordered_map<std::u16string, YString> names_;
};
