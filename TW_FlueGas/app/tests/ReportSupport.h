#pragma once
// Helpers of the calculation report tests: the control's file and print dialogs answered by
// the test, and the saved report read back with our RTF reader.
#include <QFile>
#include <QPrinter>
#include <QStringList>
#include <optional>

#include "TWRTFOutput/RtfDocument.h"
#include "TWRTFOutput/ctlTWRTFOutput_d.h"

namespace tw::fluegas::testing {

// Save as answers `saveAs`; Print prints into the PDF file `pdf`, as the print dialog's file
// output does.
class AnsweringDialogs final : public RtfOutputDialogs {
  public:
    AnsweringDialogs(QString saveAs, QString pdf)
        : saveAs_(std::move(saveAs)), pdf_(std::move(pdf)) {}
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return saveAs_;
    }
    bool print(QWidget*, const QString&, QPrinter& printer, bool, bool& selectionOnly) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf_);
        selectionOnly = false;
        return true;
    }
    QMessageBox::StandardButton askYesNoCancel(QWidget*, const QString&, const QString&) override {
        return QMessageBox::No;
    }
    void showCritical(QWidget*, const QString&, const QString& text) override { errors << text; }

    QStringList errors;

  private:
    QString saveAs_;
    QString pdf_;
};

inline std::optional<rtf::Document> readRtfFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return rtf::read(file.readAll());
}

// The fields of a paragraph set in tab columns: its text split at tabs, empty fields dropped.
inline QStringList columns(const rtf::Paragraph& paragraph) {
    QStringList fields = paragraph.text().split(u'\t');
    fields.removeAll(QString());
    return fields;
}

}  // namespace tw::fluegas::testing
