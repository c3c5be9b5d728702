#pragma once
#include <vector>

// The game's singletons, each made by its accessor on first use, are
// destroyed after the event loop in one fixed order (the show before the
// engines it uses, the event manager before the stage, the random source
// and the settings last). Game singletons that do not exist yet are not
// listed; each joins this table at its place in the order.
struct TGameSingleton {
    const char* name;
    void (*destroy)();
};

// The table in shut-down order.
const std::vector<TGameSingleton>& GameSingletons();

// Destroys each in order; safe to call again (each destroy does nothing
// when its object is gone).
void DestroyGameSingletons();
