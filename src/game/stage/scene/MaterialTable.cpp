#include "game/stage/scene/MaterialTable.h"

#include "game/stage/scene/SceneError.h"
#include "game/stage/scene/SceneText.h"
#include "platform/XmlNode.h"

namespace KScene {

namespace {
MaterialTable* gTable = nullptr;
}

MaterialTable* MaterialTable::Get()
{
    if (!gTable)
        gTable = new MaterialTable();
    return gTable;
}

MaterialTable* MaterialTable::Existing()
{
    return gTable;
}

void MaterialTable::Destroy()
{
    delete gTable;
    gTable = nullptr;
}

MaterialTable::MaterialTable()
{
    mDefault.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    mDefault.ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    mDefault.specular = {0.75f, 0.75f, 0.75f, 1.0f};
    mDefault.emissive = {0.0f, 0.0f, 0.0f, 0.75f};
    mDefault.power = 10.0f;
}

void MaterialTable::ReadMaterial(TXmlNode* record)
{
    if (!record)
        return;
    auto material = std::make_unique<TMaterial>();
    TString name;
    TString field;
    TXmlNode* child = nullptr;
    record->BeginChildren();
    while (record->NextChild(field, child)) {
        field.ToLower();
        const TString text = child->GetText();
        if (field == "matname")
            name = text;
        else if (field == "mcdiff")
            ParseColor(text, material->diffuse);
        else if (field == "mcamb")
            ParseColor(text, material->ambient);
        else if (field == "mcspec")
            ParseColor(text, material->specular);
        else if (field == "mcemit")
            ParseColor(text, material->emissive);
        else if (field == "mfpower")
            material->power = ParseNumber(text);
    }
    // emplace keeps the entry already there.
    mMaterials.emplace(name, std::move(material));
}

const TMaterial* MaterialTable::FindMaterial(const TString& name) const
{
    auto found = mMaterials.find(name);
    return found == mMaterials.end() ? nullptr : found->second.get();
}

TMaterial MaterialTable::GetMaterial(const TString& name) const
{
    if (const TMaterial* material = FindMaterial(name))
        return *material;
    SceneError("Could not find expected material %s", name.c_str());
    return mDefault;
}

} // namespace KScene
