// The host's voice-over builders: which line each says for the show's state
// and its random draws, what they say when there is nothing to say, and
// the board's remarks that do not repeat.
#include "VOBuilderSupport.h"

#include "game/show/QuestionTimer.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/vo/VOBuilders.h"

using namespace KVO;
using Strings = std::vector<std::string>;

namespace {

using Builder = std::shared_ptr<KEvent::Event> (*)();

std::shared_ptr<KEvent::Event> AnswerReaction()
{
    int32_t prestige = 0;
    return VOAnswerReaction(prestige);
}

const Builder kAllBuilders[] = {
    VOQuestionIntro,   VOThinkingPrompt1, VOThinkingPrompt2, VOThinkingPrompt3, VOThinkingPrompt4, AnswerReaction,
    VOGradeComment,    VOIntro,           VOBoard,           VOChooseClassmate, VOHalfway,         VOWelcomeBack,
    VOResume,          VOFinalOffer,      VOFinalOfferAlt,   VOFinalQuestion,   VOWinner,          VOFlunkOut,
    VOFlunkOutA,       VOPeek,            VOClassmateAnswer, VOHelpedAnswer,    VOHelpedAnswerEnd, VOSaveAvailable,
    VOSaveGone,        VOSaveUsed,
};

class VOBuildersTest : public votest::BuilderFixture {};

TEST_F(VOBuildersTest, TheTestTableHasEveryRowAndCategoryTheBuildersAskFor)
{
    for (int32_t id : Id::kAllRows)
        EXPECT_TRUE(Table().FindById(id)) << id;
    for (int32_t category : Id::kAllCategories)
        EXPECT_GE(Table().GetCategory(category).rows.size(), 2u) << category;
}

TEST_F(VOBuildersTest, WithoutControllerOrTableEveryBuilderGivesADummyThatEndsAtOnce)
{
    struct Case {
        const char* what;
        bool controller, table;
    };
    for (const Case& c : {Case{"no controller", false, true}, Case{"no table", true, false}}) {
        SCOPED_TRACE(c.what);
        if (!c.controller)
            ShowController::Destroy();
        if (!c.table)
            VOTable::Destroy();
        // Whatever the state says, nothing is said.
        if (ShowController::Existing()) {
            SetPlayed(4);
            AskGrade(2);
        }
        for (size_t i = 0; i < std::size(kAllBuilders); ++i) {
            if (c.table && kAllBuilders[i] == VOWelcomeBack)
                continue; // it needs only the table
            Said said = Say(kAllBuilders[i]);
            EXPECT_TRUE(said.lines.empty()) << "builder " << i;
            ASSERT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(said.event)) << "builder " << i;
        }
        int32_t prestige = -1;
        EXPECT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(VOAnswerReaction(prestige)));
        EXPECT_EQ(prestige, 0);
        Pass(2); // started and finished in the first, pruned in the second
        EXPECT_EQ(Manager().GetCount(), 0u) << "every dummy ended at once";
        StartController();
        VOTable::Instance()->Load(TString(votest::Fixture("builders.xml").c_str()));
    }
    // The welcome back needs no controller.
    ShowController::Destroy();
    EXPECT_EQ(Lines(VOWelcomeBack), Strings{"cat 95"});
}

