#pragma once
// The headless window-script fixture with an application host that records
// what the scripts ask of it: the software cursor, web addresses opened, and
// a small string table (a missing label reads "#####").
#include <map>
#include <string>
#include <vector>

#include "WindowScriptSupport.h"

namespace uitest {

class RecordingScriptHost : public TWindowScriptHost {
public:
    bool cursorShown = true;
    std::vector<std::string> cursorCalls; // "show" / "hide"
    std::vector<std::string> opened;
    bool openSucceeds = true;
    std::map<std::string, std::string> strings;

    bool StringToClipboard(const TString&) override { return false; }
    TString GetString(const TString& key, const TString[5]) override
    {
        auto it = strings.find(Str(key));
        return it == strings.end() ? TString("#####") : TString(it->second.c_str());
    }
    bool OpenURL(const TString& url) override
    {
        opened.push_back(Str(url));
        return openSucceeds;
    }
    bool IsCursorShown() const override { return cursorShown; }
    void ShowCursor(bool show) override
    {
        cursorShown = show;
        cursorCalls.push_back(show ? "show" : "hide");
    }
    void GetFlashLabels(std::vector<TString>& labels) override
    {
        for (const auto& [label, text] : strings)
            if (label.rfind("FLASH_", 0) == 0)
                labels.emplace_back(label.c_str());
    }
};

class HostedScriptFixture : public WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        mManager->Init(nullptr);
        mScript = std::make_unique<TWindowScript>(&mApp);
        mManager->Init(mScript.get());
    }

    // Registers text as the asset of that name, as the program's scan of
    // its assets folder names them (kept until the test ends).
    void AddAsset(const std::string& name, const std::string& text)
    {
        mAssets.push_back(std::make_unique<std::string>(text));
        RegisterMemoryFile(name.c_str(), mAssets.back()->data(), uint32_t(mAssets.back()->size()));
    }

    RecordingScriptHost mApp;

private:
    std::vector<std::unique_ptr<std::string>> mAssets;
};

} // namespace uitest
