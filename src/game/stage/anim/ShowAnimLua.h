#pragma once

struct lua_State;

// Script functions that play the show's 2D animations over the screen
// they are given (the stage when there is one, else the top screen):
//   PlayMoneyDisplay(count, honours)  the money ladder lit up to count
//   PlayFlunkOut(text), PlayDropOut(text)  the banner carrying text
// Each returns true when the animation was set going (its events run from
// the next event pass).
void RegisterShowAnimationLua(lua_State* L);
