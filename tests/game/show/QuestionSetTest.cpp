// The game's own question file, assets/questions.xml, read through the
// database as the show reads it: every grade dealable with different
// subjects, every question answerable and its classmates' wrong answers
// filled in, texts the markup shows as written, the pictures the build
// draws, and the voice lines the voice-over questions name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "game/show/AnswerMatch.h"
#include "game/show/MTRandom.h"
#include "game/show/question/QuestionDB.h"
#include "platform/StringTable.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "render/ImageDecode.h"
#include "support/TempFolder.h"

using namespace KQuestion;

namespace {

const std::string kAssets = std::string(QUILLORY_SOURCE_DIR) + "/assets/";

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string Str(const TString& text)
{
    return text.c_str();
}

class QuestionSet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sRandom = new MTRandom();
        sDb = new QuestionDB(*sRandom);
        sDb->Load(TString(("::" + kAssets + "questions.xml").c_str()));
    }
    static void TearDownTestSuite()
    {
        delete sDb;
        delete sRandom;
    }
    std::vector<QBase*> All() const
    {
        std::vector<QBase*> all;
        for (int32_t n = 0; n < sDb->GetCount(); ++n)
            all.push_back(sDb->GetQuestion(n));
        return all;
    }

    static MTRandom* sRandom;
    static QuestionDB* sDb;
};

MTRandom* QuestionSet::sRandom = nullptr;
QuestionDB* QuestionSet::sDb = nullptr;

} // namespace

