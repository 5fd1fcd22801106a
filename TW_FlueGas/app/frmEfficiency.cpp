#include "frmEfficiency.h"

#include <QAction>
#include <QBuffer>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <cmath>
#include <filesystem>
#include <span>

#include "AtomicFile.h"
#include "EfficiencyTexts.h"
#include "ProgramLanguage.h"
#include "WindowTexts.h"
#include "frmFuelGas.h"
#include "frmReport.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// Field indices in kEfficiencyFields.
enum FieldIndex { kStack = 0, kO2, kCo, kRefuse, kRadiation, kOther, kFlow };

constexpr int kFieldWidthTwips = 1300;
constexpr std::array<int, 3> kLossColumnsTwips{3300, 1300, 1200};
constexpr int kChartWidthTwips = 7800;
constexpr int kChartHeightTwips = 4800;
constexpr int kLargeFontSize = 16;

QString text(const BilingualText& caption, std::int32_t language) {
    return QString::fromUtf8(caption.in(language) ? caption.in(language) : caption.english);
}

QFont controlFont() {
    QFont font(kControlFontFamily);
    font.setPointSize(kControlFontSize);
    return font;
}

QString fixed(double value, int decimals) {
    return QString::fromStdString(fixedDecimals(value, decimals));
}

// A field's number: empty text is none; a text that is not wholly a decimal number is
// `unreadable`.
std::optional<double> fieldNumber(const QLineEdit* field, bool& unreadable) {
    const std::string s = field->text().trimmed().toStdString();
    unreadable = false;
    if (s.empty()) return std::nullopt;
    const LeadingNumber n = readLeadingNumber(s);
    if (n.length != s.size() || !std::isfinite(n.value)) {
        unreadable = true;
        return std::nullopt;
    }
    return n.value;
}

QTableWidgetItem* cell(const QString& s) {
    auto* item = new QTableWidgetItem(s);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

QLineSeries* line(const QString& name, const std::vector<QPointF>& points) {
    auto* series = new QLineSeries;
    series->setName(name);
    for (const QPointF& p : points) series->append(p);
    return series;
}

}  // namespace

frmEfficiency::frmEfficiency(std::int32_t language, QWidget* parent)
    : QMainWindow(parent, Qt::Window), language_(language) {
    setObjectName(QStringLiteral("frmEfficiency"));
    setFont(controlFont());
    createControls();
    createMenus();
    applyCaptions();
    // The fuel and the air the dialog keeps for the session.
    {
        frmFuelGas remembered(language_, this);
        if (const auto in = remembered.input()) setFuelAndAir(*in);
    }
    recalculate();
    // A switch of the program language rewrites every text, the menus, the results and the
    // charts included.
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this,
            [this](std::int32_t language) {
                language_ = language;
                // The menus are made anew in the new language; the old ones go with their items.
                for (QAction* item : menuBar()->actions()) {
                    if (item->menu() != nullptr) item->menu()->deleteLater();
                }
                menuBar()->clear();
                createMenus();
                applyCaptions();
                showFuelSummary();
                recalculate();
            });
}

frmEfficiency::~frmEfficiency() = default;

