#include "frmLineDrop.h"

#include <QAction>
#include <QActionGroup>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cfloat>
#include <cmath>
#include <memory>
#include <sstream>

#include "CalculationReport.h"
#include "LineDropState.h"
#include "LineDropTexts.h"
#include "LineGas.h"
#include "LineReport.h"
#include "ProgramLanguage.h"
#include "TWUnitSel.h"
#include "frmFittings.h"
#include "frmReport.h"
#include "tw/AtomicFile.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/LineFile.h"
#include "tw/MessageSink.h"
#include "tw/PipeSchedules.h"

namespace tw::linedrop {
namespace {

using tw::fluegas::LanguageSwitch;

enum SegmentColumn { kNpsColumn, kScheduleColumn, kLengthColumn, kRiseColumn, kFittingsColumn };
enum FieldIndex {
    kPressure,
    kTemperature,
    kDryness,
    kViscosity,
    kSpecificVolume,
    kExponent,
    kMassFlow
};
constexpr int kMostRecentFiles = 8;

QString qs(const char* text) {
    return QString::fromUtf8(text);
}
QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
QString number(double value) {
    return QString::number(value, 'g', 7);
}

// The quantity each field of the panel is measured in (none for dryness and the exponent).
std::optional<QuantityId> fieldQuantity(int field) {
    switch (field) {
        case kPressure:
            return QuantityId::PR;
        case kTemperature:
            return QuantityId::TP;
        case kViscosity:
            return QuantityId::Visco;
        case kSpecificVolume:
            return QuantityId::SVOL;
        case kMassFlow:
            return QuantityId::MFlow;
        default:
            return std::nullopt;
    }
}

FluidKind kindOf(const tw::line::Fluid& fluid) {
    if (const auto* s = std::get_if<tw::line::SteamOrWater>(&fluid))
        return s->steam ? FluidKind::SuperheatedSteam : FluidKind::CompressedWater;
    if (std::holds_alternative<tw::line::SaturatedSteam>(fluid)) return FluidKind::SaturatedSteam;
    if (std::holds_alternative<tw::line::SaturatedWater>(fluid)) return FluidKind::SaturatedWater;
    if (std::holds_alternative<tw::line::Gas>(fluid)) return FluidKind::Gas;
    return std::get<tw::line::TypedFluid>(fluid).liquid ? FluidKind::TypedLiquid
                                                        : FluidKind::TypedGas;
}

// The panel's values of a fluid, by field; none where the fluid has no such value.
std::array<std::optional<float>, 7> fieldValues(const tw::line::Fluid& fluid, float massFlow) {
    std::array<std::optional<float>, 7> v{};
    v[kMassFlow] = massFlow;
    std::visit(
        [&v](const auto& f) {
            using T = std::decay_t<decltype(f)>;
            v[kPressure] = f.pressure;
            if constexpr (std::is_same_v<T, tw::line::SteamOrWater>)
                v[kTemperature] = f.temperature;
            if constexpr (std::is_same_v<T, tw::line::SaturatedSteam>) v[kDryness] = f.dryness;
            if constexpr (std::is_same_v<T, tw::line::Gas>) {
                v[kTemperature] = f.temperature;
                if (f.viscosityGiven) v[kViscosity] = f.viscosity;
                if (f.exponentGiven) v[kExponent] = f.isentropicExponent;
            }
            if constexpr (std::is_same_v<T, tw::line::TypedFluid>) {
                v[kViscosity] = f.viscosity;
                v[kSpecificVolume] = f.specificVolume;
                v[kExponent] = f.isentropicExponent;
            }
        },
        fluid);
    return v;
}

// A typed number: finite and within the range of a single; none otherwise.
std::optional<float> typedNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > FLT_MAX) return std::nullopt;
    return static_cast<float>(value);
}

// A unit as an engineer writes it ("°C" for the catalogue's "oC").
std::string unitOf(QuantityId q, int index) {
    const auto& units = tw::units::quantity(q).units;
    return index >= 0 && static_cast<std::size_t>(index) < units.size()
               ? tw::fluegas::sheetUnit(units[static_cast<std::size_t>(index)].display)
               : std::string();
}

int unitIndex(const tw::line::LineUnits& u, QuantityId q) {
    switch (q) {
        case QuantityId::PR:
            return u.upr;
        case QuantityId::dP:
            return u.upr;
        case QuantityId::TP:
            return u.utp;
        case QuantityId::MFlow:
            return u.umflow;
        case QuantityId::PDia:
            return u.updia;
        case QuantityId::Len:
            return u.ulen;
        case QuantityId::Visco:
            return u.uvisco;
        case QuantityId::SVOL:
            return u.usvol;
        case QuantityId::Vel:
            return u.uvel;
        default:
            return 0;
    }
}

