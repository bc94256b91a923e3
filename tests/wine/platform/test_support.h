// Helpers for the Windows tests: a temporary folder per test, whole-file
// reads and writes, waiting for a condition with a limit.
#pragma once

#include <functional>
#include <string>

namespace trevanil::test {

// A fresh folder under the user's temporary folder, removed with all its
// content when the object goes away. Paths are UTF-8.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);  // throws when it cannot be read
void writeFile(const std::string& path, const std::string& bytes);
void makeFolder(const std::string& path);  // an existing folder is fine
bool fileExists(const std::string& path);
void copyInto(const std::string& source, const std::string& destination);  // throws on failure
void removeTree(const std::string& path);

// An environment variable (UTF-8); empty when unset.
std::string env(const std::string& name);
// A fixture file from the build tree.
std::string fixture(const std::string& name);

// Polls the condition until it holds or the limit passes; its last answer.
bool waitFor(const std::function<bool()>& condition, unsigned limitMs = 20000);

// The ANSI code page's bytes for a text, and whether it has all of its
// characters.
std::string ansiBytes(const std::wstring& text);
bool ansiRepresentable(const std::wstring& text);

}  // namespace trevanil::test
