#pragma once
#include <memory>

class TTexture;

// Shared reference to a texture; empty means no texture.
using TTextureRef = std::shared_ptr<TTexture>;
