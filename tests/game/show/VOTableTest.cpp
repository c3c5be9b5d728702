// The voice-over table: rows read from their elements, pages and their
// times, the walk over the file, lookups by id and by category, the
// shuffled order of a category, and missing or damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "EventTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "support/TempFolder.h"

using KVO::KVOElem;
using KVO::VOTable;

namespace {

constexpr uint32_t kSeed = 4242;

std::string Fixture(const std::string& name)
{
    return "::" + std::string(QUILLORY_TEST_DATA) + "/vo/" + name;
}

// A row from the children of one "narration" element.
std::shared_ptr<KVOElem> Row(const std::string& children)
{
    TXmlNode root;
    const std::string text = "<narration>" + children + "</narration>";
    ParseXmlText(&root, text.data(), text.size());
    TXmlNode* element = root.FindChild(TString("narration"));
    EXPECT_NE(element, nullptr);
    return element ? KVOElem::Create(*element) : nullptr;
}

std::vector<int32_t> Ids(const std::vector<std::shared_ptr<KVOElem>>& rows)
{
    std::vector<int32_t> ids;
    for (const auto& row : rows)
        ids.push_back(row ? row->VOid : -1);
    return ids;
}

class VOTableTest : public eventtest::EventFixture {
protected:
    void SetUp() override
    {
        EventFixture::SetUp();
        MTRandom::Destroy();
        MTRandom::Instance()->Seed(kSeed);
    }
    void TearDown() override
    {
        VOTable::Destroy();
        KVO::VOPlayer::Destroy();
        MTRandom::Destroy();
        EventFixture::TearDown();
    }

    VOTable& Load(const std::string& name)
    {
        mLog.Restart();
        VOTable& table = *VOTable::Instance();
        table.Load(TString(name.c_str()));
        return table;
    }

    TTempLogFolder mLog{"votable"};
};

TEST_F(VOTableTest, ARowTakesItsChildrenOverTheDefaults)
{
    auto full = Row("<VOid>12</VOid><CategoryID>-3</CategoryID><AudioFile>a/b.ogg</AudioFile><Actor>Someone</Actor>"
                    "<Color>#FF000080</Color><FontSize>22</FontSize><Page1>p1</Page1><Page2>p2</Page2>"
                    "<Page3>p3</Page3><Page4>p4</Page4><t1>10</t1><t2>20</t2><t3>30</t3><t4>40</t4>"
                    "<Prestige>700</Prestige>");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->VOid, 12);
    EXPECT_EQ(full->CategoryID, -3);
    EXPECT_EQ(full->AudioFile, TString("vo/a/b.ogg"));
    EXPECT_EQ(full->Actor, TString("Someone"));
    EXPECT_FLOAT_EQ(full->Color.r, 1.0f);
    EXPECT_FLOAT_EQ(full->Color.g, 0.0f);
    EXPECT_FLOAT_EQ(full->Color.b, 0.0f);
    EXPECT_FLOAT_EQ(full->Color.a, 128.0f / 255.0f);
    EXPECT_TRUE(full->HasColor());
    EXPECT_EQ(full->FontSize, 22);
    EXPECT_EQ(full->Page[3], TString("p4"));
    EXPECT_EQ(full->t[3], 40);
    EXPECT_EQ(full->Prestige, 700);

    auto empty = Row("<Other>5</Other><VOid>x7</VOid>");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->VOid, 0) << "atoi of a text that is no number";
    EXPECT_EQ(empty->CategoryID, 0);
    EXPECT_TRUE(empty->AudioFile.IsEmpty()) << "no file: no \"vo/\" either";
    EXPECT_TRUE(empty->Actor.IsEmpty());
    EXPECT_FALSE(empty->HasColor());
    EXPECT_FLOAT_EQ(empty->Color.a, 0.0f) << "the default colour is transparent";
    EXPECT_EQ(empty->FontSize, 28);
    EXPECT_EQ(empty->PageCount(), 0);
    EXPECT_EQ(empty->Prestige, 0);

    auto repeated = Row("<FontSize>12</FontSize><AudioFile>x.ogg</AudioFile><FontSize>20</FontSize>"
                        "<AudioFile>y.ogg</AudioFile><AudioFile></AudioFile><VOid>  31 </VOid>");
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->FontSize, 20) << "a repeated element overwrites";
    EXPECT_EQ(repeated->AudioFile, TString("vo/"));
    EXPECT_EQ(repeated->VOid, 31);
}

