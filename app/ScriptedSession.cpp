#include "ScriptedSession.h"
#include "numerics/Decimal.h"

#include <glibmm/main.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "WyvraApplication.h"

namespace vornex::shell {

void ScriptedSession::start(std::vector<std::function<void()>> steps, unsigned firstMs) {
    mApp.hold();
    mSteps = std::move(steps);
    next(firstMs);
}

void ScriptedSession::check(bool ok, const std::string& what) {
    vornex::cprintf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok) ++mFailures;
}

void ScriptedSession::next(unsigned ms, std::function<bool()> ready) {
    const gint64 start = g_get_monotonic_time();
    Glib::signal_timeout().connect(
        [this, ms, start, ready = std::move(ready)] {
            const gint64 waited = g_get_monotonic_time() - start;
            if (waited < gint64{ms} * 1000 || (ready && !ready() && waited < 10'000'000))
                return true;
            if (mStep < mSteps.size())
                mSteps[mStep++]();
            else
                finish();
            return false;
        },
        10);
}

void ScriptedSession::finish() {
    mApp.setExitStatus(mFailures == 0 ? 0 : 1);
    vornex::cprintf("%d check(s) failed\n", mFailures);
    mApp.release();
    mApp.quit();
}

std::string ScriptedSession::temporaryFile(const std::string& prefix, const std::string& suffix) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) {
        check(false, "a temporary folder to write in (TMPDIR: " + ec.message() + ")");
        return "";
    }
    return (folder / (prefix + std::to_string(::getpid()) + suffix)).string();
}

void ScriptedSession::removeTemporary(const std::string& path) {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove(path, ec);
}

}  // namespace vornex::shell
