// The classmates and the host: the roster file, lookups, animation claims,
// the help's answers and thinking times, the resets at a show's start and
// drawing on the recording device; small hand-built models, and the cast the
// build makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "EventTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/show/question/Question.h"
#include "game/stage/XModelFixture.h"
#include "game/stage/model/KAnimSet.h"
#include "game/stage/model/KBoneAnim.h"
#include "game/stage/model/XElem.h"
#include "os/gfx/recording/GfxRecording.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace {

using Quillory::CVModel;
using Quillory::KChild;
using Quillory::KChildManager;

// One step per animation; the step time tells the animations apart and the
// placement's x tells which pose was put.
std::string Anim(const std::string& name, int ms, int x)
{
    return "<anim name=\"" + name + "\"><frame frameNum=\"1\" transitionTime=\"" + std::to_string(ms) +
           "\"/><pos>" + std::to_string(x) + ",0,0</pos></anim>";
}

class CastTest : public XModelFixture {
protected:
    void SetUp() override
    {
        XModelFixture::SetUp();
        eventtest::FreshEventManager();
        KChildManager::Destroy();
        ShowController::Destroy();
        MTRandom::Destroy();
        MTRandom::Instance()->Seed(5);
        // Classmate animations: Sit 1000 ms, Stand 2000, SitWave 3000,
        // SitClap 4000; seat x = 1 in the shared file.
        AddFile("mesh/kids/kid.x", Chain().bytes);
        AddFile("mesh/kids/kid.xml", "<BoneAnim>" + Anim("Sit", 1000, 1) + Anim("Stand", 2000, 2) +
                                         Anim("SitWave", 3000, 3) + Anim("SitClap", 4000, 4) + "</BoneAnim>");
        // The host: Pos<p>_Stand 100 p, Pos<p>_Talk2 400 + 100 (p - 1); at
        // x = 10 p.
        std::string host = "<BoneAnim>";
        for (int p = 1; p <= 3; ++p) {
            host += Anim("Pos" + std::to_string(p) + "_Stand", 100 * p, 10 * p);
            host += Anim("Pos" + std::to_string(p) + "_Talk2", 400 + 100 * (p - 1), 10 * p);
        }
        AddFile("mesh/varnum/varnum.x", Chain().bytes);
        AddFile("mesh/varnum/varnum.xml", host + "</BoneAnim>");
    }
    void TearDown() override
    {
        KChildManager::Destroy();
        ShowController::Destroy();
        MTRandom::Destroy();
        eventtest::FreshEventManager();
        XModelFixture::TearDown();
    }

    // A "child" element with the model of the shared files (a given file
    // name replaces it; "" leaves the model out).
    static std::string Kid(const std::string& name, const std::string& inner = "",
                           const std::string& model = "mesh/kids/kid.x", const std::string& anim = "mesh/kids/kid.xml")
    {
        std::string text = "<child name=\"" + name + "\">" + inner;
        if (!model.empty())
            text += "<model file=\"" + model + "\" anim=\"" + anim + "\" initAnim=\"Sit\"/>";
        return text + "</child>";
    }
    static std::string FiveKids()
    {
        std::string text = "<children>";
        for (const char* name : {"Tobin", "Marek", "Imelda", "Caspar", "Rosalind"})
            text += Kid(name);
        return text + "</children>";
    }

    // The manager read from the roster text.
    KChildManager& Cast(const std::string& roster)
    {
        AddFile("childAI.xml", roster);
        return *KChildManager::Instance();
    }

    // The step time of a bone animation; 0 for anything else (a dummy).
    static uint64_t Total(const std::shared_ptr<KEvent::Event>& event)
    {
        auto anim = std::dynamic_pointer_cast<KScene::KBoneAnim>(event);
        return anim ? anim->GetTotal() : 0;
    }
    static bool IsDummy(const std::shared_ptr<KEvent::Event>& event)
    {
        return event && std::dynamic_pointer_cast<KEvent::eDummy>(event) != nullptr;
    }
    static float PoseX(const KChild& child) { return child.GetMeshFrame()->GetTransform().position.x; }

    // A seed whose first draw of 0 to 99 is `draw`.
    static uint32_t SeedDrawing(int32_t draw)
    {
        for (uint32_t seed = 1; seed < 1000000; ++seed) {
            MTRandom random;
            random.Seed(seed);
            if (random.RandomInt(0, 99) == draw)
                return seed;
        }
        ADD_FAILURE() << "no seed draws " << draw;
        return 0;
    }

    static void EventPass() { KEvent::EventManager::Instance()->Update(); }
};

TEST_F(CastTest, RosterEntersChildrenElementsAndNumbersClassmatesInOrder)
{
    KChildManager& cast = Cast("<?xml version=\"1.0\"?><!-- roster -->"
                               "<child name=\"Loose\"/><other><child name=\"Hidden\"/></other>"
                               "<children>" +
                               Kid("Tobin", "<note/>") + "<teacher name=\"Nope\"/>" + Kid("Marek") +
                               "</children><children>" + Kid("Imelda") + "</children>");
    ASSERT_EQ(cast.GetClassmateCount(), 3u);
    const char* names[] = {"Tobin", "Marek", "Imelda"};
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_NE(cast.GetChild(i), nullptr);
        EXPECT_EQ(cast.GetChild(i)->GetName(), names[i]);
        EXPECT_EQ(cast.GetChild(i)->GetIndex(), i);
        EXPECT_FALSE(cast.GetChild(i)->IsUsed());
        EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), KChild::kNoPriority);
    }
    ASSERT_NE(cast.GetHost(), nullptr);
    EXPECT_EQ(cast.GetChild(255), cast.GetHost());
    EXPECT_EQ(cast.GetHost()->GetName(), "Corin Varnum");
    EXPECT_EQ(cast.GetHost()->GetInitAnim(), "Pos1_Stand");
    EXPECT_EQ(cast.GetHost()->GetPosition(), 1u);
    EXPECT_EQ(cast.GetHost()->GetSubjectCount(), 0u);
    EXPECT_EQ(KScene::GetStageCast(), &cast);
    EXPECT_EQ(KChildManager::Instance(), &cast);

    KChildManager::Destroy();
    EXPECT_EQ(KScene::GetStageCast(), nullptr);
    EXPECT_EQ(KChildManager::Existing(), nullptr);
}

