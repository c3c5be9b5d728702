#include "os/system/Memory.h"

#include <malloc.h>

void OsKeepFreedMemory()
{
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
}
