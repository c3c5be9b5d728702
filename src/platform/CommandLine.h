#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/TString.h"

// Reading the process command line: one text in which switches are found
// by plain substring tests, wherever they stand.

// The command line as one text: the arguments after the program name,
// joined by single blanks. A "-wd=" argument whose folder holds a blank is
// written -wd="folder" so that it reads back whole.
TString JoinCommandLine(int argc, const char* const* argv);

// The text contains `name` anywhere.
bool HasSwitch(const char* commandLine, const char* name);

// "-wnd=": the hexadecimal number after it (0 when it is not a number).
// False when the switch is absent.
bool ParseWindowSwitch(const char* commandLine, uint32_t& handle);

// "-wd=": the folder after it. A leading double quote is dropped and the
// folder ends at the next double quote; otherwise it ends at the first
// blank. False when the switch is absent or the folder is empty.
bool ParseWorkingFolder(const char* commandLine, TString& folder);

// "-host=": the word after it (leading blanks skipped, at most 259
// characters). False when the switch is absent or no word follows.
bool ParseHostProgram(const char* commandLine, TString& program);

// "options=": the key=value pairs after it. A pair ends at the first "&"
// (even past a blank), or, when none is left, at the first blank. Reading
// stops at a blank where a key should start, or at a key without "=".
std::vector<std::pair<TString, TString>> ParseOptions(const char* commandLine);

// The command line the process runs with (as the test hook left it). Main
// thread only.
const TString& GetCommandLineText();
void SetCommandLineText(const TString& commandLine);

// The process command line contains "-pq=" (the host bridge runs).
bool HasPqSwitch();
