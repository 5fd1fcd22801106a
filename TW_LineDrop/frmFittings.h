#pragma once
// frmFittings: the fittings of one segment, a row per group (kind from the catalogue, quantity,
// Para1, Para2). The parameter cells a kind does not use are locked, and their headings name
// what the current row's kind takes.

#include <QDialog>
#include <cstdint>
#include <optional>
#include <vector>

#include "tw/Line.h"

class QTableWidget;
class QLabel;

namespace tw::linedrop {

class frmFittings final : public QDialog {
    Q_OBJECT
  public:
    frmFittings(std::vector<tw::line::FittingGroup> fittings, int segment, std::int32_t language,
                QWidget* parent = nullptr);

    QTableWidget* table() const noexcept { return table_; }
    // The groups as edited; nothing (with a message) when a cell is not a number.
    std::optional<std::vector<tw::line::FittingGroup>> fittings() const;
    void addRow(const tw::line::FittingGroup& group);
    void accept() override;

  private:
    void showParameters(int row);

    std::vector<tw::line::FittingGroup> original_;
    std::int32_t language_;
    QTableWidget* table_ = nullptr;
    QLabel* parameters_ = nullptr;
};

// The names of Para1 and Para2 of a catalogue kind in `language` (nullptr: not used).
std::pair<const char*, const char*> parameterNames(std::int32_t kind, std::int32_t language);

}  // namespace tw::linedrop
