// Animated textures: finding and reading the .xml and .anm descriptions
// (damaged ones too), the default script, frame queries, the quad a frame
// draws (on the recording device) and sharing through the asset manager.
#include "AnimFixture.h"

#include <cmath>

#include "platform/AssetManager.h"
#include "support/ImageWriter.h"

namespace {

const char* kGoodXml = R"xml(<sequence name="walk" source="walk.fla">
  <img regx="3" regy="4" xform="2 3" w="128" h="64" name="sheet.png" mask=""/>
  <framelist>
    <frame name="a" x="0" y="0" w="32" h="16" regx="5" regy="6" xform="1 2 3 4 5 6">
      <anchor name="hand" x="7" y="8"/>
      <anchor name="hand" x="9" y="9"/>
      <anchor name="foot" x="1" y="2"/>
    </frame>
    <note/>
    <frame name="b" x="32" y="0" w="40" h="12"/>
    <frame name="c" x="0" y="16" w="8" h="30" regx="1" regy="2" xform="7 8"/>
    <frame name="d" x="64" y="0" w="0" h="0" xform="1  0.5 "/>
  </framelist>
  <script luascript="print(1)">ignored</script>
</sequence>)xml";

class AnimatedTextureTest : public AnimFixture {
};

TEST_F(AnimatedTextureTest, TheDescriptionIsTheNameThenNameXmlThenNameAnm)
{
    anm::Description fromAnm = anm::Grid(2, 1, 16);
    fromAnm.name = "anm";
    anm::Description only = fromAnm;
    only.name = "only";
    AddFile("anim/both.xml", R"(<sequence name="xml"><img name="sheet.png"/><framelist><frame w="4"/></framelist></sequence>)");
    AddFile("anim/both.anm", anm::Write(fromAnm));
    AddFile("anim/only.anm", anm::Write(only));
    AddFile("anim/notes.txt", "<sequence/>");
    struct Case {
        const char* name;
        const char* sequence; // null: the load fails
        const char* folder;
        const char* log;
    } cases[] = {
        {"anim/both", "xml", "anim/", nullptr},
        {"anim/both.anm", "anm", "anim/", nullptr},
        {"anim/both?slow", "xml", "anim/", nullptr},
        {"anim\\only", "only", "anim\\", nullptr},
        {"ANIM/ONLY.ANM", "only", "ANIM/", nullptr},
        {"anim/none", nullptr, nullptr, "anim/none: no description"},
        {"anim/notes.txt", nullptr, nullptr, "anim/notes.txt: neither .xml nor .anm"},
    };
    for (const Case& c : cases) {
        TAnimatedTextureRef texture = Describe(c.name);
        if (!c.sequence) {
            EXPECT_FALSE(texture) << c.name;
            EXPECT_EQ(LogCount(c.log), 1) << c.name;
            continue;
        }
        ASSERT_TRUE(texture) << c.name;
        const TAnimatedTextureData& d = texture->GetDescription();
        EXPECT_STREQ(d.sequenceName.c_str(), c.sequence) << c.name;
        EXPECT_STREQ(d.folder.c_str(), c.folder) << c.name;
        EXPECT_EQ(d.descriptionName.Find('?'), -1) << c.name;
    }
    // A name without a folder has none.
    AddFile("top.anm", anm::Write(only));
    TAnimatedTextureRef top = Describe("top");
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->GetDescription().folder.IsEmpty());
}

