// The studio set: the walk of the scene file, loading at once and one
// element at a time, the camera after a load, the draw with its camera and
// lights, names, element textures and the animation copied onto an element.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "SceneFixture.h"
#include "platform/Matrix.h"

using namespace KScene;

namespace {

class SceneSetTest : public SceneFixture {
protected:
    // A light record of that type text.
    static std::string Light(const char* type)
    {
        return std::string("<light><mType>") + type + "</mType><mcDiff>#ffffffff</mcDiff></light>";
    }

    // An animation of two 32 x 16 frames side by side on the 128-pixel
    // sheet, whose pixels are numbered (0xFF000000 + index).
    TAnimatedTextureRef Logo()
    {
        AddFile("anim/logo.xml", "<sequence name=\"logo\"><img name=\"sheet.png\"/><framelist>"
                                 "<frame x=\"0\" y=\"0\" w=\"32\" h=\"16\" regx=\"0\" regy=\"0\"/>"
                                 "<frame x=\"32\" y=\"16\" w=\"32\" h=\"16\" regx=\"0\" regy=\"0\"/>"
                                 "</framelist></sequence>");
        TAnimatedTextureRef logo = TAnimatedTexture::Get("anim/logo.xml");
        uint32_t* bits = nullptr;
        uint32_t pitch = 0;
        if (!logo || !logo->Lock(bits, pitch))
            return TAnimatedTextureRef();
        for (uint32_t y = 0; y < 128; ++y)
            for (uint32_t x = 0; x < 128; ++x)
                bits[size_t(y) * pitch + x] = 0xFF000000u + y * 128 + x;
        logo->Unlock();
        return logo;
    }

    // The sheet's pixels of a 32 x 16 frame at (left, top).
    static std::vector<uint32_t> FramePixels(uint32_t left, uint32_t top)
    {
        std::vector<uint32_t> out;
        for (uint32_t y = top; y < top + 16; ++y)
            for (uint32_t x = left; x < left + 32; ++x)
                out.push_back(0xFF000000u + y * 128 + x);
        return out;
    }
};

} // namespace