TEST_F(VOBuildersTest, FixedRulesByTheRecord)
{
    struct Case {
        const char* what;
        Builder builder;
        std::function<void(GameRecord&)> setUp;
        Strings lines;
    };
    auto none = [](GameRecord&) {};
    const Case cases[] = {
        {"intro", VOIntro, none, {"row 211"}},
        {"resume", VOResume, none, {"row 248"}},
        {"halfway", VOHalfway, none, {"row 257"}},
        {"halfway with honours", VOHalfway, [](GameRecord& r) { r.honours = true; }, {}},
        {"final offer", VOFinalOffer, none, {"cat 9"}},
        {"winner", VOWinner, none, {"cat 13"}},
        {"flunk out, the ending", VOFlunkOutA, none, {"cat 15"}},
        {"classmate's answer", VOClassmateAnswer, none, {"cat 50"}},
        {"helped answer's end", VOHelpedAnswerEnd, none, {"cat 57"}},
        {"save used", VOSaveUsed, none, {"cat 54"}},
        {"welcome back", VOWelcomeBack, none, {"cat 95"}},
        {"save available", VOSaveAvailable, none, {"cat 53"}},
        {"save available, none left", VOSaveAvailable, [](GameRecord& r) { r.saveCount = 0; }, {}},
        {"save available, two left", VOSaveAvailable, [](GameRecord& r) { r.saveCount = 2; }, {"cat 53"}},
        {"save available at the final", VOSaveAvailable, [](GameRecord& r) { r.currentQuestion = r.finalQuestion; },
         {}},
        {"save gone", VOSaveGone, [](GameRecord& r) { r.saveCount = 0; }, {"cat 52"}},
        {"save gone, one left", VOSaveGone, none, {}},
        {"save gone at the final", VOSaveGone,
         [](GameRecord& r) {
             r.saveCount = 0;
             r.currentQuestion = r.finalQuestion;
         },
         {}},
        {"final question, not asked", VOFinalQuestion, none, {}},
        {"choose classmate, none played", VOChooseClassmate, none, {"row 215"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetRecord();
        AskGrade(3);
        SetPlayed(0);
        c.setUp(Record());
        Said said = Say(c.builder);
        EXPECT_EQ(said.lines, c.lines);
        if (c.lines.size() == 1) {
            EXPECT_GE(votest::LineId(*said.event), 0) << "the result is the line itself";
        } else if (c.lines.empty()) {
            EXPECT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(said.event));
        }
    }
}

TEST_F(VOBuildersTest, PeekMarksTheQuestionHelped)
{
    ASSERT_FALSE(Record().helpUsed);
    EXPECT_EQ(Lines(VOPeek), Strings{"cat 17"});
    EXPECT_TRUE(Record().helpUsed);
    // ... so the reaction to the answer is the helped one.
    Record().answerCorrect = true;
    EXPECT_EQ(Lines(AnswerReaction), Strings{"cat 56"});
}

TEST_F(VOBuildersTest, RowsByQuestionsPlayed)
{
    struct Case {
        Builder builder;
        bool honours, lost, finalOffered;
        std::vector<std::pair<int32_t, int32_t>> playedToRow; // row 0: nothing said
    };
    const Case cases[] = {
        // The third prompt: played, plus one with honours from two on.
        {VOThinkingPrompt3, false, false, false,
         {{0, 0}, {1, 0}, {2, 197}, {3, 199}, {4, 200}, {5, 201}, {6, 202}, {7, 203}, {8, 204}, {9, 205}, {10, 206},
          {11, 198}}},
        {VOThinkingPrompt3, true, false, false, {{1, 0}, {2, 199}, {9, 206}, {10, 198}, {11, 0}}},
        // Flunked or dropped out: by played, the final offer counting one.
        {VOFlunkOut, false, false, false,
         {{0, 0}, {1, 0}, {2, 184}, {3, 187}, {4, 188}, {5, 189}, {6, 190}, {7, 191}, {8, 192}, {9, 193},
          {10, 194}, {11, 185}}},
        {VOFlunkOut, false, false, true, {{0, 0}, {1, 184}, {10, 185}, {11, 186}}},
        {VOFlunkOut, true, false, false, {{1, 0}, {2, 187}, {10, 185}}},
        {VOFlunkOut, true, false, true, {{0, 0}, {1, 187}, {2, 188}, {10, 186}, {11, 186}}},
        // After a wrong answer with no Save: nothing before six played.
        {VOFlunkOut, false, true, true, {{0, 0}, {5, 0}, {6, 190}, {10, 190}}},
        {VOFlunkOut, true, true, false, {{5, 0}, {6, 191}, {9, 191}}},
        // The classmate choice at fixed points.
        {VOChooseClassmate, false, false, false, {{0, 215}, {2, 216}, {8, 218}}},
    };
    for (const Case& c : cases) {
        for (const auto& [played, row] : c.playedToRow) {
            SCOPED_TRACE("played " + std::to_string(played) + (c.honours ? " honours" : "") + (c.lost ? " lost" : "") +
                         (c.finalOffered ? " final offered" : ""));
            Record().honours = c.honours;
            Record().lost = c.lost;
            Record().finalOffered = c.finalOffered;
            SetPlayed(played);
            EXPECT_EQ(Lines(c.builder), row ? Strings{votest::Describe(row)} : Strings{});
        }
    }
}

TEST_F(VOBuildersTest, AnswerReactionByTimeTakenRightOrWrong)
{
    struct Case {
        int32_t elapsed; // -1: no timer
        bool correct, helped;
        const char* category;
    };
    const Case cases[] = {
        {-1, true, false, "cat 46"},   {-1, false, false, "cat 41"},   {0, true, false, "cat 45"},
        {9999, false, false, "cat 40"}, {10000, true, false, "cat 46"}, {24999, false, false, "cat 41"},
        {25000, true, false, "cat 47"}, {90000, false, false, "cat 43"}, {-1, true, true, "cat 56"},
        {-1, false, true, "cat 56"},    {3000, false, true, "cat 56"},  {30000, true, true, "cat 56"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.elapsed) + (c.correct ? " right" : " wrong") + (c.helped ? " helped" : ""));
        Record().answerCorrect = c.correct;
        Record().helpUsed = c.helped;
        mShow->SetQuestionTimer(nullptr);
        if (c.elapsed >= 0) {
            // A timer without a window measures on the application time.
            auto timer = Quillory::QuestionTimer::Create(nullptr);
            eventtest::gNow += uint32_t(c.elapsed);
            timer->Stop();
            ASSERT_EQ(timer->GetElapsed(), c.elapsed);
            mShow->SetQuestionTimer(timer);
        }
        int32_t prestige = -1;
        const int32_t since = KEvent::Event::PeekNextId();
        std::shared_ptr<KEvent::Event> line = VOAnswerReaction(prestige);
        ASSERT_GE(line->GetId(), since);
        const int32_t id = votest::LineId(*line);
        EXPECT_EQ(votest::Describe(id), c.category);
        EXPECT_EQ(prestige, id) << "the row's Prestige comes back";
    }
}

