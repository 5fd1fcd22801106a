#include "frmTW_FlueGas.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <cmath>
#include <iostream>

#include "AtomicFile.h"
#include "CalculationReport.h"
#include "CalculatorGrid.h"
#include "CaptionButton.h"
#include "CellPaste.h"
#include "FlueGasCalculator.h"
#include "LastCase.h"
#include "LicenceAgreement.h"
#include "ProgramLanguage.h"
#include "SettingsFile.h"
#include "TableClipboard.h"
#include "frmEfficiency.h"
#include "frmFuelGas.h"
#include "frmGasProperties.h"
#include "frmReport.h"
#include "frmTW_UnitSel.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// Window geometry, twips.
constexpr int kGridLeftTwips = 100;
constexpr int kGridTopTwips = 100;
constexpr int kButtonGapTwips = 200;  // grid to button column
constexpr int kButtonWidthTwips = 1800;
constexpr int kButtonHeightTwips = 600;
constexpr int kCalcToHundredTwips = 500;   // "Calculate" to "Make 100% by H2O"
constexpr int kHundredToTotalTwips = 200;  // "Make 100% by H2O" to "Component total"
constexpr int kGridToNotesTwips = 300;
constexpr int kNoteGapTwips = 100;
constexpr int kNoteHeightTwips = 285;
constexpr int kWindowExtraWidthTwips = 500;  // window width = grid + buttons + this
constexpr int kFrameTwips = 60;              // each side border of a classic sizable frame
constexpr int kBottomMarginTwips = 200;      // below the last note
// The editor lies inside its cell: 25 twips below the cell's top, 50 twips lower than the cell.
constexpr int kEditorInsetTwips = 25;

constexpr const char* kBaseName = "TW_FlueGas";

int px(int twips) {
    return twipsToPixels(twips);
}

std::size_t menuIndex(std::string_view name) {
    for (std::size_t i = 0; i < kMenuCaptions.size(); ++i) {
        if (name == kMenuCaptions[i].name) return i;
    }
    return kMenuCaptions.size();
}

QFont controlFont() {
    QFont font(kControlFontFamily);
    font.setPointSize(kControlFontSize);
    return font;
}

// The editing commands of the in-place editor that come with a modifier key.
bool isEditingCommand(const QKeyEvent& key) {
    for (QKeySequence::StandardKey command :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
          QKeySequence::Undo, QKeySequence::Redo}) {
        if (key.matches(command)) return true;
    }
    return false;
}

void showPlatformError(const AutomationError& error) {
    showMessage(error.messageText(), kApplicationTitle, MessageIcon::Critical);
}

QString textIn(const BilingualText& text, std::int32_t language) {
    return QString::fromUtf8(language == TW_Korean ? text.korean : text.english);
}

// The result rows that show a calculation's numbers (row 13 only while it is a result).
bool isResultRow(int row, So3Mode so3Mode) {
    if (row == rowSo3ConversionRate) return so3Mode == So3Mode::Automatic;
    return row == rowComponentTotal || (row >= rowMoleWeight && row <= rowWaterDewPoint);
}

}  // namespace

frmTW_FlueGas::Options frmTW_FlueGas::defaultOptions() {
    Options options;
    options.programDir = QCoreApplication::applicationDirPath().toStdString();
    options.userConfigDir =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString();
    return options;
}

