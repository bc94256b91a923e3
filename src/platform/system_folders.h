// The system's own Windows folder, as the system reports it (never as the
// environment says), and whether two paths name one folder.
#pragma once

#include <string>

namespace trevanil {

class SystemFolders {
public:
    virtual ~SystemFolders() = default;
    // The Windows folder of the system ("C:\Windows"); empty when the system
    // does not say.
    virtual std::string windowsFolder() const = 0;
    // Whether both paths name one existing local folder, however each is
    // spelled (another case, a short name, "..", "\\?\", either separator):
    // its volume and its index on it. False when either cannot be opened as
    // a folder.
    virtual bool sameFolder(const std::string& a, const std::string& b) const = 0;
};

}  // namespace trevanil
