// The framework export object of a bridge object: creates and owns its web
// form and one framework control type object per kind of web control, and
// hands each rendered item's text to the web control it belongs to.
//
// The kinds come from a registry the adapters fill at start-up; a kind that
// nobody registered stays empty (its items render without a web control).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "vexlo/Vexlo.Framework.h"

namespace vexlo {

class TVexloOrvaneFramework;
class TVexloOrvaneForm;

using TVexloFrameworkItemFactory =
    std::function<IVexloFrameworkItemPtr(TVexloOrvaneFramework& AFramework)>;
// Registers (or replaces) the factory of a kind.
void RegisterVexloFrameworkItem(TVexloFrameworkKind AKind, TVexloFrameworkItemFactory AFactory);

class TVexloOrvaneFramework : public IVexloFrameworkType {
 public:
  // Installs the capture hook in the bridge object's HTML and creates the
  // registered kinds.
  explicit TVexloOrvaneFramework(TVexloClass* ABaseClass);
  // Removes the hook and frees the web form (on a session thread when
  // called on the main thread).
  ~TVexloOrvaneFramework() override;

  void CreateForm() override {}
  core::TComponentClass FormClass() const override;
  orvane::TOrvaneForm* GetForm() const override;
  // True when the session's active bridge object is this framework's.
  bool FormShowing() const override;
  void SetForm(IVexloFrameworkForm* AForm) override;
  void SetTemplateMasterHTMLFile(const std::string& AValue) override;
  void SetTemplatePageHTMLFile(const std::string& AValue) override;
  std::string GetTemplateMasterHTMLFile() const override { return FTemplateMasterHTMLFile; }
  std::string GetTemplatePageHTMLFile() const override { return FTemplatePageHTMLFile; }
  // Creates the web form (when AFormClass is a web form class of the
  // bridge), which this object then owns.
  void AddFormByClass(core::TComponentClass AFormClass, core::TComponent* AOwner) override;
  void ShowLoader() override {}
  void HideLoader() override {}
  IVexloFrameworkItemPtr Text() override { return Kind(TVexloFrameworkKind::Text); }
  IVexloFrameworkItemPtr Edit() override { return Kind(TVexloFrameworkKind::Edit); }
  IVexloFrameworkItemPtr Button() override { return Kind(TVexloFrameworkKind::Button); }
  IVexloFrameworkItemPtr CheckBox() override { return Kind(TVexloFrameworkKind::CheckBox); }
  IVexloFrameworkItemPtr DBCheckBox() override { return Kind(TVexloFrameworkKind::DBCheckBox); }
  IVexloFrameworkItemPtr DBGrid() override { return Kind(TVexloFrameworkKind::DBGrid); }
  IVexloFrameworkItemPtr DBLookupCombobox() override {
    return Kind(TVexloFrameworkKind::DBLookupCombobox);
  }
  IVexloFrameworkItemPtr DBEdit() override { return Kind(TVexloFrameworkKind::DBEdit); }
  IVexloFrameworkItemPtr DBText() override { return Kind(TVexloFrameworkKind::DBText); }
  IVexloFrameworkItemPtr Combobox() override { return Kind(TVexloFrameworkKind::Combobox); }
  IVexloFrameworkItemPtr DBCombobox() override { return Kind(TVexloFrameworkKind::DBCombobox); }
  IVexloFrameworkItemPtr DBMemo() override { return Kind(TVexloFrameworkKind::DBMemo); }
  IVexloFrameworkForm* FrameworkForm() const override { return FFrameworkForm; }
  void CallBackMessageResponse() override {}
  void CallBackProcess() override {}

  TVexloClass* BaseClass() const { return FBaseClass; }
  IVexloFrameworkItemPtr Kind(TVexloFrameworkKind AKind) const;

 private:
  // The capture hook: the first web control named after the item and
  // prefixed as it is takes the item's text.
  void AddHTMLControls(const std::string& AName, const std::string& ANamePrefix,
                       const std::string& HTMLText);

  TVexloClass* FBaseClass;
  IVexloFrameworkForm* FFrameworkForm = nullptr;
  // The web form this object created and owns.
  TVexloOrvaneForm* FOwnedForm = nullptr;
  std::string FTemplateMasterHTMLFile;
  std::string FTemplatePageHTMLFile;
  std::array<IVexloFrameworkItemPtr, kVexloFrameworkKindCount> FKinds;
};

}  // namespace vexlo
