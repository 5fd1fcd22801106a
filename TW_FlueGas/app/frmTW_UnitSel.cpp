#include "frmTW_UnitSel.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QTimer>

#include "WindowTexts.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// The dialog is as high as its control plus this margin.
constexpr int kBottomMarginTwips = 200;

}  // namespace

frmTW_UnitSel::frmTW_UnitSel(std::int32_t language, QWidget* parent)
    : QDialog(parent), language_(language), unit_(new TWUnitSel(this)) {
    setObjectName(QStringLiteral("frmTW_UnitSel"));
    unit_->setObjectName(QStringLiteral("Unit"));
    unit_->move(0, 0);
    setModal(true);
    if (const char* caption = kUnitDialogCaption.in(language)) {
        setWindowTitle(QString::fromUtf8(caption));
    }
    unit_->setTW_Language(language);
    connect(unit_, &TWUnitSel::OKClick, this, &frmTW_UnitSel::okClick);
    connect(unit_, &TWUnitSel::CancelClick, this, &QDialog::reject);
}

void frmTW_UnitSel::okClick() {
    // The dialog knows its caller only as an object with a public UnitChange.
    if (QObject* caller = unit_->CallingObject()) {
        QMetaObject::invokeMethod(caller, "UnitChange", Qt::DirectConnection);
    }
    accept();
}

void frmTW_UnitSel::fitToControl() {
    const QSize control = unit_->size();
    setFixedSize(control.width(), control.height() + twipsToPixels(kBottomMarginTwips));
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

void frmTW_UnitSel::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The control takes its size when it is shown; the dialog follows it.
    fitToControl();
    QTimer::singleShot(0, this, [this] { fitToControl(); });
}

}  // namespace tw::fluegas
