#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <memory>

class YStream;

// A stored document: one root item, read with YXMLParser and written with
// YXMLWriter.
class YXMLDocument {
public:
    explicit YXMLDocument(const YString& rootName = YString());

    YXMLItem& GetRoot() { return *root_; }
    const YXMLItem& GetRoot() const { return *root_; }
    // Hands the tree over; the document is left with an empty unnamed root.
    std::unique_ptr<YXMLItem> TakeRoot();
    void SetRoot(std::unique_ptr<YXMLItem> root);

    // Replaces the root with the stream's document; on any error the document stays
    // as it was. See YMLParser for how the encoding is found.
    void Load(YStream& stream);
    // The codec's header (the byte-order mark for UTF-16), the declaration
    // <?xml version="1.0" encoding="..."?> with the name as given, then the tree,
    // indented or compact. Raises "No codec found for encoding {0}." for an unknown
    // name before anything is written.
    void Save(YStream& stream, bool compact = false, const YString& encoding = "utf-8") const;

    // The same for a tree that belongs to no document.
    static std::unique_ptr<YXMLItem> Read(YStream& stream);
    static void Write(const YXMLItem& root, YStream& stream, bool compact = false, const YString& encoding = "utf-8");

    // A file's document, and a tree written indented as "utf-8" to a file: first
    // beside it (path + ".new"), which then replaces the file in one step, so that a
    // failure at any point (a full disk, a crash) leaves the old file whole.
    static std::unique_ptr<YXMLItem> ReadFile(const YString& path);
    static void WriteFile(const YXMLItem& root, const YString& path);

private:
    std::unique_ptr<YXMLItem> root_;
};