TEST_F(AnimatedTextureTest, XmlFramesInheritRegistrationAndTransformsFromTheFrameBefore)
{
    AddFile("anim/walk.xml", kGoodXml);
    TAnimatedTextureRef texture = Describe("anim/walk");
    ASSERT_TRUE(texture);
    const TAnimatedTextureData& d = texture->GetDescription();
    EXPECT_STREQ(d.sequenceName.c_str(), "walk");
    EXPECT_STREQ(d.source.c_str(), "walk.fla");
    EXPECT_STREQ(d.imageName.c_str(), "sheet.png");
    EXPECT_TRUE(d.maskName.IsEmpty());
    EXPECT_EQ(d.imageRegX, 3);
    EXPECT_EQ(d.imageRegY, 4);
    EXPECT_EQ(d.imageWidth, 128);
    EXPECT_EQ(d.imageHeight, 64);
    // Two values given, the other two keep theirs.
    const float imageXform[4] = {2, 3, 0, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d.imageTransform[i], imageXform[i]) << i;
    EXPECT_STREQ(d.script.c_str(), "print(1)");

    struct Want {
        const char* name;
        int32_t x, y, w, h, regx, regy;
        float xform[6];
        size_t anchors;
    } want[] = {
        {"a", 0, 0, 32, 16, 5, 6, {1, 2, 3, 4, 5, 6}, 3},
        {"b", 32, 0, 40, 12, 5, 6, {1, 2, 3, 4, 5, 6}, 0},   // all inherited
        {"c", 0, 16, 8, 30, 1, 2, {7, 8, 0, 1, 0, 0}, 0},    // two values over the identity
        {"d", 64, 0, 0, 0, 1, 2, {1, 0.5f, 0, 1, 0, 0}, 0},  // blanks between and after
    };
    ASSERT_EQ(texture->GetFrameCount(), 4) << "other children of the list are skipped";
    for (int i = 0; i < 4; ++i) {
        const TAnimatedFrame& f = d.frames[size_t(i)];
        const Want& w = want[i];
        EXPECT_STREQ(f.name.c_str(), w.name);
        EXPECT_EQ(TRect(f.x, f.y, f.w, f.h), TRect(w.x, w.y, w.w, w.h)) << w.name;
        EXPECT_EQ(f.regx, w.regx) << w.name;
        EXPECT_EQ(f.regy, w.regy) << w.name;
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(f.transform[k], w.xform[k]) << w.name << " value " << k;
        EXPECT_EQ(f.anchors.size(), w.anchors) << w.name;
    }
    EXPECT_EQ(d.widestFrame, 40);
    EXPECT_EQ(d.tallestFrame, 30);

    // The first frame without "regx" is registered at (0, 0); the script
    // is the element's text when "luascript" is empty.
    AddFile("anim/text.xml", R"(<?xml version="1.0"?><doc><sequence><img name="s.png"/><framelist>
        <frame w="4" h="4" regy="9"/></framelist><script>delay(1)</script></sequence></doc>)");
    TAnimatedTextureRef text = Describe("anim/text.xml");
    ASSERT_TRUE(text) << "the sequence may sit under a root element";
    EXPECT_EQ(text->GetDescription().frames[0].regx, 0);
    EXPECT_EQ(text->GetDescription().frames[0].regy, 0);
    EXPECT_STREQ(text->GetDescription().script.c_str(), "delay(1)");
    EXPECT_EQ(text->GetDescription().imageTransform[0], TAnimatedTextureData::kNoTransform);
}

TEST_F(AnimatedTextureTest, XmlWithoutItsRequiredElementsFailsWithALogLine)
{
    struct Case {
        const char* what;
        std::string xml;
        const char* log;
    } cases[] = {
        {"no sequence", "<seq><img/></seq>", "no sequence element"},
        {"no img", "<sequence><framelist><frame w='2'/></framelist></sequence>", "no img element"},
        {"no framelist", "<sequence><img name='a.png'/></sequence>", "no frames"},
        {"no frame in the list", "<sequence><img name='a.png'/><framelist><frames/></framelist></sequence>",
         "no frames"},
        {"cut off", "<sequence name=\"a\"><img name=\"a.png\"/><framelist><fr", "no frames"},
        {"empty file", "", "no sequence element"},
        {"binary", std::string("\x00\xff<<>>&&\x01", 9), "no sequence element"},
    };
    int i = 0;
    for (const Case& c : cases) {
        const std::string name = "anim/bad" + std::to_string(i++) + ".xml";
        AddFile(name, c.xml);
        EXPECT_FALSE(Describe(name)) << c.what;
        EXPECT_EQ(LogCount(name + ": " + c.log), 1) << c.what;
    }
    // Negative sizes are read as 0, with a line.
    AddFile("anim/neg.xml", R"(<sequence><img name="a.png"/><framelist><frame w="-5" h="3"/></framelist></sequence>)");
    TAnimatedTextureRef neg = Describe("anim/neg.xml");
    ASSERT_TRUE(neg);
    EXPECT_EQ(neg->GetFrameRect(0), TRect(0, 0, 0, 3));
    EXPECT_EQ(LogCount("frame size -5 read as 0"), 1);
}

