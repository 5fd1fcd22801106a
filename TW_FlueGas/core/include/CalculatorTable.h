#pragma once
// The calculator table: 17 rows by 3 columns of texts that hold both the inputs and the results
// of the flue gas calculator, together with the window state the calculation reads (units,
// composition basis, enthalpy formula, SO3 conversion mode, language). The window's grid only
// shows this model and forwards the user's actions to it; nothing here knows about a window.
//
// Row 0 is the header; columns 0 (item) and 1 (unit) are fixed, so only column 2 of rows 1 to 16
// can become the current cell. Every cell is text: numbers are read by the leading-number rule
// and written with the fixed-decimal patterns "0.000" and "0.00".

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tw/Language.h"
#include "tw/Unit.h"

namespace tw::fluegas {

// Rows of the table, in the order shown.
enum CalculatorRow : int {
    rowHeader = 0,
    rowN2 = 1,
    rowAr = 2,
    rowO2 = 3,
    rowCO2 = 4,
    rowCO = 5,
    rowSO2 = 6,
    rowH2O = 7,
    rowComponentTotal = 8,
    rowGasTemperature = 9,
    rowReferenceTemperature = 10,
    rowMoleWeight = 11,
    rowGasEnthalpy = 12,
    rowSo3ConversionRate = 13,
    rowOkkesDewPoint = 14,
    rowVerhoffDewPoint = 15,
    rowWaterDewPoint = 16,
};

enum CalculatorColumn : int { colItem = 0, colUnit = 1, colValue = 2 };

inline constexpr int kTableRows = 17;
inline constexpr int kTableColumns = 3;
inline constexpr int kFixedRows = 1;
inline constexpr int kFixedColumns = 2;
inline constexpr int kFirstCompositionRow = rowN2;
inline constexpr int kLastCompositionRow = rowH2O;
inline constexpr int kSpeciesCount = 7;

// Grid geometry in twips: column widths, minimum row height; every column is centred.
inline constexpr std::array<int, kTableColumns> kColumnWidthTwips{3000, 2000, 2000};
inline constexpr int kMinimumRowHeightTwips = 300;
inline constexpr int kValueFontSize = 9;  // points, column 2 of rows 1 to 16

enum class CompositionBasis { Volume, Weight };
// The enthalpy correlations, by menu index.
enum EnthalpyFormula : int { NasaGlenn = 0, AsmePtc44 = 1, BnWSteam = 2 };
enum class So3Mode { Automatic, UserInput };

// What a row is for: an input typed by the user, a result written by the calculation, or the
// SO3 conversion rate, which is a result in automatic mode and an input in user-input mode.
enum class RowRole { Header, Input, Result, So3Rate };
// Which text the unit column of a row carries.
enum class UnitText { None, Composition, Temperature, Enthalpy, Percent };

struct RowDefinition {
    const char* english;
    const char* korean;
    UnitText unit;
    RowRole role;
    // Slot of the species in calculation order (N2, O2, CO2, CO, SO2, H2O, Ar), -1 for others.
    int speciesSlot;
};

// The 17 rows, header first; the header's captions are those of the three columns.
const std::array<RowDefinition, kTableRows>& rowDefinitions();
// Caption of column 0 of `row` in `language` (the header row gives the item column's caption).
// nullptr for a language that is neither Korean nor English.
const char* rowCaption(int row, std::int32_t language);
// Header caption of `column`: "Item", "Unit", "Value" / "항목", "단위", "값".
const char* headerCaption(int column, std::int32_t language);
// Table row of the species in calculation slot `slot` (0 N2 ... 6 Ar).
int rowOfSpecies(int slot);
// "Volume %" or "Weight %".
const char* compositionUnitText(CompositionBasis basis);

// The note under the table that names the selected formula (any language other than Korean
// counts as English here). Written for a label: "&&" stands for "&".
const char* formulaNote(int formula, std::int32_t language);

// The fixed notes under the table, after the formula note.
inline constexpr std::array<BilingualText, 3> kTableNotes{{
    {"* 엔탈피는 기준 온도 기준입니다.(기준 온도에서의 엔탈피 값 = 0)",
     "* Enthalpy is based on Reference Temperature.(Enthalpy at Ref Temp = 0)"},
    {"* 가스 엔탈피 계산에서 압력의 영향은 무시할 수 있습니다.",
     "* Pressure effect on gas enthalpy calculation is negligible."},
    {"* 수분 이슬점은 표준 대기압 기준입니다.",
     "* Water dew point is based on standard atmospheric pressure."},
}};

// Background of a value cell: light green for cells the user types into, the system's button
// face colour for results.
enum class CellBackground { Input, Result };
struct Rgb {
    int red, green, blue;
};
inline constexpr Rgb kInputBackground{192, 255, 192};
inline constexpr std::uint32_t kButtonFaceSystemColour = 0x8000000F;

enum class CellAlignment { Centre };
struct CellStyle {
    CellAlignment alignment = CellAlignment::Centre;
    int fontSize = kValueFontSize;
    CellBackground background = CellBackground::Result;
};

// The characters the in-place editor accepts as typed: digits, Backspace (8), "-", ".", "E" and
// "e". Enter (13) commits the editor; every other character is discarded with a beep.
constexpr bool isAcceptedEditorKey(int character) {
    return (character >= '0' && character <= '9') || character == 8 || character == '-' ||
           character == '.' || character == 'E' || character == 'e';
}

// A cell number read by the leading-number rule, rounded to single precision. An infinity means
// the text holds a number beyond the single-precision range.
float cellNumber(std::string_view text);
// The same for a number whose text names it exactly (the shortest text of a finite double).
float cellNumber(double value);

class CalculatorTable {
  public:
    // A table as the window shows it after loading: header and row captions of the program
    // language, the species captions, "Volume %" for the composition rows, the unit texts of a
    // default `Unit` object, every value cell empty, current cell (1, 2).
    CalculatorTable();

