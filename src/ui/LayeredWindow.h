#pragma once
#include <cstdint>
#include <vector>

#include "ui/Window.h"

// A window whose children are grouped in layers, of which one is shown.
// Children added while layer -1 is selected go into every layer.
class TLayeredWindow : public TWindow {
public:
    explicit TLayeredWindow(uint32_t layerCount);

    const char* GetClassName() const override { return "TLayeredWindow"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    // No window type makes a bare layered window: the id is this function's address.
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TLayeredWindow::TypeId); }

    bool AddChild(TWindow* child, bool attach) override;
    TWindow* RemoveChild(TWindow* child) override;

    // Shows the children of the layer and hides the other direct children;
    // -1 shows layer 0. Nothing when the layer is already selected.
    void SelectLayer(int32_t layer);
    int32_t GetSelectedLayer() const { return mSelected; }
    uint32_t GetLayerCount() const { return uint32_t(mLayers.size()); }
    // The children of a layer, front first (empty for a layer out of range).
    const std::vector<TWindow*>& GetLayer(uint32_t layer) const;

private:
    int32_t mSelected = 0;
    std::vector<std::vector<TWindow*>> mLayers;
};
