#pragma once
// Qt's own texts (the standard buttons) in the user's language: the one of our
// own texts (platform/Language.h), from Qt's translations.
namespace kvr {

// Installs them into the application; call once, after the QApplication
// exists. Returns whether they were found.
bool InstallTranslations();

}  // namespace kvr