TEST_F(CastTest, AptitudesAreLowerCasedLaterWinsAndLookupsAddNothing)
{
    KChildManager& cast = Cast("<children>" +
                               Kid("Tobin", "<subject name=\"Math\" aptitude=\"0.8\"/>"
                                            "<subject name=\"SCIENCE\" aptitude=\"0.1\"/>"
                                            "<subject name=\"science\" aptitude=\"0.45\"/>"
                                            "<subject name=\"Art\" aptitude=\"0\"/>"
                                            "<subject name=\"Music\"/>"
                                            "<subject name=\"History\" aptitude=\"-0.2\"/>"
                                            "<subject name=\"Language\" aptitude=\"clever\"/>") +
                               "</children>");
    KChild& tobin = *cast.GetChild(0);
    ASSERT_EQ(tobin.GetSubjectCount(), 6u);
    const struct {
        const char* subject;
        float aptitude;
    } cases[] = {
        {"MATH", 0.8f},     {"math", 0.8f},    {"Science", 0.45f}, {"Art", 0.3f},  {"Music", 0.3f},
        {"History", -0.2f}, {"Language", 0.3f}, {"Geography", 0.3f}, {"", 0.3f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(tobin.GetAptitude(TString(c.subject)), c.aptitude) << c.subject;
    EXPECT_EQ(tobin.GetSubjectCount(), 6u);
    EXPECT_TRUE(LogHas("aptitude \"clever\" is not a number"));
}

TEST_F(CastTest, AptitudeTextsAreReadInTheCLocaleAndHeldToTheRange)
{
    const struct {
        const char* text;
        float value;
        const char* logged; // a piece of the log line, or null for none
    } cases[] = {
        {"0.8", 0.8f, nullptr},
        {"  0.25", 0.25f, nullptr},
        {"+0.5", 0.5f, nullptr},
        {"-0.2", -0.2f, nullptr},
        {"1", 1.0f, nullptr},
        {"0.5kg", 0.5f, nullptr},
        {"", 0.0f, nullptr},
        {"1e-999", 0.0f, nullptr},
        {"abc", 0.0f, "\"abc\" is not a number"},
        {"+-1", 0.0f, "\"+-1\" is not a number"},
        {"nan", 0.0f, "\"nan\" is not a number"},
        {"1.5", 1.0f, "\"1.5\" is out of range; 1 used"},
        {"1e30", 1.0f, "\"1e30\" is out of range; 1 used"},
        {"inf", 1.0f, "\"inf\" is out of range; 1 used"},
        {"1e999", 1.0f, "\"1e999\" is out of range; 1 used"},
        {"-1e999", -1.0f, "\"-1e999\" is out of range; -1 used"},
        {"-7", -1.0f, "\"-7\" is out of range; -1 used"},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(Quillory::ParseAptitude(TString(c.text), TString("Tobin"), TString("math")), c.value)
            << c.text;
        if (c.logged) {
            EXPECT_TRUE(LogHas(c.logged)) << c.text;
        }
    }
    EXPECT_EQ(LogLines("Classmates: Tobin, subject \"math\""), 9);

    // A decimal comma locale changes nothing.
    const std::string before = setlocale(LC_NUMERIC, nullptr);
    if (setlocale(LC_NUMERIC, "de_DE.UTF-8") || setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_FLOAT_EQ(Quillory::ParseAptitude(TString("0.75"), TString("T"), TString("art")), 0.75f);
        setlocale(LC_NUMERIC, before.c_str());
    }
}

TEST_F(CastTest, AMissingOrUnusableRosterGivesNoClassmatesButAHost)
{
    const struct {
        const char* what;
        const char* roster; // null: no file
        const char* logged;
    } cases[] = {
        {"no file", nullptr, "cannot read childAI.xml"},
        {"empty file", "", "no \"children\" element"},
        {"not XML", "this is no roster", "no \"children\" element"},
        {"other element", "<kids><child name=\"Tobin\"/></kids>", "no \"children\" element"},
        {"no child", "<children><kid name=\"Tobin\"/></children>", "names no classmate"},
    };
    for (const auto& c : cases) {
        if (c.roster)
            AddFile("childAI.xml", c.roster);
        else
            RegisterMemoryFile("childAI.xml", nullptr, 0);
        KChildManager& cast = *KChildManager::Instance();
        EXPECT_EQ(cast.GetClassmateCount(), 0u) << c.what;
        for (int32_t i = 0; i < 5; ++i)
            EXPECT_EQ(cast.GetChild(i), nullptr) << c.what;
        EXPECT_NE(cast.GetChild(255), nullptr) << c.what;
        EXPECT_EQ(cast.FindByName(TString("Tobin")), nullptr) << c.what;
        cast.ResetPoses();
        EXPECT_TRUE(LogHas(c.logged)) << c.what;
        KChildManager::Destroy();
    }
}

TEST_F(CastTest, GetChildAndFindByName)
{
    KChildManager& cast = Cast(FiveKids());
    ASSERT_EQ(cast.GetClassmateCount(), 5u);
    const struct {
        int32_t index;
        const char* name; // null: none; "host"
    } cases[] = {
        {-1, nullptr}, {0, "Tobin"},  {4, "Rosalind"}, {5, nullptr},     {254, nullptr},
        {255, "host"}, {256, nullptr}, {INT32_MIN, nullptr}, {INT32_MAX, nullptr},
    };
    for (const auto& c : cases) {
        KChild* child = cast.GetChild(c.index);
        if (!c.name) {
            EXPECT_EQ(child, nullptr) << c.index;
        } else if (std::string(c.name) == "host") {
            EXPECT_EQ(child, cast.GetHost());
        } else {
            EXPECT_TRUE(child && child->GetName() == c.name) << c.index;
        }
    }
    EXPECT_EQ(cast.FindByName(TString("Imelda")), cast.GetChild(2));
    EXPECT_EQ(cast.FindByName(TString("imelda")), nullptr);
    EXPECT_EQ(cast.FindByName(TString("")), nullptr);
    EXPECT_EQ(cast.FindByName(TString("Corin Varnum")), nullptr);

    KChildManager::Destroy();
    KChildManager& twins = Cast("<children>" + Kid("Tobin") + Kid("Tobin") + "</children>");
    EXPECT_EQ(twins.FindByName(TString("Tobin")), twins.GetChild(0));
}

TEST_F(CastTest, PlayAnimRefusesWeakerClaimsAndSkipsTheRunningOne)
{
    KChildManager& cast = Cast(FiveKids());
    KChild& kid = *cast.GetChild(1);
    ASSERT_TRUE(kid.GetMeshFrame());
    ASSERT_TRUE(kid.GetAnimSet());
    EXPECT_FLOAT_EQ(PoseX(kid), 1.0f); // the initial pose, Sit
    EXPECT_FLOAT_EQ(kid.GetMeshFrame()->GetMaterial().ambient.r, 1.0f);
    EXPECT_FLOAT_EQ(kid.GetMeshFrame()->GetMaterial().ambient.a, 1.0f);

    auto wave = kid.PlayAnim(TString("SitWave"), 1);
    EXPECT_EQ(Total(wave), 3000u);
    EXPECT_EQ(kid.GetCurrentPriority(), 1);

    // Weaker (larger number): refused, the wave goes on.
    auto refused = kid.PlayAnim(TString("SitClap"), 2);
    EXPECT_TRUE(IsDummy(refused));
    EXPECT_FALSE(wave->IsFinished());
    EXPECT_EQ(kid.GetCurrentAnim(), wave);
    EXPECT_EQ(kid.GetCurrentPriority(), 1);

    // Equal: the wave is skipped, the clap takes over.
    auto clap = kid.PlayAnim(TString("SitClap"), 1);
    EXPECT_EQ(Total(clap), 4000u);
    EXPECT_TRUE(wave->IsFinished());
    EXPECT_EQ(kid.GetCurrentAnim(), clap);

    // Stronger: the clap is skipped.
    auto stand = kid.PlayAnim(TString("Stand"), 0);
    EXPECT_EQ(Total(stand), 2000u);
    EXPECT_TRUE(clap->IsFinished());
    EXPECT_EQ(kid.GetCurrentPriority(), 0);

    // Once it has run out, any claim is taken.
    EventPass();
    now += 2500;
    EventPass();
    EventPass();
    ASSERT_TRUE(stand->IsFinished());
    auto sit = kid.PlayAnim(TString("Sit"), 7);
    EXPECT_EQ(Total(sit), 1000u);
    EXPECT_EQ(kid.GetCurrentPriority(), 7);

    // An unknown name skips the running one and gives a dummy.
    auto unknown = kid.PlayAnim(TString("Dance"), 3);
    EXPECT_TRUE(IsDummy(unknown));
    EXPECT_TRUE(sit->IsFinished());
}

TEST_F(CastTest, ACharacterWithoutAMeshPlaysDummiesAndIsNotDrawn)
{
    using namespace xfile;
    Writer bones;
    bones.Header().Frame("Hips").Matrix(Identity()).Close();
    AddFile("mesh/kids/bones.x", bones.bytes);
    AddFile("mesh/kids/broken.x", Chain().bytes.substr(0, 40));
    const struct {
        const char* what;
        std::string inner;
        std::string model;
    } cases[] = {
        {"no model element", "", ""},
        {"missing file", "", "mesh/kids/none.x"},
        {"no mesh in the file", "", "mesh/kids/bones.x"},
        {"damaged file", "", "mesh/kids/broken.x"},
        {"a second model that fails", "<model file=\"mesh/kids/kid.x\" anim=\"mesh/kids/kid.xml\" initAnim=\"Sit\"/>",
         "mesh/kids/none.x"},
    };
    for (const auto& c : cases) {
        KChildManager& cast = Cast("<children>" + Kid("Tobin", c.inner, c.model) + "</children>");
        KChild& kid = *cast.GetChild(0);
        EXPECT_FALSE(kid.GetMeshFrame()) << c.what;
        EXPECT_FALSE(kid.GetAnimSet()) << c.what;
        EXPECT_TRUE(IsDummy(kid.PlayAnim(TString("Sit"), 0))) << c.what;
        EXPECT_FALSE(kid.GetCurrentAnim()) << c.what;
        cast.ResetPoses();

        ASSERT_TRUE(Renderer().BeginDraw(false));
        ASSERT_TRUE(Renderer().Begin3d());
        GfxRecordingLog().Clear();
        cast.Draw();
        Renderer().End3d();
        Renderer().EndDraw(false);
        ASSERT_EQ(GfxRecordingLog().draws.size(), 1u) << c.what; // the host only
        EXPECT_FLOAT_EQ(GfxRecordingLog().draws[0].state.world.m[12], 10.0f) << c.what;
        KChildManager::Destroy();
    }
    EXPECT_TRUE(LogHas("Classmates: Tobin: the model mesh/kids/none.x has no mesh"));
}

TEST_F(CastTest, TheHostPlaysAnimationsOfItsMark)
{
    CVModel& host = *Cast(FiveKids()).GetHost();
    ASSERT_TRUE(host.GetAnimSet());
    EXPECT_FLOAT_EQ(PoseX(host), 10.0f); // Pos1_Stand
    const struct {
        uint32_t mark;
        const char* name;
        uint64_t total;
    } cases[] = {{1, "Stand", 100}, {1, "Talk2", 400}, {2, "Talk2", 500}, {3, "Stand", 300}, {3, "Talk2", 600}};
    for (const auto& c : cases) {
        host.SetPosition(c.mark);
        EXPECT_EQ(Total(host.PlayAnim(TString(c.name), 1)), c.total) << c.mark << c.name;
    }
    // Marks outside 1 to 3 are refused.
    for (uint32_t bad : {0u, 4u, 0xFFFFFFFFu}) {
        host.SetPosition(bad);
        EXPECT_EQ(host.GetPosition(), 3u) << bad;
    }
    EXPECT_TRUE(LogHas("Host: no mark 4; staying at mark 3"));
    // A name the mark does not have gives a dummy.
    EXPECT_TRUE(IsDummy(host.PlayAnim(TString("Clap"), 0)));
}

TEST_F(CastTest, PickRandomPositionTakesOneWordModuloThree)
{
    CVModel& host = *Cast(FiveKids()).GetHost();
    std::set<uint32_t> seen;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        MTRandom::Instance()->Seed(seed);
        MTRandom copy = *MTRandom::Instance();
        const uint32_t word = copy.NextWord();
        host.PickRandomPosition();
        EXPECT_EQ(host.GetPosition(), word % 3 + 1) << seed;
        EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << seed; // one word taken
        seen.insert(host.GetPosition());
    }
    EXPECT_EQ(seen, (std::set<uint32_t>{1, 2, 3}));
}

TEST_F(CastTest, GetAnswerMeetsTheDrawWithTheChanceRoundedToAFloat)
{
    KChildManager& cast = Cast("<children>" +
                               Kid("Tobin", "<subject name=\"Math\" aptitude=\"0.8\"/>"
                                            "<subject name=\"Art\" aptitude=\"0.5\"/>"
                                            "<subject name=\"Music\" aptitude=\"0\"/>"
                                            "<subject name=\"Science\" aptitude=\"0.6\"/>"
                                            "<subject name=\"History\" aptitude=\"-0.2\"/>"
                                            "<subject name=\"Language\" aptitude=\"0.25\"/>") +
                               "</children>");
    KChild& kid = *cast.GetChild(0);
    const struct {
        const char* subject;
        int32_t grade;
        int32_t draw;
        bool correct;
    } cases[] = {
        {"Geography", 1, 70, true}, {"Geography", 1, 71, false}, // 0.3 by default: 70.0000048
        {"Geography", 3, 49, true}, {"Geography", 3, 50, false}, // exactly 50
        {"ART", 3, 69, true},       {"ART", 3, 70, false},       // 69.9999988
        {"Music", 1, 70, true},     {"Music", 1, 71, false},     // 0 reads as 0.3
        {"MATH", 5, 80, true},      {"MATH", 5, 81, false},      // 0.8f is a little over
        {"Science", 1, 99, true},                                // always
        {"History", 1, 20, true},   {"History", 1, 21, false},   // negative kept
        {"Language", 2, 55, true},  {"Language", 2, 56, false},
        {"Geography", 6, 20, true}, {"Geography", 6, 21, false}, // the final grade
    };
    for (const auto& c : cases) {
        KQuestion::QMult question;
        question.subject = c.subject;
        question.grade = c.grade;
        question.correct = "right";
        question.incorrect2 = "wrong";
        kid.ResetForShow(); // each case's question may sit where the last one did
        MTRandom::Instance()->Seed(SeedDrawing(c.draw));
        MTRandom copy = *MTRandom::Instance();
        TString answer("before");
        EXPECT_EQ(kid.GetAnswer(&question, answer), c.correct) << c.subject << c.grade << " " << c.draw;
        EXPECT_EQ(answer, c.correct ? "right" : "wrong") << c.subject << c.grade << " " << c.draw;
        // One draw, and one more for a wrong answer's pick.
        copy.NextWord();
        if (!c.correct)
            copy.NextWord();
        EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()) << c.subject << c.draw;
    }
}