// The node the file loads into is the root: a "scene" child is entered and
// the rest of the level is left; other children are sections.
TEST_F(SceneSetTest, WalkOfTheFile)
{
    struct Case {
        const char* what;
        std::string xml;
        std::vector<std::string> names;
        size_t lights;
        size_t materials;
    };
    const std::string a = Model("a", 1), b = Model("b", 2), c = Model("c", 3);
    const Case cases[] = {
        {"scene with the three sections",
         "<?xml version=\"1.0\"?><scene><materials><material><matname>m</matname></material></materials>"
         "<lights>" + Light("kPointSource") + "</lights><models>" + a + b + "</models></scene>",
         {"a", "b"}, 1, 1},
        {"sections before the scene are read, after it not",
         "<models>" + a + "</models><scene><models>" + b + "</models></scene><models>" + c + "</models>", {"a", "b"},
         0, 0},
        {"a nested scene is entered too",
         "<scene><models>" + a + "</models><scene><models>" + b + "</models></scene><models>" + c +
             "</models></scene>",
         {"a", "b"}, 0, 0},
        {"sections repeat, in any order",
         "<scene><models>" + a + "</models><lights>" + Light("1") + "</lights><models>" + b + c +
             "</models><lights>" + Light("2") + "</lights></scene>",
         {"a", "b", "c"}, 2, 0},
        {"other sections and records are skipped",
         "<scene><stuff>" + a + "</stuff><models><light/><material/>" + b +
             "<Model><Name>x</Name></Model></models><lights><model/>" + Light("0") + "</lights></scene>",
         {"b"}, 1, 0},
        {"names are exact", "<Scene><models>" + a + "</models></Scene><MODELS>" + b + "</MODELS>", {}, 0, 0},
        {"an outer element is a section, not the root", "<root><scene><models>" + a + "</models></scene></root>",
         {}, 0, 0},
        {"no elements at all", "", {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KSceneSet* set = LoadSet(c.xml);
        EXPECT_EQ(Names(*set), c.names);
        EXPECT_EQ(set->GetElementCount(), c.names.size());
        EXPECT_EQ(set->GetLights().size(), c.lights);
        ASSERT_NE(MaterialTable::Existing(), nullptr);
        EXPECT_EQ(MaterialTable::Existing()->GetCount(), c.materials);
        EXPECT_EQ(set->GetFileName(), kSetFile);
    }
}

// A file that does not open or holds nothing gives an empty set and a log
// line; the set before it is gone; the camera still takes the opening shot.
TEST_F(SceneSetTest, MissingOrEmptyFile)
{
    struct Case {
        const char* what;
        const char* file;
        const char* bytes; // null: no such file
        const char* log;
    };
    const Case cases[] = {
        {"missing", "mesh/set/none.xml", nullptr, "Scene: cannot read mesh/set/none.xml"},
        {"not XML", "mesh/set/junk.xml", "\x01\x02 this is < not > xml",
         "Scene: mesh/set/junk.xml holds no materials, lights or models"},
        {"empty", "mesh/set/empty.xml", "", "Scene: mesh/set/empty.xml holds no"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KSceneSet* set = LoadSet("<scene><lights>" + Light("0") + "</lights><models>" + Model("old", 1) +
                                 "</models></scene>");
        ASSERT_EQ(set->GetElementCount(), 1u);
        if (c.bytes)
            AddFile(c.file, c.bytes);
        set->GetCamera() = CameraRecord(1, 2, 3, 0.25f, 1, 0.5f, 2);
        mLog->Restart();
        set->Load(c.file, false);
        EXPECT_TRUE(LogHas(c.log)) << LogText();
        EXPECT_EQ(set->GetElementCount(), 0u);
        EXPECT_TRUE(set->GetLights().empty());
        EXPECT_FALSE(set->FindElement("old"));
        EXPECT_EQ(MaterialTable::Existing()->GetCount(), 0u);
        EXPECT_EQ(set->GetCamera().fov, 0.7853982f);
        EXPECT_EQ(set->GetCamera().pitch, 0.25f);
        EXPECT_TRUE(DrawSet().empty());
    }
    // A cut file keeps what was read before the cut (the reader logs it).
    KSceneSet* set = LoadSet("<scene><models>" + Model("a", 1) + Model("b", 2) + "<model><Name>c");
    EXPECT_EQ(Names(*set), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(LogHas("XML " + std::string(kSetFile))) << LogText();
}

TEST_F(SceneSetTest, CameraAfterLoad)
{
    KSceneSet* set = KSceneSet::Get();
    const CameraRecord fresh;
    EXPECT_EQ(fresh.fov, 0.62831855f);
    set->GetCamera() = CameraRecord(9, 9, 9, 0.5f, 0.25f, 0.125f, 1.5f);
    LoadSet("<scene/>");
    const CameraRecord& camera = set->GetCamera();
    EXPECT_EQ(std::vector<float>({camera.x, camera.y, camera.z, camera.yaw, camera.fov}),
              (std::vector<float>{-3.0089f, 3.3058f, -10.0544f, 6.07f, 0.7853982f}));
    // Pitch and roll are left as they were.
    EXPECT_EQ(camera.pitch, 0.5f);
    EXPECT_EQ(camera.roll, 0.125f);
}

// Both elements of one name are drawn; the name finds the later one. An
// element without a name is drawn and cannot be found.
TEST_F(SceneSetTest, NamesAndDrawOrder)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("twin", 1) + Model(nullptr, 2) + Model("twin", 3) +
                             Model("", 4) + Model("nomesh", 9) + Model("last", 5) + "</models></scene>");
    EXPECT_EQ(set->GetElementCount(), 6u);
    EXPECT_EQ(Tags(DrawSet()), (std::vector<int>{1, 2, 3, 4, 5}));
    ASSERT_TRUE(set->FindElement("twin"));
    EXPECT_EQ(set->FindElement("twin")->GetMeshPath(), "mesh/m3.mesh");
    EXPECT_EQ(set->FindElement("twin"), set->GetElements()[2]);
    EXPECT_FALSE(set->FindElement(""));
    EXPECT_FALSE(set->FindElement("Twin"));
    EXPECT_FALSE(set->FindElement("absent"));
    EXPECT_EQ(set->FindElement("last")->GetMeshPath(), "mesh/m5.mesh");
}

TEST_F(SceneSetTest, LoadNextElement)
{
    // None: false at once.
    KSceneSet* set = LoadSet("<scene/>", true);
    EXPECT_FALSE(set->LoadNextElement());

    // n elements: true n - 1 times, false after loading the last, then false
    // without loading anything.
    set = LoadSet("<scene><models>" + Model("a", 1, "<TextureName>textures/wood.png</TextureName>") +
                      Model("b", 2) + Model("c", 3, "<TextureName>textures/wood.png</TextureName>") +
                      "</models></scene>",
                  true);
    const auto& elements = set->GetElements();
    ASSERT_EQ(elements.size(), 3u);
    for (const auto& e : elements) {
        EXPECT_FALSE(e->IsLoaded());
        EXPECT_FALSE(e->GetModel());
        EXPECT_FALSE(e->IsTextured()) << "textured once the texture is fetched";
    }
    const std::vector<bool> expected = {true, true, false};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(set->LoadNextElement(), expected[i]);
        for (size_t j = 0; j < 3; ++j)
            EXPECT_EQ(elements[j]->IsLoaded(), j <= i);
    }
    EXPECT_TRUE(elements[0]->GetModel());
    EXPECT_TRUE(elements[2]->GetTexture());
    const TTextureRef given = TTexture::Get("textures/screen.png", 0);
    elements[2]->SetTextureOverride(given);
    EXPECT_FALSE(set->LoadNextElement());
    EXPECT_EQ(elements[2]->GetTexture(), given) << "nothing is loaded past the end";

    // Loaded at once: the step loads the element at the cursor again.
    set = LoadSet("<scene><models>" + Model("a", 1, "<TextureName>textures/wood.png</TextureName>") +
                  Model("b", 2) + "</models></scene>");
    std::shared_ptr<KElement> a = set->FindElement("a");
    ASSERT_TRUE(a->IsLoaded());
    const TTextureRef wood = a->GetTexture();
    a->SetTextureOverride(given);
    EXPECT_TRUE(set->LoadNextElement());
    EXPECT_EQ(a->GetTexture(), wood);
    EXPECT_FALSE(set->LoadNextElement());
}

// Deferred elements that no step loaded load when first drawn.
TEST_F(SceneSetTest, DeferredElementsLoadWhenDrawn)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("a", 1) + Model("b", 2) + Model("c", 3) + "</models></scene>",
                             true);
    EXPECT_TRUE(set->LoadNextElement());
    EXPECT_FALSE(set->FindElement("b")->IsLoaded());
    EXPECT_EQ(Tags(DrawSet()), (std::vector<int>{1, 2, 3}));
    for (const auto& e : set->GetElements())
        EXPECT_TRUE(e->IsLoaded());
}

