#include "ui/Window.h"

#include <algorithm>
#include <limits>

#include "render/Renderer.h"
#include "ui/ModalWindow.h"
#include "ui/Style.h"
#include "ui/WindowAnim.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"
#include "ui/WindowSpider.h"

namespace {

uint32_t gNextWindowId = 0;

void InvalidateManager()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

bool IsPointerEvent(int32_t type)
{
    switch (type) {
    case kEventLeftDown:
    case kEventButton:
    case kEventLeftUp:
    case kEventMouseMove:
    case kEventHover:
        return true;
    default:
        return false;
    }
}

// Geometry encoding of styles.
constexpr int64_t kMaxPixelPos = 40000;
constexpr int64_t kMaxCentrePos = 106666;
constexpr int64_t kCentre = 80000;
constexpr int64_t kFarEdge = 160000;
constexpr int64_t kMaxPixelSize = 80000;

bool IsPixelPos(int64_t pos)
{
    return pos >= 0 && pos <= kMaxPixelPos;
}

bool IsPixelSize(int64_t size)
{
    return size >= 0 && size <= kMaxPixelSize;
}

bool FitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// Resolves one axis. extent < 0: no parent (only the alignment is applied).
// False when the result is out of range.
bool ResolveAxis(int64_t pos, int64_t size, bool centre, bool far, int64_t extent, int32_t& outPos,
                 int32_t& outSize)
{
    if (size != 0) {
        if (centre)
            pos -= size / 2;
        else if (far)
            pos -= size;
    }
    int64_t p = pos;
    int64_t s = size;
    if (extent >= 0) {
        if (s > kMaxPixelSize && pos > kMaxPixelPos) {
            // A stretched size with a position from the centre or far edge:
            // d is the offset from the centre (or from the far edge).
            const int64_t d = pos > kMaxCentrePos ? pos - kFarEdge + extent : pos - kCentre;
            if (d >= 0) {
                s = size + extent - 2 * d - kFarEdge;
                p = 2 * d;
            } else {
                s = size + extent + 2 * d - kFarEdge;
                p = 0;
            }
        } else {
            if (IsPixelPos(pos))
                p = pos;
            else if (pos < 0)
                p = extent + pos;
            else if (pos <= kMaxCentrePos)
                p = extent / 2 - size / 2 + (pos - kCentre);
            else
                p = extent + pos - kFarEdge;

            if (IsPixelSize(size))
                s = size;
            else if (size > kMaxPixelSize)
                s = size - kFarEdge + extent - p;
            else {
                // Extends backwards from the position.
                p += size;
                s = -size;
            }
        }
    }
    if (s < 0)
        s = 0;
    if (!FitsInt32(p) || !FitsInt32(s) || !FitsInt32(p + s))
        return false;
    outPos = int32_t(p);
    outSize = int32_t(s);
    return true;
}

} // namespace

TWindow::TWindow() : mId(gNextWindowId++)
{
}

TWindow::~TWindow()
{
    if (mAnim) {
        mAnim->ForgetWindow();
        mAnim = nullptr;
    }
    InvalidateManager();
    // Leaves the parent's list and the modal window's cover set.
    if (mParent)
        mParent->RemoveChild(this);
    mParent = nullptr;
    while (!mChildren.empty()) {
        TWindow* child = mChildren.front();
        mChildren.erase(mChildren.begin());
        child->mParent = nullptr;
        delete child;
    }
    if (TWindowManager* manager = GetWindowManager())
        manager->WindowDestroyed(this);
    TMessage::ForgetWindow(this);
}

TWindow* TWindow::GetCreator()
{
    return new TWindow();
}

TString TWindow::FormatId(uint32_t id)
{
    return StrFormat("%8x", id);
}

void TWindow::Init(const TStyle& style)
{
    mName = style.GetString("name", TString());
    ApplyGeometry(style);
}

void TWindow::PostInit(const TStyle& style)
{
    if (style.GetBool("fit", false))
        FitToChildren();
    ApplyGeometry(style);
}

