#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/PlatformEvent.h"
#include "platform/TString.h"
#include "render/TextureRef.h"
#include "ui/Message.h"

class TWindow;
class TModalWindow;
class TTaskList;
class TWindowScriptHooks;

// What the window manager needs of the application. Without a host the
// application counts as active, not hosted, without "-pq=", with no flip
// pending and without an application task list; quit requests are only
// recorded (TWindowManager::IsQuitRequested).
class TWindowManagerHost {
public:
    virtual ~TWindowManagerHost() = default;
    virtual bool IsActive() const = 0;
    virtual bool HasPqSwitch() const = 0;
    virtual bool IsHosted() const = 0;
    // Windowed display whose last page flip has not completed.
    virtual bool IsFlipPending() const = 0;
    virtual void RequestQuit(int32_t exitCode) = 0;
    // The application task list (run in every frame), or null.
    virtual TTaskList* GetAppTasks() = 0;
};

// Offered every target-less message before it takes the default route.
class TMessageListener {
public:
    virtual ~TMessageListener() = default;
    // True: consumed (the manager deletes the message). The message is only
    // borrowed for the call.
    virtual bool Offer(TMessage* message) = 0;
};

// Optional handler of hover events (TWindow::OnMouseHover).
class THoverHandler {
public:
    virtual ~THoverHandler() = default;
    virtual bool OnMouseHover(TWindow* window, int32_t x, int32_t y) = 0;
};

// Owner of the window system's state: root window, modal stack, focus,
// capture list, hover window, message queue, deferred deletions and frames.
// Main thread only, except the movie flags, which other threads may read.
class TWindowManager {
public:
    // The first manager made becomes the one GetWindowManager returns, until
    // it is deleted.
    TWindowManager();
    virtual ~TWindowManager();
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;

    // Application services (not owned; null = defaults above).
    void SetHost(TWindowManagerHost* host) { mHost = host; }
    TWindowManagerHost* GetHost() const { return mHost; }

    // Script: stores it (not owned) and makes the top modal its parent.
    void Init(TWindowScriptHooks* script);
    TWindowScriptHooks* GetScript() const { return mScript; }
    // Forwarded to the script; false without one.
    bool RegisterWindowType(const TString& name, TWindow* (*creator)());
    // Runs script code with the window as the current parent, then restores
    // the parent. False when there is no script or it fails.
    bool RunWindowScript(TWindow* window, const TString& fileName);
    bool RunWindowString(TWindow* window, const TString& code);
    // Returns the previous value (false without a script).
    bool SetTranslateLabels(bool on);

    // Events.
    void HandleEvent(const TPlatformEvent& event);

    // Drawing.
    void Invalidate() { mNeedsRedraw = true; }
    bool NeedsRedraw() const { return mNeedsRedraw; }
    // Draws a frame when invalidated and paced (called on idle and paint).
    void Frame();
    uint32_t GetLastFrameTime() const { return mLastFrameTime; }
    void SetTopModalOnly(bool on) { mTopModalOnly = on; }
    bool IsTopModalOnly() const { return mTopModalOnly; }
    void SetOutlineHover(bool on) { mOutlineHover = on; }
    // Texture the whole screen is rendered into first (empty = none).
    void SetRenderTarget(TTextureRef target) { mRenderTarget = std::move(target); }
    const TTextureRef& GetRenderTarget() const { return mRenderTarget; }
    // Windows drawn over the modal stack in every frame (owned).
    void AddOverlayWindow(TWindow* window);

    // Movie flags: while a movie plays no frame is drawn; the movie input
    // flag tells the window procedure that the movie takes the input.
    void SetMoviePlaying(bool on) { mMoviePlaying = on; }
    bool IsMoviePlaying() const { return mMoviePlaying; }
    void SetMovieInput(bool on) { mMovieInput = on; }
    bool IsMovieInput() const { return mMovieInput; }
    // While a movie covers the main window, pointer events reach no window
    // (keys still go to the focus window).
    void SetInputCovered(bool on) { mInputCovered = on; }
    bool IsInputCovered() const { return mInputCovered; }

