#pragma once

// Where the audio stand-in's log lines go (the framework's log); null:
// stderr. Safe to call from any thread.
void AudioSetLogSink(void (*sink)(const char* line));
void AudioLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