TEST_F(CastTest, GetAnswerKeepsItsAnswerForTheSameQuestionUntilTheReset)
{
    KChildManager& cast = Cast(FiveKids());
    KChild& kid = *cast.GetChild(3);
    KQuestion::QMult question;
    question.subject = "Math";
    question.grade = 1;
    question.correct = "right";
    question.incorrect1 = "wrong";

    TString answer("untouched");
    EXPECT_TRUE(kid.GetAnswer(nullptr, answer));
    EXPECT_EQ(answer, "untouched");

    MTRandom::Instance()->Seed(SeedDrawing(90));
    EXPECT_FALSE(kid.GetAnswer(&question, answer));
    EXPECT_EQ(answer, "wrong");
    EXPECT_EQ(kid.GetCachedQuestion(), &question);
    // Asked again: the same answer, nothing drawn.
    MTRandom::Instance()->Seed(SeedDrawing(0));
    MTRandom copy = *MTRandom::Instance();
    TString again;
    EXPECT_FALSE(kid.GetAnswer(&question, again));
    EXPECT_EQ(again, "wrong");
    EXPECT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord());

    // Another character keeps its own answer.
    MTRandom::Instance()->Seed(SeedDrawing(0));
    EXPECT_TRUE(cast.GetChild(4)->GetAnswer(&question, again));
    EXPECT_EQ(again, "right");

    // A new show forgets it: the same question draws again.
    cast.ResetPoses();
    EXPECT_EQ(kid.GetCachedQuestion(), nullptr);
    MTRandom::Instance()->Seed(SeedDrawing(0));
    EXPECT_TRUE(kid.GetAnswer(&question, again));
    EXPECT_EQ(again, "right");
}

