#include "platform/XmlNode.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

bool StartsWith(const char* text, const char* prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

} // namespace

bool IsXmlDeclarationName(const TString& name)
{
    return name == "?xml" || name == "!DOCTYPE" || StartsWith(name.c_str(), "!--");
}

// Serialises a subtree into one text, a small staging buffer at a time.
// Without recursion, so the depth of a tree does not matter.
//
// Escaping: bytes below 32 and from 128 on become "&#N;", and & < > " '
// their named entities. Where the reader would otherwise split or merge
// differently, a few more bytes are written as character references, so
// that reading the output gives back the same tree:
// - names and unquoted values: blanks, "=", a leading or trailing "/", and
//   the empty text written as "";
// - element text: a blank that is not a single blank between two other
//   characters, and an "=" that is not set off by such blanks.
class TXmlWriter {
public:
    explicit TXmlWriter(TString& out) : mOut(out) {}

    void WriteTree(const TXmlNode& root)
    {
        struct Frame {
            const TXmlNode* node;
            size_t next;
            uint32_t indent;
        };
        std::vector<Frame> stack;
        if (WriteOpening(root, 0))
            stack.push_back({&root, 0, 0});
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next < top.node->mChildren.size()) {
                const TXmlNode* child = top.node->mChildren[top.next++].get();
                uint32_t indent = top.indent + 4;
                if (WriteOpening(*child, indent))
                    stack.push_back({child, 0, indent});
            } else {
                Spaces(top.indent);
                Put("</", 2);
                PutBare(top.node->mName, true);
                Put(">\n", 2);
                stack.pop_back();
            }
        }
        Flush();
    }

    uint32_t Length() const { return mPos; }

private:
    // False when the element is complete without a closing tag.
    bool WriteOpening(const TXmlNode& node, uint32_t indent)
    {
        Spaces(indent);
        Put("<", 1);
        PutBare(node.mName, true);
        for (const TXmlAttribute& a : node.mAttributes) {
            Put("\n", 1);
            Spaces(indent + 4);
            PutBare(a.name, false);
            Put("=", 1);
            if (a.quoted) {
                Put("\"", 1);
                PutPlain(a.value);
                Put("\"", 1);
            } else {
                PutBare(a.value, false);
            }
        }
        Put(">\n", 2);
        // The reader never gives a declaration or comment content, nor
        // expects a closing tag for one.
        if (IsXmlDeclarationName(node.mName) && node.mText.IsEmpty() && node.mChildren.empty())
            return false;
        if (!node.mText.IsEmpty()) {
            Spaces(indent);
            PutText(node.mText);
            Put("\n", 1);
        }
        return true;
    }

    void PutEscaped(uint8_t c)
    {
        switch (c) {
        case '&': Put("&amp;", 5); return;
        case '<': Put("&lt;", 4); return;
        case '>': Put("&gt;", 4); return;
        case '"': Put("&quot;", 6); return;
        case '\'': Put("&apos;", 6); return;
        default: break;
        }
        if (c < 32 || c >= 128) {
            PutReference(c);
            return;
        }
        char ch = char(c);
        Put(&ch, 1);
    }

    void PutReference(uint8_t c)
    {
        char ref[8];
        int n = snprintf(ref, sizeof ref, "&#%u;", unsigned(c));
        Put(ref, size_t(n));
    }

    void PutPlain(const TString& text)
    {
        for (const char* p = text.c_str(); *p; ++p)
            PutEscaped(uint8_t(*p));
    }

    void PutBare(const TString& text, bool elementName)
    {
        std::string_view s(text.c_str());
        if (s.empty()) {
            Put("\"\"", 2);
            return;
        }
        for (size_t i = 0; i < s.size(); ++i) {
            uint8_t c = uint8_t(s[i]);
            bool slashAtEdge = c == '/' && (i + 1 == s.size() || (elementName && i == 0));
            if (c == ' ' || c == '=' || slashAtEdge)
                PutReference(c);
            else
                PutEscaped(c);
        }
    }

    void PutText(const TString& text)
    {
        std::string_view s(text.c_str());
        size_t n = s.size();
        auto separator = [&](size_t i) {
            return s[i] == ' ' && i > 0 && i + 1 < n && s[i - 1] != ' ' && s[i + 1] != ' ';
        };
        for (size_t i = 0; i < n; ++i) {
            uint8_t c = uint8_t(s[i]);
            if (c == ' ' && !separator(i)) {
                PutReference(c);
            } else if (c == '=' && !((i == 0 || separator(i - 1)) && (i + 1 == n || separator(i + 1)))) {
                PutReference(c);
            } else {
                PutEscaped(c);
            }
        }
    }

    void Spaces(uint32_t count)
    {
        static const char kBlanks[] = "                                ";
        while (count > 0) {
            uint32_t n = count < 32 ? count : 32;
            Put(kBlanks, n);
            count -= n;
        }
    }

    void Put(const char* bytes, size_t count)
    {
        while (count > 0) {
            size_t room = sizeof mStage - mUsed;
            size_t n = count < room ? count : room;
            memcpy(mStage + mUsed, bytes, n);
            mUsed += n;
            bytes += n;
            count -= n;
            if (mUsed == sizeof mStage)
                Flush();
        }
    }

    void Flush()
    {
        if (mUsed > 0)
            mPos = mOut.WriteAt(mPos, mStage, uint32_t(mUsed), true);
        mUsed = 0;
    }

    TString& mOut;
    uint32_t mPos = 0;
    char mStage[512];
    size_t mUsed = 0;
};

