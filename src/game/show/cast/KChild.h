#pragma once
#include <cstdint>
#include <map>
#include <memory>

#include "game/stage/model/XModel.h"
#include "platform/TString.h"

class TXmlNode;

namespace KEvent {
class Event;
}
namespace KQuestion {
class QBase;
}
namespace KScene {
class KAnimSet;
class XElem;
}

namespace Quillory {

// One character on the stage: a display name, a skinned model with its
// bone animations, and for a classmate an aptitude per school subject that
// decides how often its help is right. Per-show state (answer cache, used
// flag) is cleared by ResetForShow. Main thread only.
class KChild {
public:
    // Aptitudes are kept in this range; beyond it every answer on the board
    // grades is already decided. A subject without one answers with the
    // default.
    static constexpr float kMinAptitude = -1.0f;
    static constexpr float kMaxAptitude = 1.0f;
    static constexpr float kDefaultAptitude = 0.3f;
    // The priority of "no running claim": any request is stronger.
    static constexpr int32_t kNoPriority = 1000;

    // A classmate from a roster "child" element: its "name" attribute, its
    // "subject" and "model" children in order.
    explicit KChild(TXmlNode& element);
    virtual ~KChild();
    KChild(const KChild&) = delete;
    KChild& operator=(const KChild&) = delete;

    // Reads the model (replacing the one held) and, when it has a mesh
    // frame, its animations, put into the initial pose. Without a mesh
    // frame the character has no animations and is not drawn.
    void LoadModel(const TString& xFile, const TString& animFile);

    // Starts the named animation unless a running one holds a stronger
    // claim (a smaller number): then a dummy event comes back and the
    // running one goes on. An accepted request skips the running one.
    // Never empty.
    virtual std::shared_ptr<KEvent::Event> PlayAnim(const TString& name, int32_t priority);

    // The aptitude for the subject (any case); the default when the
    // subject is missing or 0. Never adds subjects.
    float GetAptitude(const TString& subject) const;
    // Answers the question from the show's random source: true when the
    // answer put in `answer` is the correct one. Asking again about the
    // same question gives the same answer without drawing. A null
    // question: true, `answer` untouched.
    bool GetAnswer(const KQuestion::QBase* question, TString& answer);
    // Milliseconds to think about the show's current question, drawn from
    // the show's random source; 0 without a show.
    int32_t GetThinkTime() const;
    TString GetName() const { return mName; }

    // The start of a show: not used, nothing answered, no running claim,
    // back in the initial pose.
    virtual void ResetForShow();
    // Draws the model in the current 3D pass; nothing without a mesh frame.
    void Draw();

    int32_t GetIndex() const { return mIndex; }
    void SetIndex(int32_t index) { mIndex = index; }
    bool IsUsed() const { return mUsed; }
    void SetUsed(bool used) { mUsed = used; }

    size_t GetSubjectCount() const { return mAptitudes.size(); }
    // Aptitudes by subject, lower-cased as read from the roster.
    const std::map<TString, float>& GetAptitudes() const { return mAptitudes; }
    const TString& GetInitAnim() const { return mInitAnim; }
    const std::shared_ptr<KScene::XElem>& GetMeshFrame() const { return mMeshFrame; }
    const std::shared_ptr<KScene::KAnimSet>& GetAnimSet() const { return mAnimSet; }
    const KScene::XModel& GetModel() const { return mModel; }
    const std::shared_ptr<KEvent::Event>& GetCurrentAnim() const { return mCurrentAnim; }
    int32_t GetCurrentPriority() const { return mCurrentPriority; }
    const KQuestion::QBase* GetCachedQuestion() const { return mCachedQuestion; }

protected:
    // A character built in code (the host), without a model yet.
    KChild(const TString& name, const TString& initAnim);

private:
    void ReadSubject(TXmlNode& subject);
    void ReadModel(TXmlNode& model);

    TString mName;
    std::map<TString, float> mAptitudes;
    const KQuestion::QBase* mCachedQuestion = nullptr;
    TString mCachedAnswer;
    bool mCachedCorrect = false;
    std::shared_ptr<KScene::XElem> mMeshFrame;
    KScene::XModel mModel;
    std::shared_ptr<KScene::KAnimSet> mAnimSet;
    TString mInitAnim;
    std::shared_ptr<KEvent::Event> mCurrentAnim;
    int32_t mCurrentPriority = kNoPriority;
    int32_t mIndex = 0;
    bool mUsed = false;
};

// The aptitude written in the roster as the character's number for the
// subject: a decimal number in the C locale (0 when missing or not a
// number, logged when it is text that is no number); NaN is taken as 0 and
// values beyond the aptitude range are held to it, both logged.
float ParseAptitude(const TString& text, const TString& who, const TString& subject);

} // namespace Quillory
