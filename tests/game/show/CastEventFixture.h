#pragma once
// The cast on the recording device for tests of the animation pickers, the
// idle loops and the show's chains: five classmates and the host from small
// hand-built models, each animation of a length of its own so that a bone
// animation tells which one it is.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "EventTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/stage/XModelFixture.h"
#include "game/stage/model/KBoneAnim.h"

class CastEventFixture : public XModelFixture {
protected:
    void SetUp() override
    {
        XModelFixture::SetUp();
        eventtest::FreshEventManager();
        ResetSingletons();
        MTRandom::Instance()->Seed(5);
        lengths.clear();
        std::string kids = "<BoneAnim>";
        int ms = 100;
        for (const char* name : {"Sit", "Stand", "SitWave", "SitWrite", "StandWrite", "SitClap", "StandClap",
                                 "SitIdle1", "SitIdle2", "StandIdle1", "StandIdle2"}) {
            kids += Anim(name, ms);
            ms += 10;
        }
        AddFile("mesh/kids/kid.x", Chain().bytes);
        AddFile("mesh/kids/kid.xml", kids + "</BoneAnim>");
        std::string host = "<BoneAnim>";
        for (int mark = 1; mark <= 3; ++mark)
            for (const char* name : {"Stand", "Idle1", "Idle2", "Idle3", "Talk1", "Talk2", "Talk3"}) {
                host += Anim("Pos" + std::to_string(mark) + "_" + name, ms);
                ms += 10;
            }
        AddFile("mesh/varnum/varnum.x", Chain().bytes);
        AddFile("mesh/varnum/varnum.xml", host + "</BoneAnim>");
    }
    void TearDown() override
    {
        ResetSingletons();
        eventtest::FreshEventManager();
        KEvent::SetCastLink(nullptr);
        XModelFixture::TearDown();
    }
    static void ResetSingletons()
    {
        Quillory::IdleAnimController::Destroy();
        Quillory::KChildManager::Destroy();
        ShowController::Destroy();
        MTRandom::Destroy();
    }

    // The manager over a roster of these classmates (the five by default).
    Quillory::KChildManager& Cast(int classmates = 5)
    {
        static const char* const names[] = {"Tobin", "Marek", "Imelda", "Caspar", "Rosalind"};
        std::string roster = "<children>";
        for (int i = 0; i < classmates && i < 5; ++i)
            roster += std::string("<child name=\"") + names[i] +
                      "\"><model file=\"mesh/kids/kid.x\" anim=\"mesh/kids/kid.xml\" initAnim=\"Sit\"/></child>";
        AddFile("childAI.xml", roster + "</children>");
        return *Quillory::KChildManager::Instance();
    }
    // Makes the classmate the running show's helping one (null: none).
    static void SetCurrent(Quillory::KChild* child) { ShowController::Instance()->GetRecord().currentClassmate = child; }

    // Which animation the event is: its name, "dummy", or "other".
    std::string Played(const std::shared_ptr<KEvent::Event>& event) const
    {
        if (auto anim = std::dynamic_pointer_cast<KScene::KBoneAnim>(event)) {
            auto found = lengths.find(anim->GetTotal());
            return found == lengths.end() ? "unknown" : found->second;
        }
        if (std::dynamic_pointer_cast<KEvent::eDummy>(event))
            return "dummy";
        return event ? "other" : "null";
    }
    uint64_t LengthOf(const std::string& name) const
    {
        for (const auto& entry : lengths)
            if (entry.second == name)
                return entry.first;
        ADD_FAILURE() << "no animation " << name;
        return 0;
    }

    static KEvent::EventManager& Manager() { return *KEvent::EventManager::Instance(); }
    static void Pass(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            Manager().Update();
    }
    // Passes every `step` ms of fake time until ms have gone.
    static void Run(uint32_t ms, uint32_t step = 10)
    {
        for (uint32_t gone = 0; gone < ms; gone += step) {
            now += step;
            Pass();
        }
    }

    // The show's random source as it stands (to replay its draws).
    static MTRandom Copy() { return *MTRandom::Instance(); }

    std::map<uint64_t, std::string> lengths;

private:
    std::string Anim(const std::string& name, int ms)
    {
        lengths[uint64_t(ms)] = name;
        return "<anim name=\"" + name + "\"><frame frameNum=\"1\" transitionTime=\"" + std::to_string(ms) +
               "\"/><pos>0,0,0</pos></anim>";
    }
};
