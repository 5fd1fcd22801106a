#include "TWRTFOutput/ctlTWRTFOutput_d.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolBar>
#include <algorithm>
#include <array>
#include <cmath>

#include "PropertyBag.h"
#include "TWRTFOutput/RtfTextDocument.h"
#include "tw/Language.h"
#include "tw/Twips.h"

namespace {

constexpr double kTwipsPerCm = 567.0;
// Half the space between the texts of neighbouring table cells, twips: word processors' own.
constexpr int kTableCellGap = 108;
constexpr const char* kMessageCaption = "TWRTFOutput";
constexpr const char* kFileFilter = "Rich Text Format files (*.rtf)";

struct PaperKind {
    int kind;
    float widthTwips;
    QPageSize::PageSizeId pageSize;
    QPageLayout::Orientation orientation;
};
// Width = side length in centimetres x 567 twips.
constexpr std::array<PaperKind, 8> kPaperKinds = {{
    {ctlTWRTFOutput_d::A4_Portrait, 11907.0f, QPageSize::A4, QPageLayout::Portrait},
    {ctlTWRTFOutput_d::A4_Landscape, 16839.9f, QPageSize::A4, QPageLayout::Landscape},
    {ctlTWRTFOutput_d::A3_Portrait, 16839.9f, QPageSize::A3, QPageLayout::Portrait},
    {ctlTWRTFOutput_d::A3_Landscape, 23814.0f, QPageSize::A3, QPageLayout::Landscape},
    {ctlTWRTFOutput_d::B5_Portrait, 10319.4f, QPageSize::JisB5, QPageLayout::Portrait},
    {ctlTWRTFOutput_d::B5_Landscape, 14571.9f, QPageSize::JisB5, QPageLayout::Landscape},
    {ctlTWRTFOutput_d::B4_Portrait, 14571.9f, QPageSize::JisB4, QPageLayout::Portrait},
    {ctlTWRTFOutput_d::B4_Landscape, 20638.8f, QPageSize::JisB4, QPageLayout::Landscape},
}};

const PaperKind* findPaperKind(int kind) {
    const auto* it = std::find_if(kPaperKinds.begin(), kPaperKinds.end(),
                                  [kind](const PaperKind& p) { return p.kind == kind; });
    return it == kPaperKinds.end() ? nullptr : it;
}

constexpr double twipsToPx(double twips) {
    return twips / tw::kTwipsPerPixel;
}
constexpr double pxToTwips(double px) {
    return px * tw::kTwipsPerPixel;
}

// The entries of the size list, as written (the last three with a leading blank).
constexpr std::array<const char*, 16> kSizeEntries = {"8",  "9",   "10",  "11", "12", "14",
                                                      "16", "18",  "20",  "22", "24", "26",
                                                      "28", " 36", " 48", " 72"};

constexpr tw::BilingualText kSavePreviousQuestion = {"이전 파일을 보관하시겠습니까?",
                                                     "Will you save the previous file."};

// Platform error numbers and descriptions for file and printer failures.
struct PlatformError {
    int number;
    const char* description;
};
constexpr PlatformError kFileNotFound = {53, "File not found"};
constexpr PlatformError kDeviceIoError = {57, "Device I/O error"};
constexpr PlatformError kDiskFull = {61, "Disk full"};
constexpr PlatformError kPermissionDenied = {70, "Permission denied"};
constexpr PlatformError kPathFileAccessError = {75, "Path/File access error"};
constexpr PlatformError kInvalidFileFormat = {321, "Invalid file format"};
constexpr PlatformError kPrinterError = {482, "Printer error"};

PlatformError fileError(const QFileDevice& file) {
    switch (file.error()) {
        case QFileDevice::PermissionsError:
            return kPermissionDenied;
        case QFileDevice::ResourceError:
            return kDiskFull;
        case QFileDevice::ReadError:
        case QFileDevice::WriteError:
            return kDeviceIoError;
        case QFileDevice::OpenError:
            return QFile::exists(file.fileName()) ? kPathFileAccessError : kFileNotFound;
        default:
            return kPathFileAccessError;
    }
}

class QtDialogs final : public RtfOutputDialogs {
  public:
    std::optional<QString> openFileName(QWidget* parent, const QString& title,
                                        const QString& filter) override {
        QFileDialog dialog(parent, title, QString(), filter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front();
    }
    std::optional<QString> saveFileName(QWidget* parent, const QString& title,
                                        const QString& filter,
                                        const QString& defaultSuffix) override {
        return saveFileNameSuggesting(parent, title, filter, defaultSuffix, QString());
    }
    std::optional<QString> saveFileNameSuggesting(QWidget* parent, const QString& title,
                                                  const QString& filter,
                                                  const QString& defaultSuffix,
                                                  const QString& suggested) override {
        QFileDialog dialog(parent, title, QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        if (!suggested.isEmpty()) dialog.selectFile(suggested);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front();
    }
    bool print(QWidget* parent, const QString& title, QPrinter& printer, bool hasSelection,
               bool& selectionOnly) override {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(title);
        QAbstractPrintDialog::PrintDialogOptions options =
            QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize;
        if (hasSelection) options |= QAbstractPrintDialog::PrintSelection;
        dialog.setOptions(options);
        if (dialog.exec() != QDialog::Accepted) return false;
        selectionOnly = printer.printRange() == QPrinter::Selection;
        return true;
    }
    QMessageBox::StandardButton askYesNoCancel(QWidget* parent, const QString& caption,
                                               const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, caption, text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }
    void showCritical(QWidget* parent, const QString& caption, const QString& text) override {
        QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
    }
};

// Toolbar pictures drawn at run time, so that the library needs no image files.
QIcon drawnIcon(const QString& key) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    auto letter = [&](const QString& text, auto&& adjust) {
        QFont f("Serif");
        f.setPixelSize(14);
        adjust(f);
        p.setFont(f);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, text);
    };
    auto lines = [&](int shortLeft, int shortRight) {
        for (int i = 0; i < 4; ++i) {
            const bool shortLine = i % 2 == 1;
            const int left = shortLine ? shortLeft : 1;
            const int right = shortLine ? 15 - shortRight : 15;
            p.drawLine(left, 2 + i * 4, right, 2 + i * 4);
        }
    };
    if (key == "bold")
        letter("B", [](QFont& f) { f.setBold(true); });
    else if (key == "italic")
        letter("I", [](QFont& f) { f.setItalic(true); });
    else if (key == "strikethru")
        letter("S", [](QFont& f) { f.setStrikeOut(true); });
    else if (key == "underline")
        letter("U", [](QFont& f) { f.setUnderline(true); });
    else if (key == "left")
        lines(1, 6);
    else if (key == "center")
        lines(4, 4);
    else if (key == "right")
        lines(6, 1);
    else if (key == "print") {
        p.drawRect(4, 1, 8, 5);
        p.drawRect(1, 6, 14, 6);
        p.fillRect(4, 10, 8, 5, Qt::white);
        p.drawRect(4, 10, 8, 5);
    } else if (key == "cut") {
        p.drawEllipse(2, 10, 4, 4);
        p.drawEllipse(10, 10, 4, 4);
        p.drawLine(5, 10, 11, 1);
        p.drawLine(11, 10, 5, 1);
    } else if (key == "copy") {
        p.drawRect(1, 1, 9, 10);
        p.fillRect(5, 5, 10, 10, Qt::white);
        p.drawRect(5, 5, 9, 10);
    } else if (key == "paste") {
        p.drawRect(2, 2, 11, 13);
        p.fillRect(5, 1, 5, 3, Qt::gray);
        p.fillRect(7, 6, 8, 9, Qt::white);
        p.drawRect(7, 6, 7, 9);
    } else if (key == "delete") {
        p.setPen(QPen(Qt::darkRed, 2));
        p.drawLine(3, 3, 13, 13);
        p.drawLine(13, 3, 3, 13);
    } else if (key == "saveas") {
        p.drawRect(1, 1, 12, 13);
        p.fillRect(4, 1, 6, 4, Qt::gray);
        p.setPen(QPen(Qt::darkBlue, 2));
        p.drawLine(8, 14, 15, 7);
    }
    return QIcon(pixmap);
}

QIcon iconFor(const QString& key, const QStyle* style) {
    if (key == "new") return style->standardIcon(QStyle::SP_FileIcon);
    if (key == "open") return style->standardIcon(QStyle::SP_DialogOpenButton);
    if (key == "save") return style->standardIcon(QStyle::SP_DialogSaveButton);
    if (key == "close") return style->standardIcon(QStyle::SP_DialogCloseButton);
    return drawnIcon(key);
}

// Character formats of the selected fragments, or the insertion format without a selection.
std::vector<QTextCharFormat> selectionCharFormats(const QTextCursor& cursor) {
    if (!cursor.hasSelection()) return {cursor.charFormat()};
    std::vector<QTextCharFormat> formats;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (QTextBlock block = cursor.document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() < end && f.position() + f.length() > start)
                formats.push_back(f.charFormat());
        }
    }
    if (formats.empty()) formats.push_back(cursor.charFormat());
    return formats;
}

