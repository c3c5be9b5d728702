// The records of the scene file: materials, lights and models with every
// field, the field-name rules, placement order, absurd values, and how an
// element loads, draws and takes another texture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "SceneFixture.h"
#include "game/stage/scene/Light.h"
#include "os/gfx/GfxTypes.h"

using namespace KScene;

namespace {

void ExpectColour(const TColorValue& c, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

void ExpectNear(TVec3 v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

bool SameMaterial(const TMaterial& a, const TMaterial& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class SceneElementTest : public SceneFixture {};

} // namespace

TEST_F(SceneElementTest, MaterialRecords)
{
    KSceneSet* set = LoadSet("<scene><materials>"
                             // names in any case
                             "<material><MATNAME>wood</MATNAME><MCDIFF>#ff000080</MCDIFF><McAmb>#00ff00</McAmb>"
                             "<mcspec>#0000ff00</mcspec><mcEmit>#ffffffff</mcEmit><MFPower>12.5</MFPower></material>"
                             // the same name again: dropped
                             "<material><matname>wood</matname><mcdiff>#ffffffff</mcdiff></material>"
                             // no fields: all zeros under the empty name
                             "<material/>"
                             "<material><matname>bare</matname><mfpower>3</mfpower><other>1</other></material>"
                             "</materials><models>" +
                             Model("a", 0, "<MatName>wood</MatName>") + Model("b", 1, "<MatName>nothing</MatName>") +
                             Model("c", 2) + Model("d", 3, "<MatName>bare</MatName><MatName>wood</MatName>") +
                             "</models></scene>");
    MaterialTable* table = MaterialTable::Existing();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->GetCount(), 3u);

    const TMaterial* wood = table->FindMaterial("wood");
    ASSERT_NE(wood, nullptr);
    ExpectColour(wood->diffuse, 1, 0, 0, 128 / 255.0f);
    ExpectColour(wood->ambient, 0, 1, 0, 1);
    ExpectColour(wood->specular, 0, 0, 1, 0);
    ExpectColour(wood->emissive, 1, 1, 1, 1);
    EXPECT_FLOAT_EQ(wood->power, 12.5f);

    const TMaterial* empty = table->FindMaterial("");
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(SameMaterial(*empty, TMaterial())) << "a record starts at all zeros";
    const TMaterial* bare = table->FindMaterial("bare");
    ASSERT_NE(bare, nullptr);
    ExpectColour(bare->diffuse, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(bare->power, 3.0f);

    const TMaterial& def = table->GetDefaultMaterial();
    ExpectColour(def.diffuse, 1, 1, 1, 1);
    ExpectColour(def.ambient, 0.2f, 0.2f, 0.2f, 1);
    ExpectColour(def.specular, 0.75f, 0.75f, 0.75f, 1);
    ExpectColour(def.emissive, 0, 0, 0, 0.75f);
    EXPECT_FLOAT_EQ(def.power, 10.0f);

    // Named, unknown (reported), none, and named twice (the last applies).
    EXPECT_TRUE(SameMaterial(set->FindElement("a")->GetMaterial(), *wood));
    EXPECT_TRUE(SameMaterial(set->FindElement("b")->GetMaterial(), def));
    EXPECT_TRUE(SameMaterial(set->FindElement("c")->GetMaterial(), def));
    EXPECT_TRUE(SameMaterial(set->FindElement("d")->GetMaterial(), *wood));
    EXPECT_TRUE(LogHas("Scene: Could not find expected material nothing")) << LogText();
    EXPECT_EQ(mLog->Count("Could not find expected material"), 1);

    // SetMaterial replaces the element's copy only.
    TMaterial glow;
    glow.emissive = {0.5f, 0.25f, 0, 1};
    set->FindElement("a")->SetMaterial(glow);
    EXPECT_TRUE(SameMaterial(set->FindElement("a")->GetMaterial(), glow));
    EXPECT_TRUE(SameMaterial(*table->FindMaterial("wood"), *wood));
}

TEST_F(SceneElementTest, LightRecords)
{
    KSceneSet* set = LoadSet("<scene><lights>"
                             "<light><mType>kSpotLight</mType><mPos>1,2,3</mPos><mcDiff>#ff0000ff</mcDiff>"
                             "<mcAmb>#00ff0080</mcAmb><mcSpec>#0000ffff</mcSpec><mDir>0,-1,0</mDir>"
                             "<mRange>25</mRange><mTheta>0.5</mTheta><mPhi>1.25</mPhi>"
                             "<mAttenuation>1,0.5,0.25</mAttenuation></light>"
                             "<light/>"
                             // names are exact: these are all ignored
                             "<light><mcdiff>#000000</mcdiff><MTYPE>1</MTYPE><mpos>5,5,5</mpos></light>"
                             "<light><mType>kPointSource</mType><mType>3</mType></light>"
                             "</lights><lights><light><mType>kPointSource</mType></light></lights></scene>");
    const auto& lights = set->GetLights();
    ASSERT_EQ(lights.size(), 5u);

    const LightRecord& spot = *lights[0];
    EXPECT_EQ(spot.kind, 2);
    EXPECT_EQ(std::vector<float>(spot.position, spot.position + 3), (std::vector<float>{1, 2, 3}));
    ExpectColour(spot.diffuse, 1, 0, 0, 1);
    ExpectColour(spot.ambient, 0, 1, 0, 128 / 255.0f);
    ExpectColour(spot.specular, 0, 0, 1, 1);
    EXPECT_EQ(std::vector<float>(spot.direction, spot.direction + 3), (std::vector<float>{0, -1, 0}));
    EXPECT_FLOAT_EQ(spot.range, 25.0f);
    EXPECT_FLOAT_EQ(spot.theta, 0.5f);
    EXPECT_FLOAT_EQ(spot.phi, 1.25f);
    EXPECT_FLOAT_EQ(spot.attenuation0, 1.0f);
    EXPECT_FLOAT_EQ(spot.attenuation1, 0.5f);
    EXPECT_FLOAT_EQ(spot.attenuation2, 0.25f);

    for (size_t i : {size_t(1), size_t(2)}) {
        SCOPED_TRACE(i);
        const LightRecord& d = *lights[i];
        EXPECT_EQ(d.kind, 0);
        ExpectColour(d.diffuse, 1, 1, 1, 0);
        ExpectColour(d.specular, 0, 0, 0, 0);
        ExpectColour(d.ambient, 0, 0, 0, 0);
        EXPECT_EQ(std::vector<float>(d.position, d.position + 3), (std::vector<float>{0, 0, 0}));
        EXPECT_EQ(std::vector<float>(d.direction, d.direction + 3), (std::vector<float>{0, 0, 1}));
        EXPECT_FLOAT_EQ(d.range, 1.8446743e19f);
        EXPECT_EQ(d.attenuation0 + d.attenuation1 + d.attenuation2 + d.theta + d.phi, 0.0f);
    }
    // A repeated field applies again; a number is taken as it stands.
    EXPECT_EQ(lights[3]->kind, 3);
    // Sections repeat; records keep document order.
    EXPECT_EQ(lights[4]->kind, 1);
}

TEST_F(SceneElementTest, ModelFields)
{
    struct Case {
        const char* name;
        std::string fields;
        const char* mesh;
        const char* texture;
        int32_t u, v;
    };
    const Case cases[] = {
        {"folder-first", "<MeshFolder>mesh/</MeshFolder><MeshName>m1.mesh</MeshName>", "mesh/m1.mesh", "", 0, 0},
        {"name-first", "<MeshName>m1.mesh</MeshName><MeshFolder>mesh/</MeshFolder>", "mesh/m1.mesh", "", 0, 0},
        {"repeated", "<MeshName>m</MeshName><MeshName>1.mesh</MeshName><MeshFolder>sh/</MeshFolder>"
                     "<MeshFolder>me</MeshFolder>",
         "mesh/m1.mesh", "", 0, 0},
        {"textured", "<MeshName>mesh/m1.mesh</MeshName><TextureName>wood.png</TextureName>"
                     "<TextureFolder>textures/</TextureFolder><uMapMode>kMapWrap</uMapMode>"
                     "<vMapMode>2</vMapMode>",
         "mesh/m1.mesh", "textures/wood.png", 1, 2},
        // exact names: these are ignored
        {"lower-case", "<meshname>mesh/m1.mesh</meshname><texturename>x.png</texturename>"
                       "<umapmode>1</umapmode><position>1,2,3</position>",
         "", "", 0, 0},
    };
    std::string xml = "<scene><models>";
    for (const Case& c : cases)
        xml += "<model><Name>" + std::string(c.name) + "</Name>" + c.fields + "</model>";
    KSceneSet* set = LoadSet(xml + "<model><name>lost</name></model></models></scene>");
    ASSERT_EQ(set->GetElementCount(), 6u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<KElement> e = set->FindElement(c.name);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->GetMeshPath(), c.mesh);
        EXPECT_EQ(e->GetTexturePath(), c.texture);
        EXPECT_EQ(e->GetAddressU(), c.u);
        EXPECT_EQ(e->GetAddressV(), c.v);
        EXPECT_EQ(e->GetWorld(), nullptr);
        EXPECT_TRUE(e->IsLoaded());
        EXPECT_EQ(bool(e->GetModel()), *c.mesh != 0);
        EXPECT_EQ(e->IsTextured(), *c.texture != 0);
    }
    EXPECT_EQ(set->GetElements().back()->GetName(), "") << "\"name\" is not \"Name\"";
}

// Fields apply in document order: Position then Rotation turns the moved
// model about the origin; Rotation then Position turns it in place.
TEST_F(SceneElementTest, PositionAndRotationOrder)
{
    struct Case {
        const char* name;
        const char* fields;
        TVec3 point;
        TVec3 expected;
    };
    const Case cases[] = {
        {"move-turn", "<Position>1,0,0</Position><Rotation>0,1.5707964,0</Rotation>", TVec3(0, 0, 0),
         TVec3(0, 0, -1)},
        {"turn-move", "<Rotation>0,1.5707964,0</Rotation><Position>1,0,0</Position>", TVec3(0, 0, 0),
         TVec3(1, 0, 0)},
        {"turn-move-point", "<Rotation>0,1.5707964,0</Rotation><Position>1,0,0</Position>", TVec3(1, 0, 0),
         TVec3(1, 0, -1)},
        // x turns about x (pitch), z about z (roll)
        {"pitch", "<Rotation>1.5707964,0,0</Rotation>", TVec3(0, 1, 0), TVec3(0, 0, 1)},
        {"roll", "<Rotation>0,0,1.5707964</Rotation>", TVec3(1, 0, 0), TVec3(0, 1, 0)},
        // repeated fields apply again
        {"twice", "<Position>1,2,3</Position><Position>1,0,-1</Position>", TVec3(0, 0, 0), TVec3(2, 2, 2)},
    };
    std::string xml = "<scene><models>";
    int tag = 0;
    for (const Case& c : cases)
        xml += Model(c.name, tag++ % kMeshes, c.fields);
    KSceneSet* set = LoadSet(xml + Model("still", 0) + "</models></scene>");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::shared_ptr<KElement> e = set->FindElement(c.name);
        ASSERT_TRUE(e);
        ASSERT_NE(e->GetWorld(), nullptr);
        ExpectNear(TransformPoint(c.point, *e->GetWorld()), c.expected.x, c.expected.y, c.expected.z);
    }
    EXPECT_EQ(set->FindElement("still")->GetWorld(), nullptr);
}

// Absurd numbers leave a set that draws with finite transforms.
TEST_F(SceneElementTest, AbsurdPlacementIsKeptFinite)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("far", 1, "<Position>1e9,-1e9,5</Position>") +
                             Model("nan", 2, "<Position>nan,inf,1e39</Position><Rotation>nan,-inf,1e39</Rotation>") +
                             Model("spin", 3, "<Rotation>1e30,-1e30,3e38</Rotation>") + "</models></scene>");
    EXPECT_TRUE(LogHas("Scene: Position (1e9,-1e9,5) cut to 100000")) << LogText();
    EXPECT_TRUE(LogHas("Scene: Number out of range in (nan,inf,1e39)")) << LogText();

    const TMat4& far = *set->FindElement("far")->GetWorld();
    EXPECT_EQ(std::vector<float>({far(3, 0), far(3, 1), far(3, 2)}), (std::vector<float>{1e5f, -1e5f, 5}));
    const TMat4& nan = *set->FindElement("nan")->GetWorld();
    const TMat4 identity;
    EXPECT_EQ(std::vector<float>(nan.m, nan.m + 16), std::vector<float>(identity.m, identity.m + 16));

    const std::vector<GfxDrawRecord> draws = DrawSet();
    ASSERT_EQ(Tags(draws), (std::vector<int>{1, 2, 3}));
    for (const GfxDrawRecord& d : draws)
        for (float value : d.state.world.m)
            EXPECT_TRUE(std::isfinite(value));
}

