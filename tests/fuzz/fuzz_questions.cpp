// Arbitrary bytes as a question file (plain, or compressed when they begin
// with the magic): loaded by a question database of its own, whose records
// must hold together, and dealt with and without honours.

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "game/show/MTRandom.h"
#include "game/show/question/QuestionDB.h"
#include "platform/AssetNames.h"

using namespace KQuestion;

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

void CheckBoard(const std::vector<QBase*>& board, const QBase* final)
{
    Check(board.size() <= 10);
    Check(std::set<const QBase*>(board.begin(), board.end()).size() == board.size());
    for (const QBase* record : board)
        Check(record->grade >= 1 && record->grade <= 5 && !record->used);
    Check(!final || final->grade == QuestionDB::kFinalGrade);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegisterMemoryFile(TString("fuzz/questions.xml"), data, uint32_t(size));
    MTRandom random;
    random.Seed(size > 0 ? data[0] : 0);
    QuestionDB db(random);
    db.Load(TString("fuzz/questions.xml"));
    RegisterMemoryFile(TString("fuzz/questions.xml"), nullptr, 0);

    size_t filed = 0;
    for (int32_t grade = 0; grade <= QuestionDB::kFinalGrade; ++grade)
        filed += db.GetBucket(grade).size();
    Check(filed == size_t(db.GetCount()));
    for (int32_t n = 0; n < db.GetCount(); ++n) {
        QBase* record = db.GetQuestion(n);
        Check(record && record->number == n && record->grade >= 0 && record->grade <= 6);
        Check(!record->correct.IsEmpty());
        Check(record->question.Length() <= 2 * kMaxFieldLength);
        if (auto* mult = dynamic_cast<QMult*>(record)) {
            Check(mult->answerCount == int32_t(mult->answers.size()));
            Check(mult->answerCount >= 2 && mult->answerCount <= 4);
            bool found = false;
            for (const TString& answer : mult->answers)
                found = found || answer == record->correct;
            Check(found);
        }
        TString label;
        record->GetLabel(label);
        record->GetWrongAnswer(random);
        Check(record->MakeWindow() == nullptr);
    }
    for (bool honours : {false, true}) {
        std::vector<QBase*> board;
        QBase* final = db.Deal(board, honours);
        CheckBoard(board, final);
        db.TakeQuestions(board, 4);
        db.TakeQuestions(board, 4);
        Check(std::set<const QBase*>(board.begin(), board.end()).size() == board.size());
    }
    return 0;
}
