#include "CellPaste.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include "CalculatorTable.h"
#include "tw/Language.h"

namespace tw::fluegas {
namespace {

constexpr BilingualText kDropped{"붙여넣은 글자 중 셀에 넣을 수 없는 %1 자를 뺐습니다.",
                                 "%1 characters of the pasted text that a cell does not take "
                                 "were left out."};
constexpr BilingualText kNothing{
    "붙여넣지 않았습니다. 셀에 넣을 수 있는 글자(숫자, -, ., E)가 없습니다.",
    "Nothing was pasted: the text holds no character that a cell takes (digits, -, ., E)."};

// The editor's own context menu, in the program language.
constexpr BilingualText kUndo{"실행 취소(&U)", "&Undo"};
constexpr BilingualText kRedo{"다시 실행(&R)", "&Redo"};
constexpr BilingualText kCut{"잘라내기(&T)", "Cu&t"};
constexpr BilingualText kCopy{"복사(&C)", "&Copy"};
constexpr BilingualText kPaste{"붙여넣기(&P)", "&Paste"};
constexpr BilingualText kDelete{"삭제(&D)", "&Delete"};
constexpr BilingualText kSelectAll{"모두 선택(&A)", "Select &All"};

bool takenByACell(char32_t c) {
    // The editor's key rule, less the backspace key, which is no character of a text.
    return c < 128 && c != 8 && isAcceptedEditorKey(static_cast<int>(c));
}

}  // namespace

FilteredPaste filterPastedText(const QString& text) {
    FilteredPaste filtered;
    for (const char32_t c : text.toUcs4()) {
        if (takenByACell(c)) {
            filtered.text += QChar(static_cast<char16_t>(c));
        } else {
            ++filtered.dropped;
        }
    }
    return filtered;
}

QValidator::State CellTextValidator::validate(QString& input, int& position) const {
    const FilteredPaste filtered = filterPastedText(input);
    if (filtered.dropped > 0) {
        // The caret keeps its place among the characters that stay.
        position = static_cast<int>(filterPastedText(input.left(position)).text.size());
        input = filtered.text;
    }
    if (input.size() > kCellTextLimit) input.truncate(kCellTextLimit);
    position = std::min(position, static_cast<int>(input.size()));
    return Acceptable;
}

CellPaste::CellPaste(QLineEdit& editor, std::function<void(const QString&)> status,
                     std::function<std::int32_t()> language)
    : QObject(&editor),
      editor_(editor),
      status_(std::move(status)),
      language_(std::move(language)) {
    editor_.setMaxLength(kCellTextLimit);
    editor_.setValidator(new CellTextValidator(&editor_));
    editor_.setAcceptDrops(false);
    editor_.installEventFilter(this);
}

void CellPaste::paste(const QString& text) {
    FilteredPaste filtered = filterPastedText(text);
    const int room = kCellTextLimit - static_cast<int>(editor_.text().size()) +
                     static_cast<int>(editor_.selectedText().size());
    if (filtered.text.size() > room) {
        filtered.dropped += static_cast<int>(filtered.text.size()) - std::max(room, 0);
        filtered.text.truncate(std::max(room, 0));
    }
    const std::int32_t language = language_();
    if (filtered.text.isEmpty()) {
        if (const char* said = kNothing.in(language)) status_(QString::fromUtf8(said));
        return;
    }
    editor_.insert(filtered.text);
    if (filtered.dropped > 0) {
        if (const char* said = kDropped.in(language)) {
            status_(QString::fromUtf8(said).arg(filtered.dropped));
        }
    }
}

void CellPaste::showContextMenu(const QPoint& at) {
    const std::int32_t language = language_();
    QMenu menu(&editor_);
    const auto add = [&](const BilingualText& text, QKeySequence::StandardKey key, bool enabled,
                         const char* name, const std::function<void()>& run) {
        const char* caption = text.in(language);
        QAction* action = menu.addAction(QString::fromUtf8(caption != nullptr ? caption : ""));
        action->setShortcut(QKeySequence(key));
        action->setEnabled(enabled);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, run);
    };
    const bool selected = editor_.hasSelectedText();
    add(kUndo, QKeySequence::Undo, editor_.isUndoAvailable(), "edit-undo",
        [this] { editor_.undo(); });
    add(kRedo, QKeySequence::Redo, editor_.isRedoAvailable(), "edit-redo",
        [this] { editor_.redo(); });
    menu.addSeparator();
    add(kCut, QKeySequence::Cut, selected, "edit-cut", [this] { editor_.cut(); });
    add(kCopy, QKeySequence::Copy, selected, "edit-copy", [this] { editor_.copy(); });
    add(kPaste, QKeySequence::Paste, !QApplication::clipboard()->text().isEmpty(), "edit-paste",
        [this] { paste(QApplication::clipboard()->text()); });
    add(kDelete, QKeySequence::Delete, selected, "edit-delete", [this] { editor_.del(); });
    menu.addSeparator();
    add(kSelectAll, QKeySequence::SelectAll, !editor_.text().isEmpty(), "select-all",
        [this] { editor_.selectAll(); });
    menu.exec(at);
}

bool CellPaste::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &editor_ || editor_.isReadOnly()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
                paste(QApplication::clipboard()->text());
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
                paste(QApplication::clipboard()->text(QClipboard::Selection));
                return true;
            }
            break;
        case QEvent::ContextMenu:
            showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tw::fluegas
