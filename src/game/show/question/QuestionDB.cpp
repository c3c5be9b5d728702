#include "game/show/question/QuestionDB.h"

#include <algorithm>

#include "app/Application.h"
#include "game/show/MTRandom.h"
#include "platform/Log.h"
#include "platform/StringTable.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace KQuestion {

namespace {

QuestionDB* gInstance = nullptr;

bool OnBoard(const std::vector<QBase*>& board, const QBase* record)
{
    return std::find(board.begin(), board.end(), record) != board.end();
}

} // namespace

QuestionDB* QuestionDB::Instance()
{
    if (!gInstance) {
        gInstance = new QuestionDB(*MTRandom::Instance());
        TString fileName("#####");
        TApplication* application = TApplication::Instance();
        if (TStringTable* table = application ? application->GetStringTable() : nullptr)
            table->GetString(fileName, TString("_QUESTION_DB"));
        else
            WriteLog("Questions: no string table names the question file");
        gInstance->Load(fileName);
    }
    return gInstance;
}

void QuestionDB::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

QuestionDB* QuestionDB::Install(std::unique_ptr<QuestionDB> db)
{
    Destroy();
    gInstance = db.release();
    return gInstance;
}

QuestionDB::QuestionDB(MTRandom& random) : mRandom(random)
{
    for (int32_t grade = 0; grade <= kFinalGrade; ++grade) {
        mBuckets[grade];
        mCursors[grade] = 0;
    }
}

QuestionDB::~QuestionDB() = default;

void QuestionDB::Load(const TString& fileName)
{
    TXmlNode document;
    if (!LoadXmlFile(&document, fileName)) {
        WriteLog("Questions: %s does not open; no questions", fileName.c_str());
        return;
    }
    const int32_t before = GetCount();
    ReadDocument(document);
    WriteLog("Questions: %d read from %s", GetCount() - before, fileName.c_str());
    ShuffleAll();
}

void QuestionDB::ReadDocument(TXmlNode& document)
{
    TXmlNode* level = &document;
    level->BeginChildren();
    TString name;
    TXmlNode* child = nullptr;
    while (level->NextChild(name, child)) {
        if (name == "questions") {
            // The rest of the level left behind is not read.
            level = child;
            level->BeginChildren();
        } else if (name == "question") {
            if (std::unique_ptr<QBase> record = CreateQuestion(*child, mRandom))
                Add(std::move(record));
        }
    }
}

void QuestionDB::Add(std::unique_ptr<QBase> record)
{
    record->number = int32_t(mQuestions.size());
    mBuckets[record->grade].push_back(record.get());
    mQuestions.push_back(std::move(record));
}

void QuestionDB::ShuffleAll()
{
    for (int32_t grade = 0; grade <= kFinalGrade; ++grade) {
        mRandom.Shuffle(mBuckets[grade]);
        mCursors[grade] = 0;
    }
}

QBase* QuestionDB::NextQuestion(int32_t grade)
{
    auto found = mBuckets.find(grade);
    if (found == mBuckets.end() || found->second.empty())
        return nullptr;
    std::vector<QBase*>& bucket = found->second;
    size_t& cursor = mCursors[grade];
    if (cursor >= bucket.size()) {
        mRandom.Shuffle(bucket);
        cursor = 0;
    }
    QBase* record = bucket[cursor++];
    record->used = false;
    return record;
}

bool QuestionDB::PrepareCursor(int32_t grade, const std::vector<QBase*>& board, const QBase* first)
{
    std::vector<QBase*>& bucket = mBuckets[grade];
    size_t& cursor = mCursors[grade];
    const size_t n = bucket.size();
    if (cursor >= n) {
        mRandom.Shuffle(bucket);
        cursor = 0;
    }
    const bool fresh = std::any_of(bucket.begin(), bucket.end(), [&](QBase* q) { return !OnBoard(board, q); });
    // Swap later records to the cursor: past a record already dealt to this
    // board (while the bucket has another), and past the first pick's
    // subject for at most four swaps. The partner walks on from the cursor
    // and wraps to the start, so every record comes by within n steps.
    // Only the swaps made for the subject count towards the four.
    size_t partner = cursor + 1;
    int subjectSwaps = 0;
    for (size_t step = 0; step < 4 + 2 * n; ++step) {
        const QBase* at = bucket[cursor];
        const bool repeat = fresh && OnBoard(board, at);
        const bool sameSubject = first && subjectSwaps < 4 && at->subject == first->subject;
        if (!repeat && !sameSubject)
            break;
        if (partner >= n)
            partner = 0;
        std::swap(bucket[cursor], bucket[partner]);
        ++partner;
        if (!repeat)
            ++subjectSwaps;
    }
    return !OnBoard(board, bucket[cursor]);
}

void QuestionDB::TakeQuestions(std::vector<QBase*>& board, int32_t grade)
{
    auto found = mBuckets.find(grade);
    if (found == mBuckets.end() || found->second.empty())
        return;
    std::vector<QBase*>& bucket = found->second;
    size_t& cursor = mCursors[grade];
    QBase* first = nullptr;
    for (int pick = 0; pick < 2; ++pick) {
        if (pick == 1 && bucket.size() == 1)
            return;
        if (!PrepareCursor(grade, board, first)) {
            WriteLog("Questions: grade %d has no question left for this board", grade);
            return;
        }
        QBase* record = bucket[cursor++];
        record->used = false;
        board.push_back(record);
        first = record;
    }
}

QBase* QuestionDB::Deal(std::vector<QBase*>& board, bool honours)
{
    board.clear();
    ShuffleAll();
    static const int32_t kPlain[] = {1, 2, 3, 4, 5};
    static const int32_t kHonours[] = {4, 4, 4, 5, 5};
    for (int32_t grade : honours ? kHonours : kPlain)
        TakeQuestions(board, grade);
    return NextQuestion(kFinalGrade);
}

QBase* QuestionDB::GetQuestion(int32_t number) const
{
    if (number < 0 || number >= GetCount())
        return nullptr;
    return mQuestions[size_t(number)].get();
}

const std::vector<QBase*>& QuestionDB::GetBucket(int32_t grade) const
{
    static const std::vector<QBase*> kEmpty;
    auto found = mBuckets.find(grade);
    return found == mBuckets.end() ? kEmpty : found->second;
}

} // namespace KQuestion