TEST_F(VOBuildersTest, AnswerReactionFromAnEmptyCategorySaysNothing)
{
    Table().GetCategory(Id::kCatRightMiddle).rows.clear();
    Record().answerCorrect = true;
    int32_t prestige = -1;
    Said said = Say([&] { return VOAnswerReaction(prestige); });
    EXPECT_TRUE(said.lines.empty());
    EXPECT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(said.event));
    EXPECT_EQ(prestige, 0);
}

TEST_F(VOBuildersTest, SecondPromptByTheHelpsLeft)
{
    // Both left: always the same category, whatever rand gives.
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::srand(seed);
        EXPECT_EQ(Lines(VOThinkingPrompt2), Strings{"cat 5803"});
    }
    // None left: a line that ends at once.
    Record().copyCount = 0;
    Record().peekCount = 0;
    Said none = Say(VOThinkingPrompt2);
    EXPECT_TRUE(none.lines.empty());
    Pass();
    EXPECT_TRUE(none.event->IsFinished());

    struct Case {
        int32_t copies, peeks;
        bool odd;
        const char* category;
    };
    const Case cases[] = {
        {1, 0, true, "cat 5801"}, {1, 0, false, "cat 5804"}, {0, 1, true, "cat 5802"},
        {0, 2, false, "cat 5804"}, {3, -1, true, "cat 5801"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.copies) + " copies " + std::to_string(c.peeks) + " peeks");
        Record().copyCount = c.copies;
        Record().peekCount = c.peeks;
        SeedRand([&](int r) { return ((r & 1) != 0) == c.odd; });
        EXPECT_EQ(Lines(VOThinkingPrompt2), Strings{c.category});
    }
}

