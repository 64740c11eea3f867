#include "platform/ansi_text.h"

#include "platform/ansi_code_page.h"

bool IsAnsiLeadByte(unsigned char byte) {
  return IsLeadByteOfCodePage(CurrentAnsiCodePage(), byte);
}