TEST_F(AnimatedTextureTest, AnmDescriptionsAreReadInFull)
{
    anm::Description d = anm::Grid(3, 1, 20);
    d.name = "run";
    d.source = "run.src";
    d.regx = 1;
    d.regy = 2;
    d.w = 60;
    d.h = 20;
    d.xform[0] = 1;
    d.image = "sheet.png";
    d.mask = "mask.png";
    d.frames[1].anchors = {{3, 4, "hand"}, {5, 6, ""}};
    d.frames[1].xform[3] = 0.5f;
    d.frames[2].w = 25;
    d.frames[2].h = -1;
    d.script = "delay(10)";
    AddFile("anim/run.anm", anm::Write(d));
    TAnimatedTextureRef texture = Describe("anim/run");
    ASSERT_TRUE(texture);
    const TAnimatedTextureData& got = texture->GetDescription();
    EXPECT_STREQ(got.sequenceName.c_str(), "run");
    EXPECT_STREQ(got.source.c_str(), "run.src");
    EXPECT_STREQ(got.imageName.c_str(), "sheet.png");
    EXPECT_STREQ(got.maskName.c_str(), "mask.png");
    EXPECT_EQ(TRect(got.imageRegX, got.imageRegY, got.imageWidth, got.imageHeight), TRect(1, 2, 60, 20));
    EXPECT_EQ(got.imageTransform[0], 1.0f);
    EXPECT_STREQ(got.script.c_str(), "delay(10)");
    ASSERT_EQ(texture->GetFrameCount(), 3);
    EXPECT_EQ(texture->GetFrameRect(2), TRect(40, 0, 65, 0)) << "a negative height reads as 0";
    EXPECT_EQ(got.frames[1].transform[3], 0.5f);
    EXPECT_STREQ(got.frames[1].name.c_str(), "f1");
    ASSERT_EQ(got.frames[1].anchors.size(), 2u);
    EXPECT_STREQ(got.frames[1].anchors[0].name.c_str(), "hand");
    EXPECT_EQ(got.frames[1].anchors[1].y, 6);
    EXPECT_EQ(got.widestFrame, 25);
    EXPECT_EQ(got.tallestFrame, 20);

    // No frames is no failure; without SCRP the default script is written.
    anm::Description empty;
    empty.withScript = false;
    AddFile("anim/empty.anm", anm::Write(empty));
    TAnimatedTextureRef none = Describe("anim/empty");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetFrameCount(), 0);
    EXPECT_STREQ(none->GetDescription().script.c_str(), "function DoAnim()\n    delay(60);\nend\n");
}