// The quantities of a line's units, as the unit control sets them.
constexpr std::array<std::pair<QuantityId, int tw::line::LineUnits::*>, 8> kLineUnits{{
    {QuantityId::PR, &tw::line::LineUnits::upr},
    {QuantityId::TP, &tw::line::LineUnits::utp},
    {QuantityId::MFlow, &tw::line::LineUnits::umflow},
    {QuantityId::PDia, &tw::line::LineUnits::updia},
    {QuantityId::Len, &tw::line::LineUnits::ulen},
    {QuantityId::Visco, &tw::line::LineUnits::uvisco},
    {QuantityId::SVOL, &tw::line::LineUnits::usvol},
    {QuantityId::Vel, &tw::line::LineUnits::uvel},
}};

// A chart view gives up the chart it showed when it is given another; that one is deleted here.
void showChart(QChartView& view, QChart* chart) {
    const std::unique_ptr<QChart> previous(view.chart());
    view.setChart(chart);
}

QString csvCell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))) return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QStringLiteral("\"") + quoted + QStringLiteral("\"");
}

}  // namespace

frmLineDrop::Options frmLineDrop::defaultOptions() {
    Options options;
    const std::filesystem::path config =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
    if (!config.empty()) {
        options.stateDir = config / "Tarnwell" / "TW_LineDrop";
        options.calculatorStateDir = config / "Tarnwell" / "TW_FlueGas";
    }
    return options;
}

frmLineDrop::frmLineDrop(Options options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)), language_(options_.language) {
    setObjectName(QStringLiteral("frmLineDrop"));
    LanguageSwitch::instance().setLanguage(language_);
    buildMenus();
    buildPanels();
    readState();
    tw::line::Line blank;
    blank.massFlow = 0;
    blank.segments.push_back(tw::line::Segment{
        "4", "40", std::nullopt, std::nullopt, tw::line::LengthAndRise{10, 0}, {}, {}});
    setLine(blank);
    applyLanguage(language_);
    connect(&LanguageSwitch::instance(), &LanguageSwitch::languageChanged, this,
            &frmLineDrop::applyLanguage);
}

frmLineDrop::~frmLineDrop() = default;

void frmLineDrop::buildMenus() {
    const auto action = [this](const char* name, auto slot) {
        auto* a = new QAction(this);
        a->setObjectName(qs(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QString());
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* newAction = action("mnuNew", [this] { newLine(); });
    newAction->setShortcut(QKeySequence::New);
    QAction* open = action("mnuOpen", [this] { openWithDialog(); });
    open->setShortcut(QKeySequence::Open);
    QAction* saveAction = action("mnuSave", [this] { save(); });
    saveAction->setShortcut(QKeySequence::Save);
    file->addActions({newAction, open, saveAction, action("mnuSaveAs", [this] { saveAs(); })});
    recentMenu_ = file->addMenu(QString());
    recentMenu_->setObjectName(QStringLiteral("mnuRecent"));
    file->addSeparator();
    file->addAction(action("mnuExportCsv", [this] { exportCsv(); }));
    file->addAction(action("mnuReport", [this] { openReport(); }));
    file->addSeparator();
    file->addAction(action("mnuExit", [this] { close(); }));

    QMenu* units = menuBar()->addMenu(QString());
    units->setObjectName(QStringLiteral("mnuUnitsMenu"));
    units->menuAction()->setObjectName(QStringLiteral("mnuUnits"));
    units->addAction(action("mnuUnitsChoose", [this] { chooseUnits(); }));

    QMenu* language = menuBar()->addMenu(QString());
    language->setObjectName(QStringLiteral("mnuLanguage"));
    auto* group = new QActionGroup(this);
    for (const auto& [name, value] :
         {std::pair{"mnuLanguageKorean", TW_Korean}, std::pair{"mnuLanguageEnglish", TW_English}}) {
        QAction* a = action(name, [this, value = value] { chooseLanguage(value); });
        a->setCheckable(true);
        group->addAction(a);
        language->addAction(a);
    }
}

void frmLineDrop::buildPanels() {
    auto* fluid = new QGroupBox(this);
    fluid->setObjectName(QStringLiteral("fraFluid"));
    auto* grid = new QGridLayout(fluid);
    kindLabel_ = new QLabel(fluid);
    kind_ = new QComboBox(fluid);
    kind_->setObjectName(QStringLiteral("cmbKind"));
    for (std::size_t i = 0; i < kFluidKindNames.size(); ++i) kind_->addItem(QString());
    grid->addWidget(kindLabel_, 0, 0);
    grid->addWidget(kind_, 0, 1, 1, 2);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
        showKind();
        setModified(true);
    });
    for (std::size_t i = 0; i < kFluidFields.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        fieldLabels_[i] = new QLabel(fluid);
        fields_[i] = new QLineEdit(fluid);
        fields_[i]->setObjectName(qs(kFluidFields[i].name));
        unitLabels_[i] = new QLabel(fluid);
        unitLabels_[i]->setObjectName(
            qs(kFluidFields[i].name).replace(0, 3, QStringLiteral("lbl")) + QStringLiteral("Unit"));
        fieldLabels_[i]->setBuddy(fields_[i]);
        grid->addWidget(fieldLabels_[i], row, 0);
        grid->addWidget(fields_[i], row, 1);
        grid->addWidget(unitLabels_[i], row, 2);
        connect(fields_[i], &QLineEdit::textEdited, this, [this] { setModified(true); });
    }
    const int compositionRow = static_cast<int>(kFluidFields.size()) + 1;
    compositionLabel_ = new QLabel(fluid);
    basis_ = new QComboBox(fluid);
    basis_->setObjectName(QStringLiteral("cmbBasis"));
    basis_->addItems({QString(), QString()});
    connect(basis_, &QComboBox::currentIndexChanged, this, [this] { setModified(true); });
    grid->addWidget(compositionLabel_, compositionRow, 0);
    grid->addWidget(basis_, compositionRow, 1);
    auto* species = new QGridLayout;
    for (std::size_t i = 0; i < tw::line::kGasSpeciesNames.size(); ++i) {
        composition_[i] = new QLineEdit(fluid);
        composition_[i]->setObjectName(QStringLiteral("txt") + qs(tw::line::kGasSpeciesNames[i]));
        composition_[i]->setMaximumWidth(70);
        auto* name = new QLabel(qs(tw::line::kGasSpeciesNames[i]), fluid);
        species->addWidget(name, static_cast<int>(i / 4) * 2, static_cast<int>(i % 4));
        species->addWidget(composition_[i], static_cast<int>(i / 4) * 2 + 1,
                           static_cast<int>(i % 4));
        connect(composition_[i], &QLineEdit::textEdited, this, [this] { setModified(true); });
    }
    grid->addLayout(species, compositionRow + 1, 0, 1, 3);
    grid->setRowStretch(compositionRow + 2, 1);

    segments_ = new QTableWidget(0, static_cast<int>(kSegmentColumns.size()), this);
    segments_->setObjectName(QStringLiteral("tblSegments"));
    segments_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(segments_, &QTableWidget::itemChanged, this, [this] {
        if (!loading_) setModified(true);
    });
    addSegment_ = new QPushButton(this);
    addSegment_->setObjectName(QStringLiteral("cmdAddSegment"));
    connect(addSegment_, &QPushButton::clicked, this, [this] {
        tw::line::Segment segment;
        if (!rows_.empty()) {
            segment.nps = rows_.back().nps;
            segment.schedule = rows_.back().schedule;
            segment.insideDiameter = rows_.back().insideDiameter;
        } else {
            segment.nps = "4";
            segment.schedule = "40";
        }
        segment.route = tw::line::LengthAndRise{10, 0};
        addSegmentRow(segment);
        setModified(true);
    });
    removeSegment_ = new QPushButton(this);
    removeSegment_->setObjectName(QStringLiteral("cmdRemoveSegment"));
    connect(removeSegment_, &QPushButton::clicked, this, [this] {
        const int row = segments_->currentRow();
        if (row < 0 || row >= static_cast<int>(rows_.size())) return;
        segments_->removeRow(row);
        rows_.erase(rows_.begin() + row);
        setModified(true);
    });
    calculate_ = new QPushButton(this);
    calculate_->setObjectName(QStringLiteral("cmdCalculate"));
    connect(calculate_, &QPushButton::clicked, this, [this] { calculate(); });

    results_ = new QTableWidget(0, static_cast<int>(kResultColumns.size()), this);
    results_->setObjectName(QStringLiteral("tblResults"));
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->verticalHeader()->hide();
    results_->horizontalHeader()->setStretchLastSection(true);
    messages_ = new QPlainTextEdit(this);
    messages_->setObjectName(QStringLiteral("txtMessages"));
    messages_->setReadOnly(true);
    messages_->setMaximumHeight(70);
    chart_ = new QChartView(this);
    chart_->setObjectName(QStringLiteral("chtPressure"));
    chart_->setMinimumHeight(220);
    chart_->setRenderHint(QPainter::Antialiasing);

    auto* segmentButtons = new QHBoxLayout;
    segmentButtons->addWidget(addSegment_);
    segmentButtons->addWidget(removeSegment_);
    segmentButtons->addStretch();
    segmentButtons->addWidget(calculate_);
    auto* right = new QVBoxLayout;
    right->addWidget(segments_, 2);
    right->addLayout(segmentButtons);
    right->addWidget(results_, 2);
    right->addWidget(messages_);
    auto* top = new QHBoxLayout;
    top->addWidget(fluid);
    top->addLayout(right, 1);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top, 3);
    layout->addWidget(chart_, 2);
    setCentralWidget(central);
    resize(1100, 760);
}

