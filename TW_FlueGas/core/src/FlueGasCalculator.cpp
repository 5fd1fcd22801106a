// The calculation driver: reads the calculator table, checks it, runs the flue gas routines in
// their fixed order and writes every result back as text.

#include "FlueGasCalculator.h"

#include <cmath>
#include <span>
#include <string>

#include "CalculatorInput.h"
#include "mdlTW_FlueGas.h"
#include "tw/AutomationError.h"
#include "tw/Format.h"
#include "tw/MessageSink.h"

namespace tw::fluegas {
namespace {

constexpr BilingualText kTotalNotPositive{
    "성분 합계가 0% 보다 커야 합니다. 가능하면 100%가 되어야 합니다.",
    "Component total be greater than 0%, preferably be 100%."};

// Temperature limits of the enthalpy correlations. The limit is tested in its own unit; "{v}"
// in a message stands for the limit converted into the current temperature unit (general
// number form) and "{u}" for that unit's text. The NASA reference temperature messages name
// the limits in kelvin as fixed texts.
enum class Fails { AtOrBelow, AtOrAbove };
struct TemperatureLimit {
    int formula;
    int checkUnit;
    float limit;
    Fails fails;
    BilingualText gasMessage;
    BilingualText referenceMessage;
};

constexpr std::array<TemperatureLimit, 4> kTemperatureLimits{{
    {NasaGlenn,
     ktounit_degK,
     200.0f,
     Fails::AtOrBelow,
     {"가스 온도가 {v} {u} 보다 커야 합니다.", "Gas temperature be greater than {v} {u}."},
     {"엔탈피 기준 온도가 200 oK 보다 커야 합니다.",
      "Enthalpy reference temperature be greater than 200 oK."}},
    {NasaGlenn,
     ktounit_degK,
     6000.0f,
     Fails::AtOrAbove,
     {"가스 온도가 {v} {u} 보다 작아야 합니다.", "Gas temperature be less than {v} {u}."},
     {"엔탈피 기준 온도가 6000 oK 보다 작아야 합니다.",
      "Enthalpy reference temperature be less than 6000 oK."}},
    {AsmePtc44,
     ktounit_degR,
     0.0f,
     Fails::AtOrBelow,
     {"가스 온도가 절대 0 도 보다 커야 합니다.",
      "Gas temperature be greater than absolute zero degree."},
     {"엔탈피 기준 온도가 절대 0 도 보다 커야 합니다.",
      "Enthalpy reference temperature be greater than absolute zero degree."}},
    {BnWSteam,
     ktounit_degF,
     0.0f,
     Fails::AtOrBelow,
     {"가스 온도가 {v} {u} 보다 커야 합니다.", "Gas temperature be greater than {v} {u}."},
     {"엔탈피 기준 온도가 {v} 도 보다 커야 합니다.",
      "Enthalpy reference temperature be greater than {v}."}},
}};

std::string replaceAll(std::string text, std::string_view key, const std::string& value) {
    for (std::size_t at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size())) {
        text.replace(at, key.size(), value);
    }
    return text;
}

// Thrown inside the driver when a check has shown its message: the run ends there.
struct RunEnded {};

void stopWith(const BilingualText& text) {
    showMessage(text, TW_Language, kApplicationTitle, MessageIcon::Critical);
    throw RunEnded{};
}
void stopWith(const Refusal& refusal) {
    showRefusal(refusal);
    throw RunEnded{};
}

// Steps 4 and 5: one temperature against every limit of the formula, lower limit first.
void checkTemperature(const Unit& unit, int formula, float temperature, bool isGasTemperature) {
    for (const TemperatureLimit& limit : kTemperatureLimits) {
        if (limit.formula != formula) continue;
        const float t = unit.CvtTP(unit.uTP(), limit.checkUnit, temperature);
        const bool fails = limit.fails == Fails::AtOrBelow ? t <= limit.limit : t >= limit.limit;
        if (!fails) continue;
        const BilingualText& pattern = isGasTemperature ? limit.gasMessage : limit.referenceMessage;
        const char* chosen = pattern.in(TW_Language);
        if (chosen == nullptr) throw RunEnded{};
        const std::string v = generalNumber(unit.CvtTP(limit.checkUnit, unit.uTP(), limit.limit));
        const std::string text = replaceAll(replaceAll(chosen, "{v}", v), "{u}", unit.sTP());
        showMessage(text, kApplicationTitle, MessageIcon::Critical);
        throw RunEnded{};
    }
}

using EnthalpyFunction = std::optional<float> (*)(const Unit&, float, bool, float, float, float,
                                                  float, float, float, float);
constexpr std::array<EnthalpyFunction, 3> kEnthalpyFunctions{
    tryFlueGasEnthbyNASATP, tryFlueGasEnthbyPTC4_4, tryFlueGasEnthbyBnW};

float enthalpyAt(const FlueGasInput& input, const Unit& unit, float temperature,
                 NasaRecords records) {
    const auto& c = input.composition;
    const bool isVolume = input.basis == CompositionBasis::Volume;
    const std::optional<float> h =
        input.formula == NasaGlenn && records == NasaRecords::NotKept
            ? tryNasaGasEnthalpy(unit, temperature, isVolume, c)
            : kEnthalpyFunctions[static_cast<std::size_t>(input.formula)](
                  unit, temperature, isVolume, c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    // The routine has shown why it refused; the run ends with it.
    if (!h) throw RunEnded{};
    return *h;
}

float sumOf(std::span<const float> values) {
    double sum = 0;
    for (float v : values) sum += v;
    return static_cast<float>(sum);
}

void calculateInto(const FlueGasInput& input, const Unit& unit, NasaRecords records,
                   FlueGasResults& results) {
    // Refused before anything is summed or written: negative and unreadable numbers.
    if (auto refusal = refuseUnreadableInput(input)) stopWith(*refusal);

    // Step 2 and 3: component total.
    const float total = compositionTotal(input.composition);
    if (auto refusal = refuseUnreadableTotal(total)) stopWith(*refusal);
    results.componentTotal = total;
    if (!(total > 0)) stopWith(kTotalNotPositive);

    // Steps 4 and 5: temperature limits of the selected formula.
    checkTemperature(unit, input.formula, input.gasTemperature, true);
    checkTemperature(unit, input.formula, input.referenceTemperature, false);

    // Step 6 and 7: enthalpy relative to the reference temperature, mole weight.
    const float h1 = enthalpyAt(input, unit, input.gasTemperature, records);
    const float h0 = enthalpyAt(input, unit, input.referenceTemperature, records);
    results.gasEnthalpy = checkedFloat(static_cast<double>(h1) - static_cast<double>(h0));
    const FlueGasCompositionRecord& gas = FlueGasComposition;
    results.moleWeight = gas.MoleWeight;

    // Step 8: a composition that does not add up to 100 is shown scaled to 100 percent.
    if (total != 100.0f) {
        const auto& normalised =
            input.basis == CompositionBasis::Volume ? gas.VolPercent : gas.WtPercent;
        results.normalisedComposition = normalised;
        results.normalisedTotal = sumOf(normalised);
    }

    // Step 9: SO3 conversion and the sulfuric acid dew points, from the volume percents.
    const float o2 = gas.vol(GasComponent::O2);
    const float so2 = gas.vol(GasComponent::SO2);
    const float h2o = gas.vol(GasComponent::H2O);
    if (o2 != 0 && so2 != 0 && h2o != 0) {
        if (input.so3Mode == So3Mode::Automatic) {
            const AcidDewPoints d = tryAcidDewPoints(unit, so2, h2o, o2);
            results.so3ConversionRate = d.so3ConversionRate;
            results.okkesDewPoint = d.okkes;
            results.verhoffDewPoint = d.verhoff;
        } else if (const float rate = input.userSo3ConversionRate; rate > 0) {
            results.so3ConversionRate = rate;
            results.so3RateFromUser = true;
            results.okkesDewPoint = tryOkkesAcidDewPointAtConversion(unit, so2, h2o, rate);
            results.verhoffDewPoint = tryVerhoffAcidDewPointAtConversion(unit, so2, h2o, rate);
        }
    }

    // Step 10: water dew point at the standard atmosphere in the user's pressure unit.
    if (h2o != 0) {
        const float p = unit.CvtPR(ktounit_kgpercm2a, unit.uPR(), kStandardAtmosphereKgPerCm2);
        results.waterDewPoint = tryAirWaterDewPoint(unit, h2o, p);
    }
    results.complete = true;
}

}  // namespace

FlueGasInput ReadFlueGasInput(const CalculatorTable& table) {
    return ReadFlueGasInput(table,
                            [&table](int row) -> std::string_view { return table.value(row); });
}

FlueGasInput ReadFlueGasInput(const CalculatorTable& table,
                              const std::function<std::string_view(int row)>& valueOf) {
    return ReadFlueGasNumbers(table, [&valueOf](int row) { return cellNumber(valueOf(row)); });
}

FlueGasInput ReadFlueGasNumbers(const CalculatorTable& table,
                                const std::function<float(int row)>& numberOf) {
    return flueGasNumbersOf(table, numberOf);
}

FlueGasResults CalculateFlueGas(const FlueGasInput& input, const Unit& unit, NasaRecords records) {
    FlueGasResults results;
    try {
        calculateInto(input, unit, records, results);
    } catch (const RunEnded&) {
    } catch (const AutomationError& e) {
        // An arithmetic fault of a conversion or a correlation (a number past the single
        // precision range) ends the run like a refused input, in the platform's error form.
        showMessage(e.messageText(), kApplicationTitle, MessageIcon::Critical);
    }
    return results;
}

void WriteFlueGasResults(CalculatorTable& table, const FlueGasResults& results) {
    WriteFlueGasResults(
        results, [&table](int row, std::string text) { table.setValue(row, std::move(text)); });
}

void WriteFlueGasResults(const FlueGasResults& results,
                         const std::function<void(int row, std::string text)>& setValue) {
    for (int row = 0; row < kTableRows; ++row) {
        std::string text;
        if (appendResultText(text, results, row)) setValue(row, std::move(text));
    }
}

namespace {

// resultCell's rows, inlined into appendResultText, which writes every cell of every case.
[[gnu::always_inline]] inline ResultCell cellOf(const FlueGasResults& results, int row) {
    using Shows = ResultCell::Shows;
    const auto value = [](float v, int decimals) { return ResultCell{Shows::Value, v, decimals}; };
    const auto optional = [&value](const std::optional<float>& v) {
        return v ? value(*v, 2) : ResultCell{Shows::NotAvailable};
    };
    if (row == rowComponentTotal) {
        // A normalised composition writes its own total over the first.
        if (results.complete && results.normalisedComposition) {
            return value(results.normalisedTotal, 2);
        }
        if (!results.componentTotal) return {};
        return value(*results.componentTotal, 3);
    }
    if (!results.complete) return {};
    switch (row) {
        case rowGasEnthalpy:
            return value(results.gasEnthalpy, 3);
        case rowMoleWeight:
            return value(results.moleWeight, 3);
        case rowSo3ConversionRate:
            return results.so3RateFromUser ? ResultCell{} : optional(results.so3ConversionRate);
        case rowOkkesDewPoint:
            return optional(results.okkesDewPoint);
        case rowVerhoffDewPoint:
            return optional(results.verhoffDewPoint);
        case rowWaterDewPoint:
            return optional(results.waterDewPoint);
        default:
            break;
    }
    if (!results.normalisedComposition) return {};
    for (int slot = 0; slot < kSpeciesCount; ++slot) {
        if (rowOfSpecies(slot) == row) {
            return value((*results.normalisedComposition)[static_cast<std::size_t>(slot)], 3);
        }
    }
    return {};
}

}  // namespace

ResultCell resultCell(const FlueGasResults& results, int row) {
    return cellOf(results, row);
}

bool appendResultText(std::string& out, const FlueGasResults& results, int row) {
    const ResultCell cell = cellOf(results, row);
    switch (cell.shows) {
        case ResultCell::Shows::Nothing:
            return false;
        case ResultCell::Shows::NotAvailable:
            out += kNotAvailable;
            return true;
        case ResultCell::Shows::Value:
            appendFixedDecimals(out, cell.value, cell.decimals);
            return true;
    }
    return false;
}

FlueGasResults Calculate(CalculatorTable& table) {
    table.commitEditor();
    const FlueGasResults results = CalculateFlueGas(ReadFlueGasInput(table), table.unit());
    WriteFlueGasResults(table, results);
    if (results.complete) table.loadEditor();
    return results;
}

}  // namespace tw::fluegas
