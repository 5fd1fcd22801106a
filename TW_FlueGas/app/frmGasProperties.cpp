#include "frmGasProperties.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

#include "WindowTexts.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// Geometry, twips.
constexpr std::array<int, 3> kColumnsTwips{3000, 1700, 1500};
constexpr int kChartWidthTwips = 8400;
constexpr int kChartHeightTwips = 4800;
constexpr int kFieldWidthTwips = 1300;
// Points of the chart's curves.
constexpr int kChartPoints = 60;

constexpr BilingualText kTitle = {"가스 물성 - Tarnwell Inc.", "Gas Properties - Tarnwell Inc."};
constexpr BilingualText kPressureCaption = {"압력", "Pressure"};
constexpr BilingualText kGasTemperatureCaption = {"가스 온도", "Gas temperature"};
constexpr BilingualText kClose = {"닫기", "Close"};
constexpr BilingualText kChartTitle = {"온도에 따른 물성", "Properties over temperature"};
constexpr BilingualText kTemperatureAxis = {"온도", "Temperature"};
constexpr BilingualText kNotANumber = {
    "계산표의 성분 혹은 가스 온도가 숫자가 아닙니다.",
    "A component or the gas temperature in the table is not a number."};
constexpr BilingualText kNoTemperature = {"계산표에 가스 온도를 입력하십시오.",
                                          "Type the gas temperature into the table."};
constexpr BilingualText kPressureNotANumber = {"압력은 숫자여야 합니다.",
                                               "The pressure should be a number."};

constexpr int kRows =
    static_cast<int>(gasprops::kPropertyColumns.size() + gasprops::kDewPointCaptions.size());

// The curves of the chart: the property and the axis side.
struct Curve {
    std::string_view key;
    Qt::Alignment side;
};
constexpr std::array<Curve, 3> kCurves{{{"viscosity", Qt::AlignLeft},
                                        {"thermal_conductivity", Qt::AlignRight},
                                        {"cp", Qt::AlignRight}}};

QString text(const BilingualText& caption, std::int32_t language) {
    return QString::fromUtf8(caption.in(language) ? caption.in(language) : caption.english);
}

QFont controlFont() {
    QFont font(kControlFontFamily);
    font.setPointSize(kControlFontSize);
    return font;
}

// A figure with five significant digits, as engineers read property tables.
QString figure(double v) {
    return QString::number(v, 'g', 5);
}

// The composition rows of the table (N2, Ar, O2, CO2, CO, SO2, H2O) in GasComponent order.
constexpr std::array<GasComponent, kGasComponentCount> kRowSpecies = {
    GasComponent::N2, GasComponent::Ar,  GasComponent::O2, GasComponent::CO2,
    GasComponent::CO, GasComponent::SO2, GasComponent::H2O};

gasprops::GasUnits unitsOf(const Unit& unit) {
    gasprops::GasUnits u;
    u.uTP = unit.uTP();
    u.uPR = unit.uPR();
    u.uVisco = unit.uVisco();
    u.uThCond = unit.uThCond();
    u.uDensity = unit.uDensity();
    u.uENTRO = unit.uENTRO();
    u.uENTH = unit.uENTH();
    return u;
}

std::optional<double> number(const QString& typed, bool& ok) {
    if (typed.trimmed().isEmpty()) return std::nullopt;
    bool valid = false;
    const double v = typed.trimmed().toDouble(&valid);
    ok = ok && valid && std::isfinite(v);
    return v;
}

// The core's messages in the dialog's language while it calculates.
class ScopedLanguage {
  public:
    explicit ScopedLanguage(std::int32_t language) : previous_(TW_Language) {
        TW_Language = static_cast<enmLanguage>(language);
    }
    ~ScopedLanguage() { TW_Language = previous_; }
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;

  private:
    enmLanguage previous_;
};

QString messagesText(const std::vector<RecordedMessage>& messages) {
    QStringList lines;
    for (const RecordedMessage& m : messages) lines << QString::fromStdString(m.text);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

frmGasProperties::frmGasProperties(const CalculatorTable& table, std::int32_t language,
                                   QWidget* parent)
    : QDialog(parent), language_(language), units_(unitsOf(table.unit())) {
    // The table's texts as numbers: a component left empty is 0.
    bool ok = true;
    std::array<double, kGasComponentCount> percent{};
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        const auto v = number(QString::fromStdString(table.value(row)), ok);
        percent[index(kRowSpecies[static_cast<std::size_t>(row - kFirstCompositionRow)])] =
            v.value_or(0.0);
    }
    const auto t = number(QString::fromStdString(table.value(rowGasTemperature)), ok);
    RecordingMessageSink recorder;
    {
        const ScopedMessageSink sink(recorder);
        const ScopedLanguage scoped(language_);
        if (!ok) {
            tableProblem_ = text(kNotANumber, language_);
        } else if (!t) {
            tableProblem_ = text(kNoTemperature, language_);
        } else {
            temperatureK_ = gasprops::kelvin(units_.uTP, *t);
            gas_ = gasprops::normaliseComposition(
                table.compositionBasis() == CompositionBasis::Volume, percent);
        }
    }
    if (tableProblem_.isEmpty() && !gas_) tableProblem_ = messagesText(recorder.messages());
    createControls();
    recalculate();
}

