#pragma once
#include <cstdint>
#include <map>

#include "platform/TString.h"

// Read access to a window's description (its style): typed getters that give
// the default when the key is missing. Window classes read their keys through
// it in Init and PostInit. The script layer's view of a Lua table implements
// it; TValueStyle is a plain key/value implementation for native code.
class TStyle {
public:
    virtual ~TStyle() = default;

    virtual double GetNumber(const TString& key, double def) const = 0;
    // The number truncated toward zero; the default when missing.
    virtual int32_t GetInt(const TString& key, int32_t def) const = 0;
    virtual TString GetString(const TString& key, const TString& def) const = 0;
    virtual bool GetBool(const TString& key, bool def) const = 0;
};

// A style held as text values. Numbers are parsed in the C locale; a value
// that is not a number reads as 0. Booleans: "true" and non-zero numbers are
// true, "false", "0" and anything else false.
class TValueStyle : public TStyle {
public:
    TValueStyle& Set(const TString& key, const TString& value);
    TValueStyle& Set(const TString& key, const char* value) { return Set(key, TString(value)); }
    TValueStyle& Set(const TString& key, double value);
    TValueStyle& Set(const TString& key, int32_t value) { return Set(key, double(value)); }
    TValueStyle& Set(const TString& key, bool value);
    bool Has(const TString& key) const { return mValues.count(key) != 0; }
    void Clear() { mValues.clear(); }

    double GetNumber(const TString& key, double def) const override;
    int32_t GetInt(const TString& key, int32_t def) const override;
    TString GetString(const TString& key, const TString& def) const override;
    bool GetBool(const TString& key, bool def) const override;

private:
    std::map<TString, TString> mValues;
};
