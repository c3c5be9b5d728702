#pragma once
#include <cstdint>

#include "platform/TString.h"

// Replaces a file of the user or common folder as a whole: the bytes go to
// `tempName` beside it (any file there is removed first, so a link there is
// not followed), are flushed to the disk, and the temporary file is then
// renamed over `name`, so that a crash leaves the old file or the new one,
// never a part. Missing folders are made. False (logged) when the name is
// not a file on disk or any step fails; the old file is then untouched.
bool ReplaceFileWhole(const TString& name, const TString& tempName, const void* bytes, uint32_t size);