frmTW_FlueGas::frmTW_FlueGas(Options options, QWidget* parent)
    : QMainWindow(parent),
      language_(options.language == TW_English ? TW_English : TW_Korean),
      options_(std::move(options)) {
    setObjectName(QStringLiteral("frmTW_FlueGas"));
    // A fixed-size tool window: it neither maximises nor resizes.
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    if (!options_.userConfigDir.empty()) {
        choices_ = readWindowChoices(options_.userConfigDir / kLastCaseFileName);
    }
    // Qt's own texts follow the program language; every open window follows a switch.
    LanguageSwitch::instance().setLanguage(language_);
    // 1. The window's Unit object is the table's; the program language.
    table_.setLanguage(language_);
    // 2. and 3. The default units, and the window's temperature and enthalpy units from them.
    LoadSettings();
    if (defaultUnits_) {
        table_.unit().setuTP(defaultUnits_->uTP());
        table_.unit().setuENTH(defaultUnits_->uENTH());
    }
    // 4. to 8. Basis volume, SO3 automatic, formula 0 are the table's initial state; captions,
    // unit column and cell styles.
    createControls();
    createMenus();
    connectTable();
    applyCaptions();
    table_.writeCompositionUnitColumn();
    table_.RefreshUnitColumn();
    refreshChecks();
    // 9. and 10.
    layoutControls();
    setUpEditor();
    // The case shown when the program last closed.
    RestoreLastCase();
    refreshResultActions();
    applyToolTips();
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this,
            &frmTW_FlueGas::applyLanguage);
    // A session that ends without the window being closed still keeps the settings.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (!exiting_) {
            exiting_ = true;
            saveOnExit();
        }
    });
    chooseResultsFile_ = [this]() -> std::optional<ResultsFile> {
        const QString csvFilter = QString::fromLatin1(kCsvFileFilter);
        const QString tableFilter = textIn(kSpreadsheetFileFilter, language_);
        QFileDialog dialog(this, textIn(kSaveResultsDialogTitle, language_), QString(),
                           csvFilter + QStringLiteral(";;") + tableFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.selectFile(QDir(saveFolder_).filePath(suggestedFileName(QStringLiteral("csv"))));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return ResultsFile(dialog.selectedFiles().front(),
                           dialog.selectedNameFilter() == tableFilter);
    };
    ask_ = [this](const QString& question) {
        return QMessageBox::question(this, QString::fromUtf8(kApplicationTitle), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    };
}

frmTW_FlueGas::~frmTW_FlueGas() {
    // The table outlives no window hook.
    table_.onCommitEditor = nullptr;
    table_.onLoadEditor = nullptr;
    table_.cellLeft = nullptr;
    table_.cellEntered = nullptr;
    table_.basisChanged = nullptr;
    table_.formulaChanged = nullptr;
    table_.so3ModeChanged = nullptr;
}

QAction* frmTW_FlueGas::menuItem(std::string_view name) const {
    const std::size_t i = menuIndex(name);
    return i < menuItems_.size() ? menuItems_[i] : nullptr;
}

// --- settings ------------------------------------------------------------------------------

void frmTW_FlueGas::LoadSettings() {
    settingsPath_ = settingsFilePath(options_.programDir, options_.userConfigDir, kBaseName);
    SettingsRead read = loadSettingsFile(settingsPath_);
    defaultUnits_ = read.units;
    if (read.error) showPlatformError(*read.error);
}

void frmTW_FlueGas::SaveSettings() {
    if (!defaultUnits_) return;
    // A folder, pipe or device in the file's place is never replaced by the settings.
    if (nameTakenByNonFile(settingsPath_)) {
        defaultUnits_.reset();
        const std::string text =
            messageText(kSettingsNotSavedMessage, language_, {{"path", settingsPath_.string()}});
        if (!text.empty()) showMessage(text, kApplicationTitle, MessageIcon::Exclamation);
        return;
    }
    const auto error = saveSettingsFile(settingsPath_, *defaultUnits_);
    defaultUnits_.reset();
    if (error) showPlatformError(*error);
}

// --- the case shown at exit -------------------------------------------------------------------

void frmTW_FlueGas::RestoreLastCase() {
    if (options_.userConfigDir.empty()) return;
    lastCasePath_ = options_.userConfigDir / kLastCaseFileName;
    const std::optional<FlueGasCase> last = readLastCase(lastCasePath_);
    if (!last) return;
    runCommand([&] {
        table_.setBasisOnly(last->basis);
        table_.SelectFormula(last->formula);
        for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
            table_.setValue(row, last->cells[static_cast<std::size_t>(row - kFirstCompositionRow)]);
        }
        // The temperatures come back in the unit they were written in, converted into the
        // window's unit when the default units differ.
        const Unit& unit = table_.unit();
        for (const auto& [row, text] :
             {std::pair{rowGasTemperature, last->cells[kSpeciesCount]},
              std::pair{rowReferenceTemperature, last->cells[kSpeciesCount + 1]}}) {
            std::string shown = text;
            if (!text.empty() && last->uTP && *last->uTP != unit.uTP()) {
                const float v = unit.CvtTP(*last->uTP, unit.uTP(), cellNumber(text));
                shown = std::isfinite(v) ? format00(v) : std::string();
            }
            table_.setValue(row, shown);
        }
        // The editor shows the restored cell before the current cell moves, so that leaving
        // it writes back the same text.
        table_.loadEditor();
        if (last->so3Mode == So3Mode::UserInput) {
            table_.setValue(rowSo3ConversionRate, last->so3Rate);
            SelectSo3Mode(So3Mode::UserInput);
        }
    });
    refreshChecks();
}

void frmTW_FlueGas::SaveLastCase() {
    if (lastCasePath_.empty()) return;
    // The exit waits a second at most for another program's lock on the file.
    if (!lastCaseLockFree(lastCasePath_, 1000)) {
        std::cerr << "TW_FlueGas: " << lastCasePath_.string()
                  << " is locked by another program; the case shown was not kept for the next "
                     "start\n";
        return;
    }
    if (!writeLastCase(lastCasePath_, caseOfTable(table_)) ||
        !writeWindowChoices(lastCasePath_, choices_)) {
        const std::string text =
            messageText(kLastCaseNotSavedMessage, language_, {{"path", lastCasePath_.string()}});
        if (!text.empty()) showMessage(text, kApplicationTitle, MessageIcon::Exclamation);
    }
}

