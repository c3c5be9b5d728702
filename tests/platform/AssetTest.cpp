#include "platform/Asset.h"
#include "platform/AssetManager.h"
#include "platform/AssetMap.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

class FakeTexture : public TAsset {
public:
    static const TAssetClassId ClassId;
    explicit FakeTexture(std::string name) : mName(std::move(name)) {}
    const char* GetClassName() const override { return "FakeTexture"; }
    bool IsKindOf(TAssetClassId id) const override { return id == ClassId || TAsset::IsKindOf(id); }
    void Release() override { g_calls.push_back("release " + mName); }
    void Restore() override { g_calls.push_back("restore " + mName); }

    std::string mName;
};
const TAssetClassId FakeTexture::ClassId = &FakeTexture::ClassId;

class FakeSound : public TAsset {
public:
    static const TAssetClassId ClassId;
    const char* GetClassName() const override { return "FakeSound"; }
    bool IsKindOf(TAssetClassId id) const override { return id == ClassId || TAsset::IsKindOf(id); }
    int mPlays = 0;
};
const TAssetClassId FakeSound::ClassId = &FakeSound::ClassId;

// The loading pattern of the asset kinds: the registry first, else a new
// object registered under the name.
int g_loads = 0;
std::shared_ptr<TAsset> LoadTexture(TAssetManager& manager, const TString& name)
{
    if (std::shared_ptr<TAsset> found = manager.Find(name))
        return found;
    ++g_loads;
    auto texture = std::make_shared<FakeTexture>(name.c_str());
    manager.Add(name, texture);
    return texture;
}

class AssetMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mLog.Path().empty());
        TAssetMap::ClearLoaders();
        mTried.clear();
        // Textures end in ".png", models in ".x", sounds in ".ogg".
        TAssetMap::RegisterLoader(TAssetMap::kSoundLoader, [this](const TString& name) -> std::shared_ptr<TAsset> {
            mTried.push_back(std::string("sound ") + name.c_str());
            if (std::string(name.c_str()).ends_with(".ogg"))
                return std::make_shared<FakeSound>();
            return nullptr;
        });
        TAssetMap::RegisterLoader(TAssetMap::kTextureLoader, [this](const TString& name) -> std::shared_ptr<TAsset> {
            mTried.push_back(std::string("texture ") + name.c_str());
            if (std::string(name.c_str()).ends_with(".png"))
                return std::make_shared<FakeTexture>(name.c_str());
            return nullptr;
        });
        TAssetMap::RegisterLoader(TAssetMap::kModelLoader, [this](const TString& name) -> std::shared_ptr<TAsset> {
            mTried.push_back(std::string("model ") + name.c_str());
            if (std::string(name.c_str()).ends_with(".x"))
                return std::make_shared<TAsset>();
            return nullptr;
        });
    }
    void TearDown() override
    {
        TAssetMap::ClearLoaders();
    }

    TTempLogFolder mLog{"assettest"};
    std::vector<std::string> mTried;
};

}  // namespace

TEST(Asset, KindsAndNames)
{
    FakeTexture texture("t");
    TAsset base;
    EXPECT_STREQ(base.GetClassName(), "TAsset");
    EXPECT_STREQ(texture.GetClassName(), "FakeTexture");
    EXPECT_TRUE(base.IsKindOf(TAsset::ClassId));
    EXPECT_FALSE(base.IsKindOf(FakeTexture::ClassId));
    EXPECT_TRUE(texture.IsKindOf(FakeTexture::ClassId));
    EXPECT_TRUE(texture.IsKindOf(TAsset::ClassId));
    EXPECT_FALSE(texture.IsKindOf(FakeSound::ClassId));
    EXPECT_FALSE(texture.IsKindOf(nullptr));
    EXPECT_NE(TAsset::ClassId, FakeTexture::ClassId);
}

TEST(AssetManager, HoldsWeakReferencesAndReloadsAfterDrop)
{
    TAssetManager manager;
    SetAssetManager(&manager);
    EXPECT_EQ(GetAssetManager(), &manager);
    g_loads = 0;

    std::shared_ptr<TAsset> first = LoadTexture(manager, "tex/a.png");
    std::shared_ptr<TAsset> again = LoadTexture(manager, "tex/a.png");
    EXPECT_EQ(first, again);
    EXPECT_EQ(g_loads, 1);
    EXPECT_EQ(first->shared_from_this(), first);

    // Names are exact: another case is another asset.
    EXPECT_EQ(manager.Find("TEX/A.PNG"), nullptr);

    std::weak_ptr<TAsset> watch = first;
    first.reset();
    again.reset();
    EXPECT_TRUE(watch.expired());  // the registry keeps nothing alive
    EXPECT_EQ(manager.Find("tex/a.png"), nullptr);

    std::shared_ptr<TAsset> reloaded = LoadTexture(manager, "tex/a.png");
    EXPECT_EQ(g_loads, 2);
    EXPECT_EQ(manager.Find("tex/a.png"), reloaded);

    // Misses add no entries.
    const size_t entries = manager.GetEntryCount();
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(manager.Find(StrFormat("missing%d", i)), nullptr);
    EXPECT_EQ(manager.GetEntryCount(), entries);

    // Add replaces; Remove erases.
    auto other = std::make_shared<FakeTexture>("other");
    manager.Add("tex/a.png", other);
    EXPECT_EQ(manager.Find("tex/a.png"), other);
    manager.Remove("tex/a.png");
    EXPECT_EQ(manager.Find("tex/a.png"), nullptr);
    EXPECT_EQ(manager.GetEntryCount(), entries - 1);

    SetAssetManager(nullptr);
    EXPECT_EQ(GetAssetManager(), nullptr);
}

