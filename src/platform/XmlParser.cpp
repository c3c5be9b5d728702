#include "platform/XmlParser.h"

#include <cstring>
#include <vector>

#include "platform/File.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/Zxml.h"

namespace {

// Compressed files larger than this cannot inflate within kZxmlMaxPlainSize.
constexpr uint32_t kMaxZxmlFileSize = kZxmlMaxPlainSize + (kZxmlMaxPlainSize >> 8) + 64;

// The C library's isspace in the C locale; NUL bytes count as blanks too,
// since a text cannot hold them.
bool IsBlank(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0;
}

bool IsDelimiter(int c)
{
    return c == '<' || c == '>' || c == '=';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Token {
    std::string text;
    bool quoted = false;
    bool literal = false; // the first character came from an entity
    bool end = false;     // no token: the input is over

    // A delimiter or the "/" of a closing tag counts only when not literal.
    bool Is(char c) const { return !literal && text.size() == 1 && text[0] == c; }
};

class TXmlReader {
public:
    TXmlReader(TGetChar& source, const char* name) : mSource(source), mName(name ? name : "") {}

    void Parse(TXmlNode* root);

private:
    enum class Tag { Continue, End, Stop };

    Tag ParseTag(std::vector<TXmlNode*>& open);
    Token ReadToken();
    int ReadGroup(uint8_t group[4]);
    void UngetGroup(const uint8_t* group, int count);

    TGetChar& mSource;
    const char* mName;
    bool mPendingSlash = false;
    uint32_t mDropped = 0; // open elements dropped for depth
    bool mEndedInTag = false;
    bool mDepthLogged = false;
    bool mAttributesLogged = false;
};

// Multi-byte UTF-8 sequences are read as one group so they are never split;
// only the group's first byte is tested for blanks and delimiters.
int TXmlReader::ReadGroup(uint8_t group[4])
{
    int c = mSource.Get();
    if (c < 0)
        return 0;
    group[0] = uint8_t(c);
    int extra = c >= 240 ? 3 : c >= 224 ? 2 : c >= 192 ? 1 : 0;
    int count = 1;
    for (int i = 0; i < extra; ++i) {
        c = mSource.Get();
        if (c < 0)
            break;
        group[count++] = uint8_t(c);
    }
    return count;
}

void TXmlReader::UngetGroup(const uint8_t* group, int count)
{
    for (int i = count - 1; i >= 0; --i)
        mSource.Unget(group[i]);
}

void AppendGroup(std::string& text, const uint8_t* group, int count)
{
    for (int i = 0; i < count; ++i)
        if (group[i] != 0)
            text.push_back(char(group[i]));
}

Token TXmlReader::ReadToken()
{
    Token token;
    if (mPendingSlash) {
        mPendingSlash = false;
        token.text.push_back('/');
        return token;
    }
    uint8_t group[4];
    int count;
    do {
        count = ReadGroup(group);
        if (count == 0) {
            token.end = true;
            return token;
        }
    } while (IsBlank(group[0]));

    if (IsDelimiter(group[0])) {
        token.text.assign(1, char(group[0]));
        return token;
    }
    if (group[0] == '"') {
        token.quoted = true;
        while ((count = ReadGroup(group)) > 0 && group[0] != '"')
            AppendGroup(token.text, group, count);
    } else {
        AppendGroup(token.text, group, count);
        while ((count = ReadGroup(group)) > 0) {
            if (IsBlank(group[0]) || IsDelimiter(group[0])) {
                UngetGroup(group, count);
                // "a/>" reads as a, / and >.
                if (group[0] == '>' && token.text.size() > 1 && token.text.back() == '/') {
                    token.text.pop_back();
                    mPendingSlash = true;
                }
                break;
            }
            AppendGroup(token.text, group, count);
        }
    }
    token.literal = DecodeXmlEntities(token.text);
    return token;
}

void TXmlReader::Parse(TXmlNode* root)
{
    std::vector<TXmlNode*> open{root};
    mSource.depth = 0;
    bool stray = false;
    for (;;) {
        Token token = ReadToken();
        if (token.end)
            break;
        if (token.Is('<')) {
            Tag result = ParseTag(open);
            if (result == Tag::End)
                break;
            if (result == Tag::Stop) {
                stray = true;
                break;
            }
            continue;
        }
        if (mDropped == 0 && !token.text.empty())
            open.back()->AppendText(token.text.data(), uint32_t(token.text.size()));
    }

    if (mEndedInTag)
        WriteLog("XML %s: input ended inside a tag", mName);
    else if (open.size() > 1 || mDropped > 0)
        WriteLog("XML %s: input ended with %zu element(s) still open", mName,
                 open.size() - 1 + mDropped);
    if (stray)
        WriteLog("XML %s: closing tag at the top level; the rest is ignored", mName);
}

TXmlReader::Tag TXmlReader::ParseTag(std::vector<TXmlNode*>& open)
{
    Token first = ReadToken();
    if (first.end) {
        mEndedInTag = true;
        return Tag::End;
    }

    if (!first.literal && !first.text.empty() && first.text[0] == '/') {
        // A closing tag closes the current element whatever name it gives.
        bool topLevel = mDropped == 0 && open.size() == 1;
        if (mDropped > 0) {
            --mDropped;
        } else {
            open.back()->EndTag(TString(first.text.c_str() + 1));
            if (!topLevel) {
                open.pop_back();
                mSource.depth = uint32_t(open.size() - 1);
            }
        }
        for (;;) {
            Token t = ReadToken();
            if (t.end) {
                mEndedInTag = true;
                return Tag::End;
            }
            if (t.Is('>'))
                break;
        }
        return topLevel ? Tag::Stop : Tag::Continue;
    }
    if (first.Is('>'))
        return Tag::Continue; // "<>" holds nothing

    TString name(first.text.data(), uint32_t(first.text.size()));
    TXmlNode* child = nullptr;
    if (mDropped == 0 && open.size() <= kXmlMaxDepth) {
        child = open.back()->NewChild(name);
    } else if (mDropped == 0 && !mDepthLogged) {
        WriteLog("XML %s: elements nested deeper than %u levels are dropped", mName, kXmlMaxDepth);
        mDepthLogged = true;
    }
    bool declaration = IsXmlDeclarationName(name);

    // Attribute-name state, then value state after "=".
    bool valueState = false;
    Token pending; // the pending attribute name; replaced by each new one
    bool hasPending = false;
    uint32_t attributes = 0;
    for (;;) {
        Token t = ReadToken();
        if (t.end) {
            mEndedInTag = true;
            return Tag::End;
        }
        if (t.Is('>'))
            break;
        if (!valueState) {
            if (t.Is('=')) {
                valueState = true;
            } else {
                pending = std::move(t);
                hasPending = true;
            }
            continue;
        }
        if (child) {
            if (attributes < kXmlMaxAttributes) {
                child->AddAttribute(TString(pending.text.data(), uint32_t(pending.text.size())),
                                    TString(t.text.data(), uint32_t(t.text.size())), t.quoted);
                ++attributes;
            } else if (!mAttributesLogged) {
                WriteLog("XML %s: more than %u attributes on one element; the rest are dropped",
                         mName, kXmlMaxAttributes);
                mAttributesLogged = true;
            }
        }
        pending = Token();
        hasPending = false;
        valueState = false;
    }

    bool selfClosed = hasPending && !pending.literal &&
                      (pending.text == "/" || (!pending.text.empty() && pending.text[0] == '?'));
    if (declaration || selfClosed) {
        if (child)
            child->EndTag(name);
        return Tag::Continue;
    }
    if (child) {
        open.push_back(child);
        mSource.depth = uint32_t(open.size() - 1);
    } else {
        ++mDropped;
    }
    return Tag::Continue;
}

void ParseZxml(TXmlNode* root, const void* data, size_t size, const char* sourceName)
{
    std::string text;
    InflateZxml(data, size, text, sourceName);
    // A damaged stream still gives the bytes it produced.
    TGetCharString source(text.data(), text.size());
    ParseXml(root, source, sourceName);
}

struct NamedEntity {
    const char* name; // after the "&", with its ";"
    size_t length;
    char value;
};

const NamedEntity kEntities[] = {
    {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''},
};

// Decodes the entity at text[at] (an "&") into *value; returns the number of
// bytes it spans, or 0 when it is not one.
size_t DecodeEntityAt(const std::string& text, size_t at, char* value)
{
    size_t n = text.size();
    if (at + 1 < n && text[at + 1] == '#') {
        size_t end = at + 2;
        uint32_t byte = 0;
        while (end < n && IsDigit(text[end])) {
            byte = (byte * 10 + uint32_t(text[end] - '0')) & 0xFF;
            ++end;
        }
        if (end == at + 2 || byte == 0 || text.find(';', end) == std::string::npos)
            return 0;
        if (text[end] == ';')
            ++end;
        *value = char(byte);
        return end - at;
    }
    for (const NamedEntity& e : kEntities) {
        if (at + 1 + e.length > n)
            continue;
        size_t i = 0;
        while (i < e.length && Lower(text[at + 1 + i]) == e.name[i])
            ++i;
        if (i == e.length) {
            *value = e.value;
            return 1 + e.length;
        }
    }
    return 0;
}

} // namespace

TGetCharString::TGetCharString(const void* text, size_t length)
    : mText(static_cast<const uint8_t*>(text)), mLength(text ? length : 0)
{
}

int TGetCharString::Unget(int c)
{
    if (mPosition == 0)
        return -1;
    --mPosition;
    return c;
}

int TGetCharString::Get()
{
    if (mPosition >= mLength)
        return -1;
    return mText[mPosition++];
}

TGetCharFile::TGetCharFile(const TString& name) : mName(name)
{
    mFile = OpenAssetFile(name, kFileReadText);
}

TGetCharFile::~TGetCharFile()
{
    FileClose(mFile);
}

int TGetCharFile::Unget(int c)
{
    if (mPosition == 0)
        return -1;
    --mPosition;
    return c;
}

int TGetCharFile::Get()
{
    if (mPosition == mEnd) {
        if (!mFile)
            return -1;
        // Keep the last few bytes so Unget can step back over them.
        uint32_t keep = mEnd < kKeep ? mEnd : kKeep;
        memmove(mBuffer, mBuffer + mEnd - keep, keep);
        mPosition = keep;
        mEnd = keep + FileRead(mFile, mBuffer + keep, kChunk);
        if (mPosition == mEnd)
            return -1;
    }
    return mBuffer[mPosition++];
}

void TGetCharFile::Rewind()
{
    FileSeek(mFile, 0, kSeekStart);
    mPosition = mEnd = 0;
}

bool TGetCharFile::Reopen()
{
    FileClose(mFile);
    mFile = OpenAssetFile(mName, kFileReadBinary);
    mPosition = mEnd = 0;
    return mFile != nullptr;
}

bool DecodeXmlEntities(std::string& text)
{
    if (text.find('&') == std::string::npos)
        return false;
    std::string out;
    out.reserve(text.size());
    bool literal = false;
    size_t i = 0;
    while (i < text.size()) {
        char value;
        size_t span = text[i] == '&' ? DecodeEntityAt(text, i, &value) : 0;
        if (span > 0) {
            if (i == 0)
                literal = true;
            out.push_back(value);
            i += span;
        } else {
            out.push_back(text[i++]);
        }
    }
    text.swap(out);
    return literal;
}

void ParseXml(TXmlNode* root, TGetChar& source, const char* sourceName)
{
    if (!root)
        return;
    TXmlReader reader(source, sourceName);
    reader.Parse(root);
}

void ParseXmlText(TXmlNode* root, const void* data, size_t size)
{
    if (!root || !data)
        return;
    if (IsZxmlBlock(data, size)) {
        ParseZxml(root, data, size, "(memory)");
        return;
    }
    TGetCharString source(data, size);
    ParseXml(root, source, "(memory)");
}

void ParseXmlText(TXmlNode* root, const char* text)
{
    if (!text)
        return;
    ParseXmlText(root, text, strlen(text));
}

bool LoadXmlFile(TXmlNode* root, const TString& name)
{
    if (!root)
        return false;
    TGetCharFile source(name);
    if (!source.IsOpen())
        return false;

    uint8_t magic[4];
    int got = 0;
    while (got < 4) {
        int c = source.Get();
        if (c < 0)
            break;
        magic[got++] = uint8_t(c);
    }
    if (got == 4 && IsZxmlBlock(magic, 4)) {
        if (!source.Reopen()) {
            WriteLog("XML %s: could not reopen the compressed file", name.c_str());
            return true;
        }
        TFileHandle* file = source.GetFile();
        FileSeek(file, 0, kSeekStart);
        uint32_t size = FileGetSize(file);
        if (size > kMaxZxmlFileSize) {
            WriteLog("XML %s: compressed file of %u bytes is too large", name.c_str(), size);
            return true;
        }
        std::vector<uint8_t> bytes(size);
        uint32_t read = size ? FileRead(file, bytes.data(), size) : 0;
        ParseZxml(root, bytes.data(), read, name.c_str());
        return true;
    }
    source.Rewind();
    ParseXml(root, source, name.c_str());
    return true;
}