TEST_F(VOBuildersTest, QuestionIntroByGradeOrByQuestionsPlayed)
{
    enum Branch { ByGrade, ByCount };
    struct Case {
        Branch branch;
        bool honours;
        int32_t grade, played;
        int randOdd; // -1: rand not needed
        const char* line;
    };
    const Case cases[] = {
        {ByGrade, false, 1, 4, -1, "cat 4101"},
        {ByGrade, false, 5, 0, -1, "cat 4105"},
        {ByGrade, true, 3, 4, -1, "cat 4103"},
        {ByGrade, false, 6, 10, 1, "cat 4012"},
        {ByGrade, false, 6, 10, 0, "cat 4011"},
        {ByGrade, true, 6, 10, 1, "row 240"},
        {ByGrade, true, 6, 10, 0, "row 241"},
        {ByGrade, false, 0, 3, -1, "cat 4000"},
        {ByCount, false, 2, 0, -1, "cat 4000"},
        {ByCount, false, 2, 1, -1, "cat 4001"},
        {ByCount, false, 5, 10, -1, "cat 4010"},
        {ByCount, true, 4, 0, -1, "cat 4001"},
        {ByCount, true, 5, 9, -1, "cat 4010"},
        {ByCount, true, 6, 10, -1, "cat 4011"},
        {ByCount, false, 6, 11, 1, "cat 4012"},
        {ByCount, false, 6, 11, 0, "cat 4011"},
        {ByCount, true, 6, 11, 1, "row 240"},
        {ByCount, true, 6, 11, 0, "row 241"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.branch == ByGrade ? "by grade" : "by count") + (c.honours ? " honours" : "") +
                     " grade " + std::to_string(c.grade) + " played " + std::to_string(c.played));
        Record().honours = c.honours;
        AskGrade(c.grade);
        SetPlayed(c.played);
        // The grade branch takes an even word, with honours two in a row.
        SeedWords([&](MTRandom& r) {
            const bool first = Even(r.NextWord());
            if (!c.honours || !first)
                return first == (c.branch == ByGrade);
            return Even(r.NextWord()) == (c.branch == ByGrade);
        });
        if (c.randOdd >= 0)
            SeedRand([&](int r) { return (r & 1) == c.randOdd; });
        EXPECT_EQ(Lines(VOQuestionIntro), Strings{c.line});
    }
}

TEST_F(VOBuildersTest, FirstAndLastPromptsByTheirDraws)
{
    // u from the first word, then the follow-up when a double (two words)
    // is at most the chance.
    struct Case {
        Builder builder;
        double uFrom, uTo; // the first word's band, as a fraction of 2^32
        double dFrom, dTo;
        Strings lines;
    };
    const Case cases[] = {
        {VOThinkingPrompt1, 0.0, 0.33, 0.2, 1.0, {"cat 5104"}},
        {VOThinkingPrompt1, 0.30, 0.33, 0.0, 0.1, {"cat 5104", "cat 100"}},
        {VOThinkingPrompt1, 0.33, 0.34, 0.5, 1.0, {"cat 5001"}},
        {VOThinkingPrompt1, 0.60, 0.67, 0.05, 0.1, {"cat 5001", "cat 100"}},
        {VOThinkingPrompt1, 0.67, 0.68, 0.1001, 0.15, {"cat 93"}},
        {VOThinkingPrompt1, 0.9, 1.0, 0.0, 0.1, {"cat 93", "cat 100"}},
        // The last prompt: even word 5002, odd 93; follow-up up to 0.6.
        {VOThinkingPrompt4, -1.0, -1.0, 0.55, 0.6, {"cat 5002", "cat 100"}},
        {VOThinkingPrompt4, -2.0, -2.0, 0.6001, 0.7, {"cat 93"}},
        {VOThinkingPrompt4, -2.0, -2.0, 0.0, 0.1, {"cat 93", "cat 100"}},
    };
    AskGrade(4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines[0] + (c.lines.size() > 1 ? " and a follow-up" : ""));
        SeedWords([&](MTRandom& r) {
            const uint32_t word = r.NextWord();
            const double u = double(word) / 4294967296.0;
            const bool first = c.uFrom == -1.0 ? Even(word) : c.uFrom == -2.0 ? !Even(word) : u >= c.uFrom && u < c.uTo;
            const double d = r.RandomDouble();
            return first && d >= c.dFrom && d <= c.dTo;
        });
        Said said = Say(c.builder);
        EXPECT_EQ(said.lines, c.lines);
        // Two lines: the result ends with the second.
        EXPECT_EQ(std::dynamic_pointer_cast<KEvent::eWrapper>(said.event) != nullptr, c.lines.size() == 2);
    }
}

