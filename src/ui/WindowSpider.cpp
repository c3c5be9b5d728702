#include "ui/WindowSpider.h"

#include <algorithm>

#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

bool GetLargest::Visit(TWindow* window)
{
    mRight = std::max(mRight, window->GetRect().right);
    mBottom = std::max(mBottom, window->GetRect().bottom);
    return true;
}

bool ChildrenDelete::Visit(TWindow* window)
{
    if (mParent->RemoveChild(window) != mParent)
        return true; // not (or no longer) a child: not ours to delete
    if (mManager)
        mManager->DeferDelete(window);
    else
        delete window;
    return true;
}

bool TWindowClearFlags::Visit(TWindow* window)
{
    window->SetFlags(window->GetFlags() & mMask);
    if (mRecursive)
        window->Walk(*this);
    return true;
}
