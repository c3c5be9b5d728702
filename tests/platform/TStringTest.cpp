#include "platform/TString.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

TEST(TString, NullAndEmptyAreTheSameText)
{
    TString null;
    TString empty("");
    TString fromNull(static_cast<const char*>(nullptr));
    EXPECT_STREQ(null.c_str(), "");
    EXPECT_EQ(null.Length(), 0u);
    EXPECT_EQ(null.Compare(empty), 0);
    EXPECT_EQ(empty.Compare(null), 0);
    EXPECT_TRUE(null == empty);
    EXPECT_TRUE(null.IsEmpty());
    EXPECT_TRUE(fromNull.IsEmpty());
    EXPECT_EQ(fromNull.Capacity(), 16u);
    EXPECT_EQ(null.ToInt(), 0);
    EXPECT_EQ(null.ToFloat(), 0.0f);
    EXPECT_EQ(null[0], 0);
    EXPECT_EQ(null.Find('a'), -1);
    EXPECT_EQ(null.Find(TString("")), -1);
    EXPECT_TRUE(null.Mid(0).IsEmpty());
    null.ToLower();
    null.Erase(0);
    EXPECT_TRUE(null.IsEmpty());
}

TEST(TString, CapacityRules)
{
    EXPECT_EQ(TString("hello").Capacity(), 6u);           // exact copy of C text
    EXPECT_EQ(TString("hello", 3).Capacity(), 16u);       // buffer copy: at least 16
    EXPECT_STREQ(TString("hello", 3).c_str(), "hel");
    std::string longText(40, 'x');
    EXPECT_EQ(TString(longText.c_str(), 40).Capacity(), 41u);
    EXPECT_EQ((TString("ab") + TString("cd")).Capacity(), 16u);
    EXPECT_EQ((TString("ab") + 'c').Capacity(), 16u);
    EXPECT_EQ((TString(longText.c_str()) + 'c').Capacity(), 42u);

    TString grow("abc");
    grow += TString("defg");
    EXPECT_EQ(grow.Capacity(), 8u); // grows to exactly length + 1
    EXPECT_STREQ(grow.c_str(), "abcdefg");

    TString reserve("hello");
    reserve.Reserve(4);
    EXPECT_EQ(reserve.Capacity(), 16u);
    reserve.Reserve(100);
    EXPECT_EQ(reserve.Capacity(), 100u);
    EXPECT_STREQ(reserve.c_str(), "hello");
    TString big(longText.c_str());
    big.Reserve(20);
    EXPECT_EQ(big.Capacity(), 41u); // never below length + 1
}

TEST(TString, WritersCopyASharedBuffer)
{
    TString original("Hello World");
    struct Case {
        const char* name;
        void (*write)(TString&);
        const char* expected;
    };
    const Case cases[] = {
        {"ToLower", [](TString& s) { s.ToLower(); }, "hello world"},
        {"append", [](TString& s) { s += TString("!"); }, "Hello World!"},
        {"append char", [](TString& s) { s += '!'; }, "Hello World!"},
        {"WriteAt", [](TString& s) { s.WriteAt(0, "J", 1, false); }, "Jello World"},
        {"Replace", [](TString& s) { s.Replace("World", "There"); }, "Hello There"},
        {"Erase", [](TString& s) { s.Erase(5); }, "Hello"},
        {"Reserve", [](TString& s) { s.Reserve(64); s.WriteAt(0, "Y", 1, false); }, "Yello World"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TString copy = original;
        TString second = copy;
        c.write(copy);
        EXPECT_STREQ(copy.c_str(), c.expected);
        EXPECT_STREQ(original.c_str(), "Hello World");
        EXPECT_STREQ(second.c_str(), "Hello World");
    }
}

TEST(TString, AssignmentSharesAndReleases)
{
    TString a("first");
    TString b("second");
    a = b;
    EXPECT_STREQ(a.c_str(), "second");
    TString& alias = a;
    a = alias; // self-assignment keeps the text
    EXPECT_STREQ(a.c_str(), "second");
    b = "third";
    EXPECT_STREQ(a.c_str(), "second");
    EXPECT_STREQ(b.c_str(), "third");
    // Assigning a pointer into the string's own buffer.
    b = b.c_str() + 2;
    EXPECT_STREQ(b.c_str(), "ird");
    TString moved(std::move(b));
    EXPECT_STREQ(moved.c_str(), "ird");
}

TEST(TString, CompareOrdersUnsignedBytesAndEmptyFirst)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {nullptr, "", 0},   {"", "a", -1},      {"a", "", 1},
        {"a", "\xE9", -1},  {"\xE9", "a", 1},   {"abc", "abd", -1},
        {"ab", "abc", -1},  {"abc", "ab", 1},   {"same", "same", 0},
        {"B", "a", -1}, // case-sensitive
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " vs " + c.b);
        TString a = c.a ? TString(c.a) : TString();
        EXPECT_EQ(a.Compare(TString(c.b)), c.expected);
        EXPECT_EQ(a == TString(c.b), c.expected == 0);
        EXPECT_EQ(a < TString(c.b), c.expected < 0);
    }
    TString shared("x");
    TString copy = shared;
    EXPECT_EQ(shared.Compare(copy), 0);
    EXPECT_TRUE(shared == "x");
    EXPECT_TRUE(shared != "y");
    EXPECT_TRUE(TString() == static_cast<const char*>(nullptr));
}

