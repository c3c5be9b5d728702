#pragma once
// Character models on the recording device: .x files built by the test as
// memory files, textures from the fake image loader, and a small skinned
// character whose numbers are easy to follow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/stage/model/XModel.h"
#include "render/AnimFixture.h"
#include "support/XWriter.h"

class XModelFixture : public AnimFixture {
protected:
    // A quarter turn about z followed by a move up by one (row vectors: a
    // point (x, y, z) goes to (-y, x + 1, z)).
    static std::vector<float> TurnAndLift() { return {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1}; }

    // A mesh frame "Body" (placed at z = 7) and a two-joint chain A (at
    // y = 1) -> B (2 above A). Vertices: 0 = (0, 3, 0) on B, 1 = (1, 1, 0) on
    // A, 2 = (0, 3, 0) on B at half weight, 3 = (5, 5, 5) without weights.
    // A's keys: 0 = its bind pose, 1 = TurnAndLift; B has none.
    static xfile::Writer Chain(bool withAnimation = true)
    {
        using namespace xfile;
        Writer w;
        w.Header().Frame("Body").Matrix(Translation(0, 0, 7));
        w.Mesh({0, 3, 0, 1, 1, 0, 0, 3, 0, 5, 5, 5}, {0, 1, 2, 1, 2, 3});
        w.SkinHeader(2, 2, 2);
        w.SkinWeights("A", {1}, {1.0f}, Translation(0, -1, 0));
        w.SkinWeights("B", {0, 2}, {1.0f, 0.5f}, Translation(0, -3, 0));
        w.Close().Close();
        w.Frame("A").Matrix(Translation(0, 1, 0)).Frame("B").Matrix(Translation(0, 2, 0)).Close().Close();
        if (withAnimation) {
            w.AnimationSet("set");
            w.Animation("a", "A").Keys({Translation(0, 1, 0), TurnAndLift()}).Close();
            w.Close();
        }
        return w;
    }

    // Writes the bytes as "mesh/test.x" and loads them into model.
    void Load(const std::string& bytes, const std::string& name = "mesh/test.x")
    {
        AddFile(name, bytes);
        model.LoadX(TString(name.c_str()));
    }

    static void ExpectNear(TVec3 got, TVec3 want)
    {
        EXPECT_NEAR(got.x, want.x, 1e-5f);
        EXPECT_NEAR(got.y, want.y, 1e-5f);
        EXPECT_NEAR(got.z, want.z, 1e-5f);
    }

    bool LogHas(const std::string& piece) const { return mLog->Has(piece); }
    int LogLines(const std::string& piece) const { return mLog->Count(piece); }

    KScene::XModel model;
};