// The draw: its own 3D pass, the perspective and view of the scene camera,
// no texture, the lights, then the elements in order.
TEST_F(SceneSetTest, DrawThroughTheCamera)
{
    KSceneSet* set = LoadSet("<scene><lights>" + Light("kDirectional") + Light("kPointSource") + "</lights><models>" +
                             Model("a", 1) + Model("b", 2) + "</models></scene>");
    CameraRecord& camera = set->GetCamera();
    camera.pitch = 0.0f;
    camera.roll = 0.0f;
    const std::vector<GfxDrawRecord> draws = DrawSet();
    ASSERT_EQ(Tags(draws), (std::vector<int>{1, 2}));
    EXPECT_FALSE(Renderer().IsIn3d()) << "the pass it opened is closed";

    const GfxCallLog& log = GfxRecordingLog();
    const int32_t projection = log.Find("SetTransform Projection");
    const int32_t noTexture = log.Find("SetTexture 0 null", size_t(std::max(projection, 0)));
    const int32_t view = log.Find("SetTransform View", size_t(std::max(noTexture, 0)));
    const int32_t light0 = log.Find("SetLight 0", size_t(std::max(view, 0)));
    const int32_t light1 = log.Find("SetLight 1", size_t(std::max(light0, 0)));
    const int32_t firstDraw = log.Find("DrawIndexedPrimitive", size_t(std::max(light1, 0)));
    EXPECT_GE(projection, 0);
    EXPECT_GT(noTexture, projection);
    EXPECT_GT(view, noTexture);
    EXPECT_GT(light0, view);
    EXPECT_GT(light1, light0);
    EXPECT_GT(firstDraw, light1);
    EXPECT_TRUE(draws[0].state.lightEnabled[0] && draws[0].state.lightEnabled[1]);
    EXPECT_FALSE(draws[0].state.lightEnabled[2]);

    // The view takes the camera to the origin looking along +z.
    TMat4 viewMatrix;
    std::copy(draws[0].state.view.m, draws[0].state.view.m + 16, viewMatrix.m);
    const TVec3 eye(camera.x, camera.y, camera.z);
    const TVec3 eyeInView = TransformPoint(eye, viewMatrix);
    EXPECT_NEAR(eyeInView.x, 0, 1e-5f);
    EXPECT_NEAR(eyeInView.y, 0, 1e-5f);
    EXPECT_NEAR(eyeInView.z, 0, 1e-5f);
    const TVec3 ahead(eye.x - std::sin(camera.yaw), eye.y, eye.z + std::cos(camera.yaw));
    const TVec3 aheadInView = TransformPoint(ahead, viewMatrix);
    EXPECT_NEAR(aheadInView.x, 0, 1e-4f);
    EXPECT_NEAR(aheadInView.y, 0, 1e-4f);
    EXPECT_NEAR(aheadInView.z, 1, 1e-4f);

    // Perspective: field of view pi/4, near 1, far 32.
    const GfxMatrix& p = draws[0].state.projection;
    EXPECT_NEAR(p.m[5], 1.0f / std::tan(0.7853982f / 2), 1e-4f);
    EXPECT_NEAR(p.m[10], 32.0f / 31.0f, 1e-4f);
    EXPECT_NEAR(p.m[14], -32.0f / 31.0f, 1e-4f);

    // Inside a 3D pass already open, the draw neither opens nor closes one.
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin3d());
    set->Draw();
    EXPECT_TRUE(Renderer().IsIn3d());
    Renderer().End3d();
    Renderer().EndDraw(false);
    // Outside a frame nothing is drawn.
    GfxRecordingLog().Clear();
    set->Draw();
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
}

