#pragma once
// Choosing a file: a request (COpenFile) answered by a file chooser. The program's chooser is
// the system dialog over the main window; the window hands its chooser to every feature that
// asks for a file, so tests give it answers without a person.

#include <string>
#include <utility>

class QWidget;

namespace krv {

class COpenFile {
public:
    // filter: description and pattern, each ended by '|' ("Firmware files (*.afm)|*.afm|").
    // saveMode 0 asks for a file to open, any other value for a file to save.
    COpenFile(std::u16string initialDirectory, std::u16string filter,
              std::u16string defaultExtension, int saveMode);

    const std::u16string initialDirectory;
    const std::u16string filter;
    const std::u16string defaultExtension;
    const int saveMode;
};

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // Full path the user confirmed, or "" when the choice was cancelled.
    virtual std::u16string choose(const COpenFile& request) = 0;
};

// The system file dialog, modal over its owner and titled "OPEN" or "SAVE", or in the titles
// given.
class CQtFileChooser : public IFileChooser {
public:
    explicit CQtFileChooser(QWidget& owner, std::u16string openTitle = u"OPEN",
                            std::u16string saveTitle = u"SAVE")
        : owner_(owner), openTitle_(std::move(openTitle)), saveTitle_(std::move(saveTitle)) {}
    std::u16string choose(const COpenFile& request) override;

private:
    QWidget& owner_;
    std::u16string openTitle_;
    std::u16string saveTitle_;
};

// "Desc|pat1;pat2|..." as Qt name filters ("Desc (pat1 pat2)"); a description that already
// ends with its patterns in brackets is kept as it is.
std::u16string toQtNameFilters(const std::u16string& filter);

} // namespace krv
