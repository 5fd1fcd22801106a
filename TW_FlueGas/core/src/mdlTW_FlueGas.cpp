#include "mdlTW_FlueGas.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "FlueGasInternal.h"

namespace tw {

thread_local FlueGasCompositionRecord FlueGasComposition;
enmLanguage TW_Language = TW_Korean;

namespace {

using detail::single;

constexpr std::array<std::string_view, kGasComponentCount> kGasComponentNames = {
    "N2", "O2", "CO2", "CO", "SO2", "H2O", "Ar"};

constexpr std::string_view kCaption = "Sub FlueGasMoleWeight";

constexpr BilingualText kTotalNot100Notice = {
    "연소 가스 몰중량(Mole Weight) 계산을 위해 입력한 성분 합계가 100% 가 아닙니다.\n"
    "성분 구성 비율 기준으로 계산합니다.",
    "Total of component percent input for flue gas mole weight calculation is not equal to "
    "100%.\n"
    "Calculation is performed on the basis of component percent ratio."};

constexpr BilingualText kInvalidComposition = {
    "연소 가스 몰중량(Mole Weight) 계산을 위해 입력한 성분 값이 올바르지 않습니다.\n"
    "각 성분은 0 이상의 유한한 값이어야 하므로, 계산하지 않습니다.",
    "Component percent input for flue gas mole weight calculation is not valid.\n"
    "Each component should be a finite value not less than 0, so the calculation is not "
    "performed."};

using Amounts = std::array<float, kGasComponentCount>;

// Summation order of the mole weight: SO2, CO2, O2, N2, H2O, CO, Ar.
constexpr std::array<GasComponent, kGasComponentCount> kMoleWeightOrder = {
    GasComponent::SO2, GasComponent::CO2, GasComponent::O2, GasComponent::N2,
    GasComponent::H2O, GasComponent::CO,  GasComponent::Ar};

float moleWeightOf(const Amounts& volPercent) {
    double sum = 0.0;
    for (GasComponent c : kMoleWeightOrder) {
        sum += static_cast<double>(volPercent[index(c)]) * kGasMolarMass[index(c)];
    }
    return single(sum / 100.0);
}

// The last composition this thread normalised and what it gave: a calculation normalises the
// same composition once for each of its two temperatures, and the second time takes the record
// from here (after the same notice).
struct LastNormalised {
    bool isVolumeBasis = false;
    Amounts x{};
    FlueGasCompositionRecord record;
    bool notNormal = false;  // its total was not 100: the notice was shown
    bool valid = false;
};
thread_local LastNormalised lastNormalised;

bool normalise(bool isVolumeBasis, const Amounts& x) {
    LastNormalised& last = lastNormalised;
    // Compared bit for bit, so that -0 and 0 count as different inputs.
    using Bits = std::array<std::uint32_t, kGasComponentCount>;
    if (last.valid && last.isVolumeBasis == isVolumeBasis &&
        std::bit_cast<Bits>(last.x) == std::bit_cast<Bits>(x)) {
        if (last.notNormal) {
            detail::showInLanguage(kTotalNot100Notice, kCaption, MessageIcon::Information);
        }
        FlueGasComposition = last.record;
        return true;
    }
    // Total added in GasComponent order; sums run in double and are stored as singles.
    double total = 0.0;
    for (float v : x) total += v;
    total = single(total);
    bool valid = std::isfinite(total);
    for (float v : x) valid = valid && std::isfinite(v) && v >= 0.0f;
    if (!valid) {
        detail::showInLanguage(kInvalidComposition, kCaption);
        return false;
    }
    if (!(total > 0.0)) return false;  // nothing to normalise; the driver refuses this first
    const bool notNormal = static_cast<float>(total) != 100.0f;
    if (notNormal) detail::showInLanguage(kTotalNot100Notice, kCaption, MessageIcon::Information);

    FlueGasCompositionRecord r;
    if (isVolumeBasis) {
        for (std::size_t i = 0; i < x.size(); ++i) r.VolPercent[i] = single(x[i] / total * 100.0);
        r.MoleWeight = moleWeightOf(r.VolPercent);
        for (std::size_t i = 0; i < x.size(); ++i) {
            r.WtPercent[i] =
                single(static_cast<double>(r.VolPercent[i]) * kGasMolarMass[i] / r.MoleWeight);
        }
    } else {
        for (std::size_t i = 0; i < x.size(); ++i) r.WtPercent[i] = single(x[i] / total * 100.0);
        // Moles per 100 units of mass.
        Amounts n{};
        for (std::size_t i = 0; i < x.size(); ++i) {
            n[i] = single(static_cast<double>(r.WtPercent[i]) / kGasMolarMass[i]);
        }
        double nTotal = 0.0;
        for (GasComponent c : kMoleWeightOrder) nTotal += n[index(c)];
        nTotal = single(nTotal);
        for (std::size_t i = 0; i < x.size(); ++i) r.VolPercent[i] = single(n[i] / nTotal * 100.0);
        r.MoleWeight = moleWeightOf(r.VolPercent);
    }
    // Amounts far below single precision can still vanish in the division.
    if (!(r.MoleWeight > 0.0f) || !std::isfinite(r.MoleWeight)) {
        detail::showInLanguage(kInvalidComposition, kCaption);
        return false;
    }
    FlueGasComposition = r;
    last = {isVolumeBasis, x, r, notNormal, true};
    return true;
}

}  // namespace

std::string_view gasComponentName(GasComponent c) noexcept {
    return kGasComponentNames[index(c)];
}

bool tryFlueGasMoleWeight(bool isVolumeBasis, float N2, float O2, float CO2, float CO, float SO2,
                          float H2O, float Ar) {
    return normalise(isVolumeBasis, {N2, O2, CO2, CO, SO2, H2O, Ar});
}

void FlueGasMoleWeight(bool isVolumeBasis, float N2, float O2, float CO2, float CO, float SO2,
                       float H2O, float Ar) {
    tryFlueGasMoleWeight(isVolumeBasis, N2, O2, CO2, CO, SO2, H2O, Ar);
}

}  // namespace tw
