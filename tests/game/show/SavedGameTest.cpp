// The saved show: the file's bytes field by field, a save read back whole,
// the file name made from a player's name (and where it may land), damaged
// or foreign files refused without touching the record, and a writer killed
// mid-save that still leaves a file that loads.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "SettingsTestSupport.h"
#include "game/show/GameRecord.h"
#include "game/show/MTRandom.h"
#include "game/show/cast/KChild.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"

namespace {

using Quillory::KChildManager;

constexpr int kQuestions = 21;
constexpr int kClassmates = 5;

// Two questions of each grade 1 to 5, six more of grade 4 and four of grade
// 5 for honours, and a final question; numbered in this order.
std::string QuestionFile()
{
    std::string text = "<questions>";
    const int counts[] = {0, 2, 2, 2, 8, 6, 1};
    int number = 0;
    for (int grade = 1; grade <= 6; ++grade)
        for (int i = 0; i < counts[grade]; ++i, ++number)
            text += "<question><type>1</type><grade>" + std::to_string(grade) +
                    "</grade><subject>Math</subject><question>Q" + std::to_string(number) +
                    "</question><correct>right</correct><incorrect1>wrong</incorrect1></question>";
    return text + "</questions>";
}

// The file's layout written out by hand: little-endian 32-bit integers and
// one-byte flags.
struct Bytes {
    std::string data;
    Bytes& I32(int32_t value)
    {
        const uint32_t bits = uint32_t(value);
        for (int i = 0; i < 4; ++i)
            data += char((bits >> (8 * i)) & 0xFF);
        return *this;
    }
    Bytes& U8(int value)
    {
        data += char(value);
        return *this;
    }
};

// What a load may change, gathered for comparison.
struct Snapshot {
    GameRecord record;
    std::vector<bool> questionUsed;
    std::vector<bool> classmateUsed;
};

class SavedGameTest : public settingstest::SettingsFixture {
protected:
    void SetUp() override
    {
        SettingsFixture::SetUp();
        // A cast left by another suite would not be this roster.
        KChildManager::Destroy();
        RegisterMemoryFile("childAI.xml", mRoster.data(), uint32_t(mRoster.size()));
        MTRandom::Instance()->Seed(11);
        const std::string file = mFolder.File("questions.xml");
        std::ofstream(file) << QuestionFile();
        auto db = std::make_unique<KQuestion::QuestionDB>(*MTRandom::Instance());
        db->Load(TString(("::" + file).c_str()));
        ASSERT_EQ(db->GetCount(), kQuestions);
        mDb = KQuestion::QuestionDB::Install(std::move(db));
        mCast = KChildManager::Instance();
        ASSERT_EQ(mCast->GetClassmateCount(), size_t(kClassmates));
        Make().CreateNewUser("Big Joe");
        mLog.Restart();
    }
    void TearDown() override
    {
        KChildManager::Destroy();
        KQuestion::QuestionDB::Destroy();
        MTRandom::Destroy();
        SettingsFixture::TearDown();
    }

    std::string SavePath() const { return mFolder.File("saves/big_joe"); }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string SaveBytes() const { return ReadFile(SavePath()); }
    void WriteSave(const std::string& bytes) const
    {
        std::filesystem::create_directories(mFolder.File("saves"));
        std::ofstream(SavePath(), std::ios::binary | std::ios::trunc) << bytes;
    }