// What an element sets before its mesh draws: texture and addressing when
// textured, the material, and the world transform only when it has one.
TEST_F(SceneElementTest, DrawStates)
{
    KSceneSet* set = LoadSet(
        "<scene><materials><material><matname>red</matname><mcdiff>#ff0000ff</mcdiff></material></materials>"
        "<models>" +
        Model("plain", 1) +
        Model("wood", 2,
              "<TextureName>textures/wood.png</TextureName><uMapMode>1</uMapMode><vMapMode>kMapMirror</vMapMode>"
              "<MatName>red</MatName><Position>0,0,4</Position>") +
        Model("after", 3) + Model("clamped", 4, "<TextureName>textures/wood.png</TextureName><uMapMode>7</uMapMode>") +
        "</models></scene>");
    // An element without placement draws with the world transform in force.
    ASSERT_TRUE(Renderer().BeginDraw(false));
    TMat4 before;
    before.Translate(TVec3(5, 6, 7));
    Renderer().Begin3d();
    Renderer().SetWorldTransform(before);
    GfxRecordingLog().Clear();
    set->Draw();
    Renderer().End3d();
    Renderer().EndDraw(false);
    const std::vector<GfxDrawRecord>& draws = GfxRecordingLog().draws;
    ASSERT_EQ(Tags(draws), (std::vector<int>{1, 2, 3, 4}));

    EXPECT_EQ(draws[0].state.texture, nullptr);
    EXPECT_EQ(draws[0].state.world.m[14], 7.0f);
    EXPECT_FLOAT_EQ(draws[0].state.material.diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(draws[0].state.material.power, 10.0f);

    EXPECT_NE(draws[1].state.texture, nullptr);
    EXPECT_EQ(draws[1].Get(GfxTss::AddressU), uint32_t(GfxAddress::Wrap));
    EXPECT_EQ(draws[1].Get(GfxTss::AddressV), uint32_t(GfxAddress::Mirror));
    EXPECT_FLOAT_EQ(draws[1].state.material.diffuse.g, 0.0f);
    EXPECT_EQ(draws[1].state.world.m[14], 4.0f);

    // The world goes back to identity after a placed element.
    EXPECT_EQ(draws[2].state.texture, nullptr);
    EXPECT_EQ(draws[2].state.world, GfxMatrix());
    EXPECT_EQ(draws[3].Get(GfxTss::AddressU), uint32_t(GfxAddress::Clamp));
    EXPECT_EQ(draws[3].Get(GfxTss::AddressV), uint32_t(GfxAddress::Clamp));
}

TEST_F(SceneElementTest, MissingMeshOrTexture)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("one", 1) +
                             Model("nomesh", 9, "<TextureName>textures/wood.png</TextureName>") +
                             Model("notex", 2, "<TextureName>textures/gone.png</TextureName>") + Model("three", 3) +
                             "</models></scene>");
    EXPECT_TRUE(LogHas("Scene: Cannot load model mesh/m9.mesh")) << LogText();
    EXPECT_TRUE(LogHas("Scene: Cannot load Texture textures/gone.png")) << LogText();

    // The element without a mesh stays in the set and can be found; the one
    // without its texture draws untextured with its texture flag on.
    EXPECT_TRUE(set->FindElement("nomesh"));
    std::shared_ptr<KElement> notex = set->FindElement("notex");
    EXPECT_TRUE(notex->IsTextured());
    EXPECT_FALSE(notex->GetTexture());
    const std::vector<GfxDrawRecord> draws = DrawSet();
    ASSERT_EQ(Tags(draws), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(draws[1].state.texture, nullptr);
}