void frmLineDrop::applyLanguage(std::int32_t language) {
    language_ = language == TW_English ? TW_English : TW_Korean;
    for (const MenuItem& item : kMenuItems) {
        const QString name = qs(item.name);
        const QString caption = qs(item.caption.in(language_));
        if (auto* a = findChild<QAction*>(name)) a->setText(caption);
        if (auto* m = findChild<QMenu*>(name)) m->setTitle(caption);
        if (auto* b = findChild<QPushButton*>(name)) b->setText(caption);
    }
    if (auto* m = findChild<QMenu*>(QStringLiteral("mnuUnitsMenu")))
        m->setTitle(qs(kMenuItems[9].caption.in(language_)));
    if (auto* a = findChild<QAction*>(QStringLiteral("mnuUnitsChoose")))
        a->setText(qs(kChooseUnits.in(language_)));
    findChild<QAction*>(language_ == TW_Korean ? QStringLiteral("mnuLanguageKorean")
                                               : QStringLiteral("mnuLanguageEnglish"))
        ->setChecked(true);
    findChild<QGroupBox*>(QStringLiteral("fraFluid"))->setTitle(qs(kFluidKindLabel.in(language_)));
    kindLabel_->setText(qs(kKindLabel.in(language_)));
    for (std::size_t i = 0; i < kFluidKindNames.size(); ++i)
        kind_->setItemText(static_cast<int>(i), qs(kFluidKindNames[i].in(language_)));
    for (std::size_t i = 0; i < kFluidFields.size(); ++i)
        fieldLabels_[i]->setText(qs(kFluidFields[i].caption.in(language_)));
    compositionLabel_->setText(qs(kCompositionLabel.in(language_)));
    for (std::size_t i = 0; i < kBasisNames.size(); ++i)
        basis_->setItemText(static_cast<int>(i), qs(kBasisNames[i].in(language_)));
    addSegment_->setText(qs(kAddSegment.in(language_)));
    removeSegment_->setText(qs(kRemoveSegment.in(language_)));
    showUnits();
    for (int row = 0; row < segments_->rowCount(); ++row) refreshFittingsCell(row);
    if (result_)
        showResults();
    else
        clearResults();
    updateCaption();
}

void frmLineDrop::chooseLanguage(std::int32_t language) {
    if (!options_.calculatorStateDir.empty())
        writeLanguageChoice(options_.calculatorStateDir / kCalculatorStateFileName, language);
    LanguageSwitch::instance().setLanguage(language);
    applyLanguage(language);
}

void frmLineDrop::showKind() {
    const unsigned bit = 1u << static_cast<unsigned>(std::max(0, kind_->currentIndex()));
    for (std::size_t i = 0; i < kFluidFields.size(); ++i) {
        const bool used = (kFluidFields[i].kinds & bit) != 0;
        fieldLabels_[i]->setEnabled(used);
        fields_[i]->setEnabled(used);
        unitLabels_[i]->setEnabled(used);
    }
    const bool gas = static_cast<FluidKind>(kind_->currentIndex()) == FluidKind::Gas;
    basis_->setEnabled(gas);
    compositionLabel_->setEnabled(gas);
    for (QLineEdit* cell : composition_) cell->setEnabled(gas);
}

// Unit texts beside the fields and over the columns, in the line's units.
void frmLineDrop::showUnits() {
    for (std::size_t i = 0; i < kFluidFields.size(); ++i) {
        const std::optional<QuantityId> q = fieldQuantity(static_cast<int>(i));
        unitLabels_[i]->setText(q ? qs(unitOf(*q, unitIndex(document_.units, *q))) : QString());
    }
    QStringList heads;
    for (std::size_t i = 0; i < kSegmentColumns.size(); ++i) {
        QString head = qs(kSegmentColumns[i].in(language_));
        if (i == kLengthColumn || i == kRiseColumn)
            head += QStringLiteral(" (") + qs(unitOf(QuantityId::Len, document_.units.ulen)) +
                    QStringLiteral(")");
        heads << head;
    }
    segments_->setHorizontalHeaderLabels(heads);
}

