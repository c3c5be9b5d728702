#pragma once
#include <map>
#include <memory>

#include "platform/TString.h"
#include "render/RenderStates.h"

class TXmlNode;

namespace KScene {

// The named materials of the studio set, read from the scene file's
// "material" records, and the material an element has when it names none.
// Made on first use; the scene set's Clear and the game's exit destroy it.
// Main thread only.
class MaterialTable {
public:
    static MaterialTable* Get();
    // The table when one exists, else null (never makes one).
    static MaterialTable* Existing();
    static void Destroy();

    MaterialTable(const MaterialTable&) = delete;
    MaterialTable& operator=(const MaterialTable&) = delete;

    // Reads a "material" record (field names in any case) into a material
    // that starts at all zeros, and stores it under its "matname"; when the
    // name is taken, the first material stays.
    void ReadMaterial(TXmlNode* record);
    // A copy of the material of that name; the default one, reported, when
    // there is none.
    TMaterial GetMaterial(const TString& name) const;
    // Null when no material has the name.
    const TMaterial* FindMaterial(const TString& name) const;
    const TMaterial& GetDefaultMaterial() const { return mDefault; }
    size_t GetCount() const { return mMaterials.size(); }

private:
    MaterialTable();
    ~MaterialTable() = default;

    TMaterial mDefault;
    std::map<TString, std::unique_ptr<TMaterial>> mMaterials;
};

} // namespace KScene
