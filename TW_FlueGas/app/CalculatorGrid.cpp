#include "CalculatorGrid.h"

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include "WindowTexts.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// The border of the grid: 15 twips on each side, so the grid is the table plus 30 twips.
constexpr int kGridBorderTwips = 15;

bool isFixedCell(int row, int column) {
    return row < kFixedRows || column < kFixedColumns;
}

QColor buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}

}  // namespace

CalculatorTableModel::CalculatorTableModel(CalculatorTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int CalculatorTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTableRows;
}

int CalculatorTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTableColumns;
}

QVariant CalculatorTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(table_.text(row, column));
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignCenter);
        case Qt::FontRole: {
            QFont font(kControlFontFamily);
            font.setPointSize(isFixedCell(row, column) ? kControlFontSize
                                                       : table_.cellStyle(row, column).fontSize);
            return font;
        }
        case Qt::BackgroundRole: {
            if (isFixedCell(row, column)) return buttonFace();
            if (table_.cellStyle(row, column).background == CellBackground::Input) {
                return QColor(kInputBackground.red, kInputBackground.green, kInputBackground.blue);
            }
            return buttonFace();
        }
        case Qt::ForegroundRole:
            if (column == colValue && row > 0 && staleRows_.test(static_cast<std::size_t>(row))) {
                return QColor(128, 128, 128);
            }
            return QApplication::palette().color(QPalette::WindowText);
        case Qt::ToolTipRole:
            if (toolTip_ && row > 0) {
                const QString tip = toolTip_(row);
                if (!tip.isEmpty()) return tip;
            }
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags CalculatorTableModel::flags(const QModelIndex& index) const {
    // Fixed cells are not enabled, so neither the mouse nor the keyboard can make them current.
    if (!index.isValid() || isFixedCell(index.row(), index.column())) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled;
}

void CalculatorTableModel::setStaleRows(std::bitset<kTableRows> rows) {
    if (rows == staleRows_) return;
    staleRows_ = rows;
    refresh();
}

void CalculatorTableModel::refresh() {
    emit dataChanged(index(0, 0), index(kTableRows - 1, kTableColumns - 1));
}

CalculatorGrid::CalculatorGrid(CalculatorTable& table, QWidget* parent)
    : QTableView(parent), table_(table), model_(table) {
    setModel(&model_);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    for (int column = 0; column < kTableColumns; ++column) {
        setColumnWidth(column, twipsToPixels(kColumnWidthTwips[static_cast<std::size_t>(column)]));
    }
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(twipsToPixels(kMinimumRowHeightTwips));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Typing goes to the in-place editor, which takes the focus back whenever an editable cell
    // is entered.
    setFocusPolicy(Qt::ClickFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(twipsToPixels(kGridBorderTwips));
    setWordWrap(false);
    setFixedSize(gridSize());
    QFont font(kControlFontFamily);
    font.setPointSize(kControlFontSize);
    setFont(font);
    // Grid lines in the colour of a classic flex grid.
    setStyleSheet(QStringLiteral("QTableView { gridline-color: #808080; }"));
}

QSize CalculatorGrid::gridSize() {
    int width = 0;
    for (int w : kColumnWidthTwips) width += twipsToPixels(w);
    const int height = kTableRows * twipsToPixels(kMinimumRowHeightTwips);
    const int border = 2 * twipsToPixels(kGridBorderTwips);
    return {width + border, height + border};
}

void CalculatorGrid::showCurrentCell() {
    const QModelIndex current = model_.index(table_.row(), table_.col());
    if (selectionModel()->currentIndex() != current) {
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    }
    model_.refresh();
}

QRect CalculatorGrid::cellRect(int row, int column) const {
    const QRect inViewport = visualRect(model_.index(row, column));
    return QRect(viewport()->mapTo(this, inViewport.topLeft()), inViewport.size());
}

void CalculatorGrid::mousePressEvent(QMouseEvent* event) {
    // The table decides the current cell; the view only reports the click.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        !isFixedCell(index.row(), index.column())) {
        emit cellClicked(index.row(), index.column());
    }
    event->accept();
}

void CalculatorGrid::keyPressEvent(QKeyEvent* event) {
    // The table decides the current cell: the view's own cursor keys and search do not run.
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        emit rowStepRequested(event->key() == Qt::Key_Up ? -1 : +1);
        event->accept();
        return;
    }
    event->ignore();
}

}  // namespace tw::fluegas
