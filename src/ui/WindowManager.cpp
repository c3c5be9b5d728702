#include "ui/WindowManager.h"

#include <algorithm>

#include "platform/Log.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/Renderer.h"
#include "ui/ModalWindow.h"
#include "ui/Window.h"
#include "ui/WindowScriptHooks.h"

namespace {

TWindowManager* gWindowManager = nullptr;

constexpr uint32_t kFrameInterval = 12;
constexpr uint32_t kBackgroundFrameInterval = 200;

bool Contains(const TRect& rect, int32_t x, int32_t y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

void ClearDrawnToTexture(TWindow* window)
{
    if (window->GetFlags() & kWindowDrawnToTexture)
        window->SetFlags(window->GetFlags() & ~uint32_t(kWindowDrawnToTexture));
    for (TWindow* child : window->GetChildren())
        ClearDrawnToTexture(child);
}

template <class T>
bool Erase(std::vector<T*>& list, const T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace

TWindowManager* GetWindowManager()
{
    return gWindowManager;
}

TWindowManager::TWindowManager()
{
    if (!gWindowManager)
        gWindowManager = this;
}

TWindowManager::~TWindowManager()
{
    // The script goes before the manager; it is not told about the pops below.
    mScript = nullptr;
    mListeners.clear();
    mRetiredListeners.clear();
    mCapture.clear();
    while (!mModals.empty())
        PopModal();
    DeletePending();
    std::vector<TWindow*> overlays;
    overlays.swap(mOverlays);
    for (TWindow* window : overlays)
        delete window;
    // Windows destroyed above may have posted messages; they go with the queue.
    mQueue.clear();
    if (gWindowManager == this)
        gWindowManager = nullptr;
}

// ---------------------------------------------------------------- script

void TWindowManager::Init(TWindowScriptHooks* script)
{
    mScript = script;
    if (mScript && GetTopModal())
        mScript->SetCurrentParent(GetTopModal());
}

bool TWindowManager::RegisterWindowType(const TString& name, TWindowCreator creator)
{
    return mScript && mScript->RegisterWindowType(name, creator);
}

bool TWindowManager::RunWindowScript(TWindow* window, const TString& fileName)
{
    if (!mScript)
        return false;
    TWindow* previous = mScript->GetCurrentParent();
    mScript->SetCurrentParent(window);
    bool ok = mScript->RunFile(fileName);
    mScript->SetCurrentParent(previous);
    return ok;
}

bool TWindowManager::RunWindowString(TWindow* window, const TString& code)
{
    if (!mScript)
        return false;
    TWindow* previous = mScript->GetCurrentParent();
    mScript->SetCurrentParent(window);
    bool ok = mScript->RunString(code);
    mScript->SetCurrentParent(previous);
    return ok;
}

bool TWindowManager::SetTranslateLabels(bool on)
{
    return mScript ? mScript->SetTranslateLabels(on) : false;
}

// ---------------------------------------------------------------- events

void TWindowManager::HandleEvent(const TPlatformEvent& event)
{
    if (event.type == kEventNothing)
        return;
    if (event.type == kEventDisplayChanged)
        mRenderTarget.reset();
    DeletePending();
    TModalWindow* top = GetTopModal();
    if (!top)
        return;

    switch (event.type) {
    case kEventIdle:
        top->RunTasks(kPassIdle);
        DispatchMessages();
        Frame();
        DispatchMessages();
        break;
    case kEventPaint:
        Invalidate();
        DispatchMessages();
        Frame();
        DispatchMessages();
        break;
    case kEventLeftDown:
    case kEventButton:
    case kEventLeftUp:
    case kEventMouseMove:
    case kEventHover:
        if (!mInputCovered)
            RoutePointer(event);
        DispatchMessages();
        break;
    case kEventMouseLeave:
        LeaveCaptures();
        DispatchMessages();
        break;
    case kEventKeyDown:
    case kEventKeyUp:
    case kEventChar:
        (mFocus ? mFocus : top)->DispatchEvent(event);
        DispatchMessages();
        break;
    case kEventActivate:
        break;
    default:
        DispatchMessages();
        if (TModalWindow* current = GetTopModal())
            current->DispatchEvent(event);
        break;
    }
}

void TWindowManager::RoutePointer(const TPlatformEvent& event)
{
    TPlatformEvent local = event;
    if (mCapture.empty()) {
        TModalWindow* top = GetTopModal();
        TPoint point = top->ScreenToClient(TPoint{event.x, event.y});
        TWindow* target = top->FindDeepest(point, -1);
        mHover = target;
        if (mOutlineHover)
            Invalidate();
        local.x = point.x;
        local.y = point.y;
        target->DispatchEvent(local);
        return;
    }
    // Handlers change the list (leave, release, capture): walk a copy and
    // skip every window that is no longer listed.
    std::vector<TWindow*> snapshot = mCapture;
    for (TWindow* window : snapshot) {
        if (!HasCapture(window))
            continue;
        if (!Contains(window->GetScreenRect(), event.x, event.y)) {
            window->OnMouseLeave();
            if (!HasCapture(window))
                continue;
        }
        TPoint point = window->ScreenToClient(TPoint{event.x, event.y});
        local.x = point.x;
        local.y = point.y;
        window->DispatchEvent(local);
    }
}

void TWindowManager::LeaveCaptures()
{
    std::vector<TWindow*> snapshot = mCapture;
    for (TWindow* window : snapshot)
        if (HasCapture(window))
            window->OnMouseLeave();
}

// ---------------------------------------------------------------- messages

void TWindowManager::PostMessage(TMessagePtr message)
{
    if (message)
        mQueue.push_back(std::move(message));
}

void TWindowManager::DispatchMessages()
{
    while (!mQueue.empty()) {
        TMessagePtr message = std::move(mQueue.front());
        mQueue.pop_front();
        RouteMessage(std::move(message));
    }
}

void TWindowManager::RouteMessage(TMessagePtr message)
{
    TMessage* native = message->GetNative();
    if (!native)
        native = message.get();
    if (native->GetType() == kMsgQuitNow) {
        message.reset();
        RequestQuit();
        return;
    }
    TWindow* target = message->GetTarget();
    // A window waiting for deletion takes no more messages.
    if (target && IsPendingDelete(target)) {
        message->SetTarget(nullptr);
        target = nullptr;
    }
    if (!target) {
        ++mOffering;
        bool consumed = false;
        for (size_t i = 0; i < mListeners.size() && !consumed; ++i)
            if (mListeners[i])
                consumed = mListeners[i]->Offer(native);
        if (--mOffering == 0) {
            mRetiredListeners.clear();
            mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), nullptr), mListeners.end());
        }
        if (consumed)
            return;
        target = mFocus ? mFocus : GetTopModal();
        if (!target)
            return;
    }
    target->SendMessage(std::move(message));
}