TEST_F(AnimatedTextureTest, DamagedAnmFilesAreRefusedWithoutReadingPastTheEnd)
{
    anm::Description d = anm::Grid(2, 1, 16);
    d.frames[0].anchors = {{1, 1, "a"}};
    const std::string good = anm::Write(d);
    d.withScript = false;
    const size_t framesEnd = anm::Write(d).size();

    // Every cut of a good file: before the end of the frames it fails;
    // short of a whole SCRP tag it takes the default script; inside the
    // script it fails.
    for (size_t length = 0; length < good.size(); ++length) {
        const std::string name = "anim/cut" + std::to_string(length) + ".anm";
        AddFile(name, good.substr(0, length));
        const bool loads = length >= framesEnd && length < framesEnd + 4;
        TAnimatedTextureRef texture = Describe(name);
        EXPECT_EQ(bool(texture), loads) << "cut at " << length;
        if (texture) {
            EXPECT_STREQ(texture->GetDescription().script.c_str(),
                         "function DoAnim()\n    delay(60);\n    frames{1,2};\nend\n");
        }
    }

    // Counts and lengths larger than the file, and wrong tags.
    auto header = [] { return anm::Writer().Tag("ANIM").Int(0).Int(0).Str("n").Str("s"); };
    auto image = [](anm::Writer w) {
        w.Tag("IMGN").Int(0).Int(0).Int(0).Int(0).Float(0).Float(0).Float(0).Float(0).Str("i").Str("");
        return w;
    };
    struct Case {
        const char* what;
        std::string bytes;
        const char* log;
    } cases[] = {
        {"wrong magic", anm::Writer().Tag("ANIX").bytes, "no ANIM tag"},
        {"name longer than the file", anm::Writer().Tag("ANIM").Int(0).Int(0).Int(0x7FFFFFFF).bytes, "no IMGN tag"},
        {"wrong image tag", header().Tag("IMGX").bytes, "no IMGN tag"},
        {"wrong frame tag", image(header()).Tag("FRMX").bytes, "no FRMS tag"},
        {"2^31 - 1 frames", image(header()).Tag("FRMS").Int(0x7FFFFFFF).bytes, "truncated or corrupt frame list"},
        {"frames for 2 of 3", [&] {
             anm::Writer w = image(header());
             w.Tag("FRMS").Int(3);
             for (int i = 0; i < 2; ++i)
                 w.Int(0).Int(0).Int(0).Int(0).Int(1).Int(1).Float(1).Float(0).Float(0).Float(1).Float(0).Float(0).Str("").Int(0);
             return w.bytes + std::string(40, '\0');
         }(),
         "truncated or corrupt frame list"},
        {"2^31 - 1 anchors", [&] {
             anm::Writer w = image(header());
             w.Tag("FRMS").Int(1).Int(0).Int(0).Int(0).Int(0).Int(1).Int(1);
             w.Float(1).Float(0).Float(0).Float(1).Float(0).Float(0).Str("").Int(0x7FFFFFFF);
             return w.bytes;
         }(),
         "truncated or corrupt frame list"},
        {"script longer than the file", image(header()).Tag("FRMS").Int(0).Tag("SCRP").Int(1000).Str("x").bytes,
         "truncated script"},
    };
    int i = 0;
    for (const Case& c : cases) {
        const std::string name = "anim/bad" + std::to_string(i++) + ".anm";
        AddFile(name, c.bytes);
        EXPECT_FALSE(Describe(name)) << c.what;
        EXPECT_EQ(LogCount(name + ": " + c.log), 1) << c.what;
    }

    // Negative counts and lengths read as none.
    anm::Writer w = header();
    w = image(w);
    w.Tag("FRMS").Int(-4).Tag("SCRP").Int(-1);
    AddFile("anim/negative.anm", w.bytes);
    TAnimatedTextureRef negative = Describe("anim/negative");
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->GetFrameCount(), 0);
    EXPECT_TRUE(negative->GetDescription().script.IsEmpty());
}

TEST_F(AnimatedTextureTest, TheDefaultScriptListsEveryFrameFromOne)
{
    struct Case {
        int32_t frames;
        const char* script;
    } cases[] = {
        {0, "function DoAnim()\n    delay(60);\nend\n"},
        {1, "function DoAnim()\n    delay(60);\n    frames{1};\nend\n"},
        {3, "function DoAnim()\n    delay(60);\n    frames{1,2,3};\nend\n"},
        {12, "function DoAnim()\n    delay(60);\n    frames{1,2,3,4,5,6,7,8,9,10,11,12};\nend\n"},
    };
    for (const Case& c : cases) {
        anm::Description d = anm::Grid(c.frames, 1, 8);
        d.withScript = false;
        const std::string name = "anim/script" + std::to_string(c.frames) + ".anm";
        AddFile(name, anm::Write(d));
        TAnimatedTextureRef texture = Describe(name);
        ASSERT_TRUE(texture);
        EXPECT_STREQ(texture->GetDescription().script.c_str(), c.script) << c.frames;
    }
    // An XML description without a script element too.
    AddFile("anim/noscript.xml", "<sequence><img name='a.png'/><framelist><frame/><frame/></framelist></sequence>");
    TAnimatedTextureRef xml = Describe("anim/noscript.xml");
    ASSERT_TRUE(xml);
    EXPECT_STREQ(xml->GetDescription().script.c_str(), "function DoAnim()\n    delay(60);\n    frames{1,2};\nend\n");
}

