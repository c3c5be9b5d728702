#pragma once

// What an animated sprite needs of the scripts attached to it: the one that
// animates it and the one that started that animation. The display layer
// knows no Lua; a layer above adapts its script tasks to this.
class TSpriteScript {
public:
    virtual ~TSpriteScript() = default;
    // Makes this script's global table the global table of starter's
    // thread (the animating script hands its globals back when the sprite
    // goes away).
    virtual void HandGlobalsTo(TSpriteScript& starter) = 0;
    // Takes the script off the application task list without deleting it;
    // false when it was not listed.
    virtual bool LeaveTaskList() = 0;
    // The script never wakes again.
    virtual void Suspend() = 0;
};
