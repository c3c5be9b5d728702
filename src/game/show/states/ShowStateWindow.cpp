#include "game/show/states/ShowStateWindow.h"

namespace KShow {

eShowStateWindow::eShowStateWindow(TWindow* parent, TWindow* window)
    : eShowWindow(parent, window), mUnshown(window), mHasParent(parent != nullptr)
{
}

eShowStateWindow::~eShowStateWindow() = default;

void eShowStateWindow::Start()
{
    if (mHasParent)
        mUnshown.release();
    eShowWindow::Start();
    mUnshown.reset();
}

void eShowStateWindow::Skip()
{
    if (!IsStarted())
        mUnshown.reset();
    eShowWindow::Skip();
}

std::shared_ptr<eShowStateWindow> MakeShowStateWindow(TWindow* parent, TWindow* window)
{
    return KEvent::Create<eShowStateWindow>(parent, window);
}

} // namespace KShow
