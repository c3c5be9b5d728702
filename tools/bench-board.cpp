// Board benchmark: the whole board of ten questions played at full speed
// headless, as the whole-board test plays it (the game's scripts, answer
// windows and show states on the recording display, a fake clock moved
// 50 ms a pass, no sound): two classmate choices, ten tiles, every kind of
// answer window, each help once. Prints, over the rounds, the median wall
// time from a board tile's click to its answer window being open (and the
// show time it takes on the fake clock), the median wall time of a whole
// board, and the process's peak resident memory.
//
//   bench_board [ROUNDS]      (default 5; run it through tools/bench-board)
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench-timing.h"
#include "game/show/WholeShowFixture.h"

namespace {

std::vector<double> gClickToWindowMs;
std::vector<double> gClickToWindowShowMs;
std::vector<double> gBoardMs;

class BoardBench : public wholeshow::WholeShowFixture {};

TEST_F(BoardBench, PlayTheBoard)
{
    // Help pressed first (none, Peek, Copy), then a right or a wrong answer.
    struct Turn {
        const char* help;
        bool right;
    };
    const Turn turns[10] = {{"", true}, {"btn_Peek", true}, {"btn_Copy", true}, {"", false}, {"", true},
                            {"", true}, {"", true},         {"", true},         {"", true},  {"", true}};
    const int slots[10] = {9, 0, 5, 2, 7, 1, 8, 3, 6, 4};
    const char* classmates[] = {"btn01", "btn03"};

    StopAt(14);
    const double start = NowMs();
    StartShow();
    size_t choices = 0, turn = 0;
    double clickedAt = 0;
    uint32_t clickedShowAt = 0;
    while (wholeshow::gStopRuns == 0 && !HasFatalFailure()) {
        Pass();
        if (auto* choice = NewWindow<Quillory::ChooseClassmate>()) {
            ASSERT_LT(choices, 2u);
            Mark(choice);
            Click(choice, classmates[choices++]);
        }
        if (auto* board = NewWindow<KQuestion::QuestionBoard>()) {
            ASSERT_LT(turn, 10u);
            Mark(board);
            clickedAt = NowMs();
            clickedShowAt = uitest::gNow;
            Click(board, "btn_q" + std::to_string(slots[turn]));
        }
        if (auto* window = NewWindow<KQuestion::QWindow>()) {
            gClickToWindowMs.push_back(NowMs() - clickedAt);
            gClickToWindowShowMs.push_back(double(uitest::gNow - clickedShowAt));
            Mark(window);
            RunFor(1500);
            const Turn& t = turns[turn++];
            if (std::string(t.help) == "btn_Copy") {
                Click(window, t.help);
                continue;
            }
            if (std::string(t.help) == "btn_Peek") {
                Click(window, t.help);
                RunFor(5500);
            }
            Answer(window, t.right);
        }
    }
    gBoardMs.push_back(NowMs() - start);
    ASSERT_EQ(wholeshow::gStopRuns, 1);
    ASSERT_EQ(mShow->GetRecord().correctCount, 10);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string repeat = "--gtest_repeat=" + std::to_string(rounds);
    std::vector<char*> args = {argv[0], repeat.data()};
    int count = int(args.size());
    testing::InitGoogleTest(&count, args.data());
    testing::GTEST_FLAG(brief) = true;
    if (RUN_ALL_TESTS() != 0)
        return 1;

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("board tile click to answer window open: %.3f ms wall (median of %zu), %.0f ms of show time\n",
                Median(gClickToWindowMs), gClickToWindowMs.size(), Median(gClickToWindowShowMs));
    std::printf("whole board of ten questions: %.3f s wall (median of %zu rounds)\n", Median(gBoardMs) / 1000.0,
                gBoardMs.size());
    std::printf("peak resident memory: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
