// The gas properties section of the calculation report.

#include "GasPropertiesReport.h"

#include <cstdio>

#include "tw/Format.h"

namespace tw::gasprops {

namespace {

constexpr BilingualText kHeading = {"가스 물성", "Gas properties"};
constexpr BilingualText kTemperature = {"가스 온도", "Gas temperature"};
constexpr BilingualText kPressure = {"압력", "Pressure"};

std::string in(const BilingualText& text, std::int32_t language) {
    return language == TW_Korean ? text.korean : text.english;
}

// Five significant digits, as the dialog shows them.
std::string figure(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", v);
    return text;
}

}  // namespace

fluegas::ReportSection gasPropertiesReportSection(const GasPropertiesShown& shown,
                                                  std::int32_t language) {
    const GasUnits& u = shown.units;
    const std::string temperatureUnit = unitDisplay(QuantityId::TP, u.uTP);
    fluegas::ReportSection section;
    section.heading = in(kHeading, language);
    section.rows.push_back({in(kTemperature, language),
                            generalNumberNoBlank(fromKelvin(u.uTP, shown.temperatureK)),
                            temperatureUnit});
    section.rows.push_back({in(kPressure, language),
                            generalNumberNoBlank(fromAbsolutePascal(u.uPR, shown.pressurePa)),
                            unitDisplay(QuantityId::PR, u.uPR)});
    for (const PropertyColumn& c : kPropertyColumns) {
        section.rows.push_back({in(c.caption, language),
                                figure(propertyInUnits(u, c.key, shown.properties.*c.member)),
                                unitText(u, c.key)});
    }
    const std::array<std::optional<double>, 3> dew = {shown.dewPoints.water, shown.dewPoints.okkes,
                                                      shown.dewPoints.verhoff};
    for (std::size_t i = 0; i < dew.size(); ++i) {
        char value[32] = "N/A";
        if (dew[i]) std::snprintf(value, sizeof value, "%.1f", celsiusInUnits(u.uTP, *dew[i]));
        section.rows.push_back({in(kDewPointCaptions[i], language), value, temperatureUnit});
    }
    return section;
}

}  // namespace tw::gasprops
