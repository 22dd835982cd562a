#include "ui/win32/FormFont.h"

namespace kvr {
namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one is enough
}

bool Installed(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(dc, &wanted, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, dc);
    return found;
}

std::wstring ChooseFace() {
    // The Windows system font by its Chinese and its English name, then what
    // other systems carry. Without any of them the font mapper picks a Big5
    // face for the first name.
    const wchar_t* faces[] = {L"細明體",           L"PMingLiU",          L"MingLiU",
                              L"Noto Sans CJK TC", L"Noto Serif CJK TC", L"Microsoft JhengHei"};
    for (const wchar_t* face : faces) {
        if (Installed(face)) {
            return face;
        }
    }
    return faces[0];
}

}  // namespace

const std::wstring& FormFontFace() {
    static const std::wstring face = ChooseFace();
    return face;
}

HFONT CreateFormFont(int pixels, bool bold) {
    return ::CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         CHINESEBIG5_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, FormFontFace().c_str());
}

}  // namespace kvr
