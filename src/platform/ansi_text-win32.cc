#include "platform/ansi_text.h"

#include <windows.h>

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }
