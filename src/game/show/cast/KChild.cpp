#include "game/show/cast/KChild.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/question/Question.h"
#include "game/stage/model/KAnimSet.h"
#include "game/stage/model/XElem.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"

namespace Quillory {

namespace {

TString Lower(const TString& text)
{
    TString lower = text;
    lower.ToLower();
    return lower;
}

TString Attribute(const TXmlNode& node, const char* name)
{
    TString value;
    node.GetAttribute(value, TString(name));
    return value;
}

} // namespace

float ParseAptitude(const TString& text, const TString& who, const TString& subject)
{
    const char* p = text.c_str();
    const char* end = p + strlen(p);
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    if (p < end && *p == '+' && p + 1 < end && p[1] != '-')
        ++p;
    double value = 0.0;
    const std::from_chars_result read = std::from_chars(p, end, value);
    if (read.ptr == p) {
        if (p != end)
            WriteLog("Classmates: %s, subject \"%s\": aptitude \"%s\" is not a number; 0 used", who.c_str(),
                     subject.c_str(), text.c_str());
        return 0.0f;
    }
    if (read.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: held by its sign below, or 0.
        const char* exponent = std::find_if(p, read.ptr, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = exponent + 1 < read.ptr && exponent[1] == '-';
        value = tiny ? 0.0 : (*p == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    if (std::isnan(value)) {
        WriteLog("Classmates: %s, subject \"%s\": aptitude \"%s\" is not a number; 0 used", who.c_str(),
                 subject.c_str(), text.c_str());
        return 0.0f;
    }
    if (value < KChild::kMinAptitude || value > KChild::kMaxAptitude) {
        const float held = value < KChild::kMinAptitude ? KChild::kMinAptitude : KChild::kMaxAptitude;
        WriteLog("Classmates: %s, subject \"%s\": aptitude \"%s\" is out of range; %g used", who.c_str(),
                 subject.c_str(), text.c_str(), double(held));
        return held;
    }
    return float(value);
}

KChild::KChild(TXmlNode& element) : mName(Attribute(element, "name"))
{
    TString name;
    TXmlNode* child = nullptr;
    element.BeginChildren();
    while (element.NextChild(name, child)) {
        if (name == "subject")
            ReadSubject(*child);
        else if (name == "model")
            ReadModel(*child);
    }
    KChild::ResetForShow();
}

KChild::KChild(const TString& name, const TString& initAnim) : mName(name), mInitAnim(initAnim) {}

KChild::~KChild() = default;

void KChild::ReadSubject(TXmlNode& subject)
{
    const TString name = Lower(Attribute(subject, "name"));
    mAptitudes[name] = ParseAptitude(Attribute(subject, "aptitude"), mName, name);
}

void KChild::ReadModel(TXmlNode& model)
{
    mInitAnim = Attribute(model, "initAnim");
    LoadModel(Attribute(model, "file"), Attribute(model, "anim"));
}

void KChild::LoadModel(const TString& xFile, const TString& animFile)
{
    mModel.LoadX(xFile);
    mMeshFrame = mModel.GetFirstMeshFrame();
    mAnimSet.reset();
    if (!mMeshFrame) {
        WriteLog("Classmates: %s: the model %s has no mesh; the character is not drawn", mName.c_str(),
                 xFile.c_str());
        return;
    }
    // The model files leave the ambient colour at 0.
    mMeshFrame->GetMaterial().ambient = TColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    mAnimSet = KScene::KAnimSet::Create(mMeshFrame, animFile);
    mAnimSet->SetPose(mInitAnim);
}

std::shared_ptr<KEvent::Event> KChild::PlayAnim(const TString& name, int32_t priority)
{
    if (!mMeshFrame || !mAnimSet)
        return KEvent::MakeDummy();
    if (mCurrentAnim && !mCurrentAnim->IsFinished()) {
        if (priority > mCurrentPriority)
            return KEvent::MakeDummy();
        mCurrentAnim->Skip();
    }
    std::shared_ptr<KEvent::Event> anim = mAnimSet->MakeBoneAnim(name);
    mCurrentAnim = anim;
    mCurrentPriority = priority;
    return anim;
}

float KChild::GetAptitude(const TString& subject) const
{
    auto found = mAptitudes.find(Lower(subject));
    if (found == mAptitudes.end() || found->second == 0.0f)
        return kDefaultAptitude;
    return found->second;
}

bool KChild::GetAnswer(const KQuestion::QBase* question, TString& answer)
{
    if (!question)
        return true;
    if (question == mCachedQuestion) {
        answer = mCachedAnswer;
        return mCachedCorrect;
    }
    mCachedQuestion = question;
    answer = TString();
    const float aptitude = GetAptitude(question->subject);
    // The chance is rounded to a float before it meets the draw: that
    // decides the boundary draws.
    const float chance = float(double(5 - question->grade) * double(0.1f) + double(aptitude));
    const int32_t draw = MTRandom::Instance()->RandomInt(0, 99);
    mCachedCorrect = double(chance) * 100.0 > double(draw);
    mCachedAnswer = mCachedCorrect ? question->GetCorrect() : question->GetWrongAnswer();
    answer = mCachedAnswer;
    return mCachedCorrect;
}

int32_t KChild::GetThinkTime() const
{
    ShowController* show = ShowController::Existing();
    if (!show)
        return 0;
    const KQuestion::QBase* question = show->GetRecord().currentQuestion;
    const float aptitude = GetAptitude(question ? question->subject : TString());
    const float top = float(6.0 - double(aptitude) * 5.0);
    const float seconds = MTRandom::Instance()->RandomFloat(1.0f, top);
    return int32_t(double(seconds) * 1000.0);
}

void KChild::ResetForShow()
{
    mUsed = false;
    mCachedQuestion = nullptr;
    mCachedCorrect = false;
    mCurrentPriority = kNoPriority;
    if (mAnimSet)
        mAnimSet->SetPose(mInitAnim);
}

void KChild::Draw()
{
    if (mMeshFrame)
        mModel.Draw();
}

} // namespace Quillory
