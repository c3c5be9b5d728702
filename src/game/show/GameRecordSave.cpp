// The saved show: the record as a flat file of little-endian 32-bit integers
// and one-byte flags in the player's "saves" folder (docs/saves.md).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>

#include "game/show/GameRecord.h"
#include "game/show/GameSettings.h"
#include "game/show/cast/KChild.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/states/StateSupport.h"
#include "platform/AssetNames.h"
#include "platform/File.h"
#include "platform/FileData.h"
#include "platform/Log.h"
#include "platform/ReplaceFile.h"

namespace {

constexpr const char* kSaveFolder = "user:saves/";
// Players' file names have their blanks made "_" and the fallback is one
// blank and 16 digits, so no player's file ends in this.
constexpr const char* kTempSuffix = " tmp";
constexpr const char* kRemovedCharacters = "?\\/:;'\"(){}[]*<>|";
// Longer safe names take the fallback, so that every name fits a file name.
constexpr uint32_t kMaxNameBytes = 200;

// A board holds ten questions; more than this is no file of ours.
constexpr int32_t kMaxBoard = 64;
constexpr int32_t kMaxClassmates = int32_t(Quillory::KChildManager::kMaxClassmates);
// A show starts with one help of each kind and only spends them.
constexpr int32_t kMaxHelps = 1;
// Fields 1 to 14, N, the final and current question, M and the classmate.
constexpr uint32_t kFixedBytes = 5 * 4 + 8 + 4 + 4 + 2 * 4 + 4 + 4;
constexpr uint32_t kBoardEntryBytes = 5;
constexpr uint32_t kMaxFileBytes = kFixedBytes + kMaxBoard * kBoardEntryBytes + kMaxClassmates;

// What a file holds, read and checked before any of it reaches the record.
struct SavedShow {
    int32_t saveCount = 0, peekCount = 0, copyCount = 0;
    int32_t state = 0, previousState = 0;
    bool answerCorrect = false, helpUsed = false, saveUsed = false, peekUsed = false, copyUsed = false;
    bool lost = false, honours = false, mainMenuButtonShown = false;
    int32_t correctCount = 0;
    std::vector<int32_t> boardNumbers;
    std::vector<bool> boardUsed;
    int32_t finalNumber = -1, currentNumber = -1;
    std::vector<bool> classmateUsed;
    int32_t classmateIndex = -1;
};

class ByteWriter {
public:
    void Int32(int32_t value)
    {
        const uint32_t bits = uint32_t(value);
        for (int shift = 0; shift < 32; shift += 8)
            mBytes.push_back(uint8_t(bits >> shift));
    }
    void Flag(bool value) { mBytes.push_back(value ? 1 : 0); }
    const std::vector<uint8_t>& Bytes() const { return mBytes; }

private:
    std::vector<uint8_t> mBytes;
};

// Every read fails once the bytes run out; a flag must be 0 or 1.
class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& bytes) : mBytes(bytes) {}
    bool Int32(int32_t& value)
    {
        if (Left() < 4)
            return false;
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= uint32_t(mBytes[mAt++]) << (8 * i);
        value = int32_t(bits);
        return true;
    }
    bool Flag(bool& value)
    {
        if (Left() < 1 || mBytes[mAt] > 1)
            return false;
        value = mBytes[mAt++] != 0;
        return true;
    }
    size_t Left() const { return mBytes.size() - mAt; }

private:
    const std::vector<uint8_t>& mBytes;
    size_t mAt = 0;
};

bool InRange(int32_t value, int32_t low, int32_t high)
{
    return value >= low && value <= high;
}

// The board position of a question number, or -1.
int32_t OnBoard(const SavedShow& show, int32_t number)
{
    for (size_t i = 0; i < show.boardNumbers.size(); ++i)
        if (show.boardNumbers[i] == number)
            return int32_t(i);
    return -1;
}

