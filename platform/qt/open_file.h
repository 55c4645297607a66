#pragma once
// The system file dialog. It is reached only through COpenFile::selectFile, whose back end
// tests replace so that a run needs no person to pick a file.

#include <functional>
#include <string>

class QWidget;

namespace krv {

class COpenFile {
public:
    // filter: description and pattern, each ended by '|' ("Firmware files (*.afm)|*.afm|").
    // saveMode 0 opens an open dialog, any other value a save dialog.
    COpenFile(std::u16string initialDirectory, std::u16string filter,
              std::u16string defaultExtension, int saveMode);
    virtual ~COpenFile() = default;

    // Full path the user confirmed, or "" when the dialog was cancelled.
    std::u16string selectFile() const;

    const std::u16string initialDirectory;
    const std::u16string filter;
    const std::u16string defaultExtension;
    const int saveMode;
};

// Decides what selectFile returns. An empty function restores the Qt dialog.
using FileDialogBackEnd = std::function<std::u16string(const COpenFile&)>;
void setFileDialogBackEnd(FileDialogBackEnd backEnd);

// The window that owns file dialogs (the main window); none until it is set.
void setFileDialogOwner(QWidget* owner);

// "Desc|pat1;pat2|..." as Qt name filters ("Desc (pat1 pat2)"); a description that already
// ends with its patterns in brackets is kept as it is.
std::u16string toQtNameFilters(const std::u16string& filter);

} // namespace krv
