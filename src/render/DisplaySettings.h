#pragma once

// "common:display.xml": the remembered low-video-memory mode, an element
// Settings whose attribute LowMemoryVideo is read as an integer (non-zero =
// on).

// True when the file holds the setting switched on. A missing or damaged
// file, or one without the element, reads as off.
bool ReadLowMemoryVideoSetting();

// Writes <Settings LowMemoryVideo="1"/> through a temporary file that is
// flushed and then renamed over the old one, so a crash leaves either the
// old file or the new one. False (logged) when it could not be written.
bool WriteLowMemoryVideoSetting();

// The file's asset name.
constexpr const char* kDisplaySettingsFile = "common:display.xml";
