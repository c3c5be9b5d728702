#include "game/show/screens/StudioScreens.h"

#include "game/show/question/Question.h"
#include "game/show/screens/QShow.h"
#include "game/show/screens/QShowPic.h"
#include "game/stage/effects/HslColor.h"
#include "game/stage/scene/Element.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/Log.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

namespace {

constexpr int32_t kPictureQuestion = 3;
constexpr float kPodiumLightness = 0.31f;
constexpr float kPodiumDiffuse = 0.63f;
constexpr const char* kPodiumLights[] = {"ped_light_0", "ped_light_1", "ped_light_2", "ped_light_3"};

} // namespace

std::unique_ptr<KScene::WRenderable> MakeQuestionDisplayWindow(const KQuestion::QBase& question)
{
    if (question.type == kPictureQuestion)
        return std::make_unique<KQuestion::QShowPic>(question.question, question.dataField);
    return std::make_unique<KQuestion::QShow>(question.question);
}

void SetScreenWindowText(int32_t number, const TString& text)
{
    KQuestion::QShow window(text);
    TTextureRef texture = window.RenderToTexture();
    const TString name = StrFormat("Windows%02d", number);
    if (std::shared_ptr<KScene::KElement> element = KScene::KSceneSet::Get()->FindElement(name))
        element->SetTextureOverride(texture);
}

void SetPodiumLight(float hue, float saturation)
{
    TMaterial material;
    material.diffuse = {kPodiumDiffuse, kPodiumDiffuse, kPodiumDiffuse, 1.0f};
    material.ambient = HslToRgb(hue, saturation, kPodiumLightness, 1.0f);
    material.specular = HslToRgb(hue, saturation * 0.25f, 1.0f, 1.0f);
    material.emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    material.power = 0.0f;
    KScene::KSceneSet* scene = KScene::KSceneSet::Get();
    for (const char* name : kPodiumLights)
        if (std::shared_ptr<KScene::KElement> element = scene->FindElement(TString(name)))
            element->SetMaterial(material);
}

void ReadPodiumColor(float& hue, float& saturation)
{
    hue = 0.0f;
    saturation = 0.0f;
    std::shared_ptr<KScene::KElement> element = KScene::KSceneSet::Get()->FindElement(TString(kPodiumLights[0]));
    if (!element)
        return;
    const TColorValue& ambient = element->GetMaterial().ambient;
    const TVec3 hsl = RgbToHsl(ambient.r, ambient.g, ambient.b);
    hue = hsl.x;
    saturation = hsl.y;
}

void HideSkipVOButton()
{
    TWindowManager* windows = GetWindowManager();
    TWindow* root = windows ? windows->GetRootWindow() : nullptr;
    TWindow* button = root ? root->FindChild(TString("btn_skipVO"), -1) : nullptr;
    if (button)
        button->SetFlags(0);
}
