#include "CalculatorTable.h"

#include <cmath>
#include <limits>
#include <utility>

#include "mdlTW_FlueGas.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"

namespace tw::fluegas {
namespace {

// Calculation slots of the species (N2, O2, CO2, CO, SO2, H2O, Ar).
constexpr int slotN2 = 0, slotO2 = 1, slotCO2 = 2, slotCO = 3, slotSO2 = 4, slotH2O = 5, slotAr = 6;

constexpr std::array<RowDefinition, kTableRows> kRows{{
    {"Item", "항목", UnitText::None, RowRole::Header, -1},
    {"N2", "N2", UnitText::Composition, RowRole::Input, slotN2},
    {"Ar", "Ar", UnitText::Composition, RowRole::Input, slotAr},
    {"O2", "O2", UnitText::Composition, RowRole::Input, slotO2},
    {"CO2", "CO2", UnitText::Composition, RowRole::Input, slotCO2},
    {"CO", "CO", UnitText::Composition, RowRole::Input, slotCO},
    {"SO2", "SO2", UnitText::Composition, RowRole::Input, slotSO2},
    {"H2O", "H2O", UnitText::Composition, RowRole::Input, slotH2O},
    {"Component total", "성분 합계", UnitText::None, RowRole::Result, -1},
    {"Gas temperature", "가스 온도", UnitText::Temperature, RowRole::Input, -1},
    {"Enthalpy reference temperature", "엔탈피 기준 온도", UnitText::Temperature, RowRole::Input,
     -1},
    {"Mole weight", "몰 중량", UnitText::None, RowRole::Result, -1},
    {"Gas enthalpy", "가스 엔탈피", UnitText::Enthalpy, RowRole::Result, -1},
    {"SO3 conversion rate", "SO3 변환율", UnitText::Percent, RowRole::So3Rate, -1},
    {"Okkes sulfuric acid dew point", "Okkes 황산 이슬점", UnitText::Temperature, RowRole::Result,
     -1},
    {"Verhoff sulfuric acid dew point", "Verhoff 황산 이슬점", UnitText::Temperature,
     RowRole::Result, -1},
    {"Water dew point", "수분 이슬점", UnitText::Temperature, RowRole::Result, -1},
}};

constexpr std::array<BilingualText, kTableColumns> kHeader{{
    {"항목", "Item"},
    {"단위", "Unit"},
    {"값", "Value"},
}};

constexpr std::array<BilingualText, 3> kFormulaNotes{{
    {"* 엔탈피 계산 공식 : NASA Glenn Coefficients",
     "* Enthalpy calculation formula : NASA Glenn Coefficients"},
    {"* 엔탈피 계산 공식 : ASME PTC 4.4", "* Enthalpy calculation formula : ASME PTC 4.4"},
    {"* 엔탈피 계산 공식 : B&&W STEAM its generation and use",
     "* Enthalpy calculation formula : B&W STEAM its generation and use"},
}};

bool insideTable(int row, int column) noexcept {
    return row >= 0 && row < kTableRows && column >= 0 && column < kTableColumns;
}

}  // namespace

const std::array<RowDefinition, kTableRows>& rowDefinitions() {
    return kRows;
}

const char* rowCaption(int row, std::int32_t language) {
    if (row < 0 || row >= kTableRows) throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    const RowDefinition& r = kRows[static_cast<std::size_t>(row)];
    return BilingualText{r.korean, r.english}.in(language);
}

const char* headerCaption(int column, std::int32_t language) {
    if (column < 0 || column >= kTableColumns) {
        throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    }
    return kHeader[static_cast<std::size_t>(column)].in(language);
}

int rowOfSpecies(int slot) {
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        if (kRows[static_cast<std::size_t>(row)].speciesSlot == slot) return row;
    }
    throw AutomationError(ErrorNumber::SubscriptOutOfRange);
}

const char* compositionUnitText(CompositionBasis basis) {
    return basis == CompositionBasis::Volume ? "Volume %" : "Weight %";
}

const char* formulaNote(int formula, std::int32_t language) {
    if (formula < 0 || formula >= static_cast<int>(kFormulaNotes.size())) {
        throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    }
    const BilingualText& note = kFormulaNotes[static_cast<std::size_t>(formula)];
    return language == TW_Korean ? note.korean : note.english;
}

float cellNumber(std::string_view text) {
    return cellNumber(leadingNumber(text));
}

float cellNumber(double value) {
    // A finite double beyond the float range becomes an infinity of its sign, which the
    // calculation refuses; it never wraps or saturates silently.
    constexpr double largest = std::numeric_limits<float>::max();
    if (std::isfinite(value) && std::fabs(value) > largest) {
        return value > 0 ? std::numeric_limits<float>::infinity()
                         : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

CalculatorTable::CalculatorTable() {
    // The species captions are the same in both languages and stand even when the language
    // sets no captions.
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        cells_[static_cast<std::size_t>(row)][colItem] =
            kRows[static_cast<std::size_t>(row)].english;
    }
    applyCaptions();
    writeCompositionUnitColumn();
    RefreshUnitColumn();
}

void CalculatorTable::checkCell(int row, int column) {
    if (!insideTable(row, column)) throw AutomationError(ErrorNumber::SubscriptOutOfRange);
}

const std::string& CalculatorTable::text(int row, int column) const {
    checkCell(row, column);
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

std::string CalculatorTable::takeText(int row, int column) {
    checkCell(row, column);
    return std::exchange(cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)],
                         std::string());
}