void frmTW_FlueGas::saveOnExit() {
    // What the editor holds belongs to the case shown.
    commitEditor();
    SaveSettings();
    SaveLastCase();
}

// --- controls --------------------------------------------------------------------------------

void frmTW_FlueGas::createControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    setFont(controlFont());

    msfInput_ = new CalculatorGrid(table_, central);
    msfInput_->setObjectName(QStringLiteral("msfInput"));
    connect(msfInput_, &CalculatorGrid::cellClicked, this, [this](int row, int column) {
        runCommand([&] {
            table_.setCol(column);
            table_.setRow(row);
        });
    });
    connect(msfInput_, &CalculatorGrid::rowStepRequested, this, &frmTW_FlueGas::stepRow);

    txtInput_ = new QLineEdit(central);
    txtInput_->setObjectName(QStringLiteral("txtInput"));
    txtInput_->setAlignment(Qt::AlignCenter);
    txtInput_->setFrame(false);
    // Installed first, so that the window's own paste of a whole composition comes before it.
    new CellPaste(
        *txtInput_, [this](const QString& text) { statusBar()->showMessage(text, 10000); },
        [this] { return language_; });
    txtInput_->installEventFilter(this);

    const auto makeButton = [&](const ButtonCaption& caption) {
        auto* button = new CaptionButton(QString::fromUtf8(caption.text.korean), central);
        button->setObjectName(QString::fromUtf8(caption.name));
        button->setFont(controlFont());
        return button;
    };
    cmdCalc_ = makeButton(kButtonCaptions[0]);
    cmd100_ = makeButton(kButtonCaptions[1]);
    cmdTotal_ = makeButton(kButtonCaptions[2]);
    connect(cmdCalc_, &QPushButton::clicked, this, &frmTW_FlueGas::Calculate);
    connect(cmd100_, &QPushButton::clicked, this, &frmTW_FlueGas::MakeHundredByH2O);
    connect(cmdTotal_, &QPushButton::clicked, this, &frmTW_FlueGas::ShowComponentTotal);

    // The status bar line that says when the results belong to earlier inputs.
    staleNote_ = new QLabel(this);
    staleNote_->setObjectName(QStringLiteral("staleNote"));
    staleNote_->setFont(controlFont());
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(staleNote_, 1);

    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel(central);
        labels_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        labels_[i]->setFont(controlFont());
        labels_[i]->setTextFormat(Qt::PlainText);
    }
    labels_[0]->setText(QString::fromStdString(labelText(formulaNote(NasaGlenn, TW_Korean))));
    for (std::size_t i = 1; i < labels_.size(); ++i) {
        labels_[i]->setText(QString::fromUtf8(kTableNotes[i - 1].korean));
    }
}

