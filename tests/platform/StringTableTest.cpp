#include "platform/StringTable.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "XmlTestSupport.h"
#include "platform/AssetNames.h"

namespace {

TString Asset(const char* relative)
{
    return TString(FixtureAsset(relative).c_str());
}

std::string Get(const TStringTable& table, const char* label, const char* a1 = "",
                const char* a2 = "", const char* a3 = "", const char* a4 = "", const char* a5 = "")
{
    TString text;
    table.GetString(text, TString(label), TString(a1), TString(a2), TString(a3), TString(a4),
                    TString(a5));
    return text.c_str();
}

} // namespace

TEST(StringTable, ExpandsPlaceholders)
{
    TTempLogFolder log;
    TStringTable table;
    ASSERT_TRUE(table.Load(Asset("strings/strings.xml")));

    struct Case {
        const char* label;
        std::vector<const char*> args;
        const char* text;
    } cases[] = {
        {"windowtitle", {}, "Quillory"},
        {"grade", {"3"}, "Grade 3 test"},
        {"percent", {}, "100%"},
        // A referenced label is inserted as it stands.
        {"refers", {"x"}, "See: Other %1% text"},
        // Arguments: a label between percent signs, or "%%".
        {"grade", {"%windowtitle%"}, "Grade Quillory test"},
        {"grade", {"%%"}, "Grade % test"},
        {"grade", {"%other%"}, "Grade Other %1% text test"},
        {"args", {"a", "", "%%", "%percent%", "e"}, "[a||%|100%%|e]"},
        // A label that refers to itself is inserted once, never expanded.
        {"self", {}, "a a %self% b b"},
        // A "%" without a closing one is plain text.
        {"sale", {}, "50% off"},
        {"amp", {}, "Salt & Pepper <3 A"},
        {"Grade", {}, "upper case label"},
    };
    for (const Case& c : cases) {
        const char* a[5] = {"", "", "", "", ""};
        for (size_t i = 0; i < c.args.size(); ++i)
            a[i] = c.args[i];
        EXPECT_EQ(Get(table, c.label, a[0], a[1], a[2], a[3], a[4]), c.text) << c.label;
    }
    EXPECT_EQ(log.Lines().size(), 0u) << log.Text();
}

