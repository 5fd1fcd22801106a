#include "frmFuelGas.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "FlueGasCalculator.h"
#include "FuelGasTexts.h"
#include "WindowTexts.h"
#include "tw/Format.h"
#include "tw/Twips.h"

namespace tw::fluegas {
namespace {

// Grid geometry, twips: the calculator grid's row height and these column widths.
constexpr std::array<int, 2> kFuelColumnsTwips{1800, 2100};
constexpr std::array<int, 3> kResultColumnsTwips{2700, 1500, 1200};
constexpr std::array<int, 4> kCompositionColumnsTwips{1200, 1400, 1400, 1400};
constexpr int kGridBorderTwips = 15;
constexpr int kFieldWidthTwips = 1300;
constexpr int kFrameSpacingTwips = 120;
constexpr int kFuelKinds = 2;

// The inputs of the dialog as typed, kept for the session.
struct RememberedInputs {
    int fuelKind = 0;
    std::array<std::array<QString, kMaxFuelKeys>, kFuelKinds> analysis{};
    int airQuantity = 0;
    QString airQuantityText;
    int moisture = 0;
    QString moistureText = fixedText(kDefaultAirHumidity);
    QString airTemperature = QStringLiteral("25");
    QString coPpm = QStringLiteral("0");
    QString hhv;

    static QString fixedText(double value) {
        return QString::fromStdString(generalNumberNoBlank(value));
    }
};

RememberedInputs& remembered() {
    static RememberedInputs inputs;
    return inputs;
}

QString text(const BilingualText& caption, std::int32_t language) {
    return QString::fromUtf8(caption.in(language) ? caption.in(language) : caption.english);
}

QFont controlFont() {
    QFont font(kControlFontFamily);
    font.setPointSize(kControlFontSize);
    return font;
}

QColor inputBackground() {
    return {kInputBackground.red, kInputBackground.green, kInputBackground.blue};
}

QColor buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}

// A grid in the look of the calculator's: fixed columns and rows, no scroll bars, grey grid
// lines, every cell centred.
template <std::size_t N>
void setUpGrid(QTableWidget* grid, const std::array<int, N>& widthsTwips) {
    grid->setColumnCount(static_cast<int>(N));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(twipsToPixels(kMinimumRowHeightTwips));
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (std::size_t c = 0; c < N; ++c) {
        grid->setColumnWidth(static_cast<int>(c), twipsToPixels(widthsTwips[c]));
    }
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFrameStyle(QFrame::Box | QFrame::Plain);
    grid->setLineWidth(twipsToPixels(kGridBorderTwips));
    grid->setWordWrap(false);
    grid->setFont(controlFont());
    grid->setStyleSheet(QStringLiteral("QTableWidget { gridline-color: #808080; }"));
}

// Sizes a grid to show `rows` rows whole.
template <std::size_t N>
void fitGrid(QTableWidget* grid, const std::array<int, N>& widthsTwips, int rows) {
    int width = 0;
    for (int w : widthsTwips) width += twipsToPixels(w);
    const int border = 2 * twipsToPixels(kGridBorderTwips);
    const QSize size(width + border, rows * twipsToPixels(kMinimumRowHeightTwips) + border);
    if (grid->size() == size) return;
    grid->setFixedSize(size);
    // The frames and the dialog take their new sizes at once, not at the next turn of the event
    // loop: each layout from the grid's frame outwards.
    for (QWidget* w = grid->parentWidget(); w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (w->layout()) w->layout()->activate();
    }
}

QTableWidgetItem* cell(const QString& text, const QColor& background, bool editable = false) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setBackground(background);
    item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                            : Qt::ItemIsEnabled);
    return item;
}

// A field's number: empty text is none; a text that is not wholly a decimal number is
// `unreadable`.
std::optional<double> fieldNumber(const QString& field, bool& unreadable) {
    const std::string text = field.trimmed().toStdString();
    unreadable = false;
    if (text.empty()) return std::nullopt;
    const LeadingNumber n = readLeadingNumber(text);
    if (n.length != text.size() || !std::isfinite(n.value)) {
        unreadable = true;
        return std::nullopt;
    }
    return n.value;
}