void frmTW_FlueGas::createMenus() {
    const auto item = [&](std::string_view name) -> QAction*& {
        return menuItems_[menuIndex(name)];
    };
    const auto caption = [](std::string_view name) {
        return QString::fromStdString(menuText(kMenuCaptions[menuIndex(name)], TW_Korean));
    };
    const auto submenu = [&](QMenu* parentMenu, std::string_view name) {
        QMenu* menu =
            parentMenu ? parentMenu->addMenu(caption(name)) : menuBar()->addMenu(caption(name));
        menu->setObjectName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        menu->menuAction()->setObjectName(menu->objectName());
        item(name) = menu->menuAction();
        return menu;
    };
    const auto command = [&](QMenu* menu, std::string_view name, bool checkable, auto slot) {
        QAction* action = menu->addAction(caption(name));
        action->setObjectName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        action->setCheckable(checkable);
        if (const char* keys = kMenuCaptions[menuIndex(name)].shortcut) {
            action->setShortcut(QKeySequence::fromString(QString::fromLatin1(keys)));
        }
        connect(action, &QAction::triggered, this, slot);
        item(name) = action;
    };
    menuBar()->setFont(controlFont());

    QMenu* file = submenu(nullptr, "mnuFile");
    command(file, "mnuReport", false, [this] { ShowCalculationReport(); });
    command(file, "mnuSaveResults", false, [this] { SaveResults(); });
    file->addSeparator();
    command(file, "mnuExit", false, [this] { ExitProgram(); });

    QMenu* edit = submenu(nullptr, "mnuEdit");
    command(edit, "mnuCopyTable", false, [this] { CopyTable(); });
    command(edit, "mnuPasteComposition", false, [this] { PasteComposition(); });
    // The same two commands on the grid's context menu.
    msfInput_->setContextMenuPolicy(Qt::ActionsContextMenu);
    msfInput_->addAction(menuItem("mnuCopyTable"));
    msfInput_->addAction(menuItem("mnuPasteComposition"));

    QMenu* set = submenu(nullptr, "mnuSet");
    QMenu* unit = submenu(set, "mnuUnit");
    command(unit, "mnuUnitSet", false, [this] { OpenUnitDialog(); });
    command(unit, "mnuUnitDefault", false, [this] { SetUnitsAsDefault(); });
    QMenu* compUnit = submenu(set, "mnuCompUnit");
    command(compUnit, "mnuVolume", true, [this] { SetCompositionBasis(CompositionBasis::Volume); });
    command(compUnit, "mnuWeight", true, [this] { SetCompositionBasis(CompositionBasis::Weight); });
    QMenu* formula = submenu(set, "mnuFormula");
    command(formula, "mnuFormulaSub0", true, [this] { SelectFormula(NasaGlenn); });
    command(formula, "mnuFormulaSub1", true, [this] { SelectFormula(AsmePtc44); });
    command(formula, "mnuFormulaSub2", true, [this] { SelectFormula(BnWSteam); });
    QMenu* so3 = submenu(set, "mnuSO3Conv");
    command(so3, "mnuSO3Auto", true, [this] { SelectSo3Mode(So3Mode::Automatic); });
    command(so3, "mnuSO3UI", true, [this] { SelectSo3Mode(So3Mode::UserInput); });
    QMenu* language = submenu(set, "mnuLanguage");
    command(language, "mnuLanguageKorean", true, [this] { ChooseLanguage(TW_Korean); });
    command(language, "mnuLanguageEnglish", true, [this] { ChooseLanguage(TW_English); });
    set->addSeparator();
    command(set, "mnuFuelGas", false, [this] { OpenFlueGasFromFuel(); });
    command(set, "mnuEfficiency", false, [this] { showBoilerEfficiency(this, language_); });
    command(set, "mnuGasProperties", false, [this] { OpenGasProperties(); });

    // Calculate from anywhere in the window: F5 and Ctrl+Enter.
    auto* calculate = new QAction(this);
    calculate->setObjectName(QStringLiteral("actCalculate"));
    calculate->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                             QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    connect(calculate, &QAction::triggered, this, [this] { Calculate(); });
    addAction(calculate);

    QMenu* info = submenu(nullptr, "mnuInfo");
    command(info, "mnuInfoEULA", false, [this] { ShowLicenceAgreement(); });
}

void frmTW_FlueGas::applyCaptions() {
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    // The table's header and row captions follow its language.
    table_.applyCaptions();
    labels_[0]->setText(
        QString::fromStdString(labelText(formulaNote(table_.enthalpyFormula(), language_))));
    for (std::size_t i = 1; i < labels_.size(); ++i) {
        labels_[i]->setText(QString::fromUtf8(kTableNotes[i - 1].in(language_)));
    }
    for (CaptionButton* button : {cmdCalc_, cmd100_, cmdTotal_}) {
        for (const ButtonCaption& caption : kButtonCaptions) {
            if (button->objectName() == QLatin1String(caption.name)) {
                button->setText(textIn(caption.text, language_));
                button->setShortcut(QKeySequence::fromString(QString::fromLatin1(caption.keys)));
            }
        }
    }
    for (std::size_t i = 0; i < kMenuCaptions.size(); ++i) {
        if (menuItems_[i] != nullptr) {
            menuItems_[i]->setText(QString::fromStdString(menuText(kMenuCaptions[i], language_)));
        }
    }
    refreshStale();
}

void frmTW_FlueGas::applyToolTips() {
    for (CaptionButton* button : {cmdCalc_, cmd100_, cmdTotal_}) {
        for (const ButtonCaption& caption : kButtonCaptions) {
            if (button->objectName() == QLatin1String(caption.name)) {
                button->setToolTip(textIn(caption.toolTip, language_) +
                                   QStringLiteral(" (%1)").arg(
                                       button->shortcut().toString(QKeySequence::NativeText)));
            }
        }
    }
    msfInput_->tableModel().setToolTips([this](int row) {
        for (const RowToolTip& tip : kRowToolTips) {
            if (tip.row == row) return textIn(tip.text, language_);
        }
        return QString();
    });
}

void frmTW_FlueGas::applyLanguage(std::int32_t language) {
    if (language == language_) return;
    runCommand([&] {
        commitEditor();
        language_ = language;
        table_.setLanguage(language_);
        applyCaptions();
        applyToolTips();
        refreshChecks();
        loadEditor();
    });
}

void frmTW_FlueGas::ChooseLanguage(std::int32_t language) {
    choices_.language = language == TW_English ? TW_English : TW_Korean;
    LanguageSwitch::instance().setLanguage(*choices_.language);
    refreshChecks();
}