TEST_F(CastTest, ThinkTimeLiesInTheAptitudesRange)
{
    KChildManager& cast = Cast("<children>" +
                               Kid("Tobin", "<subject name=\"Math\" aptitude=\"1\"/>"
                                            "<subject name=\"Art\" aptitude=\"-1\"/>"
                                            "<subject name=\"Music\" aptitude=\"50\"/>"
                                            "<subject name=\"History\" aptitude=\"-50\"/>") +
                               "</children>");
    KChild& kid = *cast.GetChild(0);
    EXPECT_EQ(kid.GetThinkTime(), 0); // no show

    ShowController* show = ShowController::Instance();
    KQuestion::QMult question;
    question.correct = "right";
    const struct {
        const char* subject; // null: no current question
        int32_t low, high;
    } cases[] = {
        {"Geography", 1000, 4500}, // 0.3 by default
        {nullptr, 1000, 4500},
        {"Math", 1000, 1000},
        {"Music", 1000, 1000}, // held at 1: never below a second
        {"Art", 1000, 11000},
        {"History", 1000, 11000},
    };
    for (const auto& c : cases) {
        question.subject = c.subject ? c.subject : "";
        show->GetRecord().currentQuestion = c.subject ? &question : nullptr;
        MTRandom::Instance()->Seed(11);
        int32_t least = INT32_MAX, most = INT32_MIN;
        for (int i = 0; i < 300; ++i) {
            MTRandom copy = *MTRandom::Instance();
            const int32_t ms = kid.GetThinkTime();
            least = std::min(least, ms);
            most = std::max(most, ms);
            copy.NextWord();
            ASSERT_EQ(MTRandom::Instance()->NextWord(), copy.NextWord()); // one word a time
        }
        EXPECT_GE(least, c.low) << (c.subject ? c.subject : "none");
        EXPECT_LE(most, c.high) << (c.subject ? c.subject : "none");
        // The draws spread over the range.
        EXPECT_LT(least, c.low + (c.high - c.low) / 10 + 1) << (c.subject ? c.subject : "none");
        EXPECT_GT(most, c.high - (c.high - c.low) / 10 - 1) << (c.subject ? c.subject : "none");
    }
}