TEST_F(AnimatedTextureTest, FrameQueriesFollowTheCurrentFrame)
{
    AddFile("anim/walk.xml", kGoodXml);
    TAnimatedTextureRef t = Describe("anim/walk");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->GetFrame(), 0);

    struct Case {
        int32_t set;
        int32_t frame; // current frame afterwards
        uint32_t w, h;
    } cases[] = {
        {1, 1, 40, 12}, {4, 1, 40, 12}, {-2, 1, 40, 12}, {3, 3, 0, 0}, {-1, -1, 0, 0}, {2, 2, 8, 30},
    };
    for (const Case& c : cases) {
        t->SetFrame(c.set);
        EXPECT_EQ(t->GetFrame(), c.frame) << c.set;
        EXPECT_EQ(t->GetWidth(), c.w) << c.set;
        EXPECT_EQ(t->GetHeight(), c.h) << c.set;
    }

    EXPECT_EQ(t->GetFrameRect(0), TRect(0, 0, 32, 16));
    EXPECT_EQ(t->GetFrameRect(2), TRect(0, 16, 8, 46));
    EXPECT_EQ(t->GetFrameRect(4), TRect());
    EXPECT_EQ(t->GetFrameRect(-1), TRect());
    int32_t rx = 9, ry = 9;
    t->GetRegistration(1, rx, ry);
    EXPECT_EQ(TRect(rx, ry, 0, 0), TRect(5, 6, 0, 0));
    t->GetRegistration(7, rx, ry);
    EXPECT_EQ(TRect(rx, ry, 0, 0), TRect());

    // Anchors of the current frame, first match, exact bytes.
    int32_t x = 0, y = 0;
    t->SetFrame(0);
    EXPECT_TRUE(t->GetAnchor("hand", &x, &y));
    EXPECT_EQ(TRect(x, y, 0, 0), TRect(7, 8, 0, 0));
    EXPECT_TRUE(t->GetAnchor("foot", nullptr, &y));
    EXPECT_EQ(y, 2);
    EXPECT_FALSE(t->GetAnchor("Hand", &x, &y));
    EXPECT_FALSE(t->GetAnchor("", &x, &y));
    t->SetFrame(1);
    EXPECT_FALSE(t->GetAnchor("hand", &x, &y)) << "frame 1 has no anchors";
    t->SetFrame(-1);
    EXPECT_FALSE(t->GetAnchor("hand", &x, &y));
}

// The frame transform is on when the image transform's first value is set.
std::string Sheet(bool frameTransforms)
{
    std::string xml = R"(<sequence><img name="sheet.png" xform=")";
    xml += frameTransforms ? "1" : "";
    xml += R"("/><framelist>
        <frame x="64" y="0" w="32" h="32" regx="8" regy="4"/>
        <frame x="0" y="32" w="16" h="8" regx="2" regy="2" xform="2 0 0 0.5"/>
        <frame x="96" y="96" w="0" h="32"/>
      </framelist></sequence>)";
    return xml;
}

