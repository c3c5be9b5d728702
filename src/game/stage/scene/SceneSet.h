#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "game/stage/scene/CameraRecord.h"
#include "platform/TString.h"
#include "render/RenderStates.h"
#include "render/TextureRef.h"

class TAnimatedTexture;
class TXmlNode;

namespace KScene {

class KElement;
class MaterialTable;
using LightRecord = TLight;

// The studio set: every static model of the stage with its material and
// placement, the set's lights and the scene camera. Read from one XML file
// ("mesh/set/Set.xml"); the models' textures and meshes load at once or
// one element per LoadNextElement (the loading screen's progress). Drawn
// every frame by the stage window. Made on first use. Main thread only.
class KSceneSet {
public:
    static KSceneSet* Get();
    // The set when one exists, else null (never makes one).
    static KSceneSet* Existing();
    static void Destroy();

    KSceneSet(const KSceneSet&) = delete;
    KSceneSet& operator=(const KSceneSet&) = delete;

    // Reads the scene file (a missing or unreadable file gives an empty
    // set); with defer the elements load later. Puts the camera at the
    // set's opening shot.
    void Load(const TString& file, bool defer);
    // Frees the elements, lights and the material table.
    void Clear();
    uint32_t GetElementCount() const;
    // Loads the element at the cursor (again, if it was loaded) and moves
    // on; true while elements remain after it.
    bool LoadNextElement();
    // The whole set through the scene camera, in its own 3D pass.
    void Draw();

    // Moves or turns the scene camera (commands 0 to 10); nothing while the
    // camera animator moves the camera.
    void CameraCommand(float amount, uint32_t command);
    CameraRecord& GetCamera() { return mCamera; }

    // Empty / nothing when no element has the name.
    std::shared_ptr<KElement> FindElement(const TString& name) const;
    void SetElementTexture(const TString& name, const TTextureRef& texture);
    TTextureRef GetElementTexture(const TString& name) const;
    // Copies the animation's current frame onto the named element, into a
    // target of the frame's size (made when the element's texture has
    // another size). Nothing without an animation, a frame or the element;
    // the copy is skipped while frame and target stay the same. Without a
    // current frame the element shows nothing.
    void ShowAnimationOnElement(const TString& name, const std::shared_ptr<TAnimatedTexture>& animation);

    // Elements in file order (the draw order); empty before a load.
    const std::vector<std::shared_ptr<KElement>>& GetElements() const { return mElements; }
    const std::vector<std::unique_ptr<LightRecord>>& GetLights() const { return mLights; }
    const TString& GetFileName() const { return mFileName; }

private:
    KSceneSet() = default;
    ~KSceneSet();

    // The walk of the loaded file: a "scene" child is entered (the rest of
    // the level is left), any other child is a section.
    void ReadScene(TXmlNode* root);
    void ReadSection(const TString& name, TXmlNode* section);
    void AddElement(const std::shared_ptr<KElement>& element);

    CameraRecord mCamera;
    std::vector<std::shared_ptr<KElement>> mElements;
    std::map<TString, std::shared_ptr<KElement>> mElementMap;
    MaterialTable* mMaterials = nullptr;
    std::vector<std::unique_ptr<LightRecord>> mLights;
    size_t mCursor = 0;
    bool mDefer = false;
    TString mFileName;
    // Lights set by the last draw (the next draw switches off the rest).
    uint32_t mLightsApplied = 0;
    // What ShowAnimationOnElement copied last: the copy is skipped while
    // the animation, its frame and the target are the same.
    std::weak_ptr<TAnimatedTexture> mShownAnimation;
    std::weak_ptr<TTexture> mShownTarget;
    int32_t mShownFrame = -1;
};

} // namespace KScene
