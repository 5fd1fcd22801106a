// Creates both widgets of the suite and writes a line into the rich text pane.
#include <QApplication>
#include <cstdio>

#include "TWRTFOutput/ctlTWRTFOutput_d.h"
#include "TWUnitSel.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tw::TWUnitSel units;
    ctlTWRTFOutput_d rtf;
    rtf.rtfSelText(QStringLiteral("TW"));
    std::printf("%s %s %s\n", units.metaObject()->className(), rtf.metaObject()->className(),
                qPrintable(rtf.rtfText().trimmed()));
    return 0;
}
