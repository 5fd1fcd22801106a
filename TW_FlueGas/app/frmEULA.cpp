#include "frmEULA.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <array>
#include <vector>

#include "LicenceAgreement.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "tw/Language.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// A paragraph of the agreement: pieces short enough for one line each, set one after the
// other so that they run on.
struct AgreementParagraph {
    bool bold;
    std::vector<const char*> pieces;
};

struct Agreement {
    const char* title;
    const char* edition;
    float marginRightCm;
    std::vector<AgreementParagraph> paragraphs;
};

const Agreement& koreanAgreement() {
    static const Agreement agreement{
        "TW_FlueGas 최종 사용자 사용권 계약서",
        "제1판, 2026년 12월",
        1.0f,
        {
            {true,
             {"이 계약서는 TW_FlueGas 프로그램과 그 부속 라이브러리를 ",
              "사용하는 모든 사용자에게 적용됩니다."}},
            {false,
             {"프로그램을 설치하거나 사용하면 이 계약서의 ", "모든 조항에 동의한 것으로 봅니다."}},
            {false, {"사용자는 이 프로그램을 업무용 계산에 ", "제한 없이 사용할 수 있습니다."}},
            {false, {"프로그램의 복제는 사용자 자신의 ", "백업을 위한 경우에만 허용됩니다."}},
            {false, {"프로그램을 역설계하거나 수정하여 ", "다시 배포할 수 없습니다."}},
            {true, {"계산 결과는 참고용이며, 설계의 최종 판단은 ", "사용자의 책임입니다."}},
            {false,
             {"제작자는 프로그램 사용으로 생긴 ", "직접 또는 간접 손해에 책임을 지지 않습니다."}},
            {false,
             {"프로그램은 현재 상태 그대로 제공되며, ",
              "특정 목적에의 적합성을 보증하지 않습니다."}},
            {false, {"이 계약을 위반하면 사용권은 ", "즉시 소멸합니다."}},
            {false, {"이 계약서에 관한 문의는 ", "프로그램 제작자에게 하십시오."}},
        }};
    return agreement;
}

const Agreement& englishAgreement() {
    static const Agreement agreement{
        "TW_FlueGas End User License Agreement",
        "First edition, December 2026",
        2.0f,
        {
            {true,
             {"This agreement applies to every user of the TW_FlueGas ",
              "program and its libraries."}},
            {false,
             {"By installing or using the program you accept ", "all terms of this agreement."}},
            {false, {"You may use the program for engineering ", "calculations without limit."}},
            {false, {"You may copy the program only to keep ", "a backup for your own use."}},
            {false, {"You may not reverse engineer the program, ", "nor distribute it changed."}},
            {false, {"You may not rent, lease or sell ", "the program to others."}},
            {true, {"Results are for reference only; the final design ", "decision is yours."}},
            {false,
             {"The maker is not liable for direct or indirect ", "damage from using the program."}},
            {false,
             {"The program is provided as is, without warranty ", "of fitness for any purpose."}},
            {false, {"Your licence ends at once ", "if you break this agreement."}},
            {false, {"Please address questions about this ", "agreement to the maker."}},
        }};
    return agreement;
}

// The smallest dialog that still shows the control's whole menu bar and a few lines of the
// agreement (the viewer has no toolbar).
QSize minimumAgreementSize(const ctlTWRTFOutput_d& rtf) {
    constexpr int kLinesShown = 4;
    // Below the text the control keeps a margin (twips) for its frame.
    constexpr int kControlBottomTwips = 700;
    const auto* menu =
        rtf.isViewerMode() ? rtf.findChild<QMenuBar*>("viewerMenuBar") : rtf.findChild<QMenuBar*>();
    const auto* toolbar = rtf.isViewerMode() ? nullptr : rtf.findChild<QToolBar*>();
    const QTextEdit& text = *rtf.textArea();
    const int menuHeight = menu ? menu->sizeHint().height() : 0;
    const int toolbarHeight = toolbar ? toolbar->sizeHint().height() : 0;
    // The page is wider than a small dialog, so a horizontal scroll bar takes its place too.
    const int textHeight = text.fontMetrics().lineSpacing() * kLinesShown +
                           2 * (text.frameWidth() + int(text.document()->documentMargin())) +
                           text.horizontalScrollBar()->sizeHint().height();
    const int width = std::max(menu ? menu->sizeHint().width() : 0,
                               toolbar ? toolbar->minimumSizeHint().width() : 0);
    return {width,
            menuHeight + toolbarHeight + textHeight + tw::twipsToPixels(kControlBottomTwips)};
}

}  // namespace

