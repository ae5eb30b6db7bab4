// Fixture forms for the adapter tests: a web session of a test root with the
// real adapters and kinds registered, forms created and rendered on the
// session's side, and the web control of a desktop control.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "tests/vexlo/VexloTestSupport.h"
#include "vexlo/Vexlo.ItemCommon.Add.h"
#include "vexlo/adapters/Vexlo.VCLObj.h"

namespace adaptertest {

using vexlotest::TFixtureForm;

struct TAdapterFixture {
  TAdapterFixture() {
    vexlo::RegisterVexloVCLObjs();
    Session = Root.NewSession();
  }
  ~TAdapterFixture() {
    for (vexlo::TVexloForm* form : Forms) vexlotest::FreeForm(*Session, form);
    Session->Close();
  }
  // A form whose controls AControls makes and whose page ADeclare declares.
  TFixtureForm* Form(std::function<void(TFixtureForm&)> AControls,
                     std::function<void(TFixtureForm&)> ADeclare,
                     const std::string& AName = "fFixture") {
    TFixtureForm* form =
        vexlotest::NewForm(*Session, std::move(AControls), std::move(ADeclare), AName);
    Forms.push_back(form);
    return form;
  }
  // The body lines of a render (the web controls are created by the first).
  std::vector<std::string> Render(vexlo::TVexloForm& AForm) {
    return vexlotest::Render(*Session, AForm);
  }
  // The web control of a desktop control of the form, or null.
  template <class T = orvane::TOrvaneControl>
  static T* Web(vexlo::TVexloForm& AForm, core::TComponent* AControl) {
    return dynamic_cast<T*>(AForm.Vexlo()->OrvaneControlFromVCLObj(AControl));
  }
  // Renders the control from its captured placeholder, as page assembly
  // does (HTML, core, stored values).
  static std::string HTML(orvane::TOrvaneControl* AControl) {
    return AControl ? AControl->GetHTMLControl() : "<no control>";
  }
  // One observer pass of one control.
  static std::vector<std::string> Pass(orvane::TOrvaneControl* AControl, bool AForce = false) {
    orvane::TStringList list;
    AControl->UpdateServerControls(list, AForce);
    return list;
  }
  // Runs the control's event of that type with the parameters, as the
  // dispatcher does; false when the control has none.
  static bool Fire(orvane::TOrvaneControl* AControl, orvane::TOrvaneEventType AType,
                   orvane::TStringList AParameters = {}) {
    auto event = AControl ? AControl->GetEvents()->Item(AType) : nullptr;
    if (!event) return false;
    event->CallEvent(AParameters);
    return true;
  }

  webtest::TTestRoot Root;
  std::shared_ptr<webtest::TRecordingSession> Session;
  std::vector<vexlo::TVexloForm*> Forms;
};

}  // namespace adaptertest
