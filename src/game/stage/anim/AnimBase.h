#pragma once
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace KEvent {
class Event;
}

namespace KAnim {

// The interface of every 2D animation. Animations are always held by shared
// pointers (their maker, the animation manager's running list, a track of a
// MultiAnim, an AnimWindow); each keeps a weak pointer to itself, set by
// KAnim::Create, and a strong pointer to the event that stands for it in
// event chains.
//
// Stop does nothing on an animation that is not running, and finishes the
// animation's event when it does stop it; the event's Finish in turn stops
// the animation. Main thread only.
class AnimBase {
public:
    AnimBase() = default;
    AnimBase(const AnimBase&) = delete;
    AnimBase& operator=(const AnimBase&) = delete;

    // The current state, inside an open 2D pass (the manager's Draw pass or
    // an AnimWindow's draw).
    virtual void Draw() = 0;
    // Per-tick work outside drawing; nothing for most animations.
    virtual void Update() {}
    // The event standing for this animation in event chains.
    virtual std::shared_ptr<KEvent::Event> GetEvent() = 0;
    virtual void Start() = 0;
    // Harmless when not running.
    virtual void Stop() = 0;
    // Frames per second; ignored by animations without frames.
    virtual void SetFps(int32_t fps) { (void)fps; }
    // The owning pointer; empty (never an exception) when no shared pointer
    // owns the animation or it is being destroyed.
    virtual std::shared_ptr<AnimBase> GetSelf() { return mSelf.lock(); }
    virtual ~AnimBase() = default;

protected:
    // Called by KAnim::Create once the owning pointer exists: work that
    // needs GetSelf goes here. Base: nothing.
    virtual void OnCreated() {}

private:
    template <class T, class... Args>
    friend std::shared_ptr<T> Create(Args&&... args);

    std::weak_ptr<AnimBase> mSelf;
};

using AnimPtr = std::shared_ptr<AnimBase>;

// The one way to make an animation: std::make_shared, the self pointer,
// then the animation's OnCreated.
template <class T, class... Args>
std::shared_ptr<T> Create(Args&&... args)
{
    static_assert(std::is_base_of_v<AnimBase, T>, "animations derive from KAnim::AnimBase");
    std::shared_ptr<T> anim = std::make_shared<T>(std::forward<Args>(args)...);
    AnimBase& base = *anim;
    base.mSelf = anim;
    base.OnCreated();
    return anim;
}

} // namespace KAnim
