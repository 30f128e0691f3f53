// The frame of the scripted sessions of the test suite (the self-test, the closing of
// windows, the second window): their steps run one after the other from the main loop, each
// once the one before has had its effect (windows mapped, closed or drawn), and their checks
// are printed as they go; the exit status tells whether every check held.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vornex::shell {

class WyvraApplication;

class ScriptedSession {
   public:
    explicit ScriptedSession(WyvraApplication& application) : mApp(application) {}
    virtual ~ScriptedSession() = default;

   protected:
    // Keeps the application running and schedules STEPS, the first after `firstMs`.
    void start(std::vector<std::function<void()>> steps, unsigned firstMs);
    void check(bool ok, const std::string& what);
    // Runs the next step after `ms` milliseconds of main loop, and once READY holds; after
    // ten seconds it runs anyway, and its own checks say what did not happen.
    void next(unsigned ms, std::function<bool()> ready = {});
    // Says how many checks failed, and quits with the exit status that tells.
    virtual void finish();
    // A path in the temporary folder, PREFIX and SUFFIX around the process's id (sessions
    // run side by side); empty, with a failed check, when there is no such folder.
    std::string temporaryFile(const std::string& prefix, const std::string& suffix);
    // Removes a file the session wrote, if it is still there and can go: the session's
    // verdict does not hang on its clean-up.
    static void removeTemporary(const std::string& path);

    WyvraApplication& mApp;
    int mFailures = 0;

   private:
    std::vector<std::function<void()>> mSteps;
    std::size_t mStep = 0;
};

}  // namespace vornex::shell
