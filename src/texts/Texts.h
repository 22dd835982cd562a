#pragma once
// Our own texts: each is written once, in English, in the code, marked with
// KVR_TEXT so that lupdate collects it into src/ui/translations/ (read as
// QT_TRANSLATE_NOOP); its Traditional Chinese translation lives there only.
// Every program takes the texts from here in the user's language: Chinese
// under a Traditional Chinese locale or user interface, English otherwise.
// The system's fixed Chinese texts are not ours: they are written as they are
// shown, in every language.
#include <initializer_list>
#include <string>
#include <string_view>

namespace kvr {

// One of our own texts: a context (the translator's group) and its English.
struct SourceText {
    const char* context;
    const char* text;
};
#define KVR_TEXT(context, text) \
    ::kvr::SourceText {         \
        context, text           \
    }

namespace texts {

// Whether our texts are shown in Traditional Chinese (asks the platform).
bool Chinese();

// The text in the user's language, UTF-8; the English one when it has no
// translation.
std::string Translated(SourceText text);
// The Traditional Chinese translation, whatever the user's language; the
// English text when there is none.
std::string ChineseOf(SourceText text);

// Puts the values in place of "%1", "%2", ... (up to nine); a value's own
// text is left as it is.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values);
// Translated, then filled.
std::string Say(SourceText text, std::initializer_list<std::string_view> values = {});

}  // namespace texts
}  // namespace kvr
