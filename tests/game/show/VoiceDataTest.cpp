// The voice-over table the build speaks (tools/make-voices.py), loaded
// through the game's own table as the show loads it: every row and
// category the show asks for is there, every line's sound exists and lasts
// as long as its subtitles, the colours are opaque, the host speaks the
// show's lines, and the spoken questions have their rows.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/show/MTRandom.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/VOIds.h"
#include "game/show/vo/VOTable.h"
#include "platform/AssetNames.h"
#include "platform/StringTable.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "render/FontCache.h"
#include "render/TextLayout.h"
#include "render/TextServices.h"

using KVO::KVOElem;
using KVO::VOTable;

namespace {

const std::string kBuilt = std::string(QUILLORY_ASSET_DIR) + "/";
const std::string kSource = std::string(QUILLORY_SOURCE_DIR) + "/assets/";
// The lines of the announcer; every other line is the host's.
const std::set<int32_t> kAnnouncerRows = {KVO::Id::kWelcome, KVO::Id::kWelcomeStudio, KVO::Id::kHonours};
// Categories the show draws a random row of, reading it unchecked.
const int32_t kRandomCategories[] = {
    KVO::Id::kCatWrongQuick, KVO::Id::kCatWrongMiddle, KVO::Id::kCatWrongSlow,   KVO::Id::kCatRightQuick,
    KVO::Id::kCatRightMiddle, KVO::Id::kCatRightSlow, KVO::Id::kCatHelpedAnswer,
};
// How far the last page's end may be from the end of the sound.
constexpr double kToleranceMs = 15.0;
// The subtitles' face and the box a page wraps in.
constexpr const char* kSubtitleFont = "fonts/paltino_linotype.mvec";
constexpr int32_t kSubtitleWidth = 475, kSubtitleHeight = 555;

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Str(const TString& text)
{
    return text.c_str();
}

// The sound's length in ms, or a negative number when it does not decode.
double OggLengthMs(const std::string& path)
{
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0)
        return -1.0;
    const vorbis_info* info = ov_info(&file, -1);
    const ogg_int64_t samples = ov_pcm_total(&file, -1);
    const double ms = info && samples > 0 ? samples * 1000.0 / info->rate : -1.0;
    ov_clear(&file);
    return ms;
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Words(const std::string& text)
{
    std::istringstream in(text);
    std::string word, out;
    while (in >> word)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

class VoiceData : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        MTRandom::Instance()->Seed(77);
        VOTable::Instance()->Load(TString(("::" + kBuilt + "vo/voiceover.xml").c_str()));
    }
    static void TearDownTestSuite()
    {
        VOTable::Destroy();
        MTRandom::Destroy();
    }
    static VOTable& Table() { return *VOTable::Instance(); }
};

} // namespace

TEST_F(VoiceData, TheStringTableNamesTheBuiltTable)
{
    TStringTable strings;
    ASSERT_TRUE(strings.Load(TString(("::" + kSource + "strings.xml").c_str())));
    TString name;
    ASSERT_TRUE(strings.GetString(name, TString("_VO_FILE")));
    EXPECT_EQ(Str(name), "vo/voiceover.xml");
    EXPECT_TRUE(Exists(kBuilt + Str(name)));
    EXPECT_TRUE(Table().IsLoaded());
    EXPECT_GE(Table().GetRows().size(), 150u);
}

TEST_F(VoiceData, EveryRowAndCategoryTheShowAsksForIsThere)
{
    for (int32_t id : KVO::Id::kAllRows)
        EXPECT_TRUE(Table().FindById(id)) << "row " << id;
    for (int32_t id : KVO::Id::kAllCategories)
        EXPECT_GE(Table().GetCategory(id).rows.size(), 2u) << "category " << id;
    for (int32_t id : kRandomCategories) {
        KVO::VOCategory& category = Table().GetCategory(id);
        EXPECT_GE(category.rows.size(), 3u) << "category " << id;
        EXPECT_TRUE(Table().RandomOfCategory(category)) << "category " << id;
        for (const auto& row : category.rows) {
            // The verdict waits this long before the show goes on.
            EXPECT_GE(row->Prestige, 300) << row->VOid;
            EXPECT_LE(row->Prestige, 2000) << row->VOid;
        }
    }
}

