#pragma once
#include <array>

#include "platform/TString.h"
#include "ui/Liveness.h"
#include "ui/Window.h"

class TXmlNode;

// The cross-sell screen's window: its script builds the children (texts
// "descrip1".."descrip7", buttons "xsellbutton1".."xsellbutton7", the site
// button "gamesite", "centertext1"/"centertext2", logos "sitelogo" and
// "dunmerelogo"); the window fills them from "xsell/xsell.xml" and opens the
// links. Making one binds the Lua globals SetupXSell() and
// LaunchGameLink(n) to it (a later one takes them over); once it is gone
// they are logged no-ops. Window type "XSellWindow". Main thread only.
class TXSellWindow : public TWindow {
public:
    static constexpr int kGameCount = 7;

    TXSellWindow();
    ~TXSellWindow() override;

    const char* GetClassName() const override { return "TXSellWindow"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TXSellWindow::GetCreator); }
    const TLiveness& GetLiveness() const { return mLiveness; }

    // Reads "xsell/xsell.xml" into the children: up to seven entries, the
    // site link and the centred lines; hides the entries without data (and
    // "gamesite" without a site link); then moves every button and logo so
    // that the position its layout gave becomes its centre. A missing or
    // broken file leaves the texts as they are and hides all entries.
    void SetupXSell();
    // 0: the site, 1 to 7: game n, through the window script's opener; an
    // empty address and other numbers open nothing.
    void LaunchGameLink(int32_t number);

    // The addresses read (entry 0 is the site).
    const TString& GetLink(int32_t number) const;

private:
    // Returns the number of entries filled.
    int Fill(TXmlNode& xsell);
    void Hide(const TString& name);
    void CentreOnPosition(const TString& name);

    std::array<TString, kGameCount> mGameLinks;
    TString mSiteLink;
    TLiveness mLiveness;
};
