#pragma once
// The rich text output control: a page-like rich text pane with its own menus, toolbar and
// font lists, which a host fills with rtfSelText in tab columns computed from a paper width
// and margins, and which the user may then edit, save as RTF and print.

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "TWRTFOutput/Export.h"

class QAction;
class QComboBox;
class QMenuBar;
class QPrinter;
class QTextEdit;
class QToolBar;

namespace tw {
class PropertyBag;
}

// The file, print and message dialogs the control shows. Hosts and tests may replace them.
class TWRTFOUTPUT_EXPORT RtfOutputDialogs {
  public:
    virtual ~RtfOutputDialogs() = default;
    // The chosen file name, or nothing when the dialog was cancelled.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& title,
                                                const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& title,
                                                const QString& filter,
                                                const QString& defaultSuffix) = 0;
    // The same, offering `suggested` (a folder and file name) first; dialogs that cannot offer
    // a name ask as saveFileName does.
    virtual std::optional<QString> saveFileNameSuggesting(QWidget* parent, const QString& title,
                                                          const QString& filter,
                                                          const QString& defaultSuffix,
                                                          const QString& suggested) {
        static_cast<void>(suggested);
        return saveFileName(parent, title, filter, defaultSuffix);
    }
    // Sets up `printer`; false when cancelled. `selectionOnly` comes back true when the user
    // chose to print the selection (offered only when `hasSelection`).
    virtual bool print(QWidget* parent, const QString& title, QPrinter& printer, bool hasSelection,
                       bool& selectionOnly) = 0;
    // Yes, No or Cancel, without an icon.
    virtual QMessageBox::StandardButton askYesNoCancel(QWidget* parent, const QString& caption,
                                                       const QString& text) = 0;
    // A critical message with an OK button.
    virtual void showCritical(QWidget* parent, const QString& caption, const QString& text) = 0;
};

