// The process in another locale for a while, C and C++ alike, as a window toolkit sets it for
// a program that embeds the library.
#pragma once

#include <clocale>
#include <locale>
#include <string>

namespace vornex::testing {

class ScopedLocale {
   public:
    explicit ScopedLocale(const char* name)
        : oldC_(std::setlocale(LC_ALL, nullptr)), oldCpp_(std::locale()) {
        try {
            std::locale::global(std::locale(name));
            ok_ = std::setlocale(LC_ALL, name) != nullptr;
        } catch (const std::exception&) {
            ok_ = false;
        }
    }
    ~ScopedLocale() {
        std::locale::global(oldCpp_);
        std::setlocale(LC_ALL, oldC_.c_str());
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // False when the system lacks the locale (scripts/setup generates de_DE and fr_FR).
    bool ok() const { return ok_; }

   private:
    std::string oldC_;
    std::locale oldCpp_;
    bool ok_ = false;
};

}  // namespace vornex::testing
