#pragma once
// What MainForm's handlers share across the files that define them: the
// text of ANSI bytes, a name as the file stores it, and the guard of a handler.
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "editor/FormHelpers.h"
#include "editor/MainForm.h"
#include "platform/Text.h"
#include "store/AliasFile.h"

namespace kvr {

// The caption of the question before a save over another program's change.
inline constexpr SourceText kChangedElsewhere = KVR_TEXT("MainForm", "Alias changed elsewhere");

inline std::u16string Unicode(std::string_view ansi) {
    return platform::AnsiToUnicode(ansi);
}

// The name as the file stores it, in its letter case; the name itself when
// no header carries it.
inline std::string StoredName(AliasFile& file, const std::string& name) {
    for (std::string& listed : file.ListExistingAliases()) {
        if (platform::EqualsIgnoreCase(listed, name)) {
            return std::move(listed);
        }
    }
    return name;
}

template <class Step>
void MainForm::Guarded(Step&& step) {
    Busy busy(*this);
    try {
        step();
    } catch (const std::exception& failure) {
        view_.ShowError(FailureText(failure));
    } catch (...) {
        view_.ShowError(u"");
    }
}

}  // namespace kvr