void frmTW_FlueGas::layoutControls() {
    const QSize grid = CalculatorGrid::gridSize();
    const int gridWidthTwips = pixelsToTwips(grid.width());
    const int gridHeightTwips = pixelsToTwips(grid.height());
    msfInput_->move(px(kGridLeftTwips), px(kGridTopTwips));

    const int buttonLeft = kGridLeftTwips + gridWidthTwips + kButtonGapTwips;
    int top = kGridTopTwips;
    for (CaptionButton* button : {cmdCalc_, cmd100_, cmdTotal_}) {
        button->setGeometry(px(buttonLeft), px(top), px(kButtonWidthTwips), px(kButtonHeightTwips));
        top +=
            kButtonHeightTwips + (button == cmdCalc_ ? kCalcToHundredTwips : kHundredToTotalTwips);
    }

    top = kGridTopTwips + gridHeightTwips + kGridToNotesTwips;
    for (QLabel* label : labels_) {
        label->setGeometry(px(kGridLeftTwips), px(top), px(gridWidthTwips + kButtonWidthTwips),
                           px(kNoteHeightTwips));
        top += kNoteHeightTwips + kNoteGapTwips;
    }
    const int lastNoteBottom = top - kNoteGapTwips;

    // The window's outer width is grid + buttons + 500 twips; Qt adds the frame itself, so the
    // client area is that less the two side borders. The height holds the notes with a margin:
    // title and menu bars differ in height from one desktop to the next.
    const int clientWidth =
        gridWidthTwips + kButtonWidthTwips + kWindowExtraWidthTwips - 2 * kFrameTwips;
    const int clientHeight = lastNoteBottom + kBottomMarginTwips;
    centralWidget()->setFixedSize(px(clientWidth), px(clientHeight));
    setFixedSize(px(clientWidth), px(clientHeight) + menuBar()->sizeHint().height() +
                                      statusBar()->sizeHint().height());

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void frmTW_FlueGas::setUpEditor() {
    QFont font(kControlFontFamily);
    font.setPointSize(kValueFontSize);
    txtInput_->setFont(font);
    const QRect cell = msfInput_->cellRect(table_.row(), colValue);
    const QPoint grid = msfInput_->pos();
    txtInput_->setGeometry(grid.x() + cell.x(), grid.y() + cell.y() + px(kEditorInsetTwips),
                           cell.width(), cell.height() - px(2 * kEditorInsetTwips));
    txtInput_->raise();
    txtInput_->setText(QString::fromStdString(table_.currentText()));
}

void frmTW_FlueGas::placeEditor(int row) {
    const QRect cell = msfInput_->cellRect(row, colValue);
    txtInput_->move(txtInput_->x(), msfInput_->y() + cell.y() + px(kEditorInsetTwips));
}

// --- table and editor ------------------------------------------------------------------------

void frmTW_FlueGas::connectTable() {
    table_.onCommitEditor = [this] { commitEditor(); };
    table_.onLoadEditor = [this] { loadEditor(); };
    table_.cellLeft = [this] { cellLeft(); };
    table_.cellEntered = [this] { cellEntered(); };
    table_.basisChanged = [this](CompositionBasis) { refreshChecks(); };
    table_.formulaChanged = [this](int formula) {
        refreshChecks();
        labels_[0]->setText(QString::fromStdString(labelText(formulaNote(formula, language_))));
    };
    table_.so3ModeChanged = [this](So3Mode) {
        refreshChecks();
        msfInput_->tableModel().refresh();
    };
}

void frmTW_FlueGas::commitEditor() {
    // The editor lies over the current cell only when that cell is editable; a result row that
    // became current by the mouse keeps its text.
    if (table_.isEditable(table_.row())) table_.setCurrentText(txtInput_->text().toStdString());
}

void frmTW_FlueGas::loadEditor() {
    if (table_.isEditable(table_.row())) {
        txtInput_->setText(QString::fromStdString(table_.currentText()));
    }
    msfInput_->tableModel().refresh();
}

void frmTW_FlueGas::cellLeft() {
    if (table_.isEditable(table_.row())) table_.setCurrentText(txtInput_->text().toStdString());
}

void frmTW_FlueGas::cellEntered() {
    try {
        msfInput_->showCurrentCell();
        const int row = table_.row();
        if (!table_.isEditable(row)) return;
        placeEditor(row);
        txtInput_->setText(QString::fromStdString(table_.currentText()));
        txtInput_->setToolTip(
            msfInput_->tableModel()
                .data(msfInput_->tableModel().index(row, colValue), Qt::ToolTipRole)
                .toString());
        txtInput_->setFocus(Qt::OtherFocusReason);
        txtInput_->selectAll();
    } catch (const AutomationError& e) {
        // An invalid call while the window is being set up is of no consequence here.
        if (e.number() != static_cast<int>(ErrorNumber::InvalidCall)) showPlatformError(e);
    }
}

bool frmTW_FlueGas::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtInput_) {
        if (event->type() == QEvent::FocusIn) {
            txtInput_->selectAll();
        } else if (event->type() == QEvent::KeyPress) {
            return editorKeyPress(static_cast<QKeyEvent*>(event));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmTW_FlueGas::editorKeyPress(QKeyEvent* key) {
    // A copied table or a column of seven numbers pasted into a composition row fills rows 1
    // to 7; any other paste goes into the editor.
    if (key->matches(QKeySequence::Paste) && table_.row() >= kFirstCompositionRow &&
        table_.row() <= kLastCompositionRow && pasteCompositionFromClipboard()) {
        return true;
    }
    switch (key->key()) {
        case Qt::Key_Up:
            stepRow(-1);
            return true;
        case Qt::Key_Down:
            stepRow(+1);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (key->modifiers() & Qt::ControlModifier) {
                Calculate();
                return true;
            }
            // Enter commits the cell and goes on to the next input row below.
            runCommand([&] {
                commitEditor();
                if (const int next = nextInputRow(table_.row(), +1, false); next > 0) {
                    table_.setRow(next);
                }
            });
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            // Tab goes through the input rows, round from the last to the first.
            const int delta = key->key() == Qt::Key_Tab ? +1 : -1;
            runCommand([&] {
                if (const int next = nextInputRow(table_.row(), delta, true); next > 0) {
                    table_.setRow(next);
                }
            });
            return true;
        }
        case Qt::Key_F5:
            Calculate();
            return true;
        // Keys that move the caret, delete or change focus carry no character of their own.
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Delete:
        case Qt::Key_Insert:
        case Qt::Key_Backspace:
            return false;
        default:
            break;
    }
    // A key held with Ctrl, Alt or Meta never types a character. The editing commands keep
    // their meaning (a pasted text is read by the leading-number rule like any other); Alt
    // with a letter belongs to the menu bar's mnemonics, which take it before the editor sees
    // it; whatever else arrives is dropped.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return !isEditingCommand(*key);
    }
    const QString text = key->text();
    if (text.isEmpty()) return false;
    const char32_t character = text.toUcs4().value(0);
    if (character < 128 && isAcceptedEditorKey(static_cast<int>(character))) return false;
    messageSink().beep();
    return true;
}

