#include "screens/qt/sys_params_form.h"

namespace kj {

SysParamsForm::SysParamsForm(Common& c, QWidget* parent) : params_(c), form_(params_, parent) {}

void SysParamsForm::Open() {
    params_.Nacti();
    form_.OtevriOkno(SysParams::Title(), SysParams::Status(), SysParams::Paper(), SysParams::Ink(),
                     SysParams::kLeft, SysParams::kTop, SysParams::kRight, SysParams::kBottom);
}

bool SysParamsForm::Run() {
    Open();
    form_.Run();
    form_.ZavriOkno();
    return params_.accepted();
}

}  // namespace kj
