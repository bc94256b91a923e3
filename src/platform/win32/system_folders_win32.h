// The system's Windows folder and folder identity, as Win32 answers them.
#pragma once

#include <string>

#include "platform/system_folders.h"

namespace trevanil::win32 {

class Win32SystemFolders final : public SystemFolders {
public:
    std::string windowsFolder() const override;
    bool sameFolder(const std::string& a, const std::string& b) const override;
};

}  // namespace trevanil::win32
