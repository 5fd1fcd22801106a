#pragma once
// TWUnitSel: the unit selection control. A panel with one drop-down list of units for each of up
// to 23 quantities, a unit system selector and OK / Cancel buttons. The host chooses the rows
// shown (Visible_...), sets the current units (u...), shows its dialog and reacts to OKClick
// and CancelClick. After OK, for every quantity, exu.../exs... name the units the host's values
// are still in and u.../s... the units to convert them to:
//
//     value = unitSel.CvtTP(unitSel.exuTP(), unitSel.uTP(), value);
//
// The control holds unit choices only, never values. The selectors are the uncommitted choice;
// the committed state changes only through OK or through the u... setters.
//
// Errors are raised as tw::AutomationError: 9 for a unit index outside its list, 6 for an index
// outside the 16-bit range, 387 / 382 for setting a read-only member in design mode / at run
// time (and 387 for setting a u... member in design mode), 380 for an unknown border style.
//
// Late-bound callers reach every published member by name: properties through
// QObject::property()/setProperty() (setProperty forwards the errors above as exceptions), the
// conversions and VisibleAll through QMetaObject::invokeMethod().

#include <QFrame>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>

#include "Units.h"
#include "tw/Language.h"

#if defined(TWUNITSEL_LIBRARY)
#define TWUNITSEL_EXPORT Q_DECL_EXPORT
#else
#define TWUNITSEL_EXPORT Q_DECL_IMPORT
#endif

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace tw {

class PropertyBag;

class TWUNITSEL_EXPORT TWUnitSel : public QFrame {
    Q_OBJECT

  public:
    // The control surface's border.
    enum enmBStyle : std::int32_t { None = 0, Fixed = 1 };
    Q_ENUM(enmBStyle)

  private:
    // moc runs its own preprocessor over this header, including the catalogue's macro lists, so
    // the published properties of all 23 quantities come from one line each. The control's
    // string member of volume is spelled sVOL (third argument of the list).
#define TW_UNITSEL_PROPERTIES(Key, unitClassName, sName)         \
    Q_PROPERTY(int u##Key READ u##Key WRITE setu##Key)           \
    Q_PROPERTY(QString sName READ sName WRITE set##sName)        \
    Q_PROPERTY(qint16 exu##Key READ exu##Key WRITE setexu##Key)  \
    Q_PROPERTY(QString exs##Key READ exs##Key WRITE setexs##Key) \
    Q_PROPERTY(bool Visible_##Key READ Visible_##Key WRITE setVisible_##Key)
    TW_FOR_EACH_UNIT_QUANTITY(TW_UNITSEL_PROPERTIES)
#undef TW_UNITSEL_PROPERTIES
    Q_PROPERTY(QString sdP READ sdP WRITE setsdP)
    Q_PROPERTY(QString exsdP READ exsdP WRITE setexsdP)
    Q_PROPERTY(QObject* CallingObject READ CallingObject WRITE setCallingObject)
    Q_PROPERTY(int TW_Language READ TW_Language WRITE setTW_Language)
    Q_PROPERTY(enmBStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(bool designMode READ designMode WRITE setDesignMode)

  public:
    explicit TWUnitSel(QWidget* parent = nullptr);
    ~TWUnitSel() override;

    // For each of the 23 quantities Q (PR, TP, SVOL, ENTH, ENTRO, MFlow, VFlow, Vel, PDia, Len,
    // Visco, ViscoX, Area, Vol, Mass, Force, Energy, Power, Density, ThCond, HtTrans, HtResist,
    // HtDensity):
    //   uQ / setuQ       committed unit index. Setting it (run time only) makes the old unit the
    //                    previous one, commits the new one and moves the selector to it.
    //   sQ               display string of the committed unit (volume: sVOL).
    //   exuQ, exsQ       the unit before the last commit.
    //   setsQ, setexuQ, setexsQ  always fail: 387 in design mode, 382 at run time.
    //   Visible_Q        whether the quantity's row is shown; setting it re-lays out the rows.
    //   CvtQ             conversion between two units of the quantity (see Units.h).
#define TW_UNITSEL_MEMBERS(Key, unitClassName, sName)           \
    enm##Key u##Key() const noexcept {                          \
        return static_cast<enm##Key>(current(QuantityId::Key)); \
    }                                                           \
    void setu##Key(int index) {                                 \
        setUnit(QuantityId::Key, index);                        \
    }                                                           \
    QString sName() const {                                     \
        return slot(QuantityId::Key).s;                         \
    }                                                           \
    void set##sName(const QString&) {                           \
        refuseReadOnly();                                       \
    }                                                           \
    std::int16_t exu##Key() const noexcept {                    \
        return slot(QuantityId::Key).exu;                       \
    }                                                           \
    void setexu##Key(int) {                                     \
        refuseReadOnly();                                       \
    }                                                           \
    QString exs##Key() const {                                  \
        return slot(QuantityId::Key).exs;                       \
    }                                                           \
    void setexs##Key(const QString&) {                          \
        refuseReadOnly();                                       \
    }                                                           \
    bool Visible_##Key() const noexcept {                       \
        return slot(QuantityId::Key).visible;                   \
    }                                                           \
    void setVisible_##Key(bool visible) {                       \
        setRowVisible(QuantityId::Key, visible);                \
    }
    TW_FOR_EACH_UNIT_QUANTITY(TW_UNITSEL_MEMBERS)
