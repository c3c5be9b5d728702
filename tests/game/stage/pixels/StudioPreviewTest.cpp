// The studio set the build makes (mesh/set/Set.xml), drawn on the GL device
// under Xvfb through the show's four camera shots. Every picture is kept as
// a PNG in the build's studio-preview folder for a person to look at; the
// tests check what each shot must show.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "game/stage/camera/CameraShots.h"
#include "game/stage/effects/LensFlare.h"
#include "game/stage/model/KAnimSet.h"
#include "game/stage/model/XElem.h"
#include "game/stage/model/XModel.h"
#include "game/stage/scene/Element.h"
#include "game/stage/scene/SceneSet.h"
#include "render/Model.h"
#include "render/Texture.h"
#include "render/pixels/PlatformScreen.h"
#include "support/ImageWriter.h"

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kMagenta = 0xFFFF00FFu;
constexpr uint32_t kGreen = 0xFF00FF00u;

// The show's camera shots (the opening shot, the classmates' pedestals, the
// question board and the same board wider for the final question).
using KScene::kBoardShot;
using KScene::kDefaultShot;
using KScene::kFinalShot;
using KScene::kIntroShot;
// The opening shot turned by the pointer as far as it goes, toward the
// classmates.
const KScene::CameraRecord kOrbitShot(-3.0089f, 3.3058f, -10.0544f, 0.0f, 4.756f, 0.0f, 0.715f);

int Distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
    return d;
}

class StudioPreview : public PlatformScreenTest {
protected:
    StudioPreview() : PlatformScreenTest("studiopreview") {}

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenScreen("Studio", false));
        RegisterModelAssetLoader();
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/mesh/set"), TString("mesh/set/"));
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/textures"), TString("textures/"));
        KScene::KSceneSet::Get()->Load(TString("mesh/set/Set.xml"), false);
    }

    void TearDown() override
    {
        mCast.clear();
        KScene::LensFlare::Destroy();
        KScene::KSceneSet::Destroy();
        CloseScreen();
    }

    // One of the cast the build makes, in its first pose.
    struct Character {
        KScene::XModel model;
        std::shared_ptr<KScene::XElem> mesh;
        std::shared_ptr<KScene::KAnimSet> anims;
    };

    // The five classmates seated and the host on the dais.
    void LoadCast()
    {
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/mesh/kids"), TString("mesh/kids/"));
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/mesh/varnum"), TString("mesh/varnum/"));
        const char* const files[][3] = {
            {"mesh/kids/kid1.x", "mesh/kids/kid1.xml", "Sit"}, {"mesh/kids/kid2.x", "mesh/kids/kid2.xml", "Sit"},
            {"mesh/kids/kid3.x", "mesh/kids/kid3.xml", "Sit"}, {"mesh/kids/kid4.x", "mesh/kids/kid4.xml", "Sit"},
            {"mesh/kids/kid5.x", "mesh/kids/kid5.xml", "Sit"},
            {"mesh/varnum/varnum.x", "mesh/varnum/varnum.xml", "Pos1_Stand"},
        };
        for (const auto& f : files) {
            auto c = std::make_unique<Character>();
            c->model.LoadX(TString(f[0]));
            c->mesh = c->model.GetFirstMeshFrame();
            ASSERT_TRUE(c->mesh) << f[0];
            // The characters' materials leave ambient at 0; the show lights
            // them as the set is lit.
            c->mesh->GetMaterial().ambient = {1, 1, 1, 1};
            c->anims = KScene::KAnimSet::Create(c->mesh, TString(f[1]));
            ASSERT_TRUE(c->anims && c->anims->Find(TString(f[2]))) << f[1] << " " << f[2];
            c->anims->SetPose(TString(f[2]));
            mCast.push_back(std::move(c));
        }
    }

    // The set through the shot on a black screen (filled outside the
    // frame), with flares the lens flares after it and then the loaded
    // cast, as the stage draws them; the screen read back.
    void Draw(const KScene::CameraRecord& shot, bool flares = false)
    {
        KScene::KSceneSet* set = KScene::KSceneSet::Get();
        set->GetCamera() = shot;
        TRenderer& r = Renderer();
        Clear(kBlack);
        ASSERT_TRUE(r.BeginDraw(false));
        set->Draw();
        if (flares || !mCast.empty()) {
            ASSERT_TRUE(r.Begin3d());
            if (flares)
                KScene::LensFlare::Get()->Draw();
            for (auto& c : mCast)
                c->model.Draw();
            r.End3d();
        }
        r.EndDraw(false);
        ASSERT_NO_FATAL_FAILURE(ReadScreen());
    }

    std::vector<std::unique_ptr<Character>> mCast;

    uint32_t Pixel(int32_t x, int32_t y) const { return mScreen.at(size_t(y) * kWidth + size_t(x)) | 0xFF000000u; }

    // Pixels within 8 of the colour.
    int32_t Count(uint32_t colour) const
    {
        int32_t n = 0;
        for (uint32_t p : mScreen)
            n += Distance(p, colour) <= 8;
        return n;
    }

    // Distinct colours, counted in 4-bit steps a channel.
    size_t Shades() const
    {
        std::set<uint32_t> seen;
        for (uint32_t p : mScreen)
            seen.insert((p >> 4) & 0x0F0F0Fu);
        return seen.size();
    }

    // The picture as <build>/studio-preview/<name>.png.
    void Keep(const char* name)
    {
        TPngSpec spec;
        spec.width = kWidth;
        spec.height = kHeight;
        spec.colorType = PNG_COLOR_TYPE_RGB;
        spec.rows.reserve(size_t(kWidth) * kHeight * 3);
        for (uint32_t p : mScreen) {
            spec.rows.push_back(uint8_t(p >> 16));
            spec.rows.push_back(uint8_t(p >> 8));
            spec.rows.push_back(uint8_t(p));
        }
        const std::vector<uint8_t> png = MakePng(spec);
        ASSERT_FALSE(png.empty());
        const std::string folder = QUILLORY_PREVIEW_DIR;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::string path = folder + "/" + name + ".png";
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr) << path;
        EXPECT_EQ(std::fwrite(png.data(), 1, png.size(), f), png.size());
        std::fclose(f);
    }

    // A 256 x 256 texture of one colour.
    static TTextureRef Plain(uint32_t argb)
    {
        TTextureRef t = TTexture::CreateRenderTarget(256, 256, false);
        uint32_t* pixels = nullptr;
        uint32_t pitch = 0;
        if (!t || !t->Lock(pixels, pitch))
            return TTextureRef();
        for (uint32_t y = 0; y < 256; ++y)
            for (uint32_t x = 0; x < 256; ++x)
                pixels[y * pitch + x] = argb;
        t->Unlock();
        return t;
    }
};

