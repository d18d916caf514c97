// Makes file names safe to print on a terminal: bytes a terminal would act on
// (control characters, C1 controls, bytes that are not UTF-8) are shown as
// escapes, the way "ls -b" shows them, so a name can never move the cursor,
// clear the screen or split a line.
#pragma once

#include <string>
#include <string_view>

namespace twinseek {

// Appends text with \a \b \t \n \v \f \r for those control characters, a
// backslash as \\, and every other control character, DEL, UTF-8-encoded C1
// control and byte that is not part of well-formed UTF-8 as \ooo (three octal
// digits per byte). Printable ASCII and other UTF-8 go out as they are.
void AppendTerminalText(std::string& out, std::string_view text);
std::string TerminalText(std::string_view text);

}  // namespace twinseek