TEST_F(AnimatedTextureTest, AFrameDrawsItsRectanglePlacedByItsRegistration)
{
    AddFile("anim/plain.xml", Sheet(false));
    AddFile("anim/turned.xml", Sheet(true));
    TAnimatedTextureRef plain = TAnimatedTexture::Get("anim/plain");
    TAnimatedTextureRef turned = TAnimatedTexture::Get("anim/turned");
    ASSERT_TRUE(plain && turned);
    const float side = float(plain->GetData()->mSurfaceWidth);
    ASSERT_EQ(side, 128.0f);

    struct Case {
        const char* what;
        TAnimatedTextureRef texture;
        int32_t frame;
        uint32_t flags;
        TVec2 origin;
        TRect source;
        float left, top, right, bottom; // screen corners 0 and 2 (mirroring swaps them)
        TRect texels;                    // the texels drawn
    } cases[] = {
        {"registration at the position", plain, 0, 0, {}, {}, 92, 46, 124, 78, {64, 0, 96, 32}},
        {"own origin kept", plain, 0, kDrawAtOrigin, {1, 2}, {}, 99, 48, 131, 80, {64, 0, 96, 32}},
        {"mirrored: the registration from the right", plain, 0, kDrawMirrorX, {}, {}, 108, 46, 76, 78,
         {64, 0, 96, 32}},
        {"flipped", plain, 0, kDrawMirrorY, {}, {}, 92, 54, 124, 22, {64, 0, 96, 32}},
        {"a source rectangle is inside the frame", plain, 0, kDrawSourceRect, {}, {0, 0, 10, 10}, 92, 46, 102, 56,
         {64, 0, 74, 10}},
        {"and cut to it", plain, 0, kDrawSourceRect, {}, {20, -5, 50, 10}, 92, 46, 104, 56, {84, 0, 96, 10}},
        {"frame transforms off", plain, 1, 0, {}, {}, 98, 48, 114, 56, {0, 32, 16, 40}},
        {"frame transforms on: scaled about the registration", turned, 1, 0, {}, {}, 96, 49, 128, 53,
         {0, 32, 16, 40}},
    };
    ASSERT_TRUE(Renderer().BeginDraw(false));
    ASSERT_TRUE(Renderer().Begin2d());
    for (const Case& c : cases) {
        c.texture->SetFrame(c.frame);
        TDrawParams params(TVec2(100, 50), 1, 1, c.flags);
        params.origin = c.origin;
        params.sourceRect[0] = c.source.left;
        params.sourceRect[1] = c.source.top;
        params.sourceRect[2] = c.source.right;
        params.sourceRect[3] = c.source.bottom;
        GfxRecordingLog().draws.clear();
        c.texture->Draw(params);
        ASSERT_EQ(GfxRecordingLog().draws.size(), 1u) << c.what;
        std::vector<QuadCorner> quad = QuadOf(GfxRecordingLog().draws[0]);
        ASSERT_EQ(quad.size(), 4u);
        EXPECT_NEAR(quad[0].x, c.left, 1e-4) << c.what;
        EXPECT_NEAR(quad[0].y, c.top, 1e-4) << c.what;
        EXPECT_NEAR(quad[2].x, c.right, 1e-4) << c.what;
        EXPECT_NEAR(quad[2].y, c.bottom, 1e-4) << c.what;
        EXPECT_FLOAT_EQ(quad[0].u * side, float(c.texels.left)) << c.what;
        EXPECT_FLOAT_EQ(quad[0].v * side, float(c.texels.top)) << c.what;
        EXPECT_FLOAT_EQ(quad[2].u * side, float(c.texels.right)) << c.what;
        EXPECT_FLOAT_EQ(quad[2].v * side, float(c.texels.bottom)) << c.what;
    }

    // Nothing: frame -1, a frame of width 0, a source rectangle beside the
    // frame; the position-and-angle draw goes through the frame too.
    GfxRecordingLog().draws.clear();
    plain->SetFrame(-1);
    plain->Draw(TDrawParams(TVec2(100, 50), 1, 1, 0));
    plain->SetFrame(2);
    plain->Draw(TDrawParams(TVec2(100, 50), 1, 1, 0));
    plain->SetFrame(0);
    TDrawParams beside(TVec2(100, 50), 1, 1, kDrawSourceRect);
    beside.sourceRect[0] = 40;
    beside.sourceRect[2] = 60;
    beside.sourceRect[3] = 10;
    plain->Draw(beside);
    EXPECT_TRUE(GfxRecordingLog().draws.empty());
    plain->Draw(10, 10, 1, 1, 0, 0);
    ASSERT_EQ(GfxRecordingLog().draws.size(), 1u);
    EXPECT_FLOAT_EQ(QuadOf(GfxRecordingLog().draws[0])[0].x, 2.0f);
    Renderer().End2d();
    Renderer().EndDraw(false);
}

TEST_F(AnimatedTextureTest, TexturesAreSharedByDescriptionImageAndMask)
{
    AddFile("anim/walk.xml", kGoodXml);
    TAnimatedTextureRef walk = TAnimatedTexture::Get("anim/walk");
    ASSERT_TRUE(walk);
    EXPECT_EQ(loads, std::vector<std::string>{"anim/sheet.png|"});
    EXPECT_EQ(assets->Find("anim/walk::"), walk);
    EXPECT_EQ(TAnimatedTexture::Get("anim/walk?slow"), walk);
    EXPECT_TRUE(walk->HasAlpha());
    EXPECT_FALSE(walk->GetData()->HasFlag(TTextureData::kAlphaFromFile));
    EXPECT_STREQ(walk->GetClassName(), "TAnimatedTexture");
    EXPECT_TRUE(walk->IsKindOf(TAnimatedTexture::ClassId));
    EXPECT_TRUE(walk->IsKindOf(TTexture::ClassId));
    EXPECT_TRUE(walk->IsKindOf(TAsset::ClassId));

    // Overrides make other textures; the sheet falls back to its bare name.
    struct Case {
        const char* image;
        const char* mask;
        const char* key;
        std::vector<std::string> loads;
    } cases[] = {
        {"other.png", "", "anim/walk:other.png:", {"anim/other.png|", "other.png|"}},
        {"", "mask.png", "anim/walk::mask.png", {"anim/sheet.png|anim/mask.png"}},
        {"sheet.png", "none.png", nullptr, {"anim/sheet.png|anim/none.png", "sheet.png|none.png"}},
        {"none.png", "", nullptr, {"anim/none.png|", "none.png|"}},
    };
    for (const Case& c : cases) {
        loads.clear();
        TAnimatedTextureRef texture = TAnimatedTexture::Get("anim/walk", c.image, c.mask);
        EXPECT_EQ(loads, c.loads) << c.image << " " << c.mask;
        if (!c.key) {
            EXPECT_FALSE(texture) << c.image << " " << c.mask;
            continue;
        }
        ASSERT_TRUE(texture) << c.key;
        EXPECT_NE(texture, walk) << c.key;
        EXPECT_EQ(assets->Find(c.key), texture) << c.key;
    }
    EXPECT_EQ(LogCount("sheet none.png does not load"), 1);
    EXPECT_EQ(assets->GetEntryCount(), 3u) << "failures register nothing";

    // Once released, the name is read again.
    walk.reset();
    loads.clear();
    EXPECT_TRUE(TAnimatedTexture::Get("anim/walk"));
    EXPECT_EQ(loads.size(), 1u);
}

