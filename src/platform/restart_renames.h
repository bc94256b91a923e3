// The renames the system makes as it starts, before any program can hold a
// file: how a file in use is replaced at the next restart. Which file is
// staged and when is decided by the logic (install/replace_at_restart.h).
#pragma once

#include <string>
#include <vector>

namespace trevanil {

class RestartRenames {
public:
    virtual ~RestartRenames() = default;
    // The path as the system reads it at boot: a file in the Windows
    // folder's System32 is the one in SysWOW64 for a 32-bit program on
    // 64-bit Windows (a rename made at boot is never redirected). Any other
    // path as it is.
    virtual std::string bootPath(const std::string& path) const = 0;
    // Whether another program holds the file open or loaded, so that it
    // cannot be written now.
    virtual bool inUse(const std::string& path) const = 0;
    // The renames waiting for the restart as the system lists them: two
    // strings each, "\??\<from>" then "!\??\<to>" (replacing it), "\??\<to>",
    // or "" (a deletion). Empty when none, or when the list cannot be read.
    virtual std::vector<std::string> pending() const = 0;
    // `from` put in the place of `to` at the next restart; raises when the
    // system refuses.
    virtual void schedule(const std::string& from, const std::string& to) = 0;
    // `path` (as the system reads it at boot) deleted at the next restart;
    // raises when the system refuses.
    virtual void scheduleDeletion(const std::string& path) = 0;
    // The file deleted; nothing happens when it is not there or cannot go.
    virtual void discard(const std::string& path) noexcept = 0;
};

}  // namespace trevanil
