#pragma once
// The grid msfInput: a table view of the calculator table. The table is the state; the model
// only shows its texts and cell styles, and the view reports the cell the user clicks. The
// current cell is the table's; fixed cells (row 0, columns 0 and 1) can never become current.

#include <QAbstractTableModel>
#include <QTableView>
#include <bitset>
#include <functional>

#include "CalculatorTable.h"

namespace tw::fluegas {

class CalculatorTableModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit CalculatorTableModel(CalculatorTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The table changed (texts, styles): every cell is shown again.
    void refresh();
    // Rows whose numbers belong to earlier inputs: their values show in grey.
    void setStaleRows(std::bitset<kTableRows> rows);
    // The tooltip of a row ("" for none).
    void setToolTips(std::function<QString(int row)> toolTip) { toolTip_ = std::move(toolTip); }

  private:
    CalculatorTable& table_;
    std::bitset<kTableRows> staleRows_;
    std::function<QString(int)> toolTip_;
};

// The grid control. Geometry is that of the calculator's grid: column widths 3000, 2000, 2000
// twips, rows 300 twips, the whole table visible without scrolling. Typing goes to the
// window's in-place editor; the grid takes the keyboard focus only when clicked where the
// editor does not go (a result row, the fixed cells), so that the window's copy command and the
// arrow keys reach it there.
class CalculatorGrid final : public QTableView {
    Q_OBJECT
  public:
    explicit CalculatorGrid(CalculatorTable& table, QWidget* parent = nullptr);

    CalculatorTableModel& tableModel() noexcept { return model_; }
    // Shows the table's current cell as the view's current cell.
    void showCurrentCell();
    // The rectangle of a cell relative to the grid (CellLeft, CellTop, CellWidth, CellHeight).
    QRect cellRect(int row, int column) const;
    // Width and height of the whole grid: the column widths and row heights plus 30 twips.
    static QSize gridSize();

  signals:
    // The user clicked a cell that may become current.
    void cellClicked(int row, int column);
    // Up (-1) or Down (+1) was pressed while the grid had the focus.
    void rowStepRequested(int delta);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    CalculatorTable& table_;
    CalculatorTableModel model_;
};

}  // namespace tw::fluegas