TEST_F(VOBuildersTest, GradeCommentChanceByGrade)
{
    struct Case {
        int32_t grade;
        double chance;
    };
    for (const Case& c : {Case{1, 0.1}, Case{2, 0.1}, Case{3, 0.3}, Case{4, 0.4}, Case{5, 0.8}, Case{6, 0.8}}) {
        SCOPED_TRACE("grade " + std::to_string(c.grade));
        AskGrade(c.grade);
        for (bool correct : {true, false}) {
            Record().answerCorrect = correct;
            Record().helpUsed = false;
            const Strings comment{correct ? "cat 101" : "cat 102"};
            // Just under the chance: a comment; at it: none.
            SeedWords([&](MTRandom& r) {
                const double d = r.RandomDouble();
                return d < c.chance && d > c.chance - 0.02;
            });
            EXPECT_EQ(Lines(VOGradeComment), comment);
            SeedWords([&](MTRandom& r) {
                const double d = r.RandomDouble();
                return d >= c.chance && d < c.chance + 0.02;
            });
            EXPECT_EQ(Lines(VOGradeComment), Strings{});
            // A helped answer gets none.
            Record().helpUsed = true;
            SeedWords([](MTRandom& r) { return r.RandomDouble() < 0.05; });
            EXPECT_EQ(Lines(VOGradeComment), Strings{});
        }
    }
}

