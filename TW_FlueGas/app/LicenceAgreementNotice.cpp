// Stand-in for the licence dialog while frmEULA.cpp is not part of the program: the dialog's
// source defines showLicenceAgreement itself, and this file then compiles to nothing.
#if !__has_include("frmEULA.h")

#include "FlueGasCalculator.h"
#include "LicenceAgreement.h"
#include "tw/MessageSink.h"

namespace tw::fluegas {

void showLicenceAgreement(QWidget*, std::int32_t language) {
    const BilingualText text{"사용권 계약서는 이 설치본에 포함되어 있지 않습니다.",
                             "The licence agreement is not part of this installation."};
    showMessage(text, language, kApplicationTitle, MessageIcon::Information);
}

}  // namespace tw::fluegas

#endif
