#pragma once
// Qt's own texts (the file dialog, the standard buttons of a message box) in the language the
// tool speaks, from the translations Qt installs; without them Qt stays English.

#include <QTranslator>

namespace krv {

class CQtTranslations {
public:
    // Installs on the running application the translations of the language slot's language.
    explicit CQtTranslations(int languageSlot);
    ~CQtTranslations();
    CQtTranslations(const CQtTranslations&) = delete;
    CQtTranslations& operator=(const CQtTranslations&) = delete;

    // Found and installed (English needs none, so it never is).
    bool installed() const { return installed_; }

private:
    QTranslator translator_;
    bool installed_ = false;
};

} // namespace krv
