#pragma once

#include <map>

#include "platform/TString.h"

// The settings: text keys (case-sensitive, in TString order) to text values,
// from settings.xml, the version block and the command line.
extern std::map<TString, TString> gSettingsMap;

// Inserts the key when missing, then sets its value.
void SetConfig(const TString& key, const TString& value);
// The value, or "" when the key is missing (nothing is inserted).
TString GetConfig(const TString& key);
// True when the value read as an integer (atoi) is not 0.
bool IsEnabled(const TString& key);
void ClearConfig();

// Reads a settings file: every child element of its element "settings", in
// document order, sets the key of its name to its text; attributes are
// ignored, comments and declarations skipped. A missing file or a missing
// "settings" element changes nothing. True when "settings" was found.
bool LoadSettingsFile(const TString& name);