void frmEfficiency::createControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };

    auto* fuel = new QGroupBox(central);
    named(fuel, "fraFuelAndAir");
    lblFuel_ = new QLabel(fuel);
    named(lblFuel_, "lblFuel");
    lblFuel_->setWordWrap(true);
    lblFuel_->setTextFormat(Qt::PlainText);
    cmdFuelAndAir_ = new QPushButton(fuel);
    named(cmdFuelAndAir_, "cmdFuelAndAir");
    connect(cmdFuelAndAir_, &QPushButton::clicked, this, [this] { openFuelAndAir(); });
    auto* fuelLayout = new QHBoxLayout(fuel);
    fuelLayout->addWidget(lblFuel_, 1);
    fuelLayout->addWidget(cmdFuelAndAir_, 0, Qt::AlignTop);

    auto* stack = new QGroupBox(central);
    named(stack, "fraStack");
    auto* stackLayout = new QGridLayout(stack);
    for (std::size_t i = 0; i < kEfficiencyFields.size(); ++i) {
        const int row = static_cast<int>(i);
        fieldCaptions_[i] = new QLabel(stack);
        fields_[i] = new QLineEdit(stack);
        named(fields_[i], kEfficiencyFields[i].name);
        fields_[i]->setAlignment(Qt::AlignRight);
        fields_[i]->setFixedWidth(twipsToPixels(kFieldWidthTwips));
        fieldUnits_[i] = new QLabel(QString::fromLatin1(kEfficiencyFields[i].unit), stack);
        stackLayout->addWidget(fieldCaptions_[i], row, 0);
        stackLayout->addWidget(fields_[i], row, 2);
        stackLayout->addWidget(fieldUnits_[i], row, 3);
        connect(fields_[i], &QLineEdit::textChanged, this, [this] { recalculate(); });
    }
    cmbO2Basis_ = new QComboBox(stack);
    named(cmbO2Basis_, "cmbO2Basis");
    stackLayout->addWidget(cmbO2Basis_, kO2, 1);
    cmbAnalyser_ = new QComboBox(stack);
    named(cmbAnalyser_, "cmbAnalyser");
    stackLayout->addWidget(cmbAnalyser_, static_cast<int>(kEfficiencyFields.size()), 0, 1, 4);
    stackLayout->setColumnStretch(0, 1);
    for (QComboBox* combo : {cmbO2Basis_, cmbAnalyser_}) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { recalculate(); });
    }

    auto* efficiency = new QGroupBox(central);
    named(efficiency, "fraEfficiency");
    QFont large = controlFont();
    large.setPointSize(kLargeFontSize);
    large.setBold(true);
    lblGross_ = new QLabel(efficiency);
    named(lblGross_, "lblGross");
    lblNet_ = new QLabel(efficiency);
    named(lblNet_, "lblNet");
    for (QLabel* label : {lblGross_, lblNet_}) label->setFont(large);
    lblAnalyser_ = new QLabel(efficiency);
    named(lblAnalyser_, "lblAnalyser");
    lblDewPoints_ = new QLabel(efficiency);
    named(lblDewPoints_, "lblDewPoints");
    auto* efficiencyLayout = new QVBoxLayout(efficiency);
    auto* figures = new QHBoxLayout;
    figures->addWidget(lblGross_);
    figures->addSpacing(twipsToPixels(600));
    figures->addWidget(lblNet_);
    figures->addStretch();
    efficiencyLayout->addLayout(figures);
    efficiencyLayout->addWidget(lblAnalyser_);
    efficiencyLayout->addWidget(lblDewPoints_);

    auto* losses = new QGroupBox(central);
    named(losses, "fraLosses");
    msfLosses_ = new QTableWidget(losses);
    named(msfLosses_, "msfLosses");
    msfLosses_->setColumnCount(static_cast<int>(kLossColumnsTwips.size()));
    msfLosses_->setRowCount(static_cast<int>(kLossDefinitions.size()) + 1);
    msfLosses_->verticalHeader()->hide();
    msfLosses_->verticalHeader()->setDefaultSectionSize(twipsToPixels(kMinimumRowHeightTwips));
    msfLosses_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfLosses_->setSelectionMode(QAbstractItemView::NoSelection);
    msfLosses_->setFocusPolicy(Qt::NoFocus);
    msfLosses_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    msfLosses_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 0;
    for (std::size_t c = 0; c < kLossColumnsTwips.size(); ++c) {
        msfLosses_->setColumnWidth(static_cast<int>(c), twipsToPixels(kLossColumnsTwips[c]));
        width += twipsToPixels(kLossColumnsTwips[c]);
    }
    msfLosses_->setFixedSize(
        width + 4, (msfLosses_->rowCount() + 1) * twipsToPixels(kMinimumRowHeightTwips) + 4);
    auto* lossesLayout = new QVBoxLayout(losses);
    lossesLayout->addWidget(msfLosses_);

    lblStatus_ = new QLabel(central);
    named(lblStatus_, "lblStatus");
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextFormat(Qt::PlainText);

    tabCharts_ = new QTabWidget(central);
    named(tabCharts_, "tabCharts");
    stackChart_ = new QChartView(tabCharts_);
    named(stackChart_, "chartStackTemperature");
    o2Chart_ = new QChartView(tabCharts_);
    named(o2Chart_, "chartO2");
    for (QChartView* view : {stackChart_, o2Chart_}) {
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(twipsToPixels(kChartWidthTwips), twipsToPixels(kChartHeightTwips));
        tabCharts_->addTab(view, QString());
    }

    auto* left = new QVBoxLayout;
    left->addWidget(fuel);
    left->addWidget(stack);
    left->addWidget(losses);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(efficiency);
    right->addWidget(tabCharts_, 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(columns);
    layout->addWidget(lblStatus_);
}

