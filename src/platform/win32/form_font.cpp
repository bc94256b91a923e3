#include "platform/win32/form_font.h"

#include <cwchar>

#include "platform/win32/strings.h"

namespace trevanil::win32 {

namespace {

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool faceInstalled(const std::wstring& face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    const HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &lf, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

std::wstring defaultGuiFace() {
    LOGFONTW lf{};
    if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf) == 0) return {};
    return lf.lfFaceName;
}

}  // namespace

std::wstring fontFaceFor(const FormDesign& design) {
    for (std::wstring face : {toWide(design.fontFace), std::wstring(L"Microsoft Sans Serif")}) {
        if (faceInstalled(face)) return face;
    }
    return defaultGuiFace();
}

unique_hfont createFormFont(const FormDesign& design, int height) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = design.fontWeight;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    const std::wstring face = fontFaceFor(design);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return unique_hfont(::CreateFontIndirectW(&lf));
}

}  // namespace trevanil::win32
