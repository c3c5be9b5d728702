#include "render/Model.h"

#include <algorithm>
#include <vector>

#include "platform/AssetManager.h"
#include "platform/AssetMap.h"
#include "platform/File.h"
#include "render/RenderStates.h"
#include "render/Renderer.h"

const TAssetClassId TModel::ClassId = &TModel::ClassId;

std::shared_ptr<TModel> TModel::Get(const TString& name)
{
    TAssetManager* manager = GetAssetManager();
    if (manager) {
        std::shared_ptr<TAsset> live = manager->Find(name);
        if (live && live->IsKindOf(ClassId))
            return std::static_pointer_cast<TModel>(live);
    }
    auto model = std::make_shared<TModel>();
    if (!model->LoadMesh(name))
        return nullptr;
    if (manager)
        manager->Add(name, model);
    return model;
}

TModel::~TModel() = default;

const char* TModel::GetClassName() const
{
    return "TModel";
}

bool TModel::IsKindOf(TAssetClassId id) const
{
    return id == ClassId || TAsset::IsKindOf(id);
}

void TModel::Release()
{
}

void TModel::Restore()
{
    if (mSourceName.IsEmpty())
        return;
    const TString name = mSourceName;
    LoadMesh(name);
}

bool TModel::LoadMesh(const TString& name)
{
    mMesh.reset();
    if (name.Find(TString(".mesh")) < 0)
        return false;
    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file)
        return false;
    mMesh = std::make_unique<TMeshData>();

    // Never more than the largest mesh the counts allow.
    const uint32_t size = uint32_t(std::min<size_t>(FileGetSize(file), kMeshMaxFileSize));
    std::vector<uint8_t> bytes(size);
    const uint32_t got = FileRead(file, bytes.data(), size);
    FileClose(file);
    bytes.resize(got);
    if (!ParseMesh(bytes.data(), bytes.size(), name.c_str(), *mMesh))
        return false;
    mMesh->fileName = name;
    mSourceName = name;
    return true;
}

void TModel::Draw()
{
    if (!mMesh || mMesh->indices.empty())
        return;
    std::unique_ptr<TVertexList> list = MakeMeshVertexList(mMesh->vertices.data(), uint32_t(mMesh->vertices.size()));
    TRenderer::Get()->DrawIndexedVertices(kPrimitiveTriangleList, *list, mMesh->indices.data(),
                                          uint32_t(mMesh->indices.size()));
}

void RegisterModelAssetLoader()
{
    TAssetMap::RegisterLoader(TAssetMap::kModelLoader,
                              [](const TString& name) -> std::shared_ptr<TAsset> { return TModel::Get(name); });
}
