#include "TWUnitSel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <array>
#include <limits>

#include "PropertyBag.h"
#include "tw/AutomationError.h"
#include "tw/Twips.h"

namespace tw {
namespace {

// ---- Geometry, in twips as the form was laid out -------------------------------------------

struct TwipsRect {
    int left, top, width, height;
};
constexpr TwipsRect kTitle{2520, 360, 2295, 240};
constexpr TwipsRect kSystemLabel{240, 600, 1545, 240};
constexpr TwipsRect kSystemSelector{240, 840, 3975, 300};
constexpr TwipsRect kOkButton{4560, 840, 1092, 375};
constexpr TwipsRect kCancelButton{5880, 840, 1092, 375};
constexpr TwipsRect kFrame{120, 1200, 7095, 480};  // height recomputed by the row layout

// Quantity rows inside the frame: two columns, rows one selector height apart.
constexpr int kRowTop = 240;
constexpr int kLabelLeft[2] = {240, 3720};
constexpr int kSelectorLeft[2] = {1680, 5160};
constexpr int kLabelHeight = 240;
constexpr int kSelectorHeight = 300;
constexpr int kFrameExtraHeight = 480;     // frame height beyond the rows
constexpr int kControlExtraHeight = 1400;  // control height beyond the frame
constexpr int kControlExtraWidth = 300;    // control width beyond the frame

int labelWidth(QuantityId q) {
    return q == QuantityId::PR || q == QuantityId::Len ? 1395 : 1400;
}
int selectorWidth(QuantityId q) {
    return q == QuantityId::PR ? 1692 : 1680;
}

QRect pixels(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
QRect pixels(const TwipsRect& r) {
    return pixels(r.left, r.top, r.width, r.height);
}

// ---- Orders in which the control walks the quantities --------------------------------------

using Q = QuantityId;

// The 23 quantities with a selector row, in catalogue order.
constexpr QuantityId kSelectable[] = {
#define TW_UNITSEL_ID(Key, unitClassName, sName) Q::Key,
    TW_FOR_EACH_UNIT_QUANTITY(TW_UNITSEL_ID)
#undef TW_UNITSEL_ID
};

// Rows fill the two-column grid in this order, whatever order the flags were set in.
constexpr QuantityId kLayoutOrder[] = {
    Q::Len,     Q::PDia,  Q::Area,  Q::Vol,    Q::Mass,    Q::Force,    Q::Energy,   Q::Power,
    Q::MFlow,   Q::VFlow, Q::Vel,   Q::Visco,  Q::ViscoX,  Q::PR,       Q::TP,       Q::SVOL,
    Q::Density, Q::ENTH,  Q::ENTRO, Q::ThCond, Q::HtTrans, Q::HtResist, Q::HtDensity};

// Choosing a system moves the selectors to its presets in this order; each move runs the
// system detection, which may switch the system selector (and so the presets) on the way.
constexpr QuantityId kPresetOrder[] = {
    Q::PR,    Q::TP,      Q::SVOL,  Q::ENTH,   Q::ENTRO,   Q::MFlow,    Q::VFlow,    Q::Vel,
    Q::PDia,  Q::Len,     Q::Visco, Q::ViscoX, Q::Area,    Q::Vol,      Q::Energy,   Q::Force,
    Q::Power, Q::Density, Q::Mass,  Q::ThCond, Q::HtTrans, Q::HtResist, Q::HtDensity};

static_assert(std::size(kSelectable) == kQuantityCount - 1);
static_assert(std::size(kLayoutOrder) == kQuantityCount - 1);
static_assert(std::size(kPresetOrder) == kQuantityCount - 1);

// A compact sans-serif face, so that the longest captions fit their 1400-twip labels; Korean
// text comes from a Hangul face of the same weight.
QFont controlFont(QFont font) {
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("NanumGothic"), QStringLiteral("Malgun Gothic")});
    font.setPointSize(8);
    return font;
}

// ---- Captions -------------------------------------------------------------------------------

constexpr BilingualText kTitleCaption{"단위 선정 표", "Unit Selection Table"};
constexpr BilingualText kSystemCaption{"단위 계", "Unit System"};
constexpr BilingualText kOkCaption{"확인", "OK"};
constexpr BilingualText kCancelCaption{"취소", "Cancel"};
// The unit systems of the system selector, in the order of units::systemNames().
constexpr std::array<BilingualText, 4> kSystemNames{{
    {"미터 단위계", "Metric Unit System"},
    {"SI 단위계", "SI Unit System"},
    {"영국 단위계", "British Unit System"},
    {"혼합 단위", "Mixed Units"},
}};

BilingualText quantityCaption(QuantityId q) {
    const units::QuantityInfo& info = units::quantity(q);
    return {info.koreanCaption, info.englishCaption};
}

// ---- Unit strings ---------------------------------------------------------------------------

// The display string of a unit index; error 9 outside the list.
QString display(QuantityId q, int index) {
    const units::QuantityInfo& info = units::quantity(q);
    if (!info.valid(index)) throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    return QString::fromUtf8(info.units[static_cast<std::size_t>(index)].display);
}

// The strings a new instance starts with: the base units, except the temperature and velocity
// strings, which the control has always spelled "deg C" and "m/sec".
QString defaultString(QuantityId q) {
    if (q == Q::TP) return QStringLiteral("deg C");
    if (q == Q::Vel) return QStringLiteral("m/sec");
    return display(q, 0);
}

// ---- Persisted properties, in the order the store keeps them -------------------------------

enum class Field { BorderStyle, U, S, Exu, Exs, Visible, CallingObject, Language };
struct PersistedKey {
    const char* key;
    Field field;
    QuantityId q;  // for the per-quantity fields
};

// The temperature string is kept under "STP" and the volume string under "sVol".
constexpr PersistedKey kPersistedKeys[] = {
    {"BorderStyle", Field::BorderStyle, Q::PR},
    {"uPR", Field::U, Q::PR},
    {"uTP", Field::U, Q::TP},
    {"uSVOL", Field::U, Q::SVOL},
    {"uENTH", Field::U, Q::ENTH},
    {"uENTRO", Field::U, Q::ENTRO},
    {"uPDia", Field::U, Q::PDia},
    {"uLen", Field::U, Q::Len},
    {"uMFlow", Field::U, Q::MFlow},
    {"uVFlow", Field::U, Q::VFlow},
    {"uVisco", Field::U, Q::Visco},
    {"uViscoX", Field::U, Q::ViscoX},
    {"uVel", Field::U, Q::Vel},
    {"sPR", Field::S, Q::PR},
    {"sdP", Field::S, Q::dP},
    {"STP", Field::S, Q::TP},
    {"sSVOL", Field::S, Q::SVOL},
    {"sENTH", Field::S, Q::ENTH},
    {"sENTRO", Field::S, Q::ENTRO},
    {"sPDia", Field::S, Q::PDia},
    {"sLen", Field::S, Q::Len},
    {"sMFlow", Field::S, Q::MFlow},
    {"sVFlow", Field::S, Q::VFlow},
    {"sVisco", Field::S, Q::Visco},
    {"sViscoX", Field::S, Q::ViscoX},
    {"sVel", Field::S, Q::Vel},
    {"exuPR", Field::Exu, Q::PR},
    {"exsPR", Field::Exs, Q::PR},
    {"exuTP", Field::Exu, Q::TP},
    {"exuSVOL", Field::Exu, Q::SVOL},
    {"exuENTH", Field::Exu, Q::ENTH},
    {"exuENTRO", Field::Exu, Q::ENTRO},
    {"exuMFlow", Field::Exu, Q::MFlow},
    {"exuVel", Field::Exu, Q::Vel},
    {"exuPDia", Field::Exu, Q::PDia},
    {"exuLen", Field::Exu, Q::Len},
    {"exuVisco", Field::Exu, Q::Visco},
    {"exuViscoX", Field::Exu, Q::ViscoX},
    {"exsTP", Field::Exs, Q::TP},
    {"exsSVOL", Field::Exs, Q::SVOL},
    {"exsENTH", Field::Exs, Q::ENTH},
    {"exsENTRO", Field::Exs, Q::ENTRO},
    {"exsMFlow", Field::Exs, Q::MFlow},
    {"exsVFlow", Field::Exs, Q::VFlow},
    {"exsVel", Field::Exs, Q::Vel},
    {"exsPDia", Field::Exs, Q::PDia},
    {"exsLen", Field::Exs, Q::Len},
    {"exsVisco", Field::Exs, Q::Visco},
    {"exsViscoX", Field::Exs, Q::ViscoX},
    {"exsdP", Field::Exs, Q::dP},
    {"exuVFlow", Field::Exu, Q::VFlow},
    {"uArea", Field::U, Q::Area},
    {"uVol", Field::U, Q::Vol},
    {"uMass", Field::U, Q::Mass},
    {"uForce", Field::U, Q::Force},
    {"uEnergy", Field::U, Q::Energy},
    {"uPower", Field::U, Q::Power},
    {"uDensity", Field::U, Q::Density},
    {"uThCond", Field::U, Q::ThCond},
    {"uHtTrans", Field::U, Q::HtTrans},
    {"uHtResist", Field::U, Q::HtResist},
    {"uHtDensity", Field::U, Q::HtDensity},
    {"sArea", Field::S, Q::Area},
    {"sVol", Field::S, Q::Vol},
    {"sMass", Field::S, Q::Mass},
    {"sForce", Field::S, Q::Force},
    {"sPower", Field::S, Q::Power},
    {"sDensity", Field::S, Q::Density},
    {"sThCond", Field::S, Q::ThCond},
    {"sHtTrans", Field::S, Q::HtTrans},
    {"sHtResist", Field::S, Q::HtResist},
    {"sHtDensity", Field::S, Q::HtDensity},
    {"exuArea", Field::Exu, Q::Area},
    {"exuVol", Field::Exu, Q::Vol},
    {"exuMass", Field::Exu, Q::Mass},
    {"exuForce", Field::Exu, Q::Force},
    {"exuEnergy", Field::Exu, Q::Energy},
    {"exuPower", Field::Exu, Q::Power},
    {"exuDensity", Field::Exu, Q::Density},
    {"exuThCond", Field::Exu, Q::ThCond},
    {"exuHtTrans", Field::Exu, Q::HtTrans},
    {"exuHtResist", Field::Exu, Q::HtResist},
    {"exuHtDensity", Field::Exu, Q::HtDensity},
    {"exsArea", Field::Exs, Q::Area},
    {"exsVol", Field::Exs, Q::Vol},
    {"exsMass", Field::Exs, Q::Mass},
    {"exsEnergy", Field::Exs, Q::Energy},
    {"exsPower", Field::Exs, Q::Power},
    {"exsDensity", Field::Exs, Q::Density},
    {"exsThCond", Field::Exs, Q::ThCond},
    {"exsHtTrans", Field::Exs, Q::HtTrans},
    {"exsHtResist", Field::Exs, Q::HtResist},
    {"exsHtDensity", Field::Exs, Q::HtDensity},
    {"sEnergy", Field::S, Q::Energy},
    {"Visible_Mass", Field::Visible, Q::Mass},
    {"Visible_Len", Field::Visible, Q::Len},
    {"Visible_PDia", Field::Visible, Q::PDia},
    {"Visible_Area", Field::Visible, Q::Area},
    {"Visible_Force", Field::Visible, Q::Force},
    {"Visible_Vol", Field::Visible, Q::Vol},
    {"Visible_Energy", Field::Visible, Q::Energy},
    {"Visible_Power", Field::Visible, Q::Power},
    {"Visible_MFlow", Field::Visible, Q::MFlow},
    {"Visible_VFlow", Field::Visible, Q::VFlow},
    {"Visible_Vel", Field::Visible, Q::Vel},
    {"Visible_Visco", Field::Visible, Q::Visco},
    {"Visible_ViscoX", Field::Visible, Q::ViscoX},
    {"Visible_PR", Field::Visible, Q::PR},
    {"Visible_TP", Field::Visible, Q::TP},
    {"Visible_SVOL", Field::Visible, Q::SVOL},
    {"Visible_Density", Field::Visible, Q::Density},
    {"Visible_ENTH", Field::Visible, Q::ENTH},
    {"Visible_ENTRO", Field::Visible, Q::ENTRO},
    {"Visible_ThCond", Field::Visible, Q::ThCond},
    {"Visible_HtTrans", Field::Visible, Q::HtTrans},
    {"Visible_HtResist", Field::Visible, Q::HtResist},
    {"Visible_HtDensity", Field::Visible, Q::HtDensity},
    {"exsForce", Field::Exs, Q::Force},
    {"CallingObject", Field::CallingObject, Q::PR},
    {"TW_Language", Field::Language, Q::PR},
};
static_assert(std::size(kPersistedKeys) == 3 + 5 * (kQuantityCount - 1) + 2);

// A stored unit index: kept if it is a whole number that addresses the quantity's list, so that
// a damaged store can never leave the control with an index that has no unit string.
std::int16_t storedIndex(const QVariant& value, QuantityId q) {
    bool ok = false;
    const int index = value.toInt(&ok);
    return ok && units::quantity(q).valid(index) ? static_cast<std::int16_t>(index) : 0;
}

// The store keeps the reference as a guarded pointer; a plain object pointer is accepted too.
QObject* storedObject(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QPointer<QObject>>()) {
        return value.value<QPointer<QObject>>().data();
    }
    return value.value<QObject*>();
}