std::vector<Qt::Alignment> selectionAlignments(const QTextCursor& cursor) {
    std::vector<Qt::Alignment> result;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (QTextBlock block = cursor.document()->findBlock(start); block.isValid();
         block = block.next()) {
        result.push_back(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
        if (block.position() + block.length() > end) break;
    }
    return result;
}

template <typename T, typename F>
std::optional<T> uniform(const std::vector<QTextCharFormat>& formats, F&& get) {
    if (formats.empty()) return std::nullopt;
    const T first = get(formats.front());
    for (const auto& f : formats)
        if (get(f) != first) return std::nullopt;
    return first;
}

bool isBold(const QTextCharFormat& f) {
    return f.fontWeight() >= QFont::DemiBold;
}

}  // namespace

// The control's own edits (rtfSelText, the property sets, loading) do not count as changes
// made by the user.
class ctlTWRTFOutput_d::ProgrammaticEdit {
  public:
    explicit ProgrammaticEdit(ctlTWRTFOutput_d& control) : control_(control) {
        ++control_.programmaticDepth_;
    }
    ~ProgrammaticEdit() { --control_.programmaticDepth_; }
    ProgrammaticEdit(const ProgrammaticEdit&) = delete;
    ProgrammaticEdit& operator=(const ProgrammaticEdit&) = delete;

  private:
    ctlTWRTFOutput_d& control_;
};

namespace {

using Command = ctlTWRTFOutput_d::Command;

enum class MenuGroup { File, Edit, Font, Paragraph };

struct CommandEntry {
    Command command;
    const char* menuName;
    const char* caption;
    const char* key;
    const char* tooltip;  // nullptr: none given, the key shows
    MenuGroup group;
    bool separatorBefore;
    bool pressable;  // the toolbar button stays pressed to show the selection's state
};

// Menu item, caption, toolbar key and tooltip of every command, in menu order.
const std::array<CommandEntry, 17> kCommands = {{
    {Command::New, "mnuFileNew", "새 파일(&N)", "new", "File New", MenuGroup::File, false, false},
    {Command::Open, "mnuFileOpen", "파일 열기(&O)", "open", "File Open", MenuGroup::File, false,
     false},
    {Command::Save, "mnuFileSave", "파일 저장(&S)", "save", "File Save", MenuGroup::File, false,
     false},
    {Command::SaveAs, "mnuFileSaveAs", "새이름 저장(&A)", "saveas", "File Save As", MenuGroup::File,
     false, false},
    {Command::Print, "mnuFilePrint", "인쇄(&P)", "print", "Print", MenuGroup::File, true, false},
    {Command::Close, "mnuFileClose", "닫기(&C)", "close", "Close", MenuGroup::File, true, false},
    {Command::Cut, "mnuEditCut", "자르기(&X)", "cut", nullptr, MenuGroup::Edit, false, false},
    {Command::Copy, "mnuEditCopy", "복사하기(&K)", "copy", "Copy", MenuGroup::Edit, false, false},
    {Command::Paste, "mnuEditPaste", "붙여 넣기(&T)", "paste", "Paste", MenuGroup::Edit, false,
     false},
    {Command::Delete, "mnuEditDelete", "삭제하기(&D)", "delete", "Delete", MenuGroup::Edit, false,
     false},
    {Command::Bold, "mnuFontBold", "굵게(&B)", "bold", "Bold", MenuGroup::Font, false, true},
    {Command::Italic, "mnuFontItalic", "기울임꼴(&I)", "italic", "Italic", MenuGroup::Font, false,
     true},
    {Command::StrikeThru, "mnuFontStrikeThru", "취소선(&Y)", "strikethru", "Strike-through",
     MenuGroup::Font, false, true},
    {Command::Underline, "mnuFontUnderline", "밑줄(&U)", "underline", "Underline", MenuGroup::Font,
     false, true},
    {Command::Center, "mnuParaCenter", "가운데 맞춤(&J)", "center", "Center", MenuGroup::Paragraph,
     false, true},
    {Command::Left, "mnuParaLeft", "왼쪽 맞출(&L)", "left", "Left", MenuGroup::Paragraph, false,
     true},
    {Command::Right, "mnuParaRight", "오른쪽 맞춤(&R)", "right", "Right", MenuGroup::Paragraph,
     false, true},
}};

// Toolbar order: keys, "|" for a separator, and the two list placeholders.
constexpr std::array<const char*, 23> kToolbarLayout = {
    "new",        "open",      "save",   "saveas", "|",       "print",   "|",    "cut",
    "copy",       "paste",     "delete", "|",      "cmbFont", "cmbSize", "bold", "italic",
    "strikethru", "underline", "|",      "left",   "center",  "right",   "close"};

const CommandEntry* findCommand(const QString& key) {
    const auto* it =
        std::find_if(kCommands.begin(), kCommands.end(),
                     [&key](const CommandEntry& e) { return key == QLatin1String(e.key); });
    return it == kCommands.end() ? nullptr : it;
}

const CommandEntry& entryOf(Command command) {
    return *std::find_if(kCommands.begin(), kCommands.end(),
                         [command](const CommandEntry& e) { return e.command == command; });
}

}  // namespace