frmEULA::frmEULA(std::int32_t language, QWidget* parent) : QDialog(parent) {
    setObjectName("frmEULA");
    setModal(true);
    setWindowTitle(QString::fromUtf8(koreanAgreement().title));
    const QSize size(tw::twipsToPixels(11800), tw::twipsToPixels(8000));
    resize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));

    rtfOutput_ = new ctlTWRTFOutput_d(this);
    rtfOutput_->setObjectName("rtfOutput");
    rtfOutput_->setGeometry(0, 0, size.width(), size.height());
    rtfOutput_->setTW_Language(language);
    // Read-only text: the control's viewer, with Save as, Print and Close only.
    rtfOutput_->setViewerMode(true);
    connect(rtfOutput_, &ctlTWRTFOutput_d::CloseClick, this, &QDialog::accept);
    compose(language);
    setMinimumSize(minimumAgreementSize(*rtfOutput_));
    // The reader starts at the top of the agreement.
    rtfOutput_->textArea()->moveCursor(QTextCursor::Start);
}

void frmEULA::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The control fills the dialog and follows its size.
    if (rtfOutput_ != nullptr) rtfOutput_->setGeometry(rect());
}

void frmEULA::compose(std::int32_t language) {
    const Agreement* agreement = language == TW_Korean    ? &koreanAgreement()
                                 : language == TW_English ? &englishAgreement()
                                                          : nullptr;
    if (agreement == nullptr) return;  // another language value leaves the pane empty
    if (language == TW_English) setWindowTitle(QString::fromUtf8(agreement->title));

    ctlTWRTFOutput_d& rtf = *rtfOutput_;
    rtf.setrtfPaperWidth(ctlTWRTFOutput_d::A4_Portrait);
    rtf.setrtfMarginLeftCm(1.0f);
    rtf.setrtfMarginRightCm(agreement->marginRightCm);
    rtf.setrtfLocked(true);
    rtf.setrtfTabNos(0);
    rtf.setrtfFontBold(true);
    rtf.setrtfFontSize(10);
    rtf.setrtfFontUnderline(true);
    rtf.rtfSelText(QString::fromUtf8(agreement->title), 0, 1, 1);
    rtf.rtfSelText(QString::fromUtf8(agreement->edition), 0, 1, 3);
    rtf.setrtfFontBold(false);
    rtf.setrtfFontUnderline(false);
    for (std::size_t p = 0; p < agreement->paragraphs.size(); ++p) {
        const AgreementParagraph& paragraph = agreement->paragraphs[p];
        const bool last = p + 1 == agreement->paragraphs.size();
        if (paragraph.bold) rtf.setrtfFontBold(true);
        for (std::size_t i = 0; i < paragraph.pieces.size(); ++i) {
            const bool lastPiece = i + 1 == paragraph.pieces.size();
            rtf.rtfSelText(QString::fromUtf8(paragraph.pieces[i]), 0, 1,
                           lastPiece && !last ? 3 : 0);
        }
        if (paragraph.bold) rtf.setrtfFontBold(false);
    }
}

void showLicenceAgreement(QWidget* parent, std::int32_t language) {
    frmEULA dialog(language, parent);
    dialog.exec();
}

}  // namespace tw::fluegas
