// A mesh made by the converter (tests/render/fixtures/panels.obj), loaded as
// a model and drawn lit on the GL device under Xvfb: the panel whose normal
// faces the light gets ambient plus diffuse, the other ambient alone, and the
// world transform moves both.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "render/GfxRenderDevice.h"
#include "render/Model.h"
#include "render/pixels/PlatformScreen.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}

uint32_t Rgb(float r, float g, float b)
{
    auto byte = [](float v) { return uint32_t(std::lround(std::min(v, 1.0f) * 255)); };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

class MeshPixels : public PlatformScreenTest {
protected:
    MeshPixels() : PlatformScreenTest("meshpixels") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Meshes", false));
        Clear(kBlack);
    }
    void TearDown() override { CloseScreen(); }

    // The model in a 3D pass: camera at the origin looking along +z, ambient
    // 0.2, a white ambient material with diffuse (1, 0.5, 0.25) and one white
    // directional light shining along +z, the world moved by dx along x.
    void DrawLit(TModel& model, float dx)
    {
        Clear(kBlack);
        ASSERT_TRUE(Renderer().BeginDraw(false));
        ASSERT_TRUE(Renderer().Begin3d());
        TMat4 world, identity;
        world(3, 0) = dx;
        Renderer().SetWorldTransform(world);
        Renderer().SetViewTransform(identity);
        Renderer().SetPerspective(0.1f, 100.0f, float(M_PI) / 4, 0.0f);
        const float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
        dynamic_cast<TGfxRenderDevice&>(*Renderer().GetDevice()).SetAmbient(ambient);
        TMaterial material;
        material.diffuse = {1.0f, 0.5f, 0.25f, 1};
        material.ambient = {1, 1, 1, 1};
        material.specular = {0, 0, 0, 1};
        material.emissive = {0, 0, 0, 1};
        Renderer().SetMaterial(material);
        TLight light;
        light.kind = kLightDirectional;
        light.diffuse = {1, 1, 1, 1};
        Renderer().SetLight(0, &light);
        model.Draw();
        Renderer().SetLight(0, nullptr);
        Renderer().End3d();
        Renderer().EndDraw(false);
        ReadScreen();
    }

    uint32_t Pixel(int32_t x, int32_t y) const { return mScreen.at(size_t(y) * 800 + size_t(x)) | 0xFF000000u; }
};

TEST_F(MeshPixels, LitFacesFollowTheirNormalsAndTheWorldTransform)
{
    const std::string file = std::string("::") + QUILLORY_MESH_DIR + "/panels.mesh";
    std::shared_ptr<TModel> model = TModel::Get(file.c_str());
    ASSERT_TRUE(model);

    const uint32_t lit = Rgb(1.0f, 0.7f, 0.45f);     // ambient + diffuse, N.L = 1
    const uint32_t unlit = Rgb(0.2f, 0.2f, 0.2f);    // ambient only
    // At z = 5 the screen spans x -2.76..2.76, y -2.07..2.07: the left panel
    // covers pixels 110..328, the right one 472..690, rows 191..409. Moved
    // by 1.5 they cover 327..545 and 689...
    struct Case {
        float dx;
        int32_t x;
        uint32_t want;
    };
    const Case cases[] = {
        {0, 220, lit},   {0, 580, unlit},  {0, 400, kBlack}, {0, 60, kBlack},
        {1.5f, 220, kBlack}, {1.5f, 440, lit}, {1.5f, 750, unlit},
    };
    float drawnDx = -1;
    for (const Case& c : cases) {
        if (c.dx != drawnDx) {
            ASSERT_NO_FATAL_FAILURE(DrawLit(*model, c.dx));
            drawnDx = c.dx;
        }
        EXPECT_LE(Distance(Pixel(c.x, 300), c.want), 3)
            << "moved " << c.dx << ", x " << c.x << ": got " << std::hex << Pixel(c.x, 300);
        // Rows above and below the panels stay black.
        EXPECT_EQ(Pixel(c.x, 150), kBlack) << "moved " << c.dx << ", x " << c.x;
    }
}

} // namespace