// Lights beyond the count of a set loaded after a larger one are switched
// off; a light type the device does not know leaves that light off.
TEST_F(SceneSetTest, LightsOfAnEarlierSetAreSwitchedOff)
{
    LoadSet("<scene><lights>" + Light("0") + Light("1") + Light("0") + "</lights><models>" + Model("a", 1) +
            "</models></scene>");
    std::vector<GfxDrawRecord> draws = DrawSet();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(std::vector<bool>(draws[0].state.lightEnabled, draws[0].state.lightEnabled + 4),
              (std::vector<bool>{true, true, true, false}));

    LoadSet("<scene><lights>" + Light("0") + "</lights><models>" + Model("a", 1) + "</models></scene>");
    draws = DrawSet();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(std::vector<bool>(draws[0].state.lightEnabled, draws[0].state.lightEnabled + 4),
              (std::vector<bool>{true, false, false, false}));
    EXPECT_TRUE(GfxRecordingLog().Has("LightEnable 1 0"));
    EXPECT_TRUE(GfxRecordingLog().Has("LightEnable 2 0"));

    // Once off, they are not switched off again every frame.
    DrawSet();
    EXPECT_FALSE(GfxRecordingLog().Has("LightEnable 1 0"));

    LoadSet("<scene><lights>" + Light("0") + Light("3") + "</lights><models>" + Model("a", 1) + "</models></scene>");
    draws = DrawSet();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(draws[0].state.lightEnabled[0]);
    EXPECT_FALSE(draws[0].state.lightEnabled[1]);
}