    // A show at its board: questions 7, 2, 12, 0, 16 (2 and 0 played),
    // final 20, current 0, classmate 2 helping, classmates 1 and 2 used.
    void MakeShow(GameRecord& record)
    {
        record.board.clear();
        for (int32_t number : {7, 2, 12, 0, 16})
            record.board.push_back(mDb->GetQuestion(number));
        for (int32_t n = 0; n < kQuestions; ++n)
            mDb->GetQuestion(n)->used = n == 2 || n == 0;
        record.finalQuestion = mDb->GetQuestion(20);
        record.currentQuestion = mDb->GetQuestion(0);
        record.saveCount = 1;
        record.peekCount = 0;
        record.copyCount = 1;
        record.state = 4;
        record.previousState = 3;
        record.answerCorrect = true;
        record.helpUsed = false;
        record.saveUsed = true;
        record.peekUsed = false;
        record.copyUsed = true;
        record.lost = false;
        record.honours = true;
        record.mainMenuButtonShown = true;
        record.correctCount = 2;
        for (int i = 0; i < kClassmates; ++i)
            mCast->GetChild(i)->SetUsed(i == 1 || i == 2);
        record.currentClassmate = mCast->GetChild(2);
    }
    // The bytes MakeShow's record is saved as.
    static std::string ShowBytes()
    {
        Bytes b;
        b.I32(1).I32(0).I32(1).I32(3).I32(3);
        b.U8(1).U8(0).U8(1).U8(0).U8(1).U8(0).U8(1).U8(1);
        b.I32(2).I32(5);
        b.I32(7).U8(0).I32(2).U8(1).I32(12).U8(0).I32(0).U8(1).I32(16).U8(0);
        b.I32(20).I32(0);
        b.I32(5).U8(0).U8(1).U8(1).U8(0).U8(0);
        b.I32(2);
        return b.data;
    }

    Snapshot Take(const GameRecord& record) const
    {
        Snapshot s{record, {}, {}};
        for (int32_t n = 0; n < kQuestions; ++n)
            s.questionUsed.push_back(mDb->GetQuestion(n)->used);
        for (int i = 0; i < kClassmates; ++i)
            s.classmateUsed.push_back(mCast->GetChild(i)->IsUsed());
        return s;
    }
    void ExpectSame(const Snapshot& want, const GameRecord& got) const
    {
        const GameRecord& w = want.record;
        EXPECT_EQ(got.board, w.board);
        EXPECT_EQ(got.finalQuestion, w.finalQuestion);
        EXPECT_EQ(got.currentQuestion, w.currentQuestion);
        EXPECT_EQ(got.currentClassmate, w.currentClassmate);
        EXPECT_EQ(got.saveCount, w.saveCount);
        EXPECT_EQ(got.peekCount, w.peekCount);
        EXPECT_EQ(got.copyCount, w.copyCount);
        EXPECT_EQ(got.state, w.state);
        EXPECT_EQ(got.previousState, w.previousState);
        EXPECT_EQ(got.answerCorrect, w.answerCorrect);
        EXPECT_EQ(got.helpUsed, w.helpUsed);
        EXPECT_EQ(got.saveUsed, w.saveUsed);
        EXPECT_EQ(got.peekUsed, w.peekUsed);
        EXPECT_EQ(got.copyUsed, w.copyUsed);
        EXPECT_EQ(got.lost, w.lost);
        EXPECT_EQ(got.honours, w.honours);
        EXPECT_EQ(got.finalOffered, w.finalOffered);
        EXPECT_EQ(got.correctCount, w.correctCount);
        EXPECT_EQ(got.noHelpsVoicePlayed, w.noHelpsVoicePlayed);
        EXPECT_EQ(got.mainMenuButtonShown, w.mainMenuButtonShown);
        EXPECT_EQ(got.continueSavedShow, w.continueSavedShow);
        EXPECT_EQ(Take(got).questionUsed, want.questionUsed);
        EXPECT_EQ(Take(got).classmateUsed, want.classmateUsed);
    }

