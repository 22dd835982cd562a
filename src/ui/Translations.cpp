#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kvr {

bool InstallTranslations(const QLocale& locale) {
    // They live as long as the application.
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (qtTexts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtTexts);
    }
    auto* ours = new QTranslator(QCoreApplication::instance());
    if (!ours->load(locale, QStringLiteral("kavrolis"), QStringLiteral("_"),
                    QStringLiteral(":/i18n"))) {
        return false;
    }
    QCoreApplication::installTranslator(ours);
    return true;
}

}  // namespace kvr