// Fields 1 to 14, the helps, the state and the flags.
const char* ParseHead(ByteReader& in, SavedShow& show)
{
    if (!in.Int32(show.saveCount) || !in.Int32(show.peekCount) || !in.Int32(show.copyCount) ||
        !in.Int32(show.state) || !in.Int32(show.previousState))
        return "it ends in the helps or the state";
    if (!InRange(show.saveCount, 0, kMaxHelps) || !InRange(show.peekCount, 0, kMaxHelps) ||
        !InRange(show.copyCount, 0, kMaxHelps))
        return "a help count is out of range";
    // Shows are saved at the board only.
    if (show.state != KShow::kQuestionBoard || show.previousState != KShow::kQuestionBoard)
        return "the state is not the board";
    if (!in.Flag(show.answerCorrect) || !in.Flag(show.helpUsed) || !in.Flag(show.saveUsed) ||
        !in.Flag(show.peekUsed) || !in.Flag(show.copyUsed) || !in.Flag(show.lost) || !in.Flag(show.honours) ||
        !in.Flag(show.mainMenuButtonShown))
        return "a flag is missing or neither 0 nor 1";
    if (!in.Int32(show.correctCount))
        return "it ends before the board";
    return nullptr;
}

// Fields 15 to 18: the board, the final and the current question.
const char* ParseQuestions(ByteReader& in, SavedShow& show)
{
    int32_t count = 0;
    if (!in.Int32(count))
        return "it ends before the board";
    if (!InRange(count, 0, kMaxBoard))
        return "the board size is out of range";
    int32_t played = 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t number = 0;
        bool used = false;
        if (!in.Int32(number) || !in.Flag(used))
            return "it ends inside the board";
        if (number < 0)
            return "a board question number is negative";
        if (OnBoard(show, number) >= 0)
            return "a question is twice on the board";
        show.boardNumbers.push_back(number);
        show.boardUsed.push_back(used);
        played += used ? 1 : 0;
    }
    // Every right answer was to a board question already played.
    if (!InRange(show.correctCount, 0, played))
        return "the right-answer count is out of range";
    if (!in.Int32(show.finalNumber) || !in.Int32(show.currentNumber))
        return "it ends before the classmates";
    if (show.finalNumber < -1 || show.currentNumber < -1)
        return "the final or current question number is out of range";
    if (OnBoard(show, show.finalNumber) >= 0)
        return "the final question is on the board";
    // At the board the current question is the one played last, or none.
    const int32_t current = OnBoard(show, show.currentNumber);
    if (show.currentNumber >= 0 && (current < 0 || !show.boardUsed[size_t(current)]))
        return "the current question is not a played board question";
    return nullptr;
}

// Fields 19 to 21: the classmates' flags and the current classmate.
const char* ParseClassmates(ByteReader& in, SavedShow& show)
{
    int32_t count = 0;
    if (!in.Int32(count))
        return "it ends before the classmates";
    if (!InRange(count, 0, kMaxClassmates))
        return "the classmate count is out of range";
    for (int32_t i = 0; i < count; ++i) {
        bool used = false;
        if (!in.Flag(used))
            return "it ends inside the classmates, or a flag is neither 0 nor 1";
        show.classmateUsed.push_back(used);
    }
    if (!in.Int32(show.classmateIndex))
        return "it ends before the current classmate";
    if (show.classmateIndex < -1 || show.classmateIndex >= count)
        return "the current classmate is out of range";
    return nullptr;
}

// The file's fields in order, with the checks that need neither the question
// database nor the cast. Null when the bytes are a whole saved show, else
// what is wrong with them.
const char* ParseSavedShow(const std::vector<uint8_t>& bytes, SavedShow& show)
{
    ByteReader in(bytes);
    const char* fault = ParseHead(in, show);
    if (!fault)
        fault = ParseQuestions(in, show);
    if (!fault)
        fault = ParseClassmates(in, show);
    if (!fault && in.Left() != 0)
        fault = "bytes follow the last field";
    return fault;
}