    // Five classmates without models.
    const std::string mRoster = "<children><child name=\"Ada\"/><child name=\"Bo\"/><child name=\"Cy\"/>"
                                "<child name=\"Di\"/><child name=\"Ed\"/></children>";
    KQuestion::QuestionDB* mDb = nullptr;
    KChildManager* mCast = nullptr;
};

TEST_F(SavedGameTest, FileHoldsEveryFieldInOrderLittleEndian)
{
    GameRecord record;
    MakeShow(record);
    record.Save();
    EXPECT_EQ(SaveBytes(), ShowBytes());

    // The full board of ten questions with five classmates, none current.
    record.board.clear();
    for (int32_t n = 0; n < 10; ++n)
        record.board.push_back(mDb->GetQuestion(n));
    record.currentClassmate = nullptr;
    record.currentQuestion = nullptr;
    record.finalQuestion = nullptr;
    record.saveCount = -2; // written as it is
    record.Save();
    const std::string bytes = SaveBytes();
    ASSERT_EQ(bytes.size(), 107u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFE\xFF\xFF\xFF", 4));
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_TRUE(mLog.Lines().empty()) << mLog.Text();
}

TEST_F(SavedGameTest, LoadRestoresWhatWasSaved)
{
    GameRecord saved;
    MakeShow(saved);
    saved.Save();
    Snapshot want = Take(saved);
    want.record.state = 3; // read into the state from the previous state
    want.record.continueSavedShow = true;

    // A different show in memory, which the load replaces.
    GameRecord record;
    record.DealQuestions();
    for (int32_t n = 0; n < kQuestions; ++n)
        mDb->GetQuestion(n)->used = n % 3 == 0;
    for (int i = 0; i < kClassmates; ++i)
        mCast->GetChild(i)->SetUsed(i == 4);
    record.currentClassmate = mCast->GetChild(4);
    record.continueSavedShow = true;
    ASSERT_TRUE(record.Load()) << mLog.Text();
    // Questions not on the board keep their flags.
    for (int32_t n : {3, 6, 9, 15, 18})
        want.questionUsed[size_t(n)] = true;
    ExpectSame(want, record);
    EXPECT_TRUE(mLog.Lines().empty()) << mLog.Text();

    // "None" in the file is none in the record, whatever it held.
    saved.finalQuestion = saved.currentQuestion = nullptr;
    saved.currentClassmate = nullptr;
    saved.board.clear();
    saved.correctCount = 0;
    saved.Save();
    ASSERT_TRUE(record.Load()) << mLog.Text();
    EXPECT_TRUE(record.board.empty());
    EXPECT_EQ(record.finalQuestion, nullptr);
    EXPECT_EQ(record.currentQuestion, nullptr);
    EXPECT_EQ(record.currentClassmate, nullptr);
}

TEST_F(SavedGameTest, ContinueFlagClearIgnoresTheFile)
{
    GameRecord record;
    MakeShow(record);
    record.Save();
    const std::string before = SaveBytes();
    const Snapshot snapshot = Take(record);
    record.continueSavedShow = false;
    EXPECT_FALSE(record.Load());
    ExpectSame(snapshot, record);
    EXPECT_EQ(SaveBytes(), before);
    EXPECT_TRUE(mLog.Lines().empty()) << mLog.Text();
}

TEST_F(SavedGameTest, ClearedFileIsNoSavedShow)
{
    EXPECT_FALSE(GameRecord::HasSavedShow());
    GameRecord record;
    MakeShow(record);
    record.Save();
    EXPECT_TRUE(GameRecord::HasSavedShow());
    GameRecord::ClearSaveFile();
    struct stat st;
    ASSERT_EQ(stat(SavePath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, 0);
    EXPECT_FALSE(GameRecord::HasSavedShow());
    record.continueSavedShow = true;
    EXPECT_FALSE(record.Load());
    EXPECT_EQ(mLog.Count("not restored"), 1) << mLog.Text();
    // Only the file itself is left: no temporary file beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(mFolder.File("saves")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SavedGameTest, FileNameFromThePlayersName)
{
    struct Case {
        const char* name;
        const char* file; // null: the fallback
    } cases[] = {
        {"Big Joe", "big_joe"},
        {"Big Joe: (Team 2)", "big_joe_team_2"},
        {"A:B?", "ab"},
        {"BIG JOE", "big_joe"},
        {"big joe", "big_joe"},
        {"B[i]g {J}o<e>|*", "big_joe"},
        {"\"Quoted\" 'n' semi;", "quoted_n_semi"},
        {"../x", "..x"},
        {"/etc/passwd", "etcpasswd"},
        {"C:\\Users\\Joe", "cusersjoe"},
        {"...", "..."},
        {"tab\there\nline\x01", "tab\there\nline\x01"},
        {"Ünïcode Ök", "\xC3\x9Cn\xC3\xAF" "code_\xC3\x96k"},
        {"", nullptr},
        {"?\\/:;'\"(){}[]*<>|", nullptr},
        {"??", nullptr},
        {".", nullptr},
        {"..", nullptr},
        {"/../", nullptr},
        {"(..)", nullptr},
    };
    std::vector<std::string> fallbacks;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.name << '"');
        const std::string got = SaveFilePath(c.name).c_str();
        if (c.file) {
            EXPECT_EQ(got, c.file);
            continue;
        }
        ASSERT_EQ(got.size(), 23u);
        EXPECT_EQ(got.substr(0, 7), "player ");
        EXPECT_EQ(got.find_first_not_of("0123456789abcdef", 7), std::string::npos);
        EXPECT_EQ(std::string(SaveFilePath(c.name).c_str()), got); // stable
        fallbacks.push_back(got);
    }
    // Names that leave nothing keep files of their own.
    std::sort(fallbacks.begin(), fallbacks.end());
    EXPECT_EQ(std::unique(fallbacks.begin(), fallbacks.end()), fallbacks.end());

    const std::string longName(300, 'q');
    EXPECT_EQ(std::string(SaveFilePath(std::string(200, 'q').c_str()).c_str()), std::string(200, 'q'));
    EXPECT_EQ(std::string(SaveFilePath(longName.c_str()).c_str()).substr(0, 7), "player ");
}

// Whatever the name, the save is a regular file directly in the saves
// folder, and nothing is written anywhere else.
TEST_F(SavedGameTest, EveryNameSavesInsideTheSavesFolder)
{
    const std::string names[] = {"", "..", ".", "../x", "/etc/passwd", "??", std::string(300, 'z'), "Big Joe"};
    GameSettings& settings = *GameSettings::Instance();
    GameRecord record;
    MakeShow(record);
    for (const std::string& text : names) {
        const char* name = text.c_str();
        SCOPED_TRACE(testing::Message() << '"' << name << '"');
        settings.ChangeCurrentUserName(name);
        ASSERT_STREQ(settings.GetCurrentUserName().c_str(), name);
        record.Save();
        const std::string file = mFolder.File("saves/") + SaveFilePath(name).c_str();
        struct stat st;
        ASSERT_EQ(lstat(file.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(size_t(st.st_size), ShowBytes().size());
        EXPECT_TRUE(GameRecord::HasSavedShow());
        record.continueSavedShow = true;
        EXPECT_TRUE(record.Load());
    }
    std::vector<std::string> top;
    for (const auto& entry : std::filesystem::directory_iterator(mFolder.Path()))
        top.push_back(entry.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"log", "prefs.dat", "questions.xml", "saves"}));
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(mFolder.File("saves"))) {
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 8u); // one each: "", "." and "??" have fallbacks of their own
    EXPECT_TRUE(mLog.Lines().empty()) << mLog.Text();
}

TEST_F(SavedGameTest, DamagedOrForeignFilesAreRefused)
{
    const std::string good = ShowBytes(); // 5 board questions, 5 classmates
    auto with = [&](size_t at, const std::string& bytes) {
        std::string out = good;
        out.replace(at, bytes.size(), bytes);
        return out;
    };
    auto i32 = [](int32_t v) { return Bytes().I32(v).data; };
    // Offsets: helps 0, 4, 8; states 12, 16; flags 20..27; right answers 28;
    // N 32; board 36 + 5 i; final 61; current 65; M 69; flags 73..77; index 78.
    ASSERT_EQ(good.size(), 82u);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"cut in the helps", good.substr(0, 3)},
        {"cut in the flags", good.substr(0, 24)},
        {"cut before the board", good.substr(0, 34)},
        {"cut inside the board", good.substr(0, 50)},
        {"cut before the classmates", good.substr(0, 66)},
        {"cut inside the classmates", good.substr(0, 75)},
        {"cut in the last field", good.substr(0, 81)},
        {"a byte too many", good + '\0'},
        {"huge board", with(32, i32(0x7FFFFFFF))},
        {"negative board", with(32, i32(-1))},
        {"board bigger than the database", [&] {
             Bytes b;
             b.data = good.substr(0, 32);
             b.I32(kQuestions + 1);
             for (int n = 0; n <= kQuestions; ++n)
                 b.I32(n % kQuestions).U8(0);
             b.data += good.substr(61);
             return b.data;
         }()},
        {"question past the database", with(36, i32(kQuestions))},
        {"negative question", with(41, i32(-1))},
        {"question twice", with(41, i32(7))},
        {"final past the database", with(61, i32(kQuestions))},
        {"current below -1", with(65, i32(-2))},
        {"state 21", with(12, i32(21))},
        {"resumed at the win", with(12, i32(19) + i32(19))},
        {"resumed in a question", with(12, i32(4))},
        {"state -1", with(12, i32(-1))},
        {"previous state 99", with(16, i32(99))},
        {"help count 1000", with(4, i32(1000))},
        {"two Saves", with(0, i32(2))},
        {"negative help count", with(8, i32(-1))},
        {"more right answers than questions", with(28, i32(6))},
        {"more right answers than questions played", with(28, i32(3))},
        {"final on the board", with(61, i32(12))},
        {"current not on the board", with(65, i32(1))},
        {"current not played", with(65, i32(7))},
        {"flag 2", with(22, "\x02")},
        {"classmate flag 0xFF", with(74, "\xFF")},
        {"too many classmates", with(69, i32(1000000))},
        {"classmate past the class", with(69, i32(7)).substr(0, 73) + std::string(7, '\0') + i32(6)},
        {"classmate past the file's count", with(78, i32(5))},
        {"classmate below -1", with(78, i32(-2))},
        {"foreign bytes", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(74, 'x')},
        {"text", "Big Joe's saved game: board 7 2 12 0 16, final 20, classmate Cy, 2 right......."},
    };
    GameRecord record;
    MakeShow(record);
    record.continueSavedShow = true;
    const Snapshot snapshot = Take(record);
    const std::string prefs = ReadFile(mFile);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSave(c.bytes);
        mLog.Restart();
        EXPECT_FALSE(record.Load());
        EXPECT_EQ(mLog.Lines().size(), 1u) << mLog.Text();
        EXPECT_EQ(mLog.Count("not restored"), 1) << mLog.Text();
        ExpectSame(snapshot, record);
        EXPECT_EQ(StoredInt("Earnings", -1, 0), 0);
        EXPECT_EQ(ReadFile(mFile), prefs);
    }
    // The unchanged file loads: the cases above are refused for what they
    // change.
    WriteSave(good);
    EXPECT_TRUE(record.Load()) << mLog.Text();
}

