// Cast benchmark: the six character files the build makes (five classmates
// and the host, binary .x). Loading all six with the game's reader against
// Assimp's .x importer on the same files in the same run (median of rounds,
// files already in the page cache, the pictures already loaded); skinning one character a frame (the
// bone update and the skin of a new key frame) in microseconds; and the
// whole cast posed and drawn a frame through the classmates' shot on the GL
// device at 800x600, beside an empty frame.
//
//   bench_cast [FRAMES]      (default 200; run it through tools/bench-cast)
#include <SDL.h>

#include <assimp/cimport.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench-frames.h"
#include "bench-platform.h"
#include "game/stage/camera/CameraShots.h"
#include "game/stage/model/KAnimSet.h"
#include "game/stage/model/XElem.h"
#include "game/stage/model/XModel.h"
#include "platform/AssetNames.h"
#include "render/Renderer.h"

namespace {

constexpr int kRounds = 15;
const char* const kCast[][2] = {
    {"mesh/kids/kid1.x", "mesh/kids/kid1.xml"}, {"mesh/kids/kid2.x", "mesh/kids/kid2.xml"},
    {"mesh/kids/kid3.x", "mesh/kids/kid3.xml"}, {"mesh/kids/kid4.x", "mesh/kids/kid4.xml"},
    {"mesh/kids/kid5.x", "mesh/kids/kid5.xml"}, {"mesh/varnum/varnum.x", "mesh/varnum/varnum.xml"},
};

struct Character {
    KScene::XModel model;
    std::shared_ptr<KScene::XElem> mesh;
    std::shared_ptr<KScene::KAnimSet> anims;
};

double LoadOurs()
{
    const double t0 = NowMs();
    for (const auto& files : kCast) {
        KScene::XModel model;
        model.LoadX(TString(files[0]));
        if (!model.GetFirstMeshFrame())
            return -1;
    }
    return NowMs() - t0;
}

double LoadAssimp()
{
    const double t0 = NowMs();
    for (const auto& files : kCast) {
        const std::string path = std::string(QUILLORY_ASSET_DIR "/") + files[0];
        const aiScene* scene = aiImportFile(path.c_str(), 0);
        if (!scene || scene->mNumMeshes == 0)
            return -1;
        aiReleaseImport(scene);
    }
    return NowMs() - t0;
}

// The view matrix of a camera record, as the scene set builds it.
TMat4 ViewOf(const KScene::CameraRecord& c)
{
    TMat4 view;
    view.Translate(TVec3(-c.x, -c.y, -c.z));
    view.RotateYawPitchRoll(c.yaw, c.pitch, c.roll);
    return view;
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_cast");
    if (!window)
        return 1;
    int status = 0;
    {
        for (const char* folder : {"mesh", "textures"})
            ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/") + TString(folder), TString(folder) + TString("/"));
        BenchPlatform platform(window, "bench_cast");
        if (!platform.IsReady())
            return 1;

        // Loading, alternating the readers round by round. The characters'
        // pictures stay loaded (as in the game, where each is read once):
        // the comparison is of the model files, which Assimp reads without
        // their pictures.
        std::vector<std::unique_ptr<KScene::XModel>> warm;
        for (const auto& files : kCast) {
            warm.push_back(std::make_unique<KScene::XModel>());
            warm.back()->LoadX(TString(files[0]));
        }
        std::vector<double> ours, assimp;
        for (int i = 0; i < kRounds; ++i) {
            ours.push_back(LoadOurs());
            assimp.push_back(LoadAssimp());
        }
        if (*std::min_element(ours.begin(), ours.end()) < 0 || *std::min_element(assimp.begin(), assimp.end()) < 0) {
            std::fprintf(stderr, "bench_cast: a character does not load (build the cast target)\n");
            return 1;
        }
        const double o = Median(ours), a = Median(assimp);
        std::printf("load six characters: ours %.3f ms, assimp %.3f ms, ratio %.2f\n", o, a, o / a);

        std::vector<std::unique_ptr<Character>> cast;
        for (const auto& files : kCast) {
            auto c = std::make_unique<Character>();
            c->model.LoadX(TString(files[0]));
            c->mesh = c->model.GetFirstMeshFrame();
            c->anims = KScene::KAnimSet::Create(c->mesh, TString(files[1]));
            // The host stands at the mark before the classmates.
            c->anims->SetPose(TString(cast.size() == 5 ? "Pos2_Stand" : "Sit"));
            cast.push_back(std::move(c));
        }

        // Skinning alone: a new key frame each time for one classmate.
        KScene::XElem& kid = *cast[0]->mesh;
        std::vector<double> skin;
        for (int r = 0; r < kRounds; ++r) {
            const double t0 = NowMs();
            for (int f = 0; f < 200; ++f)
                kid.SetFrame(uint16_t(f % 400));
            skin.push_back((NowMs() - t0) * 1000.0 / 200);
        }
        std::printf("skin one character (%u vertices, %zu bones) %.1f us\n", unsigned(kid.GetVertexCount()),
                    size_t(kid.GetBones().Count()), Median(skin));

        TRenderer* renderer = TRenderer::Get();
        int frame = 0;
        auto drawCast = [&](int) {
            ++frame;
            renderer->Begin3d();
            renderer->SetPerspective(1.0f, 32.0f, KScene::kIntroShot.fov, 0.0f);
            renderer->SetViewTransform(ViewOf(KScene::kIntroShot));
            TLight light;
            light.kind = kLightDirectional;
            light.diffuse = {1, 1, 1, 1};
            light.ambient = {0.3f, 0.3f, 0.3f, 1};
            light.direction[1] = -1;
            light.direction[2] = 1;
            renderer->SetLight(0, &light);
            for (auto& c : cast) {
                c->mesh->SetFrame(uint16_t(frame % 400));
                c->model.Draw();
            }
            renderer->End3d();
        };
        const FrameResult empty = MeasureFrames(frames, [](int) {});
        const FrameResult drawn = MeasureFrames(frames, drawCast);
        ReportFrames("empty frame", empty);
        ReportFrames("six characters skinned and drawn", drawn);
        cast.clear();
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
