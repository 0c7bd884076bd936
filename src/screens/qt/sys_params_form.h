#pragma once
// fParSys: the system-parameter window on the screen, a character window
// form over SysParams.

#include "screens/qt/char_window_form.h"
#include "screens/sys_params.h"

namespace kj {

class SysParamsForm {
  public:
    explicit SysParamsForm(Common& c, QWidget* parent = nullptr);

    // Reads the current values, shows the window modally and, when it is
    // accepted, writes the changed values back. True when accepted.
    bool Run();
    // The first half of Run without showing: the window built and filled.
    void Open();

    SysParams& params() { return params_; }
    CharWindowForm& form() { return form_; }

  private:
    SysParams params_;
    CharWindowForm form_;
};

}  // namespace kj