TEST_F(QuestionSet, TheStringTableNamesTheFileAndEveryElementLoads)
{
    TStringTable table;
    ASSERT_TRUE(table.Load(TString(("::" + kAssets + "strings.xml").c_str())));
    TString name;
    EXPECT_TRUE(table.GetString(name, TString("_QUESTION_DB")));
    EXPECT_EQ(Str(name), "questions.xml");

    // Every question element of the file became a record.
    std::ifstream in(kAssets + "questions.xml", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string raw = text.str();
    size_t elements = 0;
    for (size_t at = raw.find("<type>"); at != std::string::npos; at = raw.find("<type>", at + 1))
        ++elements;
    EXPECT_EQ(size_t(sDb->GetCount()), elements);
}

TEST_F(QuestionSet, EveryGradeIsDealableWithDifferentSubjects)
{
    EXPECT_TRUE(sDb->GetBucket(0).empty());
    std::set<std::string> allSubjects;
    for (int32_t grade = 1; grade <= QuestionDB::kFinalGrade; ++grade) {
        SCOPED_TRACE(grade);
        const std::vector<QBase*>& bucket = sDb->GetBucket(grade);
        EXPECT_GE(bucket.size(), 30u);
        std::map<std::string, int> subjects;
        for (QBase* record : bucket)
            ++subjects[Str(record->subject)];
        EXPECT_GE(subjects.size(), 6u);
        for (const auto& [subject, count] : subjects) {
            allSubjects.insert(subject);
            // no subject fills so much of a bucket that pairs would often share it
            EXPECT_LE(count * 3, int(bucket.size())) << subject;
        }
    }
    const std::set<std::string> want = {"Art", "Geography", "History", "Language", "Math", "Music", "Science"};
    EXPECT_EQ(allSubjects, want);

    for (bool honours : {false, true}) {
        for (uint32_t seed = 1; seed <= 100; ++seed) {
            SCOPED_TRACE(seed);
            MTRandom random;
            random.Seed(seed);
            QuestionDB db(random);
            db.Load(TString(("::" + kAssets + "questions.xml").c_str()));
            std::vector<QBase*> board;
            QBase* final = db.Deal(board, honours);
            ASSERT_EQ(board.size(), 10u);
            ASSERT_NE(final, nullptr);
            EXPECT_EQ(final->grade, 6);
            EXPECT_EQ(std::set<QBase*>(board.begin(), board.end()).size(), 10u);
            for (size_t i = 0; i < board.size(); i += 2)
                EXPECT_NE(board[i]->subject, board[i + 1]->subject);
        }
    }
}

TEST_F(QuestionSet, EveryQuestionIsAnswerableAndHasWrongAnswers)
{
    std::set<std::string> kinds;
    int typedWithAlternates = 0;
    for (QBase* record : All()) {
        SCOPED_TRACE(Str(record->question));
        EXPECT_FALSE(record->question.IsEmpty());
        EXPECT_FALSE(record->explanation.IsEmpty());
        // the classmates' wrong answer, for every type
        EXPECT_FALSE(record->incorrect1.IsEmpty());
        const TString wrong = record->GetWrongAnswer(*sRandom);
        EXPECT_FALSE(wrong.IsEmpty());
        EXPECT_NE(wrong, record->correct);
        if (auto* mult = dynamic_cast<QMult*>(record)) {
            kinds.insert(dynamic_cast<QVoiceOver*>(record) ? "voice" : record->type == 3 ? "picture" : "mult");
            EXPECT_GE(mult->answerCount, 3);
            EXPECT_EQ(std::count(mult->answers.begin(), mult->answers.end(), record->correct), 1);
            std::set<std::string> distinct;
            for (const TString& answer : mult->answers)
                distinct.insert(Str(answer));
            EXPECT_EQ(distinct.size(), mult->answers.size());
        } else if (auto* truth = dynamic_cast<QTrueFalse*>(record)) {
            kinds.insert(record->type == 3 ? "picture true-false" : "true-false");
            EXPECT_TRUE(record->correct == "true" || record->correct == "false");
            EXPECT_EQ(Str(record->incorrect1).size(), truth->answerIsTrue ? 5u : 4u);
        } else if (dynamic_cast<QOpenAnswer*>(record)) {
            kinds.insert("typed");
            // short enough to type into the answer box
            std::vector<TString> accepted = {record->correct};
            for (const TString* alternate : {&record->alternate1, &record->alternate2, &record->alternate3})
                if (!alternate->IsEmpty())
                    accepted.push_back(*alternate);
            typedWithAlternates += accepted.size() > 1;
            for (const TString& answer : accepted)
                EXPECT_LE(answer.Length(), 16u);
            // no wrong answer of a classmate passes for a right one
            for (const TString* incorrect : {&record->incorrect1, &record->incorrect2, &record->incorrect3}) {
                for (const TString& answer : accepted) {
                    if (!incorrect->IsEmpty()) {
                        EXPECT_FALSE(AnswerMatches(*incorrect, answer)) << incorrect->c_str();
                    }
                }
            }
        } else {
            ADD_FAILURE() << "record of no answer kind";
        }
    }
    const std::set<std::string> want = {"mult", "true-false", "picture", "picture true-false", "voice", "typed"};
    EXPECT_EQ(kinds, want);
    EXPECT_GE(typedWithAlternates, 5);
}

// The markup would read '<', '>' and backslashes; the XML reader would drop
// double quotes and read '&' as the start of an entity.
TEST_F(QuestionSet, TextsAreShownAsWritten)
{
    std::ifstream in(kAssets + "questions.xml", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string raw = text.str();
    EXPECT_EQ(raw.find('"'), std::string::npos);
    EXPECT_EQ(raw.find('&'), std::string::npos);
    EXPECT_EQ(raw.find('\\'), std::string::npos);
    for (char c : raw)
        EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << int(c);

    std::set<std::string> questions;
    for (QBase* record : All()) {
        for (const TString* shown : {&record->subject, &record->question, &record->correct, &record->incorrect1,
                                     &record->incorrect2, &record->incorrect3, &record->explanation})
            EXPECT_EQ(Str(*shown).find_first_of("<>\\"), std::string::npos) << shown->c_str();
        // picture questions may share a question, each with its own picture
        EXPECT_TRUE(questions.insert(Str(record->question) + "|" + Str(record->dataField)).second)
            << record->question.c_str();
    }
}

TEST_F(QuestionSet, PicturesAreDrawnByTheBuild)
{
    int pictures = 0;
    for (QBase* record : All()) {
        SCOPED_TRACE(Str(record->question));
        if (record->type != 3) {
            EXPECT_TRUE(record->dataField.IsEmpty());
            continue;
        }
        ++pictures;
        ASSERT_FALSE(record->dataField.IsEmpty());
        const std::string path = std::string(QUILLORY_ASSET_DIR) + "/" + Str(record->dataField) + ".png";
        TDecodedImage image;
        ASSERT_TRUE(DecodePng(TString(("::" + path).c_str()), image)) << path;
        EXPECT_EQ(image.width, 160u);
        EXPECT_EQ(image.height, 160u);
        FreeImage(image.pixels);
    }
    EXPECT_GE(pictures, 20);
}

// A voice-over question names its voice-over row, the row's line
// ("voLine", "vo/questions/q<row>.ogg") and what it says ("voText"); the
// build speaks every line (test_show depends on the voices).
TEST_F(QuestionSet, VoiceOverQuestionsNameTheirLines)
{
    TXmlNode document;
    ASSERT_TRUE(LoadXmlFile(&document, TString(("::" + kAssets + "questions.xml").c_str())));
    std::map<std::string, std::string> spoken, files;
    TXmlNode* questions = document.FindChild(TString("questions"));
    ASSERT_NE(questions, nullptr);
    TString name;
    TXmlNode* element = nullptr;
    questions->BeginChildren();
    while (questions->NextChild(name, element)) {
        TXmlNode* vo = element->FindChild(TString("vo"));
        TXmlNode* said = element->FindChild(TString("voText"));
        TXmlNode* file = element->FindChild(TString("voLine"));
        if (vo) {
            spoken[Str(vo->GetText())] = said ? Str(said->GetText()) : "";
            files[Str(vo->GetText())] = file ? Str(file->GetText()) : "";
        }
    }

    std::set<int32_t> rows;
    for (QBase* record : All()) {
        if (!dynamic_cast<QVoiceOver*>(record)) {
            EXPECT_TRUE(record->vo.IsEmpty()) << record->question.c_str();
            continue;
        }
        SCOPED_TRACE(Str(record->question));
        const int32_t row = ParseQuestionNumber(record->vo);
        EXPECT_GE(row, 9101);
        EXPECT_EQ(std::to_string(row), Str(record->vo));
        EXPECT_TRUE(rows.insert(row).second);
        EXPECT_FALSE(spoken[Str(record->vo)].empty());
        const std::string file = "vo/questions/q" + std::to_string(row) + ".ogg";
        EXPECT_EQ(files[Str(record->vo)], file);
        EXPECT_TRUE(Exists(std::string(QUILLORY_ASSET_DIR) + "/" + file)) << file;
    }
    EXPECT_GE(rows.size(), 10u);
}