#undef TW_UNITSEL_MEMBERS

    // Pressure difference follows pressure: its strings are the pressure-difference list at uPR
    // and exuPR.
    QString sdP() const {
        return slot(QuantityId::dP).s;
    }
    void setsdP(const QString&) {
        refuseReadOnly();
    }
    QString exsdP() const {
        return slot(QuantityId::dP).exs;
    }
    void setexsdP(const QString&) {
        refuseReadOnly();
    }

    // The 24 conversions CvtPR, CvtdP, CvtTP, ...: equal units return the value unchanged, an
    // index outside the list gives 0, a floating-point fault raises 5 or 6.
#define TW_UNITSEL_CVT(Key) \
    Q_INVOKABLE float Cvt##Key(int SourceUnit, int TargetUnit, float SourceValue) const;
    TW_FOR_EACH_QUANTITY(TW_UNITSEL_CVT)
#undef TW_UNITSEL_CVT

    // Shows all 23 rows if ktoYes is true, hides them all otherwise.
    Q_INVOKABLE void VisibleAll(bool ktoYes);

    // The host object that receives the unit change (the control only keeps the reference).
    QObject* CallingObject() const {
        return callingObject_.data();
    }
    void setCallingObject(QObject* object);

    // Language of the captions (enmLanguage), applied the next time the control is shown. Any
    // value is kept; values other than TW_Korean and TW_English leave the captions unchanged.
    enmLanguage TW_Language() const noexcept {
        return static_cast<enmLanguage>(language_);
    }
    void setTW_Language(std::int32_t language);

    enmBStyle BorderStyle() const noexcept {
        return borderStyle_;
    }
    void setBorderStyle(int style);

    // The container's ambient user mode: true while the host is being designed.
    bool designMode() const noexcept {
        return designMode_;
    }
    void setDesignMode(bool designMode) {
        designMode_ = designMode;
    }

    // Persisted properties under their published keys, in the published order. Reading sets the
    // stored fields only (missing keys give the new-instance defaults); it neither moves the
    // selectors nor re-lays out the rows.
    void readProperties(const PropertyBag& bag);
    void writeProperties(PropertyBag& bag) const;

    // Generic access by quantity for code that walks the catalogue (dP: the strings only).
    int current(QuantityId q) const noexcept {
        return slot(q).u;
    }
    void setUnit(QuantityId q, int index);
    bool rowVisible(QuantityId q) const noexcept {
        return slot(q).visible;
    }
    void setRowVisible(QuantityId q, bool visible);

    // The help text published with a member ("Previous unit index of Temperature", ...), or an
    // empty string for a member without one.
    static QString memberHelp(const QString& member);

    QSize sizeHint() const override {
        return size();
    }

  signals:
    // The user pressed OK; the committed units have just been updated.
    void OKClick();
    // The user pressed Cancel; nothing changed.
    void CancelClick();
    // A persisted property changed: its name, or an empty name when all of them may have.
    void propertyChanged(const QString& name);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Slot {
        std::int16_t u = 0;
        QString s;
        std::int16_t exu = 0;
        QString exs;
        bool visible = false;
    };
    struct Row {
        QLabel* label = nullptr;     // owned by the frame
        QComboBox* combo = nullptr;  // owned by the frame
    };

    const Slot& slot(QuantityId q) const noexcept {
        return slots_[static_cast<std::size_t>(q)];
    }
    Slot& slot(QuantityId q) noexcept {
        return slots_[static_cast<std::size_t>(q)];
    }
    [[noreturn]] void refuseReadOnly() const;

    void createElements();
    void setNewInstanceDefaults();
    void detectSystem();
    void chooseSystem(int system);
    void layoutRows();
    void applyCaptions();
    void applySize();
    void applyBorderStyle(enmBStyle style);
    void commit();

    std::array<Slot, kQuantityCount> slots_{};
    std::array<Row, kQuantityCount> rows_{};  // no row for dP
    QLabel* lblTitle_ = nullptr;
    QLabel* lblSys_ = nullptr;
    QComboBox* cmbSys_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QGroupBox* frame_ = nullptr;
    int frameHeightTwips_ = 0;

    QPointer<QObject> callingObject_;
    std::int32_t language_ = TW_Korean;
    enmBStyle borderStyle_ = None;
    bool designMode_ = false;
};

}  // namespace tw
