#pragma once
// A window script host whose labels come from a string table the test
// loads (the game's own strings.xml, as the game shows them).
#include "platform/StringTable.h"
#include "ui/WindowScript.h"

namespace showtest {

class StringTableHost : public TWindowScriptHost {
public:
    TStringTable table;
    bool StringToClipboard(const TString&) override { return false; }
    TString GetString(const TString& key, const TString args[5]) override
    {
        TString text;
        table.GetString(text, key, args[0], args[1], args[2], args[3], args[4]);
        return text;
    }
};

} // namespace showtest