void frmEfficiency::createMenus() {
    menuBar()->setFont(controlFont());
    QMenu* file = menuBar()->addMenu(text(kEfficiencyFileMenu, language_));
    file->setObjectName(QStringLiteral("mnuEfficiencyFile"));
    QAction* report = file->addAction(text(kEfficiencyReportItem, language_));
    report->setObjectName(QStringLiteral("mnuEfficiencyReport"));
    connect(report, &QAction::triggered, this, [this] { showReport(); });
    QAction* save = file->addAction(text(kSaveChartItem, language_));
    save->setObjectName(QStringLiteral("mnuSaveChart"));
    connect(save, &QAction::triggered, this, [this] { saveChartAs(); });
    file->addSeparator();
    QAction* close = file->addAction(text(kCloseItem, language_));
    close->setObjectName(QStringLiteral("mnuEfficiencyClose"));
    connect(close, &QAction::triggered, this, &QWidget::close);
}

void frmEfficiency::applyCaptions() {
    setWindowTitle(text(kEfficiencyWindowCaption, language_));
    findChild<QGroupBox*>(QStringLiteral("fraFuelAndAir"))
        ->setTitle(text(kFuelAndAirFrame, language_));
    findChild<QGroupBox*>(QStringLiteral("fraStack"))->setTitle(text(kStackFrame, language_));
    findChild<QGroupBox*>(QStringLiteral("fraEfficiency"))
        ->setTitle(text(kEfficiencyFrame, language_));
    findChild<QGroupBox*>(QStringLiteral("fraLosses"))->setTitle(text(kLossesFrame, language_));
    cmdFuelAndAir_->setText(text(kFuelAndAirButton, language_));
    for (std::size_t i = 0; i < kEfficiencyFields.size(); ++i) {
        fieldCaptions_[i]->setText(text(kEfficiencyFields[i].caption, language_));
    }
    // The choices keep their place when their texts change language.
    for (auto [box, items] :
         {std::pair{cmbO2Basis_, std::span<const BilingualText>(kO2BasisItems)},
          std::pair{cmbAnalyser_, std::span<const BilingualText>(kAnalyserItems)}}) {
        const QSignalBlocker quiet(box);
        const int chosen = std::max(box->currentIndex(), 0);
        box->clear();
        for (const BilingualText& item : items) box->addItem(text(item, language_));
        box->setCurrentIndex(chosen);
    }
    QStringList header;
    for (const BilingualText& column : kLossColumns) header << text(column, language_);
    msfLosses_->setHorizontalHeaderLabels(header);
    tabCharts_->setTabText(0, text(kStackChartTab, language_));
    tabCharts_->setTabText(1, text(kO2ChartTab, language_));
}

// The fuel and the air in one line each, in the program language.
void frmEfficiency::showFuelSummary() {
    if (!fuelAndAir_) return;
    const CombustionInput& fuelAndAir = *fuelAndAir_;
    const bool gas = fuelAndAir.fuel.kind == FuelKind::Gas;
    QString summary = text(kFuelKindShort[gas ? 1 : 0], language_) + QStringLiteral(": ");
    const auto keys = fuelKeys(fuelAndAir.fuel.kind);
    QStringList parts;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (fuelAndAir.fuel.percent[i] == 0) continue;
        parts << QString::fromLatin1(keys[i].key) + QLatin1Char('=') +
                     QString::fromStdString(generalNumberNoBlank(fuelAndAir.fuel.percent[i]));
    }
    summary += parts.join(QStringLiteral(", "));
    summary += QStringLiteral("\n") + text(kAirSummary, language_) + QStringLiteral(": ") +
               QString::fromStdString(generalNumberNoBlank(fuelAndAir.airTemperatureC)) +
               QStringLiteral(" oC, ") +
               QString::fromStdString(generalNumberNoBlank(fuelAndAir.moistureValue)) +
               (fuelAndAir.moisture == AirMoisture::Ratio ? QStringLiteral(" kg/kg")
                                                          : QStringLiteral(" % RH"));
    if (fuelAndAir.airQuantity == AirQuantity::ExcessAir) {
        summary += QStringLiteral(", ") + text(kAirOfTheFuelDialog, language_) +
                   QStringLiteral(" ") +
                   QString::fromStdString(generalNumberNoBlank(fuelAndAir.airQuantityPercent)) +
                   QStringLiteral(" %");
    }
    lblFuel_->setText(summary);
}