void frmLineDrop::addSegmentRow(const tw::line::Segment& segment) {
    const bool wasLoading = loading_;
    loading_ = true;
    const int row = segments_->rowCount();
    segments_->insertRow(row);
    rows_.push_back(segment);

    auto* nps = new QComboBox(segments_);
    nps->setObjectName(QStringLiteral("cmbNps"));
    nps->addItem(segment.insideDiameter
                     ? qs(textWith(kByInsideDiameter, language_,
                                   tw::generalNumberNoBlank(*segment.insideDiameter) + " " +
                                       unitOf(QuantityId::PDia, document_.units.updia)))
                     : QString());
    for (std::string_view size : tw::pipe::nominalPipeSizes())
        nps->addItem(QString::fromUtf8(size.data(), static_cast<qsizetype>(size.size())));
    const int npsIndex = nps->findText(qs(segment.nps));
    nps->setCurrentIndex(segment.nps.empty() || npsIndex < 0 ? 0 : npsIndex);
    auto* schedule = new QComboBox(segments_);
    schedule->setObjectName(QStringLiteral("cmbSchedule"));
    schedule->addItem(QString());
    for (std::string_view name : tw::pipe::kScheduleNames)
        schedule->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    const int scheduleIndex = schedule->findText(qs(segment.schedule));
    schedule->setCurrentIndex(scheduleIndex < 0 ? 0 : scheduleIndex);
    segments_->setCellWidget(row, kNpsColumn, nps);
    segments_->setCellWidget(row, kScheduleColumn, schedule);
    for (QComboBox* combo : {nps, schedule})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { setModified(true); });

    if (const auto* run = std::get_if<tw::line::LengthAndRise>(&segment.route)) {
        segments_->setItem(row, kLengthColumn, new QTableWidgetItem(number(run->length)));
        segments_->setItem(row, kRiseColumn, new QTableWidgetItem(number(run->rise)));
    } else {
        // A segment given by its end coordinates keeps them; the file is edited for those.
        for (int column : {kLengthColumn, kRiseColumn}) {
            auto* item = new QTableWidgetItem(qs(kByCoordinates.in(language_)));
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            segments_->setItem(row, column, item);
        }
    }
    auto* fittings = new QPushButton(segments_);
    fittings->setObjectName(QStringLiteral("cmdFittings"));
    connect(fittings, &QPushButton::clicked, this, [this, fittings] {
        for (int r = 0; r < segments_->rowCount(); ++r)
            if (segments_->cellWidget(r, kFittingsColumn) == fittings) editFittings(r);
    });
    segments_->setCellWidget(row, kFittingsColumn, fittings);
    refreshFittingsCell(row);
    loading_ = wasLoading;
}

void frmLineDrop::refreshFittingsCell(int row) {
    auto* button = qobject_cast<QPushButton*>(segments_->cellWidget(row, kFittingsColumn));
    if (button == nullptr || row >= static_cast<int>(rows_.size())) return;
    int count = 0;
    for (const tw::line::FittingGroup& g : rows_[static_cast<std::size_t>(row)].fittings)
        count += g.quantity;
    button->setText(qs(textWith(kFittingsCell, language_, std::to_string(count))));
}

void frmLineDrop::editFittings(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    tw::line::Segment& segment = rows_[static_cast<std::size_t>(row)];
    frmFittings editor(segment.fittings, row + 1, language_, this);
    if (editor.exec() != QDialog::Accepted) return;
    if (std::optional<std::vector<tw::line::FittingGroup>> groups = editor.fittings()) {
        segment.fittings = std::move(*groups);
        refreshFittingsCell(row);
        setModified(true);
    }
}

void frmLineDrop::setLine(const tw::line::Line& line) {
    loading_ = true;
    document_ = line;
    const FluidKind kind = kindOf(line.fluid);
    kind_->setCurrentIndex(static_cast<int>(kind));
    const std::array<std::optional<float>, 7> values = fieldValues(line.fluid, line.massFlow);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->setText(values[i] ? number(*values[i]) : QString());
    const auto* gas = std::get_if<tw::line::Gas>(&line.fluid);
    basis_->setCurrentIndex(gas && !gas->volumeBasis ? 1 : 0);
    for (std::size_t i = 0; i < composition_.size(); ++i)
        composition_[i]->setText(gas ? number(gas->composition[i]) : QString());
    segments_->setRowCount(0);
    rows_.clear();
    for (const tw::line::Segment& segment : line.segments) addSegmentRow(segment);
    showKind();
    showUnits();
    clearResults();
    loading_ = false;
    setModified(false);
}

