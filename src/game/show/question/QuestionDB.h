#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "game/show/question/Question.h"
#include "platform/TString.h"

class MTRandom;
class TXmlNode;

namespace KQuestion {

// Every question of the question file, numbered in file order, filed by
// grade (0 to 6; 6 holds the final questions). Each grade's bucket is dealt
// from a cursor and reshuffled whenever the cursor reaches its end. Main
// thread only.
class QuestionDB {
public:
    static constexpr int32_t kFinalGrade = 6;

    // The game's database, loading the file that the string-table label
    // "_QUESTION_DB" names on the first call.
    static QuestionDB* Instance();
    // Deletes it; nothing when there is none.
    static void Destroy();
    // Makes db the game's database (the one before is deleted).
    static QuestionDB* Install(std::unique_ptr<QuestionDB> db);

    // An empty database with buckets for grades 0 to 6, drawing from random.
    explicit QuestionDB(MTRandom& random);
    ~QuestionDB();
    QuestionDB(const QuestionDB&) = delete;
    QuestionDB& operator=(const QuestionDB&) = delete;

    // Reads an asset (plain or compressed XML) and then shuffles every
    // bucket. A file that does not open leaves the database as it was.
    void Load(const TString& fileName);
    // Files the questions of a loaded document (without shuffling).
    void ReadDocument(TXmlNode& document);

    // Shuffles each bucket, grades 0 to 6 in turn, and puts its cursor at
    // the start.
    void ShuffleAll();
    // The record at the grade's cursor (its used flag cleared), or null for
    // an empty bucket.
    QBase* NextQuestion(int32_t grade);
    // Appends one or two records of the grade to the board, the second of
    // another subject when a few swaps find one. A record already on the
    // board is never appended again: when the bucket holds no other, that
    // pick is left out.
    void TakeQuestions(std::vector<QBase*>& board, int32_t grade);
    // A new show's board (grades 1 to 5, or with honours 4, 4, 4, 5, 5,
    // after ShuffleAll); returns the final question, null when there is none.
    QBase* Deal(std::vector<QBase*>& board, bool honours);

    // A record by its number, for saved games; null when out of range.
    QBase* GetQuestion(int32_t number) const;
    int32_t GetCount() const { return int32_t(mQuestions.size()); }
    // The bucket of a grade (empty for a grade without one).
    const std::vector<QBase*>& GetBucket(int32_t grade) const;

private:
    void Add(std::unique_ptr<QBase> record);
    // Brings a record that is not on the board (and, for a second pick, not
    // of the first pick's subject while fewer than four swaps were made) to
    // the cursor. False when every record of the bucket is on the board.
    bool PrepareCursor(int32_t grade, const std::vector<QBase*>& board, const QBase* first);

    MTRandom& mRandom;
    std::vector<std::unique_ptr<QBase>> mQuestions;
    std::map<int32_t, std::vector<QBase*>> mBuckets;
    std::map<int32_t, size_t> mCursors;
};

} // namespace KQuestion
