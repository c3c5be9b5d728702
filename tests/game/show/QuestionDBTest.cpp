// The question database: what the loader makes of question elements and
// documents, the records' answers, wrong answers and labels, and dealing a
// show's board from the grade buckets, with small buckets and bad files.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "game/show/MTRandom.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "support/TempFolder.h"

using namespace KQuestion;

namespace {

std::string Fixture(const std::string& name)
{
    return "::" + std::string(QUILLORY_TEST_DATA) + "/questions/" + name;
}

// A question element from the children's markup.
std::string Element(const std::string& children)
{
    return "<question>" + children + "</question>";
}

std::unique_ptr<QBase> Create(const std::string& children, uint32_t seed = 1)
{
    TXmlNode root;
    const std::string text = Element(children);
    ParseXmlText(&root, text.data(), text.size());
    TXmlNode* element = root.FindChild(TString("question"));
    EXPECT_NE(element, nullptr);
    MTRandom random;
    random.Seed(seed);
    return element ? CreateQuestion(*element, random) : nullptr;
}

const char* Kind(const QBase* record)
{
    if (!record)
        return "none";
    if (dynamic_cast<const QVoiceOver*>(record))
        return "voice";
    if (dynamic_cast<const QMult*>(record))
        return "mult";
    if (dynamic_cast<const QTrueFalse*>(record))
        return "truefalse";
    if (dynamic_cast<const QOpenAnswer*>(record))
        return "open";
    return "base";
}

// The database's records as "number:question" in number order.
std::string Numbers(const QuestionDB& db)
{
    std::string out;
    for (int32_t n = 0; n < db.GetCount(); ++n)
        out += (n ? " " : "") + std::to_string(db.GetQuestion(n)->number) + ":" +
               db.GetQuestion(n)->question.c_str();
    return out;
}

std::string Sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + items[i];
    return out;
}

std::vector<std::string> Texts(const std::vector<TString>& texts)
{
    std::vector<std::string> out;
    for (const TString& text : texts)
        out.push_back(text.c_str());
    return out;
}

} // namespace

