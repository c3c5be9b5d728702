#pragma once
#include <functional>
#include <string>

#include "os/window/Window.h"

// Message boxes and log lines of the graphics stand-in.

enum class GfxBoxIcon { None, Exclamation, Stop };

// Shows a modal box (SDL) or, when boxes are log-only, only logs it. Every
// box is logged as "Message box (<caption>): <text>". owner may be null.
void GfxMessageBox(OsWindow owner, const char* caption, const char* text, GfxBoxIcon icon);

// Auto (the default): a box is shown only when an SDL video driver other than
// "dummy" or "offscreen" is running and QUILLORY_NO_MESSAGE_BOXES is not set
// in the environment; otherwise it is only logged. Tests and headless runs
// use LogOnly (a modal box would hang them).
enum class GfxBoxMode { Auto, Show, LogOnly };
void GfxSetMessageBoxMode(GfxBoxMode mode);
GfxBoxMode GfxGetMessageBoxMode();
// Whether a box would be shown now (not only logged).
bool GfxMessageBoxesShown();

// Tests: sees every box, shown or not (null: none).
using GfxBoxHook = std::function<void(OsWindow owner, const std::string& caption,
                                      const std::string& text, GfxBoxIcon icon)>;
void GfxSetMessageBoxHook(GfxBoxHook hook);

// Where the stand-in's log lines go (the framework's log); null: stderr.
void GfxSetLogSink(void (*sink)(const char* line));
void GfxLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