TEST_F(CastTest, ResetPosesSeatsTheClassmatesAndPutsTheHostAtMarkOne)
{
    KChildManager& cast = Cast(FiveKids());
    KChild& kid = *cast.GetChild(2);
    CVModel& host = *cast.GetHost();
    KQuestion::QMult question;
    question.correct = "right";
    TString answer;
    kid.SetUsed(true);
    kid.GetAnswer(&question, answer);
    auto wave = kid.PlayAnim(TString("SitWave"), 0);
    host.SetPosition(3);
    auto talk = host.PlayAnim(TString("Talk2"), 0);
    EXPECT_EQ(Total(talk), 600u);
    EventPass(); // both start and take their placement
    EXPECT_FLOAT_EQ(PoseX(kid), 3.0f);
    EXPECT_FLOAT_EQ(PoseX(host), 30.0f);

    cast.ResetPoses();
    EXPECT_FALSE(kid.IsUsed());
    EXPECT_EQ(kid.GetCachedQuestion(), nullptr);
    EXPECT_TRUE(wave->IsFinished());
    EXPECT_TRUE(talk->IsFinished());
    EXPECT_FLOAT_EQ(PoseX(kid), 1.0f); // Sit put at once
    EXPECT_FLOAT_EQ(PoseX(host), 10.0f);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Total(cast.GetChild(i)->GetCurrentAnim()), 1000u) << i; // Sit
        EXPECT_EQ(cast.GetChild(i)->GetCurrentPriority(), 0) << i;
    }
    EXPECT_EQ(host.GetPosition(), 1u);
    EXPECT_EQ(Total(host.GetCurrentAnim()), 100u); // Pos1_Stand
    EXPECT_EQ(host.GetCurrentPriority(), 0);
    EXPECT_EQ(Total(host.PlayAnim(TString("Talk2"), 0)), 400u);
}

