#include "game/show/vo/KVOElem.h"

#include "game/show/event/CoreEvents.h"
#include "game/show/vo/VOPlayer.h"
#include "game/stage/scene/SceneText.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"

namespace KVO {

std::shared_ptr<KVOElem> KVOElem::Create(TXmlNode& narration)
{
    auto row = std::make_shared<KVOElem>();
    row->Read(narration);
    return row;
}

void KVOElem::Read(TXmlNode& narration)
{
    static const char* const kPageNames[kMaxPages] = {"Page1", "Page2", "Page3", "Page4"};
    static const char* const kTimeNames[kMaxPages] = {"t1", "t2", "t3", "t4"};

    TString name;
    TXmlNode* child = nullptr;
    narration.BeginChildren();
    while (narration.NextChild(name, child)) {
        const TString text = child->GetText();
        if (name == "VOid") {
            VOid = text.ToInt();
        } else if (name == "CategoryID") {
            CategoryID = text.ToInt();
        } else if (name == "AudioFile") {
            AudioFile = "vo/" + text;
        } else if (name == "Actor") {
            Actor = text;
        } else if (name == "Color") {
            if (KScene::ParseColor(text, Color) < 3)
                WriteLog("Voice-over: the Color \"%s\" is not #rrggbbaa", text.c_str());
            mHasColor = true;
        } else if (name == "FontSize") {
            FontSize = text.ToInt();
        } else if (name == "Prestige") {
            Prestige = text.ToInt();
        } else {
            for (int32_t i = 0; i < kMaxPages; ++i) {
                if (name == kPageNames[i])
                    Page[i] = text;
                else if (name == kTimeNames[i])
                    t[i] = text.ToInt();
            }
        }
    }
}

int32_t KVOElem::PageCount() const
{
    int32_t count = 0;
    while (count < kMaxPages && t[count] >= 1)
        ++count;
    return count;
}

void KVOElem::GetPage(int32_t index, TString& text, int32_t& endTime) const
{
    const int32_t page = (index >= 1 && index < kMaxPages) ? index : 0;
    text = Page[page];
    endTime = t[page];
}

std::shared_ptr<KEvent::Event> KVOElem::MakePlayEvent()
{
    std::shared_ptr<KVOElem> self = weak_from_this().lock();
    if (!self)
        return KEvent::MakeDummy();
    return VOPlayer::Instance()->PlayElem(self);
}

} // namespace KVO
