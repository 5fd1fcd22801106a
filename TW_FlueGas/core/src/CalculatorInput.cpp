#include "CalculatorInput.h"

#include <cmath>

#include "mdlTW_FlueGas.h"
#include "tw/MessageSink.h"

namespace tw::fluegas {

void showRefusal(const Refusal& refusal) {
    const std::int32_t language = TW_Language;
    if (language == TW_Korean) {
        showMessage(refusal.korean, kApplicationTitle, MessageIcon::Critical);
    } else if (language == TW_English) {
        showMessage(refusal.english, kApplicationTitle, MessageIcon::Critical);
    }
}

std::array<float, kSpeciesCount> readComposition(const CalculatorTable& table) {
    return readComposition([&table](int row) -> std::string_view { return table.value(row); });
}

std::array<float, kSpeciesCount> readComposition(
    const std::function<std::string_view(int row)>& valueOf) {
    return readCompositionNumbers([&valueOf](int row) { return cellNumber(valueOf(row)); });
}

std::array<float, kSpeciesCount> readCompositionNumbers(
    const std::function<float(int row)>& numberOf) {
    return compositionNumbersOf(numberOf);
}

float compositionTotal(const std::array<float, kSpeciesCount>& composition) {
    double total = 0;
    for (float x : composition) total += x;
    return static_cast<float>(total);
}

std::optional<Refusal> refuseNonFinite(int row, float value) {
    if (std::isfinite(value)) return std::nullopt;
    return Refusal{
        std::string(rowCaption(row, TW_Korean)) + " 값이 계산할 수 있는 수의 범위를 벗어났습니다.",
        std::string(rowCaption(row, TW_English)) +
            " is not a number within the range of calculation."};
}

std::optional<Refusal> refuseNegative(int row, float value) {
    if (!(value < 0)) return std::nullopt;
    return Refusal{
        std::string(rowCaption(row, TW_Korean)) + " 성분 비율은 음수가 될 수 없습니다.",
        "Percent of " + std::string(rowCaption(row, TW_English)) + " must not be negative."};
}

std::optional<Refusal> refuseUnreadableInput(const FlueGasInput& input) {
    for (int row = kFirstCompositionRow; row <= kLastCompositionRow; ++row) {
        const int slot = rowDefinitions()[static_cast<std::size_t>(row)].speciesSlot;
        const float x = input.composition[static_cast<std::size_t>(slot)];
        if (std::isfinite(x) && x >= 0) continue;  // the common case, without a refusal made
        if (auto r = refuseNonFinite(row, x)) return r;
        if (auto r = refuseNegative(row, x)) return r;
    }
    if (auto r = refuseNonFinite(rowGasTemperature, input.gasTemperature)) return r;
    if (auto r = refuseNonFinite(rowReferenceTemperature, input.referenceTemperature)) return r;
    if (input.so3Mode == So3Mode::UserInput) {
        if (auto r = refuseNonFinite(rowSo3ConversionRate, input.userSo3ConversionRate)) return r;
    }
    return std::nullopt;
}

std::optional<Refusal> refuseUnreadableTotal(float total) {
    return refuseNonFinite(rowComponentTotal, total);
}

}  // namespace tw::fluegas