TEST_F(VOTableTest, PagesCountUpToTheFirstTimeUnderOneMillisecond)
{
    struct Case {
        int32_t t1, t2, t3, t4, pages;
    } cases[] = {
        {3000, 0, 0, 0, 1}, {3000, 4000, 5000, 6000, 4}, {0, 4000, 5000, 6000, 0}, {1, 1, 0, 9, 2},
        {-5, 10, 10, 10, 0}, {100, 200, 300, -1, 3}, {5000, 2000, 1, 0, 3},
    };
    for (const Case& c : cases) {
        auto row = Row("<t1>" + std::to_string(c.t1) + "</t1><t2>" + std::to_string(c.t2) + "</t2><t3>" +
                       std::to_string(c.t3) + "</t3><t4>" + std::to_string(c.t4) + "</t4>");
        ASSERT_TRUE(row);
        EXPECT_EQ(row->PageCount(), c.pages) << c.t1 << " " << c.t2 << " " << c.t3 << " " << c.t4;
    }
}

TEST_F(VOTableTest, GetPageGivesPagesTwoToFourForIndexesOneToThreeAndPageOneOtherwise)
{
    auto row = Row("<Page1>a</Page1><t1>1</t1><Page2>b</Page2><t2>2</t2><Page3>c</Page3><t3>3</t3>"
                   "<Page4>d</Page4><t4>4</t4>");
    ASSERT_TRUE(row);
    struct Case {
        int32_t index;
        const char* text;
        int32_t end;
    } cases[] = {{0, "a", 1}, {1, "b", 2}, {2, "c", 3}, {3, "d", 4}, {4, "a", 1}, {-1, "a", 1}, {1000, "a", 1}};
    for (const Case& c : cases) {
        TString text("unchanged");
        int32_t end = -99;
        row->GetPage(c.index, text, end);
        EXPECT_EQ(text, TString(c.text)) << c.index;
        EXPECT_EQ(end, c.end) << c.index;
    }
}

TEST_F(VOTableTest, TheFileIsWalkedIntoTheVoElementAndRowsAreKeptByIdAndCategory)
{
    VOTable& table = Load(Fixture("table.xml"));
    EXPECT_TRUE(table.IsLoaded());
    EXPECT_EQ(table.GetFileName(), TString(Fixture("table.xml").c_str()));
    // The row before "vo" is read; the one after it is not.
    EXPECT_EQ(Ids(table.GetRows()), (std::vector<int32_t>{900, 1, 2, 3, 10, 10, 4}));
    EXPECT_TRUE(table.FindById(900));
    EXPECT_FALSE(table.FindById(901));

    const auto one = table.FindById(1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->AudioFile, TString("vo/one.ogg"));
    EXPECT_EQ(one->Actor, TString("CorinVarnum"));
    EXPECT_EQ(one->FontSize, 30);
    EXPECT_EQ(one->PageCount(), 2);
    EXPECT_EQ(one->Prestige, 1500);
    const auto two = table.FindById(2);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->PageCount(), 1) << "t2 = 0 ends the pages although t3 is set";
    const auto three = table.FindById(3);
    ASSERT_TRUE(three);
    EXPECT_EQ(three->FontSize, 20);
    EXPECT_EQ(table.FindById(4)->FontSize, 28);

    // Two rows with one id: the later is found, both are in the category.
    const auto ten = table.FindById(10);
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->AudioFile, TString("vo/late.ogg"));
    std::vector<std::string> files;
    for (const auto& row : table.GetCategory(8).rows)
        files.push_back(row->AudioFile.c_str());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"vo/early.ogg", "vo/late.ogg"}));

    EXPECT_EQ(table.GetCategory(7).id, 7);
    EXPECT_EQ(table.GetCategory(7).rows.size(), 3u);
    EXPECT_EQ(table.GetCategory(99).rows.size(), 1u);

    // Rows without a colour are named once each.
    EXPECT_EQ(mLog.Count("has no Color"), 2);
    EXPECT_EQ(mLog.Count("Voice-over: line 900 has no Color"), 1);
    EXPECT_EQ(mLog.Count("Voice-over: line 10 has no Color"), 1);
}

TEST_F(VOTableTest, FindByIdNeverAddsToTheTable)
{
    VOTable& table = Load(Fixture("table.xml"));
    const size_t rows = table.GetRows().size();
    EXPECT_EQ(table.GetIdCount(), 6u);
    for (int32_t id : {5, -1, 0, 2147483647, 5})
        EXPECT_FALSE(table.FindById(id)) << id;
    EXPECT_EQ(table.GetRows().size(), rows);
    EXPECT_EQ(table.GetIdCount(), 6u);
    // Still found, and nothing empty stands in for the missing ids.
    EXPECT_TRUE(table.FindById(1));
    EXPECT_FALSE(table.FindById(5));
}