ctlTWRTFOutput_d::ctlTWRTFOutput_d(QWidget* parent)
    : QWidget(parent), dialogs_(std::make_unique<QtDialogs>()) {
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName("Toolbar1");
    toolbar_->setIconSize(QSize(16, 16));
    rtfOutput_ = new QTextEdit(this);
    rtfOutput_->setObjectName("rtfOutput");
    rtfOutput_->setAcceptRichText(false);  // pasted text arrives as plain text
    rtfOutput_->setTabChangesFocus(false);
    rtfOutput_->viewport()->installEventFilter(this);

    cmbFont_ = new QComboBox(this);
    cmbFont_->setObjectName("cmbFont");
    cmbFont_->setToolTip("글자 폰트");
    cmbFont_->addItems(QFontDatabase::families());
    cmbFont_->setMinimumContentsLength(12);
    cmbFont_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbSize_ = new QComboBox(this);
    cmbSize_->setObjectName("cmbSize");
    cmbSize_->setToolTip("글자 크기");
    for (const char* entry : kSizeEntries) cmbSize_->addItem(QString::fromLatin1(entry));

    setupActions();

    // Creation: the control's own font is the host's font at the control's font size; the
    // text starts in it.
    ownFont_ = font();
    ownFont_.setPointSize(fontSize_);
    rtfOutput_->document()->setDefaultFont(ownFont_);
    {
        ProgrammaticEdit edit(*this);
        QTextCharFormat f;
        f.setFontFamilies({ownFont_.family()});
        rtfOutput_->mergeCurrentCharFormat(f);
    }
    const float usable = paperWidth_ - (marginLeftCm_ + marginRightCm_) * float(kTwipsPerCm);
    columnUnit_ = usable / float(tabNos_ + 1);

    connect(rtfOutput_->document(), &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) {
                if (programmaticDepth_ == 0 && (removed > 0 || added > 0)) modified_ = true;
            });
    connect(rtfOutput_, &QTextEdit::cursorPositionChanged, this, [this] { updateToolbarState(); });
    connect(rtfOutput_, &QTextEdit::selectionChanged, this, [this] { updateToolbarState(); });
    connect(cmbFont_, &QComboBox::activated, this,
            [this](int index) { chooseFont(cmbFont_->itemText(index)); });
    connect(cmbSize_, &QComboBox::activated, this,
            [this](int index) { chooseSize(cmbSize_->itemText(index)); });
    resize(tw::twipsToPixels(11800), tw::twipsToPixels(8000));
}

ctlTWRTFOutput_d::~ctlTWRTFOutput_d() = default;

void ctlTWRTFOutput_d::setupActions() {
    std::array<QMenu*, 4> menus{};
    QMenu* file = menuBar_->addMenu("RTF출력_파일(&F)");
    file->setObjectName("mnuFile");
    QMenu* edit = menuBar_->addMenu("RTF출력_편집(&E)");
    edit->setObjectName("mnuEdit");
    QMenu* form = menuBar_->addMenu("RTF출력_서식(&O)");
    form->setObjectName("mnuForm");
    QMenu* fontMenu = form->addMenu("글꼴(&F)");
    fontMenu->setObjectName("mnuFont");
    QMenu* para = form->addMenu("문단(&P)");
    para->setObjectName("mnuPara");
    menus = {file, edit, fontMenu, para};

    for (const CommandEntry& e : kCommands) {
        QMenu* menu = menus[static_cast<std::size_t>(e.group)];
        if (e.separatorBefore) menu->addSeparator();
        QAction* item = menu->addAction(QString::fromUtf8(e.caption));
        item->setObjectName(e.menuName);
        const Command command = e.command;
        connect(item, &QAction::triggered, this, [this, command] { runCommand(command); });
    }

    for (const char* key : kToolbarLayout) {
        const QString k = QString::fromLatin1(key);
        if (k == "|") {
            toolbar_->addSeparator();
        } else if (k == "cmbFont") {
            toolbar_->addWidget(cmbFont_);
        } else if (k == "cmbSize") {
            toolbar_->addWidget(cmbSize_);
        } else {
            const CommandEntry* e = findCommand(k);
            QAction* button = toolbar_->addAction(iconFor(k, style()), k);
            button->setObjectName(k);
            button->setData(k);
            if (e->tooltip != nullptr) button->setToolTip(QString::fromLatin1(e->tooltip));
            button->setCheckable(e->pressable);
            // Pressed states follow the selection, not the click: runCommand sets them.
            connect(button, &QAction::triggered, this, [this, k] { toolbarButtonClick(k); });
        }
    }
}

// The viewer mode's menu: name, Korean and English caption, shortcut, command.
struct ViewerMenuEntry {
    const char* name;
    const char* korean;
    const char* english;
    const char* keys;
    Command command;
};
constexpr std::array<ViewerMenuEntry, 3> kViewerMenu = {{
    {"mnuViewSaveAs", "다른 이름으로 저장(&A)...", "Save as(&A)...", "Ctrl+S", Command::SaveAs},
    {"mnuViewPrint", "인쇄(&P)...", "Print(&P)...", "Ctrl+P", Command::Print},
    {"mnuViewClose", "닫기(&C)", "Close(&C)", nullptr, Command::Close},
}};
constexpr const char* kViewerFileKorean = "파일(&F)";
constexpr const char* kViewerFileEnglish = "File(&F)";

void ctlTWRTFOutput_d::setupViewerMenu() {
    viewerMenuBar_ = new QMenuBar(this);
    viewerMenuBar_->setObjectName("viewerMenuBar");
    viewerMenuBar_->setNativeMenuBar(false);
    QMenu* file = viewerMenuBar_->addMenu(QString());
    file->setObjectName("mnuViewFile");
    for (const ViewerMenuEntry& e : kViewerMenu) {
        if (e.command == Command::Close) file->addSeparator();
        QAction* item = file->addAction(QString());
        item->setObjectName(e.name);
        if (e.keys != nullptr) {
            item->setShortcut(QKeySequence::fromString(QString::fromLatin1(e.keys)));
            item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            // The shortcut works while the menu is closed: the control holds the action.
            addAction(item);
        }
        const Command command = e.command;
        connect(item, &QAction::triggered, this, [this, command] { runCommand(command); });
    }
    applyViewerCaptions();
}

void ctlTWRTFOutput_d::applyViewerCaptions() {
    if (viewerMenuBar_ == nullptr) return;
    const bool english = language_ == 1;
    const QList<QMenu*> menus = viewerMenuBar_->findChildren<QMenu*>("mnuViewFile");
    if (menus.isEmpty()) return;
    menus.front()->setTitle(QString::fromUtf8(english ? kViewerFileEnglish : kViewerFileKorean));
    for (const ViewerMenuEntry& e : kViewerMenu) {
        for (QAction* item : menus.front()->actions()) {
            if (item->objectName() == QLatin1String(e.name))
                item->setText(QString::fromUtf8(english ? e.english : e.korean));
        }
    }
}