frmGasProperties::~frmGasProperties() = default;

void frmGasProperties::createControls() {
    setWindowTitle(text(kTitle, language_));
    setFont(controlFont());
    auto* pressureCaption = new QLabel(text(kPressureCaption, language_), this);
    txtPressure_ = new QLineEdit(this);
    txtPressure_->setObjectName(QStringLiteral("txtPressure"));
    txtPressure_->setFixedWidth(twipsToPixels(kFieldWidthTwips));
    txtPressure_->setText(QString::fromStdString(generalNumberNoBlank(
        gasprops::fromAbsolutePascal(units_.uPR, gasprops::kStandardAtmospherePa))));
    auto* pressureUnit =
        new QLabel(QString::fromStdString(gasprops::unitDisplay(QuantityId::PR, units_.uPR)), this);
    auto* pressureRow = new QHBoxLayout;
    pressureRow->addWidget(pressureCaption);
    pressureRow->addWidget(txtPressure_);
    pressureRow->addWidget(pressureUnit);
    pressureRow->addSpacing(twipsToPixels(kFieldWidthTwips));
    if (temperatureK_) {
        auto* temperature = new QLabel(
            text(kGasTemperatureCaption, language_) + QLatin1Char(' ') +
                QString::fromStdString(
                    generalNumberNoBlank(gasprops::fromKelvin(units_.uTP, *temperatureK_))) +
                QLatin1Char(' ') +
                QString::fromStdString(gasprops::unitDisplay(QuantityId::TP, units_.uTP)),
            this);
        temperature->setObjectName(QStringLiteral("lblGasTemperature"));
        pressureRow->addWidget(temperature);
    }
    pressureRow->addStretch();

    msfProperties_ = new QTableWidget(kRows, 3, this);
    msfProperties_->setObjectName(QStringLiteral("msfProperties"));
    msfProperties_->horizontalHeader()->hide();
    msfProperties_->verticalHeader()->hide();
    msfProperties_->verticalHeader()->setDefaultSectionSize(twipsToPixels(kMinimumRowHeightTwips));
    msfProperties_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfProperties_->setSelectionMode(QAbstractItemView::NoSelection);
    msfProperties_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    msfProperties_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int width = 0;
    for (std::size_t c = 0; c < kColumnsTwips.size(); ++c) {
        msfProperties_->setColumnWidth(static_cast<int>(c), twipsToPixels(kColumnsTwips[c]));
        width += twipsToPixels(kColumnsTwips[c]);
    }
    msfProperties_->setFixedSize(
        width + 2 * msfProperties_->frameWidth(),
        kRows * twipsToPixels(kMinimumRowHeightTwips) + 2 * msfProperties_->frameWidth());
    const QString temperatureUnit =
        QString::fromStdString(gasprops::unitDisplay(QuantityId::TP, units_.uTP));
    for (std::size_t i = 0; i < gasprops::kPropertyColumns.size(); ++i) {
        const auto row = static_cast<int>(i);
        msfProperties_->setItem(
            row, 0, new QTableWidgetItem(text(gasprops::kPropertyColumns[i].caption, language_)));
        msfProperties_->setItem(row, 1, new QTableWidgetItem);
        msfProperties_->setItem(row, 2,
                                new QTableWidgetItem(QString::fromStdString(gasprops::unitText(
                                    units_, gasprops::kPropertyColumns[i].key))));
    }
    for (std::size_t i = 0; i < gasprops::kDewPointCaptions.size(); ++i) {
        const auto row = static_cast<int>(gasprops::kPropertyColumns.size() + i);
        msfProperties_->setItem(
            row, 0, new QTableWidgetItem(text(gasprops::kDewPointCaptions[i], language_)));
        msfProperties_->setItem(row, 1, new QTableWidgetItem);
        msfProperties_->setItem(row, 2, new QTableWidgetItem(temperatureUnit));
    }
    for (int row = 0; row < kRows; ++row) {
        msfProperties_->item(row, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }

    chart_ = new QChart;
    chart_->setTitle(text(kChartTitle, language_));
    chart_->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart_, this);
    view->setObjectName(QStringLiteral("chtProperties"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(twipsToPixels(kChartWidthTwips), twipsToPixels(kChartHeightTwips));

    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextFormat(Qt::PlainText);
    auto* close = new QPushButton(text(kClose, language_), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* figures = new QHBoxLayout;
    figures->addWidget(msfProperties_, 0, Qt::AlignTop);
    figures->addWidget(view, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus_, 1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pressureRow);
    layout->addLayout(figures);
    layout->addLayout(buttons);

    connect(txtPressure_, &QLineEdit::textChanged, this, [this] { recalculate(); });
}

void frmGasProperties::recalculate() {
    properties_.reset();
    dewPoints_ = {};
    QString problem = tableProblem_;
    if (problem.isEmpty()) {
        bool ok = true;
        const auto p = number(txtPressure_->text(), ok);
        if (!ok || !p) {
            problem = text(kPressureNotANumber, language_);
        } else {
            RecordingMessageSink recorder;
            {
                const ScopedMessageSink sink(recorder);
                const ScopedLanguage scoped(language_);
                const double pa = gasprops::absolutePascal(units_.uPR, *p);
                pressurePa_ = pa;
                properties_ = gasprops::gasProperties(*gas_, *temperatureK_, pa);
                if (properties_) dewPoints_ = gasprops::dewPoints(*gas_, pa);
            }
            problem = messagesText(recorder.messages());
        }
    }
    lblStatus_->setText(problem);
    showFigures();
    drawChart();
}

std::optional<gasprops::GasPropertiesShown> frmGasProperties::shown() const {
    if (!properties_) return std::nullopt;
    return gasprops::GasPropertiesShown{*properties_, dewPoints_, units_, *temperatureK_,
                                        pressurePa_};
}

QString frmGasProperties::statusText() const {
    return lblStatus_->text();
}

void frmGasProperties::showFigures() {
    for (std::size_t i = 0; i < gasprops::kPropertyColumns.size(); ++i) {
        const gasprops::PropertyColumn& c = gasprops::kPropertyColumns[i];
        msfProperties_->item(static_cast<int>(i), 1)
            ->setText(properties_ ? figure(gasprops::propertyInUnits(units_, c.key,
                                                                     (*properties_).*c.member))
                                  : QString());
    }
    const std::array<std::optional<double>, 3> dew = {dewPoints_.water, dewPoints_.okkes,
                                                      dewPoints_.verhoff};
    for (std::size_t i = 0; i < dew.size(); ++i) {
        const auto row = static_cast<int>(gasprops::kPropertyColumns.size() + i);
        QString shown;
        if (properties_) {
            shown = dew[i] ? QString::number(gasprops::celsiusInUnits(units_.uTP, *dew[i]), 'f', 1)
                           : QStringLiteral("N/A");
        }
        msfProperties_->item(row, 1)->setText(shown);
    }
}

// The curves from just above the properties' lowest temperature to well above the gas
// temperature (at least 1000 K), at the pressure typed.
void frmGasProperties::drawChart() {
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    if (!properties_) return;
    const double low = gasprops::kLowestTemperatureK + 50.0;
    const double high =
        std::min(gasprops::kHighestTemperatureK, std::max(1000.0, *temperatureK_ + 400.0));
    auto* temperatureAxis = new QValueAxis;
    temperatureAxis->setTitleText(
        text(kTemperatureAxis, language_) + QStringLiteral(" (") +
        QString::fromStdString(gasprops::unitDisplay(QuantityId::TP, units_.uTP)) +
        QStringLiteral(")"));
    temperatureAxis->setRange(gasprops::fromKelvin(units_.uTP, low),
                              gasprops::fromKelvin(units_.uTP, high));
    chart_->addAxis(temperatureAxis, Qt::AlignBottom);
    const double pa = pressurePa_;
    for (std::size_t k = 0; k < kCurves.size(); ++k) {
        const Curve& curve = kCurves[k];
        const gasprops::PropertyColumn& column = gasprops::propertyColumn(curve.key);
        auto* series = new QLineSeries;
        series->setName(text(column.caption, language_) + QStringLiteral(" (") +
                        QString::fromStdString(gasprops::unitText(units_, curve.key)) +
                        QStringLiteral(")"));
        double lowest = INFINITY, highest = -INFINITY;
        for (int i = 0; i < kChartPoints; ++i) {
            const double T = low + (high - low) * i / (kChartPoints - 1);
            const double v = gasprops::propertyInUnits(
                units_, curve.key, gasprops::gasPropertiesUnchecked(*gas_, T, pa).*column.member);
            series->append(gasprops::fromKelvin(units_.uTP, T), v);
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        chart_->addSeries(series);
        auto* valueAxis = new QValueAxis;
        valueAxis->setRange(lowest, highest);
        valueAxis->setLabelFormat(QStringLiteral("%.3g"));
        valueAxis->setLinePenColor(series->pen().color());
        valueAxis->setLabelsColor(series->pen().color());
        chart_->addAxis(valueAxis, curve.side);
        series->attachAxis(temperatureAxis);
        series->attachAxis(valueAxis);
    }
}

}  // namespace tw::fluegas
