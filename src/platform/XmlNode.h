#pragma once
#include <functional>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TString.h"

// One attribute of an element; names may repeat within an element.
struct TXmlAttribute {
    TString name;
    TString value;
    uint8_t quoted = 0; // the value was written in double quotes
};

// One XML element. It owns its children and attributes. The parser
// (XmlParser.h) builds trees through the virtual operations, so a derived
// node type can take over child creation or watch the parse.
class TXmlNode {
public:
    static constexpr uint32_t kInitialSizeHint = 4096;

    TXmlNode();
    explicit TXmlNode(const TString& name);
    virtual ~TXmlNode();
    TXmlNode(const TXmlNode&) = delete;
    TXmlNode& operator=(const TXmlNode&) = delete;

    // Appends a new child and returns it.
    virtual TXmlNode* NewChild(const TString& name);
    // Called by the parser when a tag ends without content, and on the
    // current element when a closing tag is read (with the name written in
    // that tag). Does nothing here.
    virtual void EndTag(const TString& name);
    // Appends a piece of character content, with one blank between it and
    // the text already there. An empty piece changes nothing.
    virtual void AppendText(const char* text, uint32_t length);
    virtual void AddAttribute(const TString& name, const TString& value, bool quoted);

    TString GetName() const { return mName; }
    void GetName(TString& name) const { name = mName; }
    TString GetText() const { return mText; }
    void GetText(TString& text) const { text = mText; }

    bool HasChildren() const { return !mChildren.empty(); }
    size_t GetChildCount() const { return mChildren.size(); }
    // The first child with exactly this name (case counts), or null.
    TXmlNode* FindChild(const TString& name) const;
    void BeginChildren() { mChildCursor = 0; }
    bool NextChild(TString& name, TXmlNode*& child);

    // The value of the first attribute of that name, empty when there is
    // none; *quoted is then left as it was.
    void GetAttribute(TString& value, const TString& name, bool* quoted = nullptr) const;
    size_t GetAttributeCount() const { return mAttributes.size(); }
    void BeginAttributes() { mAttributeCursor = 0; }
    bool NextAttribute(TString& name, TString& value);
    // Like NextAttribute, with the quoted flag.
    bool NextAttribute(TString& name, TString& value, bool& quoted);
    // Replaces the first attribute of that name and marks it quoted, or
    // appends a new quoted one.
    void SetAttribute(const TString& name, const TString& value);

    // Writes the node and its subtree as indented XML text.
    void ToString(TString& out);
    uint32_t GetSizeHint() const { return mSizeHint; }

protected:
    // Takes ownership of a child made by a derived NewChild.
    TXmlNode* AdoptChild(std::unique_ptr<TXmlNode> child);

private:
    TString mText;
    uint32_t mTextLength = 0;
    uint32_t mSizeHint = kInitialSizeHint;
    TString mName;
    std::vector<std::unique_ptr<TXmlNode>> mChildren;
    size_t mChildCursor = 0;
    std::vector<TXmlAttribute> mAttributes;
    size_t mAttributeCursor = 0;

    friend class TXmlWriter;
};

// Names the parser reads as declarations or comments: they never get
// content ("?xml", "!DOCTYPE", and anything beginning with "!--").
bool IsXmlDeclarationName(const TString& name);

// Visits the children of root in order; a child named enter is not
// visited but entered: the visit goes on over its children, and the rest
// of the level it was found on is left. Files laid out with or without an
// enclosing element read the same.
void VisitEntering(TXmlNode* root, const TString& enter,
                   const std::function<void(const TString& name, TXmlNode* child)>& visit);