void frmEfficiency::setFuelAndAir(const CombustionInput& fuelAndAir) {
    fuelAndAir_ = fuelAndAir;
    // The O2 and the CO the dialog was given are the stack's; excess air leaves O2 to it.
    const QSignalBlocker quietO2(fields_[kO2]);
    const QSignalBlocker quietCo(fields_[kCo]);
    const QSignalBlocker quietBasis(cmbO2Basis_);
    if (fuelAndAir.airQuantity == AirQuantity::ExcessAir) {
        fields_[kO2]->clear();
    } else {
        fields_[kO2]->setText(
            QString::fromStdString(generalNumberNoBlank(fuelAndAir.airQuantityPercent)));
        cmbO2Basis_->setCurrentIndex(fuelAndAir.airQuantity == AirQuantity::O2Wet ? 1 : 0);
    }
    fields_[kCo]->setText(QString::fromStdString(generalNumberNoBlank(fuelAndAir.coPpm)));
    const bool gas = fuelAndAir.fuel.kind == FuelKind::Gas;
    fieldUnits_[kFlow]->setText(
        QString::fromLatin1(gas ? kFuelGasFlowUnit : kEfficiencyFields[kFlow].unit));
    fields_[kRefuse]->setEnabled(!gas);

    showFuelSummary();
    recalculate();
}

void frmEfficiency::openFuelAndAir() {
    frmFuelGas dialog(language_, this);
    if (dialog.exec() == QDialog::Accepted) {
        if (const auto in = dialog.input()) setFuelAndAir(*in);
    }
}

std::optional<EfficiencyInput> frmEfficiency::readInput(QString& problem) const {
    if (!fuelAndAir_) {
        problem = text(kNoFuel, language_);
        return std::nullopt;
    }
    std::array<std::optional<double>, kEfficiencyFields.size()> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool bad = false;
        values[i] = fieldNumber(fields_[i], bad);
        if (bad) {
            problem =
                text(kEfficiencyFields[i].caption, language_) + text(kNotANumberField, language_);
            return std::nullopt;
        }
    }
    if (!values[kStack]) {
        problem = text(kMissingStackTemperature, language_);
        return std::nullopt;
    }
    EfficiencyInput in;
    in.combustion = *fuelAndAir_;
    in.stackTemperatureC = *values[kStack];
    if (values[kO2]) {
        in.combustion.airQuantity =
            cmbO2Basis_->currentIndex() == 1 ? AirQuantity::O2Wet : AirQuantity::O2Dry;
        in.combustion.airQuantityPercent = *values[kO2];
    }
    in.combustion.coPpm = values[kCo].value_or(0);
    if (in.combustion.fuel.kind == FuelKind::Solid) {
        in.carbonInRefusePercent = values[kRefuse].value_or(0);
    }
    in.radiationLossPercent = values[kRadiation].value_or(0);
    in.otherLossPercent = values[kOther].value_or(0);
    if (values[kFlow]) {
        in.fuelFlow = FuelFlow{in.combustion.fuel.kind == FuelKind::Gas ? FuelFlowBasis::Nm3PerH
                                                                        : FuelFlowBasis::KgPerH,
                               *values[kFlow]};
    }
    if (const char* name = kAnalyserFuelNames[static_cast<std::size_t>(
            std::max(0, cmbAnalyser_->currentIndex()))]) {
        in.analyser = findAnalyserFuel(name);
    }
    return in;
}

void frmEfficiency::recalculate() {
    QString problem;
    input_ = readInput(problem);
    result_.reset();
    bool refused = true;
    if (input_) {
        const EfficiencyOutcome outcome = evaluateBoilerEfficiency(*input_);
        result_ = outcome.result;
        if (outcome.refusal) {
            problem = QString::fromStdString(outcome.refusal->in(language_));
        } else {
            refused = false;
            QStringList notes;
            if (result_->combustion.flameNote) {
                notes << QString::fromStdString(result_->combustion.flameNote->in(language_));
            }
            for (const CombustionMessage& m : result_->messages) {
                notes << QString::fromStdString(m.in(language_));
            }
            problem = notes.join(QLatin1Char('\n'));
        }
    }
    lblStatus_->setText(problem);
    QPalette palette = lblStatus_->palette();
    palette.setColor(QPalette::WindowText, refused ? QColor(192, 0, 0) : QColor(0, 0, 160));
    lblStatus_->setPalette(palette);
    for (QAction* action : menuBar()->findChildren<QAction*>()) {
        if (action->objectName() == QLatin1String("mnuEfficiencyReport") ||
            action->objectName() == QLatin1String("mnuSaveChart")) {
            action->setEnabled(result_.has_value());
        }
    }
    showResult();
    showCharts();
}

