#pragma once
// Stand-ins for the show controller and a question record.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/show/event/Event.h"
#include "game/show/event/ShowLinks.h"
#include "ui/Window.h"

namespace eventtest {

struct FakeQuestion : KEvent::QuestionView {
    std::function<TWindow*()> make;
    TWindow* MakeWindow() override { return make ? make() : nullptr; }
    TString GetQuestionText() const override { return "What is 2 + 2?"; }
};

struct FakeShow : KEvent::ShowLink {
    std::vector<std::string> calls;
    std::shared_ptr<KEvent::Event> music;
    std::function<void()> onStep;
    void ShowStep() override
    {
        calls.push_back("step");
        if (onStep)
            onStep();
    }
    std::shared_ptr<KEvent::Event> GetCurrentMusic() override { return music; }
    void ShowQuestionOnMainScreens(KEvent::QuestionView* q) override
    {
        calls.push_back("screens question " + std::string(q->GetQuestionText().c_str()));
    }
    void ShowCurrentQuestionOnMainScreens() override { calls.push_back("screens current"); }
    void ShowChalkboardText(const TString& text) override { calls.push_back("chalk " + std::string(text.c_str())); }
    TWindow* stage = nullptr;
    void ShowQuestionWindow(TWindow* window) override
    {
        calls.push_back("question window");
        if (stage && window)
            stage->AddChild(window, true);
    }
};

} // namespace eventtest
