#include <gtest/gtest.h>

#include "os/window/Clipboard.h"
#include "os/window/Window.h"

namespace {

TEST(OsClipboard, Latin1AndUtf8Conversions)
{
    struct Case {
        const char* name;
        std::string latin1;
        std::string utf8;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"ascii", "Hello, world!", "Hello, world!"},
        {"e acute", "caf\xE9", "caf\xC3\xA9"},
        {"high bytes", "\x80\xA0\xFF", "\xC2\x80\xC2\xA0\xC3\xBF"},
        {"newlines stay", "a\r\nb", "a\r\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OsLatin1ToUtf8(c.latin1), c.utf8);
        EXPECT_EQ(OsUtf8ToLatin1(c.utf8), c.latin1);
    }
}

TEST(OsClipboard, Utf8OutsideLatin1BecomesOneReplacementEach)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::string latin1;
    };
    const Case cases[] = {
        {"euro", "5\xE2\x82\xAC", "5?"},
        {"emoji", "\xF0\x9F\x98\x80!", "?!"},
        {"truncated at end", "ab\xC3", "ab?"},
        {"truncated before ascii", "\xE2\x82x", "?x"},
        {"stray continuation", "\x80z", "?z"},
        {"invalid lead", "\xFFz", "?z"},
        {"overlong slash", "\xC0\xAF", "?"},
        {"surrogate", "\xED\xA0\x80", "?"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OsUtf8ToLatin1(c.utf8), c.latin1);
    }
    EXPECT_EQ(OsUtf8ToLatin1("\xE2\x82\xAC", '#'), "#");
    // A replacement of NUL leaves out what does not convert.
    EXPECT_EQ(OsUtf8ToLatin1("a\xE2\x82\xAC\xC3\xA9\x80" "b\xED\xA0\x80", '\0'), "a\xE9" "b");
}

TEST(OsClipboard, WithoutVideoTheClipboardIsUnavailable)
{
    if (OsVideoReady())
        GTEST_SKIP();
    EXPECT_FALSE(OsSetClipboardText("x"));
    EXPECT_FALSE(OsHasClipboardText());
    EXPECT_EQ(OsGetClipboardText(), "");
}

} // namespace