QString keyCaption(FuelKind kind, const FuelKeyDefinition& key, std::int32_t language) {
    for (const FuelKeyCaption& c : kFuelKeyCaptions) {
        if (c.kind == kind && std::string_view(c.key) == key.key) return text(c.caption, language);
    }
    return QString::fromUtf8(key.key);
}

}  // namespace

frmFuelGas::frmFuelGas(std::int32_t language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setObjectName(QStringLiteral("frmFuelGas"));
    setModal(true);
    setFont(controlFont());
    createControls();
    applyCaptions();
    restore();
}

frmFuelGas::~frmFuelGas() = default;

void frmFuelGas::forgetRememberedInputs() {
    remembered() = RememberedInputs{};
}

void frmFuelGas::createControls() {
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    };
    auto* title = new QLabel(this);
    named(title, "lblTitle");
    QFont titleFont = controlFont();
    titleFont.setBold(true);
    title->setFont(titleFont);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    title->setPalette(titlePalette);
    title->setAlignment(Qt::AlignCenter);

    // Fuel: kind and analysis with its total.
    auto* fuel = new QGroupBox(this);
    named(fuel, "fraFuel");
    cmbFuelKind_ = new QComboBox(fuel);
    named(cmbFuelKind_, "cmbFuelKind");
    msfFuel_ = new QTableWidget(fuel);
    named(msfFuel_, "msfFuel");
    setUpGrid(msfFuel_, kFuelColumnsTwips);
    msfFuel_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    auto* fuelLayout = new QVBoxLayout(fuel);
    fuelLayout->addWidget(cmbFuelKind_);
    fuelLayout->addWidget(msfFuel_, 0, Qt::AlignHCenter);
    fuelLayout->addStretch();

    // Air: quantity, moisture, temperature, CO and the measured heating value.
    auto* air = new QGroupBox(this);
    named(air, "fraAir");
    auto* airLayout = new QGridLayout(air);
    const auto field = [&](const char* name) {
        auto* edit = new QLineEdit(air);
        named(edit, name);
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(twipsToPixels(kFieldWidthTwips));
        return edit;
    };
    cmbAirQuantity_ = new QComboBox(air);
    named(cmbAirQuantity_, "cmbAirQuantity");
    txtAirQuantity_ = field("txtAirQuantity");
    cmbMoisture_ = new QComboBox(air);
    named(cmbMoisture_, "cmbMoisture");
    txtMoisture_ = field("txtMoisture");
    txtAirTemperature_ = field("txtAirTemperature");
    txtCoPpm_ = field("txtCoPpm");
    txtHhv_ = field("txtHhv");
    auto* lblAirTemperature = new QLabel(air);
    named(lblAirTemperature, "lblAirTemperature");
    auto* lblCo = new QLabel(air);
    named(lblCo, "lblCoPpm");
    lblHhv_ = new QLabel(air);
    named(lblHhv_, "lblHhv");
    auto* lblHhvNote = new QLabel(air);
    named(lblHhvNote, "lblHhvNote");
    airLayout->addWidget(cmbAirQuantity_, 0, 0);
    airLayout->addWidget(txtAirQuantity_, 0, 1);
    airLayout->addWidget(cmbMoisture_, 1, 0);
    airLayout->addWidget(txtMoisture_, 1, 1);
    airLayout->addWidget(lblAirTemperature, 2, 0);
    airLayout->addWidget(txtAirTemperature_, 2, 1);
    airLayout->addWidget(lblCo, 3, 0);
    airLayout->addWidget(txtCoPpm_, 3, 1);
    airLayout->addWidget(lblHhv_, 4, 0);
    airLayout->addWidget(txtHhv_, 4, 1);
    airLayout->addWidget(lblHhvNote, 5, 0, 1, 2);
    airLayout->setColumnStretch(0, 1);

    // Results: the quantities and the composition.
    auto* results = new QGroupBox(this);
    named(results, "fraResults");
    msfResult_ = new QTableWidget(results);
    named(msfResult_, "msfResult");
    setUpGrid(msfResult_, kResultColumnsTwips);
    msfResult_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfResult_->setFocusPolicy(Qt::NoFocus);
    auto* compositionCaption = new QLabel(results);
    named(compositionCaption, "lblComposition");
    msfComposition_ = new QTableWidget(results);
    named(msfComposition_, "msfComposition");
    setUpGrid(msfComposition_, kCompositionColumnsTwips);
    msfComposition_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfComposition_->setFocusPolicy(Qt::NoFocus);
    msfComposition_->setRowCount(1 + kSpeciesCount);
    fitGrid(msfComposition_, kCompositionColumnsTwips, 1 + kSpeciesCount);
    auto* resultLayout = new QVBoxLayout(results);
    resultLayout->addWidget(msfResult_);
    resultLayout->addSpacing(twipsToPixels(kFrameSpacingTwips));
    resultLayout->addWidget(compositionCaption);
    resultLayout->addWidget(msfComposition_);
    resultLayout->addStretch();

    lblStatus_ = new QLabel(this);
    named(lblStatus_, "lblStatus");
    lblStatus_->setWordWrap(true);
    lblStatus_->setTextFormat(Qt::PlainText);
    auto* applyNote = new QLabel(this);
    named(applyNote, "lblApplyNote");
    cmdApply_ = new QPushButton(this);
    named(cmdApply_, "cmdApply");
    auto* cancel = new QPushButton(this);
    named(cancel, "cmdCancel");
    cmdApply_->setDefault(true);

    auto* inputs = new QVBoxLayout;
    inputs->addWidget(fuel);
    inputs->addWidget(air);
    auto* columns = new QHBoxLayout;
    columns->addLayout(inputs);
    columns->addWidget(results, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(applyNote, 1);
    buttons->addWidget(cmdApply_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(columns);
    layout->addWidget(lblStatus_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmbFuelKind_, &QComboBox::currentIndexChanged, this, [this] {
        if (restoring_) return;
        showFuelKind();
        recalculate();
    });
    connect(msfFuel_, &QTableWidget::cellChanged, this, [this] { recalculate(); });
    // Another way of giving the air or its moisture shows the same case in the new terms: the
    // O2 that the excess air gives, the relative humidity of the moisture, and back.
    connect(cmbAirQuantity_, &QComboBox::currentIndexChanged, this, [this](int chosen) {
        if (!restoring_ && result_) {
            const auto o2 = index(GasComponent::O2);
            const double value =
                chosen == static_cast<int>(AirQuantity::O2Dry)   ? result_->dryVolPercent[o2]
                : chosen == static_cast<int>(AirQuantity::O2Wet) ? result_->wetVolPercent[o2]
                                                                 : result_->excessAirPercent;
            const QSignalBlocker quiet(txtAirQuantity_);
            txtAirQuantity_->setText(QString::fromStdString(fixedDecimals(value, 2)));
        }
        recalculate();
    });
    connect(cmbMoisture_, &QComboBox::currentIndexChanged, this, [this](int chosen) {
        if (!restoring_ && result_) {
            const double ratio = result_->humidityKgPerKg;
            const std::optional<double> value =
                chosen == static_cast<int>(AirMoisture::RelativeHumidity)
                    ? relativeHumidityOf(ratio, txtAirTemperature_->text().toDouble())
                    : std::optional<double>(ratio);
            if (value) {
                const QSignalBlocker quiet(txtMoisture_);
                txtMoisture_->setText(QString::fromStdString(
                    fixedDecimals(*value, chosen == static_cast<int>(AirMoisture::Ratio) ? 4 : 1)));
            }
        }
        recalculate();
    });
    for (QLineEdit* edit :
         {txtAirQuantity_, txtMoisture_, txtAirTemperature_, txtCoPpm_, txtHhv_}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { recalculate(); });
    }
    connect(cmdApply_, &QPushButton::clicked, this, [this] {
        if (result_) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmFuelGas::applyCaptions() {
    const auto find = [this](const char* name) {
        return findChild<QWidget*>(QString::fromLatin1(name));
    };
    setWindowTitle(text(kFuelGasDialogCaption, language_));
    static_cast<QLabel*>(find("lblTitle"))->setText(text(kFuelGasTitle, language_));
    static_cast<QGroupBox*>(find("fraFuel"))->setTitle(text(kFuelFrame, language_));
    static_cast<QGroupBox*>(find("fraAir"))->setTitle(text(kAirFrame, language_));
    static_cast<QGroupBox*>(find("fraResults"))->setTitle(text(kResultFrame, language_));
    static_cast<QLabel*>(find("lblComposition"))->setText(text(kCompositionFrame, language_));
    static_cast<QLabel*>(find("lblAirTemperature"))->setText(text(kAirTemperatureLabel, language_));
    static_cast<QLabel*>(find("lblCoPpm"))->setText(text(kCoLabel, language_));
    lblHhv_->setText(text(kHhvLabel, language_));
    static_cast<QLabel*>(find("lblHhvNote"))->setText(text(kHhvNote, language_));
    static_cast<QLabel*>(find("lblApplyNote"))->setText(text(kApplyNote, language_));
    cmdApply_->setText(text(kApplyButton, language_));
    static_cast<QPushButton*>(find("cmdCancel"))->setText(text(kCancelButton, language_));
    for (const BilingualText& item : kFuelKindItems) cmbFuelKind_->addItem(text(item, language_));
    for (const BilingualText& item : kAirQuantityItems) {
        cmbAirQuantity_->addItem(text(item, language_));
    }
    for (const BilingualText& item : kMoistureItems) cmbMoisture_->addItem(text(item, language_));

    // The composition grid's fixed texts: header and species in the calculator's row order.
    msfComposition_->setItem(0, 0, cell({}, buttonFace()));
    for (std::size_t c = 0; c < kFlueGasCompositionColumns.size(); ++c) {
        msfComposition_->setItem(
            0, static_cast<int>(c + 1),
            cell(text(kFlueGasCompositionColumns[c], language_), buttonFace()));
    }
    for (int row = rowN2; row <= rowH2O; ++row) {
        msfComposition_->setItem(
            row, 0, cell(QString::fromUtf8(rowCaption(row, TW_English)), buttonFace()));
    }
}

FuelKind frmFuelGas::fuelKind() const {
    return cmbFuelKind_->currentIndex() == 1 ? FuelKind::Gas : FuelKind::Solid;
}

// The analysis grid of the chosen kind: header, one row per key with the remembered texts,
// the total.
void frmFuelGas::showFuelKind() {
    const FuelKind kind = fuelKind();
    const auto keys = fuelKeys(kind);
    const auto& texts = remembered().analysis[static_cast<std::size_t>(kind)];
    const QSignalBlocker quiet(msfFuel_);
    msfFuel_->clearContents();
    const int rows = static_cast<int>(keys.size()) + 2;
    msfFuel_->setRowCount(rows);
    // The grid keeps the height of the longer analysis, so the dialog keeps its size.
    const int tallest = static_cast<int>(
        std::max(fuelKeys(FuelKind::Solid).size(), fuelKeys(FuelKind::Gas).size()) + 2);
    fitGrid(msfFuel_, kFuelColumnsTwips, tallest);
    msfFuel_->setItem(0, 0, cell(text(kAnalysisKeyColumn, language_), buttonFace()));
    msfFuel_->setItem(0, 1,
                      cell(text(kAnalysisPercentColumn[static_cast<std::size_t>(kind)], language_),
                           buttonFace()));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        msfFuel_->setItem(row, 0, cell(keyCaption(kind, keys[i], language_), buttonFace()));
        msfFuel_->setItem(row, 1, cell(texts[i], inputBackground(), true));
    }
    msfFuel_->setItem(rows - 1, 0, cell(text(kAnalysisTotal, language_), buttonFace()));
    msfFuel_->setItem(rows - 1, 1, cell({}, buttonFace()));
    // A measured heating value belongs to a solid or liquid fuel.
    txtHhv_->setEnabled(kind == FuelKind::Solid);
    lblHhv_->setEnabled(kind == FuelKind::Solid);
    // The correlation for the heating value is one for solid and liquid fuels only.
    // Its place stays, so that the dialog keeps its size.
    auto* note = findChild<QLabel*>(QStringLiteral("lblHhvNote"));
    QSizePolicy policy = note->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    note->setSizePolicy(policy);
    note->setVisible(kind == FuelKind::Solid);
}

std::optional<CombustionInput> frmFuelGas::readInput(QString& problem) const {
    const auto unreadable = [&](const QString& caption) {
        problem = caption + text(kNotANumber, language_);
        return std::nullopt;
    };
    const auto missing = [&](const QString& caption) {
        problem = caption + text(kMissingValue, language_);
        return std::nullopt;
    };
    CombustionInput input;
    input.fuel.kind = fuelKind();
    const auto keys = fuelKeys(input.fuel.kind);
    bool anyKey = false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QTableWidgetItem* item = msfFuel_->item(static_cast<int>(i) + 1, 1);
        bool bad = false;
        const auto value = fieldNumber(item ? item->text() : QString(), bad);
        if (bad) return unreadable(keyCaption(input.fuel.kind, keys[i], language_));
        anyKey = anyKey || value.has_value();
        input.fuel.percent[i] = value.value_or(0);
    }
    if (!anyKey) {
        problem = text(kEnterAnalysis, language_);
        return std::nullopt;
    }

    bool bad = false;
    input.airQuantity = static_cast<AirQuantity>(cmbAirQuantity_->currentIndex());
    const auto quantity = fieldNumber(txtAirQuantity_->text(), bad);
    if (bad) return unreadable(cmbAirQuantity_->currentText());
    if (!quantity) return missing(cmbAirQuantity_->currentText());
    input.airQuantityPercent = *quantity;

    input.moisture = static_cast<AirMoisture>(cmbMoisture_->currentIndex());
    const auto moisture = fieldNumber(txtMoisture_->text(), bad);
    if (bad) return unreadable(cmbMoisture_->currentText());
    if (!moisture) return missing(cmbMoisture_->currentText());
    input.moistureValue = *moisture;

    const auto airTemperature = fieldNumber(txtAirTemperature_->text(), bad);
    if (bad) return unreadable(text(kAirTemperatureLabel, language_));
    if (!airTemperature) return missing(text(kAirTemperatureLabel, language_));
    input.airTemperatureC = *airTemperature;

    // No CO unless one is given.
    const auto co = fieldNumber(txtCoPpm_->text(), bad);
    if (bad) return unreadable(text(kCoLabel, language_));
    input.coPpm = co.value_or(0);

    if (input.fuel.kind == FuelKind::Solid) {
        input.measuredHhvKJPerKg = fieldNumber(txtHhv_->text(), bad);
        if (bad) return unreadable(text(kHhvLabel, language_));
    }
    return input;
}

std::optional<CombustionInput> frmFuelGas::input() const {
    QString problem;
    return readInput(problem);
}

void frmFuelGas::recalculate() {
    if (restoring_) return;
    remember();
    result_.reset();
    QString problem;
    bool refused = true;
    const std::optional<CombustionInput> input = readInput(problem);
    if (input) {
        // The running total of the analysis.
        const double total = analysisTotal(input->fuel);
        const QSignalBlocker quiet(msfFuel_);
        msfFuel_->item(msfFuel_->rowCount() - 1, 1)
            ->setText(QString::fromStdString(fixedDecimals(total, 3)));
        const FlueGasFromFuelOutcome outcome = evaluateFlueGasFromFuel(*input);
        result_ = outcome.result;
        if (outcome.refusal) {
            problem = QString::fromStdString(outcome.refusal->in(language_));
        } else {
            refused = false;
            if (result_->flameNote) {
                problem = QString::fromStdString(result_->flameNote->in(language_));
            }
        }
    } else {
        const QSignalBlocker quiet(msfFuel_);
        msfFuel_->item(msfFuel_->rowCount() - 1, 1)->setText({});
    }
    lblStatus_->setText(problem);
    QPalette palette = lblStatus_->palette();
    palette.setColor(
        QPalette::WindowText,
        refused ? QColor(192, 0, 0) : QApplication::palette().color(QPalette::WindowText));
    lblStatus_->setPalette(palette);
    cmdApply_->setEnabled(result_.has_value());
    showResult();
}

// The result lines that apply to the fuel kind, and the composition; empty values without a
// result.
void frmFuelGas::showResult() {
    const bool gas = fuelKind() == FuelKind::Gas;
    const auto& lines = combustionResultLines();
    int rows = 1;
    for (const CombustionResultLine& line : lines) rows += !line.fuelGasOnly || gas;
    msfResult_->setRowCount(rows);
    // Sized for every line, those of a fuel gas included, so the dialog keeps its size.
    fitGrid(msfResult_, kResultColumnsTwips, 1 + static_cast<int>(lines.size()));
    for (int column = 0; column < static_cast<int>(kResultColumnsTwips.size()); ++column) {
        msfResult_->setItem(
            0, column, cell(QString::fromUtf8(headerCaption(column, language_)), buttonFace()));
    }
    int row = 1;
    for (const CombustionResultLine& line : lines) {
        if (line.fuelGasOnly && !gas) continue;
        QString value;
        if (result_) {
            const auto v = line.value(*result_);
            value = v ? QString::fromStdString(fixedDecimals(*v, line.decimals))
                      : QString::fromLatin1(kNotAvailable);
        }
        msfResult_->setItem(row, 0, cell(text(line.caption, language_), buttonFace()));
        msfResult_->setItem(row, 1, cell(text(line.unit, language_), buttonFace()));
        msfResult_->setItem(row, 2, cell(value, buttonFace()));
        ++row;
    }
    for (int r = rowN2; r <= rowH2O; ++r) {
        const auto slot =
            static_cast<std::size_t>(rowDefinitions()[static_cast<std::size_t>(r)].speciesSlot);
        const std::array<const std::array<double, kGasComponentCount>*, 3> columns{
            result_ ? &result_->wetVolPercent : nullptr,
            result_ ? &result_->dryVolPercent : nullptr,
            result_ ? &result_->wetWtPercent : nullptr};
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const QString value = columns[c] ? QString::fromStdString(fixedDecimals(
                                                   (*columns[c])[slot], kCompositionDecimals))
                                             : QString();
            msfComposition_->setItem(r, static_cast<int>(c + 1), cell(value, buttonFace()));
        }
    }
}