TXmlNode::TXmlNode() = default;

TXmlNode::TXmlNode(const TString& name) : mName(name) {}

TXmlNode::~TXmlNode()
{
    // Take the subtree apart level by level: deep trees must not recurse.
    std::vector<std::unique_ptr<TXmlNode>> doomed = std::move(mChildren);
    while (!doomed.empty()) {
        std::unique_ptr<TXmlNode> node = std::move(doomed.back());
        doomed.pop_back();
        for (std::unique_ptr<TXmlNode>& child : node->mChildren)
            doomed.push_back(std::move(child));
        node->mChildren.clear();
    }
}

TXmlNode* TXmlNode::NewChild(const TString& name)
{
    return AdoptChild(std::make_unique<TXmlNode>(name));
}

TXmlNode* TXmlNode::AdoptChild(std::unique_ptr<TXmlNode> child)
{
    if (!child)
        return nullptr;
    mChildren.push_back(std::move(child));
    return mChildren.back().get();
}

void TXmlNode::EndTag(const TString&) {}

void TXmlNode::AppendText(const char* text, uint32_t length)
{
    if (!text || length == 0)
        return;
    if (mTextLength > 0)
        mTextLength = mText.WriteAt(mTextLength, " ", 1, false);
    mTextLength = mText.WriteAt(mTextLength, text, length, true);
}

void TXmlNode::AddAttribute(const TString& name, const TString& value, bool quoted)
{
    mAttributes.push_back(TXmlAttribute{name, value, uint8_t(quoted ? 1 : 0)});
}

TXmlNode* TXmlNode::FindChild(const TString& name) const
{
    for (const std::unique_ptr<TXmlNode>& child : mChildren)
        if (child->mName == name)
            return child.get();
    return nullptr;
}

bool TXmlNode::NextChild(TString& name, TXmlNode*& child)
{
    if (mChildCursor >= mChildren.size())
        return false;
    child = mChildren[mChildCursor++].get();
    name = child->mName;
    return true;
}

void TXmlNode::GetAttribute(TString& value, const TString& name, bool* quoted) const
{
    for (const TXmlAttribute& a : mAttributes) {
        if (a.name == name) {
            value = a.value;
            if (quoted)
                *quoted = a.quoted != 0;
            return;
        }
    }
    value = TString();
}

bool TXmlNode::NextAttribute(TString& name, TString& value)
{
    bool quoted = false;
    return NextAttribute(name, value, quoted);
}

bool TXmlNode::NextAttribute(TString& name, TString& value, bool& quoted)
{
    if (mAttributeCursor >= mAttributes.size())
        return false;
    const TXmlAttribute& a = mAttributes[mAttributeCursor++];
    name = a.name;
    value = a.value;
    quoted = a.quoted != 0;
    return true;
}

void TXmlNode::SetAttribute(const TString& name, const TString& value)
{
    for (TXmlAttribute& a : mAttributes) {
        if (a.name == name) {
            a.value = value;
            a.quoted = 1;
            return;
        }
    }
    AddAttribute(name, value, true);
}

void TXmlNode::ToString(TString& out)
{
    out = TString();
    out.Reserve(mSizeHint);
    TXmlWriter writer(out);
    writer.WriteTree(*this);
    if (writer.Length() >= mSizeHint)
        mSizeHint = writer.Length() + 1;
}

void VisitEntering(TXmlNode* root, const TString& enter,
                   const std::function<void(const TString& name, TXmlNode* child)>& visit)
{
    TXmlNode* level = root;
    while (level) {
        TXmlNode* next = nullptr;
        TString name;
        TXmlNode* child = nullptr;
        level->BeginChildren();
        while (level->NextChild(name, child)) {
            if (name == enter) {
                next = child;
                break;
            }
            visit(name, child);
        }
        level = next;
    }
}