TEST_F(SceneSetTest, ElementTextures)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("screen", 1, "<TextureName>textures/wood.png</TextureName>") +
                             Model("bare", 2) + "</models></scene>");
    const TTextureRef wood = TTexture::Get("textures/wood.png", 0);
    const TTextureRef other = TTexture::Get("textures/screen.png", 0);
    ASSERT_TRUE(wood && other);
    EXPECT_EQ(set->GetElementTexture("screen"), wood);
    EXPECT_FALSE(set->GetElementTexture("bare")) << "untextured";
    EXPECT_FALSE(set->GetElementTexture("absent"));

    set->SetElementTexture("bare", other);
    EXPECT_EQ(set->GetElementTexture("bare"), other);
    set->SetElementTexture("screen", TTextureRef());
    EXPECT_FALSE(set->GetElementTexture("screen"));
    EXPECT_FALSE(set->FindElement("screen")->IsTextured());
    set->SetElementTexture("absent", other);
    EXPECT_FALSE(set->FindElement("absent"));

    const std::vector<GfxDrawRecord> draws = DrawSet();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].state.texture, nullptr);
    EXPECT_NE(draws[1].state.texture, nullptr);
}

// The animation's current frame is copied onto the element, into a target
// of the frame's size made when the element has none of that size.
TEST_F(SceneSetTest, AnimationOnElement)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("tv", 1, "<TextureName>textures/wood.png</TextureName>") +
                             Model("other", 2) + "</models></scene>");
    TAnimatedTextureRef logo = Logo();
    ASSERT_TRUE(logo);
    ASSERT_EQ(logo->GetFrameCount(), 2);

    set->ShowAnimationOnElement("tv", logo);
    const TTextureRef target = set->GetElementTexture("tv");
    ASSERT_TRUE(target);
    EXPECT_NE(target, TTexture::Get("textures/wood.png", 0));
    EXPECT_EQ(target->GetWidth(), 32u);
    EXPECT_EQ(target->GetHeight(), 16u);
    EXPECT_EQ(target->HasAlpha(), logo->HasAlpha());
    EXPECT_EQ(PixelsOf(target), FramePixels(0, 0));

    // The same frame again: no copy (what was written over the target stays).
    std::vector<uint32_t> marked(32 * 16, 0xFFFF00FFu);
    uint32_t* bits = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(target->Lock(bits, pitch));
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 32; ++x)
            bits[size_t(y) * pitch + x] = 0xFFFF00FFu;
    target->Unlock();
    set->ShowAnimationOnElement("tv", logo);
    EXPECT_EQ(PixelsOf(target), marked);

    // The next frame goes into the same target.
    logo->SetFrame(1);
    set->ShowAnimationOnElement("tv", logo);
    EXPECT_EQ(set->GetElementTexture("tv"), target);
    EXPECT_EQ(PixelsOf(target), FramePixels(32, 16));

    // While a frame is being drawn the copy is refused, and made afterwards.
    logo->SetFrame(0);
    ASSERT_TRUE(Renderer().BeginDraw(false));
    set->ShowAnimationOnElement("tv", logo);
    Renderer().EndDraw(false);
    EXPECT_EQ(PixelsOf(target), FramePixels(32, 16));
    set->ShowAnimationOnElement("tv", logo);
    EXPECT_EQ(PixelsOf(target), FramePixels(0, 0));

    // Without a current frame the element shows nothing, and no target is
    // made for it.
    GfxRecordingLog().Clear();
    logo->SetFrame(-1);
    set->ShowAnimationOnElement("tv", logo);
    set->ShowAnimationOnElement("tv", logo);
    EXPECT_FALSE(set->GetElementTexture("tv"));
    EXPECT_FALSE(set->FindElement("tv")->IsTextured());
    EXPECT_FALSE(GfxRecordingLog().Has("CreateSurface"));
    logo->SetFrame(1);
    set->ShowAnimationOnElement("tv", logo);
    ASSERT_TRUE(set->GetElementTexture("tv"));
    EXPECT_EQ(PixelsOf(set->GetElementTexture("tv")), FramePixels(32, 16));
    logo->SetFrame(0);

    // A name no element has, no animation, an animation without frames:
    // nothing is made or changed.
    AddFile("anim/empty.xml", "<sequence name=\"e\"><img name=\"sheet.png\"/><framelist/></sequence>");
    TAnimatedTextureRef empty = TAnimatedTexture::Get("anim/empty.xml");
    GfxRecordingLog().Clear();
    set->ShowAnimationOnElement("absent", logo);
    set->ShowAnimationOnElement("other", nullptr);
    if (empty) {
        EXPECT_EQ(empty->GetFrameCount(), 0);
        set->ShowAnimationOnElement("other", empty);
    }
    EXPECT_FALSE(GfxRecordingLog().Has("CreateSurface"));
    EXPECT_FALSE(set->GetElementTexture("other"));
    EXPECT_FALSE(set->FindElement("absent"));

    // An element textured at another size gets a target of its own.
    set->SetElementTexture("other", TTexture::Get("textures/screen.png", 0));
    set->ShowAnimationOnElement("other", logo);
    const TTextureRef second = set->GetElementTexture("other");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->GetWidth(), 32u);
    EXPECT_EQ(PixelsOf(second), FramePixels(0, 0));
}

