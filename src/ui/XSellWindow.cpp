#include "ui/XSellWindow.h"

#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "ui/LuaBinding.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

constexpr const char* kXSellFile = "xsell/xsell.xml";

TString Attribute(const TXmlNode& node, const char* name)
{
    TString value;
    node.GetAttribute(value, name);
    return value;
}

TString EntryName(const char* pattern, int number)
{
    return StrFormat(pattern, number);
}

} // namespace

TXSellWindow::TXSellWindow()
{
    TWindowScript* script = GetWindowScript();
    lua_State* L = script ? script->GetState() : nullptr;
    if (!L) {
        WriteLog("TXSellWindow: no window script; SetupXSell and LaunchGameLink are not bound");
        return;
    }
    LuaBind<&TXSellWindow::SetupXSell>(L, "SetupXSell", this);
    LuaBind<&TXSellWindow::LaunchGameLink>(L, "LaunchGameLink", this);
}

TXSellWindow::~TXSellWindow() = default;

TWindow* TXSellWindow::GetCreator()
{
    return new TXSellWindow();
}

const TString& TXSellWindow::GetLink(int32_t number) const
{
    static const TString kNone;
    if (number == 0)
        return mSiteLink;
    if (number >= 1 && number <= kGameCount)
        return mGameLinks[size_t(number - 1)];
    return kNone;
}

void TXSellWindow::SetupXSell()
{
    mGameLinks = {};
    mSiteLink = TString();
    int entries = 0;
    TXmlNode document;
    TXmlNode* xsell = nullptr;
    if (!LoadXmlFile(&document, kXSellFile))
        WriteLog("%s: missing; the cross-sell entries stay hidden", kXSellFile);
    else if (!(xsell = document.FindChild("xsell")))
        WriteLog("%s: no \"xsell\" element; the cross-sell entries stay hidden", kXSellFile);
    if (xsell)
        entries = Fill(*xsell);
    // The site button goes with its address, whatever kept it from being read.
    if (!xsell || !xsell->FindChild("sitelink"))
        Hide("gamesite");

    for (int n = entries + 1; n <= kGameCount; ++n) {
        Hide(EntryName("descrip%d", n));
        Hide(EntryName("xsellbutton%d", n));
    }
    for (int n = 1; n <= kGameCount; ++n)
        CentreOnPosition(EntryName("xsellbutton%d", n));
    for (const char* name : {"sitelogo", "dunmerelogo", "gamesite"})
        CentreOnPosition(name);
}

int TXSellWindow::Fill(TXmlNode& xsell)
{
    int entries = 0;
    TString name;
    TXmlNode* child = nullptr;
    xsell.BeginChildren();
    while (entries < kGameCount && xsell.NextChild(name, child)) {
        if (name != "gameinfo")
            continue;
        ++entries;
        TString button = EntryName("xsellbutton%d", entries);
        if (TText* text = TWindow::Cast<TText>(FindChild(EntryName("descrip%d", entries)))) {
            TString content = Attribute(*child, "description");
            TString linkText = Attribute(*child, "linktext");
            if (!linkText.IsEmpty())
                content += " <u><font color=\"003cff\"><a id='" + button + "'>" + linkText + "</a></font></u>";
            text->SetText(content);
        }
        mGameLinks[size_t(entries - 1)] = Attribute(*child, "link");
    }

    if (const TXmlNode* site = xsell.FindChild("sitelink"))
        mSiteLink = Attribute(*site, "link");

    if (const TXmlNode* centre = xsell.FindChild("centertext")) {
        if (TText* line = TWindow::Cast<TText>(FindChild("centertext1")))
            line->SetText(Attribute(*centre, "text1"));
        if (TText* line = TWindow::Cast<TText>(FindChild("centertext2")))
            line->SetText(Attribute(*centre, "text2"));
    }
    return entries;
}

void TXSellWindow::Hide(const TString& name)
{
    if (TWindow* window = FindChild(name))
        window->SetFlags(window->GetFlags() & ~uint32_t(kWindowShown));
}

void TXSellWindow::CentreOnPosition(const TString& name)
{
    // In the parent's coordinates, so a button inside a moved panel stays
    // in its panel. Halves round toward zero.
    TWindow* window = FindChild(name);
    if (!window || window == this)
        return;
    const TRect& rect = window->GetRect();
    window->MoveTo(rect.left - rect.Width() / 2, rect.top - rect.Height() / 2);
}

void TXSellWindow::LaunchGameLink(int32_t number)
{
    if (number < 0 || number > kGameCount) {
        WriteLog("LaunchGameLink(%d): no such link", int(number));
        return;
    }
    const TString& url = GetLink(number);
    if (url.IsEmpty()) {
        WriteLog("LaunchGameLink(%d): no address; nothing opened", int(number));
        return;
    }
    TWindowScript* script = GetWindowScript();
    TWindowScriptHost* host = script ? script->GetHost() : nullptr;
    if (!host) {
        WriteLog("LaunchGameLink(%d): no opener for %s", int(number), url.c_str());
        return;
    }
    host->OpenURL(url);
}
