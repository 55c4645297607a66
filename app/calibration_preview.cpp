#include "app/calibration_preview.h"

#include "app/calibration_marks.h"
#include "calibration/calibration_texts.h"
#include "device/units.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "platform/text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace krv {

namespace {

constexpr int kColumnWidth = 50;
constexpr int kRowHeight = 34; // two lines: the proposed value and its difference
const QColor kKeptText(140, 140, 140);

QString text(std::u16string_view polish) {
    return QString::fromStdU16String(translate(polish));
}

QString cellText(const CellProposal& cell) {
    const double proposed = units::mapCellVolts(cell.proposed);
    QString shown = QString::fromStdU16String(formatText("%.2f", proposed));
    if (cell.proposed != cell.current) {
        shown += QString::fromStdU16String(
            formatText("\n%+.2f", proposed - units::mapCellVolts(cell.current)));
    }
    return shown;
}

} // namespace

bool hasProposedValue(const CellProposal& cell) {
    return cell.status == CellStatus::Learned || cell.status == CellStatus::Predicted;
}

CCalibrationPreview::CCalibrationPreview(const CalibrationProposal& proposal,
                                         const MapSnapshot& map, QWidget* parent)
    : QDialog(parent), proposal_(proposal), table_(new QTableWidget(kMapRows, kMapColumns, this)),
      write_(new QPushButton(text(texts::kWriteToController), this)),
      writeSelected_(new QPushButton(text(texts::kWriteSelectedCells), this)),
      discard_(new QPushButton(text(texts::kDiscard), this)) {
    setWindowTitle(text(texts::kCalibrationPreviewTitle));
    auto* summary =
        new QLabel(QString::fromStdU16String(summaryLineForLabel(proposal.summary)), this);
    auto* hint = new QLabel(text(texts::kCalibrationPreviewHint), this);
    hint->setWordWrap(true);
    fillTable(map);

    const bool anyProposed = proposal.summary.learned + proposal.summary.predicted > 0;
    write_->setEnabled(anyProposed);
    write_->setDefault(anyProposed);
    writeSelected_->setEnabled(false);
    writeSelected_->setAutoDefault(false);
    discard_->setAutoDefault(false);
    connect(write_, &QPushButton::clicked, this, [this] {
        onlySelected_ = false;
        accept();
    });
    connect(writeSelected_, &QPushButton::clicked, this, [this] {
        onlySelected_ = true;
        accept();
    });
    connect(discard_, &QPushButton::clicked, this, &QDialog::reject);
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { writeSelected_->setEnabled(selectedHasProposal()); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(write_);
    buttons->addWidget(writeSelected_);
    buttons->addWidget(discard_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(hint);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    // Without a focus there, Enter would reach the table and not the default button.
    write_->setFocus();
}

void CCalibrationPreview::fillTable(const MapSnapshot& map) {
    QStringList columns;
    for (uint8_t wire : map.columns) {
        columns << QString::fromStdU16String(formatText("%.0f", units::columnBreakRpm(wire)));
    }
    QStringList rows;
    for (int16_t wire : map.rows) {
        rows << QString::fromStdU16String(formatText("%.2f", units::rowBreakVolts(wire)));
    }
    table_->setHorizontalHeaderLabels(columns);
    table_->setVerticalHeaderLabels(rows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    const std::vector<CellMark> marks = differenceMarks(proposal_);
    for (int r = 0; r < kMapRows; ++r) {
        for (int c = 0; c < kMapColumns; ++c) {
            const auto index = static_cast<size_t>(r) * kMapColumns + c;
            const CellProposal& cell = proposal_.cells[index];
            auto* item = new QTableWidgetItem(cellText(cell));
            item->setTextAlignment(Qt::AlignCenter);
            item->setBackground(marks[index].background);
            item->setToolTip(marks[index].toolTip);
            if (!hasProposedValue(cell)) {
                item->setForeground(kKeptText);
            }
            table_->setItem(r, c, item);
        }
    }
    const int frame = 2 * table_->frameWidth();
    table_->setFixedSize(
        table_->verticalHeader()->sizeHint().width() + kMapColumns * kColumnWidth + frame,
        table_->horizontalHeader()->sizeHint().height() + kMapRows * kRowHeight + frame);
}

bool CCalibrationPreview::selectedHasProposal() const {
    for (const QTableWidgetItem* item : table_->selectedItems()) {
        const auto index = static_cast<size_t>(item->row()) * kMapColumns + item->column();
        if (hasProposedValue(proposal_.cells[index])) {
            return true;
        }
    }
    return false;
}

MapCells CCalibrationPreview::acceptedCells() const {
    MapCells cells{};
    for (size_t i = 0; i < kMapCells; ++i) {
        const CellProposal& cell = proposal_.cells[i];
        const bool accepted =
            hasProposedValue(cell) &&
            (!onlySelected_ ||
             table_->item(int(i / kMapColumns), int(i % kMapColumns))->isSelected());
        cells[i] = accepted ? cell.proposed : cell.current;
    }
    return cells;
}

} // namespace krv
