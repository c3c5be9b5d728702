// The value texts of the scene file: colours, vectors, numbers, light types
// and address modes, read the same whatever the process locale; and the
// scene's error reporter.
#include <gtest/gtest.h>

#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "game/stage/scene/SceneError.h"
#include "game/stage/scene/SceneText.h"
#include "support/TempFolder.h"

using namespace KScene;

namespace {

class SceneTextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(mLog.Path().empty()); }

    TTempLogFolder mLog{"scenetext"};
};

const char* const kColourMessage = "Scene: Cannot parse Color";
const char* const kRangeMessage = "Scene: Number out of range";

} // namespace

TEST_F(SceneTextTest, Colours)
{
    struct Case {
        const char* text;
        float r, g, b, a;
        int groups;
    };
    const float k80 = 128.0f / 255.0f;
    const Case cases[] = {
        {"#ff000080", 1, 0, 0, k80, 4},
        {"#00ff00", 0, 1, 0, 1, 3},
        {"#ABCDEF12", 0xAB / 255.0f, 0xCD / 255.0f, 0xEF / 255.0f, 0x12 / 255.0f, 4},
        // blanks before a group are skipped, as the C scanner does
        {"#ff 00 ff 00", 1, 0, 1, 0, 4},
        // a group may be one digit; the next group starts after it
        {"#f0000", 0xf0 / 255.0f, 0, 0, 1, 3},
        {"#1", 1 / 255.0f, 1, 1, 1, 1},
        // extra digits after the fourth group are ignored
        {"#0000000000", 0, 0, 0, 0, 4},
        // too few groups: reported, what was read is still used
        {"#ff00", 1, 0, 1, 1, 2},
        {"red", 1, 1, 1, 1, 0},
        {"", 1, 1, 1, 1, 0},
        {"ff0000ff", 1, 1, 1, 1, 0},
        // a sign or a prefix is no hexadecimal group (no colour beyond 0..1)
        {"#-1ffffff", 1, 1, 1, 1, 0},
        {"#0x1234", 0, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        mLog.Restart();
        TColorValue colour;
        EXPECT_EQ(ParseColor(c.text, colour), c.groups);
        EXPECT_FLOAT_EQ(colour.r, c.r);
        EXPECT_FLOAT_EQ(colour.g, c.g);
        EXPECT_FLOAT_EQ(colour.b, c.b);
        EXPECT_FLOAT_EQ(colour.a, c.a);
        EXPECT_EQ(mLog.Count(kColourMessage), c.groups < 3 ? 1 : 0) << mLog.Text();
        if (c.groups < 3) {
            EXPECT_TRUE(mLog.Has(std::string("Cannot parse Color (") + c.text + ")")) << mLog.Text();
        }
    }
    EXPECT_FLOAT_EQ(ParseColor("#ff000080").a, 0.50196081f);
}

TEST_F(SceneTextTest, Vectors)
{
    struct Case {
        const char* text;
        float x, y, z;
        bool reported;
    };
    const Case cases[] = {
        {"1,2,3", 1, 2, 3, false},
        {"-1.5,0.25,3e2", -1.5f, 0.25f, 300, false},
        {" 1, 2,\t3", 1, 2, 3, false},
        {"+.5,-.5,5.", 0.5f, -0.5f, 5, false},
        {"0x10,1,1", 16, 1, 1, false},
        // the numbers from the first one that does not read are 0
        {"1,2", 1, 2, 0, false},
        {"1", 1, 0, 0, false},
        {"", 0, 0, 0, false},
        {"abc", 0, 0, 0, false},
        {"1,x,3", 1, 0, 0, false},
        // a blank before a comma stops the scan
        {"1 ,2,3", 1, 0, 0, false},
        {"1;2;3", 1, 0, 0, false},
        {"1,2,3,4", 1, 2, 3, false},
        // numbers that are no finite float: reported, 0, the scan goes on
        {"nan,1,2", 0, 1, 2, true},
        {"1,inf,2", 1, 0, 2, true},
        {"1e39,-1e39,7", 0, 0, 7, true},
        {"1e400,1,1", 0, 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        mLog.Restart();
        const TVec3 v = ParseVec3(c.text);
        EXPECT_FLOAT_EQ(v.x, c.x);
        EXPECT_FLOAT_EQ(v.y, c.y);
        EXPECT_FLOAT_EQ(v.z, c.z);
        EXPECT_EQ(mLog.Has(kRangeMessage), c.reported) << mLog.Text();
    }
}

TEST_F(SceneTextTest, Numbers)
{
    struct Case {
        const char* text;
        float value;
        bool reported;
    };
    const Case cases[] = {
        {"10", 10, false},
        {"  2.5", 2.5f, false},
        {"-0.125xyz", -0.125f, false},
        {"1e-3", 0.001f, false},
        {"0x1p4", 16, false},
        {"3.4e38", 3.4e38f, false},
        {"abc", 0, false},
        {"", 0, false},
        {"1,5", 1, false},
        {"1e39", 0, true},
        {"1e400", 0, true},
        {"-inf", 0, true},
        {"NaN", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        mLog.Restart();
        EXPECT_FLOAT_EQ(ParseNumber(c.text), c.value);
        EXPECT_EQ(mLog.Has(kRangeMessage), c.reported) << mLog.Text();
    }
}

TEST_F(SceneTextTest, LightTypesAndAddressModes)
{
    struct Case {
        const char* text;
        int32_t light, address;
    };
    const Case cases[] = {
        {"kDirectional", 0, 0},
        {"kPointSource", 1, 0},
        {"KSpotLight", 2, 0},
        {"KSPOTLIGHT", 2, 0},
        {"kspotlight", 2, 0},
        {"kMapClamp", 0, 0},
        {"kMapWrap", 0, 1},
        {"KMAPMIRROR", 0, 2},
        // a leading integer wins, whatever its value or what follows
        {"3", 3, 3},
        {"1", 1, 1},
        {" 2", 2, 2},
        {"-1", -1, -1},
        {"+2", 2, 2},
        {"2kSpotLight", 2, 2},
        {"99999999999", INT32_MAX, INT32_MAX},
        {"-99999999999", INT32_MIN, INT32_MIN},
        // anything else is 0
        {"", 0, 0},
        {"spot", 0, 0},
        {"wrap", 0, 0},
        {"kSpotLight ", 0, 0},
        {"-", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseLightType(c.text), c.light);
        EXPECT_EQ(ParseAddressMode(c.text), c.address);
    }
}

// The numbers read the same under a locale whose decimal mark is a comma.
TEST_F(SceneTextTest, DecimalPointWhateverTheLocale)
{
    locale_t comma = locale_t(0);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
        comma = newlocale(LC_ALL_MASK, name, locale_t(0));
        if (comma)
            break;
    }
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const locale_t previous = uselocale(comma);
    // The locale really reads "2.5" as 2: the case below would catch a
    // reader that used it.
    const double plain = strtod("2.5", nullptr);
    const float number = ParseNumber("2.5");
    const TVec3 v = ParseVec3("1.5,-2.25,3.75");
    const float power = ParseNumber("12.5e1");
    uselocale(previous);
    freelocale(comma);

    EXPECT_EQ(plain, 2.0);
    EXPECT_FLOAT_EQ(number, 2.5f);
    EXPECT_FLOAT_EQ(v.x, 1.5f);
    EXPECT_FLOAT_EQ(v.y, -2.25f);
    EXPECT_FLOAT_EQ(v.z, 3.75f);
    EXPECT_FLOAT_EQ(power, 125.0f);
}

TEST_F(SceneTextTest, ErrorsGoToTheLogBounded)
{
    SceneError("Cannot load model %s", "mesh/set/floor.mesh");
    EXPECT_TRUE(mLog.Has("Scene: Cannot load model mesh/set/floor.mesh")) << mLog.Text();

    // A long argument is cut, never written past the message buffer.
    mLog.Restart();
    const std::string longPath(20000, 'x');
    SceneError("Cannot load Texture %s", longPath.c_str());
    const std::string text = mLog.Text();
    const size_t at = text.find("Scene: Cannot load Texture xxx");
    ASSERT_NE(at, std::string::npos) << text.substr(0, 200);
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    EXPECT_LE(line.size(), kSceneErrorMax + 32);
    EXPECT_GE(line.size(), 100u);

    // A null format is ignored.
    mLog.Restart();
    SceneError(nullptr);
    EXPECT_FALSE(mLog.Has("Scene:"));
}