// Before any load, after Clear and after Destroy, the set is empty.
TEST_F(SceneSetTest, EmptyBeforeLoadAndAfterClear)
{
    EXPECT_EQ(KSceneSet::Existing(), nullptr);
    KSceneSet* set = KSceneSet::Get();
    EXPECT_EQ(KSceneSet::Existing(), set);
    EXPECT_EQ(KSceneSet::Get(), set);
    EXPECT_EQ(set->GetElementCount(), 0u);
    EXPECT_FALSE(set->LoadNextElement());
    EXPECT_FALSE(set->FindElement("a"));
    EXPECT_FALSE(set->GetElementTexture("a"));
    EXPECT_TRUE(DrawSet().empty());
    EXPECT_EQ(set->GetCamera().fov, 0.62831855f);

    LoadSet("<scene><materials><material><matname>m</matname></material></materials><lights>" + Light("0") +
            "</lights><models>" + Model("a", 1) + "</models></scene>");
    std::weak_ptr<KElement> a = set->FindElement("a");
    ASSERT_NE(MaterialTable::Existing(), nullptr);
    set->Clear();
    EXPECT_EQ(set->GetElementCount(), 0u);
    EXPECT_TRUE(set->GetLights().empty());
    EXPECT_FALSE(set->FindElement("a"));
    EXPECT_TRUE(a.expired()) << "the set owned the element";
    EXPECT_EQ(MaterialTable::Existing(), nullptr);
    EXPECT_FALSE(set->LoadNextElement());

    KSceneSet::Destroy();
    EXPECT_EQ(KSceneSet::Existing(), nullptr);
    KSceneSet::Destroy();
}