std::vector<std::string> frmTW_FlueGas::compositionTexts() const {
    std::vector<std::string> texts;
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        texts.push_back(table_.value(row));
    }
    texts.emplace_back(compositionUnitText(table_.compositionBasis()));
    return texts;
}

int frmTW_FlueGas::nextInputRow(int from, int delta, bool wrap) const {
    for (int step = 1; step < kTableRows; ++step) {
        int row = from + delta * step;
        if (wrap) {
            const int span = kTableRows - kFixedRows;
            row = kFixedRows + ((row - kFixedRows) % span + span) % span;
        } else if (row < kFixedRows || row >= kTableRows) {
            return 0;
        }
        const RowRole role = rowDefinitions()[static_cast<std::size_t>(row)].role;
        const bool input = role == RowRole::Input ||
                           (role == RowRole::So3Rate && table_.so3Mode() == So3Mode::UserInput);
        if (input && table_.isEditable(row)) return row;
    }
    return 0;
}

void frmTW_FlueGas::stepRow(int delta) {
    runCommand([&] {
        const int row = table_.row() + delta;
        if (row >= kFixedRows && row < kTableRows) table_.setRow(row);
    });
}

// --- window events ---------------------------------------------------------------------------

void frmTW_FlueGas::activate() {
    runCommand([&] { table_.setRow(rowN2); });
    txtInput_->setFocus(Qt::ActiveWindowFocusReason);
}

void frmTW_FlueGas::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        activate();
    }
}

void frmTW_FlueGas::closeEvent(QCloseEvent* event) {
    if (!exiting_) ExitProgram();
    event->accept();
}

// --- commands --------------------------------------------------------------------------------

template <typename F>
void frmTW_FlueGas::runCommand(F&& command) {
    try {
        command();
    } catch (const AutomationError& e) {
        showPlatformError(e);
    } catch (const std::exception& e) {
        showMessage(e.what(), kApplicationTitle, MessageIcon::Critical);
    }
    checkInputs();
    msfInput_->tableModel().refresh();
}

void frmTW_FlueGas::checkInputs() {
    if (!lastCalculation_ || calculatedInputs_.empty()) return;
    if (caseOptions(caseOfTable(table_)) == calculatedInputs_) return;
    // The inputs differ from those the results came from: every result row shows old numbers
    // until the next Calculate.
    calculatedInputs_.clear();
    for (int row = 0; row < kTableRows; ++row) {
        if (isResultRow(row, table_.so3Mode())) staleRows_.set(static_cast<std::size_t>(row));
    }
    refreshStale();
}

void frmTW_FlueGas::refreshStale() {
    if (table_.so3Mode() == So3Mode::UserInput) staleRows_.reset(rowSo3ConversionRate);
    msfInput_->tableModel().setStaleRows(staleRows_);
    staleNote_->setText(resultsStale() ? textIn(kStaleResultsNote, language_) : QString());
}