// ---- Help texts -----------------------------------------------------------------------------

// The quantity names used in the published help texts.
const char* helpName(QuantityId q) {
    switch (q) {
        case Q::PR:
            return "Pressure";
        case Q::dP:
            return "Pressure Drop";
        case Q::TP:
            return "Temperature";
        case Q::SVOL:
            return "Specific Volume";
        case Q::ENTH:
            return "Enthalpy";
        case Q::ENTRO:
            return "Entropy";
        case Q::MFlow:
            return "Mass Flow";
        case Q::VFlow:
            return "Volume Flow";
        case Q::Vel:
            return "Velocity";
        case Q::PDia:
            return "Pipe Dimension";
        case Q::Len:
            return "Length or Head";
        case Q::Visco:
            return "Absolute Viscosity";
        case Q::ViscoX:
            return "Kinematic Viscosity";
        case Q::Area:
            return "Area";
        case Q::Vol:
            return "Volume";
        case Q::Mass:
            return "Mass";
        case Q::Force:
            return "Force";
        case Q::Energy:
            return "Energy";
        case Q::Power:
            return "Power";
        case Q::Density:
            return "Density";
        case Q::ThCond:
            return "Thermal Conductivity";
        case Q::HtTrans:
            return "Heat Transfer Coefficient";
        case Q::HtResist:
            return "Heat Resistance or Fouling Resistance";
        case Q::HtDensity:
            return "Heat Flux Density";
    }
    return "";
}

}  // namespace