void TWindowManager::AddMessageListener(std::unique_ptr<TMessageListener> listener)
{
    if (listener)
        mListeners.push_back(std::move(listener));
}

bool TWindowManager::RemoveMessageListener(TMessageListener* listener)
{
    for (size_t i = 0; i < mListeners.size(); ++i) {
        if (!listener || mListeners[i].get() != listener)
            continue;
        if (mOffering)
            mRetiredListeners.push_back(std::move(mListeners[i])); // deleted after the offer
        else
            mListeners.erase(mListeners.begin() + ptrdiff_t(i));
        return true;
    }
    return false;
}

void TWindowManager::RequestQuit()
{
    mQuitRequested = true;
    if (mHost)
        mHost->RequestQuit(0);
}

// ---------------------------------------------------------------- frames

bool TWindowManager::IsActive() const
{
    return mHost ? mHost->IsActive() : true;
}

void TWindowManager::Frame()
{
    mTreeChanged = false;
    if (mMoviePlaying || !mNeedsRedraw)
        return;
    if (mHost && mHost->IsFlipPending())
        return;

    uint32_t interval = kFrameInterval;
    if (!IsActive() && !(mHost && (mHost->HasPqSwitch() || mHost->IsHosted())))
        interval = kBackgroundFrameInterval;
    uint32_t now = GetTimer();
    // Elapsed time by unsigned difference: correct across the counter's wrap.
    if (now - mLastFrameTime < interval)
        return;
    mLastFrameTime = now;

    if (mModals.empty())
        return;
    ClearDrawnToTexture(mModals.front());

    if (mHost)
        if (TTaskList* tasks = mHost->GetAppTasks())
            tasks->RunAll(kPassFrame);
    if (TModalWindow* top = GetTopModal())
        top->RunTasks(kPassFrame);
    // Invalidations made by the frame tasks do not ask for another frame,
    // but a modal window popped by them does: this frame draws no modal
    // window, and the picture must not stay as it was.
    mNeedsRedraw = mTreeChanged;

    TRenderer* renderer = TRenderer::Get();
    if (!mRenderTarget) {
        if (renderer->BeginDraw(false)) {
            DrawModalStack(kDrawNormal);
            DrawOverlays();
            DrawHoverOutline();
            renderer->EndDraw(true);
        }
        return;
    }
    if (renderer->BeginRenderToTexture(mRenderTarget, 0)) {
        DrawModalStack(kDrawToTexture);
        renderer->EndRenderToTexture();
    }
    if (renderer->BeginDraw(false)) {
        if (mRoot)
            mRoot->DrawTree(kDrawNormal);
        DrawModalStack(kDrawCompletion);
        DrawOverlays();
        DrawHoverOutline();
        renderer->EndDraw(true);
    }
}