TEST_F(StudioPreview, TheSetHoldsTheElementsTheShowNeeds)
{
    KScene::KSceneSet* set = KScene::KSceneSet::Get();
    ASSERT_GE(set->GetElementCount(), 20u);
    for (const char* name : {"mainscreen_1", "mainscreen_2", "kid_pedestal_tv", "ped_light_0", "ped_light_1",
                             "ped_light_2", "ped_light_3", "Windows01", "Windows02"})
        EXPECT_TRUE(set->FindElement(TString(name))) << name;
    // One directional light and some point lights, within the device's
    // eight.
    ASSERT_GE(set->GetLights().size(), 3u);
    EXPECT_LE(set->GetLights().size(), 8u);
    EXPECT_EQ(set->GetLights()[0]->kind, kLightDirectional);
    // Every element found its model and texture (the loader logs what it
    // misses, and a missing model draws nothing).
    for (const auto& element : set->GetElements()) {
        EXPECT_TRUE(element->GetModel()) << element->GetName().c_str();
        if (!element->GetTexturePath().IsEmpty()) {
            EXPECT_TRUE(element->GetTexture()) << element->GetName().c_str();
        }
    }
}

TEST_F(StudioPreview, EveryShotIsAStudioAndIsKeptAsAPicture)
{
    struct Shot {
        const char* name;
        KScene::CameraRecord camera;
    };
    const Shot shots[] = {{"default", kDefaultShot},
                          {"intro", kIntroShot},
                          {"board", kBoardShot},
                          {"final", kFinalShot},
                          {"orbit", kOrbitShot}};
    for (const Shot& s : shots) {
        ASSERT_NO_FATAL_FAILURE(Draw(s.camera, true));
        ASSERT_NO_FATAL_FAILURE(Keep(s.name));
        // The set fills the view (no black holes past the walls) and is
        // not one flat colour.
        EXPECT_LT(Count(kBlack), kWidth * kHeight / 50) << s.name;
        EXPECT_GT(Shades(), 100u) << s.name;
    }
}