TEST(TString, MapOrderIsByteOrder)
{
    std::map<TString, int> map;
    map[TString("b")] = 1;
    map[TString("\xE9")] = 2;
    map[TString("B")] = 3;
    map[TString("")] = 4;
    std::string order;
    for (const auto& entry : map)
        order += char('0' + entry.second);
    EXPECT_EQ(order, "4312");
}

TEST(TString, IndexAndNumbers)
{
    TString hello("hello");
    EXPECT_EQ(hello[0], 'h');
    EXPECT_EQ(hello[4], 'o');
    EXPECT_EQ(hello[5], 0);
    EXPECT_EQ(hello[1000], 0);
    EXPECT_EQ(TString(" 42abc").ToInt(), 42);
    EXPECT_EQ(TString("-7").ToInt(), -7);
    EXPECT_FLOAT_EQ(TString("2.5").ToFloat(), 2.5f);
    EXPECT_EQ(TString("x").ToInt(), 0);
}

TEST(TString, FindCharacter)
{
    struct Case {
        const char* text;
        char c;
        uint32_t flags;
        uint32_t start;
        int32_t expected;
    };
    const Case cases[] = {
        {"abcb", 'b', 0, 0, 1},
        {"abcb", 'b', 0, 2, 3},
        {"abcb", 'b', 4, 0, 3},
        {"abcb", 'b', 4, 1, 1},
        {"abcb", 'b', 4, 3, -1}, // starts at index 0
        {"abc", 'B', 0, 0, -1},
        {"abc", 'B', 1, 0, 1},
        {"ABC", 'b', 1, 0, 1},
        {"abc", 'a', 0, 3, -1}, // start at the length
        {"abc", 'a', 4, 3, -1},
        {"abc", 'a', 0, 100, -1},
        {"abc", 'z', 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.c + " flags " + std::to_string(c.flags) +
                     " start " + std::to_string(c.start));
        EXPECT_EQ(TString(c.text).Find(c.c, c.flags, c.start), c.expected);
    }
}

TEST(TString, FindSubstring)
{
    struct Case {
        const char* text;
        const char* needle;
        uint32_t flags;
        uint32_t start;
        int32_t expected;
    };
    const Case cases[] = {
        {"abcabc", "bc", 0, 0, 1},
        {"abcabc", "bc", 0, 2, 4},
        {"abcabc", "bc", 4, 0, 4},
        {"abcabc", "bc", 4, 1, 1},  // first index tried: 6 - 2 - 1 = 3
        {"abcabc", "bc", 4, 4, -1},
        {"abcabc", "BC", 1, 0, 1},
        {"abcabc", "BC", 5, 0, 4},
        {"abcabc", "BC", 0, 0, -1},
        {"abc", "", 0, 1, 1},        // empty needle: first index tried
        {"abc", "", 4, 0, 3},        // backwards: length - 0 - start
        {"abc", "", 4, 1, 2},
        {"abc", "abcd", 0, 0, -1},   // needle longer than the text
        {"abc", "abcd", 4, 0, -1},
        {"ab", "abcdef", 4, 1, -1},
        {"abc", "abc", 4, 0, 0},
        {"abc", "abc", 4, 1, -1},
        {"abc", "c", 0, 3, -1},
        {"aaa", "aa", 0, 0, 0},
        {"aaa", "aa", 4, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.needle + " flags " +
                     std::to_string(c.flags) + " start " + std::to_string(c.start));
        EXPECT_EQ(TString(c.text).Find(TString(c.needle), c.flags, c.start), c.expected);
    }
}

TEST(TString, Mid)
{
    struct Case {
        const char* text;
        uint32_t start;
        uint32_t count;
        const char* expected;
    };
    const Case cases[] = {
        {"hello", 2, TString::npos, "llo"}, {"hello", 5, 1, ""},  {"hello", 0, 0, ""},
        {"hello", 1, 3, "ell"},             {"hello", 3, 100, "lo"}, {"hello", 9, 1, ""},
        {"hello", 0, TString::npos, "hello"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.start) + "," +
                     std::to_string(c.count));
        EXPECT_STREQ(TString(c.text).Mid(c.start, c.count).c_str(), c.expected);
    }
}

TEST(TString, Concatenation)
{
    TString a("foo");
    EXPECT_STREQ((a + TString("bar")).c_str(), "foobar");
    EXPECT_STREQ((a + '!').c_str(), "foo!");
    EXPECT_STREQ(("<" + a).c_str(), "<foo");
    EXPECT_STREQ((TString() + TString()).c_str(), "");
    TString self("ab");
    self += self;
    EXPECT_STREQ(self.c_str(), "abab");
    TString fromNull;
    fromNull += TString("x");
    EXPECT_STREQ(fromNull.c_str(), "x");
    fromNull += TString();
    EXPECT_STREQ(fromNull.c_str(), "x");
}

