// The program's icon: compiled into the program in the icon theme's sizes and shown by every
// window of the program, the dialogs included.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "ApplicationIcon.h"
#include "QtTestApp.h"
#include "frmEULA.h"
#include "frmTW_UnitSel.h"
#include "tw/Language.h"

using namespace tw;
using namespace tw::fluegas;
using namespace tw::fluegas::testing;

namespace {

// Whether the picture has drawn (not fully transparent) pixels.
bool drawn(const QIcon& icon, int size) {
    const QImage image = icon.pixmap(size, size).toImage();
    if (image.isNull()) return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) return true;
    return false;
}

}  // namespace

TEST(ProgramIcon, CarriesTheThemeSizesAndDrawsAtAnySize) {
    qtApp();
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {48, 128, 256}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // Title bars and task lists ask for sizes between and below the rendered ones.
    for (int size : {16, 24, 32, 64, 512}) EXPECT_TRUE(drawn(icon, size)) << size;
}

TEST(ProgramIcon, EveryWindowShowsTheProgramsIcon) {
    qtApp();
    const QIcon before = QApplication::windowIcon();
    QApplication::setWindowIcon(applicationIcon());
    const QList<QSize> sizes = applicationIcon().availableSizes();
    frmEULA licence(TW_English);
    EXPECT_EQ(licence.windowIcon().availableSizes(), sizes);
    frmTW_UnitSel units(TW_Korean);
    EXPECT_EQ(units.windowIcon().availableSizes(), sizes);
    QApplication::setWindowIcon(before);
}
