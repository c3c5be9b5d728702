#pragma once
#include <cstdint>
#include <vector>

#include "platform/PlatformEvent.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "ui/Message.h"

class TWindow;
class TWindowAnim;
class TModalWindow;
class TStyle;
class TWindowSpider;

// A point in a window's own coordinates (0, 0 at its top-left).
struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Window flags.
enum : uint32_t {
    kWindowModalRoot = 0x1,      // upward walks stop here
    kWindowTakesFocus = 0x2,     // takes the keyboard focus on a left press
    kWindowToTexture = 0x4,      // drawn in the render-to-texture pass
    kWindowRadioGroup = 0x8,     // starts a radio-button group
    kWindowShown = 0x100,
    kWindowDrawnToTexture = 0x400, // drawn in this frame's render-to-texture pass
    kWindowOpaqueCover = 0x800,  // hides what is below when as large as the screen
};

// DrawTree modes.
enum : int32_t {
    kDrawNormal = 0,
    kDrawToTexture = 1,
    kDrawCompletion = 2,
};

// Kind test ids: the address of a class's creator function (any function
// whose address is unique to the class), as a plain function pointer.
using TWindowTypeId = void (*)();
using TWindowCreator = TWindow* (*)();

template <class F>
TWindowTypeId MakeWindowTypeId(F function)
{
    return reinterpret_cast<TWindowTypeId>(function);
}

// A node of the window tree and the base of every screen, dialog and widget.
//
// The rectangle is in the parent's coordinates; points handed to the
// operations are in the receiving window's own coordinates. The front of the
// child list (index 0) is the topmost child: it is drawn last and hit first.
//
// Lifetime: a window owns its children (its destructor deletes them). While
// an event is handled, windows are not deleted directly: they are removed
// from their parent and handed to TWindowManager::DeferDelete. A destroyed
// window takes itself off its parent's list and is forgotten by the window
// manager (focus, hover, capture, modal focus windows) and by every live
// message that targeted it; its timer task ends at its next run.
//
// Every class derived from TWindow defines a static TypeId() and overrides
// GetClassName and IsKindOf (true for its own id, else the base's answer).
// Main thread only.
class TWindow {
public:
    TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    // The virtual operations, in their fixed order.
    virtual const char* GetClassName() const { return "TWindow"; }
    virtual bool IsKindOf(TWindowTypeId id) const { return id == TypeId(); }
    virtual ~TWindow();
    // False makes AddChild undo the attachment.
    virtual bool OnAttach() { return true; }
    // Reserved query (no caller); keeps the slots of subclasses in line.
    virtual bool QueryA() { return false; }
    // Reads "name", then the geometry keys.
    virtual void Init(const TStyle& style);
    // "fit": FitToChildren first; then the geometry keys again.
    virtual void PostInit(const TStyle& style);
    virtual void Draw() {}
    // Runs after the children are drawn.
    virtual void PostDraw() {}
    // Puts the child at the front (a child already listed keeps its place);
    // with attach, an OnAttach that refuses undoes it and gives false.
    virtual bool AddChild(TWindow* child, bool attach);
    // Takes the child off the list; returns its former parent (this), or
    // null when it was not a child.
    virtual TWindow* RemoveChild(TWindow* child);
    // Two-value hook; text widgets scroll here.
    virtual void OnScroll(int32_t a, int32_t b) { (void)a; (void)b; }
    // The message is only borrowed; true = handled.
    virtual bool OnMessage(TMessage* message) { (void)message; return false; }
    // Called by the window's timer task; false ends the timer.
    virtual bool Update() { return false; }
    // Left button pressed.
    virtual bool OnMouseDown(TPoint point) { (void)point; return false; }
    // Other buttons and the wheel (kButton... sub-codes).
    virtual bool OnMouseButton(int32_t code, TPoint point) { (void)code; (void)point; return false; }
    // Left button released.
    virtual bool OnMouseUp(TPoint point) { (void)point; return false; }
    virtual bool OnMouseMove(TPoint point) { (void)point; return false; }
    // The pointer left a capturing window, or the capture was lost.
    virtual bool OnMouseLeave() { return false; }
    // Reserved query (no caller).
    virtual bool QueryB() { return false; }
    // Character and key codes are 0..255 (the event parameter's low byte).
    virtual bool OnChar(int32_t character) { (void)character; return false; }
    virtual bool OnKeyDown(int32_t key, int32_t extra) { (void)key; (void)extra; return false; }
    virtual bool OnKeyUp(int32_t key) { (void)key; return false; }
    // Asks the window manager's hover handler, when one is set.
    virtual bool OnMouseHover(TPoint point);
    virtual void OnSetFocus(TWindow* previous) { (void)previous; }
    virtual void OnLoseFocus(TWindow* window) { (void)window; }

