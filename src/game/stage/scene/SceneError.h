#pragma once
#include <cstddef>

namespace KScene {

// Longest message SceneError writes; the rest of a longer one is cut.
constexpr size_t kSceneErrorMax = 1024;

// Reports a problem met while reading or loading the studio set (a bad
// value, an unknown material, a file that does not load): the formatted
// message goes to the log after "Scene: ". Loading always goes on.
void SceneError(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace KScene
