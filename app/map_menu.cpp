#include "app/map_menu.h"

#include "app/map_keeper.h"
#include "lang/program_texts.h"
#include "lang/translate.h"
#include "map/map_emu1.h"
#include "map/map_key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <functional>

namespace krv {

namespace {

QString text(std::u16string_view polish) {
    return QString::fromStdU16String(translate(polish));
}

} // namespace

CMapMenu::CMapMenu(CMapKeeper& keeper, CMapEmu1& grid, QWidget& window)
    : keeper_(keeper), grid_(&grid), window_(&window) {
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&grid, &QWidget::customContextMenuRequested, this,
                     [this](const QPoint& point) { popUp(point); });
    qApp->installEventFilter(this);
}

CMapMenu::~CMapMenu() {
    qApp->removeEventFilter(this);
}

std::unique_ptr<QMenu> CMapMenu::buildMenu() {
    auto menu = std::make_unique<QMenu>(grid_);
    CMapKeeper& keeper = keeper_;
    const auto add = [&](std::u16string_view caption, QKeySequence keys, bool enabled,
                         std::function<void()> command) {
        QAction* action = menu->addAction(text(caption));
        action->setShortcut(keys);
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, this, std::move(command));
    };
    add(texts::kUndo, QKeySequence(Qt::CTRL | Qt::Key_Z), keeper.canUndo(),
        [&keeper] { keeper.undo(); });
    add(texts::kRedo, QKeySequence(Qt::CTRL | Qt::Key_Y), keeper.canRedo(),
        [&keeper] { keeper.redo(); });
    if (moreEntries_) {
        moreEntries_(*menu);
    }
    menu->addSeparator();
    add(texts::kSaveMapToFile, QKeySequence(Qt::CTRL | Qt::Key_S), true,
        [&keeper] { keeper.saveToFile(); });
    add(texts::kLoadMapFromFile, QKeySequence(Qt::CTRL | Qt::Key_O), true,
        [&keeper] { keeper.loadFromFile(); });
    add(texts::kCompareWithFile, {}, true, [&keeper] { keeper.compareWithFile(); });
    add(texts::kEndCompare, {}, keeper.isComparing(), [&keeper] { keeper.endCompare(); });
    if (calibrateFromFile_) {
        add(texts::kCalibrateFromFile, {}, calibrateFromFileAvailable_(), calibrateFromFile_);
    }
    menu->addSeparator();
    add(texts::kBackups, {}, true, [&keeper] { keeper.loadBackup(); });
    if (lastEntries_) {
        lastEntries_(*menu);
    }
    return menu;
}

void CMapMenu::popUp(const QPoint& gridPoint) {
    if (grid_ == nullptr) {
        return;
    }
    // Held until its entry has run: the entry may open dialogs of its own.
    const std::unique_ptr<QMenu> menu = buildMenu();
    menu->exec(grid_->mapToGlobal(gridPoint));
}

void CMapMenu::setCalibrateFromFile(std::function<void()> command,
                                    std::function<bool()> available) {
    calibrateFromFile_ = std::move(command);
    calibrateFromFileAvailable_ = std::move(available);
}

bool CMapMenu::eventFilter(QObject* watched, QEvent* event) {
    const QKeyEvent* key = keyPressIn(window_, watched, event);
    if (key == nullptr || grid_ == nullptr) {
        return false;
    }
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    const bool ctrl = modifiers == Qt::ControlModifier;
    const bool ctrlShift = modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    if (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) {
        popUp(QPoint(grid_->width() / 4, grid_->height() / 4));
    } else if (key->key() == Qt::Key_Z && ctrl) {
        keeper_.undo();
    } else if ((key->key() == Qt::Key_Y && ctrl) || (key->key() == Qt::Key_Z && ctrlShift)) {
        keeper_.redo();
    } else if (key->key() == Qt::Key_S && ctrl) {
        keeper_.saveToFile();
    } else if (key->key() == Qt::Key_O && ctrl) {
        keeper_.loadFromFile();
    } else {
        return false;
    }
    return true;
}

} // namespace krv