TEST_F(VOBuildersTest, RandChoicesBetweenARowAndACategory)
{
    struct Case {
        const char* what;
        Builder builder;
        std::function<void(GameRecord&)> setUp;
        std::function<bool(int)> rand;
        Strings lines;
    };
    auto odd = [](int r) { return (r & 1) != 0; };
    auto even = [](int r) { return (r & 1) == 0; };
    auto atFinal = [](GameRecord& r) { r.currentQuestion = r.finalQuestion; };
    const Case cases[] = {
        {"final offer, other way, odd", VOFinalOfferAlt, [](GameRecord&) {}, odd, {"row 242"}},
        {"final offer, other way, even", VOFinalOfferAlt, [](GameRecord&) {}, even, {"row 241"}},
        {"final question, odd", VOFinalQuestion, atFinal, odd, {"row 240"}},
        {"final question, even", VOFinalQuestion, atFinal, even, {"cat 4011"}},
        {"final question with honours, odd", VOFinalQuestion,
         [&](GameRecord& r) {
             atFinal(r);
             r.honours = true;
         },
         odd, {"row 240"}},
        {"final question with honours, even", VOFinalQuestion,
         [&](GameRecord& r) {
             atFinal(r);
             r.honours = true;
         },
         even, {"row 241"}},
        {"helped after a Copy, one in four", VOHelpedAnswer, [](GameRecord& r) { r.copyUsed = true; },
         [](int r) { return r % 4 == 0; }, {"row 118"}},
        {"helped after a Copy, otherwise", VOHelpedAnswer, [](GameRecord& r) { r.copyUsed = true; },
         [](int r) { return r % 4 == 3; }, {"cat 56"}},
        {"helped without a Copy", VOHelpedAnswer, [](GameRecord&) {}, [](int r) { return r % 4 == 0; }, {"cat 56"}},
        {"choose classmate, one in five", VOChooseClassmate, [](GameRecord&) {}, [](int r) { return r % 5 == 0; },
         {"row 217"}},
        {"choose classmate, otherwise", VOChooseClassmate, [](GameRecord&) {}, [](int r) { return r % 5 == 4; },
         {"cat 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetRecord();
        AskGrade(2);
        SetPlayed(5);
        c.setUp(Record());
        SeedRand(c.rand);
        EXPECT_EQ(Lines(c.builder), c.lines);
    }
}

class VOBoardTest : public VOBuildersTest {
protected:
    // The board remarks, in the order the category hands them out.
    void SetRemarks(const std::vector<int32_t>& ids)
    {
        VOCategory& remarks = Table().GetCategory(Id::kCatBoardRemark);
        std::vector<std::shared_ptr<KVOElem>> rows;
        for (int32_t id : ids) {
            auto it = std::find_if(remarks.rows.begin(), remarks.rows.end(),
                                   [&](const std::shared_ptr<KVOElem>& row) { return row->VOid == id; });
            ASSERT_NE(it, remarks.rows.end()) << id;
            rows.push_back(*it);
        }
        remarks.rows = rows;
        remarks.cursor = 0;
    }
    static void WithRemark() { SeedRand([](int r) { return r % 4 == 0; }); }
};

TEST_F(VOBoardTest, FirstAndLastBoards)
{
    struct Case {
        int32_t played;
        bool honours;
        Strings lines;
    };
    for (const Case& c : {Case{0, false, {"row 258"}}, Case{0, true, {"row 258"}}, Case{10, false, {"cat 9"}},
                          Case{10, true, {}}}) {
        SCOPED_TRACE("played " + std::to_string(c.played) + (c.honours ? " honours" : ""));
        SetPlayed(c.played);
        Record().honours = c.honours;
        EXPECT_EQ(Lines(VOBoard), c.lines);
    }
}

TEST_F(VOBoardTest, OneBoardInFourAddsARemarkThatIsNotTheLastOne)
{
    SetPlayed(3);
    SeedRand([](int r) { return r % 4 == 1; });
    Said plain = Say(VOBoard);
    EXPECT_EQ(plain.lines, Strings{"cat 5"});
    EXPECT_EQ(mShow->GetLastBoardRemark(), 0);

    SetRemarks({31, 32, 33, 34});
    WithRemark();
    Said first = Say(VOBoard);
    EXPECT_EQ(first.lines, (Strings{"cat 5", "cat 3"}));
    ASSERT_TRUE(std::dynamic_pointer_cast<KEvent::eWrapper>(first.event));
    EXPECT_EQ(mShow->GetLastBoardRemark(), 31);

    // The remark at the cursor is the one made last: the next one is taken.
    SetRemarks({33, 34, 31, 32});
    mShow->SetLastBoardRemark(33);
    WithRemark();
    Say(VOBoard);
    EXPECT_EQ(mShow->GetLastBoardRemark(), 34);

    // A new show forgets it.
    mShow->SetRunning(true);
    EXPECT_EQ(mShow->GetLastBoardRemark(), 0);
}

TEST_F(VOBoardTest, TheRemarkRepeatsOnlyWhenNineTriesFindNoOther)
{
    struct Case {
        std::vector<int32_t> order;
        int32_t chosen;
    };
    const Case cases[] = {
        // Eight repeats, then another row on the ninth try: taken.
        {{31, 31, 31, 31, 31, 31, 31, 31, 32}, 32},
        // Nine repeats: the ninth is said again.
        {{31, 31, 31, 31, 31, 31, 31, 31, 31, 32}, 31},
        // The only remark there is.
        {{31}, 31},
    };
    SetPlayed(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.order.size()) + " rows");
        SetRemarks(c.order);
        mShow->SetLastBoardRemark(31);
        WithRemark();
        EXPECT_EQ(Lines(VOBoard), (Strings{"cat 5", "cat 3"}));
        EXPECT_EQ(mShow->GetLastBoardRemark(), c.chosen);
    }
    // No remarks at all: the board's line alone.
    Table().GetCategory(Id::kCatBoardRemark).rows.clear();
    WithRemark();
    EXPECT_EQ(Lines(VOBoard), Strings{"cat 5"});
}

} // namespace
