#pragma once
#include <cstdint>

class TFileHandle;
struct OggVorbis_File;

// Opens a vorbisfile decoder over our own file handles. 0 on success,
// else vorbisfile's error (the decoder is then cleared).

// Over a memory copy of the whole file, which the decoder owns and frees
// with ov_clear. The handle is closed here in every case.
int OpenOggMemoryCopy(OggVorbis_File* decoder, TFileHandle* file);
// Over the open handle, which the decoder owns (and closes) on success; on
// failure the caller still owns it.
int OpenOggFileHandle(OggVorbis_File* decoder, TFileHandle* file);