void frmEfficiency::showResult() {
    const auto percent = [&](const BilingualText& caption, std::optional<double> v) {
        return text(caption, language_) + QStringLiteral("  ") +
               (v ? fixed(*v, 2) + QStringLiteral(" %") : QStringLiteral("-"));
    };
    const EfficiencyResult* r = result_ ? &*result_ : nullptr;
    lblGross_->setText(
        percent(kGrossCaption, r ? std::optional(r->efficiencyHhvPercent) : std::nullopt));
    lblNet_->setText(
        percent(kNetCaption, r ? std::optional(r->efficiencyLhvPercent) : std::nullopt));
    lblAnalyser_->setText(r && r->analyserStackLossPercent
                              ? percent(kAnalyserCaption, r->analyserStackLossPercent)
                              : QString());
    const auto temperature = [&](std::optional<double> v, const char* unit) {
        return v ? fixed(*v, 1) + QLatin1Char(' ') + QString::fromLatin1(unit)
                 : text(kNotAvailableText, language_);
    };
    lblDewPoints_->setText(
        r ? text(kDewPointsCaption, language_) + QStringLiteral(":  Okkes ") +
                temperature(r->okkesDewPointC, "oC") + QStringLiteral(",  Verhoff ") +
                temperature(r->verhoffDewPointC, "oC") + QStringLiteral(",  H2O ") +
                temperature(r->waterDewPointC, "oC") + QStringLiteral(",  ") +
                text(kMarginCaption, language_) + QLatin1Char(' ') +
                temperature(r->acidDewPointMarginK, "K")
          : QString());

    for (std::size_t i = 0; i < kLossDefinitions.size(); ++i) {
        const LossDefinition& loss = kLossDefinitions[i];
        const auto k = static_cast<std::size_t>(loss.loss);
        const int row = static_cast<int>(i);
        msfLosses_->setItem(row, 0, cell(text(loss.caption, language_)));
        msfLosses_->setItem(row, 1, cell(r ? fixed(r->lossPercentOfHhv[k], 2) : QString()));
        msfLosses_->setItem(row, 2, cell(r && r->lossKW ? fixed((*r->lossKW)[k], 1) : QString()));
    }
    const int credit = static_cast<int>(kLossDefinitions.size());
    msfLosses_->setItem(credit, 0, cell(text(kCreditRow, language_)));
    msfLosses_->setItem(credit, 1,
                        cell(r ? fixed(r->combustionAirCreditPercentOfHhv, 2) : QString()));
    msfLosses_->setItem(credit, 2, cell(QString()));
    for (int row = 0; row < msfLosses_->rowCount(); ++row) {
        for (int c = 1; c < 3; ++c)
            msfLosses_->item(row, c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void frmEfficiency::showCharts() {
    struct Plot {
        QChartView* view;
        SweepVariable variable;
        const BilingualText* axis;
    };
    const std::array<Plot, 2> plots{{{stackChart_, SweepVariable::StackTemperature, &kStackAxis},
                                     {o2Chart_, SweepVariable::O2Dry, &kO2Axis}}};
    for (const Plot& plot : plots) {
        auto* chart = new QChart;
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setMargins(QMargins(4, 4, 4, 4));
        if (input_ && result_) {
            const EfficiencyChartRanges ranges = efficiencyChartRanges(*input_, *result_);
            const bool byStack = plot.variable == SweepVariable::StackTemperature;
            const EfficiencySweepOutcome sweep = sweepBoilerEfficiency(
                *input_, plot.variable, byStack ? ranges.stackTemperature : ranges.o2Dry);
            std::vector<QPointF> gross, net;
            double low = 100, high = 0;
            for (const EfficiencySweepPoint& p : sweep.points) {
                gross.emplace_back(p.value, p.efficiencyHhvPercent);
                net.emplace_back(p.value, p.efficiencyLhvPercent);
                low = std::min({low, p.efficiencyHhvPercent, p.efficiencyLhvPercent});
                high = std::max({high, p.efficiencyHhvPercent, p.efficiencyLhvPercent});
            }
            const double measuredX = byStack ? input_->stackTemperatureC : result_->o2DryPercent;
            low = std::floor(std::min({low, result_->efficiencyHhvPercent}) - 1);
            high = std::ceil(std::max({high, result_->efficiencyLhvPercent}) + 1);
            std::vector<QAbstractSeries*> series{line(text(kGrossSeries, language_), gross),
                                                 line(text(kNetSeries, language_), net)};
            const double acid = std::max(result_->okkesDewPointC.value_or(-HUGE_VAL),
                                         result_->verhoffDewPointC.value_or(-HUGE_VAL));
            if (byStack && std::isfinite(acid)) {
                series.push_back(line(text(kAcidDewPointSeries, language_),
                                      {QPointF(acid, low), QPointF(acid, high)}));
            }
            auto* measured = new QScatterSeries;
            measured->setName(text(kMeasuredSeries, language_));
            measured->setMarkerSize(9);
            measured->append(measuredX, result_->efficiencyHhvPercent);
            measured->append(measuredX, result_->efficiencyLhvPercent);
            series.push_back(measured);
            auto* x = new QValueAxis;
            x->setTitleText(text(*plot.axis, language_));
            const SweepRange& range = byStack ? ranges.stackTemperature : ranges.o2Dry;
            x->setRange(range.from, range.to);
            x->setLabelFormat(QString::fromLatin1(byStack ? "%.0f" : "%.1f"));
            auto* y = new QValueAxis;
            y->setTitleText(text(kEfficiencyAxis, language_));
            y->setRange(low, high);
            chart->addAxis(x, Qt::AlignBottom);
            chart->addAxis(y, Qt::AlignLeft);
            for (QAbstractSeries* s : series) {
                chart->addSeries(s);
                s->attachAxis(x);
                s->attachAxis(y);
            }
        }
        QChart* previous = plot.view->chart();
        plot.view->setChart(chart);
        delete previous;
    }
}

QString frmEfficiency::statusText() const {
    return lblStatus_->text();
}

void frmEfficiency::showReport() {
    if (!input_ || !result_) return;
    const std::string now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    const CalculationReport report =
        buildEfficiencyReport(*input_, *result_, now, kProgramAndVersion, language_);
    auto* window = new frmReport(report, language_, this);
    window->show();
    window->raise();
}

bool frmEfficiency::saveChart(const QString& base) {
    QChartView* view = qobject_cast<QChartView*>(tabCharts_->currentWidget());
    if (!view) return false;
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!view->grab().save(&buffer, "PNG")) return false;
    }
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(view->size());
        generator.setViewBox(view->rect());
        generator.setTitle(windowTitle());
        QPainter painter(&generator);
        view->render(&painter);
    }
    for (const auto& [suffix, bytes] : {std::pair{".png", &png}, std::pair{".svg", &svg}}) {
        const std::filesystem::path path = (base + QString::fromLatin1(suffix)).toStdString();
        if (writeFileAtomically(path, bytes->toStdString())) return false;
    }
    return true;
}

void frmEfficiency::saveChartAs() {
    std::optional<QString> base;
    if (chooseChartFile_) {
        base = chooseChartFile_();
    } else {
        const QString name =
            QFileDialog::getSaveFileName(this, text(kSaveChartDialogTitle, language_), QString(),
                                         QStringLiteral("PNG, SVG (*.png *.svg)"));
        if (!name.isEmpty()) base = name;
    }
    if (!base || base->isEmpty()) return;
    QString stem = *base;
    for (const char* suffix : {".png", ".svg"}) {
        if (stem.endsWith(QString::fromLatin1(suffix), Qt::CaseInsensitive)) stem.chop(4);
    }
    if (!saveChart(stem)) {
        const QString message = text(kChartNotSaved, language_);
        showMessage(QString(message).replace(QStringLiteral("{path}"), stem).toStdString(),
                    kApplicationTitle, MessageIcon::Critical);
    }
}

void showBoilerEfficiency(QWidget* parent, std::int32_t language) {
    auto* window = parent ? parent->findChild<frmEfficiency*>(QStringLiteral("frmEfficiency"),
                                                              Qt::FindDirectChildrenOnly)
                          : nullptr;
    if (!window) {
        window = new frmEfficiency(language, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace tw::fluegas