// The checks against this game's question database and cast.
const char* CheckAgainstGame(const SavedShow& show, int32_t questionCount, int32_t classmateCount)
{
    for (int32_t number : show.boardNumbers)
        if (number >= questionCount)
            return "a board question is not in the question database";
    if (show.finalNumber >= questionCount || show.currentNumber >= questionCount)
        return "the final or current question is not in the question database";
    if (show.classmateIndex >= classmateCount)
        return "the current classmate is not in the class";
    return nullptr;
}

void ApplySavedShow(const SavedShow& show, GameRecord& record, const KQuestion::QuestionDB& db,
                    Quillory::KChildManager* cast)
{
    record.saveCount = show.saveCount;
    record.peekCount = show.peekCount;
    record.copyCount = show.copyCount;
    record.state = show.state;
    record.previousState = show.previousState;
    record.answerCorrect = show.answerCorrect;
    record.helpUsed = show.helpUsed;
    record.saveUsed = show.saveUsed;
    record.peekUsed = show.peekUsed;
    record.copyUsed = show.copyUsed;
    record.lost = show.lost;
    record.honours = show.honours;
    record.mainMenuButtonShown = show.mainMenuButtonShown;
    record.correctCount = show.correctCount;
    // Not in the file: a saved show never reached the final offer, and the
    // no-helps line may be heard again in a new session.
    record.finalOffered = false;
    record.noHelpsVoicePlayed = false;
    record.board.clear();
    for (size_t i = 0; i < show.boardNumbers.size(); ++i) {
        KQuestion::QBase* question = db.GetQuestion(show.boardNumbers[i]);
        question->used = show.boardUsed[i];
        record.board.push_back(question);
    }
    record.finalQuestion = db.GetQuestion(show.finalNumber);
    record.currentQuestion = db.GetQuestion(show.currentNumber);
    const size_t classmates = cast ? cast->GetClassmateCount() : 0;
    for (size_t i = 0; i < show.classmateUsed.size() && i < classmates; ++i)
        cast->GetChild(int32_t(i))->SetUsed(show.classmateUsed[i]);
    record.currentClassmate = cast && show.classmateIndex >= 0 ? cast->GetChild(show.classmateIndex) : nullptr;
}

std::vector<uint8_t> EncodeRecord(const GameRecord& record)
{
    ByteWriter out;
    out.Int32(record.saveCount);
    out.Int32(record.peekCount);
    out.Int32(record.copyCount);
    // The file is written in the board state, after the step machine has
    // copied it to the previous state; both fields come from there.
    out.Int32(record.previousState);
    out.Int32(record.previousState);
    out.Flag(record.answerCorrect);
    out.Flag(record.helpUsed);
    out.Flag(record.saveUsed);
    out.Flag(record.peekUsed);
    out.Flag(record.copyUsed);
    out.Flag(record.lost);
    out.Flag(record.honours);
    out.Flag(record.mainMenuButtonShown);
    out.Int32(record.correctCount);
    int32_t count = 0;
    for (const KQuestion::QBase* question : record.board)
        count += question ? 1 : 0;
    out.Int32(count);
    for (const KQuestion::QBase* question : record.board)
        if (question) {
            out.Int32(question->number);
            out.Flag(question->used);
        }
    out.Int32(record.finalQuestion ? record.finalQuestion->number : -1);
    out.Int32(record.currentQuestion ? record.currentQuestion->number : -1);
    const Quillory::KChildManager* cast = Quillory::KChildManager::Existing();
    const int32_t classmates = cast ? int32_t(cast->GetClassmateCount()) : 0;
    out.Int32(classmates);
    int32_t current = -1;
    for (int32_t i = 0; i < classmates; ++i) {
        const Quillory::KChild* classmate = cast->GetChild(i);
        out.Flag(classmate->IsUsed());
        if (classmate == record.currentClassmate)
            current = i;
    }
    out.Int32(current);
    return out.Bytes();
}

