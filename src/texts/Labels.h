#pragma once
// The system's fixed names: the tree's root and the four fields' labels. They
// are shown as they are in every language.
#include <array>
#include <cstddef>

namespace kvr::texts {

// The text of the tree's root, compared byte for byte.
inline constexpr char kRootText[] = "Kavrolis";

// An ASCII text as UTF-16, at compile time.
template <std::size_t N>
constexpr std::array<char16_t, N> Widened(const char (&ascii)[N]) {
    std::array<char16_t, N> wide{};
    for (std::size_t i = 0; i < N; ++i) {
        wide[i] = static_cast<char16_t>(ascii[i]);
    }
    return wide;
}
inline constexpr std::array<char16_t, sizeof kRootText> kRootTextWide = Widened(kRootText);

// The fields' labels, in the order of the alias file's keys (DatabaseName,
// ServerName, UserName, PassWord); the window shows each followed by ":".
inline constexpr std::array<const char16_t*, 4> kFieldLabels{u"資料庫名稱", u"伺服器名稱",
                                                             u"使用者帳號", u"使用者密碼"};
// The same as the form's captions show them.
inline constexpr std::array<const char16_t*, 4> kFieldCaptions{u"資料庫名稱:", u"伺服器名稱:",
                                                               u"使用者帳號:", u"使用者密碼:"};

}  // namespace kvr::texts
