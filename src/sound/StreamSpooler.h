#pragma once
#include <cstdint>

// A source of PCM for a stream, in the stream's buffer format.
class TStreamSpooler {
public:
    virtual ~TStreamSpooler() = default;

    // Writes n bytes at dest: the source's next bytes, then zeros. delivered
    // is the count of source bytes written. With loop the source starts
    // again at its end. False when the source has ended.
    virtual bool Fill(int32_t n, void* dest, int32_t* delivered, bool loop) = 0;
    virtual void SeekTime(float seconds) = 0;
    virtual float GetLength() = 0;
    // Back to the start (where the source supports it).
    virtual void Rewind() {}
};
