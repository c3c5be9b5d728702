#include "game/stage/StageLinks.h"

namespace KScene {

namespace {
StageCast* gCast = nullptr;
SubtitleHost* gSubtitles = nullptr;
} // namespace

void SetStageCast(StageCast* cast) { gCast = cast; }
StageCast* GetStageCast() { return gCast; }
void SetSubtitleHost(SubtitleHost* host) { gSubtitles = host; }
SubtitleHost* GetSubtitleHost() { return gSubtitles; }

} // namespace KScene
