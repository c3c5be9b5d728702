#pragma once

struct lua_State;

// Script functions of the stage, for stage scripts and for trying shots:
//   LoadStudio(file)        reads a scene file at once (textures and
//                           meshes included); the number of elements
//   CameraShot(name, ms)    a camera move to the named shot ("default",
//                           "intro", "board", "final") over ms; false for
//                           an unknown name
//   CameraMove(x, y, z, pitch, yaw, roll, fov, ms)  the same to any shot
//   CameraReturn(ms)        back to the shot before the first move
//   LoadCast()              the classmates and the host (read on first
//                           use); how many have a model to show
//   PlayCastAnimation(who, name)  classmate 0 to 4, or 255 for the host
//                           (whose names take its mark: "Talk1" plays
//                           "Pos1_Talk1"), plays the named animation
// The moves and animations run as show events, from the next event pass.
void RegisterStageLua(lua_State* L);
