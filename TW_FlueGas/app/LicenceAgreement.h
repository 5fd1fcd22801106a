#pragma once
// The Info menu's licence agreement: shows the dialog frmEULA modally over `parent` in
// `language`. The licence dialog's own source file defines it; until that file is part of the
// program a short notice stands in.

#include <QWidget>
#include <cstdint>

namespace tw::fluegas {

void showLicenceAgreement(QWidget* parent, std::int32_t language);

}  // namespace tw::fluegas