TEST(AssetManager, RestoreAllSkipsDeadEntriesAndReleaseAllErasesThem)
{
    TAssetManager manager;
    auto a = std::make_shared<FakeTexture>("a");
    auto b = std::make_shared<FakeTexture>("b");
    auto c = std::make_shared<FakeTexture>("c");
    manager.Add("c", c);
    manager.Add("a", a);
    manager.Add("b", b);
    b.reset();

    g_calls.clear();
    manager.RestoreAll();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"restore a", "restore c"}));
    EXPECT_EQ(manager.GetEntryCount(), 3u);

    g_calls.clear();
    manager.ReleaseAll();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"release a", "release c"}));
    EXPECT_EQ(manager.GetEntryCount(), 2u);
    EXPECT_EQ(manager.Find("b"), nullptr);
    EXPECT_EQ(manager.Find("a"), a);

    // Dropping the manager leaves the assets to their other owners.
    std::weak_ptr<TAsset> watch = a;
    { TAssetManager doomed; doomed.Add("a", a); }
    EXPECT_FALSE(watch.expired());
}

TEST(AssetManager, WalksSurviveAssetsThatChangeTheRegistry)
{
    // An asset whose Release drops the registry entry and the last
    // reference of the asset after it.
    struct Dropper : TAsset {
        TAssetManager* manager = nullptr;
        std::shared_ptr<TAsset> next;
        void Release() override
        {
            g_calls.push_back("release dropper");
            manager->Remove("a");
            next.reset();
        }
    };
    TAssetManager manager;
    auto dropper = std::make_shared<Dropper>();
    dropper->manager = &manager;
    dropper->next = std::make_shared<FakeTexture>("n");
    auto z = std::make_shared<FakeTexture>("z");
    manager.Add("a", dropper);
    manager.Add("n", dropper->next);
    manager.Add("z", z);

    g_calls.clear();
    manager.ReleaseAll();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"release dropper", "release z"}));
    EXPECT_EQ(manager.GetEntryCount(), 1u);  // "a" removed, dead "n" erased
}

TEST_F(AssetMapTest, LoadersRunInOrderAndOnlyHitsAreCached)
{
    TAssetMap map;
    EXPECT_NE(map.GetAsset("models/chair.x"), nullptr);
    EXPECT_EQ(mTried, (std::vector<std::string>{"texture models/chair.x", "model models/chair.x"}));

    mTried.clear();
    EXPECT_EQ(map.GetAsset("nothing.bin"), nullptr);
    EXPECT_EQ(map.GetAsset("nothing.bin"), nullptr);
    EXPECT_EQ(mTried.size(), 6u);  // tried again: a miss is not cached

    // Without loaders nothing loads.
    TAssetMap::ClearLoaders();
    TAssetMap empty;
    EXPECT_EQ(empty.GetAsset("a.png"), nullptr);
}

TEST_F(AssetMapTest, BackslashAndSlashNamesShareOneEntry)
{
    TAssetMap map;
    std::shared_ptr<TAsset> first = map.GetAsset("art\\menu\\bg.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(static_cast<FakeTexture&>(*first).mName, "art/menu/bg.png");
    mTried.clear();
    EXPECT_EQ(map.GetAsset("art/menu/bg.png"), first);
    EXPECT_EQ(map.GetAsset("art\\menu/bg.png"), first);
    EXPECT_TRUE(mTried.empty());

    // The map keeps its assets alive until it goes.
    std::weak_ptr<TAsset> watch = first;
    first.reset();
    EXPECT_FALSE(watch.expired());
    {
        TAssetMap other;
        watch = other.GetAsset("x.png");
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
}

TEST_F(AssetMapTest, GetSoundAcceptsSoundsOnly)
{
    TAssetMap map;
    std::shared_ptr<FakeSound> sound = map.GetSound<FakeSound>("sfx\\ding.ogg");
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(map.GetAsset("sfx/ding.ogg"), sound);
    EXPECT_EQ(mLog.Text(), "");

    std::shared_ptr<TAsset> texture = map.GetAsset("tex.png");
    mTried.clear();
    EXPECT_EQ(map.GetSound<FakeSound>("tex.png"), nullptr);
    EXPECT_TRUE(mTried.empty());
    EXPECT_EQ(map.GetAsset("tex.png"), texture);  // still cached

    EXPECT_EQ(map.GetSound<FakeSound>("missing.wav"), nullptr);

    const std::string log = mLog.Text();
    EXPECT_NE(log.find(": Sound asset not found: tex.png\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": Sound asset not found: missing.wav\n"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST_F(AssetMapTest, PreloadLoadsEachNameInOrder)
{
    TAssetMap map;
    const char* names[] = {"b.png", "a.ogg", "a.png", nullptr};
    map.Preload(names);
    EXPECT_EQ(mTried, (std::vector<std::string>{"texture b.png", "texture a.ogg", "model a.ogg",
                                                 "sound a.ogg", "texture a.png"}));
    mTried.clear();
    EXPECT_NE(map.GetAsset("a.ogg"), nullptr);
    EXPECT_TRUE(mTried.empty());
    map.Preload(nullptr);
}
