#pragma once
#include <map>

#include "platform/TString.h"
#include "ui/Window.h"

// Window type names as scripts use them, mapped to the creators of their
// classes. A later registration of a name replaces the creator; looking up
// an unknown name leaves an empty entry behind and finds nothing.
class TWindowTypeRegistry {
public:
    void Register(const TString& name, TWindowCreator creator) { mCreators[name] = creator; }
    // The creator, or null.
    TWindowCreator Find(const TString& name) { return mCreators[name]; }
    size_t GetCount() const { return mCreators.size(); }
    void Clear() { mCreators.clear(); }

private:
    std::map<TString, TWindowCreator> mCreators;
};

// The Lua text that defines the constructor function of a window type:
// `Name{ ... }` tells the hook "Creating", stores the type name in the table
// and returns the command that builds the window. Empty when the name is no
// plain Lua identifier (it is written into the code).
TString WindowTypeConstructorCode(const TString& name);