TEST_F(SavedGameTest, FolderOrMissingFileAtThePathIsNoSavedShow)
{
    GameRecord record;
    MakeShow(record);
    record.continueSavedShow = true;
    const Snapshot snapshot = Take(record);
    EXPECT_FALSE(record.Load());
    EXPECT_EQ(mLog.Count("not restored"), 1) << mLog.Text();

    std::filesystem::create_directories(SavePath());
    EXPECT_FALSE(GameRecord::HasSavedShow());
    mLog.Restart();
    EXPECT_FALSE(record.Load());
    EXPECT_EQ(mLog.Count("not restored"), 1) << mLog.Text();
    ExpectSame(snapshot, record);
    // A save cannot replace a folder; the show goes on.
    record.Save();
    EXPECT_TRUE(std::filesystem::is_directory(SavePath()));
    EXPECT_TRUE(std::filesystem::is_empty(SavePath()));
}

// A link at the save's name is neither read through nor written through:
// the save replaces the link itself and the file it named stays as it was.
TEST_F(SavedGameTest, LinkAtThePathIsNotFollowed)
{
    GameRecord record;
    MakeShow(record);
    const std::string outside = mFolder.File("elsewhere");
    WriteSave(""); // makes the folder
    std::filesystem::remove(SavePath());
    std::ofstream(outside, std::ios::binary) << ShowBytes();
    std::filesystem::create_symlink(outside, SavePath());

    EXPECT_FALSE(GameRecord::HasSavedShow());
    record.continueSavedShow = true;
    const Snapshot snapshot = Take(record);
    EXPECT_FALSE(record.Load());
    EXPECT_EQ(mLog.Count("not restored"), 1) << mLog.Text();
    ExpectSame(snapshot, record);

    record.correctCount = 1;
    record.Save();
    EXPECT_EQ(ReadFile(outside), ShowBytes());
    EXPECT_FALSE(std::filesystem::is_symlink(SavePath()));
    EXPECT_TRUE(std::filesystem::is_regular_file(SavePath()));
    EXPECT_TRUE(record.Load()) << mLog.Text();

    // Clearing replaces a link the same way.
    std::filesystem::remove(SavePath());
    std::filesystem::create_symlink(outside, SavePath());
    GameRecord::ClearSaveFile();
    EXPECT_EQ(ReadFile(outside), ShowBytes());
    EXPECT_TRUE(std::filesystem::is_regular_file(SavePath()));
    EXPECT_FALSE(std::filesystem::is_symlink(SavePath()));
    EXPECT_EQ(std::filesystem::file_size(SavePath()), 0u);
}

