// The cross-sell window built by a small screen script: filling from
// "xsell/xsell.xml", hiding what has no data, centring, opening links, and
// its two Lua functions outliving it safely.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "HostedScriptSupport.h"
#include "ui/Text.h"
#include "ui/XSellWindow.h"

namespace uitest {
namespace {

std::string FixtureText(const std::string& name)
{
    std::ifstream in(std::string(QUILLORY_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Link(const char* text, int n)
{
    return std::string(" <u><font color=\"003cff\"><a id='xsellbutton") + std::to_string(n) + "'>" + text +
           "</a></font></u>";
}

class XSellTest : public HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        AddFixture("xsell_window.lua");
        mDialog = PushDialog("dialog", 0, 0, 800, 600);
    }
    // Builds the screen from its script; the window it made.
    TXSellWindow* Build()
    {
        EXPECT_TRUE(Run("dofile('assets/xsell_window.lua')"));
        return TWindow::Cast<TXSellWindow>(mDialog->FindChild("xsell"));
    }
    TWindow* Child(const std::string& name) { return mDialog->FindChild(name.c_str()); }
    std::string TextOf(const std::string& name)
    {
        TText* text = TWindow::Cast<TText>(Child(name));
        return text ? Str(text->GetText()) : "(no text)";
    }
    bool Shown(const std::string& name) { return Child(name) && (Child(name)->GetFlags() & kWindowShown); }
    // Top-left in the parent's coordinates, as "x,y".
    std::string At(const std::string& name)
    {
        const TRect& rect = Child(name)->GetRect();
        return std::to_string(rect.left) + "," + std::to_string(rect.top);
    }
    // Which of the seven entries show their text and button ("1110000").
    std::string ShownEntries()
    {
        std::string out;
        for (int n = 1; n <= 7; ++n) {
            bool text = Shown("descrip" + std::to_string(n));
            bool button = Shown("xsellbutton" + std::to_string(n));
            out += text && button ? '1' : !text && !button ? '0' : '?';
        }
        return out;
    }

    ModalProbe* mDialog = nullptr;
};

TEST_F(XSellTest, ThreeGamesFillTheirEntriesAndTheRestAreHidden)
{
    AddAsset("xsell/xsell.xml", FixtureText("xsell_three.xml"));
    EXPECT_EQ(Eval("type(XSellWindow)"), "function");
    TXSellWindow* window = Build();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Run("SetupXSell()"));

    EXPECT_EQ(TextOf("descrip1"), "Pebble Rally: race marbles down the garden." + Link("Roll along", 1));
    // no link text: the description alone
    EXPECT_EQ(TextOf("descrip2"), "Lantern Keep: light the tower floor by floor.");
    EXPECT_EQ(TextOf("descrip3"), "Sum Garden" + Link("Grow numbers", 3));
    EXPECT_EQ(TextOf("descrip4"), "layout 4");
    EXPECT_EQ(ShownEntries(), "1110000");
    EXPECT_TRUE(Shown("gamesite"));
    EXPECT_EQ(TextOf("centertext1"), "More games from our studio");
    EXPECT_EQ(TextOf("centertext2"), "Click a title to learn more");

    // buttons and logos are centred on their layout positions, in their
    // parent's coordinates (halves toward zero)
    EXPECT_EQ(At("xsellbutton1"), "370,70");
    EXPECT_EQ(At("xsellbutton7"), "370,430");
    EXPECT_EQ(At("sitelogo"), "80,540");
    EXPECT_EQ(At("dunmerelogo"), "675,540");
    EXPECT_EQ(At("gamesite"), "350,555");
    EXPECT_EQ(At("descrip1"), "0,60");
    // a second set-up moves them again by half their size
    ASSERT_TRUE(Run("SetupXSell()"));
    EXPECT_EQ(At("xsellbutton1"), "340,60");

    struct Case {
        const char* call;
        const char* opened; // "" when nothing opens
    };
    static const Case cases[] = {
        {"LaunchGameLink(0)", "https://games.example/"},
        {"LaunchGameLink(1)", "https://games.example/pebble"},
        {"LaunchGameLink(2.9)", "https://games.example/lantern"},
        {"LaunchGameLink(3)", "https://games.example/sums"},
        {"LaunchGameLink(4)", ""},
        {"LaunchGameLink(7)", ""},
        {"LaunchGameLink(8)", ""},
        {"LaunchGameLink(-1)", ""},
        {"LaunchGameLink('x')", "https://games.example/"},
        {"LaunchGameLink(1e300)", ""},
    };
    for (const Case& c : cases) {
        mApp.opened.clear();
        ASSERT_TRUE(Run(c.call)) << c.call;
        EXPECT_EQ(mApp.opened.empty() ? "" : mApp.opened.front(), c.opened) << c.call;
        EXPECT_LE(mApp.opened.size(), 1u) << c.call;
    }
}

TEST_F(XSellTest, MissingOrOddFilesLeaveTheWindowUsable)
{
    struct Case {
        const char* name;
        const char* xml; // null: no file
        const char* entries;
        bool site;
        const char* firstText;
        const char* logLine;
    };
    const std::string nine = [] {
        std::string text = "<xsell>";
        for (int n = 1; n <= 9; ++n)
            text += "<gameinfo description=\"game " + std::to_string(n) + "\" link=\"https://g.example/" +
                    std::to_string(n) + "\"/>";
        return text + "</xsell>";
    }();
    const Case cases[] = {
        {"missing", nullptr, "0000000", false, "layout 1", "xsell/xsell.xml: missing"},
        {"no xsell element", "<games><gameinfo description=\"x\"/></games>", "0000000", false, "layout 1",
         "no \"xsell\" element"},
        {"empty file", "", "0000000", false, "layout 1", "no \"xsell\" element"},
        // what was read before the cut counts, the cut element too
        {"cut short", "<xsell><gameinfo description=\"cut\" link=\"https://g.example/c\"/><gameinfo descr",
         "1100000", false, "cut", nullptr},
        {"nine games", nine.c_str(), "1111111", false, "game 1", nullptr},
        {"site only", "<xsell><sitelink link=\"https://g.example/\"/></xsell>", "0000000", true, "layout 1", nullptr},
    };
    for (const Case& c : cases) {
        // a fresh screen on a layer of its own
        mDialog = PushDialog(c.name, 0, 0, 800, 600);
        RegisterMemoryFile("xsell/xsell.xml", nullptr, 0);
        if (c.xml)
            AddAsset("xsell/xsell.xml", c.xml);
        mLog.Restart();
        ASSERT_NE(Build(), nullptr) << c.name;
        ASSERT_TRUE(Run("SetupXSell()")) << c.name;
        EXPECT_EQ(ShownEntries(), c.entries) << c.name;
        EXPECT_EQ(Shown("gamesite"), c.site) << c.name;
        EXPECT_EQ(TextOf("descrip1"), c.firstText) << c.name;
        if (c.logLine) {
            EXPECT_TRUE(LogHas(c.logLine)) << c.name;
        }
        // the site opens only with its address; the layout ran all the same
        mApp.opened.clear();
        ASSERT_TRUE(Run("LaunchGameLink(0)"));
        EXPECT_EQ(mApp.opened.size(), c.site ? 1u : 0u) << c.name;
        EXPECT_EQ(At("xsellbutton1"), "370,70") << c.name;
    }
}

TEST_F(XSellTest, ItsFunctionsGoDeadWithTheWindowAndANewWindowTakesThemOver)
{
    AddAsset("xsell/xsell.xml", FixtureText("xsell_three.xml"));
    ASSERT_NE(Build(), nullptr);
    ASSERT_TRUE(Run("SetupXSell() LaunchGameLink(1)"));
    EXPECT_EQ(mApp.opened.size(), 1u);

    ASSERT_TRUE(Run("DestroyWindow('xsell')"));
    Pump();
    ASSERT_EQ(Child("xsell"), nullptr);
    mApp.opened.clear();
    EXPECT_TRUE(Run("SetupXSell() LaunchGameLink(1) LaunchGameLink(0)"));
    EXPECT_TRUE(mApp.opened.empty());
    EXPECT_TRUE(LogHas("SetupXSell"));
    EXPECT_TRUE(LogHas("LaunchGameLink"));

    // a new screen binds them to itself; its links come with its own set-up
    ASSERT_NE(Build(), nullptr);
    ASSERT_TRUE(Run("LaunchGameLink(1)"));
    EXPECT_TRUE(mApp.opened.empty());
    ASSERT_TRUE(Run("SetupXSell() LaunchGameLink(3)"));
    ASSERT_EQ(mApp.opened.size(), 1u);
    EXPECT_EQ(mApp.opened[0], "https://games.example/sums");
}

} // namespace
} // namespace uitest
