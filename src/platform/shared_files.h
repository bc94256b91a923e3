// What counting the shared files, and taking the counts back (/U), asks
// the system: whether a file is there (and its deletion),
// and the values of two keys under HKEY_LOCAL_MACHINE in the program's own
// registry view (the 32-bit view for the 32-bit program on 64-bit Windows):
// the counts every installer shares, and the program's record of the files
// it counted. Value names are compared without regard to case, as the
// registry compares them. What a value means is decided by the logic.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trevanil {

inline constexpr std::string_view kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr std::string_view kCountedKey = "SOFTWARE\\Trevanil\\Contados";

enum class SharedKey { counts, counted };  // kSharedDllsKey, kCountedKey

// A value as the registry holds it.
struct RegistryValue {
    enum class Type { absent, number, text, other };  // number: REG_DWORD; text: REG_SZ, REG_EXPAND_SZ
    Type type = Type::absent;
    std::uint32_t number = 0;
    std::string text;  // as written, nothing expanded
    bool operator==(const RegistryValue& o) const { return type == o.type && number == o.number && text == o.text; }
};

class SharedFiles {
public:
    virtual ~SharedFiles() = default;
    // Whether the path names an existing file, as this program reaches it.
    virtual bool fileExists(const std::string& path) const = 0;
    // The key's value of that name; absent when the key or the value is not
    // there. Raises when it cannot be read.
    virtual RegistryValue value(SharedKey key, const std::string& name) const = 0;
    // Writes a REG_DWORD, making the key where it is not there; an existing
    // value keeps its name as written. Raises when refused.
    virtual void setNumber(SharedKey key, const std::string& name, std::uint32_t number) = 0;
    // Deletes the value; nothing happens when it is not there. Raises when
    // refused.
    virtual void removeValue(SharedKey key, const std::string& name) = 0;
    // Deletes the file; raises when refused (the system's number kept, so
    // that a file in use can be told from another refusal).
    virtual void removeFile(const std::string& path) = 0;
};

}  // namespace trevanil