TEST_F(CastTest, DrawsTheClassmatesInOrderThenTheHost)
{
    for (int i = 1; i <= 3; ++i)
        AddFile("mesh/kids/kid" + std::to_string(i) + ".xml", "<BoneAnim>" + Anim("Sit", 1000, i) + "</BoneAnim>");
    KChildManager& cast = Cast("<children>" + Kid("A", "", "mesh/kids/kid.x", "mesh/kids/kid1.xml") +
                               Kid("B", "", "mesh/kids/kid.x", "mesh/kids/kid2.xml") +
                               Kid("C", "", "mesh/kids/kid.x", "mesh/kids/kid3.xml") + "</children>");
    ASSERT_EQ(KScene::GetStageCast(), &cast);
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin3d());
    GfxRecordingLog().Clear();
    KScene::GetStageCast()->Draw(&Renderer());
    const auto draws = GfxRecordingLog().draws;
    GfxRecordingLog().Clear();
    KScene::GetStageCast()->Draw(nullptr);
    const size_t withoutRenderer = GfxRecordingLog().draws.size();
    Renderer().End3d();
    Renderer().EndDraw(false);

    ASSERT_EQ(draws.size(), 4u);
    const float places[] = {1, 2, 3, 10};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(draws[i].state.world.m[12], places[i]) << i;
        EXPECT_FLOAT_EQ(draws[i].state.material.ambient.g, 1.0f) << i;
    }
    EXPECT_EQ(withoutRenderer, 0u);
}

TEST_F(CastTest, TheCurrentClassmateIsTheShowRecords)
{
    KChildManager& cast = Cast(FiveKids());
    EXPECT_EQ(Quillory::GetCurrentClassmate(), nullptr);
    EXPECT_FALSE(Quillory::IsCurrentClassmate(cast.GetChild(1)));

    ShowController::Instance()->GetRecord().currentClassmate = cast.GetChild(1);
    EXPECT_EQ(Quillory::GetCurrentClassmate(), cast.GetChild(1));
    EXPECT_TRUE(Quillory::IsCurrentClassmate(cast.GetChild(1)));
    EXPECT_FALSE(Quillory::IsCurrentClassmate(cast.GetChild(0)));
    EXPECT_FALSE(Quillory::IsCurrentClassmate(cast.GetHost()));
    EXPECT_FALSE(Quillory::IsCurrentClassmate(nullptr));

    ShowController::Instance()->GetRecord().currentClassmate = nullptr;
    EXPECT_EQ(Quillory::GetCurrentClassmate(), nullptr);
    EXPECT_FALSE(Quillory::IsCurrentClassmate(nullptr));
}