// Which record each element becomes, and what it holds.
TEST(QuestionRecord, TypesAndTheirFields)
{
    struct Case {
        const char* children;
        const char* kind;
        const char* correct;
        const char* answers; // sorted; multiple choice only
        int answerIsTrue;    // true or false only; -1 otherwise
    };
    static const Case cases[] = {
        {"<type>1</type><correct>Cat</correct><incorrect1>Dog</incorrect1><incorrect2>Cow</incorrect2>"
         "<incorrect3>Pig</incorrect3>",
         "mult", "Cat", "Cat,Cow,Dog,Pig", -1},
        // an empty incorrect2 leaves a gap that incorrect3 does not fill
        {"<type>1</type><correct>Cat</correct><incorrect1>Dog</incorrect1><incorrect3>Pig</incorrect3>", "mult",
         "Cat", "Cat,Dog,Pig", -1},
        // correct and incorrect1 are options even when empty
        {"<type>1</type><correct>Cat</correct>", "mult", "Cat", ",Cat", -1},
        {"<type>2</type><correct>True</correct><incorrect1>x</incorrect1>", "truefalse", "true", "", 1},
        {"<type>2</type><correct>TRUE</correct>", "truefalse", "true", "", 1},
        {"<type>2</type><correct>False</correct>", "truefalse", "false", "", 0},
        {"<type>2</type><correct>yes</correct>", "truefalse", "yes", "", 0},
        // a picture question with two answers is true or false, with more multiple choice
        {"<type>3</type><dataField>p/a</dataField><correct>True</correct><incorrect1>False</incorrect1>", "truefalse",
         "true", "", 1},
        {"<type>3</type><correct>3</correct><incorrect1>4</incorrect1><incorrect2>5</incorrect2>", "mult", "3",
         "3,4,5", -1},
        {"<type>3</type><correct>3</correct><incorrect1>4</incorrect1><incorrect2>5</incorrect2>"
         "<incorrect3>6</incorrect3>",
         "mult", "3", "3,4,5,6", -1},
        {"<type>5</type><vo>9001</vo><correct>Piano</correct><incorrect1>Drum</incorrect1>", "voice", "Piano",
         "Drum,Piano", -1},
        // typed answers are lower-cased, their alternates are not
        {"<type>6</type><correct>Paris</correct><alternate1>PARee</alternate1>", "open", "paris", "", -1},
        // atoi's reading of the type
        {"<type> +6 apples</type><correct>x</correct>", "open", "x", "", -1},
        // a later child of the same name replaces the earlier one
        {"<type>1</type><correct>A</correct><correct>B</correct><incorrect1>C</incorrect1>", "mult", "B", "B,C", -1},
        // types the show does not ask, and elements it cannot use
        {"<type>4</type><correct>x</correct>", "none", "", "", -1},
        {"<type>0</type><correct>x</correct>", "none", "", "", -1},
        {"<type>seven</type><correct>x</correct>", "none", "", "", -1},
        {"<type>99999999999999999999</type><correct>x</correct>", "none", "", "", -1},
        {"<correct>x</correct><grade>1</grade>", "none", "", "", -1},
        {"<type>1</type><grade>7</grade><correct>x</correct>", "none", "", "", -1},
        {"<type>1</type><grade>-1</grade><correct>x</correct>", "none", "", "", -1},
        {"<type>1</type><grade>4294967297</grade><correct>x</correct>", "none", "", "", -1},
        {"<type>1</type><question>no answer</question><incorrect1>b</incorrect1>", "none", "", "", -1},
        // the type is an element, not an attribute
        {"<type value='1'/><correct>x</correct>", "none", "", "", -1},
    };
    TTempLogFolder log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.children);
        std::unique_ptr<QBase> record = Create(c.children);
        EXPECT_STREQ(Kind(record.get()), c.kind);
        if (!record)
            continue;
        EXPECT_EQ(std::string(record->GetCorrect().c_str()), c.correct);
        if (auto* mult = dynamic_cast<QMult*>(record.get())) {
            EXPECT_EQ(Sorted(Texts(mult->answers)), c.answers);
            EXPECT_EQ(mult->answerCount, int32_t(mult->answers.size()));
        }
        if (auto* truth = dynamic_cast<QTrueFalse*>(record.get())) {
            EXPECT_EQ(int(truth->answerIsTrue), c.answerIsTrue);
        }
    }
    EXPECT_GE(log.Count("skipped"), 9);
}

TEST(QuestionRecord, EveryFieldIsReadFromItsChild)
{
    std::unique_ptr<QBase> record = Create(
        "<type>6</type><grade>3</grade><subject>Science</subject><question>Q?</question><correct>Water</correct>"
        "<incorrect1>i1</incorrect1><incorrect2>i2</incorrect2><incorrect3>i3</incorrect3>"
        "<alternate1>a1</alternate1><alternate2>A2</alternate2><alternate3>a3</alternate3>"
        "<explanation>Because.</explanation><dataField>pictures/x</dataField><vo>12</vo>"
        "<explanation_vo>vo/e.ogg</explanation_vo><unknown>ignored</unknown>");
    ASSERT_NE(record, nullptr);
    const std::vector<std::string> got = {
        std::to_string(record->type), std::to_string(record->grade), record->subject.c_str(),
        record->question.c_str(), record->correct.c_str(), record->incorrect1.c_str(),
        record->incorrect2.c_str(), record->incorrect3.c_str(), record->alternate1.c_str(),
        record->alternate2.c_str(), record->alternate3.c_str(), record->explanation.c_str(),
        record->dataField.c_str(), record->vo.c_str(), record->explanation_vo.c_str()};
    const std::vector<std::string> want = {"6", "3", "Science", "Q?", "water", "i1", "i2", "i3", "a1", "A2",
                                           "a3", "Because.", "pictures/x", "12", "vo/e.ogg"};
    EXPECT_EQ(got, want);
    EXPECT_FALSE(record->used);
    EXPECT_EQ(record->number, 0);
}

