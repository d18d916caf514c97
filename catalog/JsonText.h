// Writes byte strings (file names are bytes on Linux) as JSON string literals.
// Bytes that are not valid UTF-8 become the escapes \udc80 to \udcff, the
// "surrogateescape" convention, so the exact bytes can be recovered.
#pragma once

#include <string>
#include <string_view>

namespace twinseek {

void AppendJsonString(std::string& out, std::string_view bytes);

}  // namespace twinseek