bool frmTW_FlueGas::resultsCurrentOrCalculated() {
    commitEditor();
    checkInputs();
    if (!lastCalculation_) return false;
    if (!resultsStale()) return true;
    if (!ask_ || !ask_(textIn(kCalculateNowQuestion, language_))) return false;
    Calculate();
    return lastCalculation_.has_value() && !resultsStale();
}

void frmTW_FlueGas::Calculate() {
    // The figures of the gas properties dialog belong to the calculation before.
    gasPropertiesShown_.reset();
    runCommand([&] {
        std::optional<CalculationRecord> record = CalculateAndRecord(table_);
        if (!record) {
            // The rows keep the earlier numbers, shown as old; there is nothing to report.
            if (lastCalculation_ || resultsStale()) {
                for (int row = 0; row < kTableRows; ++row) {
                    if (isResultRow(row, table_.so3Mode())) {
                        staleRows_.set(static_cast<std::size_t>(row));
                    }
                }
            }
            calculatedInputs_.clear();
            lastCalculation_.reset();
            return;
        }
        record->dateTime =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
        // The sheet names the fuel while the composition is still the one it gave.
        if (fuelOrigin_ && compositionTexts() == fuelComposition_) record->fuel = fuelOrigin_;
        lastCalculation_ = std::move(record);
        calculatedInputs_ = caseOptions(caseOfTable(table_));
        staleRows_.reset();
    });
    refreshStale();
    refreshResultActions();
}

void frmTW_FlueGas::refreshResultActions() {
    // The report and the results file describe a completed calculation.
    for (const char* name : {"mnuReport", "mnuSaveResults"}) {
        menuItem(name)->setEnabled(lastCalculation_.has_value());
    }
}

void frmTW_FlueGas::MakeHundredByH2O() {
    runCommand([&] { tw::fluegas::MakeHundredByH2O(table_); });
}

void frmTW_FlueGas::ShowComponentTotal() {
    runCommand([&] { tw::fluegas::ShowComponentTotal(table_); });
    // The total just written is that of the composition shown.
    staleRows_.reset(rowComponentTotal);
    refreshStale();
}

void frmTW_FlueGas::SetCompositionBasis(CompositionBasis basis) {
    const CompositionBasis before = table_.compositionBasis();
    runCommand([&] { tw::fluegas::SetCompositionBasis(table_, basis); });
    // The switch writes the converted total and the mole weight: those rows are current.
    if (table_.compositionBasis() != before) {
        staleRows_.reset(rowComponentTotal);
        staleRows_.reset(rowMoleWeight);
        refreshStale();
    }
    refreshChecks();
}

void frmTW_FlueGas::SelectFormula(int formula) {
    runCommand([&] { table_.SelectFormula(formula); });
    refreshChecks();
}

void frmTW_FlueGas::SelectSo3Mode(So3Mode mode) {
    runCommand([&] { table_.SelectSo3Mode(mode); });
    // When row 13 was already current (a click on it in automatic mode), the table raises no
    // cell events; the editor still has to come over the row that just became editable.
    cellEntered();
    refreshChecks();
}

void frmTW_FlueGas::refreshChecks() {
    const auto check = [&](std::string_view name, bool on) {
        if (QAction* action = menuItem(name)) action->setChecked(on);
    };
    check("mnuVolume", table_.compositionBasis() == CompositionBasis::Volume);
    check("mnuWeight", table_.compositionBasis() == CompositionBasis::Weight);
    check("mnuFormulaSub0", table_.enthalpyFormula() == NasaGlenn);
    check("mnuFormulaSub1", table_.enthalpyFormula() == AsmePtc44);
    check("mnuFormulaSub2", table_.enthalpyFormula() == BnWSteam);
    check("mnuSO3Auto", table_.so3Mode() == So3Mode::Automatic);
    check("mnuSO3UI", table_.so3Mode() == So3Mode::UserInput);
    check("mnuLanguageKorean", language_ == TW_Korean);
    check("mnuLanguageEnglish", language_ == TW_English);
}

void frmTW_FlueGas::OpenUnitDialog() {
    frmTW_UnitSel dialog(language_, this);
    TWUnitSel& control = dialog.Unit();
    runCommand([&] {
        control.setVisible_TP(true);
        control.setVisible_ENTH(true);
        control.setuTP(table_.unit().uTP());
        control.setuENTH(table_.unit().uENTH());
        control.setCallingObject(this);
        control.setTW_Language(language_);
    });
    unitDialog_ = &dialog;
    dialog.exec();
    unitDialog_ = nullptr;
    // Coming back from the dialog activates the window again.
    activate();
}

void frmTW_FlueGas::UnitChange() {
    if (!unitDialog_) return;
    const TWUnitSel& control = unitDialog_->Unit();
    runCommand([&] { table_.UnitChange(control.uTP(), control.uENTH()); });
}

