#pragma once

#include <cstdint>

#include "platform/TString.h"

// Asset name registry: maps lower-cased asset names to real paths on disk,
// memory buffers or pack entries.

// Resolves an asset name to what the file interface opens: a disk path,
// a pack locator "@index:offset,size" or a memory locator "&address,size".
// Empty when the name does not resolve.
TString ResolveAssetPath(const TString& name, bool mustExist);
bool AssetExists(const TString& name);

void RegisterMemoryFile(const TString& name, const void* buffer, uint32_t size);
// Stores `resolved` under the lower-cased `key`.
void RegisterAssetFile(const TString& key, const TString& resolved);

void SetAssetFolders(const TString& user, const TString& common, const TString& desktop);
const TString& GetUserFolder();
const TString& GetCommonFolder();
const TString& GetDesktopFolder();

void SetFirstPeek(bool on);
void LoadAssetManifest();
void ScanAssetFolder(const TString& folder, const TString& prefix);

bool ParseManifest(const char* text, bool add);
bool NotInManifest(const TString& name);

bool FindRegisteredFile(const TString& prefix, TString& name, bool includeSubfolders);
void ClearRegisteredFiles();

int GetAppDataFolder(bool common, const char* gameFolder, char* buffer, uint32_t size);
int GetDesktopPath(char* buffer, uint32_t size);
TString GetFullPath(const TString& path);
