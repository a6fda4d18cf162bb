#pragma once

#include "foundation/YEncoding.h"
#include "foundation/YString.h"

#include <string>

class YStream;
class YXMLItem;

// Prints an item tree as XML text through a codec and a 1,024-byte write buffer.
//
// Indented form: one line per tag, depth tab characters in front (children deeper
// than 32 stay at 32), the text on lines of depth + 1 tabs, wrapped at the first
// blank at or after 60 characters. Compact form: the same markup without line
// breaks or indentation, ending with the root's closing tag. Lines end with a single
// line feed.
//
// Escaping in attribute values and texts: & < > ' " and the line feed become
// &amp; &lt; &gt; &apos; &quot; and &#10;.
class YXMLWriter {
public:
    static constexpr uint32_t kMaximumDepth = 32;
    static constexpr uint32_t kWrapColumn = 60;

    YXMLWriter(YStream& stream, const YEncoding::Codec& codec) : writer_(stream), codec_(codec) {}

    // Raises "XML entity cannot have empty name." for an item without a name; what
    // was printed before stays in the write buffer.
    void Write(const YXMLItem& root, bool compact);
    // A line of its own (the declaration, for one).
    void WriteLine(const YString& line);
    // Hands the buffered bytes to the stream; call it before the writer goes.
    void Flush();

    static void AppendEscaped(std::u16string& out, const YString& text);

private:
    // Opens an item's tag; false when it was closed at once ("/>").
    bool WriteOpening(const YXMLItem& item, uint32_t depth, bool compact);
    void WriteClosing(const YXMLItem& item, uint32_t depth, bool compact);
    void WriteText(const YString& text, uint32_t depth);
    void EndLine();
    // Hands the collected characters to the codec once enough have gathered; only
    // between whole pieces, so that a surrogate pair is never split.
    void Spill(bool always);

    YStreamWriter writer_;
    const YEncoding::Codec& codec_;
    std::u16string pending_;
    std::u16string escaped_;
};