void frmTW_FlueGas::SetUnitsAsDefault() {
    if (defaultUnits_) runCommand([&] { table_.SetUnitsAsDefault(*defaultUnits_); });
}

void frmTW_FlueGas::ShowLicenceAgreement() {
    showLicenceAgreement(this, language_);
    activate();
}

void frmTW_FlueGas::ShowCalculationReport() {
    if (!resultsCurrentOrCalculated()) return;
    if (report_) report_->close();
    report_ = new frmReport(*lastCalculation_, choices_.header, language_, this);
    // The figures of the gas properties dialog, when it was used since the calculation.
    if (gasPropertiesShown_) {
        report_->setExtraSections([shown = *gasPropertiesShown_](std::int32_t language) {
            return std::vector<ReportSection>{
                gasprops::gasPropertiesReportSection(shown, language)};
        });
    }
    connect(report_, &frmReport::headerChanged, this, [this](const ReportHeader& header) {
        choices_.header = header;
        if (report_) report_->setSuggestedFileName(suggestedFileName(QStringLiteral("rtf")));
    });
    report_->setSaveFolder(saveFolder_);
    report_->setSuggestedFileName(suggestedFileName(QStringLiteral("rtf")));
    connect(report_, &frmReport::savedIn, this, [this](const QString& folder) {
        saveFolder_ = folder;
        if (report_) report_->setSuggestedFileName(suggestedFileName(QStringLiteral("rtf")));
    });
    report_->show();
    report_->raise();
    report_->activateWindow();
}

void frmTW_FlueGas::SaveResults() {
    if (!chooseResultsFile_ || !resultsCurrentOrCalculated()) return;
    const std::optional<ResultsFile> file = chooseResultsFile_();
    if (!file || file->name.isEmpty()) return;
    // Written whole beside its final name and renamed over it, so a failed save leaves any
    // earlier file as it was.
    const std::filesystem::path path = file->name.toStdString();
    const std::string contents = file->spreadsheet
                                     ? resultsSpreadsheetCsv(*lastCalculation_, language_)
                                     : resultsCsv(*lastCalculation_);
    if (const auto error = writeFileAtomically(path, contents); !error) {
        saveFolder_ = QFileInfo(file->name).absolutePath();
    } else {
        const std::string text =
            messageText(kResultsNotSavedMessage, language_,
                        {{"path", path.string()}, {"reason", error->messageText()}});
        if (!text.empty()) showMessage(text, kApplicationTitle, MessageIcon::Critical);
    }
}

void frmTW_FlueGas::CopyTable() {
    runCommand([&] {
        commitEditor();
        QApplication::clipboard()->setMimeData(tableMimeData(table_).release());
    });
}

void frmTW_FlueGas::PasteComposition() {
    if (!pasteCompositionFromClipboard()) messageSink().beep();
}

bool frmTW_FlueGas::pasteCompositionFromClipboard() {
    const auto values = pastedComposition(QApplication::clipboard()->text().toStdString());
    if (!values) return false;
    runCommand([&] {
        commitEditor();
        for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
            table_.setValue(row, (*values)[static_cast<std::size_t>(row - kFirstCompositionRow)]);
        }
        loadEditor();
        if (table_.isEditable(table_.row())) txtInput_->selectAll();
    });
    return true;
}

void frmTW_FlueGas::OpenFlueGasFromFuel() {
    frmFuelGas dialog(language_, this);
    if (dialog.exec() == QDialog::Accepted && dialog.result()) {
        runCommand([&] {
            ApplyFlueGasFromFuel(table_, *dialog.result());
            fuelOrigin_.reset();
            if (const std::optional<CombustionInput> input = dialog.input()) {
                fuelOrigin_ = CalculationRecord::FuelOrigin{*input, *dialog.result()};
                fuelComposition_ = compositionTexts();
            }
        });
    }
    activate();
}

QString frmTW_FlueGas::suggestedFileName(const QString& suffix) const {
    // The case's name with the characters a file name cannot hold replaced.
    QString base = QString::fromStdString(choices_.header.caseName).trimmed();
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]+"));
    base.replace(unsafe, QStringLiteral("_"));
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String("..")) {
        base = QString::fromLatin1(kBaseName);
    }
    return base.left(120) + u'.' + suffix;
}

void frmTW_FlueGas::OpenGasProperties() {
    commitEditor();
    frmGasProperties dialog(table_, language_, this);
    dialog.exec();
    // The calculation's report adds the figures last shown.
    if (lastCalculation_ && dialog.shown()) gasPropertiesShown_ = dialog.shown();
    activate();
}

void frmTW_FlueGas::ExitProgram() {
    if (exiting_) return;
    exiting_ = true;
    saveOnExit();
    // Every window of the program closes; the event loop ends when it runs.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

}  // namespace tw::fluegas
