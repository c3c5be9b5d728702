#include "game/stage/model/XModel.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/stage/model/XReader.h"
#include "platform/File.h"
#include "platform/FileData.h"
#include "platform/Log.h"
#include "render/Renderer.h"

namespace KScene {

namespace {

// Larger files are refused: a character model is a few megabytes.
constexpr uint32_t kMaxModelFileSize = 64u << 20;

// Depth first, a frame before its children.
std::shared_ptr<XElem> FirstMesh(const std::shared_ptr<XElem>& frame)
{
    if (frame->HasMesh())
        return frame;
    for (const auto& child : frame->GetChildren())
        if (std::shared_ptr<XElem> found = FirstMesh(child))
            return found;
    return nullptr;
}

} // namespace

void XModel::Clear()
{
    mRoots.clear();
    mFrames.clear();
}

void XModel::LoadX(const TString& fileName)
{
    Clear();
    TFileHandle* file = OpenAssetFile(fileName, kFileReadBinary);
    if (!file) {
        WriteLog("Model %s: cannot open the file", fileName.c_str());
        return;
    }
    const uint32_t size = FileGetSize(file);
    if (size > kMaxModelFileSize) {
        WriteLog("Model %s: %u bytes is too large for a model", fileName.c_str(), size);
        FileClose(file);
        return;
    }
    std::vector<uint8_t> bytes(size);
    bytes.resize(FileRead(file, bytes.data(), size));
    FileClose(file);
    XReader(*this, std::move(bytes), fileName).Read();
}

std::shared_ptr<XElem> XModel::FindFrame(const TString& name) const
{
    auto it = mFrames.find(name);
    return it == mFrames.end() ? nullptr : it->second;
}

std::shared_ptr<XElem> XModel::GetFirstMeshFrame() const
{
    for (const auto& root : mRoots)
        if (std::shared_ptr<XElem> found = FirstMesh(root))
            return found;
    return nullptr;
}

void XModel::Draw()
{
    TRenderer* renderer = TRenderer::Get();
    TMat4 saved;
    renderer->GetWorldTransform(saved);
    for (const auto& root : mRoots)
        root->Draw(*renderer, mWorld);
    renderer->SetWorldTransform(saved);
}

} // namespace KScene
