// The bridge object of a form: the hub between a desktop form and its web
// page. It holds the form's HTML accumulator, the framework export object
// with the web form, the session the form lives in, the nested forms and
// popups, and the registry of exported items. The session and the web form
// reach it through orvane::IOrvaneVexloClass.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "orvane/server/Orvane.CallBack.h"
#include "orvane/server/Orvane.Interfaces.h"
#include "vexlo/Vexlo.Framework.h"
#include "vexlo/Vexlo.HTML.h"
#include "vexlo/Vexlo.Item.h"
#include "vexlo/Vexlo.Lang.BaseClass.h"

namespace ui {
class TControl;
}

namespace vexlo {

class TVexloForm;
class IVexloManager;
class IVexloItemHTMLPopup;
class TVexloItemHTMLUpload;

// The HTML flavour: Bootstrap (a marker, with no operations of its own).
class IVexloHTMLType {
 public:
  virtual ~IVexloHTMLType() = default;
};
class TVexloHTMLBootStrap : public IVexloHTMLType {};

struct VexloOptions {
  bool EnableHTMLRender = true;
};

class TVexloClass : public orvane::IOrvaneVexloClass {
 public:
  explicit TVexloClass(TVexloForm* AForm);
  ~TVexloClass() override;
  TVexloClass(const TVexloClass&) = delete;
  TVexloClass& operator=(const TVexloClass&) = delete;

  TVexloClass* GetBaseClass() { return this; }
  IVexloManager* GetVexloManager() const;
  std::string GetVersion() override;
  // The web form of the framework export object, or null before one is
  // attached.
  orvane::TOrvaneForm* GetFormObject() const;
  IVexloFrameworkForm* GetFrameworkForm() const;
  // The web form's controls prefix (empty unless it enables prefixes).
  std::string Prefix() const;
  // Renders the items into the body (depth first, in list order).
  void RenderVexlo(const TVexloItemList& AItems);
  // Nests another form's page into this one (once): its items get prefixed
  // identifiers, it is rendered now, and it leaves the session's list of
  // open forms.
  void AddNested(TVexloForm* AVexloForm);
  TVexloClass* Nested(int AIndex) const;
  int NestedCount() const { return static_cast<int>(FVexloNested.size()); }
  // Takes a nested form's bridge object out of this one again.
  void RemoveNested(TVexloClass* ANested);
  void AddPopup(const std::shared_ptr<IVexloItemHTMLPopup>& APopup);
  void RemovePopup(const std::shared_ptr<IVexloItemHTMLPopup>& APopup);
  std::shared_ptr<IVexloItemHTMLPopup> Popup(int AIndex) const;
  int PopupCount() const { return static_cast<int>(FVexloPopups.size()); }
  // The web control bound to the desktop control, or null.
  orvane::TOrvaneControl* OrvaneControlFromVCLObj(const core::TComponent* AControl) const;
  // Shows (or removes) the page's validation feedback at the control bound to
  // AControl; the message travels JSON-quoted. Nothing without such control.
  void Validation(const core::TComponent* AControl, bool AIsValid, const std::string& AMessage);
  void RemoveValidation(const core::TComponent* AControl);
  void RegisterCallBack(const std::string& AName, orvane::TCallBackEvent ACallBack);
  // The page's call of a registered callback (empty when not registered),
  // for the session's active web form or the given one.
  std::string CallBackJS(const std::string& ACallBackName, const std::string& AParameters,
                         bool ALockClient) const;
  std::string CallBackJSFor(const std::string& ACallBackName, const std::string& AFormUUID,
                            const std::string& AParameters, bool ALockClient) const;
  TVexloLang GetLanguage() const;
  void SetLanguage(TVexloLang AValue);
  // The session's text set; Portuguese for a language without one.
  const IVexloLang& Lang() const;

  // The next identifier for a prefix: prefix + counter ("row1", "row2"...);
  // an empty prefix counts as "VexloControl".
  std::string CreateItemID(const std::string& APrefix);
  // Registers an item under its identifier (a repeated one fails).
  void AddExportedControl(const IVexloItemPtr& AItem);
  // Forgets an item registered by AddExportedControl.
  void RemoveExportedControl(const IVexloItemPtr& AItem);
  // Whether an exported item has that identifier (exact comparison).
  bool ObjectExported(const std::string& AItemID) const;
  // Whether the control's class can be exported; AddControlItem adds a
  // control item for it to the top-level items.
  bool SupportsControl(const core::TComponent& AControl) const;
  virtual void AddControlItem(core::TComponent& AControl) = 0;