// Texts from the file are plain text: markup characters in what is shown
// are escaped, names and typed alternates are left alone; an overlong text
// refuses the element.
TEST(QuestionRecord, MarkupCharactersAndOverlongTexts)
{
    TTempLogFolder log;
    std::unique_ptr<QBase> record =
        Create("<type>1</type><subject>A&lt;B</subject><question>Is 2 &gt; 1? Use &lt;b&gt; here</question>"
               "<correct>a\\b</correct><incorrect1>&lt;br&gt;</incorrect1><alternate1>&lt;x</alternate1>"
               "<dataField>pic&lt;1</dataField>");
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->subject.c_str(), "A\\<B");
    EXPECT_STREQ(record->question.c_str(), "Is 2 \\> 1? Use \\<b\\> here");
    EXPECT_STREQ(record->correct.c_str(), "a\\\\b");
    EXPECT_STREQ(record->incorrect1.c_str(), "\\<br\\>");
    EXPECT_STREQ(record->alternate1.c_str(), "<x");
    EXPECT_STREQ(record->dataField.c_str(), "pic<1");
    // the options are the escaped texts, so the correct one is still among them
    auto* mult = dynamic_cast<QMult*>(record.get());
    ASSERT_NE(mult, nullptr);
    EXPECT_NE(std::find(mult->answers.begin(), mult->answers.end(), record->correct), mult->answers.end());
    EXPECT_GE(log.Count("markup"), 4);

    const std::string longest(kMaxFieldLength, 'x');
    EXPECT_NE(Create("<type>1</type><correct>a</correct><question>" + longest + "</question>"), nullptr);
    EXPECT_EQ(Create("<type>1</type><correct>a</correct><question>" + longest + "y</question>"), nullptr);
    EXPECT_EQ(Create("<type>2</type><correct>true</correct><explanation>" + longest + "y</explanation>"), nullptr);
    EXPECT_TRUE(log.Has("longer than"));
}

// Multiple-choice answers are a shuffle of the options, different for
// different draws; true or false and typed answers draw nothing.
TEST(QuestionRecord, AnswersAreShuffledOptions)
{
    std::set<std::string> orders;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::unique_ptr<QBase> record = Create(
            "<type>5</type><correct>A</correct><incorrect1>B</incorrect1><incorrect2>C</incorrect2>"
            "<incorrect3>D</incorrect3>",
            seed);
        auto* mult = dynamic_cast<QMult*>(record.get());
        ASSERT_NE(mult, nullptr);
        std::string order;
        for (const TString& answer : mult->answers)
            order += answer.c_str();
        EXPECT_EQ(Sorted({order.substr(0, 1), order.substr(1, 1), order.substr(2, 1), order.substr(3, 1)}),
                  "A,B,C,D");
        orders.insert(order);
    }
    EXPECT_GT(orders.size(), 10u);
}

TEST(QuestionRecord, WrongAnswers)
{
    struct Case {
        const char* children;
        const char* possible; // sorted set of what comes back
    };
    static const Case cases[] = {
        {"<incorrect1>a</incorrect1><incorrect2>b</incorrect2><incorrect3>c</incorrect3>", "a,b,c"},
        {"<incorrect1>a</incorrect1><incorrect3>c</incorrect3>", "a,c"},
        {"<incorrect2>b</incorrect2>", "b"},
        // no wrong answer at all: an empty text, never a division by zero
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.children);
        std::unique_ptr<QBase> record = Create(std::string("<type>6</type><correct>x</correct>") + c.children);
        ASSERT_NE(record, nullptr);
        MTRandom random;
        std::set<std::string> seen;
        for (int i = 0; i < 60; ++i)
            seen.insert(record->GetWrongAnswer(random).c_str());
        EXPECT_EQ(Sorted({seen.begin(), seen.end()}), c.possible);
    }
    // with none to choose from, no word is drawn
    std::unique_ptr<QBase> none = Create("<type>2</type><correct>true</correct>");
    MTRandom a, b;
    none->GetWrongAnswer(a);
    EXPECT_EQ(a.NextWord(), b.NextWord());
}

