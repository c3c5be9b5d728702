// Sound benchmark: eight streamed voices at once (the six music cues and
// the two longest audience beds, each played once) through the sound
// manager on the null device, against `oggdec` decoding the same files to
// WAV in the same run.
//
// Fast path: the device is moved on by hand, 50 ms of frames, then one
// Update of the manager with its clock moved on as much, until every voice
// has ended; the process CPU time of that loop against the CPU time of the
// eight oggdec children. Real-time pace: the manager's own sound thread and
// a null device that advances with the clock, for a few seconds of wall
// time, with and without the voices; CPU time over wall time.
//
//   bench_sound ASSETS_DIR [ROUNDS] [PACE_SECONDS]   (defaults 3, 8; 0 seconds
//                   skips the real-time runs; run it through tools/bench-sound)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench-timing.h"
#include "os/audio/AudioDevice.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/Timer.h"
#include "sound/Sound.h"
#include "sound/SoundData.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"

extern char** environ;

namespace {

const char* const kFiles[] = {
    "music/intro_18s.ogg", "music/question.ogg", "music/theme.ogg",
    "music/millionq.ogg", "music/coldopen_dv.ogg", "music/playdv.ogg",
    "sfx/audience/applause_heavy_30_sec.ogg", "sfx/audience/applause_heavy_16_sec.ogg",
};
constexpr size_t kVoices = sizeof kFiles / sizeof kFiles[0];
constexpr uint32_t kStepMs = 50;
constexpr uint32_t kLimitMs = 120000; // a voice that never ends

std::atomic<uint32_t> gNow{0};
uint32_t BenchClock()
{
    return gNow.load();
}

double Seconds(const timeval& t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double ProcessCpu()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double Wall()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The eight sounds, created and each played once; empty with a message when
// one cannot be.
struct Voices {
    std::vector<std::shared_ptr<TSound>> sounds;
    std::vector<std::shared_ptr<TSoundInstance>> voices;
    double longest = 0; // seconds of the longest sound
    double total = 0;   // seconds of all the sounds together

    bool Start()
    {
        for (const char* file : kFiles) {
            std::shared_ptr<TSound> sound = TSound::Create(TString(file), true, kSoundGroupMusic);
            std::shared_ptr<TSoundInstance> voice = sound ? sound->Play(0) : nullptr;
            if (!voice) {
                std::fprintf(stderr, "bench-sound: %s does not play\n", file);
                return false;
            }
            longest = std::max(longest, sound->GetData()->GetLength());
            total += sound->GetData()->GetLength();
            sounds.push_back(sound);
            voices.push_back(voice);
        }
        return true;
    }
    size_t Playing() const
    {
        return size_t(std::count_if(voices.begin(), voices.end(), [](auto& v) { return v->IsPlaying(); }));
    }
};

struct FastResult {
    double cpu = 0;       // seconds of process CPU
    double longest = 0;   // seconds the longest voice plays
    double total = 0;     // seconds all the voices play together
    double simulated = 0; // seconds of audio time until the last voice ended
};

// The eight voices stepped through by hand until they have all ended.
bool RunFast(FastResult* result)
{
    gNow = 100000;
    SetTimerSource(&BenchClock);
    auto manager = std::make_unique<TSoundManager>();
    AudioDeviceOptions options;
    options.backend = AudioBackend::Null;
    options.realTime = false;
    if (!manager->Init(options, false) || !manager->GetDevice()) {
        std::fprintf(stderr, "bench-sound: no null device\n");
        SetTimerSource(nullptr);
        return false;
    }
    manager->SetPollClock(&BenchClock);
    AudioDevice* device = manager->GetDevice();
    const uint32_t frames = kStepMs * kAudioMixFormat.rate / 1000;

    bool ok = true;
    uint32_t elapsed = 0;
    double t0 = ProcessCpu();
    {
        Voices set;
        ok = set.Start();
        while (ok && set.Playing() > 0 && elapsed < kLimitMs) {
            gNow += kStepMs;
            device->Advance(frames);
            manager->Update(false);
            manager->DispatchCallbacks();
            elapsed += kStepMs;
        }
        result->cpu = ProcessCpu() - t0;
        result->longest = set.longest;
        result->total = set.total;
        result->simulated = elapsed / 1000.0;
        if (ok && set.Playing() > 0) {
            std::fprintf(stderr, "bench-sound: %zu voices still play after %u ms\n", set.Playing(), elapsed);
            ok = false;
        }
        if (ok && result->simulated < set.longest) {
            std::fprintf(stderr, "bench-sound: the voices ended after %.2f s, before the longest sound's %.2f s\n",
                         result->simulated, set.longest);
            ok = false;
        }
    }
    manager.reset();
    SetTimerSource(nullptr);
    return ok;
}

// oggdec decoding each file to a WAV file in the folder; the children's
// CPU seconds (user and system).
bool RunOggdec(const std::string& assets, const std::string& folder, double* cpu)
{
    *cpu = 0;
    for (size_t i = 0; i < kVoices; ++i) {
        std::string in = assets + "/" + kFiles[i];
        std::string out = folder + "/" + std::to_string(i) + ".wav";
        char* argv[] = {const_cast<char*>("oggdec"), const_cast<char*>("-Q"), const_cast<char*>("-o"),
                        const_cast<char*>(out.c_str()), const_cast<char*>(in.c_str()), nullptr};
        pid_t pid = -1;
        if (posix_spawnp(&pid, "oggdec", nullptr, nullptr, argv, environ) != 0) {
            std::fprintf(stderr, "bench-sound: oggdec cannot be run (install vorbis-tools)\n");
            return false;
        }
        int status = 0;
        rusage usage{};
        while (wait4(pid, &status, 0, &usage) < 0) {
            if (errno != EINTR) {
                std::fprintf(stderr, "bench-sound: lost oggdec\n");
                return false;
            }
        }
        struct stat st {};
        bool wrote = stat(out.c_str(), &st) == 0 && st.st_size > 44 + 44100 * 4;
        unlink(out.c_str());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !wrote) {
            std::fprintf(stderr, "bench-sound: oggdec failed on %s\n", in.c_str());
            return false;
        }
        *cpu += Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    }
    return true;
}

// The manager's own thread on a null device that advances with the clock,
// for the given wall time, with the eight voices or none; process CPU
// seconds over wall seconds, from before the device opens (whole) and from
// when the voices play, their files opened and first halves filled
// (steady).
bool RunPaced(double seconds, bool withVoices, double* whole, double* steady)
{
    auto manager = std::make_unique<TSoundManager>();
    AudioDeviceOptions options;
    options.backend = AudioBackend::Null;
    options.realTime = true;
    double w0 = Wall(), t0 = ProcessCpu();
    if (!manager->Init(options, true)) {
        std::fprintf(stderr, "bench-sound: no real-time null device\n");
        return false;
    }
    bool ok = true;
    {
        Voices set;
        if (withVoices)
            ok = set.Start();
        double w1 = Wall(), t1 = ProcessCpu();
        // The main thread dispatches as a frame loop would, ten times a second.
        while (ok && Wall() - w1 < seconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            manager->DispatchCallbacks();
        }
        double w2 = Wall(), t2 = ProcessCpu();
        *whole = (t2 - t0) / (w2 - w0);
        *steady = (t2 - t1) / (w2 - w1);
        if (ok && withVoices && set.Playing() != kVoices && seconds < 9) {
            std::fprintf(stderr, "bench-sound: only %zu voices play after %.1f s\n", set.Playing(), seconds);
            ok = false;
        }
    }
    manager.reset();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_sound ASSETS_DIR [ROUNDS] [PACE_SECONDS]\n");
        return 2;
    }
    const std::string assets = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    // 0 skips the real-time runs (for profiling the fast path alone).
    const double pace = argc > 3 ? std::max(0.0, std::atof(argv[3])) : 8.0;

