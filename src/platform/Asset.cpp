#include "platform/Asset.h"

const TAssetClassId TAsset::ClassId = &TAsset::ClassId;

TAsset::~TAsset() = default;

const char* TAsset::GetClassName() const
{
    return "TAsset";
}

bool TAsset::IsKindOf(TAssetClassId id) const
{
    return id == ClassId;
}

void TAsset::Release()
{
}

void TAsset::Restore()
{
}
