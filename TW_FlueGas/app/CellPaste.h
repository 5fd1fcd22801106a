#pragma once
// Text pasted into the cell editor obeys the rule of typed text: every route of a paste (Ctrl+V,
// Shift+Insert, the middle button's selection, the context menu) drops the characters a cell
// refuses, a cell holds at most kCellTextLimit characters, and the status bar says what was
// dropped; a paste that leaves nothing is refused. Text dragged onto the editor is not taken.
// The editor's context menu is our own, in the program language, so that its Paste is this one.

#include <QObject>
#include <QString>
#include <QValidator>
#include <cstdint>
#include <functional>

class QLineEdit;

namespace tw::fluegas {

inline constexpr int kCellTextLimit = 64;

// The characters of `text` that a cell takes, in order, and how many others were left out.
struct FilteredPaste {
    QString text;
    int dropped = 0;
};
FilteredPaste filterPastedText(const QString& text);

// The last guard: whatever reaches the editor by any route keeps only the characters a cell
// takes.
class CellTextValidator final : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

class CellPaste final : public QObject {
    Q_OBJECT
  public:
    // `status` shows a line in the status bar; `language` gives the program language.
    CellPaste(QLineEdit& editor, std::function<void(const QString&)> status,
              std::function<std::int32_t()> language);

    // Pastes `text` at the editor's caret (over its selection) by the rule above.
    void paste(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showContextMenu(const QPoint& at);

    QLineEdit& editor_;
    std::function<void(const QString&)> status_;
    std::function<std::int32_t()> language_;
};

}  // namespace tw::fluegas