  TVexloForm* FormAOwner() const { return FAOwner; }
  const std::string& Token() const { return FToken; }
  IVexloHTMLType& RenderHTMLType() { return *FRenderHTMLType; }
  IVexloFrameworkType* FrameworkExportType() const { return FFrameworkExportType.get(); }
  void SetFrameworkExportType(std::unique_ptr<IVexloFrameworkType> AValue);
  VexloOptions& Options() { return FOptions; }
  TVexloHTML& HTML() { return *FHTML; }
  bool EnableLoader() const { return FEnableLoader; }
  void SetEnableLoader(bool AValue) { FEnableLoader = AValue; }
  std::map<std::string, int>& ControlIDs() { return FControlIDs; }
  TVexloClass* VexloOwner() const { return FVexloOwner; }
  const std::map<std::string, IVexloItemPtr>& ExportedControls() const { return FExportedControls; }
  orvane::IOrvaneSession* OrvaneSession() const { return FOrvaneSession; }
  void SetOrvaneSession(orvane::IOrvaneSession* AValue) { FOrvaneSession = AValue; }
  bool ValidateAllControls() const { return FValidateAllControls; }

  // --- orvane::IOrvaneVexloClass ---
  orvane::IOrvaneForm* GetOrvaneForm() override;
  orvane::IOrvaneVexloClass* GetParentVexlo() override { return FVexloOwner; }
  std::vector<orvane::IOrvaneVexloClass*> GetNestedVexlos() override;
  core::TComponent* GetVexloForm() override;
  void SetPriorVexlo(core::TComponent* APriorForm) override;
  void PopupOpened(const std::string& AName) override;
  void PopupClosed(const std::string& AName) override;
  void ClearForm() override;
  void RenderForm() override;
  std::string MakeHTMLPage() override;
  std::string GetBodyHTML() override { return FHTML->BodyText(); }
  std::string GetTitle() override;
  bool GetEnableLoader() override { return FEnableLoader; }
  std::vector<std::pair<std::string, std::string>> GetPopupTexts() override;
  std::string GetNestedName() override;
  void DoTagHTML(const std::string& TagString, std::string& ReplaceTag) override;
  void DoPageLoaded() override;
  void DoInitOrvaneControl(orvane::IOrvaneControl* AControl) override;
  void DoRenderOrvaneControl(orvane::IOrvaneControl* AControl, std::string& HTMLControl) override;
  // The files go to the form whose page part shows the upload item: this
  // one or a nested one.
  void DoUpload(const std::vector<std::string>& AFiles) override;
  // The limits of the upload item this page shows (its own or a nested
  // form's); false when it shows none.
  bool GetUploadLimits(orvane::TOrvaneUploadLimits& ALimits) override;
  // The upload item rendered into this form's body (null: none); an item
  // leaving forgets itself.
  void SetUploadItem(TVexloItemHTMLUpload* AItem) { FUploadItem = AItem; }
  void ForgetUploadItem(const TVexloItemHTMLUpload* AItem) {
    if (FUploadItem == AItem) FUploadItem = nullptr;
  }
  void DoCellButtonClick(orvane::IOrvaneDBGrid* AOrvaneDBGrid,
                         orvane::IOrvaneDBGridColumnButton* AOrvaneCellButton, int ARow,
                         int AColIndex) override;
  bool ShowingModal() override;
  void ShowPopup(const std::string& AName) override;
  void ClosePopup(const std::string& AName) override;

 private:
  friend class TVexloForm;
  // A nested bridge object (or the host) is going away.
  void ForgetNested(TVexloClass* ANested);
  // The bridge object (this or a nested one) whose body shows an upload
  // item that is not hidden, or null.
  TVexloClass* UploadOwner();

  TVexloForm* FAOwner;
  std::string FToken;
  std::unique_ptr<IVexloHTMLType> FRenderHTMLType;
  std::unique_ptr<IVexloFrameworkType> FFrameworkExportType;
  VexloOptions FOptions;
  std::unique_ptr<TVexloHTML> FHTML;
  bool FEnableLoader = true;
  orvane::IOrvaneSession* FOrvaneSession = nullptr;
  std::map<std::string, int> FControlIDs;
  std::vector<TVexloClass*> FVexloNested;
  std::vector<std::shared_ptr<IVexloItemHTMLPopup>> FVexloPopups;
  TVexloClass* FVexloOwner = nullptr;
  std::map<std::string, IVexloItemPtr> FExportedControls;
  bool FValidateAllControls = false;
  TVexloItemHTMLUpload* FUploadItem = nullptr;
};

}  // namespace vexlo
