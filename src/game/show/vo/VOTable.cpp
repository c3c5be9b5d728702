#include "game/show/vo/VOTable.h"

#include "game/show/MTRandom.h"
#include "game/show/event/CoreEvents.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace KVO {

namespace {
VOTable* gInstance = nullptr;
} // namespace

VOTable* VOTable::Instance()
{
    if (!gInstance)
        gInstance = new VOTable();
    return gInstance;
}

VOTable* VOTable::Existing()
{
    return gInstance;
}

void VOTable::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

void VOTable::Load(const TString& file)
{
    mFileName = file;
    ReadXml();
}

void VOTable::ReadXml()
{
    mByCategory.clear();
    mById.clear();
    mRows.clear();
    mLoaded = true;

    TXmlNode document;
    if (!LoadXmlFile(&document, mFileName)) {
        WriteLog("Voice-over: %s does not open; no lines", mFileName.c_str());
        return;
    }
    VisitEntering(&document, TString("vo"), [&](const TString& name, TXmlNode* child) {
        if (name != "narration")
            return;
        std::shared_ptr<KVOElem> row = KVOElem::Create(*child);
        // Transparent text: its subtitles would show only their shadow.
        if (!row->HasColor())
            WriteLog("Voice-over: line %d has no Color; its subtitles are invisible", row->VOid);
        mRows.push_back(row);
        mById[row->VOid] = row;
        GetCategory(row->CategoryID).rows.push_back(row);
    });
    for (auto& entry : mByCategory)
        ShuffleCategories(*entry.second);
    WriteLog("Voice-over: %d lines in %d categories read from %s", int32_t(mRows.size()),
             int32_t(mByCategory.size()), mFileName.c_str());
}

void VOTable::ShuffleCategories(VOCategory& category)
{
    MTRandom::Instance()->Shuffle(category.rows);
    category.cursor = 0;
}

std::shared_ptr<KVOElem> VOTable::FindById(int32_t id) const
{
    auto found = mById.find(id);
    return found == mById.end() ? std::shared_ptr<KVOElem>() : found->second;
}

VOCategory& VOTable::GetCategory(int32_t id)
{
    std::unique_ptr<VOCategory>& category = mByCategory[id];
    if (!category) {
        category = std::make_unique<VOCategory>();
        category->id = id;
    }
    return *category;
}

std::shared_ptr<KVOElem> VOTable::RandomOfCategory(VOCategory& category)
{
    if (category.rows.empty())
        return std::shared_ptr<KVOElem>();
    return category.rows[MTRandom::Instance()->NextWord() % category.rows.size()];
}

std::shared_ptr<KVOElem> VOTable::NextOfCategory(VOCategory& category)
{
    if (category.rows.empty())
        return std::shared_ptr<KVOElem>();
    if (category.cursor >= category.rows.size())
        category.cursor = 0;
    return category.rows[category.cursor++];
}

std::shared_ptr<KEvent::Event> VOTable::PlayNextOfCategory(VOCategory& category)
{
    if (std::shared_ptr<KVOElem> row = NextOfCategory(category))
        return row->MakePlayEvent();
    return KEvent::MakeDummy();
}

} // namespace KVO