void ctlTWRTFOutput_d::setViewerMode(bool on) {
    viewerMode_ = on;
    if (on && viewerMenuBar_ == nullptr) setupViewerMenu();
    menuBar_->setVisible(!on);
    toolbar_->setVisible(!on);
    if (viewerMenuBar_ != nullptr) {
        viewerMenuBar_->setVisible(on);
        for (QAction* item : viewerMenuBar_->findChildren<QAction*>())
            if (!item->shortcut().isEmpty()) item->setEnabled(on);
    }
    resizeEvent(nullptr);
}

// ---- Properties -------------------------------------------------------------------------

QColor ctlTWRTFOutput_d::rtfBackColor() const {
    return rtfOutput_->palette().color(QPalette::Base);
}

void ctlTWRTFOutput_d::setrtfBackColor(const QColor& color) {
    QPalette palette = rtfOutput_->palette();
    palette.setColor(QPalette::Base, color);
    rtfOutput_->setPalette(palette);
    emit PropertyChanged("rtfBackColor");
}

int ctlTWRTFOutput_d::rtfBorderStyle() const {
    return rtfOutput_->frameShape() == QFrame::NoFrame ? 0 : 1;
}

void ctlTWRTFOutput_d::setrtfBorderStyle(int style) {
    rtfOutput_->setFrameShape(style == 0 ? QFrame::NoFrame : QFrame::StyledPanel);
    emit PropertyChanged("rtfBorderStyle");
}

bool ctlTWRTFOutput_d::rtfEnabled() const {
    return rtfOutput_->isEnabled();
}

void ctlTWRTFOutput_d::setrtfEnabled(bool enabled) {
    rtfOutput_->setEnabled(enabled);
    emit PropertyChanged("rtfEnabled");
}

bool ctlTWRTFOutput_d::rtfLocked() const {
    return rtfOutput_->isReadOnly();
}

void ctlTWRTFOutput_d::setrtfLocked(bool locked) {
    rtfOutput_->setReadOnly(locked);
    // Locked text still takes selections by mouse and keyboard, so that it can be copied.
    if (locked)
        rtfOutput_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    emit PropertyChanged("rtfLocked");
}

std::optional<float> ctlTWRTFOutput_d::paperWidthTwips(int kind) {
    const PaperKind* paper = findPaperKind(kind);
    if (paper == nullptr) return std::nullopt;
    return paper->widthTwips;
}

void ctlTWRTFOutput_d::setrtfPaperWidth(int kind) {
    paperKind_ = kind;
    if (const auto width = paperWidthTwips(kind)) paperWidth_ = *width;
    ApplyPageLayout();
    applyWrapWidth();
    emit PropertyChanged("rtfPaperWidth");
}

void ctlTWRTFOutput_d::setrtfFontSize(short size) {
    fontSize_ = size;
    // A size the text cannot take (zero, negative, past the largest font) is kept as the
    // property value but changes no font.
    if (size >= tw::rtf::kMinPointSize && size <= tw::rtf::kMaxPointSize) {
        ownFont_.setPointSize(size);
        QTextCharFormat f;
        f.setFontPointSize(size);
        ProgrammaticEdit edit(*this);
        rtfOutput_->mergeCurrentCharFormat(f);
    }
    emit PropertyChanged("rtfFontSize");
}

void ctlTWRTFOutput_d::setrtfFontBold(bool on) {
    bold_ = on;
    ownFont_.setBold(on);
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    applyCharFormat(f);
    emit PropertyChanged("rtfFontBold");
}

void ctlTWRTFOutput_d::setrtfFontItalic(bool on) {
    italic_ = on;
    ownFont_.setItalic(on);
    QTextCharFormat f;
    f.setFontItalic(on);
    applyCharFormat(f);
    emit PropertyChanged("rtfFontItalic");
}

void ctlTWRTFOutput_d::setrtfFontStrikeThru(bool on) {
    strikeThru_ = on;
    ownFont_.setStrikeOut(on);
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    applyCharFormat(f);
    emit PropertyChanged("rtfFontStrikeThru");
}

void ctlTWRTFOutput_d::setrtfFontUnderline(bool on) {
    underline_ = on;
    ownFont_.setUnderline(on);
    QTextCharFormat f;
    f.setFontUnderline(on);
    applyCharFormat(f);
    emit PropertyChanged("rtfFontUnderline");
}

void ctlTWRTFOutput_d::applyCharFormat(const QTextCharFormat& format) {
    ProgrammaticEdit edit(*this);
    rtfOutput_->mergeCurrentCharFormat(format);
}

void ctlTWRTFOutput_d::setrtfTabNos(short count) {
    tabNos_ = count;
    ApplyPageLayout();
    emit PropertyChanged("rtfTabNos");
}

void ctlTWRTFOutput_d::setrtfMarginLeftCm(float cm) {
    marginLeftCm_ = cm;
    ApplyPageLayout();
    emit PropertyChanged("rtfMarginLeftCm");
}

void ctlTWRTFOutput_d::setrtfMarginRightCm(float cm) {
    marginRightCm_ = cm;
    ApplyPageLayout();
    emit PropertyChanged("rtfMarginRightCm");
}

QString ctlTWRTFOutput_d::rtfText() const {
    return rtfOutput_->toPlainText();
}

void ctlTWRTFOutput_d::setrtfText(const QString& text) {
    {
        ProgrammaticEdit edit(*this);
        rtfOutput_->setPlainText(text);
    }
    emit PropertyChanged("rtfText");
}

void ctlTWRTFOutput_d::setCallingObject(QObject* object) {
    callingObject_ = object;
    emit PropertyChanged("CallingObject");
}

void ctlTWRTFOutput_d::setTW_Language(int language) {
    language_ = language;
    applyViewerCaptions();
    emit PropertyChanged("TW_Language");
}

// ---- Page layout and rtfSelText -------------------------------------------------------------

std::vector<float> ctlTWRTFOutput_d::tabStops() const {
    const QTextBlockFormat bf = rtfOutput_->textCursor().blockFormat();
    std::vector<float> stops;
    for (const QTextOption::Tab& tab : bf.tabPositions())
        stops.push_back(static_cast<float>(pxToTwips(tab.position + bf.leftMargin())));
    return stops;
}

float ctlTWRTFOutput_d::leftIndent() const {
    return static_cast<float>(pxToTwips(rtfOutput_->textCursor().blockFormat().leftMargin()));
}

float ctlTWRTFOutput_d::rightIndent() const {
    return static_cast<float>(pxToTwips(rtfOutput_->textCursor().blockFormat().rightMargin()));
}