void TWindowManager::DrawModalStack(int32_t mode)
{
    if (mTreeChanged || mModals.empty())
        return;
    TModalWindow* top = mModals.back();
    if (mode == kDrawCompletion || mTopModalOnly) {
        top->DrawTree(mode);
        return;
    }
    // Start at the topmost full-screen opaque cover, else at the bottom.
    size_t start = 0;
    if (mRoot) {
        for (size_t i = mModals.size(); i-- > 0;) {
            TModalWindow* modal = mModals[i];
            if ((modal->GetFlags() & kWindowOpaqueCover) && modal->GetWidth() == mRoot->GetWidth() &&
                modal->GetHeight() == mRoot->GetHeight()) {
                start = i;
                break;
            }
        }
    }
    for (size_t i = start; i < mModals.size() && !mTreeChanged; ++i) {
        if (mode == kDrawToTexture && mModals[i] == top)
            continue;
        mModals[i]->DrawTree(mode);
    }
}

void TWindowManager::DrawOverlays()
{
    for (size_t i = 0; i < mOverlays.size(); ++i)
        mOverlays[i]->DrawTree(kDrawNormal);
}

void TWindowManager::DrawHoverOutline()
{
    if (!mOutlineHover || !mHover || !mRoot)
        return;
    TRenderer* renderer = TRenderer::Get();
    TRect area = mRoot->GetScreenRect();
    TRect r = mHover->GetScreenRect();
    // Relative to the viewport of the root window.
    r = TRect(r.left - area.left, r.top - area.top, r.right - area.left, r.bottom - area.top);
    const float yellow[4] = {1, 1, 0, 1};
    renderer->PushViewport(area);
    renderer->PushClipRect(area);
    renderer->FillRect(TRect(r.left, r.top, r.right, r.top + 2), yellow);
    renderer->FillRect(TRect(r.left, r.bottom - 2, r.right, r.bottom), yellow);
    renderer->FillRect(TRect(r.left, r.top, r.left + 2, r.bottom), yellow);
    renderer->FillRect(TRect(r.right - 2, r.top, r.right, r.bottom), yellow);
    renderer->PopClipRect();
    renderer->PopViewport();
}

void TWindowManager::AddOverlayWindow(TWindow* window)
{
    if (window && std::find(mOverlays.begin(), mOverlays.end(), window) == mOverlays.end())
        mOverlays.push_back(window);
}

// ---------------------------------------------------------------- modal stack

TModalWindow* TWindowManager::GetTopModal() const
{
    return mModals.empty() ? nullptr : mModals.back();
}

TModalWindow* TWindowManager::GetModal(uint32_t fromTop) const
{
    return fromTop < mModals.size() ? mModals[mModals.size() - 1 - fromTop] : nullptr;
}

void TWindowManager::SetRootWindow(TModalWindow* window)
{
    if (!window)
        return;
    mRoot = window;
    PushModal(window);
    TRect viewport;
    TRenderer::Get()->GetViewport(viewport);
    window->SetSize(viewport.Width(), viewport.Height());
    window->OnAttach();
}