// The current player's file name; empty (logged) without settings.
TString CurrentSaveName(const char* action)
{
    GameSettings* settings = GameSettings::Instance();
    if (!settings) {
        WriteLog("Saved show: no player settings; not %s", action);
        return TString();
    }
    return TString(kSaveFolder) + SaveFilePath(settings->GetCurrentUserName());
}

bool WriteSaveFile(const TString& name, const std::vector<uint8_t>& bytes)
{
    return ReplaceFileWhole(name, name + kTempSuffix, bytes.data(), uint32_t(bytes.size()));
}

// The whole file, or false with what went wrong.
bool ReadSaveFile(const TString& name, std::vector<uint8_t>& bytes, const char*& fault)
{
    // A link at the name is not followed: the save is the file itself.
    const TString path = ResolveAssetPath(name, false);
    struct stat st;
    if (!path.IsEmpty() && path[0] == '/' && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        fault = "it is a link, not a file";
        return false;
    }
    TFileHandle file;
    if (!file.Open(name, kFileReadBinary)) {
        fault = "there is no such file";
        return false;
    }
    bytes.resize(kMaxFileBytes + 1);
    bytes.resize(file.Read(bytes.data(), uint32_t(bytes.size())));
    if (bytes.empty()) {
        fault = "the file is empty";
        return false;
    }
    if (bytes.size() > kMaxFileBytes) {
        fault = "the file is too long";
        return false;
    }
    return true;
}

// FNV-1a, for a stable name that depends on every byte.
uint64_t NameHash(const char* text)
{
    uint64_t hash = 14695981039346656037ull;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        hash ^= *p;
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace

TString SaveFilePath(const TString& userName)
{
    std::string safe;
    for (const char* p = userName.c_str(); *p; ++p) {
        char c = *p;
        if (std::strchr(kRemovedCharacters, c))
            continue;
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        safe += c == ' ' ? '_' : c;
    }
    // Nothing left, the folder itself or the one above, or too long for a
    // file name: a name of its own, with a blank, that no player's name
    // gives.
    if (safe.empty() || safe == "." || safe == ".." || safe.size() > kMaxNameBytes) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "player %016llx",
                      static_cast<unsigned long long>(NameHash(userName.c_str())));
        return TString(fallback);
    }
    return TString(safe.c_str(), uint32_t(safe.size()));
}

void GameRecord::Save() const
{
    const TString name = CurrentSaveName("saved");
    if (!name.IsEmpty())
        WriteSaveFile(name, EncodeRecord(*this));
}

bool GameRecord::Load()
{
    if (!continueSavedShow)
        return false;
    const TString name = CurrentSaveName("restored");
    if (name.IsEmpty())
        return false;
    std::vector<uint8_t> bytes;
    const char* fault = nullptr;
    SavedShow show;
    if (ReadSaveFile(name, bytes, fault))
        fault = ParseSavedShow(bytes, show);
    const KQuestion::QuestionDB* db = fault ? nullptr : KQuestion::QuestionDB::Instance();
    Quillory::KChildManager* cast = Quillory::KChildManager::Existing();
    if (db)
        fault = CheckAgainstGame(show, db->GetCount(), cast ? int32_t(cast->GetClassmateCount()) : 0);
    else if (!fault)
        fault = "there is no question database";
    if (fault) {
        WriteLog("Saved show %s not restored: %s; a new show starts", name.c_str(), fault);
        return false;
    }
    ApplySavedShow(show, *this, *db, cast);
    return true;
}

void GameRecord::ClearSaveFile()
{
    const TString name = CurrentSaveName("cleared");
    if (!name.IsEmpty())
        WriteSaveFile(name, {});
}

bool GameRecord::HasSavedShow()
{
    GameSettings* settings = GameSettings::Instance();
    if (!settings)
        return false;
    std::vector<uint8_t> bytes;
    const char* fault = nullptr;
    SavedShow show;
    return ReadSaveFile(TString(kSaveFolder) + SaveFilePath(settings->GetCurrentUserName()), bytes, fault) &&
           !ParseSavedShow(bytes, show);
}
