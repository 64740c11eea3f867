// Multibyte awareness for the system's ANSI code page.
#ifndef LAUNCHER_PLATFORM_ANSI_TEXT_H
#define LAUNCHER_PLATFORM_ANSI_TEXT_H

// True when `byte` starts a two-byte character in the system's ANSI code
// page, so that the byte after it (which may equal '\\' or '.') belongs to it.
bool IsAnsiLeadByte(unsigned char byte);

// The last occurrence of `ch` in `text`, scanning it as a multibyte string
// of the ANSI code page: a trail byte is never taken for `ch`. Null if none.
const char* FindLastAnsiChar(const char* text, char ch);

#endif
