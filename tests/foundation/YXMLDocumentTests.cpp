#include "TestStreams.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Save(const YXMLItem& root, bool compact = false, const YString& encoding = "utf-8") {
    YMemoryStream out;
    YXMLDocument::Write(root, out, compact, encoding);
    std::vector<uint8_t> bytes = Bytes(out.GetBuffer());
    return std::string(bytes.begin(), bytes.end());
}

std::unique_ptr<YXMLItem> Parse(const std::string& bytes) {
    YMemoryStream in(YByteBuffer::Borrow(bytes.data(), bytes.size()));
    return YXMLDocument::Read(in);
}

std::string Utf16(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(YXMLDocument, WritesTheIndentedFormExactly) {
    YXMLItem root("settings");
    root.SetAttribute("b", "2");
    root.SetAttribute("A", "x&y \"q\" 'a'\nz");
    root.AddSubItem("param")->SetAttribute("name", "gain");
    root.AddSubItem("note")->SetText("a&b\nc<d>");
    std::string words;
    for (int i = 1; i <= 10; ++i) words += (i > 1 ? " word-000" : "word-000") + std::to_string(i - 1);
    root.AddSubItem("long")->SetText(YString::FromLatin1(words));
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<settings A=\"x&amp;y &quot;q&quot; &apos;a&apos;&#10;z\" b=\"2\">";
    EXPECT_EQ(Save(root),
              head + "\n"
              "\t<param name=\"gain\"/>\n"
              "\t<note>\n"
              "\t\ta&amp;b&#10;c&lt;d&gt;\n"
              "\t</note>\n"
              "\t<long>\n"
              "\t\tword-0000 word-0001 word-0002 word-0003 word-0004 word-0005 word-0006\n"
              "\t\tword-0007 word-0008 word-0009\n"
              "\t</long>\n"
              "</settings>\n");
    EXPECT_EQ(Save(root, true),
              head + "<param name=\"gain\"/><note>a&amp;b&#10;c&lt;d&gt;</note><long>" + words + "</long></settings>");
    const std::string declaration = "\xFF\xFE" + Utf16(u"<?xml version=\"1.0\" encoding=\"utf-16\"?>\n");
    EXPECT_EQ(Save(root, false, "utf-16").substr(0, declaration.size()), declaration);

    YMemoryStream untouched;
    ExpectYException([&] { YXMLDocument::Write(root, untouched, false, "klingon"); }, "No codec found for encoding klingon.");
    EXPECT_EQ(untouched.GetSize(), 0);
}

TEST(YXMLDocument, WrappedTextReadsBackAndDepthIsCapped) {
    // Two blanks at a wrap point come back as one.
    YXMLItem root("r");
    root.AddSubItem("t")->SetText(YString::FromLatin1(std::string(60, 'x') + "  y"));
    EXPECT_EQ(Parse(Save(root))->GetSubItemAt(0)->GetText().ToUtf8(), std::string(60, 'x') + " y");

    YXMLItem deep("level");
    YXMLItem* leaf = &deep;
    for (int i = 0; i < 40; ++i) leaf = leaf->AddSubItem("level");
    std::string nested = Save(deep);  // indented 32 tabs at most
    EXPECT_NE(nested.find("\n" + std::string(32, '\t') + "<level"), std::string::npos);
    EXPECT_EQ(nested.find(std::string(33, '\t')), std::string::npos);
    EXPECT_TRUE(*Parse(nested) == deep);

    // A hostile document nested without end is read and written without recursion.
    std::string endless;
    for (int i = 0; i < 100000; ++i) endless += "<d>";
    endless += "bottom";
    for (int i = 0; i < 100000; ++i) endless += "</d>";
    std::unique_ptr<YXMLItem> abyss = Parse(endless);
    EXPECT_TRUE(*Parse(Save(*abyss, true)) == *abyss);
    ExpectYException([&] { Parse(endless.substr(0, endless.size() - 4)); }, "Invalid file contents. No ending delimiter found.",
                     256);

    YXMLItem unnamed;
    unnamed.AddSubItem("child");
    ExpectYException([&] { Save(unnamed); }, "XML entity cannot have empty name.");
    YXMLItem holder("holder");
    holder.AddSubItem(YString());
    ExpectYException([&] { Save(holder, true); }, "XML entity cannot have empty name.");
}

TEST(YXMLDocument, ReadsCommentsCDataInstructionsAndEntities) {
    std::unique_ptr<YXMLItem> root = Parse(
        "<?xml version='1.0' encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<!-- a comment with <tags> and -- hyphens --->\r\n"
        "<!-a comment from its first hyphen-->\r\n"
        "<?xml-stylesheet href=\"x\"?>\r\n"
        "<root  b = \"2\"\ta='1' >\r\n"
        "  first line  \r\n"
        "  <![CDATA[ <raw> &amp; ]]> second &AMP; &Lt;3&gt; &apos;&quot; \r\n"
        "  <empty/><x/>\r\n"
        "  &#65;&#x42;&#X1f3B5; &#xD800; &#0; &#; &bogus; & x &amp &QUOT;\r\n"
        "  <Item k=\"&#10;&lt;&#x2F;&gt;\">t</ITEM>\r\n"
        "</Root>\r\n");
    EXPECT_EQ(root->GetName().ToUtf8(), "root");
    EXPECT_EQ(root->GetAttribute("a").ToUtf8(), "1");
    EXPECT_EQ(root->GetAttribute("b").ToUtf8(), "2");
    EXPECT_EQ(root->GetText().ToU16(),
              u"first line <raw> &amp; second & <3> '\" &#65;&#x42;&#X1f3B5; &#xD800; &#0; &#; &bogus; & x &amp \"");
    ASSERT_EQ(root->GetSubItemCount(), 3u);
    EXPECT_EQ(root->GetSubItemAt(2)->GetAttribute("k").ToUtf8(), "\n<&#x2F;>");  // only the table's numeric reference
    EXPECT_EQ(root->GetSubItemAt(2)->GetText().ToUtf8(), "t");

    // Entities are replaced before the trimming, which takes a line feed written as a
    // reference too; a raw one separates pieces.
    EXPECT_EQ(Parse("<a>&#10;x&#10;y&#10;\n\t\t z </a>")->GetText().ToUtf8(), "x\ny z");
    EXPECT_EQ(Parse("<a>x<![CDATA y &amp; ]]></a>")->GetText().ToUtf8(), "x y &amp;");
    // Outside any element an element becomes the root: the second top-level one wins.
    EXPECT_EQ(Parse("<a><c/></a><b/>")->GetName().ToUtf8(), "b");
    EXPECT_EQ(Parse("<a> x<b/>y <!-- c --> z</a>")->GetText().ToUtf8(), "x y z");
    const char withNul[] = "<a>x</a>\0trailing garbage";
    EXPECT_EQ(Parse(std::string(withNul, sizeof withNul - 1))->GetText().ToUtf8(), "x");  // NUL ends the data
}

TEST(YXMLDocument, EncodingsAndByteOrderMarks) {
    std::unique_ptr<YXMLItem> latin = Parse("<?xml version=\"1.0\" encoding=\"windows-1252\"?><a t=\"\xE9\">\x80</a>");
    EXPECT_EQ(latin->GetAttribute("t").ToU16(), u"\u00E9");
    EXPECT_EQ(latin->GetText().ToU16(), u"\u20AC");
    EXPECT_EQ(Parse("\xEF\xBB\xBF<a>\xC3\xA9</a>")->GetText().ToU16(), u"\u00E9");
    EXPECT_EQ(Parse(Utf16(u"<a>\u00E9\u20AC</a>"))->GetText().ToU16(), u"\u00E9\u20AC");  // no mark
    EXPECT_EQ(Parse("\xFF\xFE" + Utf16(u"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\u0416</a>"))->GetText().ToU16(),
              u"\u0416");  // the mark wins over the declaration
    // 8-bit text cannot switch to UTF-16: the declaration was read 8 bits at a time.
    EXPECT_EQ(Parse("<?xml version=\"1.0\" encoding=\"utf-16\"?><a>\xC3\xA9</a>")->GetText().ToU16(), u"\u00E9");
    ExpectYException([] { Parse("<?xml version=\"1.0\" encoding=\"martian\"?><a/>"); },
                     "No codec found for encoding martian.");
}

TEST(YXMLDocument, MalformedDocumentsRaiseTheirMessageAndLeaveTheDocument) {
    const std::string invalid = "Invalid file contents. ";
    const struct { const char* text; std::string message; int32_t code; } cases[] = {
        {"<a><!x></a>", invalid + "Invalid special element sequence.", 256},
        {"<a><!-x-></a>", invalid + "No ending delimiter found.", 256},
        {"<a><![CDAT[x]]></a>", invalid + "Invalid special element sequence.", 256},
        {"<a/ >", invalid + "Invalid element finishing sequence.", 256},
        {"<?xml version=\"1.0\"?x><a/>", invalid + "Invalid element finishing sequence.", 256},
        {"<a b c=\"1\"/>", invalid + "Invalid character found where attribute expected.", 256},
        {"<a b=1/>", invalid + "Invalid character found where attribute expected.", 256},
        {"<a =\"1\"/>", invalid + "Special character found where attribute expected.", 256},
        {"<a \"x\"/>", invalid + "Special character found where attribute expected.", 256},
        {"< a/>", invalid + "No element name found.", 256},
        {"<?" "?>", invalid + "No element name found.", 256},
        {"<a></ a>", invalid + "No element name found.", 256},
        {"<a></a b>", invalid + "Invalid closing element syntax.", 256},
        {"<a><b></a></b>", invalid + "Invalid closing element name.", 256},
        {"</a>", invalid + "Invalid closing element name.", 256},
        {"<a/></a>", invalid + "Invalid closing element name.", 256},
        {"<a>", invalid + "No ending delimiter found.", 256},
        {"<a", invalid + "No ending delimiter found.", 256},
        {"<a><!-- x", invalid + "No ending delimiter found.", 256},
        {"<a><![CDATA[x]></a>", invalid + "No ending delimiter found.", 256},
        {"<a b=\"x/>", invalid + "No ending delimiter found.", 256},
        {"<?pi x", invalid + "No ending delimiter found.", 256},
        {"<a/><b/>x", "Text outside of any element.", 0},
        {"x<a/>", "Text outside of any element.", 0},
        {"<a/>x", "Text outside of any element.", 0},
        {"<?xml version=\"1.0\"?>\n<!-- nothing -->\n", "The XML does not contain any elements.", 0},
        {"", "The XML does not contain any elements.", 0},
    };
    YXMLDocument document("kept");
    document.GetRoot().AddSubItem("child");
    for (const auto& c : cases) {
        YMemoryStream in(YByteBuffer::Borrow(c.text, std::strlen(c.text)));
        ExpectYException([&] { document.Load(in); }, c.message, c.code);
        EXPECT_EQ(document.GetRoot().GetName().ToUtf8(), "kept") << c.text;
        EXPECT_EQ(document.GetRoot().GetSubItemCount(), 1u) << c.text;
    }
    YMemoryStream good(YByteBuffer::Borrow("<new/>", 6));
    document.Load(good);
    std::unique_ptr<YXMLItem> taken = document.TakeRoot();
    EXPECT_EQ(taken->GetName().ToUtf8(), "new");
    EXPECT_TRUE(document.GetRoot().GetName().IsEmpty());
}

const char kSample[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<!-- state -->\n"
    "<settings version=\"7\" name=\"a &amp; b\">\n"
    "\t<param id=\"1\" value=\"0.5\"/>\n"
    "\t<text>d\xC3\xA9j\xC3\xA0 vu \xE2\x82\xAC &#x1F3B5; &lt;ok&gt;</text>\n"
    "\t<![CDATA[ raw <stuff> ]]>\n"
    "\t<?pi skip?>\n"
    "\t<Param id=\"2\">line one\n"
    "\t\tline two</PARAM>\n"
    "</settings>\n"
    "  \n";

// Each cut either raises a YException or, once at most trailing white space is gone,
// gives the whole document's tree.
void CheckEveryCut(const std::string& bytes) {
    std::unique_ptr<YXMLItem> whole = Parse(bytes);
    int parsed = 0;
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        std::unique_ptr<YXMLItem> part;
        try {
            part = Parse(bytes.substr(0, cut));
        } catch (const YException&) {
            continue;
        }
        ++parsed;
        EXPECT_TRUE(*part == *whole) << "cut at " << cut;
    }
    EXPECT_GT(parsed, 0);
}

TEST(YXMLDocument, EveryCutOfAValidDocumentParsesOrRaises) {
    CheckEveryCut(kSample);
    std::unique_ptr<YXMLItem> sample = Parse(kSample);
    EXPECT_EQ(sample->GetSubItemAt(1)->GetText().ToU16(), u"d\u00E9j\u00E0 vu \u20AC &#x1F3B5; <ok>");
    EXPECT_EQ(sample->GetSubItemAt(2)->GetText().ToUtf8(), "line one line two");
    EXPECT_EQ(sample->GetText().ToUtf8(), "raw <stuff>");
    CheckEveryCut(Save(*sample, false, "utf-16"));
    CheckEveryCut(Save(*sample, true));
}

TEST(YXMLDocument, CorruptedBytesParseOrRaiseNothingElse) {
    std::mt19937 random(17);
    for (int round = 0; round < 3000; ++round) {
        std::string broken = kSample;
        for (int changes = 1 + random() % 3; changes > 0; --changes)
            broken[random() % broken.size()] = "<>/=\"'?!&;-[]x \n\0\xC3\xFF"[random() % 19];
        try {
            Parse(broken);
        } catch (const YException&) {
        }
    }
}

// Random trees: names with and without case, attribute values with every escaped
// character, and texts in the form that reading produces (words without white space,
// line feeds included, single blanks between), long enough to wrap.
class TreeMaker {
public:
    explicit TreeMaker(uint32_t seed) : random_(seed) {}

    std::unique_ptr<YXMLItem> Tree() {
        auto root = std::make_unique<YXMLItem>(Name());
        Fill(*root, 0);
        return root;
    }

private:
    uint32_t Below(std::size_t n) { return static_cast<uint32_t>(random_() % n); }
    char16_t Pick(const std::u16string& from) { return from[Below(from.size())]; }

    YString Name() {
        std::u16string name(1, Pick(u"abcxyzABCXYZ_\u00E9\u0416"));
        for (uint32_t n = Below(8); n > 0; --n) name += Pick(u"abcxyzABCXYZ_\u00E9\u041609.-:");
        return YString(name);
    }

    // Words take no white space (the last three pieces).
    std::u16string Pieces(uint32_t count, bool blanks) {
        static const std::u16string pieces[] = {u"a", u"Z", u"7", u"&", u"<", u">", u"'", u"\"", u";", u"#", u"&amp;",
                                                u"&#10;", u"\u00E9", u"\u20AC", u"\U0001F3B5", u"\n", u"\t", u" "};
        std::u16string text;
        for (; count > 0; --count) text += pieces[Below(blanks ? 18 : 15)];
        return text;
    }

    void Fill(YXMLItem& item, int depth) {
        for (uint32_t n = Below(6); n > 0; --n) item.SetAttribute(Name(), YString(Pieces(Below(20), true)));
        std::u16string text;
        for (uint32_t w = 0, words = Below(3) == 0 ? 0 : Below(40); w < words; ++w)
            text += (w > 0 ? u" " : u"") + Pieces(1 + Below(12), false);
        item.SetText(YString(text));
        if (depth < 4)
            for (uint32_t n = Below(5); n > 0; --n) Fill(*item.AddSubItem(Name()), depth + 1);
    }

    std::mt19937 random_;
};

TEST(YXMLDocument, RandomTreesRoundTripInBothFormsAndEncodings) {
    TreeMaker maker(20240601);
    for (int round = 0; round < 300; ++round) {
        std::unique_ptr<YXMLItem> tree = maker.Tree();
        for (bool compact : {false, true}) {
            for (const YString& encoding : {YString("utf-8"), YString("utf-16")}) {
                std::string saved = Save(*tree, compact, encoding);
                std::unique_ptr<YXMLItem> back = Parse(saved);
                ASSERT_TRUE(*back == *tree) << "round " << round << (compact ? " compact " : " indented ")
                                            << encoding.ToUtf8() << "\n" << Save(*tree, compact);
            }
        }
    }
}

}  // namespace
