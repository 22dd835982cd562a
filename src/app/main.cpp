// Kavrolis: the editor of the machine's database connection aliases.
// Start-up: the machine's code page setting (else the locale) decides the ANSI
// code page, the executable's name the application's title; then the main window runs until it is
// closed. A failure on the way shows in an error box. The window's first activation lists the
// aliases of KVRCFG in the current directory (see editor/MainForm).
#include <QApplication>
#include <QLocale>
#include <QMessageBox>

#include <clocale>
#include <exception>

#include "app/MachineServices.h"
#include "editor/AppTitle.h"
#include "editor/MainForm.h"
#include "platform/MachineCodePage.h"
#include "platform/Text.h"
#include "ui/Frmmain.h"
#include "ui/Translations.h"

namespace {

void ShowFatal(const std::u16string& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString::fromStdU16String(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    QApplication app(argc, argv);
    // Desktops match the window to its menu entry (name, icon) through this.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kavrolis.Kavrolis"));
    // Every failure from here on, reading the machine's registry file
    // included, ends in the error box.
    try {
        kvr::InstallTranslations();
        kvr::platform::UseMachineCodePage();
        // A name the code page cannot hold gives the program's own.
        const std::string title = kvr::ApplicationTitle(
            kvr::platform::UnicodeToAnsi(QCoreApplication::applicationFilePath().toStdU16String())
                .value_or("Kavrolis"));
        QApplication::setApplicationName(
            QString::fromStdU16String(kvr::platform::AnsiToUnicode(title)));

        kvr::TfmMain fmMain(kvr::MachineServices());
        fmMain.show();
        fmMain.activateWindow();
        return QApplication::exec();
    } catch (const std::exception& failure) {
        ShowFatal(kvr::FailureText(failure));
    } catch (...) {
        ShowFatal(u"");
    }
    return 1;
}
