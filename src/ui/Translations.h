#pragma once
// The user's language for the windows: Qt's own texts (standard buttons) from
// Qt's translations, ours from the .qm files built into the program.
#include <QLocale>

namespace kvr {

// Installs the translations for `locale` into the application; call once,
// after the QApplication exists. Returns whether ours were found.
bool InstallTranslations(const QLocale& locale);

}  // namespace kvr