TEST(QuestionRecord, BoardLabels)
{
    struct Case {
        int grade;
        const char* label;
    };
    static const Case cases[] = {
        {0, "0th Grade Art"}, {1, "1st Grade Art"}, {2, "2nd Grade Art"}, {3, "3rd Grade Art"},
        {4, "4th Grade Art"}, {5, "5th Grade Art"}, {6, "5th Grade Art"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QBase> record = Create("<type>1</type><correct>x</correct><subject>Art</subject><grade>" +
                                               std::to_string(c.grade) + "</grade>");
        ASSERT_NE(record, nullptr);
        TString label;
        record->GetLabel(label);
        EXPECT_STREQ(label.c_str(), c.label);
    }
}

TEST(QuestionRecord, EachKindAsksForItsAnswerWindow)
{
    static AnswerWindowKind asked;
    static int calls;
    calls = 0;
    for (AnswerWindowKind kind : {AnswerWindowKind::kMult, AnswerWindowKind::kVoiceOver,
                                  AnswerWindowKind::kTrueFalse, AnswerWindowKind::kOpenAnswer})
        SetAnswerWindowMaker(kind, [](QBase&) -> TWindow* {
            ++calls;
            return nullptr;
        });
    SetAnswerWindowMaker(AnswerWindowKind::kTrueFalse, [](QBase&) -> TWindow* {
        asked = AnswerWindowKind::kTrueFalse;
        return nullptr;
    });
    SetAnswerWindowMaker(AnswerWindowKind::kVoiceOver, [](QBase&) -> TWindow* {
        asked = AnswerWindowKind::kVoiceOver;
        return nullptr;
    });
    Create("<type>1</type><correct>x</correct>")->MakeWindow();
    Create("<type>6</type><correct>x</correct>")->MakeWindow();
    EXPECT_EQ(calls, 2);
    Create("<type>3</type><correct>true</correct><incorrect1>false</incorrect1>")->MakeWindow();
    EXPECT_EQ(asked, AnswerWindowKind::kTrueFalse);
    Create("<type>5</type><correct>x</correct>")->MakeWindow();
    EXPECT_EQ(asked, AnswerWindowKind::kVoiceOver);
    // without a maker there is no window, and a log line
    TTempLogFolder log;
    for (AnswerWindowKind kind : {AnswerWindowKind::kMult, AnswerWindowKind::kVoiceOver,
                                  AnswerWindowKind::kTrueFalse, AnswerWindowKind::kOpenAnswer})
        SetAnswerWindowMaker(kind, nullptr);
    EXPECT_EQ(Create("<type>1</type><correct>x</correct>")->MakeWindow(), nullptr);
    EXPECT_TRUE(log.Has("no multiple choice answer window"));
}

// The top-level walk: "questions" is entered and the level it leaves is not
// read further; unknown elements and refused questions take no number.
TEST(QuestionDatabase, DocumentWalk)
{
    const std::string a = Element("<type>1</type><question>a</question><correct>x</correct>");
    const std::string b = Element("<type>2</type><question>b</question><correct>true</correct>");
    const std::string c = Element("<type>6</type><question>c</question><correct>x</correct>");
    const std::string bad = Element("<type>4</type><question>bad</question><correct>x</correct>");
    const std::string cases[][2] = {
        {"<questions>" + a + b + "</questions>", "0:a 1:b"},
        {a + "<questions>" + b + "</questions>" + c, "0:a 1:b"},
        {"<questions>" + a + "<questions>" + b + "</questions>" + c + "</questions>", "0:a 1:b"},
        {"<questions>" + a + bad + "<note>" + b + "</note>" + c + "</questions>", "0:a 1:c"},
        {"<Questions>" + a + "</Questions>" + "<Question>" + b + "</Question>" + c, "0:c"},
        {"<quiz><questions>" + a + "</questions></quiz>", ""},
        {"", ""},
    };
    TTempLogFolder log;
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        TXmlNode document;
        ParseXmlText(&document, c[0].data(), c[0].size());
        MTRandom random;
        QuestionDB db(random);
        db.ReadDocument(document);
        EXPECT_EQ(Numbers(db), c[1]);
    }
}