void ctlTWRTFOutput_d::ApplyPageLayout() {
    ProgrammaticEdit edit(*this);
    const auto left = static_cast<float>(marginLeftCm_ * kTwipsPerCm);
    const auto right = static_cast<float>(marginRightCm_ * kTwipsPerCm);
    const auto usable = static_cast<float>(double(paperWidth_) - left - right);
    if (tabNos_ < 1) tabNos_ = 0;
    columnUnit_ = static_cast<float>(double(usable) / (tabNos_ + 1));

    QTextCursor cursor = rtfOutput_->textCursor();
    cursor.beginEditBlock();
    QTextBlockFormat bf = cursor.blockFormat();
    bf.setLeftMargin(std::isfinite(left) ? twipsToPx(left) : 0.0);
    bf.setRightMargin(std::isfinite(right) ? twipsToPx(right) : 0.0);
    cursor.mergeBlockFormat(bf);
    cursor.insertBlock();
    currentColumn_ = 0;

    // Tab stops are counted from the text's left edge; Qt counts them from the indent.
    QList<QTextOption::Tab> tabs;
    if (std::isfinite(columnUnit_) && std::isfinite(left)) {
        float stop = static_cast<float>(double(left) + columnUnit_);
        for (int i = 0; i < tabNos_; ++i) {
            if (i > 0) stop = static_cast<float>(double(stop) + columnUnit_);
            tabs.append(QTextOption::Tab(twipsToPx(double(stop) - left), QTextOption::LeftTab));
        }
    }
    bf = cursor.blockFormat();
    bf.setTabPositions(tabs);
    cursor.setBlockFormat(bf);
    cursor.endEditBlock();
    rtfOutput_->setTextCursor(cursor);
}

void ctlTWRTFOutput_d::rtfTable(const std::vector<std::vector<QString>>& rows,
                                const std::vector<int>& columnWidths,
                                const std::vector<CellAlignment>& alignments, bool headerBold) {
    if (rows.empty() || columnWidths.empty()) return;
    ProgrammaticEdit edit(*this);
    // The insertion format, taken before the text changes: a change at the insertion point
    // resets it to the format of the text before.
    const QTextCharFormat chars = rtfOutput_->currentCharFormat();
    QTextCursor cursor = rtfOutput_->textCursor();
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.beginEditBlock();
    // The line's layout (indents, tab stops) continues under the table.
    const QTextBlockFormat line = cursor.blockFormat();
    // An empty line under text of the same frame gives the table its place: the table then
    // follows that text directly rather than an empty line.
    const QTextBlock previous = cursor.block().previous();
    if (cursor.block().length() == 1 && previous.isValid() &&
        QTextCursor(previous).currentTable() == nullptr &&
        QTextCursor(previous).currentFrame() == cursor.currentFrame()) {
        cursor.deletePreviousChar();
    }
    const QFont defaultFont = rtfOutput_->document()->defaultFont();

    tw::rtf::TableRow layout;
    layout.cellGap = kTableCellGap;
    const int left = static_cast<int>(std::lround(pxToTwips(line.leftMargin())));
    int edge = left;
    const std::size_t columns = std::min<std::size_t>(columnWidths.size(), tw::rtf::kMaxTableCells);
    for (std::size_t i = 0; i < columns; ++i) {
        edge = std::clamp(edge + std::max(columnWidths[i], 0), 0, tw::rtf::kMaxTwips);
        const CellAlignment a = i < alignments.size() ? alignments[i] : CellAlignment::Left;
        layout.cells.push_back({edge, a == CellAlignment::Right    ? tw::rtf::Alignment::Right
                                      : a == CellAlignment::Center ? tw::rtf::Alignment::Center
                                                                   : tw::rtf::Alignment::Left});
    }
    QTextCharFormat headerChars = chars;
    headerChars.setFontWeight(QFont::Bold);
    std::vector<tw::rtf::Paragraph> model;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        tw::rtf::Paragraph p;
        p.leftIndent = left;
        p.tableRow = layout;
        QString text;
        for (std::size_t c = 0; c < columns; ++c) {
            if (c > 0) text += u'\t';
            if (c < rows[r].size()) {
                // One line for each cell: tabs would move the text into the next cell.
                QString cell = rows[r][c];
                cell.replace(u'\t', u' ');
                text += cell;
            }
        }
        p.runs.push_back(
            {text, tw::rtf::charFormatOf(headerBold && r == 0 ? headerChars : chars, defaultFont)});
        model.push_back(std::move(p));
    }
    tw::rtf::insertTable(cursor, model);
    cursor.setBlockFormat(line);
    cursor.setBlockCharFormat(chars);
    cursor.setCharFormat(chars);
    currentColumn_ = 0;
    tw::rtf::keepBlankLinesBesideTables(*rtfOutput_->document());
    cursor.endEditBlock();
    rtfOutput_->setTextCursor(cursor);
    rtfOutput_->setCurrentCharFormat(chars);
}

QFont ctlTWRTFOutput_d::insertionFont() const {
    return rtfOutput_->textCursor().charFormat().font().resolve(
        rtfOutput_->document()->defaultFont());
}

void ctlTWRTFOutput_d::rtfSelText(const QString& SrcWord, short TabPos, short TabWidth,
                                  short LineFeedNos) {
    QString word = SrcWord;
    rtfSelText(word, TabPos, TabWidth, LineFeedNos);
}

void ctlTWRTFOutput_d::rtfSelText(QString& SrcWord, short& TabPos, short& TabWidth,
                                  short& LineFeedNos) {
    ProgrammaticEdit edit(*this);
    QTextCursor cursor = rtfOutput_->textCursor();

    const auto stops = static_cast<int>(cursor.blockFormat().tabPositions().size());
    if (TabPos > stops) TabPos = static_cast<short>(stops);
    if (TabWidth > stops - TabPos + 1) TabWidth = static_cast<short>(stops - TabPos + 1);

    // Fit the word into TabWidth columns, measured in the format it will be set in.
    const QFontMetricsF metrics(insertionFont(), rtfOutput_->viewport());
    const double limit = double(TabWidth) * columnUnit_;
    auto widthOf = [&](qsizetype length) {
        return pxToTwips(metrics.horizontalAdvance(SrcWord.left(length)));
    };
    // Code point boundaries, so that a surrogate pair is never split.
    std::vector<qsizetype> ends;
    for (qsizetype i = 0; i < SrcWord.size(); ++i) {
        if (SrcWord[i].isHighSurrogate() && i + 1 < SrcWord.size() &&
            SrcWord[i + 1].isLowSurrogate())
            ++i;
        ends.push_back(i + 1);
    }
    // Character by character as a typesetter would; a very long word (zero-width characters
    // never reach the limit) is searched by halving instead, since the width grows with it.
    constexpr std::size_t kLinearSteps = 512;
    qsizetype fitted = 0;
    std::size_t k = 0;
    for (; k < ends.size() && k < kLinearSteps; ++k) {
        if (!(widthOf(ends[k]) < limit)) break;
        fitted = ends[k];
    }
    if (k == kLinearSteps && k < ends.size()) {
        std::size_t lo = k, hi = ends.size();  // first index whose prefix reaches the limit
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (widthOf(ends[mid]) < limit)
                lo = mid + 1;
            else
                hi = mid;
        }
        fitted = lo == 0 ? 0 : ends[lo - 1];
    }
    const QString fittedWord = SrcWord.left(fitted);
    const double width = widthOf(fitted);
    const double spanValue = columnUnit_ > 0 ? std::floor(width / columnUnit_) : 0.0;
    const int span =
        std::isfinite(spanValue) ? static_cast<int>(std::clamp(spanValue, 0.0, 32767.0)) : 0;

    cursor.beginEditBlock();
    const int tabs = TabPos - currentColumn_;
    if (tabs > 0) cursor.insertText(QString(tabs, u'\t'));
    cursor.insertText(fittedWord);
    currentColumn_ = static_cast<short>(std::clamp(TabPos + span, -32768, 32767));
    if (LineFeedNos > 0) {
        for (int i = 0; i < LineFeedNos; ++i) cursor.insertBlock();
        currentColumn_ = 0;
        // A line left empty under a table now has a line after it.
        if (cursor.block().previous().length() == 1)
            tw::rtf::keepBlankLinesBesideTables(*rtfOutput_->document());
    }
    cursor.endEditBlock();
    rtfOutput_->setTextCursor(cursor);
}

