#include "os/gfx/GfxTypes.h"

const char* GfxResultName(GfxResult r)
{
    switch (r) {
    case GfxResult::Ok: return "Ok";
    case GfxResult::Failed: return "Failed";
    case GfxResult::InvalidArg: return "InvalidArg";
    case GfxResult::InvalidPointer: return "InvalidPointer";
    case GfxResult::OutOfVideoMemory: return "OutOfVideoMemory";
    case GfxResult::SurfaceLost: return "SurfaceLost";
    case GfxResult::WasStillDrawing: return "WasStillDrawing";
    case GfxResult::WrongMode: return "WrongMode";
    case GfxResult::ExclusiveModeAlreadySet: return "ExclusiveModeAlreadySet";
    case GfxResult::NoExclusiveMode: return "NoExclusiveMode";
    case GfxResult::CurrentlyNotAvailable: return "CurrentlyNotAvailable";
    case GfxResult::SceneEndFailed: return "SceneEndFailed";
    case GfxResult::SceneInScene: return "SceneInScene";
    case GfxResult::SceneNotInScene: return "SceneNotInScene";
    case GfxResult::NotCreated: return "NotCreated";
    case GfxResult::DeviceRetry: return "DeviceRetry";
    case GfxResult::DeviceBadDepth: return "DeviceBadDepth";
    }
    return "?";
}

const char* GfxRsName(GfxRs state)
{
    switch (state) {
    case GfxRs::ZEnable: return "ZEnable";
    case GfxRs::FillMode: return "FillMode";
    case GfxRs::ShadeMode: return "ShadeMode";
    case GfxRs::ZWriteEnable: return "ZWriteEnable";
    case GfxRs::AlphaTestEnable: return "AlphaTestEnable";
    case GfxRs::SrcBlend: return "SrcBlend";
    case GfxRs::DestBlend: return "DestBlend";
    case GfxRs::CullMode: return "CullMode";
    case GfxRs::ZFunc: return "ZFunc";
    case GfxRs::AlphaRef: return "AlphaRef";
    case GfxRs::AlphaFunc: return "AlphaFunc";
    case GfxRs::DitherEnable: return "DitherEnable";
    case GfxRs::AlphaBlendEnable: return "AlphaBlendEnable";
    case GfxRs::FogEnable: return "FogEnable";
    case GfxRs::SpecularEnable: return "SpecularEnable";
    case GfxRs::TextureFactor: return "TextureFactor";
    case GfxRs::Wrap0: return "Wrap0";
    case GfxRs::Clipping: return "Clipping";
    case GfxRs::Lighting: return "Lighting";
    case GfxRs::Ambient: return "Ambient";
    case GfxRs::ColorVertex: return "ColorVertex";
    case GfxRs::LocalViewer: return "LocalViewer";
    case GfxRs::NormalizeNormals: return "NormalizeNormals";
    case GfxRs::DiffuseMaterialSource: return "DiffuseMaterialSource";
    case GfxRs::SpecularMaterialSource: return "SpecularMaterialSource";
    case GfxRs::AmbientMaterialSource: return "AmbientMaterialSource";
    case GfxRs::EmissiveMaterialSource: return "EmissiveMaterialSource";
    }
    return nullptr;
}

const char* GfxTssName(GfxTss state)
{
    switch (state) {
    case GfxTss::ColorOp: return "ColorOp";
    case GfxTss::ColorArg1: return "ColorArg1";
    case GfxTss::ColorArg2: return "ColorArg2";
    case GfxTss::AlphaOp: return "AlphaOp";
    case GfxTss::AlphaArg1: return "AlphaArg1";
    case GfxTss::AlphaArg2: return "AlphaArg2";
    case GfxTss::AddressU: return "AddressU";
    case GfxTss::AddressV: return "AddressV";
    case GfxTss::BorderColor: return "BorderColor";
    case GfxTss::MagFilter: return "MagFilter";
    case GfxTss::MinFilter: return "MinFilter";
    case GfxTss::MipFilter: return "MipFilter";
    }
    return nullptr;
}

uint32_t GfxFvfStride(uint32_t fvf)
{
    const uint32_t known = GfxFvf::PositionMask | GfxFvf::Normal | GfxFvf::Reserved1 |
                           GfxFvf::Diffuse | GfxFvf::Specular | GfxFvf::TexCountMask;
    if (fvf & ~known)
        return 0;
    uint32_t stride = 0;
    switch (fvf & GfxFvf::PositionMask) {
    case GfxFvf::Xyz: stride = 12; break;
    case GfxFvf::XyzRhw: stride = 16; break;
    default: return 0;
    }
    if (fvf & GfxFvf::Reserved1) {
        if ((fvf & GfxFvf::PositionMask) != GfxFvf::Xyz)
            return 0;
        stride += 4;
    }
    if (fvf & GfxFvf::Normal) {
        if ((fvf & GfxFvf::PositionMask) == GfxFvf::XyzRhw)
            return 0;
        stride += 12;
    }
    if (fvf & GfxFvf::Diffuse)
        stride += 4;
    if (fvf & GfxFvf::Specular)
        stride += 4;
    uint32_t tex = (fvf & GfxFvf::TexCountMask) >> GfxFvf::TexCountShift;
    if (tex > 8)
        return 0;
    return stride + tex * 8;
}