TEST_F(SceneElementTest, TextureOverride)
{
    KSceneSet* set = LoadSet("<scene><models>" + Model("screen", 1, "<TextureName>textures/wood.png</TextureName>") +
                             Model("bare", 2) + "</models></scene>");
    std::shared_ptr<KElement> screen = set->FindElement("screen");
    std::shared_ptr<KElement> bare = set->FindElement("bare");
    const TTextureRef wood = screen->GetTexture();
    ASSERT_TRUE(wood);
    ASSERT_TRUE(screen->IsTextured());

    // An empty texture turns texturing off, even though the file names one.
    screen->SetTextureOverride(TTextureRef());
    EXPECT_FALSE(screen->IsTextured());
    EXPECT_FALSE(screen->GetTexture());
    EXPECT_EQ(DrawSet().at(0).state.texture, nullptr);

    // A texture turns it on, for an element that had none too.
    const TTextureRef other = TTexture::Get("textures/screen.png", 0);
    ASSERT_TRUE(other);
    bare->SetTextureOverride(other);
    EXPECT_TRUE(bare->IsTextured());
    EXPECT_EQ(bare->GetTexture(), other);
    EXPECT_NE(DrawSet().at(1).state.texture, nullptr);

    // Loading again fetches the element's own texture when it names one,
    // and leaves the given one otherwise.
    screen->SetTextureOverride(other);
    screen->Load();
    bare->Load();
    EXPECT_EQ(screen->GetTexture(), wood);
    EXPECT_EQ(bare->GetTexture(), other);
}
