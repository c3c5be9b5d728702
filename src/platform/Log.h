#pragma once
#include <cstdint>

#include "platform/TString.h"

// Debug log: one time-stamped line per WriteLog, written to
// <folder>/logfile.txt, which wraps around at about 100 KB.
// All functions are safe to call from any thread.

// Null (or an empty folder) switches logging off. Otherwise creates the
// folder, deletes an old logfile.txt in it and starts writing at offset 0.
void SetLogFolder(const char* folder);

void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A failure the user must see: the line goes to standard error as well as
// to the log.
void WriteError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The current log file path; empty while logging is off.
TString GetLogPath();

// The file offset of the next line (tests).
uint32_t GetLogWritePosition();
void SetLogWritePosition(uint32_t position);