TEST_F(VoiceData, EveryRowIsOneLineWithOpaquePagesInTime)
{
    std::set<int32_t> ids;
    for (const auto& row : Table().GetRows()) {
        SCOPED_TRACE("row " + std::to_string(row->VOid));
        EXPECT_TRUE(ids.insert(row->VOid).second) << "a VOid used twice";
        EXPECT_FLOAT_EQ(row->Color.a, 1.0f) << "a missing or see-through colour";
        EXPECT_GT(row->Color.r + row->Color.g + row->Color.b, 2.0f) << "subtitles are light on the shadow";
        EXPECT_GE(row->FontSize, 16);
        EXPECT_LE(row->FontSize, 40);
        const int32_t pages = row->PageCount();
        ASSERT_GE(pages, 1);
        int32_t previous = 0;
        for (int32_t i = 0; i < KVOElem::kMaxPages; ++i) {
            if (i < pages) {
                EXPECT_FALSE(row->Page[i].IsEmpty()) << "page " << i + 1;
                EXPECT_GT(row->t[i], previous) << "page " << i + 1 << " ends before the one before it";
                previous = row->t[i];
            } else {
                EXPECT_TRUE(row->Page[i].IsEmpty()) << "page " << i + 1 << " is never shown";
            }
        }
        if (kAnnouncerRows.count(row->VOid))
            EXPECT_EQ(Str(row->Actor), "Announcer");
        else
            EXPECT_EQ(Str(row->Actor), KVO::Id::kHostActor);
    }
}

TEST_F(VoiceData, EverySoundExistsAndLastsAsLongAsItsSubtitles)
{
    for (const auto& row : Table().GetRows()) {
        SCOPED_TRACE("row " + std::to_string(row->VOid));
        const std::string file = Str(row->AudioFile);
        ASSERT_EQ(file.rfind("vo/", 0), 0u) << file;
        ASSERT_TRUE(Exists(kBuilt + file)) << file;
        const double length = OggLengthMs(kBuilt + file);
        ASSERT_GT(length, 300.0) << file << " does not decode or is too short to be speech";
        const int32_t last = row->t[row->PageCount() - 1];
        EXPECT_NEAR(last, length, kToleranceMs) << file;
        EXPECT_LT(length, 30000.0) << "a line long enough to lose the player";
    }
}

TEST_F(VoiceData, EverySpokenQuestionHasItsRow)
{
    TXmlNode document;
    ASSERT_TRUE(LoadXmlFile(&document, TString(("::" + kSource + "questions.xml").c_str())));
    TXmlNode* questions = document.FindChild(TString("questions"));
    ASSERT_NE(questions, nullptr);
    int32_t spoken = 0;
    TString name;
    TXmlNode* element = nullptr;
    questions->BeginChildren();
    while (questions->NextChild(name, element)) {
        TXmlNode* vo = element->FindChild(TString("vo"));
        if (!vo)
            continue;
        ++spoken;
        const int32_t id = vo->GetText().ToInt();
        SCOPED_TRACE("question row " + std::to_string(id));
        auto row = Table().FindById(id);
        ASSERT_TRUE(row);
        TXmlNode* line = element->FindChild(TString("voLine"));
        TXmlNode* text = element->FindChild(TString("voText"));
        ASSERT_TRUE(line && text);
        EXPECT_EQ(Str(row->AudioFile), Str(line->GetText()));
        EXPECT_EQ(Str(row->Actor), KVO::Id::kHostActor);
        std::string said;
        for (int32_t i = 0; i < row->PageCount(); ++i)
            said += Str(row->Page[i]) + " ";
        EXPECT_EQ(Words(said), Words(Str(text->GetText())));
        EXPECT_LE(row->PageCount(), 2);
    }
    EXPECT_GE(spoken, 10);
}

TEST_F(VoiceData, EveryPageFitsOnTwoSubtitleLines)
{
    const std::vector<uint8_t> face = ReadBytes(kBuilt + kSubtitleFont);
    ASSERT_FALSE(face.empty()) << "the build makes " << kSubtitleFont;
    RegisterMemoryFile(TString(kSubtitleFont), face.data(), uint32_t(face.size()));
    TFontCache fonts(face.data(), face.size());
    SetTextServices(&fonts, nullptr);
    ASSERT_NE(fonts.Lookup(TString(kSubtitleFont)), nullptr);
    for (const auto& row : Table().GetRows()) {
        for (int32_t i = 0; i < row->PageCount(); ++i) {
            const float colour[4] = {row->Color.r, row->Color.g, row->Color.b, row->Color.a};
            auto layout = TTextLayout::Create(row->Page[i], kSubtitleWidth, kSubtitleHeight, 0, kSubtitleFont,
                                              row->FontSize, colour);
            ASSERT_TRUE(layout);
            EXPECT_LE(layout->GetLineCount(), 2) << "row " << row->VOid << ": " << Str(row->Page[i]);
        }
    }
    SetTextServices(nullptr, nullptr);
    RegisterMemoryFile(TString(kSubtitleFont), nullptr, 0);
}