void TWindow::ApplyGeometry(const TStyle& style)
{
    const int64_t x = style.GetInt("x", 0);
    const int64_t y = style.GetInt("y", 0);
    const int64_t w = style.GetInt("w", GetWidth());
    const int64_t h = style.GetInt("h", GetHeight());

    if (mParent) {
        const bool relativeX = !IsPixelPos(x) || !IsPixelSize(w);
        const bool relativeY = !IsPixelPos(y) || !IsPixelSize(h);
        if ((relativeX && mParent->GetWidth() == 0) || (relativeY && mParent->GetHeight() == 0))
            return;
    }
    if ((!IsPixelPos(x) && w == 0) || (!IsPixelPos(y) && h == 0))
        return;
    // A backward size longer than the encoding allows is out of range.
    if (w < -kMaxPixelSize || h < -kMaxPixelSize)
        return;

    const int32_t align = style.GetInt("align", 0);
    int32_t left, width, top, height;
    if (!ResolveAxis(x, w, align & 0x1, align & 0x2, mParent ? mParent->GetWidth() : -1, left, width))
        return;
    if (!ResolveAxis(y, h, align & 0x4, align & 0x8, mParent ? mParent->GetHeight() : -1, top, height))
        return;

    // What the window already has (non-zero) wins over the style.
    const int32_t oldWidth = GetWidth();
    const int32_t oldHeight = GetHeight();
    MoveTo(mRect.left ? mRect.left : left, mRect.top ? mRect.top : top);
    SetSize(oldWidth ? oldWidth : width, oldHeight ? oldHeight : height);
}

bool TWindow::ResolvePosition(int32_t x, int32_t y, int32_t w, int32_t h, int32_t align,
                              const TWindow* reference, TPoint& out)
{
    int32_t width, height;
    return ResolveAxis(x, w, align & 0x1, align & 0x2, reference ? reference->GetWidth() : -1, out.x, width) &&
           ResolveAxis(y, h, align & 0x4, align & 0x8, reference ? reference->GetHeight() : -1, out.y, height);
}

bool TWindow::AddChild(TWindow* child, bool attach)
{
    if (!child || child == this)
        return false;
    // A window that is one of this window's ancestors cannot become its child.
    for (TWindow* w = mParent; w; w = w->mParent)
        if (w == child)
            return false;

    auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it == mChildren.end()) {
        // A window lives in one list only.
        if (child->mParent)
            child->mParent->RemoveChild(child);
        mChildren.insert(mChildren.begin(), child);
        child->mParent = this;
        child->UpdateCoverTree(true);
        InvalidateManager();
    }
    if (attach && !child->OnAttach()) {
        // Undo: the child itself leaves the list, wherever it stands.
        child->UpdateCoverTree(false);
        auto pos = std::find(mChildren.begin(), mChildren.end(), child);
        if (pos != mChildren.end())
            mChildren.erase(pos);
        child->mParent = nullptr;
        return false;
    }
    return true;
}

TWindow* TWindow::RemoveChild(TWindow* child)
{
    auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it == mChildren.end())
        return nullptr;
    InvalidateManager();
    // The whole subtree leaves the cover set (while the child is still
    // attached, so that its modal window can be found).
    child->UpdateCoverTree(false);
    mChildren.erase(std::find(mChildren.begin(), mChildren.end(), child));
    child->mParent = nullptr;
    return this;
}

bool TWindow::OnMouseHover(TPoint point)
{
    TWindowManager* manager = GetWindowManager();
    THoverHandler* handler = manager ? manager->GetHoverHandler() : nullptr;
    return handler ? handler->OnMouseHover(this, point.x, point.y) : false;
}

void TWindow::MoveTo(int32_t x, int32_t y)
{
    const int32_t w = GetWidth();
    const int32_t h = GetHeight();
    mRect = TRect(x, y, x + w, y + h);
    InvalidateManager();
}

void TWindow::SetSize(int32_t width, int32_t height)
{
    mRect.right = mRect.left + width;
    mRect.bottom = mRect.top + height;
    InvalidateManager();
    UpdateCover();
}

TRect TWindow::GetScreenRect() const
{
    TRect r = mRect;
    for (const TWindow* p = mParent; p; p = p->mParent) {
        r.left += p->mRect.left;
        r.right += p->mRect.left;
        r.top += p->mRect.top;
        r.bottom += p->mRect.top;
    }
    return r;
}

TPoint TWindow::ClientToScreen(TPoint p) const
{
    const TRect r = GetScreenRect();
    return {p.x + r.left, p.y + r.top};
}

TPoint TWindow::ScreenToClient(TPoint p) const
{
    const TRect r = GetScreenRect();
    return {p.x - r.left, p.y - r.top};
}

void TWindow::FitToChildren()
{
    GetLargest largest(*this);
    Walk(largest);
    SetSize(largest.GetRight(), largest.GetBottom());
}

void TWindow::SetFlags(uint32_t flags)
{
    mFlags = (mFlags & ~0xFF00u) | (flags & 0xFF00u);
    UpdateCover();
}

void TWindow::ChangeFlags(uint32_t add, uint32_t remove)
{
    mFlags = (mFlags & ~remove) | add;
    UpdateCover();
}