std::optional<tw::line::Line> frmLineDrop::line() {
    tw::line::Line line = document_;
    const auto kind = static_cast<FluidKind>(kind_->currentIndex());
    const unsigned bit = 1u << static_cast<unsigned>(kind_->currentIndex());
    std::array<float, 7> v{};
    std::array<bool, 7> given{};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if ((kFluidFields[i].kinds & bit) == 0) continue;
        // A gas of given composition may leave its viscosity and exponent to its species.
        if (kind == FluidKind::Gas && (i == kViscosity || i == kExponent) &&
            fields_[i]->text().trimmed().isEmpty())
            continue;
        given[i] = true;
        const std::optional<float> value = typedNumber(fields_[i]->text());
        if (!value) {
            message(textWith(kNotANumber, language_, kFluidFields[i].caption.in(language_)));
            fields_[i]->setFocus();
            return std::nullopt;
        }
        v[i] = *value;
    }
    // The fluid keeps what the file said of it where the kind is the file's.
    const bool sameKind = kindOf(document_.fluid) == kind;
    switch (kind) {
        case FluidKind::SuperheatedSteam:
        case FluidKind::CompressedWater:
            line.fluid = tw::line::SteamOrWater{kind == FluidKind::SuperheatedSteam, v[kPressure],
                                                v[kTemperature]};
            break;
        case FluidKind::SaturatedSteam:
            line.fluid = tw::line::SaturatedSteam{v[kPressure], v[kDryness]};
            break;
        case FluidKind::SaturatedWater:
            line.fluid = tw::line::SaturatedWater{v[kPressure]};
            break;
        case FluidKind::Gas: {
            tw::line::Gas gas =
                sameKind ? std::get<tw::line::Gas>(document_.fluid) : tw::line::Gas{};
            gas.pressure = v[kPressure];
            gas.temperature = v[kTemperature];
            gas.viscosityGiven = given[kViscosity];
            gas.exponentGiven = given[kExponent];
            if (gas.viscosityGiven) gas.viscosity = v[kViscosity];
            if (gas.exponentGiven) gas.isentropicExponent = v[kExponent];
            gas.volumeBasis = basis_->currentIndex() == 0;
            for (std::size_t i = 0; i < composition_.size(); ++i) {
                const QString text = composition_[i]->text().trimmed();
                const std::optional<float> amount = text.isEmpty() ? 0.0f : typedNumber(text);
                if (!amount) {
                    message(textWith(kNotANumber, language_, tw::line::kGasSpeciesNames[i]));
                    composition_[i]->setFocus();
                    return std::nullopt;
                }
                gas.composition[i] = *amount;
            }
            gas.molarMass.reset();
            line.fluid = gas;
            break;
        }
        case FluidKind::TypedLiquid:
        case FluidKind::TypedGas:
            line.fluid = tw::line::TypedFluid{kind == FluidKind::TypedLiquid, v[kPressure],
                                              v[kSpecificVolume], v[kViscosity],
                                              kind == FluidKind::TypedGas ? v[kExponent] : 1.4f};
            break;
    }
    if (!sameKind) line.unknownFluid.clear();
    line.massFlow = v[kMassFlow];

    line.segments.clear();
    for (int row = 0; row < segments_->rowCount(); ++row) {
        tw::line::Segment segment = rows_[static_cast<std::size_t>(row)];
        const auto* nps = static_cast<QComboBox*>(segments_->cellWidget(row, kNpsColumn));
        const auto* schedule = static_cast<QComboBox*>(segments_->cellWidget(row, kScheduleColumn));
        const std::string what = textWith(kSegmentWord, language_, std::to_string(row + 1));
        if (nps->currentIndex() > 0) {
            segment.nps = nps->currentText().toStdString();
            segment.schedule = schedule->currentText().toStdString();
            segment.insideDiameter.reset();
            if (!tw::pipe::findPipeSize(segment.nps, segment.schedule)) {
                message(textWith(kNoSize, language_, std::to_string(row + 1)));
                return std::nullopt;
            }
        } else if (!segment.insideDiameter) {
            message(textWith(kNoSize, language_, std::to_string(row + 1)));
            return std::nullopt;
        } else {
            segment.nps.clear();
            segment.schedule.clear();
        }
        if (std::holds_alternative<tw::line::LengthAndRise>(segment.route)) {
            const std::optional<float> length =
                typedNumber(segments_->item(row, kLengthColumn)->text());
            const std::optional<float> rise =
                typedNumber(segments_->item(row, kRiseColumn)->text());
            if (!length || !rise) {
                message(textWith(kNotANumber, language_, what));
                return std::nullopt;
            }
            segment.route = tw::line::LengthAndRise{*length, *rise};
        }
        line.segments.push_back(std::move(segment));
    }
    if (line.segments.empty()) {
        message(kNoSegments.in(language_));
        return std::nullopt;
    }
    return line;
}

bool frmLineDrop::calculate() {
    std::optional<tw::line::Line> typed = line();
    if (!typed) return false;
    tw::line::LineResult result;
    try {
        // A gas named by its species takes the mean mole weight of its composition and, where
        // the panel leaves them empty, its viscosity and isentropic exponent.
        tw::fluegas::resolveLineGas(*typed);
        result = tw::line::calculate(*typed, language_);
    } catch (const tw::AutomationError& e) {
        clearResults();
        message(e.what());
        return false;
    }
    if (result.refused) {
        clearResults();
        std::string text = kRefused.in(language_);
        for (const tw::line::LineMessage& m : result.messages)
            text += "\n" + messageLine(m, language_);
        message(text);
        return false;
    }
    result_ = std::move(result);
    calculated_ = std::move(typed);
    showResults();
    return true;
}

void frmLineDrop::clearResults() {
    result_.reset();
    calculated_.reset();
    results_->setRowCount(0);
    QStringList heads;
    for (const ResultColumn& c : kResultColumns) heads << qs(c.caption.in(language_));
    results_->setHorizontalHeaderLabels(heads);
    messages_->clear();
    auto* chart = new QChart;
    chart->setTitle(qs(kChartTitle.in(language_)));
    chart->legend()->hide();
    showChart(*chart_, chart);
}

