#pragma once
#include <string>
#include <string_view>

// The system clipboard as 8-bit text. The program's one-byte characters are
// Latin-1; SDL's clipboard is UTF-8. Needs video (OsInitVideo); main thread
// only.

// Replaces the clipboard text. False when the clipboard is unavailable.
bool OsSetClipboardText(std::string_view latin1);
bool OsHasClipboardText();
// The clipboard text; characters beyond Latin-1 and broken UTF-8 become
// the replacement ('\0': they are left out). Empty when there is none or
// the clipboard is unavailable.
std::string OsGetClipboardText(char replacement = '?');

// The conversions used above.
std::string OsLatin1ToUtf8(std::string_view latin1);
// A replacement of '\0' leaves the characters out.
std::string OsUtf8ToLatin1(std::string_view utf8, char replacement = '?');
