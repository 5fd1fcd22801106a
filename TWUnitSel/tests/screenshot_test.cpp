// Pictures of the control with every row shown, in both languages, for a look by eye.

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>

#include "QtTestApplication.h"
#include "TWUnitSel.h"

#ifndef TW_SCREENSHOT_DIR
#define TW_SCREENSHOT_DIR "screenshots"
#endif

namespace tw {
namespace {

TEST(UnitSelectionPicture, AllRowsInKoreanAndEnglish) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(TW_SCREENSHOT_DIR)));
    struct Picture {
        enmLanguage language;
        const char* file;
    };
    for (const Picture& p : {Picture{TW_Korean, "twunitsel_korean.png"},
                             Picture{TW_English, "twunitsel_english.png"}}) {
        TWUnitSel sel;
        sel.VisibleAll(true);
        sel.setuTP(ktounit_degF);  // a mixed choice, so the system selector shows Mixed Units
        sel.setTW_Language(p.language);
        sel.show();
        const QPixmap picture = sel.grab();
        EXPECT_EQ(picture.size(), sel.size());
        const QString path = QStringLiteral(TW_SCREENSHOT_DIR "/") + p.file;
        EXPECT_TRUE(picture.save(path)) << path.toStdString();
    }
}

}  // namespace
}  // namespace tw
