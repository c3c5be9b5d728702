#pragma once
// A child that notes when the window it sits in is deleted (children go
// with their parent).
#include "ui/Window.h"

class GoneProbe : public TWindow {
public:
    explicit GoneProbe(bool* gone) : mGone(gone) {}
    ~GoneProbe() override { *mGone = true; }

private:
    bool* mGone;
};