bool TWindow::IsShown() const
{
    for (const TWindow* w = this; w; w = w->mParent) {
        if (!(w->mFlags & kWindowShown))
            return false;
        if (w->mFlags & kWindowModalRoot)
            return true;
    }
    return false;
}

TWindow* TWindow::SetParent(TWindow* parent)
{
    TWindow* former = mParent;
    mParent = parent;
    return former;
}

TModalWindow* TWindow::GetModalWindow() const
{
    for (TWindow* w = mParent; w; w = w->mParent)
        if (w->mFlags & kWindowModalRoot)
            return Cast<TModalWindow>(w);
    return nullptr;
}

TWindow* TWindow::FindChild(const TString& name, int32_t depth)
{
    if (mName == name)
        return this;
    if (depth == 0)
        return nullptr;
    const int32_t next = depth < 0 ? depth : depth - 1;
    for (TWindow* child : mChildren)
        if (TWindow* found = child->FindChild(name, next))
            return found;
    return nullptr;
}

void TWindow::Walk(TWindowSpider& spider, bool reverse)
{
    // The visit may change the list: walk a copy and skip windows that are
    // no longer children.
    const std::vector<TWindow*> children = mChildren;
    const size_t n = children.size();
    for (size_t i = 0; i < n; ++i) {
        TWindow* child = children[reverse ? n - 1 - i : i];
        if (std::find(mChildren.begin(), mChildren.end(), child) == mChildren.end())
            continue;
        if (!spider.Visit(child))
            break;
    }
}

void TWindow::DeleteChildren()
{
    ChildrenDelete spider(this, GetWindowManager());
    Walk(spider);
}

bool TWindow::ContainsInParent(TPoint p) const
{
    return p.x >= mRect.left && p.x < mRect.right && p.y >= mRect.top && p.y < mRect.bottom;
}

TWindow* TWindow::GetChildAt(TPoint point) const
{
    for (TWindow* child : mChildren)
        if (child->ContainsInParent(point) && child->IsShown())
            return child;
    return nullptr;
}

TWindow* TWindow::FindDeepest(TPoint& point, int32_t depth)
{
    TWindow* window = this;
    while (depth != 0) {
        TWindow* child = window->GetChildAt(point);
        if (!child)
            break;
        point = child->ParentToChild(point);
        window = child;
        if (depth > 0)
            --depth;
    }
    return window;
}

bool TWindow::DispatchEvent(const TPlatformEvent& event, bool focusTaken)
{
    const TPoint point{event.x, event.y};
    bool handled = false;
    switch (event.type) {
    case kEventLeftDown:
        handled = OnMouseDown(point);
        break;
    case kEventButton:
        handled = OnMouseButton(event.param, point);
        break;
    case kEventLeftUp:
        handled = OnMouseUp(point);
        break;
    case kEventMouseMove:
        handled = OnMouseMove(point);
        break;
    case kEventHover:
        handled = OnMouseHover(point);
        break;
    case kEventKeyDown:
        handled = OnKeyDown(event.param & 0xFF, event.param2);
        break;
    case kEventKeyUp:
        handled = OnKeyUp(event.param & 0xFF);
        break;
    case kEventChar:
        handled = OnChar(event.param & 0xFF);
        break;
    default:
        break;
    }

    TWindowManager* manager = GetWindowManager();
    if (event.type == kEventLeftDown && !focusTaken) {
        // The nearest window that takes the focus, up to the modal root.
        for (TWindow* w = this; w; w = w->mParent) {
            if (w->mFlags & kWindowTakesFocus) {
                if (manager)
                    manager->SetFocus(w);
                focusTaken = true;
                break;
            }
            if (w->mFlags & kWindowModalRoot)
                break;
        }
    }
    if (handled)
        return true;

    if (!(mFlags & kWindowModalRoot)) {
        TWindow* parent = mParent;
        if (!parent)
            return false;
        TPlatformEvent up = event;
        if (IsPointerEvent(event.type)) {
            const TPoint inParent = ChildToParent(point);
            up.x = inParent.x;
            up.y = inParent.y;
            // The first later sibling under the point takes it, at its
            // deepest window there.
            const std::vector<TWindow*>& siblings = parent->mChildren;
            auto it = std::find(siblings.begin(), siblings.end(), this);
            if (it != siblings.end()) {
                for (++it; it != siblings.end(); ++it) {
                    TWindow* sibling = *it;
                    if (!sibling->ContainsInParent(inParent) || !sibling->IsShown())
                        continue;
                    TPoint p = sibling->ParentToChild(inParent);
                    TWindow* target = sibling->FindDeepest(p);
                    TPlatformEvent down = event;
                    down.x = p.x;
                    down.y = p.y;
                    return target->DispatchEvent(down, focusTaken);
                }
            }
        }
        return parent->DispatchEvent(up, focusTaken);
    }

    // Unhandled at the modal root.
    TString text;
    if (event.type == kEventLeftUp) {
        text = "mouse:up";
    } else if (event.type == kEventKeyDown) {
        text = "raw:";
        text += char(event.param & 0xFF);
    }
    if (!text.IsEmpty() && manager)
        manager->PostMessage(std::make_unique<TMessage>(kMsgPressAnyKey, text, nullptr));
    return false;
}

