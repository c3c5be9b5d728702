#pragma once
#include <memory>

#include "platform/Asset.h"
#include "platform/TString.h"
#include "render/MeshFile.h"

// A static triangle mesh loaded from a ".mesh" file and drawn in the 3D pass
// as one indexed triangle list of lit vertices, under the current
// transforms, material, lights and texture. Shared: the asset manager finds
// a live model by its file name. Main thread only.
class TModel : public TAsset {
public:
    static const TAssetClassId ClassId;

    // The live model of that name, else a new one loaded from the file and
    // registered under the name; empty when it does not load.
    static std::shared_ptr<TModel> Get(const TString& name);

    TModel() = default;
    ~TModel() override;

    const char* GetClassName() const override;
    bool IsKindOf(TAssetClassId id) const override;
    // The mesh lives in main memory: nothing to free.
    void Release() override;
    // Reloads the file the mesh last loaded from; a failed reload leaves
    // an empty mesh.
    void Restore() override;

    // Drops the mesh, then reads the file. Fails (leaving no vertices) when
    // the name has no ".mesh" in it, the file does not open, or its bytes
    // are not a whole, consistent mesh; only the last case logs.
    bool LoadMesh(const TString& name);
    // The triangles, inside a 3D pass; an empty mesh draws nothing.
    void Draw();

    // Null before the first load.
    const TMeshData* GetMesh() const { return mMesh.get(); }

private:
    std::unique_ptr<TMeshData> mMesh;
    // The last name that loaded: kept apart from the mesh, so that a failed
    // reload can be tried again at the next restore.
    TString mSourceName;
};

// Makes models the second kind of asset a TAssetMap looks a name up as.
void RegisterModelAssetLoader();