void frmLineDrop::showResults() {
    const tw::line::LineResult& r = *result_;
    const tw::line::LineUnits& u = calculated_->units;
    const std::array<std::string, 4> units{"", unitOf(QuantityId::PR, u.upr),
                                           unitOf(QuantityId::dP, u.upr),
                                           unitOf(QuantityId::Vel, u.uvel)};
    QStringList heads;
    for (const ResultColumn& c : kResultColumns) {
        QString head = qs(c.caption.in(language_));
        if (c.unit != 0)
            head += QStringLiteral("\n(") + qs(units[static_cast<std::size_t>(c.unit)]) +
                    QStringLiteral(")");
        heads << head;
    }
    results_->setHorizontalHeaderLabels(heads);
    const std::vector<std::vector<std::string>> table = resultRows(r, language_);
    results_->setRowCount(static_cast<int>(table.size()));
    for (std::size_t row = 0; row < table.size(); ++row) {
        for (std::size_t column = 0; column < table[row].size(); ++column) {
            auto* item = new QTableWidgetItem(qs(table[row][column]));
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            results_->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
    }
    results_->resizeColumnsToContents();
    QStringList lines;
    for (const tw::line::LineMessage& m : r.messages) lines << qs(messageLine(m, language_));
    messages_->setPlainText(lines.join(QLatin1Char('\n')));

    // The pressure at the inlet and after each segment.
    auto* set = new QBarSet(qs(kChartSeries.in(language_)));
    QStringList categories;
    if (!r.segments.empty()) {
        *set << r.segments.front().inletPressure;
        categories << qs(kChartInlet.in(language_));
    }
    for (std::size_t i = 0; i < r.segments.size(); ++i) {
        *set << r.segments[i].outletPressure;
        categories << QString::number(i + 1);
    }
    auto* series = new QBarSeries;
    series->append(set);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(qs(kChartTitle.in(language_)));
    chart->legend()->hide();
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    auto* y = new QValueAxis;
    y->setTitleText(qs(units[1]));
    y->setMin(0);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    showChart(*chart_, chart);
}

std::string frmLineDrop::resultsCsv() const {
    if (!result_) return {};
    QStringList lines;
    QStringList heads;
    for (int c = 0; c < results_->columnCount(); ++c)
        heads << csvCell(
            results_->horizontalHeaderItem(c)->text().replace(QLatin1Char('\n'), QLatin1Char(' ')));
    lines << heads.join(QLatin1Char(','));
    for (int r = 0; r < results_->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < results_->columnCount(); ++c)
            cells << csvCell(results_->item(r, c) ? results_->item(r, c)->text() : QString());
        lines << cells.join(QLatin1Char(','));
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toStdString();
}

void frmLineDrop::setModified(bool modified) {
    if (loading_) return;
    modified_ = modified;
    // What was calculated no longer belongs to what is shown.
    if (modified && result_) clearResults();
    updateCaption();
}

void frmLineDrop::updateCaption() {
    const QString name =
        filePath_.isEmpty() ? qs(kUntitled.in(language_)) : QFileInfo(filePath_).fileName();
    setWindowTitle(name + QStringLiteral("[*] - ") + qs(kWindowCaption));
    setWindowModified(modified_);
}

std::filesystem::path frmLineDrop::recoveryFile() const {
    return options_.stateDir.empty() ? std::filesystem::path()
                                     : options_.stateDir / "Unsaved.twline";
}

bool frmLineDrop::askToKeepChanges() {
    if (!modified_) return true;
    if (quittingBySignal_) {
        // The user's own file is not written over unasked; the line is kept beside the state.
        const std::filesystem::path file = recoveryFile();
        const std::optional<tw::line::Line> typed = file.empty() ? std::nullopt : line();
        if (typed) {
            try {
                std::filesystem::create_directories(file.parent_path());
                tw::line::writeLineFile(file, *typed);
                message(textWith(kKeptForRecovery, language_, file.string()), false);
            } catch (const std::exception& e) {
                message(textWith(kNotSaved, language_, file.string() + "\n" + e.what()));
            }
        }
        return true;
    }
    const MessageAnswer answer =
        messageSink().show(kSaveChanges.in(language_), "TW_LineDrop", MessageIcon::Exclamation,
                           MessageButtons::YesNoCancel);
    if (answer == MessageAnswer::Cancel) return false;
    return answer == MessageAnswer::No || save();
}

void frmLineDrop::newLine() {
    if (!askToKeepChanges()) return;
    tw::line::Line blank;
    blank.segments.push_back(tw::line::Segment{
        "4", "40", std::nullopt, std::nullopt, tw::line::LengthAndRise{10, 0}, {}, {}});
    filePath_.clear();
    setLine(blank);
}

bool frmLineDrop::openFile(const QString& path) {
    tw::line::Line opened;
    try {
        opened = tw::line::readLineFile(path.toStdString());
    } catch (const std::exception& e) {
        message(textWith(kNotALineFile, language_, path.toStdString() + "\n" + e.what()));
        return false;
    }
    filePath_ = QFileInfo(path).absoluteFilePath();
    lastFolder_ = QFileInfo(path).absolutePath();
    setLine(opened);
    rememberFile(filePath_);
    updateCaption();
    return true;
}

void frmLineDrop::openWithDialog() {
    if (!askToKeepChanges()) return;
    const QString path = QFileDialog::getOpenFileName(this, QString(), lastFolder_,
                                                      qs(kLineFileFilter.in(language_)));
    if (!path.isEmpty()) openFile(path);
}

bool frmLineDrop::saveFile(const QString& path) {
    const std::optional<tw::line::Line> typed = line();
    if (!typed) return false;
    try {
        tw::line::writeLineFile(path.toStdString(), *typed);
    } catch (const std::exception& e) {
        message(textWith(kNotSaved, language_, path.toStdString() + "\n" + e.what()));
        return false;
    }
    // The document is now what the file holds; the results stay, they belong to it.
    document_ = *typed;
    filePath_ = QFileInfo(path).absoluteFilePath();
    lastFolder_ = QFileInfo(path).absolutePath();
    rememberFile(filePath_);
    modified_ = false;
    updateCaption();
    return true;
}

bool frmLineDrop::save() {
    return filePath_.isEmpty() ? saveAs() : saveFile(filePath_);
}

bool frmLineDrop::saveAs() {
    QString path = QFileDialog::getSaveFileName(this, QString(), lastFolder_,
                                                qs(kLineFileFilter.in(language_)));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".twline");
    return saveFile(path);
}

