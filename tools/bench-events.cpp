// Event engine benchmark: N live events in chains of 10 instant events,
// advanced pass by pass until the manager is empty (11 passes: ten starts
// and the last prune), for N = 1,000 and 10,000; and a pass over N running
// waits that nothing ends (updates only). Prints the median of the rounds:
// the time to build the chains, the microseconds per pass and the total,
// and the per-event cost, which stays flat when the pass cost grows
// linearly with the number of live events.
//
//   bench_events [ROUNDS]      (default 9; run it through tools/bench-events)
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench-timing.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"

namespace {

constexpr int kChainLength = 10;

struct ChainFigures {
    double buildMs = 0;
    double passesMs = 0;
    int passes = 0;
};

void FreshManager()
{
    KEvent::EventManager::Destroy();
    KEvent::EventManager::AllowRecreateForTests();
}

ChainFigures RunChains(int events)
{
    FreshManager();
    ChainFigures figures;
    double start = NowMs();
    for (int chain = 0; chain < events / kChainLength; ++chain) {
        std::shared_ptr<KEvent::Event> last = KEvent::MakeDummy();
        for (int i = 1; i < kChainLength; ++i)
            last = last->Then(std::shared_ptr<KEvent::Event>(KEvent::MakeDummy()));
    }
    figures.buildMs = NowMs() - start;
    KEvent::EventManager* manager = KEvent::EventManager::Instance();
    start = NowMs();
    while (manager->GetCount() > 0 && figures.passes < 1000) {
        manager->Update();
        ++figures.passes;
    }
    figures.passesMs = NowMs() - start;
    return figures;
}

// Microseconds for one pass over `events` running waits.
double RunningPass(int events)
{
    FreshManager();
    for (int i = 0; i < events; ++i)
        KEvent::MakeWaitTime(0xFFFFFFF0u);
    KEvent::EventManager* manager = KEvent::EventManager::Instance();
    manager->Update(); // starts them all
    const int passes = 20;
    double start = NowMs();
    for (int i = 0; i < passes; ++i)
        manager->Update();
    return (NowMs() - start) * 1000.0 / passes;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    if (rounds < 1)
        rounds = 1;
    for (int events : {1000, 10000}) {
        RunChains(events); // warm-up
        std::vector<double> build, total, perPass, running;
        int passes = 0;
        for (int round = 0; round < rounds; ++round) {
            ChainFigures f = RunChains(events);
            if (f.passes != kChainLength + 1) {
                std::fprintf(stderr, "bench-events: %d events took %d passes, not %d\n", events, f.passes,
                             kChainLength + 1);
                return 1;
            }
            passes = f.passes;
            build.push_back(f.buildMs);
            total.push_back(f.passesMs);
            perPass.push_back(f.passesMs * 1000.0 / f.passes);
            running.push_back(RunningPass(events));
        }
        const double pass = Median(perPass);
        std::printf("%5d events in chains of %d, median of %d rounds: built in %.2f ms; %d passes, %.1f us a pass "
                    "(%.1f ns an event), %.2f ms in all; a pass over %d running waits %.1f us (%.1f ns an event)\n",
                    events, kChainLength, rounds, Median(build), passes, pass, pass * 1000.0 / events, Median(total),
                    events, Median(running), Median(running) * 1000.0 / events);
    }
    KEvent::EventManager::Destroy();
    return 0;
}