// A classmate list that shrank since the save: flags past it are read and
// dropped; a current classmate past it refuses the file.
TEST_F(SavedGameTest, ExtraClassmateFlagsAreDropped)
{
    Bytes b;
    b.data = ShowBytes().substr(0, 69);
    b.I32(8).U8(1).U8(0).U8(1).U8(0).U8(1).U8(1).U8(1).U8(1).I32(1);
    WriteSave(b.data);
    GameRecord record;
    record.continueSavedShow = true;
    ASSERT_TRUE(record.Load()) << mLog.Text();
    EXPECT_EQ(Take(record).classmateUsed, (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(record.currentClassmate, mCast->GetChild(1));

    b.data.replace(b.data.size() - 4, 4, Bytes().I32(6).data);
    WriteSave(b.data);
    EXPECT_FALSE(record.Load());
    EXPECT_EQ(record.currentClassmate, mCast->GetChild(1));
}

// The writer: saves one show and then the other, again and again, and
// reports each save once it has returned.
[[noreturn]] void RunWriter(GameRecord& a, GameRecord& b, int reportFd)
{
    for (int32_t step = 1; step < 1000000; ++step) {
        (step % 2 ? b : a).Save();
        if (write(reportFd, &step, sizeof step) != sizeof step)
            break;
    }
    _exit(0);
}

TEST_F(SavedGameTest, KilledWriterLeavesAWholeSave)
{
    GameRecord a, b;
    MakeShow(a);
    MakeShow(b);
    b.board.pop_back();
    b.correctCount = 1;
    b.currentClassmate = mCast->GetChild(4);
    a.Save();

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i)
        a.Save();
    const int64_t spanUs = std::max<int64_t>(
        50, 3 * std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                        .count() /
                10);

    std::mt19937 random(20261211);
    std::uniform_int_distribution<int64_t> delay(0, spanUs);
    for (int run = 0; run < 100; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            RunWriter(a, b, fds[1]);
        }
        close(fds[1]);
        int32_t step = 0;
        ASSERT_EQ(read(fds[0], &step, sizeof step), ssize_t(sizeof step));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        close(fds[0]);

        mLog.Restart();
        GameRecord loaded;
        loaded.continueSavedShow = true;
        ASSERT_TRUE(loaded.Load()) << mLog.Text();
        const bool isA = loaded.board.size() == 5 && loaded.correctCount == 2 &&
                         loaded.currentClassmate == mCast->GetChild(2);
        const bool isB = loaded.board.size() == 4 && loaded.correctCount == 1 &&
                         loaded.currentClassmate == mCast->GetChild(4);
        EXPECT_TRUE(isA || isB);
    }
}

} // namespace