TEST(QuestionDatabase, FilesPlainCompressedDamagedAndMissing)
{
    TTempLogFolder log;
    struct Case {
        const char* file;
        int minCount;
        int maxCount;
        const char* logged;
    };
    static const Case cases[] = {
        {"deal.xml", 29, 29, "Questions: 29 read"},
        {"deal.zxml", 29, 29, "Questions: 29 read"},
        {"damaged.zxml", 0, 28, "damaged.zxml"},
        {"no-such-file.xml", 0, 0, "does not open"},
        {"#####", 0, 0, "does not open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        log.Restart();
        MTRandom random;
        QuestionDB db(random);
        db.Load(TString(c.file[0] == '#' ? c.file : Fixture(c.file).c_str()));
        EXPECT_GE(db.GetCount(), c.minCount);
        EXPECT_LE(db.GetCount(), c.maxCount);
        EXPECT_TRUE(log.Has(c.logged)) << log.Text();
        int filed = 0;
        for (int32_t grade = 0; grade <= QuestionDB::kFinalGrade; ++grade)
            filed += int(db.GetBucket(grade).size());
        EXPECT_EQ(filed, db.GetCount());
        // an empty or partial database still deals without a fault
        std::vector<QBase*> board;
        QBase* final = db.Deal(board, false);
        EXPECT_LE(board.size(), 10u);
        if (db.GetCount() == 0) {
            EXPECT_TRUE(board.empty());
            EXPECT_EQ(final, nullptr);
        }
    }
    MTRandom random;
    QuestionDB db(random);
    db.Load(TString(Fixture("deal.xml").c_str()));
    EXPECT_EQ(db.GetQuestion(-1), nullptr);
    EXPECT_EQ(db.GetQuestion(29), nullptr);
    EXPECT_EQ(db.GetQuestion(28)->number, 28);
    EXPECT_STREQ(db.GetQuestion(28)->question.c_str(), "g0");
}

// A show's board: two of each grade in grade order (honours: three pairs of
// grade 4, two of grade 5), of different subjects whenever the bucket has
// another within reach, never one record twice, the final from grade 6.
TEST(QuestionDatabase, DealingABoard)
{
    struct Case {
        bool honours;
        std::vector<int32_t> grades;
    };
    const Case cases[] = {
        {false, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5}},
        {true, {4, 4, 4, 4, 4, 4, 5, 5, 5, 5}},
    };
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed <= 200; ++seed) {
            SCOPED_TRACE(seed);
            MTRandom random;
            random.Seed(seed);
            QuestionDB db(random);
            db.Load(TString(Fixture("deal.xml").c_str()));
            for (int32_t n = 0; n < db.GetCount(); ++n)
                db.GetQuestion(n)->used = true;
            std::vector<QBase*> board;
            QBase* final = db.Deal(board, c.honours);
            ASSERT_NE(final, nullptr);
            EXPECT_EQ(final->grade, 6);
            EXPECT_FALSE(final->used);
            std::vector<int32_t> grades;
            for (QBase* record : board) {
                grades.push_back(record->grade);
                EXPECT_FALSE(record->used);
            }
            EXPECT_EQ(grades, c.grades);
            EXPECT_EQ(std::set<QBase*>(board.begin(), board.end()).size(), board.size());
            for (size_t i = 0; i + 1 < board.size(); i += 2)
                EXPECT_NE(board[i]->subject, board[i + 1]->subject) << board[i]->question.c_str();
        }
    }
}

