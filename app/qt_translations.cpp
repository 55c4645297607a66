#include "app/qt_translations.h"

#include "lang/language_table.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace krv {

CQtTranslations::CQtTranslations(int languageSlot) {
    const QLocale locale(QString::fromLatin1(languageCode(languageSlot)));
    if (locale.language() == QLocale::English) {
        return;
    }
    installed_ = translator_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                 QCoreApplication::installTranslator(&translator_);
}

CQtTranslations::~CQtTranslations() {
    if (installed_) {
        QCoreApplication::removeTranslator(&translator_);
    }
}

} // namespace krv