TEST_F(StudioPreview, TheBoardShotIsFilledByTheMainScreen)
{
    KScene::KSceneSet* set = KScene::KSceneSet::Get();
    TTextureRef magenta = Plain(kMagenta);
    ASSERT_TRUE(magenta);
    set->SetElementTexture(TString("mainscreen_1"), magenta);
    set->SetElementTexture(TString("mainscreen_2"), magenta);

    // The screens show their picture as it is, whatever the lights.
    ASSERT_NO_FATAL_FAILURE(Draw(kBoardShot));
    for (int32_t x : {120, 400, 680})
        for (int32_t y : {200, 300, 400})
            EXPECT_LE(Distance(Pixel(x, y), kMagenta), 3) << x << "," << y << std::hex << " " << Pixel(x, y);
    EXPECT_GT(Count(kMagenta), kWidth * kHeight / 2);
    // The wider final shot shows the whole screen with the set round it.
    ASSERT_NO_FATAL_FAILURE(Draw(kFinalShot));
    EXPECT_LE(Distance(Pixel(400, 300), kMagenta), 3);
    EXPECT_GT(Count(kMagenta), kWidth * kHeight / 5);
    EXPECT_LT(Count(kMagenta), kWidth * kHeight / 2);
    // The opening shot sees the screen ahead, a little above the middle.
    ASSERT_NO_FATAL_FAILURE(Draw(kDefaultShot));
    EXPECT_GT(Count(kMagenta), kWidth * kHeight / 30);
    ASSERT_NO_FATAL_FAILURE(Keep("default-screens"));
}

TEST_F(StudioPreview, TheIntroShotShowsEveryPedestalTelevision)
{
    KScene::KSceneSet* set = KScene::KSceneSet::Get();
    TTextureRef green = Plain(kGreen);
    ASSERT_TRUE(green);
    set->SetElementTexture(TString("kid_pedestal_tv"), green);
    ASSERT_NO_FATAL_FAILURE(Draw(kIntroShot));
    ASSERT_NO_FATAL_FAILURE(Keep("intro-tv"));
    // Five screens side by side across the picture: green in each fifth
    // of the middle band of columns.
    std::vector<int32_t> columns(5, 0);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 80; x < kWidth - 80; ++x)
            if (Distance(Pixel(x, y), kGreen) <= 8)
                ++columns[size_t((x - 80) * 5 / (kWidth - 160))];
    for (size_t k = 0; k < columns.size(); ++k)
        EXPECT_GT(columns[k], 400) << "fifth " << k;
    // Not in the opening shot, which looks at the screens.
    ASSERT_NO_FATAL_FAILURE(Draw(kDefaultShot));
    EXPECT_EQ(Count(kGreen), 0);
}

TEST_F(StudioPreview, TheCastTakesItsPlacesOnTheSet)
{
    ASSERT_NO_FATAL_FAILURE(Draw(kIntroShot, true));
    const std::vector<uint32_t> empty = mScreen;
    ASSERT_NO_FATAL_FAILURE(LoadCast());
    ASSERT_NO_FATAL_FAILURE(Draw(kIntroShot, true));
    ASSERT_NO_FATAL_FAILURE(Keep("intro-cast"));
    // The classmates sit at their pedestals: a good part of the picture
    // changes, in the middle band where the pedestals stand.
    int32_t changed = 0, middle = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const size_t i = size_t(y) * kWidth + size_t(x);
            if (Distance(mScreen[i], empty[i]) > 24) {
                ++changed;
                middle += y > kHeight / 5 && y < kHeight * 4 / 5;
            }
        }
    }
    EXPECT_GT(changed, kWidth * kHeight / 100);
    EXPECT_GT(middle, changed * 3 / 4);

    ASSERT_NO_FATAL_FAILURE(Draw(kDefaultShot, true));
    ASSERT_NO_FATAL_FAILURE(Keep("default-cast"));
    ASSERT_NO_FATAL_FAILURE(Draw(kOrbitShot, true));
    ASSERT_NO_FATAL_FAILURE(Keep("orbit-cast"));
}

} // namespace