// The game's roster with the cast the build makes: six characters with a
// mesh, every animation the show plays, and their first pose taken.
TEST_F(CastTest, TheGamesRosterLoadsTheGeneratedCast)
{
    auto slurp = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in) << "cannot read " << path;
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    };
    for (int i = 1; i <= 5; ++i)
        for (const char* ext : {".x", ".xml"}) {
            const std::string file = "kids/kid" + std::to_string(i) + ext;
            AddFile("mesh/" + file, slurp(std::string(QUILLORY_CAST_DIR) + "/" + file));
        }
    for (const char* ext : {".x", ".xml"})
        AddFile(std::string("mesh/varnum/varnum") + ext,
                slurp(std::string(QUILLORY_CAST_DIR) + "/varnum/varnum" + ext));
    const std::string source = QUILLORY_SOURCE_DIR;
    KChildManager& cast = Cast(slurp(source + "/assets/childAI.xml"));

    ASSERT_EQ(cast.GetClassmateCount(), 5u);
    const char* names[] = {"Tobin", "Marek", "Imelda", "Caspar", "Rosalind"};
    const char* kidAnims[] = {"Sit",     "Stand",    "SitWave",  "SitWrite",   "StandWrite", "SitClap",
                              "StandClap", "SitIdle1", "SitIdle2", "StandIdle1", "StandIdle2"};
    for (int32_t i = 0; i < 5; ++i) {
        KChild& kid = *cast.GetChild(i);
        EXPECT_EQ(kid.GetName(), names[i]);
        EXPECT_EQ(kid.GetInitAnim(), "Sit");
        ASSERT_TRUE(kid.GetMeshFrame()) << names[i];
        ASSERT_TRUE(kid.GetMeshFrame()->GetBones().Root()) << names[i];
        ASSERT_TRUE(kid.GetAnimSet()) << names[i];
        for (const char* anim : kidAnims)
            EXPECT_NE(kid.GetAnimSet()->Find(TString(anim)), nullptr) << names[i] << " " << anim;
        const KScene::KAnimEntry* sit = kid.GetAnimSet()->Find(TString("Sit"));
        ASSERT_NE(sit, nullptr);
        EXPECT_FLOAT_EQ(kid.GetMeshFrame()->GetTransform().position.x, sit->transform.position.x) << names[i];
        EXPECT_FLOAT_EQ(kid.GetMeshFrame()->GetTransform().position.z, sit->transform.position.z) << names[i];
    }
    CVModel& host = *cast.GetHost();
    ASSERT_TRUE(host.GetMeshFrame());
    ASSERT_TRUE(host.GetAnimSet());
    for (int p = 1; p <= 3; ++p)
        for (const char* anim : {"Stand", "Idle1", "Idle2", "Idle3", "Talk1", "Talk2", "Talk3", "Clap"}) {
            const std::string name = "Pos" + std::to_string(p) + "_" + anim;
            EXPECT_NE(host.GetAnimSet()->Find(TString(name.c_str())), nullptr) << name;
        }
    const KScene::KAnimEntry* stand = host.GetAnimSet()->Find(TString("Pos1_Stand"));
    ASSERT_NE(stand, nullptr);
    EXPECT_FLOAT_EQ(host.GetMeshFrame()->GetTransform().position.x, stand->transform.position.x);

    // Every subject of the question set has a classmate better than the
    // default at it.
    AddFile("questions.xml", slurp(source + "/assets/questions.xml"));
    TXmlNode root;
    ASSERT_TRUE(LoadXmlFile(&root, TString("questions.xml")));
    std::set<std::string> subjects;
    TString name;
    TXmlNode* level = nullptr;
    root.BeginChildren();
    while (root.NextChild(name, level)) {
        TXmlNode* question = nullptr;
        level->BeginChildren();
        while (level->NextChild(name, question))
            if (TXmlNode* subject = question->FindChild(TString("subject")))
                subjects.insert(subject->GetText().c_str());
    }
    ASSERT_GE(subjects.size(), 5u);
    for (const std::string& subject : subjects) {
        float best = 0;
        for (int32_t i = 0; i < 5; ++i)
            best = std::max(best, cast.GetChild(i)->GetAptitude(TString(subject.c_str())));
        EXPECT_GT(best, KChild::kDefaultAptitude) << subject;
    }

    // Reset and drawn: one mesh each.
    cast.ResetPoses();
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin3d());
    GfxRecordingLog().Clear();
    cast.Draw();
    Renderer().End3d();
    Renderer().EndDraw(false);
    EXPECT_EQ(GfxRecordingLog().draws.size(), 6u);
}

} // namespace
