#include "platform/win32/type_library.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdio>

#include "platform/win32/paths.h"
#include "platform/win32/strings.h"
#include "platform/win32/system_library.h"
#include "platform/win32/system_proc.h"
#include "platform/win32/unique_any.h"

namespace trevanil::win32 {

namespace {

using LoadTypeLibExFn = HRESULT(WINAPI*)(LPCOLESTR, REGKIND, ITypeLib**);

// oleaut32 stays loaded once asked for: the type libraries it hands out
// live in it.
struct OleAutomation {
    unique_hmodule module = loadSystemLibrary(L"oleaut32.dll");
    LoadTypeLibExFn loadTypeLibEx = procOf<LoadTypeLibExFn>(module.get(), "LoadTypeLibEx");
};

const OleAutomation& oleAutomation() {
    static const OleAutomation ole;
    return ole;
}

// The class's name as the library documents it; empty when it has none.
std::string className(ITypeLib& library, UINT index) {
    BSTR raw = nullptr;
    if (FAILED(library.GetDocumentation(static_cast<INT>(index), &raw, nullptr, nullptr, nullptr))) return {};
    const unique_bstr name(raw);
    return name ? toUtf8(name.get()) : std::string();
}

// A creatable class (TYPEFLAG_FCANCREATE); nothing for any other type.
std::optional<DeclaredClass> creatableClass(ITypeLib& library, UINT index) {
    TYPEKIND kind{};
    if (FAILED(library.GetTypeInfoType(index, &kind)) || kind != TKIND_COCLASS) return std::nullopt;
    ITypeInfo* raw = nullptr;
    if (FAILED(library.GetTypeInfo(index, &raw))) return std::nullopt;
    const unique_com<ITypeInfo> info(raw);
    TYPEATTR* attributes = nullptr;
    if (FAILED(info.get()->GetTypeAttr(&attributes))) return std::nullopt;
    const bool creatable = (attributes->wTypeFlags & TYPEFLAG_FCANCREATE) != 0;
    const GUID clsid = attributes->guid;
    info.get()->ReleaseTypeAttr(attributes);
    if (!creatable) return std::nullopt;
    return DeclaredClass{className(library, index), guidText(clsid)};
}

}  // namespace

std::string guidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::optional<TypeLibrary> readTypeLibrary(const std::wstring& path) noexcept {
    try {
        const OleAutomation& ole = oleAutomation();
        const std::wstring full = fullPath(path);
        if (ole.loadTypeLibEx == nullptr || full.empty()) return std::nullopt;
        ITypeLib* raw = nullptr;
        if (FAILED(ole.loadTypeLibEx(full.c_str(), REGKIND_NONE, &raw)) || raw == nullptr) return std::nullopt;
        const unique_com<ITypeLib> library(raw);
        TLIBATTR* attributes = nullptr;
        if (FAILED(library.get()->GetLibAttr(&attributes))) return std::nullopt;
        TypeLibrary result{guidText(attributes->guid), attributes->wMajorVerNum, attributes->wMinorVerNum,
                           attributes->lcid, {}};
        library.get()->ReleaseTLibAttr(attributes);
        const UINT count = library.get()->GetTypeInfoCount();
        for (UINT i = 0; i < count; ++i) {
            if (auto declared = creatableClass(*library.get(), i)) result.classes.push_back(*std::move(declared));
        }
        return result;
    } catch (...) {  // no memory
        return std::nullopt;
    }
}

}  // namespace trevanil::win32
