#pragma once
// The studio set on the recording device: scene files and one-triangle
// meshes as memory files, textures from the fake image loader, and the set
// drawn in a frame of its own.

#include <cstdint>
#include <string>
#include <vector>

#include "game/stage/scene/Element.h"
#include "game/stage/scene/MaterialTable.h"
#include "game/stage/scene/SceneSet.h"
#include "render/AnimFixture.h"

class SceneFixture : public AnimFixture {
protected:
    static constexpr const char* kSetFile = "mesh/set/Set.xml";
    // Meshes "mesh/m0.mesh" to "mesh/m<kMeshes-1>.mesh".
    static constexpr int kMeshes = 8;

    void SetUp() override
    {
        AnimFixture::SetUp();
        KScene::KSceneSet::Destroy();
        KScene::MaterialTable::Destroy();
        sheets["textures/wood.png"] = 16;
        sheets["textures/screen.png"] = 32;
        for (int i = 0; i < kMeshes; ++i)
            AddFile(MeshName(i), TriangleMesh(i));
    }

    void TearDown() override
    {
        KScene::KSceneSet::Destroy();
        KScene::MaterialTable::Destroy();
        AnimFixture::TearDown();
    }

    static std::string MeshName(int tag) { return "mesh/m" + std::to_string(tag) + ".mesh"; }

    // One triangle whose first vertex sits at x = tag, so that a recorded
    // draw tells which mesh it was.
    static std::string TriangleMesh(int tag)
    {
        const int16_t values[] = {int16_t(tag * 1000), 0, 0, 0, 0, -1000, 0, 0,     //
                                  1000, 0, 0, 0, 0, -1000, 1000, 0,               //
                                  0, 1000, 0, 0, 0, -1000, 0, 1000};
        const uint16_t header[] = {3, 1};
        const uint16_t indices[] = {0, 1, 2};
        std::string bytes = "TRIS";
        auto put = [&bytes](uint16_t v) {
            bytes.push_back(char(v & 0xFF));
            bytes.push_back(char(v >> 8));
        };
        for (uint16_t v : header)
            put(v);
        for (int16_t v : values)
            put(uint16_t(v));
        for (uint16_t v : indices)
            put(v);
        return bytes;
    }

    // A model record: name (none when null), the mesh of that tag, then
    // more fields as written.
    static std::string Model(const char* name, int tag, const std::string& more = "")
    {
        std::string xml = "<model>";
        if (name)
            xml += "<Name>" + std::string(name) + "</Name>";
        xml += "<MeshFolder>mesh/</MeshFolder><MeshName>m" + std::to_string(tag) + ".mesh</MeshName>";
        return xml + more + "</model>";
    }

    // Writes the scene file and loads it into the set.
    KScene::KSceneSet* LoadSet(const std::string& xml, bool defer = false)
    {
        AddFile(kSetFile, xml);
        KScene::KSceneSet* set = KScene::KSceneSet::Get();
        set->Load(kSetFile, defer);
        return set;
    }

    // The set drawn in a frame: the draws it made (the calls stay in the
    // recording log).
    std::vector<GfxDrawRecord> DrawSet()
    {
        GfxRecordingLog().Clear();
        if (!Renderer().BeginDraw(false)) {
            ADD_FAILURE() << "no frame";
            return {};
        }
        KScene::KSceneSet::Get()->Draw();
        Renderer().EndDraw(false);
        return GfxRecordingLog().draws;
    }

    // The tag of each draw's mesh.
    static std::vector<int> Tags(const std::vector<GfxDrawRecord>& draws)
    {
        std::vector<int> tags;
        for (const GfxDrawRecord& d : draws)
            tags.push_back(int(d.Float(0, 0) + 0.5f));
        return tags;
    }

    static std::vector<std::string> Names(const KScene::KSceneSet& set)
    {
        std::vector<std::string> names;
        for (const auto& element : set.GetElements())
            names.push_back(element->GetName().c_str());
        return names;
    }

    bool LogHas(const std::string& piece) const { return mLog->Has(piece); }
    std::string LogText() const { return mLog->Text(); }
};
