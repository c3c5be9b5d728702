// A second process for the stand-in layer's tests.
//
// With QUILLORY_HELPER_OUT set it records its arguments to that file (argument
// count, then each argument followed by a NUL) and exits 0: a stand-in URL
// opener. Otherwise the first argument picks a mode:
//   claim NAME              exit 10 first, 11 already running, 12 failed
//   claim-hold NAME MS      claim, print the result code and a newline, hold MS
//   claim-spawn NAME MS     claim, start "sleep"-like child (this helper
//                           holding MS), then exit at once
//   hold MS                 sleep MS
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "os/system/Instance.h"
#include "os/system/Process.h"
#include "os/system/Time.h"

namespace {

int ClaimCode(const char* name)
{
    switch (OsClaimInstance(name)) {
    case OsInstanceClaim::First:
        return 10;
    case OsInstanceClaim::AlreadyRunning:
        return 11;
    case OsInstanceClaim::Failed:
        return 12;
    }
    return 13;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* out = getenv("QUILLORY_HELPER_OUT")) {
        FILE* f = fopen(out, "wb");
        if (!f)
            return 2;
        fprintf(f, "%d", argc - 1);
        fputc(0, f);
        for (int i = 1; i < argc; ++i) {
            fputs(argv[i], f);
            fputc(0, f);
        }
        fclose(f);
        return 0;
    }
    if (argc >= 3 && strcmp(argv[1], "claim") == 0)
        return ClaimCode(argv[2]);
    if (argc >= 4 && strcmp(argv[1], "claim-hold") == 0) {
        int code = ClaimCode(argv[2]);
        printf("%d\n", code);
        fflush(stdout);
        OsSleepMs(atoi(argv[3]));
        return code;
    }
    if (argc >= 4 && strcmp(argv[1], "claim-spawn") == 0) {
        int code = ClaimCode(argv[2]);
        if (code != 10)
            return code;
        std::string self = OsExecutablePath();
        std::string hold = std::string("hold-") + argv[3];
        if (OsStartProgram(self.c_str(), hold.c_str()) < 0)
            return 14;
        return 10;
    }
    if (argc >= 2 && strncmp(argv[1], "hold-", 5) == 0) {
        OsSleepMs(atoi(argv[1] + 5));
        return 0;
    }
    return 3;
}