void ctlTWRTFOutput_d::applyWrapWidth() {
    // A text area narrower than the paper wraps at the paper's width, as on the page.
    const int paperPx = static_cast<int>(std::lround(twipsToPx(paperWidth_)));
    if (rtfOutput_->width() < paperPx) {
        rtfOutput_->setLineWrapMode(QTextEdit::FixedPixelWidth);
        rtfOutput_->setLineWrapColumnOrWidth(paperPx);
    }
}

void ctlTWRTFOutput_d::resizeEvent(QResizeEvent* event) {
    if (event != nullptr) QWidget::resizeEvent(event);
    if (viewerMode_ && viewerMenuBar_ != nullptr) {
        // The viewer: its one menu above the page, which takes the rest of the control.
        const int menuHeight = viewerMenuBar_->sizeHint().height();
        viewerMenuBar_->setGeometry(0, 0, width(), menuHeight);
        rtfOutput_->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
        applyWrapWidth();
        applyLayoutWithoutLineFeed();
        return;
    }
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    const int toolbarHeight = toolbar_->sizeHint().height();
    toolbar_->setGeometry(0, menuHeight, width(), toolbarHeight);
    const int top = toolbar_->y() + toolbar_->height();
    rtfOutput_->setGeometry(toolbar_->x(), top, std::max(0, width() - tw::twipsToPixels(200)),
                            std::max(0, height() - toolbarHeight - tw::twipsToPixels(700)));
    applyWrapWidth();
    // The page layout of the insertion point does not depend on the control's size, and a
    // resize must not add line feeds to the text, so only the column unit is refreshed here.
    applyLayoutWithoutLineFeed();
}

void ctlTWRTFOutput_d::applyLayoutWithoutLineFeed() {
    const double usable = double(paperWidth_) - (marginLeftCm_ + marginRightCm_) * kTwipsPerCm;
    columnUnit_ = static_cast<float>(usable / (std::max<int>(tabNos_, 0) + 1));
}

void ctlTWRTFOutput_d::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!displayed_) {
        displayed_ = true;
        firstDisplay();
    }
}

void ctlTWRTFOutput_d::firstDisplay() {
    const QString family = insertionFont().family();
    const int index = cmbFont_->findText(family);
    if (index >= 0) cmbFont_->setCurrentIndex(index);
    cmbSize_->setCurrentIndex(2);
    // The page shows from its left edge, margin included, even when the text was composed
    // before the control had its size.
    rtfOutput_->horizontalScrollBar()->setValue(0);
    if (fontSize_ >= tw::rtf::kMinPointSize && fontSize_ <= tw::rtf::kMaxPointSize) {
        ownFont_.setPointSize(fontSize_);
        QTextCharFormat f;
        f.setFontPointSize(fontSize_);
        applyCharFormat(f);
    }
}

// ---- Commands ---------------------------------------------------------------------------

void ctlTWRTFOutput_d::toolbarButtonClick(const QString& key) {
    if (const CommandEntry* e = findCommand(key)) runCommand(e->command);
}

bool ctlTWRTFOutput_d::isButtonPressed(const QString& key) const {
    const auto* button = toolbar_->findChild<QAction*>(key, Qt::FindDirectChildrenOnly);
    return button != nullptr && button->isChecked();
}

void ctlTWRTFOutput_d::runCommand(Command command) {
    switch (command) {
        case Command::New:
            NewDocument();
            break;
        case Command::Open:
            OpenDocument();
            break;
        case Command::Save:
            if (untitled_)
                SaveDocumentAs();
            else
                SaveDocument();
            break;
        case Command::SaveAs:
            SaveDocumentAs();
            break;
        case Command::Print:
            PrintDocument();
            break;
        case Command::Close:
            emit CloseClick();
            break;
        case Command::Cut:
            cutOrCopy(true);
            break;
        case Command::Copy:
            cutOrCopy(false);
            break;
        case Command::Paste:
            paste();
            break;
        case Command::Delete:
            deleteSelection();
            break;
        case Command::Bold:
        case Command::Italic:
        case Command::StrikeThru:
        case Command::Underline:
            toggleCharAttribute(command);
            break;
        case Command::Center:
            setAlignment(AlignCenter);
            break;
        case Command::Left:
            setAlignment(AlignLeft);
            break;
        case Command::Right:
            setAlignment(AlignRight);
            break;
    }
}

void ctlTWRTFOutput_d::cutOrCopy(bool cut) {
    QTextCursor cursor = rtfOutput_->textCursor();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    clipboard->setText(text);
    if (cut) deleteSelection();
}

// Locked text is never changed by the edit and format commands; copying still works.
void ctlTWRTFOutput_d::paste() {
    if (rtfLocked()) return;
    QTextCursor cursor = rtfOutput_->textCursor();
    cursor.insertText(QApplication::clipboard()->text());
    rtfOutput_->setTextCursor(cursor);
}

void ctlTWRTFOutput_d::deleteSelection() {
    if (rtfLocked()) return;
    QTextCursor cursor = rtfOutput_->textCursor();
    cursor.removeSelectedText();
    rtfOutput_->setTextCursor(cursor);
}

void ctlTWRTFOutput_d::toggleCharAttribute(Command command) {
    if (rtfLocked()) {
        updateToolbarState();
        return;
    }
    const auto formats = selectionCharFormats(rtfOutput_->textCursor());
    auto all = [&formats](auto&& has) { return std::all_of(formats.begin(), formats.end(), has); };
    QTextCharFormat f;
    bool now = false;
    switch (command) {
        case Command::Bold:
            now = !all(isBold);
            f.setFontWeight(now ? QFont::Bold : QFont::Normal);
            break;
        case Command::Italic:
            now = !all([](const QTextCharFormat& c) { return c.fontItalic(); });
            f.setFontItalic(now);
            break;
        case Command::StrikeThru:
            now = !all([](const QTextCharFormat& c) { return c.fontStrikeOut(); });
            f.setFontStrikeOut(now);
            break;
        default:
            now = !all([](const QTextCharFormat& c) { return c.fontUnderline(); });
            f.setFontUnderline(now);
            break;
    }
    rtfOutput_->mergeCurrentCharFormat(f);
    if (auto* button = toolbar_->findChild<QAction*>(QString::fromLatin1(entryOf(command).key),
                                                     Qt::FindDirectChildrenOnly))
        button->setChecked(now);
}

