#include "platform/Settings.h"

#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

std::map<TString, TString> gSettingsMap;

void SetConfig(const TString& key, const TString& value)
{
    gSettingsMap[key] = value;
}

TString GetConfig(const TString& key)
{
    auto it = gSettingsMap.find(key);
    return it == gSettingsMap.end() ? TString() : it->second;
}

bool IsEnabled(const TString& key)
{
    return GetConfig(key).ToInt() != 0;
}

void ClearConfig()
{
    gSettingsMap.clear();
}

bool LoadSettingsFile(const TString& name)
{
    TXmlNode root;
    LoadXmlFile(&root, name);
    TXmlNode* settings = root.FindChild(TString("settings"));
    if (!settings)
        return false;
    TString key;
    TXmlNode* child = nullptr;
    settings->BeginChildren();
    while (settings->NextChild(key, child)) {
        if (!IsXmlDeclarationName(key))
            SetConfig(key, child->GetText());
    }
    return true;
}
