// The answers the detailed log's diagnosis asks the system for: files and
// their bytes (read as data, never loaded), the loader's folders and
// known DLLs, the system's texts. Which cause a failure has is not decided
// here.
#pragma once

#include "detail/probe.h"

namespace trevanil::win32 {

class SystemProbe final : public Probe {
public:
    bool fileExists(const std::string& path) const override;
    std::unique_ptr<FileBytes> bytes(const std::string& path) const override;
    std::string reachedPath(const std::string& path) const override;
    std::string systemFolder() const override;
    bool suppliedBySystem(const std::string& dll) const override;
    std::string errorText(std::uint32_t code, const std::string& subject) const override;
    std::string statusText(std::uint32_t status) const override;
};

}  // namespace trevanil::win32
