// The question display windows: their scripts, the text laid out afresh on
// every render, the texture they give, and a picture fitted into its frame.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ScreenTestSupport.h"
#include "game/show/screens/QShow.h"
#include "game/show/screens/QShowPic.h"
#include "game/stage/KText.h"
#include "render/TextureData.h"
#include "ui/Image.h"

namespace {

using KQuestion::QShow;
using KQuestion::QShowPic;

class QShowTest : public screentest::ScreenFixture {
protected:
    static std::vector<KTex::KText*> SubTexts(TWindow& window)
    {
        std::vector<KTex::KText*> out;
        for (TWindow* child : window.GetChildren())
            if (child->GetName() == TString("subText"))
                out.push_back(dynamic_cast<KTex::KText*>(child));
        return out;
    }
    static const char* FileOf(const TTextureRef& texture)
    {
        return texture && texture->GetData() ? texture->GetData()->mFileName.c_str() : "";
    }
    static TImage* Frame(TWindow& window) { return TWindow::Cast<TImage>(window.FindChild(TString("img"), 1)); }
};

TEST_F(QShowTest, RendersTheScriptsBoardAndTheTextInChalkIntoASquareTexture)
{
    QShow show(TString("What is seven times six?"));
    EXPECT_EQ(show.GetRect(), TRect(0, 0, 256, 144));
    auto* board = TWindow::Cast<TImage>(show.FindChild(TString("board"), 1));
    ASSERT_NE(board, nullptr) << "the script ran";
    EXPECT_TRUE(SubTexts(show).empty()) << "the text is laid out when rendered";

    GfxRecordingLog().Clear();
    TTextureRef texture = show.RenderToTexture();
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetWidth(), 256u);
    EXPECT_EQ(texture->GetHeight(), 256u);
    EXPECT_GE(GfxRecordingLog().draws.size(), 2u) << "the board and the text went into the target";

    const std::vector<KTex::KText*> texts = SubTexts(show);
    ASSERT_EQ(texts.size(), 1u);
    KTex::KText& text = *texts[0];
    EXPECT_STREQ(text.GetText().c_str(), "What is seven times six?");
    EXPECT_STREQ(text.GetFont().c_str(), screentest::kChalkFont);
    EXPECT_EQ(text.GetFlags(), uint32_t(KTex::KText::kFit | KTex::KText::kShadow));
    EXPECT_LE(text.GetSize(), 36u);
    EXPECT_EQ(text.GetRect().left, 5);
    EXPECT_EQ(text.GetRect().top, 5);
    EXPECT_EQ(show.GetChildren().front(), &text) << "the text lies over the board";
}

TEST_F(QShowTest, EachRenderLeavesExactlyOneSubTextAndTheOldOneIsDeletedLater)
{
    QShow show(TString("Rivers"));
    TTextureRef first = show.RenderToTexture();
    ASSERT_EQ(SubTexts(show).size(), 1u);
    KTex::KText* old = SubTexts(show)[0];
    TTextureRef second = show.RenderToTexture();
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first, second) << "a new texture each time";
    ASSERT_EQ(SubTexts(show).size(), 1u);
    EXPECT_NE(SubTexts(show)[0], old);
    EXPECT_EQ(old->GetParent(), nullptr);
    EXPECT_TRUE(mManager->IsPendingDelete(old));
    show.RenderToTexture();
    EXPECT_EQ(SubTexts(show).size(), 1u);
    DeleteDeferred();
    EXPECT_EQ(SubTexts(show).size(), 1u);
}

TEST_F(QShowTest, APictureFillsItsFrameWithItsAspectKeptAndCentredAcrossTheRoomLeft)
{
    // The script's frame is 90 x 134 at (5, 5).
    struct Case {
        const char* name;
        uint32_t width, height;
        float scale;
        TRect frame;
    } cases[] = {
        {"wide", 180, 66, 0.5f, TRect(5, 55, 95, 88)},      // width ratio; (134 - 33) / 2 = 50 down
        {"tall", 44, 268, 0.5f, TRect(39, 5, 61, 139)},     // height ratio; (90 - 22) / 2 = 34 across
        {"equal", 45, 67, 2.0f, TRect(5, 5, 95, 139)},      // equal ratios: height ratio, not moved
        {"small wide", 9, 2, 10.0f, TRect(5, 62, 95, 82)},  // grown by the width ratio
    };
    for (const Case& c : cases) {
        const std::string file = std::string("pictures/") + c.name + ".png";
        screentest::gPictures[file] = {c.width, c.height};
        QShowPic show(TString("Which animal is this?"), TString(file.c_str()));
        TImage* frame = Frame(show);
        ASSERT_NE(frame, nullptr) << c.name;
        ASSERT_TRUE(frame->GetTexture()) << c.name;
        EXPECT_STREQ(FileOf(frame->GetTexture()), file.c_str()) << c.name;
        EXPECT_FLOAT_EQ(frame->GetScale(), c.scale) << c.name;
        EXPECT_EQ(frame->GetRect(), c.frame) << c.name;
    }
}

