// Saved show benchmark (Google Benchmark): a show standing at its board
// (ten questions, five classmates) saved to the player's file (temporary
// file, flush to the disk, rename), read back and applied, and the file
// emptied. The user folder is a new folder under $TMPDIR (or /tmp), so the
// figures depend on that file system's flush.
//
//   bench_saves [--benchmark_...]     (run it through tools/bench-saves)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "game/show/GameRecord.h"
#include "game/show/GameSettings.h"
#include "game/show/GameSettingsHost.h"
#include "game/show/MTRandom.h"
#include "game/show/cast/KChild.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"
#include "platform/AssetNames.h"
#include "platform/Log.h"

namespace {

// Two questions of each grade 1 to 5 and a final question.
std::string QuestionFile()
{
    std::string text = "<questions>";
    for (int grade = 1; grade <= 6; ++grade)
        for (int i = 0; i < (grade == 6 ? 1 : 2); ++i)
            text += "<question><type>1</type><grade>" + std::to_string(grade) +
                    "</grade><subject>Math</subject><question>Q</question><correct>right</correct>"
                    "<incorrect1>wrong</incorrect1></question>";
    return text + "</questions>";
}

const char kRoster[] = "<children><child name=\"Ada\"/><child name=\"Bo\"/><child name=\"Cy\"/>"
                       "<child name=\"Di\"/><child name=\"Ed\"/></children>";

// The settings' defaults are enough: no display, no sound, no labels.
class QuietHost : public GameSettingsHost {
public:
    void CreateDisplay(int32_t, int32_t, bool) override {}
    bool IsFullScreen() override { return false; }
    bool SetFullScreen(bool) override { return false; }
    TSoundManager* GetSoundManager() override { return nullptr; }
    TWindowManager* GetWindowManager() override { return nullptr; }
    TString GetString(const TString&) override { return TString(); }
};

// A player, a question database, a cast and a show at its board, in a
// temporary user folder that goes with it.
class SavedShowWorld {
public:
    SavedShowWorld()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-saves-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return;
        mFolder = pattern;
        SetAssetFolders(mFolder.c_str(), mFolder.c_str(), mFolder.c_str());
        RegisterMemoryFile("childAI.xml", kRoster, uint32_t(sizeof kRoster - 1));
        const std::string questions = mFolder + "/questions.xml";
        if (FILE* out = std::fopen(questions.c_str(), "wb")) {
            const std::string text = QuestionFile();
            std::fwrite(text.data(), 1, text.size(), out);
            std::fclose(out);
        }
        auto db = std::make_unique<KQuestion::QuestionDB>(*MTRandom::Instance());
        db->Load(TString(("::" + questions).c_str()));
        KQuestion::QuestionDB::Install(std::move(db));
        GameSettings::Create(&mHost)->CreateNewUser(TString("Big Joe"));
        Quillory::KChildManager* cast = Quillory::KChildManager::Instance();

        record.DealQuestions();
        for (size_t i = 0; i < record.board.size(); ++i)
            record.board[i]->used = i < 4;
        record.currentQuestion = record.board.empty() ? nullptr : record.board[3];
        record.correctCount = 3;
        record.saveCount = 0;
        record.state = 4;
        record.previousState = 3;
        record.mainMenuButtonShown = true;
        if (cast->GetClassmateCount() == 5) {
            cast->GetChild(1)->SetUsed(true);
            record.currentClassmate = cast->GetChild(1);
        }
        record.continueSavedShow = true;
    }
    ~SavedShowWorld()
    {
        Quillory::KChildManager::Destroy();
        GameSettings::Destroy();
        KQuestion::QuestionDB::Destroy();
        MTRandom::Destroy();
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
        if (!mFolder.empty())
            std::filesystem::remove_all(mFolder);
    }
    // A whole show to work on.
    bool Ready() const
    {
        return !mFolder.empty() && record.board.size() == 10 && record.currentClassmate &&
               KQuestion::QuestionDB::Instance()->GetCount() == 11;
    }
    uintmax_t SaveSize() const
    {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(mFolder + "/saves/big_joe", error);
        return error ? 0 : size;
    }

    GameRecord record;

private:
    std::string mFolder;
    QuietHost mHost;
};

void SaveShow(benchmark::State& state)
{
    SavedShowWorld world;
    if (!world.Ready()) {
        state.SkipWithError("no show to save");
        return;
    }
    for (auto _ : state)
        world.record.Save();
    if (world.SaveSize() != 107)
        state.SkipWithError("the save is not 107 bytes");
}

void LoadShow(benchmark::State& state)
{
    SavedShowWorld world;
    world.record.Save();
    GameRecord loaded;
    loaded.continueSavedShow = true;
    if (!world.Ready() || !loaded.Load()) {
        state.SkipWithError("no saved show to load");
        return;
    }
    for (auto _ : state) {
        const bool restored = loaded.Load();
        benchmark::DoNotOptimize(restored);
    }
    if (loaded.board != world.record.board || loaded.currentClassmate != world.record.currentClassmate)
        state.SkipWithError("the loaded show differs");
}

void ClearSave(benchmark::State& state)
{
    SavedShowWorld world;
    if (!world.Ready()) {
        state.SkipWithError("no player");
        return;
    }
    for (auto _ : state)
        GameRecord::ClearSaveFile();
}

BENCHMARK(SaveShow)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(LoadShow)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(ClearSave)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
