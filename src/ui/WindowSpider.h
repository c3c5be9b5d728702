#pragma once
#include <cstdint>

#include "ui/Window.h"

class TWindowManager;

// The largest right and bottom edge among the visited children, started at
// the parent's own width and height.
class GetLargest : public TWindowSpider {
public:
    explicit GetLargest(const TWindow& parent)
        : mRight(parent.GetWidth()), mBottom(parent.GetHeight())
    {
    }
    bool Visit(TWindow* window) override;
    int32_t GetRight() const { return mRight; }
    int32_t GetBottom() const { return mBottom; }

private:
    int32_t mRight;
    int32_t mBottom;
};

// Removes each visited child from the parent and hands it to the window
// manager's deferred deletion; without a manager the child is deleted at once.
class ChildrenDelete : public TWindowSpider {
public:
    ChildrenDelete(TWindow* parent, TWindowManager* manager) : mParent(parent), mManager(manager) {}
    bool Visit(TWindow* window) override;

private:
    TWindow* mParent;
    TWindowManager* mManager;
};

// SetFlags(flags AND mask) on each visited window, and on its children too
// when recursive.
class TWindowClearFlags : public TWindowSpider {
public:
    TWindowClearFlags(uint32_t mask, bool recursive) : mMask(mask), mRecursive(recursive) {}
    bool Visit(TWindow* window) override;

private:
    uint32_t mMask;
    bool mRecursive;
};