void ctlTWRTFOutput_d::setAlignment(ParagraphAlignment alignment) {
    if (!rtfLocked()) {
        QTextCursor cursor = rtfOutput_->textCursor();
        QTextBlockFormat bf;
        bf.setAlignment(alignment == AlignCenter  ? Qt::AlignHCenter
                        : alignment == AlignRight ? Qt::AlignRight
                                                  : Qt::AlignLeft);
        cursor.mergeBlockFormat(bf);
    }
    updateToolbarState();
}

void ctlTWRTFOutput_d::chooseFont(const QString& family) {
    if (!rtfLocked()) {
        QTextCharFormat f;
        f.setFontFamilies({family});
        rtfOutput_->mergeCurrentCharFormat(f);
        ownFont_.setFamily(family);
    }
    rtfOutput_->setFocus();
}

void ctlTWRTFOutput_d::chooseSize(const QString& entry) {
    bool ok = false;
    const double size = entry.trimmed().toDouble(&ok);
    if (ok && !rtfLocked()) {
        QTextCharFormat f;
        f.setFontPointSize(size);
        rtfOutput_->mergeCurrentCharFormat(f);
    }
    rtfOutput_->setFocus();
}

void ctlTWRTFOutput_d::updateToolbarState() {
    const QTextCursor cursor = rtfOutput_->textCursor();
    const auto formats = selectionCharFormats(cursor);
    auto press = [this](const char* key, bool on) {
        if (auto* b =
                toolbar_->findChild<QAction*>(QString::fromLatin1(key), Qt::FindDirectChildrenOnly))
            b->setChecked(on);
    };
    auto throughout = [&formats](auto&& has) {
        return std::all_of(formats.begin(), formats.end(), has);
    };
    press("bold", throughout(isBold));
    press("italic", throughout([](const QTextCharFormat& c) { return c.fontItalic(); }));
    press("strikethru", throughout([](const QTextCharFormat& c) { return c.fontStrikeOut(); }));
    press("underline", throughout([](const QTextCharFormat& c) { return c.fontUnderline(); }));

    // Exactly one alignment button for a uniform alignment; none when it is mixed.
    const auto alignments = selectionAlignments(cursor);
    const bool sameAlignment =
        !alignments.empty() &&
        std::all_of(alignments.begin(), alignments.end(),
                    [&alignments](Qt::Alignment a) { return a == alignments.front(); });
    const Qt::Alignment a = sameAlignment ? alignments.front() : Qt::Alignment{};
    press("center", sameAlignment && (a & Qt::AlignHCenter));
    press("right", sameAlignment && (a & Qt::AlignRight));
    press("left", sameAlignment && !(a & (Qt::AlignHCenter | Qt::AlignRight)));

    const QFont defaultFont = rtfOutput_->document()->defaultFont();
    const auto family = uniform<QString>(formats, [&defaultFont](const QTextCharFormat& f) {
        return f.font().resolve(defaultFont).family();
    });
    const QSignalBlocker fontBlocker(cmbFont_);
    if (family) cmbFont_->setCurrentIndex(cmbFont_->findText(*family));
    const auto size = uniform<double>(formats, [&defaultFont](const QTextCharFormat& f) {
        return f.font().resolve(defaultFont).pointSizeF();
    });
    const QSignalBlocker sizeBlocker(cmbSize_);
    if (size) {
        int index = -1;
        for (int i = 0; i < cmbSize_->count(); ++i)
            if (cmbSize_->itemText(i).trimmed().toDouble() == *size) index = i;
        cmbSize_->setCurrentIndex(index);
    }
}

bool ctlTWRTFOutput_d::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rtfOutput_->viewport() && event->type() == QEvent::MouseButtonPress) {
        modified_ = true;
        updateToolbarState();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Files and printing -------------------------------------------------------------------

void ctlTWRTFOutput_d::setDialogs(std::unique_ptr<RtfOutputDialogs> dialogs) {
    if (dialogs) dialogs_ = std::move(dialogs);
}

void ctlTWRTFOutput_d::showError(int number, const QString& description) {
    dialogs_->showCritical(this, kMessageCaption,
                           "Error #" + QString::number(number) + "\n" + description);
}

bool ctlTWRTFOutput_d::protectModifiedDocument() {
    if (!modified_) return true;
    const char* text = kSavePreviousQuestion.in(language_);
    const auto answer =
        dialogs_->askYesNoCancel(this, kMessageCaption, text ? QString::fromUtf8(text) : QString());
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Yes) {
        // The old text is dropped only once it is safely saved.
        if (untitled_) return saveFileAs();
        return saveFile(fileName_);
    }
    return true;
}

void ctlTWRTFOutput_d::NewDocument() {
    if (!protectModifiedDocument()) return;
    untitled_ = true;
    modified_ = false;
    ProgrammaticEdit edit(*this);
    rtfOutput_->clear();
}

void ctlTWRTFOutput_d::OpenDocument() {
    if (!protectModifiedDocument()) return;
    const auto name = dialogs_->openFileName(this, "TWRTFOutput - File Open", kFileFilter);
    if (!name) return;
    untitled_ = false;
    modified_ = false;
    fileName_ = *name;
    loadFile(*name);
}

bool ctlTWRTFOutput_d::loadFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        const PlatformError e = fileError(file);
        showError(e.number, e.description);
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const PlatformError e = fileError(file);
        showError(e.number, e.description);
        return false;
    }
    const auto model = tw::rtf::read(data);
    if (!model) {
        showError(kInvalidFileFormat.number, kInvalidFileFormat.description);
        return false;
    }
    ProgrammaticEdit edit(*this);
    tw::rtf::toTextDocument(*model, *rtfOutput_->document());
    rtfOutput_->moveCursor(QTextCursor::Start);
    return true;
}

bool ctlTWRTFOutput_d::saveFile(const QString& fileName) {
    // QSaveFile writes beside the target and renames over it only once all is written, so a
    // failed save leaves the previous file as it was. Unbuffered, a write that stops short (a
    // full disk, a file size limit) shows in its count; through Qt's buffer such a short write
    // was lost and the commit replaced the file with its beginning.
    QSaveFile file(fileName);
    tw::rtf::Document model = tw::rtf::fromTextDocument(*rtfOutput_->document());
    model.pageNumbers = pageNumbers_;
    const QByteArray data = tw::rtf::write(model);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(data) != data.size() || !file.commit()) {
        const PlatformError e = fileError(file);
        showError(e.number, e.description);
        return false;
    }
    fileName_ = fileName;
    modified_ = false;
    emit fileSaved(fileName);
    return true;
}

void ctlTWRTFOutput_d::SaveDocument() {
    if (fileName_.isEmpty()) {
        saveFileAs();
        return;
    }
    saveFile(fileName_);
}

