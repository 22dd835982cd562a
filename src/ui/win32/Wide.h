#pragma once
// The view's texts are UTF-16 in both std::u16string and Windows' wchar_t.
#include <string>

namespace kvr {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16");

inline std::wstring Wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string Utf16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace kvr