// ---- Creation -------------------------------------------------------------------------------

TWUnitSel::TWUnitSel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("TWUnitSel"));
    setFont(controlFont(font()));
    createElements();
    setNewInstanceDefaults();

    // Every selector shows its committed unit; then the system and the rows follow from them.
    for (QuantityId q : kSelectable) {
        rows_[static_cast<std::size_t>(q)].combo->setCurrentIndex(slot(q).u);
    }
    for (QuantityId q : kSelectable) {
        connect(rows_[static_cast<std::size_t>(q)].combo, &QComboBox::currentIndexChanged, this,
                &TWUnitSel::detectSystem);
    }
    connect(cmbSys_, &QComboBox::currentIndexChanged, this, &TWUnitSel::chooseSystem);
    connect(cmdOK_, &QPushButton::clicked, this, &TWUnitSel::commit);
    connect(cmdCancel_, &QPushButton::clicked, this, &TWUnitSel::CancelClick);

    detectSystem();
    layoutRows();
    applyCaptions();
    applySize();
}

TWUnitSel::~TWUnitSel() = default;

void TWUnitSel::createElements() {
    lblTitle_ = new QLabel(this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setGeometry(pixels(kTitle));
    lblTitle_->setAlignment(Qt::AlignCenter);
    QFont titleFont = lblTitle_->font();
    titleFont.setPointSize(9);
    titleFont.setBold(true);
    lblTitle_->setFont(titleFont);
    QPalette titlePalette = lblTitle_->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblTitle_->setPalette(titlePalette);

    lblSys_ = new QLabel(this);
    lblSys_->setObjectName(QStringLiteral("lblSys"));
    lblSys_->setGeometry(pixels(kSystemLabel));

    cmbSys_ = new QComboBox(this);
    cmbSys_->setObjectName(QStringLiteral("cmbSys"));
    cmbSys_->setGeometry(pixels(kSystemSelector));
    for (const char* name : units::systemNames()) cmbSys_->addItem(QString::fromUtf8(name));

    cmdOK_ = new QPushButton(this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setGeometry(pixels(kOkButton));
    cmdOK_->setDefault(true);

    cmdCancel_ = new QPushButton(this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(pixels(kCancelButton));

    frame_ = new QGroupBox(this);
    frame_->setObjectName(QStringLiteral("Frame1"));
    frame_->setGeometry(pixels(kFrame));
    frame_->lower();  // the buttons reach down onto the frame's edge

    for (QuantityId q : kSelectable) {
        const units::QuantityInfo& info = units::quantity(q);
        Row& row = rows_[static_cast<std::size_t>(q)];
        row.label = new QLabel(frame_);
        row.label->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(info.key));
        row.label->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        row.label->resize(twipsToPixels(labelWidth(q)), twipsToPixels(kLabelHeight));
        row.combo = new QComboBox(frame_);
        row.combo->setObjectName(QStringLiteral("cmb") + QString::fromUtf8(info.key));
        row.combo->resize(twipsToPixels(selectorWidth(q)), twipsToPixels(kSelectorHeight));
        for (const units::UnitEntry& unit : info.units) {
            row.combo->addItem(QString::fromUtf8(unit.display));
        }
        row.label->hide();
        row.combo->hide();
    }
}

void TWUnitSel::setNewInstanceDefaults() {
    for (QuantityId q : kSelectable) {
        Slot& s = slot(q);
        s.u = 0;
        s.exu = 0;
        s.s = defaultString(q);
        s.exs = s.s;
        s.visible = false;
    }
    slot(Q::dP).s = display(Q::dP, 0);
    slot(Q::dP).exs = slot(Q::dP).s;
    language_ = TW_Korean;
}

// ---- Committed units ------------------------------------------------------------------------

void TWUnitSel::setUnit(QuantityId q, int index) {
    if (q == Q::dP) throw AutomationError(ErrorNumber::InvalidCall);
    if (designMode_) throw AutomationError(ErrorNumber::SetNotPermitted);
    // Both checks come before any change, so a refused index leaves the committed units as
    // they were.
    if (index < std::numeric_limits<std::int16_t>::min() ||
        index > std::numeric_limits<std::int16_t>::max()) {
        throw AutomationError(ErrorNumber::Overflow);
    }
    QString newString = display(q, index);

    Slot& s = slot(q);
    s.exu = s.u;
    s.exs = display(q, s.exu);
    s.u = static_cast<std::int16_t>(index);
    s.s = std::move(newString);
    if (q == Q::PR) {
        slot(Q::dP).exs = display(Q::dP, s.exu);
        slot(Q::dP).s = display(Q::dP, s.u);
    }
    emit propertyChanged(QString());
    rows_[static_cast<std::size_t>(q)].combo->setCurrentIndex(index);
}

void TWUnitSel::refuseReadOnly() const {
    throw AutomationError(designMode_ ? ErrorNumber::SetNotPermitted
                                      : ErrorNumber::SetNotSupportedAtRuntime);
}

// OK: the committed units become the previous ones and the selectors' choices the current
// ones, in four passes, so every exu/exs pair names the units the host's values are in.
void TWUnitSel::commit() {
    for (QuantityId q : kSelectable) slot(q).exu = slot(q).u;
    for (QuantityId q : kSelectable) slot(q).exs = display(q, slot(q).exu);
    slot(Q::dP).exs = display(Q::dP, slot(Q::PR).exu);
    for (QuantityId q : kSelectable) {
        const int chosen = rows_[static_cast<std::size_t>(q)].combo->currentIndex();
        if (chosen >= 0) slot(q).u = static_cast<std::int16_t>(chosen);
    }
    for (QuantityId q : kSelectable) slot(q).s = display(q, slot(q).u);
    slot(Q::dP).s = display(Q::dP, slot(Q::PR).u);
    emit propertyChanged(QString());
    emit OKClick();
}

#define TW_UNITSEL_CVT(Key)                                                              \
    float TWUnitSel::Cvt##Key(int SourceUnit, int TargetUnit, float SourceValue) const { \
        return units::Cvt##Key(SourceUnit, TargetUnit, SourceValue);                     \
    }
TW_FOR_EACH_QUANTITY(TW_UNITSEL_CVT)
#undef TW_UNITSEL_CVT

// ---- Unit system ----------------------------------------------------------------------------

// The system whose presets all visible selectors show; Metric, SI and British are tested in
// this order, so with no visible row, or rows whose presets coincide, Metric wins.
void TWUnitSel::detectSystem() {
    int total = 0;
    std::array<int, 3> matching{};
    for (QuantityId q : kSelectable) {
        if (!slot(q).visible) continue;
        ++total;
        const int chosen = rows_[static_cast<std::size_t>(q)].combo->currentIndex();
        const auto& presets = units::quantity(q).presets;
        for (std::size_t system = 0; system < presets.size(); ++system) {
            if (chosen == presets[system]) ++matching[system];
        }
    }
    int detected = Mixed;
    for (int system = Metric; system <= British; ++system) {
        if (matching[static_cast<std::size_t>(system)] == total) {
            detected = system;
            break;
        }
    }
    cmbSys_->setCurrentIndex(detected);
}

// Moves every selector, shown or not, to the presets of the chosen system; Mixed changes
// nothing. The committed units are not touched.
void TWUnitSel::chooseSystem(int system) {
    if (system < Metric || system > British) return;
    for (QuantityId q : kPresetOrder) {
        rows_[static_cast<std::size_t>(q)].combo->setCurrentIndex(
            units::quantity(q).presets[static_cast<std::size_t>(system)]);
    }
}

// ---- Rows -----------------------------------------------------------------------------------

void TWUnitSel::setRowVisible(QuantityId q, bool visible) {
    if (q == Q::dP) throw AutomationError(ErrorNumber::InvalidCall);
    slot(q).visible = visible;
    emit propertyChanged(QStringLiteral("Visible_") + QString::fromUtf8(units::quantity(q).key));
    layoutRows();
}

void TWUnitSel::VisibleAll(bool ktoYes) {
    for (QuantityId q : kSelectable) slot(q).visible = ktoYes;
    emit propertyChanged(QString());
    layoutRows();
}

// Visible rows fill a two-column grid row by row in the fixed layout order; the frame and the
// control grow with the number of grid rows.
void TWUnitSel::layoutRows() {
    const int rowHeight = pixelsToTwips(rows_[static_cast<std::size_t>(Q::Len)].combo->height());
    int shown = 0;
    for (QuantityId q : kLayoutOrder) {
        const Row& row = rows_[static_cast<std::size_t>(q)];
        if (!slot(q).visible) {
            row.label->hide();
            row.combo->hide();
            continue;
        }
        const int column = shown % 2;
        const int top = (shown / 2) * rowHeight + kRowTop;
        row.label->move(twipsToPixels(kLabelLeft[column]), twipsToPixels(top));
        row.combo->move(twipsToPixels(kSelectorLeft[column]), twipsToPixels(top));
        row.label->show();
        row.combo->show();
        ++shown;
    }
    frameHeightTwips_ = ((shown + 1) / 2) * rowHeight + kFrameExtraHeight;
    frame_->resize(frame_->width(), twipsToPixels(frameHeightTwips_));
    resize(width(), twipsToPixels(frameHeightTwips_ + kControlExtraHeight));
    updateGeometry();
}

// ---- Showing --------------------------------------------------------------------------------

void TWUnitSel::showEvent(QShowEvent* event) {
    applyCaptions();
    applySize();
    QFrame::showEvent(event);
}

void TWUnitSel::applyCaptions() {
    const char* title = kTitleCaption.in(language_);
    if (title == nullptr) return;  // neither Korean nor English: keep the captions
    lblTitle_->setText(QString::fromUtf8(title));
    lblSys_->setText(QString::fromUtf8(kSystemCaption.in(language_)));
    cmdOK_->setText(QString::fromUtf8(kOkCaption.in(language_)));
    cmdCancel_->setText(QString::fromUtf8(kCancelCaption.in(language_)));
    for (int i = 0; i < cmbSys_->count() && i < static_cast<int>(kSystemNames.size()); ++i) {
        cmbSys_->setItemText(
            i, QString::fromUtf8(kSystemNames[static_cast<std::size_t>(i)].in(language_)));
    }
    for (QuantityId q : kSelectable) {
        rows_[static_cast<std::size_t>(q)].label->setText(
            QString::fromUtf8(quantityCaption(q).in(language_)));
    }
}

void TWUnitSel::applySize() {
    resize(twipsToPixels(pixelsToTwips(frame_->width()) + kControlExtraWidth),
           twipsToPixels(frameHeightTwips_ + kControlExtraHeight));
    updateGeometry();
}

// ---- Other properties -----------------------------------------------------------------------

void TWUnitSel::setCallingObject(QObject* object) {
    callingObject_ = object;
    emit propertyChanged(QStringLiteral("CallingObject"));
}

void TWUnitSel::setTW_Language(std::int32_t language) {
    language_ = language;
    emit propertyChanged(QStringLiteral("TW_Language"));
}

void TWUnitSel::setBorderStyle(int style) {
    if (style != None && style != Fixed) throw AutomationError(380, "Invalid property value");
    applyBorderStyle(static_cast<enmBStyle>(style));
    emit propertyChanged(QStringLiteral("BorderStyle"));
}

void TWUnitSel::applyBorderStyle(enmBStyle style) {
    borderStyle_ = style;
    if (style == Fixed) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

// ---- Persistence ----------------------------------------------------------------------------

void TWUnitSel::writeProperties(PropertyBag& bag) const {
    for (const PersistedKey& k : kPersistedKeys) {
        const QString key = QString::fromLatin1(k.key);
        const Slot& s = slot(k.q);
        switch (k.field) {
            case Field::BorderStyle:
                bag.writeProperty(key, QVariant::fromValue<qint16>(borderStyle_));
                break;
            case Field::U:
                bag.writeProperty(key, QVariant::fromValue<qint16>(s.u));
                break;
            case Field::S:
                bag.writeProperty(key, s.s);
                break;
            case Field::Exu:
                bag.writeProperty(key, QVariant::fromValue<qint16>(s.exu));
                break;
            case Field::Exs:
                bag.writeProperty(key, s.exs);
                break;
            case Field::Visible:
                bag.writeProperty(key, s.visible);
                break;
            case Field::CallingObject:
                // A guarded pointer, so that a store outliving the host reads back as no object;
                // no object is an empty value, which file-backed stores can keep too.
                bag.writeProperty(key, callingObject_.isNull()
                                           ? QVariant()
                                           : QVariant::fromValue(callingObject_));
                break;
            case Field::Language:
                bag.writeProperty(key, QVariant::fromValue<qint32>(language_));
                break;
        }
    }
}

void TWUnitSel::readProperties(const PropertyBag& bag) {
    for (const PersistedKey& k : kPersistedKeys) {
        const QString key = QString::fromLatin1(k.key);
        const bool stored = bag.contains(key);
        const QVariant value = stored ? bag.readProperty(key) : QVariant();
        Slot& s = slot(k.q);
        switch (k.field) {
            case Field::BorderStyle:
                applyBorderStyle(value.toInt() == Fixed ? Fixed : None);
                break;
            case Field::U:
                s.u = storedIndex(value, k.q);
                break;
            case Field::S:
                s.s = stored ? value.toString() : defaultString(k.q);
                break;
            case Field::Exu:
                s.exu = storedIndex(value, k.q);
                break;
            case Field::Exs:
                s.exs = stored ? value.toString() : defaultString(k.q);
                break;
            case Field::Visible:
                s.visible = value.toBool();
                break;
            case Field::CallingObject:
                callingObject_ = storedObject(value);
                break;
            case Field::Language: {
                bool ok = false;
                const int language = value.toInt(&ok);
                language_ = ok ? language : TW_Korean;
                break;
            }
        }
    }
}

// ---- Help texts -----------------------------------------------------------------------------

QString TWUnitSel::memberHelp(const QString& member) {
    for (const units::QuantityInfo& info : units::quantities()) {
        const QString key = QString::fromUtf8(info.key);
        const QString name = QString::fromUtf8(helpName(info.id));
        if (member == QStringLiteral("exu") + key && info.id != Q::dP) {
            return QStringLiteral("Previous unit index of ") + name;
        }
        if (member == QStringLiteral("exs") + key) {
            return QStringLiteral("Previous unit string of ") + name;
        }
        if (member == QStringLiteral("Cvt") + key)
            return name + QStringLiteral(" conversion function");
        if (member == QStringLiteral("Visible_") + key && info.id != Q::dP) {
            return QString::fromUtf8(info.koreanCaption) +
                   QStringLiteral(" 단위를 보여 줄지 여부를 반환하거나 설정합니다.");
        }
    }
    return {};
}

}  // namespace tw
