// The web form of a bridge object: the web engine's form with a reference
// back to the bridge object it serves.
#pragma once

#include "orvane/controls/Orvane.Forms.h"
#include "vexlo/Vexlo.Framework.h"

namespace vexlo {

class TVexloOrvaneFramework;

class TVexloOrvaneForm : public orvane::TOrvaneForm, public IVexloFrameworkForm {
  CORE_DECLARE_CLASS()
 public:
  // Takes the framework's bridge object and its session, the template names,
  // and lists the controls of every form nested in the bridge object.
  TVexloOrvaneForm(core::TComponent* AOwner, TVexloOrvaneFramework& AFramework);

  TVexloClass* Vexlo() const { return FBaseClass; }
  TVexloForm* VexloForm() const;

  // --- IVexloFrameworkForm ---
  // Unloads the page, leaves the session's open forms and shows the
  // previous one.
  void Hide() override;
  void Show() override { orvane::TOrvaneForm::Show(); }
  void Clear() override { orvane::TOrvaneForm::Clear(); }
  TVexloClass* GetBaseClass() const override { return FBaseClass; }
  void SetBaseClass(TVexloClass* AValue) override;
  std::string GetFormUUID() const override { return orvane::TOrvaneForm::GetFormUUID(); }
  void AddNested(TVexloForm* AVexloForm) override;
  // Takes a nested form out again: its bridge object and its controls.
  void RemoveNested(TVexloForm* AVexloForm);
  orvane::TOrvaneForm* AsOrvaneForm() override { return this; }
  // After a handled event: a modal form whose ModalResult the handler set
  // closes (as the desktop's modal loop does), then the page is brought up
  // to date (a nested form's page is its host's).
  void DoEventHandled() override;

 private:
  TVexloClass* FBaseClass = nullptr;
};

}  // namespace vexlo
