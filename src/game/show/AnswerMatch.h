#pragma once
#include "platform/TString.h"

// Typed answers: accepted when the case-insensitive optimal-string-alignment
// distance (insertions, deletions, substitutions and transpositions of
// adjacent characters, each costing 1) is at most a third of the shorter
// text's length, rounded down. Bytes are characters; blanks, punctuation
// and digits count like letters.

// The distance between the lower-cased texts.
float AnswerDistance(TString a, TString b);
// Whether typed is close enough to reference.
bool AnswerMatches(TString typed, TString reference);
