#pragma once

#include <map>
#include <string_view>
#include <vector>

#include "platform/TString.h"

// Table of labels and the texts the player sees, filled from spreadsheet-style
// XML files (plain or compressed). Labels compare byte by byte.
//
// In a text, "%n%" (n from 1 to the argument count) inserts argument n,
// "%LABEL%" inserts that label's text as it stands (never expanded further),
// and "%%" gives one "%". A "%" with no closing "%" is copied as it stands.
class TStringTable {
public:
    TStringTable() = default;
    ~TStringTable() = default;

    // Adds the rows of a file; a row replaces an earlier one of the same
    // label. False (and nothing changes) when the file does not open.
    bool Load(const TString& name);
    // Empties the table, then loads.
    bool Reload(const TString& name);

    // The expanded text of a label. A missing label or reference, or a
    // malformed argument, gives "#####" and one log line naming the label.
    bool Lookup(TString& text, const TString& label, int count, const TString* arguments) const;
    // Lookup with exactly five arguments, those not given being empty.
    bool GetString(TString& text, const TString& label, const TString& a1 = TString(),
                   const TString& a2 = TString(), const TString& a3 = TString(),
                   const TString& a4 = TString(), const TString& a5 = TString()) const;
    // Appends every label beginning with "FLASH_", in label order.
    void GetFlashLabels(std::vector<TString>& labels) const;

    size_t GetCount() const { return mTable.size(); }
    void Clear() { mTable.clear(); }

private:
    void AddRows(std::string_view text);
    const TString* Find(const TString& label) const;
    bool Expand(const TString& label, int count, const TString* arguments, std::string& out) const;

    std::map<TString, TString> mTable;
};

// Loads every registered "user:" file, then every "common:" file (without
// subfolders, in name order) whose name after the prefix begins with
// "string" and contains ".xml".
void LoadExtraStringTables(TStringTable& table);