class TWRTFOUTPUT_EXPORT ctlTWRTFOutput_d : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor rtfBackColor READ rtfBackColor WRITE setrtfBackColor)
    Q_PROPERTY(int rtfBorderStyle READ rtfBorderStyle WRITE setrtfBorderStyle)
    Q_PROPERTY(bool rtfEnabled READ rtfEnabled WRITE setrtfEnabled)
    Q_PROPERTY(bool rtfLocked READ rtfLocked WRITE setrtfLocked)
    Q_PROPERTY(int rtfPaperWidth READ rtfPaperWidth WRITE setrtfPaperWidth)
    Q_PROPERTY(short rtfFontSize READ rtfFontSize WRITE setrtfFontSize)
    Q_PROPERTY(bool rtfFontBold READ rtfFontBold WRITE setrtfFontBold)
    Q_PROPERTY(bool rtfFontItalic READ rtfFontItalic WRITE setrtfFontItalic)
    Q_PROPERTY(bool rtfFontStrikeThru READ rtfFontStrikeThru WRITE setrtfFontStrikeThru)
    Q_PROPERTY(bool rtfFontUnderline READ rtfFontUnderline WRITE setrtfFontUnderline)
    Q_PROPERTY(short rtfTabNos READ rtfTabNos WRITE setrtfTabNos)
    Q_PROPERTY(float rtfMarginLeftCm READ rtfMarginLeftCm WRITE setrtfMarginLeftCm)
    Q_PROPERTY(float rtfMarginRightCm READ rtfMarginRightCm WRITE setrtfMarginRightCm)
    Q_PROPERTY(QString rtfText READ rtfText WRITE setrtfText)
    Q_PROPERTY(QObject* CallingObject READ CallingObject WRITE setCallingObject)
    Q_PROPERTY(int TW_Language READ TW_Language WRITE setTW_Language)

  public:
    enum enmPaperWidth : std::int32_t {
        A4_Portrait = 0,
        A4_Landscape = 1,
        A3_Portrait = 2,
        A3_Landscape = 3,
        B5_Portrait = 4,
        B5_Landscape = 5,
        B4_Portrait = 6,
        B4_Landscape = 7,
    };
    Q_ENUM(enmPaperWidth)

    // The commands of the menus and the toolbar.
    enum class Command {
        New,
        Open,
        Save,
        SaveAs,
        Print,
        Close,
        Cut,
        Copy,
        Paste,
        Delete,
        Bold,
        Italic,
        StrikeThru,
        Underline,
        Center,
        Left,
        Right,
    };

    // Paragraph alignments as the commands name them.
    enum ParagraphAlignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

    explicit ctlTWRTFOutput_d(QWidget* parent = nullptr);
    ~ctlTWRTFOutput_d() override;

    QColor rtfBackColor() const;
    void setrtfBackColor(const QColor& color);
    int rtfBorderStyle() const;  // 0 none, 1 fixed single
    void setrtfBorderStyle(int style);
    bool rtfEnabled() const;
    void setrtfEnabled(bool enabled);
    bool rtfLocked() const;
    void setrtfLocked(bool locked);
    int rtfPaperWidth() const { return paperKind_; }
    void setrtfPaperWidth(int kind);
    short rtfFontSize() const { return fontSize_; }
    void setrtfFontSize(short size);
    bool rtfFontBold() const { return bold_; }
    void setrtfFontBold(bool on);
    bool rtfFontItalic() const { return italic_; }
    void setrtfFontItalic(bool on);
    bool rtfFontStrikeThru() const { return strikeThru_; }
    void setrtfFontStrikeThru(bool on);
    bool rtfFontUnderline() const { return underline_; }
    void setrtfFontUnderline(bool on);
    short rtfTabNos() const { return tabNos_; }
    void setrtfTabNos(short count);
    float rtfMarginLeftCm() const { return marginLeftCm_; }
    void setrtfMarginLeftCm(float cm);
    float rtfMarginRightCm() const { return marginRightCm_; }
    void setrtfMarginRightCm(float cm);
    QString rtfText() const;
    void setrtfText(const QString& text);
    QObject* CallingObject() const { return callingObject_; }
    void setCallingObject(QObject* object);
    int TW_Language() const { return language_; }
    void setTW_Language(int language);

    // Lays words out in tab columns; TabPos and TabWidth come back clamped to the tab stops of
    // the insertion point.
    void rtfSelText(QString& SrcWord, short& TabPos, short& TabWidth, short& LineFeedNos);
    void rtfSelText(const QString& SrcWord, short TabPos = 0, short TabWidth = 1,
                    short LineFeedNos = 0);

    void ApplyPageLayout();

    // How a table column sets the text of its cells.
    enum class CellAlignment { Left, Right, Center };
    // Sets `rows` as a ruled table (thin single borders round every cell) after the text of
    // the insertion point's line, from the line's left indent on: one column for each entry of
    // `columnWidths` (twips), aligned as the same entry of `alignments` says (left where it has
    // none). A row's cells past the columns are dropped, missing ones stay empty; the first row
    // is bold when `headerBold`. The insertion point then starts a new line under the table,
    // in the layout of the line before. Nothing is set without rows or columns.
    void rtfTable(const std::vector<std::vector<QString>>& rows,
                  const std::vector<int>& columnWidths,
                  const std::vector<CellAlignment>& alignments, bool headerBold = false);

    void readProperties(const tw::PropertyBag& bag);
    void writeProperties(tw::PropertyBag& bag) const;

    // Paper width in twips for each paper kind; nothing for a value outside the list.
    static std::optional<float> paperWidthTwips(int kind);

    // Layout state.
    float paperWidth() const { return paperWidth_; }
    float columnUnit() const { return columnUnit_; }
    short currentColumn() const { return currentColumn_; }
    // Tab stops of the insertion point's paragraph, in twips from the text's left edge.
    std::vector<float> tabStops() const;
    // Left and right indents of the insertion point's paragraph, in twips.
    float leftIndent() const;
    float rightIndent() const;

    // Document state.
    bool isModified() const { return modified_; }
    bool isUntitled() const { return untitled_; }
    QString fileName() const { return fileName_; }

    // Runs the command of a toolbar key; a key without a command does nothing.
    void toolbarButtonClick(const QString& key);
    void runCommand(Command command);
    bool isButtonPressed(const QString& key) const;

    // Prints the text, or only the selected part, on `printer` page by page.
    void printTo(QPrinter& printer, bool selectionOnly) const;

    // Loads and saves RTF files; false and an error message through the dialogs on failure.
    bool loadFile(const QString& fileName);
    bool saveFile(const QString& fileName);

    void setDialogs(std::unique_ptr<RtfOutputDialogs> dialogs);

    // The viewer mode, for read-only text a host shows: no toolbar, no font lists, and one
    // menu in plain words, "파일(&F)" with "다른 이름으로 저장(&A)..." (Ctrl+S), "인쇄(&P)..."
    // (Ctrl+P) and "닫기(&C)" (English with TW_Language 1). The full mode is the default.
    void setViewerMode(bool on);
    bool isViewerMode() const noexcept { return viewerMode_; }
    // The file name the save dialog offers first (folder and name).
    void setSuggestedFileName(const QString& name) { suggestedFileName_ = name; }
    QString suggestedFileName() const { return suggestedFileName_; }
    // The document's title, given to printed files (the title of a PDF).
    void setDocumentTitle(const QString& title) { documentTitle_ = title; }
    QString documentTitle() const { return documentTitle_; }
    // Prints "page / pages" centred under the text of every printed page, and gives the saved
    // file a footer with the page and page count fields.
    void setPageNumbers(bool on) { pageNumbers_ = on; }
    bool pageNumbers() const noexcept { return pageNumbers_; }

    QTextEdit* textArea() const { return rtfOutput_; }
    QToolBar* toolbar() const { return toolbar_; }
    QMenuBar* menuBar() const { return menuBar_; }
    QComboBox* fontList() const { return cmbFont_; }
    QComboBox* sizeList() const { return cmbSize_; }

  public slots:
    void NewDocument();
    void OpenDocument();
    void SaveDocument();
    void SaveDocumentAs();
    void PrintDocument();

  signals:
    void CloseClick();
    // A file was saved under `fileName`.
    void fileSaved(const QString& fileName);
    // Tells the host's property store that a property was set.
    void PropertyChanged(const QString& name);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class ProgrammaticEdit;

    void setupActions();
    void setupViewerMenu();
    void applyViewerCaptions();
    void toggleCharAttribute(Command command);
    void setAlignment(ParagraphAlignment alignment);
    void chooseFont(const QString& family);
    void chooseSize(const QString& entry);
    void cutOrCopy(bool cut);
    void paste();
    void deleteSelection();
    void updateToolbarState();
    void applyCharFormat(const class QTextCharFormat& format);
    void applyWrapWidth();
    void applyLayoutWithoutLineFeed();
    bool protectModifiedDocument();
    bool saveFileAs();
    void showError(int number, const QString& description);
    void firstDisplay();
    QFont insertionFont() const;

    QMenuBar* menuBar_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QComboBox* cmbFont_ = nullptr;
    QComboBox* cmbSize_ = nullptr;
    QTextEdit* rtfOutput_ = nullptr;
    std::unique_ptr<RtfOutputDialogs> dialogs_;

    int paperKind_ = A4_Portrait;
    float paperWidth_ = 11907.0f;
    float marginLeftCm_ = 1.0f;
    float marginRightCm_ = 1.0f;
    short tabNos_ = 0;
    short fontSize_ = 9;
    bool bold_ = false;
    bool italic_ = false;
    bool strikeThru_ = false;
    bool underline_ = false;
    int language_ = 0;
    QPointer<QObject> callingObject_;
    bool untitled_ = true;
    bool modified_ = false;
    float columnUnit_ = 0.0f;
    short currentColumn_ = 0;
    QString fileName_;
    QFont ownFont_;  // follows the insertion format; measures the words
    int programmaticDepth_ = 0;
    bool displayed_ = false;
    bool viewerMode_ = false;
    QMenuBar* viewerMenuBar_ = nullptr;
    QString suggestedFileName_;
    QString documentTitle_;
    bool pageNumbers_ = false;
};
