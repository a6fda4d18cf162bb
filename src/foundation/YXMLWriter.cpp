#include "foundation/YXMLWriter.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

void Append(std::u16string& out, const YString& text) {
    const uint32_t length = text.Length();
    const std::size_t start = out.size();
    out.resize(start + length);
    for (uint32_t i = 0; i < length; ++i) out[start + i] = text[i];
}

}  // namespace

void YXMLWriter::AppendEscaped(std::u16string& out, const YString& text) {
    const uint32_t length = text.Length();
    for (uint32_t i = 0; i < length; ++i) {
        char16_t c = text[i];
        switch (c) {
            case u'&': out.append(u"&amp;"); break;
            case u'<': out.append(u"&lt;"); break;
            case u'>': out.append(u"&gt;"); break;
            case u'\'': out.append(u"&apos;"); break;
            case u'"': out.append(u"&quot;"); break;
            case u'\n': out.append(u"&#10;"); break;
            default: out.push_back(c); break;
        }
    }
}

void YXMLWriter::Spill(bool always) {
    if (pending_.empty() || (!always && pending_.size() < 8192)) return;
    codec_.WriteText(writer_, YString(pending_.data(), pending_.size()));
    pending_.clear();
}

void YXMLWriter::EndLine() {
    pending_.push_back(u'\n');
    Spill(false);
}

void YXMLWriter::WriteLine(const YString& line) {
    Append(pending_, line);
    EndLine();
}

void YXMLWriter::Flush() {
    Spill(true);
    writer_.Flush();
}

bool YXMLWriter::WriteOpening(const YXMLItem& item, uint32_t depth, bool compact) {
    if (item.GetName().IsEmpty()) throw YException(TranslateText("XML entity cannot have empty name."));
    if (!compact) pending_.append(depth, u'\t');
    pending_.push_back(u'<');
    Append(pending_, item.GetName());
    for (uint32_t i = 0; i < item.GetAttributeCount(); ++i) {
        const YAttribute& attribute = item.GetAttributeAt(i);
        pending_.push_back(u' ');
        Append(pending_, attribute.name);
        pending_.append(u"=\"");
        AppendEscaped(pending_, attribute.value);
        pending_.push_back(u'"');
    }
    const bool open = !item.GetText().IsEmpty() || item.GetSubItemCount() > 0;
    pending_.append(open ? u">" : u"/>");
    if (compact) {
        AppendEscaped(pending_, item.GetText());
        Spill(false);
    } else {
        EndLine();
        if (!item.GetText().IsEmpty()) WriteText(item.GetText(), depth + 1);
    }
    return open;
}

void YXMLWriter::WriteText(const YString& text, uint32_t tabs) {
    escaped_.clear();
    AppendEscaped(escaped_, text);
    std::size_t start = 0;
    while (start < escaped_.size()) {
        std::size_t blank = std::u16string::npos;
        if (escaped_.size() - start > kWrapColumn) blank = escaped_.find(u' ', start + kWrapColumn);
        std::size_t end = blank == std::u16string::npos ? escaped_.size() : blank;
        pending_.append(tabs, u'\t');
        pending_.append(escaped_, start, end - start);
        EndLine();
        start = blank == std::u16string::npos ? escaped_.size() : blank + 1;
    }
}

void YXMLWriter::WriteClosing(const YXMLItem& item, uint32_t depth, bool compact) {
    if (!compact) pending_.append(depth, u'\t');
    pending_.append(u"</");
    Append(pending_, item.GetName());
    pending_.push_back(u'>');
    if (compact)
        Spill(false);
    else
        EndLine();
}

void YXMLWriter::Write(const YXMLItem& root, bool compact) {
    struct Frame {
        const YXMLItem* item;
        uint32_t depth;
        uint32_t nextChild;
    };
    // Iterative, so that a deep tree does not go down the call stack.
    std::vector<Frame> stack;
    if (WriteOpening(root, 0, compact)) stack.push_back({&root, 0, 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.nextChild < frame.item->GetSubItemCount()) {
            const YXMLItem* child = frame.item->GetSubItemAt(frame.nextChild++);
            uint32_t depth = std::min(frame.depth + 1, kMaximumDepth);
            if (WriteOpening(*child, depth, compact)) stack.push_back({child, depth, 0});
        } else {
            WriteClosing(*frame.item, frame.depth, compact);
            stack.pop_back();
        }
    }
}
