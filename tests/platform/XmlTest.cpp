#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "platform/Zxml.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "platform/AssetNames.h"

namespace {

// A compact picture of a tree: name(attributes)'text'{children}, quoted
// values in double quotes.
std::string Dump(TXmlNode& node)
{
    std::string out = node.GetName().c_str();
    if (node.GetAttributeCount() > 0) {
        out += "(";
        TString name, value;
        bool quoted = false;
        bool first = true;
        node.BeginAttributes();
        while (node.NextAttribute(name, value, quoted)) {
            out += first ? "" : ",";
            first = false;
            out += std::string(name.c_str()) + "=" + (quoted ? "\"" : "") + value.c_str() +
                   (quoted ? "\"" : "");
        }
        out += ")";
    }
    if (!node.GetText().IsEmpty())
        out += std::string("'") + node.GetText().c_str() + "'";
    if (node.HasChildren()) {
        out += "{";
        TString name;
        TXmlNode* child = nullptr;
        bool first = true;
        node.BeginChildren();
        while (node.NextChild(name, child)) {
            out += first ? "" : " ";
            first = false;
            out += Dump(*child);
        }
        out += "}";
    }
    return out;
}

std::string ParseDump(const std::string& text)
{
    TXmlNode root;
    ParseXmlText(&root, text.data(), text.size());
    return Dump(root);
}

// A copy of some bytes that ends right before an inaccessible page, so any
// read past the end faults, also inside zlib, which the sanitizer does not
// see into.
class TGuardedCopy {
public:
    explicit TGuardedCopy(const std::string& bytes)
    {
        long page = sysconf(_SC_PAGESIZE);
        mPages = (bytes.size() + size_t(page) - 1) / size_t(page) + 1;
        mLength = mPages * size_t(page);
        void* map = mmap(nullptr, mLength, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        EXPECT_NE(map, MAP_FAILED);
        mMap = static_cast<char*>(map);
        char* guard = mMap + mLength - size_t(page);
        EXPECT_EQ(mprotect(guard, size_t(page), PROT_NONE), 0);
        mData = guard - bytes.size();
        memcpy(mData, bytes.data(), bytes.size());
    }
    ~TGuardedCopy() { munmap(mMap, mLength); }
    TGuardedCopy(const TGuardedCopy&) = delete;
    TGuardedCopy& operator=(const TGuardedCopy&) = delete;

    const char* Data() const { return mData; }

private:
    char* mMap = nullptr;
    char* mData = nullptr;
    size_t mPages = 0;
    size_t mLength = 0;
};

std::string Serialise(TXmlNode& node)
{
    TString out;
    node.ToString(out);
    return out.c_str();
}

} // namespace

TEST(Xml, ParsesDocumentsLeniently)
{
    TTempLogFolder log;
    struct Case {
        const char* text;
        const char* tree;
    } cases[] = {
        {"<settings><volume>5</volume></settings>", "{settings{volume'5'}}"},
        {"<t>  a   b  </t>", "{t'a b'}"},
        {"<a x=1 y=\"two words\" z></a>", "{a(x=1,y=\"two words\")}"},
        {"<a z x=1></a>", "{a(x=1)}"},
        {"<p>one<br/>two<br />three</p>", "{p'one two three'{br br}}"},
        {"<t>&lt;b&gt;</t>", "{t'<b>'}"},
        {"<t>&#65; &#65</t>", "{t'A &#65'}"},
        // Any closing tag closes the current element.
        {"<a><b>x</c>y</a>", "{a'y'{b'x'}}"},
        // Declarations and comments stay in the tree without content.
        {"<?xml version=\"1.0\"?><!DOCTYPE doc><!-- a comment --><doc/>",
         "{?xml(version=\"1.0\") !DOCTYPE !-- doc}"},
        {"<?php echo ?>after", "'after'{?php}"},
        // A closing tag at the top level ends the parse.
        {"<a/></b><c/>", "{a}"},
        // A quoted "=" still separates name and value; one from an entity does not.
        {"<a k \"=\" v></a>", "{a(k=v)}"},
        {"<a k &#61; v></a>", "{a}"},
        {"<a =1></a>", "{a(=1)}"},
        // Text from an entity is never a tag; ">" in content is text.
        {"<a>&lt;b></a>", "{a'<b >'}"},
        // Quoted content loses its quotes but keeps its blanks.
        {"<a>say \"hello  there\"</a>", "{a'say hello  there'}"},
        {"<a><>b</a>", "{a'b'}"},
        {"top <a/> level", "'top level'{a}"},
        // UTF-8 sequences are read whole, so a delimiter byte inside one
        // is no delimiter.
        {"<caf\xC3\xA9 n=\xC3\xA9>\xC3\xA9</caf\xC3\xA9>", "{caf\xC3\xA9(n=\xC3\xA9)'\xC3\xA9'}"},
        {"<a>\xC3<b>z</a>", "{a'\xC3<b > z'}"},
        {"", ""},
        {"   \n\t ", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDump(c.text), c.tree) << "input: " << c.text;
}

TEST(Xml, DecodesEntities)
{
    struct Case {
        const char* in;
        const char* out;
        bool literal;
    } cases[] = {
        {"&amp;", "&", true},
        {"a&AMP;b", "a&b", false},
        {"&Lt;&gT;&QUOT;&apos;", "<>\"'", true},
        {"&#65;", "A", true},
        {"&#65", "&#65", false},
        {"&#65x;", "Ax;", true}, // a ";" later in the token is enough
        {"x&#97;&#98;", "xab", false},
        {"&#321;", "A", true},                    // cut to a byte
        {"&#99999999999999999999;", "\xFF", true}, // no overflow
        {"&#;", "&#;", false},
        {"&#0;", "&#0;", false}, // a text cannot hold NUL
        {"&#256;", "&#256;", false},
        {"&nbsp;", "&nbsp;", false},
        {"&amp", "&amp", false},
        {"&amp;amp;", "&amp;", true}, // decoded once
        {"&", "&", false},
        {"plain", "plain", false},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        bool literal = DecodeXmlEntities(text);
        EXPECT_EQ(text, c.out) << "input: " << c.in;
        EXPECT_EQ(literal, c.literal) << "input: " << c.in;
    }
}

TEST(Xml, WritesIndentedText)
{
    TXmlNode a(TString("a"));
    a.AddAttribute(TString("k"), TString("v"), true);
    a.AppendText("t", 1);
    EXPECT_EQ(Serialise(a), "<a\n    k=\"v\">\nt\n</a>\n");

    TXmlNode root(TString("r"));
    TXmlNode* b = root.NewChild(TString("b"));
    b->AddAttribute(TString("n"), TString("1"), false);
    b->AppendText("x", 1);
    b->NewChild(TString("c"));
    EXPECT_EQ(Serialise(root), "<r>\n"
                               "    <b\n"
                               "        n=1>\n"
                               "    x\n"
                               "        <c>\n"
                               "        </c>\n"
                               "    </b>\n"
                               "</r>\n");

    TXmlNode escaped(TString("e"));
    escaped.AddAttribute(TString("q"), TString("<\"&'>"), true);
    std::string text = "a<b>&\"c\" 'd'\x01\xC3\xA9";
    escaped.AppendText(text.data(), uint32_t(text.size()));
    EXPECT_EQ(Serialise(escaped), "<e\n    q=\"&lt;&quot;&amp;&apos;&gt;\">\n"
                                  "a&lt;b&gt;&amp;&quot;c&quot; &apos;d&apos;&#1;&#195;&#169;\n"
                                  "</e>\n");
}

TEST(Xml, WritesDeclarationsWithoutClosingTag)
{
    TXmlNode root;
    ParseXmlText(&root, "<?xml version=\"1.0\"?><!-- note --><doc>x</doc>");
    TXmlNode* declaration = root.FindChild(TString("?xml"));
    ASSERT_NE(declaration, nullptr);
    EXPECT_EQ(Serialise(*declaration), "<?xml\n    version=\"1.0\">\n");
    EXPECT_EQ(Serialise(*root.FindChild(TString("!--"))), "<!-->\n");
}

TEST(Xml, SizeHintGrowsToTheLongestOutput)
{
    TXmlNode small(TString("s"));
    Serialise(small);
    EXPECT_EQ(small.GetSizeHint(), TXmlNode::kInitialSizeHint);

    TXmlNode big(TString("big"));
    std::string text(5000, 'x');
    big.AppendText(text.data(), uint32_t(text.size()));
    TString out;
    big.ToString(out);
    EXPECT_EQ(big.GetSizeHint(), out.Length() + 1);
    // Written again, the text fits the reservation.
    big.ToString(out);
    EXPECT_EQ(out.Capacity(), out.Length() + 1);
}

// Reading what was written gives the same tree, also for names, values and
// texts that the plain escaping would not carry through.
TEST(Xml, RoundTripsThroughText)
{
    const char* docs[] = {
        "<settings><volume>5</volume><name lang=\"en\">Quill &amp; Ink</name></settings>",
        "<a \"x y\"=\"1 2\" k=v/ >text \"quoted  spaces\" a = b \"x=y\" \"=\"</a>",
        "<\"\">empty name</\"\">",
        "<&#47;x a=&#32;b c=&#61; d=\"\">z</&#47;x>",
        "<r><?xml version=\"1.0\"?><!-- c --><b/>after<?php x ?>more</r>",
        "<r>caf\xC3\xA9 \x01 &#9;tab</r>",
        "<r a=&quot; b='x' c=&lt;&gt;>&#32;lead and trail&#32;</r>",
        "<r>&#32;&#32;</r>",
        "<r \"q\"=\"/\" s=\"?x\"><i>1</i><i>2</i></r>",
        "<r>= =a= b=</r>",
    };
    for (const char* doc : docs) {
        TXmlNode first;
        ParseXmlText(&first, doc);
        ASSERT_TRUE(first.HasChildren()) << doc;
        TString name;
        TXmlNode* child = nullptr;
        first.BeginChildren();
        while (first.NextChild(name, child)) {
            std::string written = Serialise(*child);
            TXmlNode second;
            ParseXmlText(&second, written.c_str());
            EXPECT_EQ(Dump(second), "{" + Dump(*child) + "}")
                << "document: " << doc << "\nwritten:\n"
                << written;
        }
    }
}

TEST(Xml, LoadsFilesIntoTheGivenNode)
{
    TTempLogFolder log;
    std::string doc = "<a>1</a>text<b/>";
    RegisterMemoryFile(TString("test/doc.xml"), doc.data(), uint32_t(doc.size()));

    TXmlNode root;
    root.NewChild(TString("old"));
    EXPECT_TRUE(LoadXmlFile(&root, TString("test/doc.xml")));
    EXPECT_EQ(Dump(root), "'text'{old a'1' b}");

    TXmlNode missing;
    EXPECT_FALSE(LoadXmlFile(&missing, TString("test/no-such.xml")));
    EXPECT_FALSE(LoadXmlFile(&missing, TString(FixtureAsset("xml/no-such.xml").c_str())));
    EXPECT_EQ(Dump(missing), "");

    RegisterMemoryFile(TString("test/empty.xml"), "", 0);
    EXPECT_TRUE(LoadXmlFile(&missing, TString("test/empty.xml")));
    EXPECT_EQ(Dump(missing), "");
    EXPECT_EQ(log.Lines().size(), 0u);

    RegisterMemoryFile(TString("test/doc.xml"), nullptr, 0);
    RegisterMemoryFile(TString("test/empty.xml"), nullptr, 0);
}

TEST(Xml, LoadsCompressedFiles)
{
    TTempLogFolder log;
    const char* expected = "{?xml(version=\"1.0\") settings{volume'5' name(lang=\"en\")'Quill & Ink'}}";
    for (const char* file : {"xml/settings.zxml", "xml/lowercase-magic.zxml"}) {
        TXmlNode root;
        EXPECT_TRUE(LoadXmlFile(&root, TString(FixtureAsset(file).c_str())));
        EXPECT_EQ(Dump(root), expected) << file;

        std::string bytes = ReadFixture(file);
        TXmlNode fromMemory;
        ParseXmlText(&fromMemory, bytes.data(), bytes.size());
        EXPECT_EQ(Dump(fromMemory), expected) << file;
    }
    EXPECT_EQ(log.Lines().size(), 0u);
}

// Header sizes that lie are held to what is present, logged, and never
// drive an allocation or a read past the data.
TEST(Xml, DamagedCompressedFilesAreLoggedAndReadSafely)
{
    const char* full = "{?xml(version=\"1.0\") settings{volume'5' name(lang=\"en\")'Quill & Ink'}}";
    struct Case {
        const char* file;
        const char* tree; // null: not checked
        const char* logged;
    } cases[] = {
        {"xml/plain-size-too-large.zxml", full, "header announced"},
        {"xml/plain-size-too-small.zxml", "{?xml(version=\"1.0\")}", "more than the announced 20"},
        {"xml/plain-size-huge.zxml", "", "more than the 67108864 allowed"},
        {"xml/packed-size-too-large.zxml", full, "only 97 present"},
        {"xml/stream-truncated.zxml", nullptr, "damaged"},
        {"xml/packed-size-lies-truncated.zxml", nullptr, "only 48 present"},
        {"xml/stream-garbage.zxml", "", "damaged"},
        {"xml/header-only.zxml", "", "cut short"},
    };
    for (const Case& c : cases) {
        for (bool fromFile : {true, false}) {
            TTempLogFolder log;
            TXmlNode root;
            if (fromFile) {
                LoadXmlFile(&root, TString(FixtureAsset(c.file).c_str()));
            } else {
                std::string bytes = ReadFixture(c.file);
                ASSERT_FALSE(bytes.empty()) << c.file;
                TGuardedCopy copy(bytes);
                ParseXmlText(&root, copy.Data(), bytes.size());
            }
            if (c.tree) {
                EXPECT_EQ(Dump(root), c.tree) << c.file;
            }
            EXPECT_TRUE(log.Has(c.logged)) << c.file << " logged:\n" << log.Text();
        }
    }
}

TEST(Xml, CompressedTextWithoutLengthStopsAtTheFirstZero)
{
    TTempLogFolder log;
    std::string bytes = ReadFixture("xml/settings.zxml");
    TXmlNode root;
    ParseXmlText(&root, bytes.c_str());
    EXPECT_FALSE(root.HasChildren());
    EXPECT_TRUE(log.Has("cut short"));
}

TEST(Xml, InflateChecksTheAnnouncedSize)
{
    TTempLogFolder log;
    std::string bytes = ReadFixture("xml/settings.zxml");
    std::string out;
    EXPECT_TRUE(InflateZxml(bytes.data(), bytes.size(), out, "test"));
    EXPECT_EQ(out.substr(0, 21), "<?xml version=\"1.0\"?>");
    EXPECT_FALSE(IsZxmlBlock("ZXM", 3));
    EXPECT_TRUE(IsZxmlBlock("zXmL", 4));
    EXPECT_FALSE(InflateZxml("XML!", 4, out, "test"));
    EXPECT_TRUE(out.empty());
}

TEST(Xml, UnclosedDocumentKeepsWhatWasRead)
{
    TTempLogFolder log;
    TXmlNode root;
    EXPECT_TRUE(LoadXmlFile(&root, TString(FixtureAsset("xml/unclosed.xml").c_str())));
    EXPECT_EQ(Dump(root), "{root{item(id=\"1\")'first' item(id=\"2\")'second'{deeper'text that never'}}}");
    EXPECT_TRUE(log.Has("3 element(s) still open"));

    TTempLogFolder log2;
    EXPECT_EQ(ParseDump("<a><b x=\"1"), "{a{b(x=\"1\")}}");
    EXPECT_TRUE(log2.Has("ended inside a tag"));
    EXPECT_EQ(log2.Lines().size(), 1u);
}

TEST(Xml, DeepNestingIsCappedWithoutRecursion)
{
    TTempLogFolder log;
    const int levels = 1000;
    std::string doc = "<r>";
    for (int i = 0; i < levels; ++i)
        doc += "<a>";
    doc += "lost";
    for (int i = 0; i < levels; ++i)
        doc += "</a>";
    doc += "<after/></r>";

    TXmlNode root;
    ParseXmlText(&root, doc.c_str());
    TXmlNode* r = root.FindChild(TString("r"));
    ASSERT_NE(r, nullptr);
    EXPECT_NE(r->FindChild(TString("after")), nullptr);
    // r is at depth 1; the chain below it holds the rest of the levels.
    uint32_t depth = 1;
    for (TXmlNode* n = r->FindChild(TString("a")); n; n = n->FindChild(TString("a"))) {
        ++depth;
        EXPECT_TRUE(n->GetText().IsEmpty());
    }
    EXPECT_EQ(depth, kXmlMaxDepth);
    EXPECT_TRUE(log.Has("deeper than 256 levels"));
    EXPECT_EQ(log.Lines().size(), 1u);

    // Nesting that never closes, far beyond the cap: no stack is used up.
    std::string open;
    for (int i = 0; i < 200000; ++i)
        open += "<a>";
    TXmlNode deep;
    ParseXmlText(&deep, open.c_str());
    EXPECT_TRUE(deep.HasChildren());

    // A tree built by hand far deeper than any parse: deleting it does not
    // recurse either.
    auto chain = std::make_unique<TXmlNode>(TString("c"));
    TXmlNode* n = chain.get();
    for (int i = 0; i < 100000; ++i)
        n = n->NewChild(TString("c"));
    chain.reset();
}

TEST(Xml, AttributeCountIsCapped)
{
    TTempLogFolder log;
    std::string doc = "<a";
    for (uint32_t i = 0; i < kXmlMaxAttributes + 10; ++i)
        doc += " k" + std::to_string(i) + "=" + std::to_string(i);
    doc += ">x</a>";
    TXmlNode root;
    ParseXmlText(&root, doc.c_str());
    TXmlNode* a = root.FindChild(TString("a"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetAttributeCount(), kXmlMaxAttributes);
    EXPECT_EQ(a->GetText(), TString("x"));
    EXPECT_TRUE(log.Has("attributes"));
}

TEST(Xml, QueriesAndUpdates)
{
    TXmlNode root;
    ParseXmlText(&root, "<n a=1 a=\"2\" b=3>x</n><N>upper</N><n>second</n>");
    EXPECT_EQ(root.FindChild(TString("N"))->GetText(), TString("upper"));
    EXPECT_EQ(root.FindChild(TString("n"))->GetText(), TString("x"));
    EXPECT_EQ(root.FindChild(TString("missing")), nullptr);

    TXmlNode* n = root.FindChild(TString("n"));
    TString value;
    bool quoted = true;
    n->GetAttribute(value, TString("a"), &quoted);
    EXPECT_EQ(value, TString("1"));
    EXPECT_FALSE(quoted);
    quoted = true;
    n->GetAttribute(value, TString("nope"), &quoted);
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_TRUE(quoted); // left as it was
    n->GetAttribute(value, TString("A"));
    EXPECT_TRUE(value.IsEmpty());

    n->SetAttribute(TString("a"), TString("9"));
    n->SetAttribute(TString("c"), TString("new"));
    EXPECT_EQ(Dump(*n), "n(a=\"9\",a=\"2\",b=3,c=\"new\")'x'");

    // Iteration restarts with Begin and ends with false.
    TString name;
    TXmlNode* child = nullptr;
    int count = 0;
    root.BeginChildren();
    while (root.NextChild(name, child))
        ++count;
    EXPECT_FALSE(root.NextChild(name, child));
    root.BeginChildren();
    ASSERT_TRUE(root.NextChild(name, child));
    EXPECT_EQ(name, TString("n"));
    EXPECT_EQ(count, 3);
}

namespace {

// Records the parser's calls to the virtual operations.
class TRecordingNode : public TXmlNode {
public:
    TRecordingNode(const TString& name, std::vector<std::string>* events)
        : TXmlNode(name), mEvents(events)
    {
    }
    TXmlNode* NewChild(const TString& name) override
    {
        mEvents->push_back(std::string(GetName().c_str()) + " new " + name.c_str());
        return AdoptChild(std::make_unique<TRecordingNode>(name, mEvents));
    }
    void EndTag(const TString& name) override
    {
        mEvents->push_back(std::string(GetName().c_str()) + " end " + name.c_str());
    }
    void AppendText(const char* text, uint32_t length) override
    {
        mEvents->push_back(std::string(GetName().c_str()) + " text " + std::string(text, length));
        TXmlNode::AppendText(text, length);
    }
    void AddAttribute(const TString& name, const TString& value, bool quoted) override
    {
        mEvents->push_back(std::string(GetName().c_str()) + " attr " + name.c_str());
        TXmlNode::AddAttribute(name, value, quoted);
    }

private:
    std::vector<std::string>* mEvents;
};

} // namespace

TEST(Xml, ParserGoesThroughTheVirtualOperations)
{
    std::vector<std::string> events;
    TRecordingNode root(TString("root"), &events);
    ParseXmlText(&root, "<a k=v><b/>hi</x></a>");
    std::vector<std::string> expected = {"root new a", "a attr k", "a new b", "b end b",
                                         "a text hi", "a end x", "root end a"};
    EXPECT_EQ(events, expected);
    EXPECT_NE(dynamic_cast<TRecordingNode*>(root.FindChild(TString("a"))), nullptr);
}

TEST(Xml, VisitEnteringGoesIntoTheNamedElementAndLeavesTheRestOfItsLevel)
{
    const struct {
        const char* text;
        const char* visited;
    } cases[] = {
        {"<a/><b/>", "a b "},
        {"<a/><in><b/><c/></in><d/>", "a b c "},
        {"<in><in><b/></in><c/></in>", "b "},
        {"<a/><in/><b/>", "a "},
        {"", ""},
    };
    for (const auto& c : cases) {
        TXmlNode root;
        ParseXmlText(&root, c.text, std::strlen(c.text));
        std::string visited;
        VisitEntering(&root, TString("in"), [&](const TString& name, TXmlNode*) {
            visited += std::string(name.c_str()) + " ";
        });
        EXPECT_EQ(visited, c.visited) << c.text;
    }
}