void TWindow::SendMessage(TMessagePtr message)
{
    if (!message)
        return;
    for (TWindow* w = this; w; w = w->mParent) {
        if (w->OnMessage(message.get()))
            return;
        if (!(w->mFlags & kWindowModalRoot))
            continue;
        if (TModalWindow* modal = Cast<TModalWindow>(w)) {
            TWindow* focus = modal->GetFocusWindow();
            if (focus && focus->OnMessage(message->GetNative()))
                return;
        }
        TWindowManager* manager = GetWindowManager();
        if (TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr)
            script->DeliverMessage(std::move(message));
        return;
    }
    // No modal root above: nobody else to ask; the message is deleted.
}

void TWindow::SendMessageTo(TWindow* target, TMessagePtr message)
{
    if (target)
        target->SendMessage(std::move(message));
}

bool TWindow::DrawTree(int32_t mode)
{
    if (!(mFlags & kWindowShown))
        return false;
    if (mode == kDrawToTexture) {
        if (!(mFlags & kWindowToTexture))
            return false;
        if (mParent && !(mParent->mFlags & kWindowDrawnToTexture))
            return false;
        mFlags |= kWindowDrawnToTexture;
    } else if (mode == kDrawCompletion && (mFlags & kWindowDrawnToTexture)) {
        return false;
    }

    TRenderer* renderer = TRenderer::Get();
    const TRect screen = GetScreenRect();
    TRect clip;
    renderer->GetClipRect(clip);
    clip = TRect::Intersect(clip, screen);
    if (clip.IsEmpty())
        return true;

    const bool viewport = screen.right != 0;
    if (viewport)
        renderer->PushViewport(screen);
    renderer->PushClipRect(clip);

    Draw();
    // Back to front: the front child is drawn last, on top.
    const std::vector<TWindow*> children = mChildren;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TWindow* child = *it;
        if (std::find(mChildren.begin(), mChildren.end(), child) == mChildren.end())
            continue;
        if (!(child->mFlags & kWindowModalRoot))
            child->DrawTree(mode);
    }
    PostDraw();

    if (viewport)
        renderer->PopViewport();
    renderer->PopClipRect();
    return true;
}

void TWindow::SetTimer(uint32_t delay, bool repeat, bool fromNow, bool catchUp)
{
    if (!mAnim) {
        TModalWindow* modal = Cast<TModalWindow>(this);
        if (!modal)
            modal = GetModalWindow();
        if (!modal)
            return; // outside every modal window: no task list to run on
        mAnim = new TWindowAnim(this, &modal->GetClock());
        modal->AddTask(mAnim);
    }
    mAnim->SetTimer(delay, repeat, fromNow, catchUp);
}

void TWindow::ReleaseAnim()
{
    if (!mAnim)
        return;
    mAnim->ForgetWindow();
    mAnim = nullptr;
}

bool TWindow::IsCover(const TModalWindow* modal) const
{
    if (!(mFlags & kWindowOpaqueCover))
        return false;
    // The screen's size; the modal window's own before there is a screen.
    const TWindowManager* manager = GetWindowManager();
    const TWindow* reference = manager && manager->GetRootWindow() ? manager->GetRootWindow() : modal;
    return GetWidth() == reference->GetWidth() && GetHeight() == reference->GetHeight();
}

void TWindow::UpdateCover()
{
    if (TModalWindow* modal = GetModalWindow())
        modal->UpdateCover(this, IsCover(modal));
}

void TWindow::UpdateCoverTree(bool add)
{
    TModalWindow* modal = GetModalWindow();
    if (!modal)
        return;
    // Depth first over the subtree; windows inside a nested modal window
    // belong to that one's set.
    std::vector<TWindow*> stack{this};
    while (!stack.empty()) {
        TWindow* w = stack.back();
        stack.pop_back();
        modal->UpdateCover(w, add && w->IsCover(modal));
        if (w->mFlags & kWindowModalRoot)
            continue;
        stack.insert(stack.end(), w->mChildren.begin(), w->mChildren.end());
    }
}
