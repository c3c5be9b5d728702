#pragma once
#include "platform/TString.h"

class TWindow;

// What the show's full-screen windows do to the children their scripts
// make. Children are found by name anywhere under the window; a missing
// child, or one of another kind, is skipped.
namespace ShowScreens {

// The text child and its "_shadow1" and "_shadow2" copies get the text.
void SetShadowText(TWindow& window, const TString& name, const TString& text);
// Colours the text child (its shadows keep their colour).
void SetTextColor(TWindow& window, const TString& name, float r, float g, float b, float a);
// Neither drawn nor clickable (flags 0).
void HideChild(TWindow& window, const TString& name);
// Closes a window from its own message handling: hidden at once, deleted
// by the window manager at the start of the next event (its destructor
// takes it off its parent). Taking it off its parent here would end the
// way up of the message it is handling.
void CloseSelf(TWindow& window);
// The string table's text for the label, through the window script; the
// label itself when there is no script.
TString LookupLabel(const TString& label);

} // namespace ShowScreens
