// Context help for a control of the scan wizard: the help engine is loaded on
// the first request, and once its load has failed no later request tries again.
#pragma once

#include <functional>
#include <string>

namespace twinseek {

inline constexpr char kContextHelpFailedText[] = "Unable to show context help";
inline constexpr char kContextHelpFailedTitle[] = "Error";

// A help request on a control: its number and its help context number.
struct HelpRequest {
    int controlId = 0;
    int contextId = 0;
};

class ContextHelp {
public:
    // Shows the popup help of a request through a loaded engine; false when it showed nothing.
    using Engine = std::function<bool(const std::string& topicFile, const HelpRequest&)>;
    // Loads the help engine; an empty function when there is none.
    using Loader = std::function<Engine()>;

    explicit ContextHelp(Loader loader) : loader(std::move(loader)) {}

    // The popup-topic file of a program: its path with the extension replaced
    // by ".chm", then "::/Context.txt".
    static std::string TopicFile(const std::string& programPath);

    // What a request does: a non-zero context is the page's own business and
    // shows nothing; otherwise the engine is asked (loaded first if need be).
    // True when the failure message is to be shown.
    bool Fails(const std::string& programPath, const HelpRequest& request);
    int LoadAttempts() const { return loadAttempts; }

private:
    Loader loader;
    Engine engine;
    bool loadFailed = false;
    int loadAttempts = 0;
};

// The help engine of this platform: Linux has none, so the load always fails.
ContextHelp::Engine LoadPlatformHelpEngine();

}  // namespace twinseek
