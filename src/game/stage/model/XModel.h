#pragma once
#include <map>
#include <memory>
#include <vector>

#include "game/stage/model/XElem.h"
#include "platform/Matrix.h"
#include "platform/TString.h"

namespace KScene {

// A character model read from a binary .x file: its root frames in file
// order and every frame by name. Not copyable. Main thread only.
class XModel {
public:
    XModel() = default;
    XModel(const XModel&) = delete;
    XModel& operator=(const XModel&) = delete;

    // Reads the asset into the model, replacing what it held. A file that
    // does not open leaves the model empty; a damaged one is read as far as
    // it goes (one log line).
    void LoadX(const TString& fileName);
    // Empties the model.
    void Clear();

    // Empty when no frame has that name.
    std::shared_ptr<XElem> FindFrame(const TString& name) const;
    // The first frame with a mesh, depth first over the roots in order.
    std::shared_ptr<XElem> GetFirstMeshFrame() const;

    // Draws every root under the model's world matrix inside the current 3D
    // pass and puts the renderer's world matrix back.
    void Draw();

    const TMat4& GetWorld() const { return mWorld; }
    const std::vector<std::shared_ptr<XElem>>& GetRoots() const { return mRoots; }
    size_t GetFrameCount() const { return mFrames.size(); }

    // Used while reading.
    void AddRoot(std::shared_ptr<XElem> frame) { mRoots.push_back(std::move(frame)); }
    // A later frame of the same name replaces the entry.
    void MapFrame(const std::shared_ptr<XElem>& frame) { mFrames[frame->GetName()] = frame; }

private:
    TMat4 mWorld;
    std::vector<std::shared_ptr<XElem>> mRoots;
    std::map<TString, std::shared_ptr<XElem>> mFrames;
};

} // namespace KScene
