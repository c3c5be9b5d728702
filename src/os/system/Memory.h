#pragma once

// Keeps memory the program frees in its heap for reuse instead of handing it
// back to the kernel at once: blocks up to 32 MB come from the heap, and up
// to 128 MB of free space stays at its top. The GL driver frees and takes
// back large blocks every frame; returning them each time costs a page
// fault per page when they are used again. Call once, early.
void OsKeepFreedMemory();
