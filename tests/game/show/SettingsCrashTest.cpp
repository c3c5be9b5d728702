// A player's profiles survive the game being killed while it writes them:
// the preferences file always reads back whole, as the profile set before
// the write or the one after it.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "SettingsTestSupport.h"

namespace {

using settingstest::SettingsFixture;

constexpr int kUsers = 30;
constexpr int kRuns = 100;

std::string PlayerName(int user)
{
    return "Player number " + std::to_string(user) + " with a fairly long name";
}

// The writer: adds one dollar to the current player's earnings again and
// again, reporting each total once its write has returned.
[[noreturn]] void RunWriter(settingstest::FakeSettingsHost& host, int reportFd)
{
    GameSettings* settings = GameSettings::Create(&host);
    for (int step = 0; step < 1000000; ++step) {
        settings->AddEarnings(1);
        const int32_t total = settings->GetEarnings();
        if (write(reportFd, &total, sizeof total) != sizeof total)
            break;
    }
    _exit(0);
}

class SettingsCrashTest : public SettingsFixture {};

TEST_F(SettingsCrashTest, KilledWriterLeavesTheOldOrTheNewProfileSet)
{
    {
        GameSettings& settings = Make();
        for (int user = 0; user < kUsers; ++user) {
            settings.CreateNewUser(PlayerName(user).c_str());
            settings.AddEarnings(user * 1000);
        }
        settings.SetCurrentUser(0, false);
        GameSettings::Destroy();
    }

    // How long one write takes here, so that the kills fall across writes.
    GameSettings& timing = Make();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i)
        timing.AddEarnings(0);
    const auto perWrite = (std::chrono::steady_clock::now() - start) / 10;
    GameSettings::Destroy();
    const int64_t spanUs =
        std::max<int64_t>(50, 3 * std::chrono::duration_cast<std::chrono::microseconds>(perWrite).count());

    std::mt19937 random(20261211);
    std::uniform_int_distribution<int64_t> delay(0, spanUs);
    int32_t expected = 0; // the total the file held before the run
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            RunWriter(mHost, fds[1]);
        }
        close(fds[1]);
        int32_t total = 0;
        // The writer is under way once it reported its first write.
        ASSERT_EQ(read(fds[0], &total, sizeof total), ssize_t(sizeof total));
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        for (int32_t next; read(fds[0], &next, sizeof next) == ssize_t(sizeof next);)
            total = next;
        close(fds[0]);
        ASSERT_GT(total, expected);

        // Read back: no damage logged, every profile whole, and the
        // current player's total the last one reported or the one after.
        mLog.Restart();
        SetConfig("encryptionkey", GameSettings::kPrefsKey);
        TPrefs prefs(false);
        EXPECT_TRUE(mLog.Lines().empty()) << mLog.Text();
        ASSERT_EQ(prefs.GetUserCount(), kUsers);
        EXPECT_EQ(prefs.GetInt("curuser", -99, -1), 0);
        for (int user = 1; user < kUsers; ++user) {
            EXPECT_STREQ(prefs.GetString("name", "", user).c_str(), PlayerName(user).c_str());
            EXPECT_EQ(prefs.GetInt("Earnings", -1, user), user * 1000);
        }
        EXPECT_STREQ(prefs.GetString("name", "", 0).c_str(), PlayerName(0).c_str());
        const int32_t stored = prefs.GetInt("Earnings", -1, 0);
        EXPECT_TRUE(stored == total || stored == total + 1) << stored << " after reported " << total;
        expected = stored;
    }
}

} // namespace