bool ctlTWRTFOutput_d::saveFileAs() {
    const auto name =
        suggestedFileName_.isEmpty()
            ? dialogs_->saveFileName(this, "TWRTFOutput - Save as", kFileFilter, "rtf")
            : dialogs_->saveFileNameSuggesting(this, "TWRTFOutput - Save as", kFileFilter, "rtf",
                                               suggestedFileName_);
    if (!name) return false;
    if (!saveFile(*name)) return false;
    untitled_ = false;
    modified_ = false;
    return true;
}

void ctlTWRTFOutput_d::SaveDocumentAs() {
    saveFileAs();
}

void ctlTWRTFOutput_d::PrintDocument() {
    QPrinter printer(QPrinter::HighResolution);
    // A file printed from here (a PDF) carries the document's title.
    if (!documentTitle_.isEmpty()) printer.setDocName(documentTitle_);
    if (const PaperKind* paper = findPaperKind(paperKind_)) {
        printer.setPageSize(QPageSize(paper->pageSize));
        printer.setPageOrientation(paper->orientation);
    }
    const bool hasSelection = rtfOutput_->textCursor().hasSelection();
    bool selectionOnly = false;
    if (!dialogs_->print(this, "TWRTFOutput - Print", printer, hasSelection, selectionOnly)) return;
    printTo(printer, selectionOnly && hasSelection);
    if (printer.printerState() == QPrinter::Error)
        showError(kPrinterError.number, kPrinterError.description);
}

void ctlTWRTFOutput_d::printTo(QPrinter& printer, bool selectionOnly) const {
    // The text is laid out at screen resolution on a page as wide as the paper, just as the
    // text area shows it (the indents hold the margins), and scaled onto the printer's page.
    QTextDocument page;
    page.setDefaultFont(rtfOutput_->document()->defaultFont());
    const QTextCursor cursor = rtfOutput_->textCursor();
    tw::rtf::toTextDocument(selectionOnly ? tw::rtf::fromSelection(cursor)
                                          : tw::rtf::fromTextDocument(*rtfOutput_->document()),
                            page);
    printer.setFullPage(true);
    const QRectF paper = printer.pageLayout().fullRectPixels(printer.resolution());
    if (paper.width() <= 0 || paper.height() <= 0) return;
    const double pageWidthPx = twipsToPx(paperWidth_ > 0 ? paperWidth_ : 11907.0f);
    const double scale = paper.width() / pageWidthPx;
    const double pageHeightPx = paper.height() / scale;
    page.setDocumentMargin(0);
    QTextFrameFormat frame = page.rootFrame()->frameFormat();
    const double verticalMargin = twipsToPx(kTwipsPerCm);  // 1 cm above and below the text
    frame.setTopMargin(verticalMargin);
    frame.setBottomMargin(verticalMargin);
    page.rootFrame()->setFrameFormat(frame);
    page.setPageSize(QSizeF(pageWidthPx, pageHeightPx));

    QPainter painter(&printer);
    if (!painter.isActive()) return;
    painter.scale(scale, scale);
    const int pages = page.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0) printer.newPage();
        painter.save();
        painter.translate(0, -i * pageHeightPx);
        const QRectF clip(0, i * pageHeightPx, pageWidthPx, pageHeightPx);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(clip);
        page.documentLayout()->draw(&painter, context);
        painter.restore();
        if (pageNumbers_) {
            // "page / pages" in the bottom margin, centred.
            const QRectF footer(0, pageHeightPx - verticalMargin, pageWidthPx, verticalMargin);
            painter.setPen(Qt::black);
            painter.setFont(page.defaultFont());
            painter.drawText(footer, Qt::AlignCenter,
                             QStringLiteral("%1 / %2").arg(i + 1).arg(pages));
        }
    }
}

// ---- Persistence ------------------------------------------------------------------------

void ctlTWRTFOutput_d::writeProperties(tw::PropertyBag& bag) const {
    auto put = [&bag](const char* key, const QVariant& value, const QVariant& defaultValue) {
        if (value != defaultValue) bag.writeProperty(key, value);
    };
    put("rtfBackColor", rtfBackColor(), QApplication::palette().color(QPalette::Base));
    put("rtfBorderStyle", rtfBorderStyle(), 1);
    put("rtfEnabled", rtfEnabled(), true);
    put("rtfLocked", rtfLocked(), false);
    put("rtfPaperWidth", paperKind_, 0);
    put("rtfFontSize", fontSize_, short{9});
    put("rtfFontBold", bold_, false);
    put("rtfFontItalic", italic_, false);
    put("rtfFontStrikethru", strikeThru_, false);
    put("rtfFontUnderline", underline_, false);
    put("rtfTabNos", tabNos_, short{0});
    put("rtfMarginLeftCm", marginLeftCm_, 1.0f);
    put("rtfMarginRightCm", marginRightCm_, 1.0f);
    put("rtfText", rtfText(), QString());
    // "CallingObject": an object reference lives only as long as the running host and is
    // never written. "TW_Language" follows.
    put("TW_Language", language_, 0);
}

void ctlTWRTFOutput_d::readProperties(const tw::PropertyBag& bag) {
    auto get = [&bag](const char* key, const QVariant& defaultValue) {
        return bag.readProperty(key, defaultValue);
    };
    const QColor back =
        get("rtfBackColor", QApplication::palette().color(QPalette::Base)).value<QColor>();
    setrtfBackColor(back.isValid() ? back : QApplication::palette().color(QPalette::Base));
    setrtfBorderStyle(get("rtfBorderStyle", 1).toInt());
    setrtfEnabled(get("rtfEnabled", true).toBool());
    setrtfLocked(get("rtfLocked", false).toBool());
    setrtfText(get("rtfText", QString()).toString());

    auto toShort = [](const QVariant& v, short fallback) {
        bool ok = false;
        const int value = v.toInt(&ok);
        return ok ? static_cast<short>(std::clamp(value, -32768, 32767)) : fallback;
    };
    auto toFloat = [](const QVariant& v, float fallback) {
        bool ok = false;
        const float value = v.toFloat(&ok);
        return ok && std::isfinite(value) ? value : fallback;
    };
    paperKind_ = get("rtfPaperWidth", 0).toInt();
    // The stored paper kind brings its width with it, so that the layout matches the kind.
    if (const auto width = paperWidthTwips(paperKind_)) paperWidth_ = *width;
    fontSize_ = toShort(get("rtfFontSize", 9), 9);
    bold_ = get("rtfFontBold", false).toBool();
    italic_ = get("rtfFontItalic", false).toBool();
    strikeThru_ = get("rtfFontStrikethru", false).toBool();
    underline_ = get("rtfFontUnderline", false).toBool();
    tabNos_ = toShort(get("rtfTabNos", 0), 0);
    marginLeftCm_ = toFloat(get("rtfMarginLeftCm", 1.0f), 1.0f);
    marginRightCm_ = toFloat(get("rtfMarginRightCm", 1.0f), 1.0f);
    language_ = get("TW_Language", 0).toInt();
    applyLayoutWithoutLineFeed();
    applyWrapWidth();
}