TEST_F(AnimatedTextureTest, ADeviceRestoreLoadsTheSheetAgainFromWhereItCame)
{
    sheets.erase("anim/sheet.png"); // only the bare name loads
    AddFile("anim/walk.xml", kGoodXml);
    TAnimatedTextureRef walk = TAnimatedTexture::Get("anim/walk");
    ASSERT_TRUE(walk);
    walk->SetFrame(2);
    ASSERT_NE(TestTextureData(walk)->GetSurface(), nullptr);

    assets->ReleaseAll();
    EXPECT_EQ(TestTextureData(walk)->GetSurface(), nullptr);
    loads.clear();
    platform->RestoreAssets();
    EXPECT_EQ(loads, std::vector<std::string>{"sheet.png|"});
    ASSERT_NE(TestTextureData(walk)->GetSurface(), nullptr);
    EXPECT_EQ(walk->GetFrame(), 2) << "the current frame survives";
    EXPECT_EQ(walk->GetWidth(), 8u);
}

TEST_F(AnimatedTextureTest, ASheetAndItsMaskDecodeWithTheMasksRedAsAlpha)
{
    SetTextureLoader(nullptr); // the image decoders
    // An 8 x 4 sheet: frame 0 red, frame 1 green; the mask's red channel
    // 0x40 over frame 0 and 0xC0 over frame 1.
    TPngSpec sheet, mask;
    sheet.width = mask.width = 8;
    sheet.height = mask.height = 4;
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 8; ++x) {
            const bool left = x < 4;
            sheet.rows.insert(sheet.rows.end(), {uint8_t(left ? 255 : 0), uint8_t(left ? 0 : 255), 0});
            mask.rows.insert(mask.rows.end(), {uint8_t(left ? 0x40 : 0xC0), 0, 0});
        }
    }
    const std::vector<uint8_t> sheetPng = MakePng(sheet), maskPng = MakePng(mask);
    ASSERT_FALSE(sheetPng.empty() || maskPng.empty());
    AddFile("anim/real/sheet.png", std::string(sheetPng.begin(), sheetPng.end()));
    AddFile("anim/real/mask.png", std::string(maskPng.begin(), maskPng.end()));
    AddFile("anim/real/run.xml", R"(<sequence><img name="sheet.png" mask="mask.png"/>
        <framelist><frame w="4" h="4"/><frame x="4" w="4" h="4"/></framelist></sequence>)");

    TAnimatedTextureRef texture = TAnimatedTexture::Get("anim/real/run");
    ASSERT_TRUE(texture);
    EXPECT_TRUE(texture->HasAlpha());
    EXPECT_STREQ(texture->GetData()->mFileName.c_str(), "anim/real/sheet.png");
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    ASSERT_TRUE(texture->Lock(pixels, pitch));
    EXPECT_EQ(pixels[1 * pitch + 1], 0x40FF0000u);
    EXPECT_EQ(pixels[3 * pitch + 6], 0xC000FF00u);
    texture->Unlock();
}

} // namespace