void CalculatorTable::setText(int row, int column, std::string text) {
    checkCell(row, column);
    cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

void CalculatorTable::moveTo(int row, int column) {
    if (row < kFixedRows || row >= kTableRows || column < kFixedColumns ||
        column >= kTableColumns) {
        throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    }
    if (row == row_ && column == col_) return;
    if (cellLeft) cellLeft();
    row_ = row;
    col_ = column;
    if (cellEntered) cellEntered();
}

void CalculatorTable::setRow(int row) {
    moveTo(row, col_);
}
void CalculatorTable::setCol(int column) {
    moveTo(row_, column);
}

CellStyle CalculatorTable::cellStyle(int row, int column) const {
    checkCell(row, column);
    CellStyle style;
    if (column != colValue || row < kFixedRows) return style;
    switch (kRows[static_cast<std::size_t>(row)].role) {
        case RowRole::Input:
            style.background = CellBackground::Input;
            break;
        case RowRole::So3Rate:
            style.background =
                so3Mode_ == So3Mode::UserInput ? CellBackground::Input : CellBackground::Result;
            break;
        case RowRole::Header:
        case RowRole::Result:
            style.background = CellBackground::Result;
            break;
    }
    return style;
}

bool CalculatorTable::isEditable(int row) const noexcept {
    if (row < kFixedRows || row >= kTableRows) return false;
    switch (row) {
        case rowComponentTotal:
        case rowMoleWeight:
        case rowGasEnthalpy:
            return false;
        case rowSo3ConversionRate:
            return so3Mode_ == So3Mode::UserInput;
        default:
            // The dew point rows count as editable: the next calculation replaces them.
            return true;
    }
}

std::int32_t CalculatorTable::language() const noexcept {
    return TW_Language;
}

void CalculatorTable::setLanguage(std::int32_t language) {
    TW_Language = static_cast<enmLanguage>(language);
    applyCaptions();
}

void CalculatorTable::applyCaptions() {
    const std::int32_t lang = language();
    if (lang != TW_Korean && lang != TW_English) return;
    for (int column = 0; column < kTableColumns; ++column) {
        cells_[rowHeader][static_cast<std::size_t>(column)] = headerCaption(column, lang);
    }
    for (int row = kFixedRows; row < kTableRows; ++row) {
        cells_[static_cast<std::size_t>(row)][colItem] = rowCaption(row, lang);
    }
}

void CalculatorTable::writeCompositionUnitColumn() {
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        cells_[static_cast<std::size_t>(row)][colUnit] = compositionUnitText(basis_);
    }
    cells_[rowSo3ConversionRate][colUnit] = "%";
}

void CalculatorTable::RefreshUnitColumn() {
    for (int row = kFixedRows; row < kTableRows; ++row) {
        const UnitText kind = kRows[static_cast<std::size_t>(row)].unit;
        if (kind == UnitText::Temperature) {
            cells_[static_cast<std::size_t>(row)][colUnit] = unit_.sTP();
        } else if (kind == UnitText::Enthalpy) {
            cells_[static_cast<std::size_t>(row)][colUnit] = unit_.sENTH();
        }
    }
}

void CalculatorTable::setBasisOnly(CompositionBasis basis) {
    basis_ = basis;
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        cells_[static_cast<std::size_t>(row)][colUnit] = compositionUnitText(basis_);
    }
    if (basisChanged) basisChanged(basis_);
}

void CalculatorTable::SelectFormula(int formula) {
    if (formula < NasaGlenn || formula > BnWSteam) return;
    formula_ = formula;
    if (formulaChanged) formulaChanged(formula_);
}

void CalculatorTable::SelectSo3Mode(So3Mode mode) {
    so3Mode_ = mode;
    if (so3ModeChanged) so3ModeChanged(mode);
    moveTo(rowSo3ConversionRate, colValue);
    if (mode == So3Mode::Automatic) moveTo(rowN2, colValue);
}

void CalculatorTable::UnitChange(int newTP, int newENTH) {
    commitEditor();
    // Check both indexes before anything changes, so that a refused choice leaves the table
    // and the units as they were.
    if (!units::quantity(QuantityId::TP).valid(newTP) ||
        !units::quantity(QuantityId::ENTH).valid(newENTH)) {
        throw AutomationError(ErrorNumber::SubscriptOutOfRange);
    }
    // Convert into a copy first: a conversion fault (a number past the float range) leaves
    // every cell as it was.
    auto converted = cells_;
    Unit next = unit_;
    next.setuTP(newTP);
    next.setuENTH(newENTH);
    auto convert = [&](int row, bool temperature) {
        std::string& cell = converted[static_cast<std::size_t>(row)][colValue];
        const float v = cellNumber(cell);
        const float result = temperature ? next.CvtTP(next.exuTP(), next.uTP(), v)
                                         : next.CvtENTH(next.exuENTH(), next.uENTH(), v);
        cell = format00(checkedFloat(result));
    };
    convert(rowGasTemperature, true);
    convert(rowReferenceTemperature, true);
    convert(rowGasEnthalpy, false);
    for (int row : {rowOkkesDewPoint, rowVerhoffDewPoint, rowWaterDewPoint}) {
        if (converted[static_cast<std::size_t>(row)][colValue] != "N/A") convert(row, true);
    }
    cells_ = std::move(converted);
    unit_ = next;
    loadEditor();
    RefreshUnitColumn();
}

void CalculatorTable::SetUnitsAsDefault(Unit& defaults) const {
    defaults.setuTP(unit_.uTP());
    defaults.setuENTH(unit_.uENTH());
}

}  // namespace tw::fluegas
