#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/TString.h"

class TFileHandle;
class TXmlNode;

// Elements nested deeper than this below the node parsed into are dropped,
// with their content (logged once per parse).
constexpr uint32_t kXmlMaxDepth = 256;
// Attributes of one element beyond this count are dropped (logged).
constexpr uint32_t kXmlMaxAttributes = 4096;

// Byte source of the parser. It also carries the parser's element depth.
class TGetChar {
public:
    TGetChar() = default;
    TGetChar(const TGetChar&) = delete;
    TGetChar& operator=(const TGetChar&) = delete;
    virtual ~TGetChar() = default;

    // Steps back one byte; returns `c`, or -1 when there is nothing to step
    // back over.
    virtual int Unget(int c) = 0;
    // The next byte as 0..255, or -1 at the end.
    virtual int Get() = 0;
    virtual void Rewind() = 0;

    uint32_t depth = 0;
};

// Reads a memory buffer it does not own.
class TGetCharString : public TGetChar {
public:
    TGetCharString(const void* text, size_t length);
    int Unget(int c) override;
    int Get() override;
    void Rewind() override { mPosition = 0; }

private:
    const uint8_t* mText;
    size_t mPosition = 0;
    size_t mLength;
};

// Reads an asset file, opened in text-read mode, through a small buffer.
class TGetCharFile : public TGetChar {
public:
    explicit TGetCharFile(const TString& name);
    ~TGetCharFile() override;

    bool IsOpen() const { return mFile != nullptr; }
    TFileHandle* GetFile() const { return mFile; }
    int Unget(int c) override;
    int Get() override;
    void Rewind() override;
    // Closes the file and opens the same name in binary-read mode.
    bool Reopen();

private:
    static constexpr uint32_t kKeep = 8; // bytes kept for stepping back
    static constexpr uint32_t kChunk = 4096;

    TString mName;
    TFileHandle* mFile = nullptr;
    uint8_t mBuffer[kKeep + kChunk];
    uint32_t mPosition = 0;
    uint32_t mEnd = 0;
};

// Parses an asset file into `root`: each top-level element becomes a child
// of it, top-level text its text. Plain or compressed ("ZXML") text. False
// when the file does not open (nothing is logged then); damaged content is
// logged and what could be read stays in the tree.
bool LoadXmlFile(TXmlNode* root, const TString& name);

// The same for text in memory. The NUL-terminated form never reads past the
// NUL, so a compressed block there ends at its first zero byte: pass the
// size for compressed text.
void ParseXmlText(TXmlNode* root, const char* text);
void ParseXmlText(TXmlNode* root, const void* data, size_t size);

// Parses plain XML from any source; `sourceName` names it in log lines.
void ParseXml(TXmlNode* root, TGetChar& source, const char* sourceName);

// Decodes entities in place: "&amp;" "&lt;" "&gt;" "&quot;" "&apos;" (any
// case) and "&#" decimal digits, which needs a ";" somewhere after the
// digits (a ";" right after them is consumed) and gives the byte of the
// value. A reference to byte 0 and every other "&" stay as written.
// Returns true when the first character came from an entity.
bool DecodeXmlEntities(std::string& text);