QString frmFuelGas::statusText() const {
    return lblStatus_->text();
}

void frmFuelGas::remember() const {
    RememberedInputs& r = remembered();
    r.fuelKind = cmbFuelKind_->currentIndex();
    auto& texts = r.analysis[static_cast<std::size_t>(fuelKind())];
    for (std::size_t i = 0; i < fuelKeys(fuelKind()).size(); ++i) {
        const QTableWidgetItem* item = msfFuel_->item(static_cast<int>(i) + 1, 1);
        texts[i] = item ? item->text() : QString();
    }
    r.airQuantity = cmbAirQuantity_->currentIndex();
    r.airQuantityText = txtAirQuantity_->text();
    r.moisture = cmbMoisture_->currentIndex();
    r.moistureText = txtMoisture_->text();
    r.airTemperature = txtAirTemperature_->text();
    r.coPpm = txtCoPpm_->text();
    r.hhv = txtHhv_->text();
}

void frmFuelGas::restore() {
    const RememberedInputs r = remembered();
    cmbFuelKind_->setCurrentIndex(r.fuelKind);
    cmbAirQuantity_->setCurrentIndex(r.airQuantity);
    txtAirQuantity_->setText(r.airQuantityText);
    cmbMoisture_->setCurrentIndex(r.moisture);
    txtMoisture_->setText(r.moistureText);
    txtAirTemperature_->setText(r.airTemperature);
    txtCoPpm_->setText(r.coPpm);
    txtHhv_->setText(r.hhv);
    restoring_ = false;
    showFuelKind();
    recalculate();
}

}  // namespace tw::fluegas
