#include "app/map_block_commands.h"

#include "app/map_keeper.h"
#include "connection/lpg_connection.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "link/message.h"
#include "map/map_emu1.h"
#include "map_blocks/block_text.h"
#include "platform/text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLocale>
#include <memory>

namespace krv {

namespace {

// Backup file names end with the operation that overwrote the map.
constexpr std::string_view kSetBackup = "edit-set";
constexpr std::string_view kAverageBackup = "edit-average";
constexpr std::string_view kAddBackup = "edit-add";
constexpr std::string_view kScaleBackup = "edit-scale";
constexpr std::string_view kInterpolateBackup = "edit-interpolate";
constexpr std::string_view kSmoothBackup = "edit-smooth";
constexpr std::string_view kPasteBackup = "edit-paste";

constexpr double kFullScale = 100.0; // percent that leaves a cell as it is

QString qtext(std::u16string_view text) {
    return QString::fromStdU16String(std::u16string(text));
}

std::u16string saturationNote(const std::vector<MapCell>& saturated) {
    if (saturated.empty()) {
        return {};
    }
    const std::u16string names = toU16(cellNames(saturated));
    return fillIn(translate(texts::kSaturatedCells), {names});
}

} // namespace

CMapBlockCommands::CMapBlockCommands(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window,
                                     StatusLine status)
    : keeper_(keeper), grid_(grid), window_(window), status_(std::move(status)) {}

std::optional<Block> CMapBlockCommands::selectedBlock() const {
    const auto bounds = grid_.selectionBounds();
    if (!bounds) {
        return std::nullopt;
    }
    // The grid only ever selects rectangles: the first and last cell are its corners.
    return Block{bounds->first.row, bounds->first.column, bounds->last.row, bounds->last.column};
}

void CMapBlockCommands::run(std::string_view backupTag, std::u16string_view operation,
                            Operation apply) {
    const auto block = selectedBlock();
    if (!block || !block->inMap()) {
        return;
    }
    if (!grid_.model().loaded()) {
        showProgramMessage(nullptr, texts::kNoConnection, MB_OK);
        return;
    }
    if (!keeper_.backUp(backupTag)) {
        return;
    }
    // Computed when the edit's turn comes, from what the controller holds then.
    auto saturated = std::make_shared<std::vector<MapCell>>();
    grid_.submitEdit(
        operation,
        [apply = std::move(apply), block = *block, saturated](const MapSnapshot& base) {
            BlockResult result = apply(base.cells, block);
            *saturated = std::move(result.saturated);
            MapSnapshot target = base;
            target.cells = result.cells;
            return std::optional<MapSnapshot>(target);
        },
        WriteKind::Cells,
        [this, saturated](bool written, const MapSnapshot& before) {
            if (written) {
                grid_.recordChange(before);
            }
            status_(saturationNote(*saturated));
        });
}

std::optional<double> CMapBlockCommands::askNumber(std::u16string_view prompt,
                                                   const QString& initial) {
    QInputDialog asking(&window_);
    asking.setWindowTitle(window_.windowTitle());
    asking.setLabelText(qtext(translate(prompt)));
    asking.setTextValue(initial);
    // Wide enough for the window's title, which a box as narrow as its prompt would cut.
    asking.setMinimumWidth(asking.fontMetrics().horizontalAdvance(window_.windowTitle()) + 120);
    if (asking.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QString typed = asking.textValue();
    const auto number = parseDecimal(typed.toStdString());
    if (!number) {
        sayFailure(fillIn(translate(texts::kMapNotANumber), {typed.toStdU16String()}));
    }
    return number;
}

void CMapBlockCommands::sayFailure(const std::u16string& text) const {
    showProgramMessage(&window_, text, MB_OK | MB_ICONERROR);
}

void CMapBlockCommands::askAndSet() {
    const auto block = selectedBlock();
    if (!block) {
        return;
    }
    const QString shown = QString::fromStdU16String(
        formatText("%.2f", units::mapCellVolts(grid_.model().shown().cells[static_cast<size_t>(
                               block->firstRow * kMapColumns + block->firstColumn)])));
    if (const auto volts = askNumber(texts::kMapSetValuePrompt, shown)) {
        setTo(*volts);
    }
}

void CMapBlockCommands::askAndAdd() {
    if (!selectedBlock()) {
        return;
    }
    if (const auto volts = askNumber(texts::kMapAddPrompt, QStringLiteral("0.00"))) {
        add(*volts);
    }
}

void CMapBlockCommands::askAndScale() {
    if (!selectedBlock()) {
        return;
    }
    if (const auto percent = askNumber(texts::kMapScalePrompt, QString::number(kFullScale))) {
        scale(*percent);
    }
}

void CMapBlockCommands::setTo(double volts) {
    run(kSetBackup, u"CMapBlockCommands::setTo()",
        [volts](const MapCells& cells, const Block& block) {
            return krv::setTo(cells, block, volts);
        });
}

void CMapBlockCommands::setToAverage() {
    run(kAverageBackup, u"CMapBlockCommands::setToAverage()",
        [](const MapCells& cells, const Block& block) { return krv::setToAverage(cells, block); });
}

void CMapBlockCommands::add(double volts) {
    run(kAddBackup, u"CMapBlockCommands::add()",
        [volts](const MapCells& cells, const Block& block) {
            return krv::add(cells, block, volts);
        });
}

void CMapBlockCommands::scale(double percent) {
    run(kScaleBackup, u"CMapBlockCommands::scale()",
        [percent](const MapCells& cells, const Block& block) {
            return krv::scale(cells, block, percent);
        });
}

void CMapBlockCommands::interpolate(Interpolation kind) {
    run(kInterpolateBackup, u"CMapBlockCommands::interpolate()",
        [kind](const MapCells& cells, const Block& block) {
            return krv::interpolate(cells, block, kind);
        });
}

void CMapBlockCommands::smooth() {
    run(kSmoothBackup, u"CMapBlockCommands::smooth()",
        [](const MapCells& cells, const Block& block) { return krv::smooth(cells, block); });
}

void CMapBlockCommands::copy() const {
    const auto block = selectedBlock();
    if (!block || !block->inMap()) {
        return;
    }
    // A spreadsheet in a locale with a decimal comma reads only commas as numbers.
    const char point = QLocale().decimalPoint() == QStringLiteral(",") ? ',' : '.';
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(copyText(grid_.model().shown().cells, *block, point)));
}

void CMapBlockCommands::paste(bool adding) {
    const auto block = selectedBlock();
    if (!block) {
        return;
    }
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    // Checked against what is shown now, so a text that cannot go in is refused before the
    // backup; the write itself pastes into what the controller holds when its turn comes.
    const PasteResult check = adding ? pasteAdd(grid_.model().shown().cells, *block, text)
                                     : krv::paste(grid_.model().shown().cells, *block, text);
    if (!check.ok()) {
        sayFailure(check.error);
        return;
    }
    run(kPasteBackup, u"CMapBlockCommands::paste()",
        [adding, text](const MapCells& cells, const Block& block) {
            const PasteResult pasted =
                adding ? pasteAdd(cells, block, text) : krv::paste(cells, block, text);
            return pasted.result.value_or(BlockResult{cells, {}});
        });
}

} // namespace krv