    // Modal stack (owned).
    void SetRootWindow(TModalWindow* window);
    TModalWindow* GetRootWindow() const { return mRoot; }
    void PushModal(TModalWindow* window);
    void PopModal();
    // Pops down to, and including, the window named `name` (its name or its
    // "%8x" id text) found from the top modal upward; false (nothing popped)
    // when there is none.
    bool DoPopModal(const TString& name);
    TModalWindow* GetTopModal() const;
    uint32_t GetModalCount() const { return uint32_t(mModals.size()); }
    // 0 is the top modal.
    TModalWindow* GetModal(uint32_t fromTop) const;

    // Focus, capture, hover.
    // focus := window; its OnSetFocus gets the previous focus window.
    void SetFocus(TWindow* window);
    // focus := window (may be null); its OnSetFocus gets `previous`.
    void PassFocus(TWindow* window, TWindow* previous);
    TWindow* GetFocus() const { return mFocus; }
    void AddCapture(TWindow* window);
    void ReleaseCapture(TWindow* window);
    bool HasCapture(const TWindow* window) const;
    uint32_t GetCaptureCount() const { return uint32_t(mCapture.size()); }
    TWindow* GetHoverWindow() const { return mHover; }
    void SetHoverHandler(THoverHandler* handler) { mHoverHandler = handler; }
    THoverHandler* GetHoverHandler() const { return mHoverHandler; }

    // Messages: the queue owns what is posted (see Message.h).
    void PostMessage(TMessagePtr message);
    void PostMessage(TMessage* message) { PostMessage(TMessagePtr(message)); }
    // Delivers queued messages, including those posted meanwhile, until the
    // queue is empty.
    void DispatchMessages();
    uint32_t GetQueuedMessageCount() const { return uint32_t(mQueue.size()); }
    void AddMessageListener(std::unique_ptr<TMessageListener> listener);
    // Deletes the listener; false when it is not listed.
    bool RemoveMessageListener(TMessageListener* listener);

    // Deletion: the window is deleted at the start of the next event.
    void DeferDelete(TWindow* window);
    // True for a window waiting for deletion or inside one.
    bool IsPendingDelete(const TWindow* window) const;
    // Called by the window destructor: forgets every pointer to the window.
    void WindowDestroyed(TWindow* window);

    // Quit was asked for (by a type-5 message or an empty stack entry).
    bool IsQuitRequested() const { return mQuitRequested; }

private:
    void RequestQuit();
    void DeletePending();
    void RouteMessage(TMessagePtr message);
    void RoutePointer(const TPlatformEvent& event);
    void LeaveCaptures();
    void DrawModalStack(int32_t mode);
    void DrawOverlays();
    void DrawHoverOutline();
    bool IsActive() const;

    TTextureRef mRenderTarget;
    TModalWindow* mRoot = nullptr;
    bool mTreeChanged = false;
    uint32_t mLastFrameTime = 0;
    std::vector<TModalWindow*> mModals; // back = top
    std::vector<TWindow*> mPending;
    std::vector<TWindow*> mOverlays;
    std::atomic<bool> mMoviePlaying{false};
    std::atomic<bool> mMovieInput{false};
    bool mInputCovered = false;
    bool mTopModalOnly = false;
    bool mNeedsRedraw = true;
    bool mOutlineHover = false;
    TWindow* mHover = nullptr;
    std::vector<TWindow*> mCapture; // front = first
    TWindow* mFocus = nullptr;
    TWindowScriptHooks* mScript = nullptr;
    std::deque<TMessagePtr> mQueue; // FIFO
    std::vector<std::unique_ptr<TMessageListener>> mListeners; // null: removed while offering
    std::vector<std::unique_ptr<TMessageListener>> mRetiredListeners;
    int32_t mOffering = 0;
    THoverHandler* mHoverHandler = nullptr;
    TWindowManagerHost* mHost = nullptr;
    bool mQuitRequested = false;
};

// The window manager in use, or null when there is none.
TWindowManager* GetWindowManager();