// Buckets too small for the board: one record gives one question; a bucket
// the honours board would deal six times gives each of its records once.
TEST(QuestionDatabase, SmallBucketsNeverDealARecordTwice)
{
    TTempLogFolder log;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        MTRandom random;
        random.Seed(seed);
        QuestionDB db(random);
        db.Load(TString(Fixture("small.xml").c_str()));
        std::vector<QBase*> board;
        EXPECT_EQ(db.Deal(board, false), nullptr);
        ASSERT_EQ(board.size(), 3u);
        EXPECT_STREQ(board[0]->question.c_str(), "only");
        EXPECT_NE(board[1], board[2]);

        board.clear();
        db.Deal(board, true);
        ASSERT_EQ(board.size(), 3u);
        EXPECT_EQ(std::set<QBase*>(board.begin(), board.end()).size(), 3u);
    }
    EXPECT_TRUE(log.Has("grade 4 has no question left for this board"));
}

// Taking pairs straight from a bucket, as a board without a new shuffle
// does: the partner walk wraps to the bucket's start and must not bring
// back the first pick, nor a record taken for the same board.
TEST(QuestionDatabase, PairsFromOneBucketAcrossReshuffles)
{
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        MTRandom random;
        random.Seed(seed);
        QuestionDB db(random);
        db.Load(TString(Fixture("deal.xml").c_str()));
        std::vector<QBase*> board;
        for (int round = 0; round < 3; ++round) {
            size_t before = board.size();
            db.TakeQuestions(board, 4); // six records of six subjects
            ASSERT_EQ(board.size(), before + 2);
            EXPECT_NE(board[before]->subject, board[before + 1]->subject);
        }
        EXPECT_EQ(std::set<QBase*>(board.begin(), board.end()).size(), 6u);
        // a fourth pair would need a seventh record: nothing is dealt twice
        db.TakeQuestions(board, 4);
        EXPECT_EQ(board.size(), 6u);
    }
}

// Dealing one by one walks the whole bucket before any record comes again.
TEST(QuestionDatabase, NextQuestionWalksTheBucketThenReshuffles)
{
    MTRandom random;
    random.Seed(7);
    QuestionDB db(random);
    db.Load(TString(Fixture("deal.xml").c_str()));
    EXPECT_EQ(db.NextQuestion(9), nullptr);
    std::set<std::string> firstOrders;
    for (int cycle = 0; cycle < 6; ++cycle) {
        std::vector<std::string> seen;
        std::string order;
        for (int i = 0; i < 5; ++i) {
            QBase* record = db.NextQuestion(2);
            ASSERT_NE(record, nullptr);
            seen.push_back(record->question.c_str());
            order += seen.back() + ";";
        }
        EXPECT_EQ(Sorted(seen), "g2 art,g2 math,g2 music,g2 science,g2 science b");
        firstOrders.insert(order);
    }
    EXPECT_GT(firstOrders.size(), 1u);
}

TEST(QuestionDatabase, InstanceWithoutAStringTableIsEmpty)
{
    TTempLogFolder log;
    QuestionDB::Destroy();
    QuestionDB* db = QuestionDB::Instance();
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(QuestionDB::Instance(), db);
    EXPECT_EQ(db->GetCount(), 0);
    std::vector<QBase*> board;
    EXPECT_EQ(db->Deal(board, false), nullptr);
    EXPECT_TRUE(board.empty());
    EXPECT_TRUE(log.Has("no string table names the question file"));
    QuestionDB::Destroy();
    QuestionDB::Destroy();
    MTRandom::Destroy();
}
