#pragma once

// Finds the sub-pixel offset of the 2D projection that puts texels exactly
// on pixels: a 16 x 16 pattern with black corner texels is drawn into a
// texture at the candidate offsets -0.5, -0.4 ... 0.4, and the first whose
// copy kept both corners in place wins. Sets it on the renderer's device
// and returns true; false, with -0.5 set, when no candidate passed. Needs a
// device and no open frame.
bool FindPixelOffset();
