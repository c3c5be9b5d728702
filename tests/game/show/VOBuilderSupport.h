#pragma once
// The voice-over builders over a small table (fixtures/vo/builders.xml)
// whose rows say their own VOid: rows of a category c are numbered
// c * 10 + 1, 2, ... and the rows asked for by id keep their id. A line is
// told by its sound file: the player gives a plain line (no subtitles, not
// the host) as the sound event itself, named after the file. The show
// controller has a board of eleven questions whose first n are played.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EventTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/question/Question.h"
#include "game/show/vo/VOIds.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "ui/Window.h"

namespace votest {

inline std::string Fixture(const std::string& name)
{
    return "::" + std::string(QUILLORY_TEST_DATA) + "/vo/" + name;
}

// "row 211" for a row asked for by id, "cat 5803" for a row of a category.
inline std::string Describe(int32_t id)
{
    for (int32_t row : KVO::Id::kAllRows)
        if (row == id)
            return "row " + std::to_string(id);
    return "cat " + std::to_string(id / 10);
}

// The VOid of a plain line's sound event ("ePlaySound (vo/<id>.ogg)"), -1
// for any other event.
inline int32_t LineId(const KEvent::Event& event)
{
    const std::string name = event.GetName().c_str();
    const std::string head = "ePlaySound (vo/";
    if (name.compare(0, head.size(), head) != 0)
        return -1;
    return std::atoi(name.c_str() + head.size());
}

class BuilderFixture : public eventtest::EventFixture {
protected:
    static constexpr uint32_t kTableSeed = 1234;
    static constexpr int32_t kBoardSize = 11;

    void SetUp() override
    {
        EventFixture::SetUp();
        MTRandom::Destroy();
        MTRandom::Instance()->Seed(kTableSeed);
        KVO::VOTable::Instance()->Load(TString(Fixture("builders.xml").c_str()));
        mParent.SetName("stage");
        mParent.SetSize(800, 600);
        KVO::VOPlayer::Instance()->SetSubtitleParent(&mParent);
        mFinal.grade = 6;
        StartController();
    }
    void TearDown() override
    {
        ShowController::Destroy();
        KVO::VOPlayer::Destroy();
        KVO::VOTable::Destroy();
        MTRandom::Destroy();
        EventFixture::TearDown();
    }

    // The controller (made when missing) with the test's board and final.
    void StartController()
    {
        mShow = ShowController::Instance();
        Record().board.clear();
        for (auto& question : mQuestions)
            Record().board.push_back(&question);
        Record().finalQuestion = &mFinal;
    }
    // A new show's record, with the test's final question.
    void ResetRecord()
    {
        Record().Reset();
        Record().finalQuestion = &mFinal;
    }

    GameRecord& Record() { return mShow->GetRecord(); }
    KVO::VOTable& Table() { return *KVO::VOTable::Existing(); }

    // The first n board questions played, the others not.
    void SetPlayed(int32_t n)
    {
        for (int32_t i = 0; i < kBoardSize; ++i)
            mQuestions[size_t(i)].used = i < n;
    }
    // The current question: a board question of that grade (6: the final).
    void AskGrade(int32_t grade)
    {
        if (grade == 6) {
            Record().currentQuestion = &mFinal;
            return;
        }
        mQuestions[0].grade = grade;
        Record().currentQuestion = &mQuestions[0];
    }

    // What a builder said: its lines in the order they were made, and the
    // event it returned.
    struct Said {
        std::vector<std::string> lines;
        std::shared_ptr<KEvent::Event> event;
    };
    Said Say(const std::function<std::shared_ptr<KEvent::Event>()>& builder)
    {
        const int32_t since = KEvent::Event::PeekNextId();
        Said said;
        said.event = builder();
        for (const auto& line : KVO::VOPlayer::Instance()->GetEvents())
            if (line->GetId() >= since) {
                const int32_t id = LineId(*line);
                said.lines.push_back(id < 0 ? "?" : Describe(id));
            }
        return said;
    }
    std::vector<std::string> Lines(const std::function<std::shared_ptr<KEvent::Event>()>& builder)
    {
        return Say(builder).lines;
    }

    // Seeds the show's random source with the first seed whose draws pass
    // the test (on a copy).
    static void SeedWords(const std::function<bool(MTRandom&)>& wanted)
    {
        for (uint32_t seed = 1; seed < 200000; ++seed) {
            MTRandom probe;
            probe.Seed(seed);
            if (wanted(probe)) {
                MTRandom::Instance()->Seed(seed);
                return;
            }
        }
        ADD_FAILURE() << "no seed gives the draws wanted";
    }
    // Seeds the C library's rand with the first seed whose next value
    // passes the test.
    static void SeedRand(const std::function<bool(int)>& wanted)
    {
        for (unsigned seed = 1; seed < 200000; ++seed) {
            std::srand(seed);
            if (wanted(std::rand())) {
                std::srand(seed);
                return;
            }
        }
        ADD_FAILURE() << "no seed gives the value wanted";
    }
    static bool Even(uint32_t word) { return (word & 1) == 0; }

    ShowController* mShow = nullptr;
    TWindow mParent;
    KQuestion::QOpenAnswer mQuestions[kBoardSize];
    KQuestion::QOpenAnswer mFinal;
};

} // namespace votest
