#pragma once
#include <cstdarg>
#include <cstdint>

// Shared text buffer of a TString. The count is a plain integer: a string
// and its copies belong to one thread.
struct TStringRep {
    char* chars;
    int32_t refcount;
    uint32_t capacity;
};

// 8-bit, NUL-terminated text held through a shared, reference-counted
// buffer that is copied before a shared string is written.
// A null rep is the empty string.
class TString {
public:
    static constexpr uint32_t npos = 0xFFFFFFFFu;

    // Find/Replace flags.
    enum : uint32_t {
        kNoCase = 1,    // compare through toupper
        kAll = 2,       // Replace: repeat until no match is left
        kBackwards = 4, // search from the end towards index 0
    };

    TString() = default;
    TString(const char* text);
    TString(const char* bytes, uint32_t length);
    TString(const TString& other);
    TString(TString&& other) noexcept;
    ~TString();

    TString& operator=(const TString& other);
    TString& operator=(TString&& other) noexcept;
    TString& operator=(const char* text);

    uint32_t Length() const;
    bool IsEmpty() const { return !mRep || mRep->chars[0] == 0; }
    const char* c_str() const;
    char operator[](uint32_t index) const;
    uint32_t Capacity() const { return mRep ? mRep->capacity : 0; }

    int ToInt() const;
    float ToFloat() const;

    int Compare(const TString& other) const;
    bool operator==(const TString& other) const { return Compare(other) == 0; }
    bool operator!=(const TString& other) const { return Compare(other) != 0; }
    bool operator<(const TString& other) const { return Compare(other) < 0; }
    bool operator==(const char* text) const;
    bool operator!=(const char* text) const { return !(*this == text); }

    int32_t Find(char c, uint32_t flags = 0, uint32_t start = 0) const;
    int32_t Find(const TString& needle, uint32_t flags = 0, uint32_t start = 0) const;
    TString Mid(uint32_t start, uint32_t count = npos) const;

    TString operator+(const TString& other) const;
    TString operator+(char c) const;

    void ToLower();
    TString& operator+=(const TString& other);
    TString& operator+=(char c);
    uint32_t WriteAt(uint32_t pos, const void* bytes, uint32_t count, bool terminate);
    void Reserve(uint32_t n);
    TString& Replace(const TString& what, const TString& with, uint32_t flags = 0,
                     uint32_t start = 0);
    void Erase(uint32_t pos, uint32_t count = npos);
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    static TString FormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

private:
    void Release();
    void MakePrivate();
    void Grow(uint32_t needed);

    TStringRep* mRep = nullptr;
};

TString operator+(const char* left, const TString& right);

TString StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
