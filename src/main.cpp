// Process entry: hands the command line and the game's main function to the
// framework.
#include "app/PlatformMain.h"
#include "game/show/GameMain.h"
#include "platform/CommandLine.h"

int main(int argc, char** argv)
{
    TString commandLine = JoinCommandLine(argc, argv);
    return PlatformMain(commandLine.c_str(), 1, &GameMain, false);
}