    for (const char* file : kFiles) {
        std::string path = assets + "/" + file;
        if (access(path.c_str(), R_OK) != 0) {
            std::fprintf(stderr, "bench-sound: %s not found (build the sounds target)\n", path.c_str());
            return 1;
        }
        RegisterAssetFile(TString(file), TString(path.c_str()));
    }
    char folderTemplate[] = "/tmp/bench-sound-XXXXXX";
    if (!mkdtemp(folderTemplate)) {
        std::fprintf(stderr, "bench-sound: no temporary folder\n");
        return 1;
    }
    const std::string folder = folderTemplate;
    TAssetManager assetManager;
    SetAssetManager(&assetManager);

    std::vector<double> ours, oggdec, ratio, share, eight, paced, idle, net, steady;
    FastResult fast;
    bool ok = true;
    for (int round = 0; ok && round < rounds; ++round) {
        double theirs = 0;
        double voices[2] = {0, 0}, none[2] = {0, 0}; // whole, steady
        ok = RunFast(&fast) && RunOggdec(assets, folder, &theirs) &&
             (pace == 0 || (RunPaced(pace, false, &none[0], &none[1]) && RunPaced(pace, true, &voices[0], &voices[1])));
        if (!ok)
            break;
        std::printf("round %d: ours %.3f s CPU, oggdec %.3f s, ratio %.3f", round + 1, fast.cpu, theirs,
                    fast.cpu / theirs);
        if (pace > 0)
            std::printf("; paced %.2f %% of a core (%.2f %% once playing), idle %.2f %%", voices[0] * 100,
                        voices[1] * 100, none[0] * 100);
        std::printf("\n");
        std::fflush(stdout);
        ours.push_back(fast.cpu);
        oggdec.push_back(theirs);
        ratio.push_back(fast.cpu / theirs);
        share.push_back(fast.cpu / fast.longest);
        // As if all eight played the whole time: CPU per second of eight voices.
        eight.push_back(fast.cpu / (fast.total / kVoices));
        paced.push_back(voices[0] * 100);
        idle.push_back(none[0] * 100);
        net.push_back((voices[0] - none[0]) * 100);
        steady.push_back((voices[1] - none[1]) * 100);
    }
    SetAssetManager(nullptr);
    rmdir(folder.c_str());
    if (!ok)
        return 1;

    std::printf("medians of %d rounds, %zu voices (%.1f s of sound, the longest %.2f s; all ended after %.2f s):\n",
                rounds, kVoices, fast.total, fast.longest, fast.simulated);
    std::printf("  decoding and mixing: ours %.3f s CPU, oggdec %.3f s, ratio %.3f\n", Median(ours),
                Median(oggdec), Median(ratio));
    std::printf("  ours as a fraction of real time: %.4f of the longest voice's time, %.4f of the time of eight "
                "voices playing together\n",
                Median(share), Median(eight));
    if (pace > 0)
        std::printf("  real-time pace over %.0f s: %.2f %% of one core with the voices, %.2f %% idle: %.2f %% for "
                    "the voices (%.2f %% once they play)\n",
                    pace, Median(paced), Median(idle), Median(net), Median(steady));
    return 0;
}