// Every failure gives "#####" and exactly one log line naming the label
// that was asked for.
TEST(StringTable, FailedLookupsGiveTheMarkerAndOneLogLine)
{
    TStringTable table;
    ASSERT_TRUE(table.Load(Asset("strings/strings.xml")));
    struct Case {
        const char* label;
        const char* arg1;
    } cases[] = {
        {"nosuchlabel", ""},
        {"GRADE", ""},           // case counts
        {"six", ""},             // five arguments are always passed
        {"zero", ""},            // argument numbers start at 1
        {"missingref", ""},      // a missing referenced label
        {"grade", "%nolabel%"},  // a missing label as argument
        {"grade", "%xy"},        // an argument that begins but does not end with "%"
        {"grade", "%a"},         // two characters beginning with "%"
        {"grade", "%"},
    };
    for (const Case& c : cases) {
        TTempLogFolder log;
        EXPECT_EQ(Get(table, c.label, c.arg1), "#####") << c.label << " " << c.arg1;
        EXPECT_EQ(log.Lines().size(), 1u) << c.label;
        EXPECT_TRUE(log.Has(std::string(" ##### : Missing string for label '") + c.label + "'"))
            << log.Text();
    }

    // Lookup with fewer arguments: a number beyond the count fails.
    TTempLogFolder log;
    TString text;
    TString one[1] = {TString("1")};
    EXPECT_TRUE(table.Lookup(text, TString("grade"), 1, one));
    EXPECT_EQ(text, TString("Grade 1 test"));
    EXPECT_FALSE(table.Lookup(text, TString("grade"), 0, nullptr));
    EXPECT_EQ(text, TString("#####"));
    EXPECT_FALSE(table.Lookup(text, TString("grade"), 3, nullptr));
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(StringTable, ReadsRowsAndCells)
{
    TTempLogFolder log;
    TStringTable table;
    ASSERT_TRUE(table.Load(Asset("strings/strings.xml")));
    size_t count = table.GetCount();
    EXPECT_EQ(count, 17u); // every row but the one with a single cell
    EXPECT_EQ(Get(table, "onecell"), "#####");

    // A later file replaces rows of the same label and adds the rest.
    ASSERT_TRUE(table.Load(Asset("strings/strings-later.xml")));
    EXPECT_EQ(Get(table, "override"), "from the later file");
    EXPECT_EQ(Get(table, "added"), "new label");
    EXPECT_EQ(Get(table, "windowtitle"), "Quillory");
    EXPECT_EQ(table.GetCount(), count + 1);

    ASSERT_TRUE(table.Load(Asset("strings/strings.zxml")));
    EXPECT_EQ(Get(table, "packed"), "from a compressed table");

    // A cell holding markup gives the text before its first tag.
    ASSERT_TRUE(table.Load(Asset("strings/nested.xml")));
    EXPECT_EQ(Get(table, "nested"), "");
    EXPECT_EQ(Get(table, "plain"), "before");

    // A missing file changes nothing; Reload starts from an empty table.
    size_t before = table.GetCount();
    EXPECT_FALSE(table.Load(Asset("strings/no-such.xml")));
    EXPECT_EQ(table.GetCount(), before);
    ASSERT_TRUE(table.Reload(Asset("strings/strings-later.xml")));
    EXPECT_EQ(table.GetCount(), 2u);
    EXPECT_FALSE(table.Reload(Asset("strings/no-such.xml")));
    EXPECT_EQ(table.GetCount(), 0u);
}

TEST(StringTable, DamagedInputIsReadSafely)
{
    TTempLogFolder log;
    struct Case {
        std::string bytes;
        size_t rows;
    } cases[] = {
        {"", 0},
        {"<Row", 0},
        {"<Row><Data>a", 0},
        {"<Row><Data>a</Data><Data>b", 0},
        {"<Row><Data>a</Data><Data>b<Row><Data>c</Data><Data>d</Data>", 2},
        {"<Row><Data>a<Row><Data>c</Data><Data>d</Data>", 1},
        {std::string("<Row><Data>a</Data>\0<Data>b</Data>", 34), 0}, // text ends at NUL
        {"ZXML\xff\xff\xff\xff\xff\xff\xff\xff", 0},
    };
    for (const Case& c : cases) {
        RegisterMemoryFile(TString("test/table.xml"), c.bytes.data(), uint32_t(c.bytes.size()));
        TStringTable table;
        EXPECT_TRUE(table.Load(TString("test/table.xml")));
        EXPECT_EQ(table.GetCount(), c.rows) << c.bytes;
    }
    EXPECT_TRUE(log.Has("more than the"));
    RegisterMemoryFile(TString("test/table.xml"), nullptr, 0);

    // Many rows without cells: the cell search stays within each row.
    std::string rows;
    for (int i = 0; i < 200000; ++i)
        rows += "<Row><Data";
    RegisterMemoryFile(TString("test/rows.xml"), rows.data(), uint32_t(rows.size()));
    TStringTable table;
    EXPECT_TRUE(table.Load(TString("test/rows.xml")));
    EXPECT_EQ(table.GetCount(), 0u);
    RegisterMemoryFile(TString("test/rows.xml"), nullptr, 0);
}

TEST(StringTable, ListsFlashLabelsInOrder)
{
    TStringTable table;
    ASSERT_TRUE(table.Load(Asset("strings/strings.xml")));
    std::vector<TString> labels{TString("kept")};
    table.GetFlashLabels(labels);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0], TString("kept"));
    EXPECT_EQ(labels[1], TString("FLASH_b"));
    EXPECT_EQ(labels[2], TString("FLASH_intro"));
}

TEST(StringTable, LoadsExtraTablesFromUserThenCommon)
{
    TTempLogFolder log;
    auto sheet = [](const char* label, const char* text) {
        return std::string("<Row><Cell><Data>") + label + "</Data></Cell><Cell><Data>" + text +
               "</Data></Cell></Row>";
    };
    struct File {
        const char* name;
        std::string text;
    } files[] = {
        {"user:stringsextra.xml", sheet("extra", "user extra") + sheet("both", "user")},
        {"user:strings2.xml", sheet("order", "user 2")},
        {"user:strings3.xml", sheet("order", "user 3")},
        {"user:mystrings.xml", sheet("mine", "must not load")},
        {"user:strings.txt", sheet("txt", "must not load")},
        {"user:strings/sub.xml", sheet("sub", "must not load")},
        {"common:strings9.xml", sheet("both", "common")},
        {"other:strings.xml", sheet("other", "must not load")},
    };
    for (const File& f : files)
        RegisterMemoryFile(TString(f.name), f.text.data(), uint32_t(f.text.size()));

    TStringTable table;
    LoadExtraStringTables(table);
    EXPECT_EQ(Get(table, "extra"), "user extra");
    EXPECT_EQ(Get(table, "order"), "user 3"); // later names win within a folder
    EXPECT_EQ(Get(table, "both"), "common");  // common: is walked after user:
    EXPECT_EQ(table.GetCount(), 3u);

    ClearRegisteredFiles();
}
