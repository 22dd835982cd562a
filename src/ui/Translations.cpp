#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/Language.h"

namespace kvr {

bool InstallTranslations() {
    const QLocale locale =
        platform::UserReadsTraditionalChinese()
            ? QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan)
            : QLocale(QLocale::English, QLocale::UnitedStates);
    // It lives as long as the application.
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (!qtTexts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QCoreApplication::installTranslator(qtTexts);
    return true;
}

}  // namespace kvr
