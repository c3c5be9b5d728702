#pragma once

struct lua_State;

// Script functions that put the cast and the voice to work outside a show,
// for stage scripts and for trying lines:
//   StartIdleAnimations()   the classmates and the host idle by themselves
//   StopIdleAnimations()    ... until this (running idles play out)
//   PlayVoiceOver(id)       the voice-over row, queued after the line now
//                           playing; false when the table has no such row
//   UseSubtitles(on)        the current player's subtitles on or off
//   HasSavedShow()          whether the current player has a saved show
//   SetContinue([on])       the next show resumes the saved show (no
//                           argument: it does) or not
//   StudioTour(on)          while on, a stage opens without starting a show
void RegisterShowScriptLua(lua_State* L);
