#include "CaptionButton.h"

#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace tw::fluegas {

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    // The caption inside the button's contents rectangle, wrapped at blanks and centred.
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int shift =
        isDown() ? style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this) : 0;
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    // A run of blanks in a caption is where the line breaks on the narrow button of the
    // original layout; it is drawn as a line break so the second line starts there.
    QString shown = caption;
    shown.replace(QRegularExpression(QStringLiteral(" {2,}")), QStringLiteral("\n"));
    painter.drawText(contents.translated(shift, shift), Qt::AlignCenter | Qt::TextWordWrap, shown);
}

}  // namespace tw::fluegas
