// Bridge forms in a web session for the rendering tests: adapters for the
// toolkit's edits and labels (over the test web control), and a helper that
// creates, renders and frees forms on the session's side.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/StdCtrls.h"
#include "tests/orvane/controls/WebTestSupport.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Item.VCLObj.h"
#include "vexlo/Vexlo.Orvane.Item.h"
#include "vexlo/Vexlo.Orvane.h"
#include "vexlo/Vexlo.Util.h"
#include "vexlo/Vexlo.h"

namespace vexlotest {

// The one kind the tests use: configures the test web control with text
// hooks into the desktop control.
class TTextKind : public vexlo::TVexloOrvaneItem {
 public:
  using vexlo::TVexloOrvaneItem::TVexloOrvaneItem;
  core::TComponentClass FrameworkClass() override { return &webtest::TTestEdit::StaticClass(); }
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override {
    vexlo::TVexloOrvaneItem::ProcessPropertyClass(VCLObj, NewObj);
    auto* edit = dynamic_cast<webtest::TTestEdit*>(NewObj);
    auto* control = dynamic_cast<ui::TControl*>(VCLObj);
    if (!edit || !control) return;
    edit->ProcGetText = [control] { return orvane::TOrvaneVariant(control->Text()); };
    edit->ProcSetText = [control](const orvane::TOrvaneVariant& AValue) {
      control->SetText(orvane::VarToStr(AValue));
    };
  }
};

// An adapter for one toolkit class (by name), over the text kind.
class TTestAdapter : public vexlo::IVexloVCLObj, public vexlo::IVexloItemVCLObjCore {
 public:
  TTestAdapter(vexlo::TVexloItemVCLObj& AItem, std::string ACSSClass, core::TComponentClass AClass)
      : FItem(AItem), FCSSClass(std::move(ACSSClass)), FClass(AClass) {}
  std::string CSSClass() const override { return FCSSClass; }
  core::TComponentClass VCLClass() const override { return FClass; }
  vexlo::IVexloFrameworkItemPtr FrameworkItemClass() override {
    vexlo::IVexloFrameworkType* fw = FItem.BaseClass()->FrameworkExportType();
    return fw ? fw->Edit() : nullptr;
  }
  std::vector<std::string> PropertyCopyList() override {
    return vexlo::TVexloItemVCLObj::DefaultPropertyCopyList();
  }
  void ProcessPropertyClass(orvane::TOrvaneControl*) override {
    auto kind = FrameworkItemClass();
    auto* control = dynamic_cast<ui::TControl*>(FItem.GetItem());
    kind->SetGetEnabled(
        [control] { return orvane::TOrvaneVariant(vexlo::GetEnabledRecursive(control)); });
    kind->SetSetEnabled(
        [control](const orvane::TOrvaneVariant& V) { control->SetEnabled(orvane::VarToBool(V)); });
    kind->SetGetVisible(
        [control] { return orvane::TOrvaneVariant(vexlo::GetVisibleRecursive(control)); });
    kind->SetSetVisible(
        [control](const orvane::TOrvaneVariant& V) { control->SetVisible(orvane::VarToBool(V)); });
  }
  void ProcessEventClass() override {
    auto* control = dynamic_cast<ui::TControl*>(FItem.GetItem());
    if (control && control->OnClick)
      FrameworkItemClass()->SetOnClick(
          [control](orvane::TStringList&) { control->OnClick(control); });
  }
  vexlo::TVexloItemVCLObj& GetVexloItemVCLObj() override { return FItem; }

 private:
  vexlo::TVexloItemVCLObj& FItem;
  std::string FCSSClass;
  core::TComponentClass FClass;
};

// Registers the test adapters for TEdit and TLabel while it lives.
struct TTestAdapters {
  TTestAdapters() {
    vexlo::RegisterVexloFrameworkItem(
        vexlo::TVexloFrameworkKind::Edit,
        [](vexlo::TVexloOrvaneFramework& F) { return std::make_shared<TTextKind>(&F); });
    vexlo::RegisterVexloVCLObj("TVCLObjTEdit", [](vexlo::TVexloItemVCLObj& AItem) {
      return std::make_unique<TTestAdapter>(AItem, "form-control", &ui::TEdit::StaticClass());
    });
    vexlo::RegisterVexloVCLObj("TVCLObjTLabel", [](vexlo::TVexloItemVCLObj& AItem) {
      return std::make_unique<TTestAdapter>(AItem, "form-control-plaintext",
                                            &ui::TLabel::StaticClass());
    });
  }
  ~TTestAdapters() {
    vexlo::UnregisterVexloVCLObj("TVCLObjTEdit");
    vexlo::UnregisterVexloVCLObj("TVCLObjTLabel");
    vexlo::RegisterVexloFrameworkItem(vexlo::TVexloFrameworkKind::Edit, nullptr);
  }
};

// A bridge form whose page the test declares.
class TFixtureForm : public vexlo::TVexloForm {
  CORE_DECLARE_CLASS()
 public:
  using vexlo::TVexloForm::TVexloForm;
  void ExportVexlo() override {
    vexlo::TVexloForm::ExportVexlo();
    if (Declare) Declare(*this);
  }
  // Makes a control of class T named AName on the form.
  template <class T>
  T* Add(const std::string& AName, const std::string& AText = "") {
    T* c = new T(this);
    c->SetName(AName);
    c->SetParent(this);
    if (!AText.empty()) c->SetText(AText);
    return c;
  }
  static inline std::function<void(TFixtureForm&)> Declare;
};

inline const core::TClassInfo& TFixtureForm::StaticClass() {
  static core::TClassInfo info("TFixtureForm", &vexlo::TVexloForm::StaticClass(), nullptr);
  return info;
}

// Creates a form on the session's side (so that it gets its bridge
// object), declaring its page with ADeclare, which may also add controls.
inline TFixtureForm* NewForm(orvane::IOrvaneSession& ASession,
                             std::function<void(TFixtureForm&)> AControls,
                             std::function<void(TFixtureForm&)> ADeclare,
                             const std::string& AName = "fFixture") {
  TFixtureForm* form = nullptr;
  webtest::InGuard(ASession, [&] {
    // The controls exist before the page is declared (AfterConstruction).
    TFixtureForm::Declare = [&](TFixtureForm& F) {
      if (AControls) AControls(F);
      if (ADeclare) ADeclare(F);
    };
    form = new TFixtureForm(static_cast<core::TComponent*>(nullptr));
    form->SetName(AName);
    form->AfterConstruction();
    TFixtureForm::Declare = nullptr;
  });
  return form;
}

inline void FreeForm(orvane::IOrvaneSession& ASession, vexlo::TVexloForm* AForm) {
  webtest::InGuard(ASession, [&] { AForm->Free(); });
}

// The body lines after a clear and a render.
inline std::vector<std::string> Render(orvane::IOrvaneSession& ASession, vexlo::TVexloForm& AForm) {
  std::vector<std::string> body;
  webtest::InGuard(ASession, [&] {
    AForm.Clear();
    AForm.Render();
    body = AForm.Vexlo()->HTML().Body();
  });
  return body;
}

}  // namespace vexlotest
