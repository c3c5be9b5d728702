#pragma once

#include <cstdint>

#include "platform/TString.h"

// Pack files (".dnp"): read-only archives mapped into memory whose entries
// are registered as asset names "?pak:<pack>:<offset>:<size>".

// Maps every ".dnp" file in the asset folder and registers its entries.
void MountFlatFiles();
// Maps one pack (any asset name the file interface can open) and registers
// its entries. Returns false when the pack could not be read.
bool AddFlatFile(const TString& name);

// View of a mapped pack. False when index is outside the pack list; true with
// *data null when that pack's mapping is missing.
bool GetFlatFileView(int index, const uint8_t** data, uint64_t* size);
