#pragma once
#include "platform/TString.h"

class TTextureData;

// Loads an image file, and optionally a mask file whose red channel becomes
// the alpha, into the data's surface. Options after a "?" in the name
// ("slow", "simple", "alpha", "mipmap", found anywhere in that text) set
// the data's flags; a name without ".png" or ".jpg" that does not exist is
// tried with ".png", then ".jpg" (a mask with ".jpg", then ".png"). Images
// over 1024 pixels a side need "slow"; none may exceed the device's largest
// texture. This is what TTextureData::Load runs unless another loader was
// installed with SetTextureLoader.
bool LoadTextureFiles(TTextureData& data, const TString& fileName, const TString& maskFileName);