void frmLineDrop::exportCsv() {
    if (!result_) {
        message(kNoResults.in(language_), false);
        return;
    }
    QString path = QFileDialog::getSaveFileName(this, QString(), lastFolder_,
                                                qs(kCsvFileFilter.in(language_)));
    if (path.isEmpty()) return;
    try {
        tw::writeFileAtomically(path.toStdString(), resultsCsv());
    } catch (const std::exception& e) {
        message(textWith(kNotSaved, language_, path.toStdString() + "\n" + e.what()));
    }
}

QWidget* frmLineDrop::openReport() {
    if (!result_) {
        message(kNoResults.in(language_), false);
        return nullptr;
    }
    const tw::line::Line line = *calculated_;
    const tw::line::LineResult result = *result_;
    auto* report = new tw::fluegas::frmReport(
        [line, result](std::int32_t language, const tw::fluegas::ReportHeader& header) {
            return lineReport(line, result, language, header);
        },
        kReportCaption, {}, language_, this);
    report->setSaveFolder(lastFolder_);
    report->setSuggestedFileName(filePath_.isEmpty() ? QStringLiteral("line.rtf")
                                                     : QFileInfo(filePath_).completeBaseName() +
                                                           QStringLiteral(".rtf"));
    report->show();
    return report;
}

void frmLineDrop::chooseUnits() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("frmUnits"));
    auto* unit = new TWUnitSel(&dialog);
    unit->setObjectName(QStringLiteral("Unit"));
    unit->setTW_Language(language_);
    unit->VisibleAll(false);
    for (const auto& [q, member] : kLineUnits) {
        unit->setRowVisible(q, true);
        unit->setUnit(q, document_.units.*member);
    }
    connect(unit, &TWUnitSel::OKClick, &dialog, &QDialog::accept);
    connect(unit, &TWUnitSel::CancelClick, &dialog, &QDialog::reject);
    dialog.setWindowTitle(qs(kUnitDialogCaption.in(language_)));
    dialog.resize(unit->size());
    if (dialog.exec() != QDialog::Accepted) return;
    // The numbers stay as typed; they are read in the units chosen.
    for (const auto& [q, member] : kLineUnits) document_.units.*member = unit->current(q);
    showUnits();
    setModified(true);
}

void frmLineDrop::rememberFile(const QString& path) {
    recentFiles_.removeAll(path);
    recentFiles_.prepend(path);
    while (recentFiles_.size() > kMostRecentFiles) recentFiles_.removeLast();
    rebuildRecentMenu();
}

void frmLineDrop::rebuildRecentMenu() {
    recentMenu_->clear();
    for (qsizetype i = 0; i < recentFiles_.size(); ++i) {
        const QString path = recentFiles_[i];
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        connect(a, &QAction::triggered, this, [this, path] {
            if (askToKeepChanges()) openFile(path);
        });
    }
    recentMenu_->setEnabled(!recentFiles_.isEmpty());
}

void frmLineDrop::readState() {
    if (options_.stateDir.empty()) return;
    const WindowState state = readWindowState(options_.stateDir / kStateFileName);
    if (state.size) resize(*state.size);
    recentFiles_ = state.recentFiles;
    lastFolder_ = state.lastFolder;
    rebuildRecentMenu();
}

void frmLineDrop::writeState() {
    if (options_.stateDir.empty()) return;
    writeWindowState(options_.stateDir / kStateFileName,
                     WindowState{size(), recentFiles_, lastFolder_});
}

void frmLineDrop::closeEvent(QCloseEvent* event) {
    if (!askToKeepChanges()) {
        event->ignore();
        return;
    }
    writeState();
    event->accept();
}

void frmLineDrop::message(const std::string& text, bool critical) {
    messageSink().show(text, "TW_LineDrop",
                       critical ? MessageIcon::Exclamation : MessageIcon::Information,
                       MessageButtons::OK);
}

}  // namespace tw::linedrop
