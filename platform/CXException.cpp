#include "platform/CXException.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace twinseek {

namespace {
// strerror_r comes in two shapes; these pick the text out of either result.
[[maybe_unused]] const char* StrerrorText(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* StrerrorText(const char* result, const char*) { return result; }
}  // namespace

CXException::CXException(uint32_t cause, std::string message)
    : cause(cause), message(std::move(message)) {}

std::string CXFileException::SystemMessage(int errorCode) {
    char buffer[256] = {};
    const char* text = StrerrorText(strerror_r(errorCode, buffer, sizeof buffer), buffer);
    if (text == nullptr) return {};
    // glibc invents "Unknown error N" for codes it has no text for.
    if (std::string_view(text).starts_with("Unknown error")) return {};
    return text;
}

CXFileException::CXFileException(int errorCode)
    : CXException(uint32_t(errorCode), SystemMessage(errorCode)) {}

const char* CXArchiveException::CauseMessage(uint32_t cause) {
    switch (cause) {
    case None: return "None";
    case Generic: return "Generic archive exception";
    case ReadOnly: return "Archive file is read-only";
    case EndOfFile: return "End of archive file exception";
    case WriteOnly: return "Archive file is write-only";
    default: return "Unknown archive exception";
    }
}

CXArchiveException::CXArchiveException(uint32_t cause, std::string fileName, const std::string& detail)
    : CXException(cause, detail.empty() ? CauseMessage(cause) : CauseMessage(cause) + (": " + detail)),
      fileName(std::move(fileName)) {}

}  // namespace twinseek
