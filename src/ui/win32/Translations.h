#pragma once
// Our own texts in the user's language. The translations are the Traditional
// Chinese ones the Qt build ships (Qt's .ts format, compiled into the
// program); they are used when Windows' user-interface language is
// Traditional Chinese. Without a translation the English text is shown.
#include <string>

namespace kvr {

std::wstring Translated(const char* context, const char* source);

// The translation of source in context from a .ts document, or nothing.
// Exposed for tests.
std::string TranslationIn(const std::string& ts, const std::string& context,
                          const std::string& source);

}  // namespace kvr
