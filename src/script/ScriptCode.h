#pragma once
// A script file compiled once into a binary chunk, shared through the asset
// manager by the script's name.
#include <memory>
#include <string>

#include "platform/Asset.h"
#include "platform/TString.h"

class TScriptCode : public TAsset {
public:
    static const TAssetClassId ClassId;

    explicit TScriptCode(std::string bytes) : mBytes(std::move(bytes)) {}

    const char* GetClassName() const override;
    bool IsKindOf(TAssetClassId id) const override;

    // The chunk as lua_dump wrote it (debug information kept).
    const std::string& GetBytes() const { return mBytes; }
    size_t GetSize() const { return mBytes.size(); }

    // The live chunk of that name from the asset manager, else the file
    // compiled in a scratch state whose LUA_PATH is `searchPath` (an empty
    // one stands for "assets/?;../?;?"). The result is registered under the
    // name even when it is empty (so a failed compile is not kept). On a
    // compile error, `error` (when given) receives the message. Empty for
    // an empty name.
    static std::shared_ptr<TScriptCode> Load(const TString& name, const TString& searchPath,
                                             TString* error);

private:
    std::string mBytes;
};