TEST_F(QShowTest, FittingTruncatesTheScaledSideAndHalvesTowardZero)
{
    struct Case {
        TRect frame;
        uint32_t width, height;
        int32_t x, y;
        float scale;
    } cases[] = {
        {TRect(5, 5, 95, 139), 100, 100, 5, 27, 0.9f},    // 134 - 90 = 44 -> 22
        {TRect(5, 5, 95, 139), 3, 100, 48, 5, 1.34f},     // 90 - trunc(4.02) = 86 -> 43
        {TRect(0, 0, 10, 10), 3, 1, 0, 3, 3.3333333f},    // 10 - trunc(3.33) = 7 -> 3
        {TRect(0, 0, 7, 7), 1, 1, 0, 0, 7.0f},
        {TRect(2, 3, 12, 13), 0, 10, 2, 3, 0.0f},         // no size: left where it is
        {TRect(2, 3, 12, 13), 10, 0, 2, 3, 0.0f},
    };
    for (const Case& c : cases) {
        const QShowPic::Fit fit = QShowPic::FitPicture(c.frame, c.width, c.height);
        EXPECT_EQ(fit.x, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(fit.y, c.y) << c.width << "x" << c.height;
        EXPECT_NEAR(fit.scale, c.scale, 1e-5) << c.width << "x" << c.height;
    }
}

TEST_F(QShowTest, AMissingPictureLeavesTheFrameAsTheScriptMadeItAndTheTextIsStillDrawn)
{
    QShowPic show(TString("Name this planet"), TString("pictures/nowhere.png"));
    TImage* frame = Frame(show);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetRect(), TRect(5, 5, 95, 139));
    ASSERT_TRUE(frame->GetTexture());
    EXPECT_STREQ(FileOf(frame->GetTexture()), "ui/screen_picture.png");
    EXPECT_TRUE(mLog.Text().find("pictures/nowhere.png") != std::string::npos);

    EXPECT_TRUE(show.RenderToTexture());
    auto* text = dynamic_cast<KTex::KText*>(show.FindChild(TString("subText"), 1));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text->GetText().c_str(), "Name this planet");
    EXPECT_LE(text->GetSize(), 24u);
    EXPECT_EQ(text->GetRect().left, 100) << "beside the picture";
    EXPECT_EQ(text->GetRect().top, 5);
}

TEST_F(QShowTest, WithoutItsScriptTheWindowStillShowsItsText)
{
    mManager->Init(nullptr);
    QShowPic show(TString("Plain"), TString("pictures/none.png"));
    EXPECT_EQ(Frame(show), nullptr);
    EXPECT_TRUE(show.RenderToTexture());
    EXPECT_NE(show.FindChild(TString("subText"), 1), nullptr);
    EXPECT_TRUE(mLog.Text().find("scripts/QShowPic.lua") != std::string::npos);
    mManager->Init(mScript.get());
}

TEST_F(QShowTest, TheBoardAndTheEmptyFrameTheScriptsNameAreMadeByTheBuild)
{
    SetTextureLoader(nullptr);
    struct Case {
        const char* name;
        uint32_t width, height;
    } cases[] = {{"ui/screen_board.png", 256, 144}, {"ui/screen_picture.png", 90, 134}};
    for (const Case& c : cases) {
        std::ifstream in(std::string(QUILLORY_ASSET_DIR) + "/" + c.name, std::ios::binary);
        ASSERT_TRUE(in) << c.name;
        std::ostringstream bytes;
        bytes << in.rdbuf();
        AddFile(c.name, bytes.str());
    }
    QShowPic show(TString("A real board"), TString("pictures/none.png"));
    auto* board = TWindow::Cast<TImage>(show.FindChild(TString("board"), 1));
    ASSERT_NE(board, nullptr);
    ASSERT_NE(Frame(show), nullptr);
    for (TImage* image : {board, Frame(show)}) {
        const TTextureRef& texture = image->GetTexture();
        ASSERT_TRUE(texture) << image->GetName().c_str();
        const Case& c = image == board ? cases[0] : cases[1];
        EXPECT_EQ(texture->GetWidth(), c.width) << c.name;
        EXPECT_EQ(texture->GetHeight(), c.height) << c.name;
        EXPECT_EQ(image->GetWidth(), int32_t(c.width)) << c.name;
        EXPECT_EQ(image->GetHeight(), int32_t(c.height)) << c.name;
    }
}

} // namespace