TEST_F(VOTableTest, ACategoryGoesRoundInOneShuffledOrder)
{
    // Each category is shuffled in id order with the show's random source:
    // 2 (one row), 7 (three), 8 (two), 99 (one).
    MTRandom reference;
    reference.Seed(kSeed);
    std::vector<int32_t> two = {4}, seven = {1, 2, 3}, eight = {10, 10}, nine = {900};
    reference.Shuffle(two);
    reference.Shuffle(seven);
    reference.Shuffle(eight);
    reference.Shuffle(nine);

    VOTable& table = Load(Fixture("table.xml"));
    KVO::VOCategory& category = table.GetCategory(7);
    EXPECT_EQ(Ids(category.rows), seven);
    EXPECT_EQ(category.cursor, 0u);

    // Four draws: each row once, then the first of the same order again.
    std::vector<int32_t> drawn;
    for (int i = 0; i < 4; ++i) {
        auto row = table.NextOfCategory(category);
        ASSERT_TRUE(row);
        drawn.push_back(row->VOid);
    }
    EXPECT_EQ(drawn, (std::vector<int32_t>{seven[0], seven[1], seven[2], seven[0]}));
    std::vector<int32_t> sorted(drawn.begin(), drawn.begin() + 3);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int32_t>{1, 2, 3}));

    // Playing moves the same cursor (lines without a stage are dummies).
    EXPECT_EQ(category.cursor, 1u);
    auto played = table.PlayNextOfCategory(category);
    ASSERT_TRUE(played);
    EXPECT_EQ(category.cursor, 2u);
    EXPECT_EQ(table.NextOfCategory(category)->VOid, seven[2]);

    // A random row: rows[next word % count], the order left alone.
    const uint32_t word = reference.NextWord();
    EXPECT_EQ(table.RandomOfCategory(category)->VOid, seven[word % 3]);
    EXPECT_EQ(Ids(category.rows), seven);
}

TEST_F(VOTableTest, AnEmptyCategoryGivesNoRowAndADummyThatEndsAtOnce)
{
    VOTable& table = Load(Fixture("table.xml"));
    KVO::VOCategory& empty = table.GetCategory(12345);
    EXPECT_EQ(empty.id, 12345);
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(&table.GetCategory(12345), &empty) << "made once and kept";
    EXPECT_FALSE(table.NextOfCategory(empty));
    EXPECT_FALSE(table.RandomOfCategory(empty));
    auto event = table.PlayNextOfCategory(empty);
    ASSERT_TRUE(event);
    EXPECT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(event));
    Pass();
    EXPECT_TRUE(event->IsFinished());
}

TEST_F(VOTableTest, AMissingOrDamagedFileLeavesAnEmptyTable)
{
    for (const std::string& file : {Fixture("missing.xml"), std::string()}) {
        SCOPED_TRACE(file);
        VOTable& first = Load(Fixture("table.xml"));
        ASSERT_FALSE(first.GetRows().empty());
        VOTable& table = Load(file);
        EXPECT_TRUE(table.IsLoaded());
        EXPECT_TRUE(table.GetRows().empty()) << "the earlier load is gone";
        EXPECT_FALSE(table.FindById(1));
        EXPECT_FALSE(table.NextOfCategory(table.GetCategory(7)));
        auto event = table.PlayNextOfCategory(table.GetCategory(7));
        EXPECT_TRUE(std::dynamic_pointer_cast<KEvent::eDummy>(event));
    }
    EXPECT_EQ(mLog.Count("does not open; no lines"), 1);

    // A file cut short keeps at most what was read before the cut.
    Load(Fixture("table.xml"));
    VOTable& table = Load(Fixture("broken.xml"));
    EXPECT_FALSE(table.FindById(1));
    for (const auto& row : table.GetRows())
        EXPECT_EQ(row->VOid, 5);
}

TEST_F(VOTableTest, ExistingNeverMakesATableAndDestroyForgetsIt)
{
    EXPECT_EQ(VOTable::Existing(), nullptr);
    VOTable* table = VOTable::Instance();
    EXPECT_FALSE(table->IsLoaded());
    EXPECT_EQ(VOTable::Existing(), table);
    VOTable::Destroy();
    EXPECT_EQ(VOTable::Existing(), nullptr);
    VOTable::Destroy();
}

} // namespace
