#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/show/cast/CVModel.h"
#include "game/show/cast/CastEventLink.h"
#include "game/show/cast/KChild.h"
#include "game/stage/StageLinks.h"

namespace Quillory {

// The classmates, read from the roster "childAI.xml", and the host: owns
// them, finds them by number or name, puts them back in place at the start
// of a show and draws them on the stage, where it is registered as the
// stage's cast while it lives, as is its link for the show's events. Made
// on first use. Main thread only.
class KChildManager : public KScene::StageCast {
public:
    static constexpr const char* kRosterFile = "childAI.xml";
    // The number that names the host.
    static constexpr int32_t kHost = 255;
    // Most classmates kept from the roster (their numbers stay below the
    // host's).
    static constexpr size_t kMaxClassmates = 255;

    // The manager, made on first use from the roster.
    static KChildManager* Instance();
    // The manager when one exists, else null (never makes one).
    static KChildManager* Existing();
    static void Destroy();

    ~KChildManager() override;
    KChildManager(const KChildManager&) = delete;
    KChildManager& operator=(const KChildManager&) = delete;

    // kHost gives the host; a classmate's number gives it; anything else null.
    KChild* GetChild(int32_t index) const;
    // The first classmate with exactly that display name, or null.
    KChild* FindByName(const TString& name) const;
    CVModel* GetHost() const { return mHost.get(); }
    size_t GetClassmateCount() const { return mClassmates.size(); }

    // The start of a show: every classmate reset and seated ("Sit"), the
    // host reset at mark 1 and standing ("Stand"), all at priority 0.
    void ResetPoses();
    // The classmates in roster order, then the host, in the current 3D
    // pass; characters without a mesh are skipped.
    void Draw();
    // KScene::StageCast: nothing without a renderer.
    void Draw(TRenderer* renderer) override;

private:
    KChildManager();
    void ReadRoster(const TString& file);
    void ReadChildren(TXmlNode& children);

    std::vector<std::unique_ptr<KChild>> mClassmates;
    std::unique_ptr<CVModel> mHost;
    CastEventLink mEventLink;
};

// The classmate helping in the running show, or null (also without a show).
KChild* GetCurrentClassmate();
// True when the character is the running show's helping classmate; false
// for null.
bool IsCurrentClassmate(const KChild* child);

} // namespace Quillory
