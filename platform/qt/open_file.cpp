#include "platform/qt/open_file.h"

#include <QFileDialog>
#include <QStringList>
#include <utility>

namespace krv {

COpenFile::COpenFile(std::u16string initialDirectory_, std::u16string filter_,
                     std::u16string defaultExtension_, int saveMode_)
    : initialDirectory(std::move(initialDirectory_)), filter(std::move(filter_)),
      defaultExtension(std::move(defaultExtension_)), saveMode(saveMode_) {}

std::u16string CQtFileChooser::choose(const COpenFile& request) {
    const bool save = request.saveMode != 0;
    QFileDialog dialog(&owner_, QString::fromStdU16String(save ? saveTitle_ : openTitle_),
                       QString::fromStdU16String(request.initialDirectory));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(
        QString::fromStdU16String(toQtNameFilters(request.filter)).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QString::fromStdU16String(request.defaultExtension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst().toStdU16String();
}

std::u16string toQtNameFilters(const std::u16string& filter) {
    const QStringList parts =
        QString::fromStdU16String(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed().replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        filters << (description.endsWith(bracketed) ? description
                                                    : description + QLatin1Char(' ') + bracketed);
    }
    return filters.join(QStringLiteral(";;")).toStdU16String();
}

} // namespace krv