    // Kind test and creation.
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }
    // The window as T when it is one (T::TypeId), else null.
    template <class T>
    static T* Cast(TWindow* window)
    {
        return window && window->IsKindOf(T::TypeId()) ? static_cast<T*>(window) : nullptr;
    }

    // Identity.
    uint32_t GetId() const { return mId; }
    TString GetIdString() const { return FormatId(mId); }
    // "%8x": eight characters, padded with spaces.
    static TString FormatId(uint32_t id);
    TString GetName() const { return mName; }
    void SetName(const TString& name) { mName = name; }

    // Geometry.
    const TRect& GetRect() const { return mRect; }
    int32_t GetWidth() const { return mRect.Width(); }
    int32_t GetHeight() const { return mRect.Height(); }
    // Keeps the size; invalidates.
    void MoveTo(int32_t x, int32_t y);
    // Invalidates and updates the cover set of the enclosing modal window.
    void SetSize(int32_t width, int32_t height);
    TRect GetScreenRect() const;
    TRect GetClientRect() const { return TRect(0, 0, GetWidth(), GetHeight()); }
    TPoint ChildToParent(TPoint p) const { return {p.x + mRect.left, p.y + mRect.top}; }
    TPoint ParentToChild(TPoint p) const { return {p.x - mRect.left, p.y - mRect.top}; }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // Grows to the largest child right and bottom (never shrinks).
    void FitToChildren();
    // A point (x, y) encoded as the geometry keys encode positions, for a box
    // of w x h inside reference (null: no parent, only the align bits count);
    // false when it is out of range.
    static bool ResolvePosition(int32_t x, int32_t y, int32_t w, int32_t h, int32_t align,
                                const TWindow* reference, TPoint& out);

    // Flags. SetFlags replaces bits 8 to 15 and keeps the others, then
    // updates the cover set of the enclosing modal window.
    uint32_t GetFlags() const { return mFlags; }
    bool HasFlags(uint32_t bits) const { return (mFlags & bits) == bits; }
    void SetFlags(uint32_t flags);
    // Shown up to the nearest modal root (false when there is none).
    bool IsShown() const;

    // Tree.
    TWindow* GetParent() const { return mParent; }
    // Stores the parent only; returns the former one.
    TWindow* SetParent(TWindow* parent);
    const std::vector<TWindow*>& GetChildren() const { return mChildren; }
    // The nearest ancestor (not this window) with the modal-root flag, when
    // it is a TModalWindow; else null.
    TModalWindow* GetModalWindow() const;
    // This window when its name matches, else the children in list order down
    // to depth (-1 = unlimited); null when none matches.
    TWindow* FindChild(const TString& name, int32_t depth = -1);
    // Visits each direct child, front to back (back to front when reverse),
    // until a visit answers false. Children taken off the list during the
    // walk are not visited; children added during it are not visited.
    void Walk(TWindowSpider& spider, bool reverse = false);
    // Removes every child and hands it to the window manager's deferred
    // deletion (deleted at once when there is no window manager).
    void DeleteChildren();

    // Hit testing; points in this window's coordinates. GetChildAt: the first
    // child, front first, that is shown and contains the point. FindDeepest:
    // descends through hit children (at most depth levels, -1 = unlimited)
    // and returns the deepest window, this window when no child is hit; the
    // point is converted into that window's coordinates.
    TWindow* GetChildAt(TPoint point) const;
    TWindow* FindDeepest(TPoint& point, int32_t depth = -1);
    bool ContainsInParent(TPoint pointInParent) const;

    // Events and messages.
    // Delivers a framework event whose point is in this window's coordinates;
    // unhandled events go on to later siblings under the point, then to the
    // parent; at a modal root unhandled releases and key presses are posted as
    // type-4 messages. focusTaken: a left press already moved the focus on
    // this dispatch. True when some window handled the event.
    bool DispatchEvent(const TPlatformEvent& event, bool focusTaken = false);
    // Offers the message to this window and its ancestors up to the modal
    // root, then to the modal window's focus window, then to the window
    // script. Takes ownership.
    void SendMessage(TMessagePtr message);
    void SendMessage(TMessage* message) { SendMessage(TMessagePtr(message)); }
    // The same for a target that may be null (then the message is deleted).
    static void SendMessageTo(TWindow* target, TMessagePtr message);

    // Drawing: Draw, the children from back to front (modal children are
    // skipped: the window manager draws them), PostDraw; clipped to the
    // window. False when the window is not drawn in this mode.
    bool DrawTree(int32_t mode);

    // Timer: makes the window's timer task on first use, on the task list and
    // clock of its modal window (this window when it is one), and schedules
    // it. Outside every modal window nothing happens.
    void SetTimer(uint32_t delay, bool repeat, bool fromNow, bool catchUp);
    // Detaches the timer task: it stays on its list and ends at its next run.
    void ReleaseAnim();
    TWindowAnim* GetAnim() const { return mAnim; }

protected:
    // Applies the geometry keys ("x", "y", "w", "h", "align").
    void ApplyGeometry(const TStyle& style);
    // Changes any flag bits (also those SetFlags keeps), then updates the
    // cover set.
    void ChangeFlags(uint32_t add, uint32_t remove);

private:
    friend class TWindowAnim;

    // Re-evaluates the cover-set entry of every window of the subtree, or
    // takes them all out.
    void UpdateCoverTree(bool add);
    void UpdateCover();
    bool IsCover(const TModalWindow* modal) const;

    TWindow* mParent = nullptr;
    std::vector<TWindow*> mChildren; // [0] = front
    TRect mRect;
    TString mName;
    uint32_t mFlags = kWindowShown;
    uint32_t mId;
    TWindowAnim* mAnim = nullptr;
};

// Visitor over a window's children (TWindow::Walk).
class TWindowSpider {
public:
    virtual ~TWindowSpider() = default;
    // False stops the walk.
    virtual bool Visit(TWindow* window) = 0;
};