void TWindowManager::PushModal(TModalWindow* window)
{
    if (!window)
        return;
    if (std::find(mModals.begin(), mModals.end(), window) != mModals.end()) {
        WriteLog("PushModal: window %s is already on the modal stack", window->GetIdString().c_str());
        return;
    }
    mHover = nullptr;
    LeaveCaptures();
    mCapture.clear();

    TModalWindow* previous = GetTopModal();
    mModals.push_back(window);
    if (previous) {
        previous->AddChild(window, false);
        previous->GetClock().Pause();
    }
    SetFocus(window);
    if (mScript)
        mScript->SetCurrentParent(window);
    window->OnAttach();
    if (window->GetWidth() == 0 && window->GetParent())
        window->SetSize(window->GetParent()->GetWidth(), window->GetParent()->GetHeight());
    Invalidate();
}

void TWindowManager::PopModal()
{
    TModalWindow* top = GetTopModal();
    if (!top)
        return;
    if (TWindow* parent = top->GetParent())
        parent->RemoveChild(top);
    DeferDelete(top);
    mModals.pop_back();
    top->ClearTasks();
    if (TModalWindow* next = GetTopModal()) {
        if (mScript)
            mScript->SetCurrentParent(next);
        SetFocus(next);
        // Its timers run again (the clock was paused by the push).
        next->GetClock().Start();
    } else if (mScript) {
        mScript->SetCurrentParent(nullptr);
    }
    Invalidate();
    mTreeChanged = true;
}

bool TWindowManager::DoPopModal(const TString& name)
{
    mHover = nullptr;
    TWindow* found = nullptr;
    for (TWindow* window = GetTopModal(); window && !found; window = window->GetParent())
        if (window->GetName() == name || window->GetIdString() == name)
            found = window;
    if (!found)
        return false;
    while (TModalWindow* top = GetTopModal()) {
        PopModal();
        if (top == found)
            break;
    }
    if (TModalWindow* top = GetTopModal())
        top->GetClock().Start();
    return true;
}

// ---------------------------------------------------------------- focus, capture

void TWindowManager::SetFocus(TWindow* window)
{
    PassFocus(window, mFocus);
}

void TWindowManager::PassFocus(TWindow* window, TWindow* previous)
{
    mFocus = window;
    if (window)
        window->OnSetFocus(previous);
}

void TWindowManager::AddCapture(TWindow* window)
{
    if (window && !HasCapture(window))
        mCapture.insert(mCapture.begin(), window);
}

void TWindowManager::ReleaseCapture(TWindow* window)
{
    Erase(mCapture, window);
}

bool TWindowManager::HasCapture(const TWindow* window) const
{
    return std::find(mCapture.begin(), mCapture.end(), window) != mCapture.end();
}

// ---------------------------------------------------------------- deletion

void TWindowManager::DeferDelete(TWindow* window)
{
    if (!window || std::find(mPending.begin(), mPending.end(), window) != mPending.end())
        return;
    mHover = nullptr;
    mPending.push_back(window);
    for (TMessagePtr& message : mQueue) {
        TWindow* target = message->GetTarget();
        if (target && IsPendingDelete(target))
            message->SetTarget(nullptr);
    }
    Erase(mCapture, window);
}

bool TWindowManager::IsPendingDelete(const TWindow* window) const
{
    if (mPending.empty())
        return false;
    for (const TWindow* w = window; w; w = w->GetParent())
        if (std::find(mPending.begin(), mPending.end(), w) != mPending.end())
            return true;
    return false;
}

void TWindowManager::DeletePending()
{
    if (mPending.empty())
        return;
    mHover = nullptr;
    // A window deleted here takes its pending descendants with it; those
    // leave the list through WindowDestroyed.
    while (!mPending.empty()) {
        TWindow* window = mPending.front();
        mPending.erase(mPending.begin());
        delete window;
    }
    Invalidate();
}

void TWindowManager::WindowDestroyed(TWindow* window)
{
    if (!window)
        return;
    mHover = nullptr;
    if (mFocus == window)
        mFocus = nullptr;
    Erase(mCapture, window);
    TModalWindow::ForgetWindow(window);
    TMessage::ForgetWindow(window);
    Erase(mPending, window);
    Erase(mOverlays, window);
    if (mScript)
        mScript->ForgetWindow(window);
    for (auto it = mModals.begin(); it != mModals.end(); ++it) {
        if (*it == window) {
            mModals.erase(it);
            mTreeChanged = true;
            break;
        }
    }
    if (mRoot == window)
        mRoot = nullptr;
    Invalidate();
}
