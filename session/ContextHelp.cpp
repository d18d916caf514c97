#include "session/ContextHelp.h"

namespace twinseek {

std::string ContextHelp::TopicFile(const std::string& programPath) {
    size_t slash = programPath.rfind('/');
    size_t dot = programPath.rfind('.');
    std::string base = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                           ? programPath.substr(0, dot)
                           : programPath;
    return base + ".chm::/Context.txt";
}

bool ContextHelp::Fails(const std::string& programPath, const HelpRequest& request) {
    if (request.contextId != 0) return false;
    if (!engine && !loadFailed) {
        ++loadAttempts;
        engine = loader ? loader() : Engine();
        loadFailed = !engine;
    }
    if (!engine) return true;
    return !engine(TopicFile(programPath), request);
}

ContextHelp::Engine LoadPlatformHelpEngine() { return {}; }

}  // namespace twinseek
