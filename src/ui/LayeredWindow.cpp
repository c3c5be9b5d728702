#include "ui/LayeredWindow.h"

#include <algorithm>

#include "platform/Log.h"
#include "ui/WindowManager.h"
#include "ui/WindowSpider.h"

namespace {
const std::vector<TWindow*> kNoLayer;

void PutFront(std::vector<TWindow*>& list, TWindow* window)
{
    if (std::find(list.begin(), list.end(), window) == list.end())
        list.insert(list.begin(), window);
}
} // namespace

TLayeredWindow::TLayeredWindow(uint32_t layerCount) : mLayers(layerCount) {}

bool TLayeredWindow::AddChild(TWindow* child, bool attach)
{
    if (!TWindow::AddChild(child, attach))
        return false;
    if (mSelected == -1) {
        for (std::vector<TWindow*>& layer : mLayers)
            PutFront(layer, child);
    } else if (mSelected >= 0 && uint32_t(mSelected) < mLayers.size()) {
        PutFront(mLayers[size_t(mSelected)], child);
    }
    return true;
}

TWindow* TLayeredWindow::RemoveChild(TWindow* child)
{
    TWindow* former = TWindow::RemoveChild(child);
    for (std::vector<TWindow*>& layer : mLayers) {
        auto it = std::find(layer.begin(), layer.end(), child);
        if (it != layer.end())
            layer.erase(it);
    }
    return former;
}

const std::vector<TWindow*>& TLayeredWindow::GetLayer(uint32_t layer) const
{
    return layer < mLayers.size() ? mLayers[layer] : kNoLayer;
}

void TLayeredWindow::SelectLayer(int32_t layer)
{
    if (layer == mSelected)
        return;
    if (layer < -1 || (layer >= 0 && uint32_t(layer) >= mLayers.size())) {
        WriteLog("SelectLayer: layer %d out of range (%u layers)", layer, uint32_t(mLayers.size()));
        return;
    }
    mSelected = layer;
    TWindowClearFlags hide(~uint32_t(kWindowShown), false);
    Walk(hide);
    const std::vector<TWindow*>& children = GetChildren();
    if (!mLayers.empty()) {
        for (TWindow* child : mLayers[size_t(layer == -1 ? 0 : layer)]) {
            // Only windows that are still children.
            if (std::find(children.begin(), children.end(), child) != children.end())
                child->SetFlags(child->GetFlags() | kWindowShown);
        }
    }
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}
