#include "frmFittings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "LineDropTexts.h"
#include "tw/Fittings.h"
#include "tw/MessageSink.h"

namespace tw::linedrop {
namespace {

enum Column { kKindColumn, kQuantityColumn, kPara1Column, kPara2Column };

QString number(double value) {
    return QString::number(value, 'g', 7);
}

}  // namespace

std::pair<const char*, const char*> parameterNames(std::int32_t kind, std::int32_t language) {
    const FittingKind* row = findFitting(kind);
    if (row == nullptr) return {nullptr, nullptr};
    if (row->value == UserDefinedFitting_dP) return {kUserDropParameter.in(language), nullptr};
    for (const ParameterNames& names : kParameterNames) {
        if (names.rule == row->rule) {
            return {names.para1.korean ? names.para1.in(language) : nullptr,
                    names.para2.korean ? names.para2.in(language) : nullptr};
        }
    }
    return {nullptr, nullptr};
}

frmFittings::frmFittings(std::vector<tw::line::FittingGroup> fittings, int segment,
                         std::int32_t language, QWidget* parent)
    : QDialog(parent), original_(std::move(fittings)), language_(language) {
    setObjectName(QStringLiteral("frmFittings"));
    setWindowTitle(
        QString::fromStdString(textWith(kFittingsCaption, language_, std::to_string(segment))));
    table_ = new QTableWidget(0, static_cast<int>(kFittingColumns.size()), this);
    table_->setObjectName(QStringLiteral("tblFittings"));
    QStringList heads;
    for (const BilingualText& h : kFittingColumns) heads << QString::fromUtf8(h.in(language_));
    table_->setHorizontalHeaderLabels(heads);
    table_->horizontalHeader()->setSectionResizeMode(kKindColumn, QHeaderView::Stretch);
    parameters_ = new QLabel(this);
    parameters_->setObjectName(QStringLiteral("lblParameters"));
    for (const tw::line::FittingGroup& g : original_) addRow(g);
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { showParameters(row); });

    auto* add = new QPushButton(QString::fromUtf8(kAddFitting.in(language_)), this);
    add->setObjectName(QStringLiteral("cmdAddFitting"));
    connect(add, &QPushButton::clicked, this, [this] {
        addRow(tw::line::FittingGroup{Bend_LongRadius, 1, 1, 0, {}});
        table_->setCurrentCell(table_->rowCount() - 1, kKindColumn);
    });
    auto* remove = new QPushButton(QString::fromUtf8(kRemoveFitting.in(language_)), this);
    remove->setObjectName(QStringLiteral("cmdRemoveFitting"));
    connect(remove, &QPushButton::clicked, this, [this] {
        if (table_->currentRow() >= 0) table_->removeRow(table_->currentRow());
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmFittings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmFittings::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(parameters_);
    layout->addLayout(row);
    layout->addWidget(buttons);
    resize(640, 320);
    showParameters(table_->rowCount() > 0 ? 0 : -1);
}

void frmFittings::addRow(const tw::line::FittingGroup& group) {
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto* kind = new QComboBox(table_);
    kind->setObjectName(QStringLiteral("cmbKind"));
    for (const FittingKind& f : kFittingCatalogue) kind->addItem(QString::fromUtf8(f.displayName));
    kind->setCurrentIndex(findFitting(group.kind) ? group.kind : 0);
    table_->setCellWidget(row, kKindColumn, kind);
    table_->setItem(row, kQuantityColumn, new QTableWidgetItem(QString::number(group.quantity)));
    table_->setItem(row, kPara1Column, new QTableWidgetItem(number(group.para1)));
    table_->setItem(row, kPara2Column, new QTableWidgetItem(number(group.para2)));
    connect(kind, &QComboBox::currentIndexChanged, this, [this, kind] {
        for (int r = 0; r < table_->rowCount(); ++r) {
            if (table_->cellWidget(r, kKindColumn) == kind) {
                table_->setCurrentCell(r, kKindColumn);
                showParameters(r);
            }
        }
    });
    showParameters(row);
}

void frmFittings::showParameters(int row) {
    if (row < 0 || row >= table_->rowCount()) {
        parameters_->clear();
        return;
    }
    const auto* kind = static_cast<QComboBox*>(table_->cellWidget(row, kKindColumn));
    const auto [p1, p2] = parameterNames(kind->currentIndex(), language_);
    // A cell the kind does not use is locked; its value is kept as the file had it.
    const std::array<std::pair<int, const char*>, 2> cells{
        {{kPara1Column, p1}, {kPara2Column, p2}}};
    for (const auto& [column, name] : cells) {
        QTableWidgetItem* item = table_->item(row, column);
        item->setFlags(name ? item->flags() | Qt::ItemIsEditable
                            : item->flags() & ~Qt::ItemIsEditable);
        item->setToolTip(name ? QString::fromUtf8(name) : QString());
    }
    const QString none = QString::fromUtf8(kNoParameter.in(language_));
    parameters_->setText(
        QStringLiteral("Para1: %1    Para2: %2")
            .arg(p1 ? QString::fromUtf8(p1) : none, p2 ? QString::fromUtf8(p2) : none));
}

std::optional<std::vector<tw::line::FittingGroup>> frmFittings::fittings() const {
    std::vector<tw::line::FittingGroup> groups;
    for (int r = 0; r < table_->rowCount(); ++r) {
        tw::line::FittingGroup g = static_cast<std::size_t>(r) < original_.size()
                                       ? original_[static_cast<std::size_t>(r)]
                                       : tw::line::FittingGroup{};
        g.kind = static_cast<QComboBox*>(table_->cellWidget(r, kKindColumn))->currentIndex();
        bool okQuantity = false, ok1 = false, ok2 = false;
        const int quantity = table_->item(r, kQuantityColumn)->text().trimmed().toInt(&okQuantity);
        const float p1 = table_->item(r, kPara1Column)->text().trimmed().toFloat(&ok1);
        const float p2 = table_->item(r, kPara2Column)->text().trimmed().toFloat(&ok2);
        if (!okQuantity || !ok1 || !ok2 || quantity < 1 || !std::isfinite(p1) ||
            !std::isfinite(p2)) {
            const QString what = QString::fromUtf8(kFittingColumns[kKindColumn].in(language_)) +
                                 QStringLiteral(" %1").arg(r + 1);
            showMessage(textWith(kNotANumber, language_, what.toStdString()), "TW_LineDrop",
                        MessageIcon::Exclamation);
            return std::nullopt;
        }
        g.quantity = quantity;
        g.para1 = p1;
        g.para2 = p2;
        groups.push_back(std::move(g));
    }
    return groups;
}

void frmFittings::accept() {
    if (fittings()) QDialog::accept();
}

}  // namespace tw::linedrop