TEST(TString, WriteAtBuildsTextPieceByPiece)
{
    TString s;
    uint32_t pos = s.WriteAt(0, "abc", 3, true);
    EXPECT_EQ(pos, 3u);
    EXPECT_EQ(s.Capacity(), 16u);
    pos = s.WriteAt(pos, "defghijklmnop", 13, false); // 16 + 1 > 16: doubles
    EXPECT_EQ(pos, 16u);
    EXPECT_EQ(s.Capacity(), 32u);
    s.WriteAt(pos, "", 0, true);
    EXPECT_STREQ(s.c_str(), "abcdefghijklmnop");
    // At the end.
    EXPECT_EQ(s.WriteAt(TString::npos, "XY", 2, true), 18u);
    EXPECT_STREQ(s.c_str(), "abcdefghijklmnopXY");
    // In the middle without a terminator: the rest stays.
    s.WriteAt(1, "12", 2, false);
    EXPECT_STREQ(s.c_str(), "a12defghijklmnopXY");
    // With a terminator: cut after the bytes.
    s.WriteAt(1, "12", 2, true);
    EXPECT_STREQ(s.c_str(), "a12");
    // Repeated doubling.
    TString t("ab"); // capacity 3
    t.WriteAt(2, std::string(20, 'z').c_str(), 20, true);
    EXPECT_EQ(t.Capacity(), 24u);
    EXPECT_EQ(t.Length(), 22u);
    // Source inside the string's own buffer.
    TString u("0123456789");
    u.WriteAt(TString::npos, u.c_str(), 10, true);
    EXPECT_STREQ(u.c_str(), "01234567890123456789");
}

TEST(TString, Replace)
{
    struct Case {
        const char* text;
        const char* what;
        const char* with;
        uint32_t flags;
        uint32_t start;
        const char* expected;
    };
    const Case cases[] = {
        {"aba", "a", "aa", 2, 0, "aabaa"},   // resumes after the inserted text
        {"aba", "a", "aa", 0, 0, "aaba"},    // first match only
        {"aba", "a", "aa", 4, 0, "abaa"},    // last match only
        {"aba", "a", "aa", 6, 0, "aabaa"},   // all, from the end
        {"aaaa", "aa", "b", 2, 0, "bb"},
        {"aaa", "aa", "b", 2, 0, "ba"},
        {"aaa", "aa", "b", 6, 0, "ab"},      // from the end the last pair matches
        {"a.b.c", ".", "", 2, 0, "abc"},
        {"a.b.c", ".", "", 6, 0, "abc"},
        {"Hello hello", "HELLO", "bye", 3, 0, "bye bye"},
        {"Hello hello", "HELLO", "bye", 2, 0, "Hello hello"},
        {"xax", "a", "b", 0, 2, "xax"},      // start past the match
        {"abc", "", "x", 2, 0, "abc"},       // empty what replaces nothing
        {"abc", "abcd", "x", 6, 0, "abc"},
        {"\\a\\b", "\\", "/", 2, 0, "/a/b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.what + "->" + c.with + " flags " +
                     std::to_string(c.flags));
        TString s(c.text);
        TString& result = s.Replace(c.what, c.with, c.flags, c.start);
        EXPECT_EQ(&result, &s);
        EXPECT_STREQ(s.c_str(), c.expected);
    }
    TString self("abc");
    self.Replace(self, TString("x"), 2);
    EXPECT_STREQ(self.c_str(), "x");
}

TEST(TString, Erase)
{
    struct Case {
        const char* text;
        uint32_t pos;
        uint32_t count;
        const char* expected;
    };
    const Case cases[] = {
        {"hello", 1, 100, "h"},  {"hello", 1, TString::npos, "h"}, {"hello", 1, 2, "hlo"},
        {"hello", 0, 5, ""},     {"hello", 5, 1, "hello"},          {"hello", 9, 1, "hello"},
        {"hello", 2, 0, "hello"}, {"hello", 4, 1, "hell"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.pos) + "," +
                     std::to_string(c.count));
        TString s(c.text);
        s.Erase(c.pos, c.count);
        EXPECT_STREQ(s.c_str(), c.expected);
    }
}

TEST(TString, Formatting)
{
    EXPECT_STREQ(StrFormat("%d-%s-%.2f", 7, "x", 1.5).c_str(), "7-x-1.50");
    TString s("old");
    s.Format("%05d", 42);
    EXPECT_STREQ(s.c_str(), "00042");

    std::string longText(5000, 'q');
    TString cut = StrFormat("%s", longText.c_str());
    EXPECT_EQ(cut.Length(), 4095u);
    EXPECT_EQ(std::string(cut.c_str()), longText.substr(0, 4095));

    std::string exact(4095, 'e');
    EXPECT_EQ(StrFormat("%s", exact.c_str()).Length(), 4095u);
}

TEST(TString, ToLowerEveryByte)
{
    TString s("MiXeD 123 \xC9");
    s.ToLower();
    EXPECT_STREQ(s.c_str(), "mixed 123 \xC9"); // C locale: bytes above 127 unchanged
}