    // --- cells -----------------------------------------------------------------------------
    // Text of a cell, stored and returned unchanged. Error 9 for a row or column outside the
    // table.
    const std::string& text(int row, int column) const;
    void setText(int row, int column, std::string text);
    // The text of a cell handed over, the cell left empty: for a caller done with the table.
    std::string takeText(int row, int column);
    // Column 2 of `row`, the usual case.
    const std::string& value(int row) const { return text(row, colValue); }
    void setValue(int row, std::string text) { setText(row, colValue, std::move(text)); }
    // Column 2 of `row` read by the leading-number rule, as a single.
    float number(int row) const { return cellNumber(value(row)); }

    // --- current cell ----------------------------------------------------------------------
    int row() const noexcept { return row_; }
    int col() const noexcept { return col_; }
    // Makes a non-fixed cell current; when the current cell changes, cellLeft is raised while
    // the old cell is still current and cellEntered after the new one has become current.
    // Error 9 for a fixed or out-of-table row or column.
    void setRow(int row);
    void setCol(int column);
    const std::string& currentText() const { return text(row_, col_); }
    void setCurrentText(std::string text) { setText(row_, col_, std::move(text)); }

    // Style of a cell: value cells of rows 1 to 16 are centred, 9 point, with the background
    // of their role (row 13 follows the SO3 mode); other cells keep the default look.
    CellStyle cellStyle(int row, int column) const;
    // True for a row whose value the user may edit: not rows 8, 11, 12, nor 13 in automatic mode.
    bool isEditable(int row) const noexcept;

    // --- window state ----------------------------------------------------------------------
    Unit& unit() noexcept { return unit_; }
    const Unit& unit() const noexcept { return unit_; }
    CompositionBasis compositionBasis() const noexcept { return basis_; }
    int enthalpyFormula() const noexcept { return formula_; }
    So3Mode so3Mode() const noexcept { return so3Mode_; }
    // The program-wide language (TW_Language of mdlTW_FlueGas), which the calculation routines
    // read as well.
    std::int32_t language() const noexcept;

    // Sets the program-wide language and writes the header and row captions of it (another
    // value keeps the captions as they are).
    void setLanguage(std::int32_t language);
    // Writes the header captions and the captions of column 0 in the current language.
    void applyCaptions();
    // Unit column: the composition unit text in rows 1 to 7 and "%" in row 13 ...
    void writeCompositionUnitColumn();
    // ... and the Unit object's sTP in rows 9, 10, 14, 15, 16 and its sENTH in row 12.
    void RefreshUnitColumn();

    // Sets the basis and writes its unit text into rows 1 to 7; the numbers are not touched
    // (converting them is the composition switch, SetCompositionBasis).
    void setBasisOnly(CompositionBasis basis);
    // Selects an enthalpy formula (0..2; other values are ignored) and raises formulaChanged.
    // The table is neither recalculated nor cleared.
    void SelectFormula(int formula);
    // Switches the SO3 mode: the current cell becomes (13, 2); in automatic mode the current
    // row then returns to 1, in user-input mode it stays at 13 for typing. Raises
    // so3ModeChanged before the current cell moves.
    void SelectSo3Mode(So3Mode mode);

    // Takes over new temperature and enthalpy units and converts the numbers shown: rows 9 and
    // 10 and the dew points 14 to 16 (an "N/A" cell stays) in temperature, row 12 in enthalpy,
    // each written with "0.00"; then the unit column is refreshed. Error 9 for an index outside
    // its unit list (nothing changes then).
    void UnitChange(int newTP, int newENTH);
    // The current temperature and enthalpy units become the saved defaults.
    void SetUnitsAsDefault(Unit& defaults) const;

    // --- editor ----------------------------------------------------------------------------
    // The window's in-place editor: commitEditor writes the editor's text into the current
    // cell, loadEditor puts the current cell's text into the editor. Without a window both are
    // empty and the calls do nothing.
    void commitEditor() const {
        if (onCommitEditor) onCommitEditor();
    }
    void loadEditor() const {
        if (onLoadEditor) onLoadEditor();
    }

    // Hooks the window fills in.
    std::function<void()> onCommitEditor;
    std::function<void()> onLoadEditor;
    std::function<void()> cellLeft;
    std::function<void()> cellEntered;
    // Menu check marks and the formula note follow these.
    std::function<void(CompositionBasis)> basisChanged;
    std::function<void(int)> formulaChanged;
    std::function<void(So3Mode)> so3ModeChanged;

  private:
    static void checkCell(int row, int column);
    void moveTo(int row, int column);

    std::array<std::array<std::string, kTableColumns>, kTableRows> cells_{};
    int row_ = kFixedRows;
    int col_ = kFixedColumns;
    Unit unit_;
    CompositionBasis basis_ = CompositionBasis::Volume;
    int formula_ = NasaGlenn;
    So3Mode so3Mode_ = So3Mode::Automatic;
};

}  // namespace tw::fluegas
