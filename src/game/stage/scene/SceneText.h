#pragma once
#include <cstdint>

#include "platform/TString.h"
#include "platform/Vector.h"
#include "render/RenderStates.h"

// The text forms of the values in the scene file and the other stage files.
// Numbers are read in the C locale whatever the process locale is. A
// number that does not fit a float, or reads as infinity or NaN, is
// reported (SceneError) and taken as 0.
namespace KScene {

// "#rrggbbaa": '#', then up to four groups of one or two hexadecimal digits
// (blanks before a group skipped) for red, green, blue and alpha, each
// divided by 255; groups that are not read stay 1. With fewer than three
// groups read, "Cannot parse Color (text)" is reported and the colour is
// still used. Returns the number of groups read.
int ParseColor(const TString& text, TColorValue& colour);
TColorValue ParseColor(const TString& text);

// "x,y,z": three decimal numbers separated by commas (blanks before a
// number skipped, none before a comma); the numbers from the first one
// that does not read on are 0.
TVec3 ParseVec3(const TString& text);

// A decimal floating-point number, as the C library's text-to-double
// conversion reads it (leading blanks, sign, exponent, hexadecimal); 0 when
// the text does not begin with a number.
float ParseNumber(const TString& text);

// The text lower-cased: a leading decimal integer (blanks and sign
// allowed; saturated to 32 bits) when there is one, else the index of the
// text among the names (first name 0, ...), else 0.
int32_t ParseKeyword(const TString& text, const char* const* names, int32_t count);
// "kDirectional" 0, "kPointSource" 1, "kSpotLight" 2 (any case), or a number.
int32_t ParseLightType(const TString& text);
// "kMapClamp" 0, "kMapWrap" 1, "kMapMirror" 2 (any case), or a number.
int32_t ParseAddressMode(const TString& text);

} // namespace KScene
