#include "vexlo/Vexlo.BaseClass.h"

#include <algorithm>
#include <stdexcept>

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Server.HTTP.Commom.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Item.HTML.Popup.h"
#include "vexlo/Vexlo.Item.HTML.Upload.h"
#include "vexlo/Vexlo.Item.VCLObj.h"
#include "vexlo/Vexlo.Manager.h"
#include "vexlo/Vexlo.Render.h"
#include "vexlo/Vexlo.Util.h"
#include "vexlo/Vexlo.h"

namespace vexlo {

namespace {
const char* const kVersion = "1.4.4";
}

TVexloClass::TVexloClass(TVexloForm* AForm)
    : FAOwner(AForm),
      FToken(orvane::GenerateRandomString(16)),
      FRenderHTMLType(std::make_unique<TVexloHTMLBootStrap>()),
      FHTML(std::make_unique<TVexloHTML>()) {
  if (orvane::TOrvaneBaseClass* root = orvane::OrvaneBaseClass())
    FValidateAllControls = root->GetOptions().ValidateAllControls();
  FHTML->Options().ValidateAllControls = FValidateAllControls;
}

TVexloClass::~TVexloClass() {
  // Nested objects and the host forget this one.
  if (FVexloOwner) FVexloOwner->ForgetNested(this);
  for (TVexloClass* nested : FVexloNested) nested->FVexloOwner = nullptr;
  FVexloNested.clear();
  FFrameworkExportType.reset();
  FVexloPopups.clear();
  FExportedControls.clear();
}

void TVexloClass::ForgetNested(TVexloClass* ANested) {
  FVexloNested.erase(std::remove(FVexloNested.begin(), FVexloNested.end(), ANested),
                     FVexloNested.end());
}

IVexloManager* TVexloClass::GetVexloManager() const {
  return VexloManager();
}

std::string TVexloClass::GetVersion() {
  IVexloManager* manager = VexloManager();
  return manager ? manager->GetVersion() : kVersion;
}

void TVexloClass::SetFrameworkExportType(std::unique_ptr<IVexloFrameworkType> AValue) {
  FFrameworkExportType = std::move(AValue);
}

orvane::TOrvaneForm* TVexloClass::GetFormObject() const {
  return FFrameworkExportType ? FFrameworkExportType->GetForm() : nullptr;
}

IVexloFrameworkForm* TVexloClass::GetFrameworkForm() const {
  return FFrameworkExportType ? FFrameworkExportType->FrameworkForm() : nullptr;
}

std::string TVexloClass::Prefix() const {
  orvane::TOrvaneForm* form = GetFormObject();
  return form ? form->GetControlsPrefix() : "";
}

void TVexloClass::RenderVexlo(const TVexloItemList& AItems) {
  TVexloRender render(this);
  render.RenderVexlo(AItems);
}

void TVexloClass::AddNested(TVexloForm* AVexloForm) {
  TVexloClass* nested = AVexloForm ? AVexloForm->Vexlo() : nullptr;
  if (!nested || nested == this) return;
  if (std::find(FVexloNested.begin(), FVexloNested.end(), nested) != FVexloNested.end()) return;
  nested->FVexloOwner = this;
  if (orvane::TOrvaneForm* form = nested->GetFormObject()) form->SetEnableControlsPrefix(true);
  AVexloForm->Clear();
  AVexloForm->Render();
  FVexloNested.push_back(nested);
  if (FOrvaneSession) {
    std::vector<orvane::IOrvaneVexloClass*> open = FOrvaneSession->GetVexloForms();
    if (std::find(open.begin(), open.end(), nested) != open.end())
      FOrvaneSession->RemoveVexloClass(nested);
  }
}

void TVexloClass::RemoveNested(TVexloClass* ANested) {
  if (!ANested ||
      std::find(FVexloNested.begin(), FVexloNested.end(), ANested) == FVexloNested.end())
    return;
  ForgetNested(ANested);
  ANested->FVexloOwner = nullptr;
}

TVexloClass* TVexloClass::Nested(int AIndex) const {
  if (AIndex < 0 || AIndex >= NestedCount())
    throw std::out_of_range("Índice de formulário aninhado fora da lista: " +
                            std::to_string(AIndex));
  return FVexloNested[static_cast<size_t>(AIndex)];
}

void TVexloClass::AddPopup(const std::shared_ptr<IVexloItemHTMLPopup>& APopup) {
  if (APopup) FVexloPopups.push_back(APopup);
}

void TVexloClass::RemovePopup(const std::shared_ptr<IVexloItemHTMLPopup>& APopup) {
  FVexloPopups.erase(std::remove(FVexloPopups.begin(), FVexloPopups.end(), APopup),
                     FVexloPopups.end());
}

std::shared_ptr<IVexloItemHTMLPopup> TVexloClass::Popup(int AIndex) const {
  if (AIndex < 0 || AIndex >= PopupCount())
    throw std::out_of_range("Índice de popup fora da lista: " + std::to_string(AIndex));
  return FVexloPopups[static_cast<size_t>(AIndex)];
}

orvane::TOrvaneControl* TVexloClass::OrvaneControlFromVCLObj(
    const core::TComponent* AControl) const {
  orvane::TOrvaneForm* form = GetFormObject();
  if (!form || !AControl) return nullptr;
  for (orvane::TOrvaneControl* control : form->Controls())
    if (control->GetVCLComponent() == AControl) return control;
  return nullptr;
}

void TVexloClass::Validation(const core::TComponent* AControl, bool AIsValid,
                             const std::string& AMessage) {
  orvane::TOrvaneControl* control = OrvaneControlFromVCLObj(AControl);
  if (!control || !FOrvaneSession) return;
  FOrvaneSession->ExecJS("insertValidationFeedback(\"" + control->ID() + "\", " +
                         (AIsValid ? "true" : "false") + ", " + orvane::FormatValueHTML(AMessage) +
                         ")");
}

void TVexloClass::RemoveValidation(const core::TComponent* AControl) {
  orvane::TOrvaneControl* control = OrvaneControlFromVCLObj(AControl);
  if (!control || !FOrvaneSession) return;
  FOrvaneSession->ExecJS("removeValidationFeedback(\"" + control->ID() + "\")");
}

void TVexloClass::RegisterCallBack(const std::string& AName, orvane::TCallBackEvent ACallBack) {
  auto callbacks = FOrvaneSession ? FOrvaneSession->GetCallBacks() : nullptr;
  if (callbacks) callbacks->Register(AName, std::move(ACallBack));
}

std::string TVexloClass::CallBackJS(const std::string& ACallBackName,
                                    const std::string& AParameters, bool ALockClient) const {
  return CallBackJSFor(ACallBackName, "", AParameters, ALockClient);
}

std::string TVexloClass::CallBackJSFor(const std::string& ACallBackName,
                                       const std::string& AFormUUID, const std::string& AParameters,
                                       bool ALockClient) const {
  auto callbacks = FOrvaneSession ? FOrvaneSession->GetCallBacks() : nullptr;
  return callbacks ? callbacks->CallBackJS(ACallBackName, AFormUUID, ALockClient, AParameters) : "";
}

TVexloLang TVexloClass::GetLanguage() const {
  return VexloLangByName(FOrvaneSession ? FOrvaneSession->GetLanguage() : "");
}

void TVexloClass::SetLanguage(TVexloLang AValue) {
  if (FOrvaneSession) FOrvaneSession->SetLanguage(VexloLangName(AValue));
}

const IVexloLang& TVexloClass::Lang() const {
  const IVexloLang* lang = VexloLangClass().LangByTVexloLang(GetLanguage());
  return lang ? *lang : VexloLangClass().Portuguese();
}

std::string TVexloClass::CreateItemID(const std::string& APrefix) {
  const std::string prefix = APrefix.empty() ? "VexloControl" : APrefix;
  int& counter = FControlIDs[prefix];
  ++counter;
  return prefix + std::to_string(counter);
}

void TVexloClass::AddExportedControl(const IVexloItemPtr& AItem) {
  if (!AItem) return;
  if (!FExportedControls.emplace(AItem->GetItemID(), AItem).second)
    throw EVexloError("Identificador de item repetido no formulário: \"" + AItem->GetItemID() +
                      "\"");
}

void TVexloClass::RemoveExportedControl(const IVexloItemPtr& AItem) {
  for (auto it = FExportedControls.begin(); it != FExportedControls.end(); ++it)
    if (it->second == AItem) {
      FExportedControls.erase(it);
      return;
    }
}

bool TVexloClass::ObjectExported(const std::string& AItemID) const {
  for (const auto& [key, item] : FExportedControls)
    if (item && item->GetItemID() == AItemID) return true;
  return false;
}

bool TVexloClass::SupportsControl(const core::TComponent& AControl) const {
  return VexloVCLObjSupported(AControl.ClassName());
}

// --- orvane::IOrvaneVexloClass ---

orvane::IOrvaneForm* TVexloClass::GetOrvaneForm() {
  return GetFormObject();
}

std::vector<orvane::IOrvaneVexloClass*> TVexloClass::GetNestedVexlos() {
  return std::vector<orvane::IOrvaneVexloClass*>(FVexloNested.begin(), FVexloNested.end());
}

core::TComponent* TVexloClass::GetVexloForm() {
  return FAOwner;
}

void TVexloClass::SetPriorVexlo(core::TComponent* APriorForm) {
  if (FAOwner) FAOwner->SetPriorVexlo(dynamic_cast<TVexloForm*>(APriorForm));
}

void TVexloClass::PopupOpened(const std::string& AName) {
  if (FAOwner) FAOwner->PopupOpened(AName);
}

void TVexloClass::PopupClosed(const std::string& AName) {
  if (FAOwner) FAOwner->PopupClosed(AName);
}

void TVexloClass::ClearForm() {
  if (FAOwner) FAOwner->Clear();
}

void TVexloClass::RenderForm() {
  // The nested forms' bodies are rendered again as well, so the page shows
  // what their controls hold now.
  for (TVexloClass* nested : FVexloNested)
    if (nested && nested->FAOwner) {
      nested->FAOwner->Clear();
      nested->FAOwner->Render();
    }
  if (FAOwner) FAOwner->Render();
}

std::string TVexloClass::MakeHTMLPage() {
  HTMLOptions& o = FHTML->Options();
  o.HTMLTags = o.IncluseBootStrap = o.IncludeCharSet = o.IncludeViewPort = o.IncludeDIVContainer =
      true;
  if (FHTML->Title().empty() && FAOwner) FHTML->SetTitle(FAOwner->Title());
  std::string text;
  for (const std::string& line : FHTML->MakeHTML()) {
    if (!text.empty()) text += TVexloHTML::kLineBreak;
    text += line;
  }
  return text;
}

std::string TVexloClass::GetTitle() {
  return FAOwner ? FAOwner->Title() : "";
}

std::vector<std::pair<std::string, std::string>> TVexloClass::GetPopupTexts() {
  std::vector<std::pair<std::string, std::string>> texts;
  for (const auto& popup : FVexloPopups)
    texts.emplace_back(popup->GetItemID(), FHTML->GetHTMLControls(popup->GetItemID()));
  return texts;
}

std::string TVexloClass::GetNestedName() {
  return FAOwner ? FAOwner->Name() : "";
}

void TVexloClass::DoTagHTML(const std::string& TagString, std::string& ReplaceTag) {
  if (FAOwner) FAOwner->DoTagHTML(TagString, ReplaceTag);
}

void TVexloClass::DoPageLoaded() {
  if (FAOwner) FAOwner->DoPageLoaded();
}

void TVexloClass::DoInitOrvaneControl(orvane::IOrvaneControl* AControl) {
  if (FAOwner) FAOwner->DoInitOrvaneControl(dynamic_cast<orvane::TOrvaneControl*>(AControl));
}

void TVexloClass::DoRenderOrvaneControl(orvane::IOrvaneControl* AControl,
                                        std::string& HTMLControl) {
  if (FAOwner)
    FAOwner->DoRenderOrvaneControl(dynamic_cast<orvane::TOrvaneControl*>(AControl), HTMLControl);
}

TVexloClass* TVexloClass::UploadOwner() {
  if (FUploadItem && !FUploadItem->GetIsHidden()) return this;
  for (TVexloClass* nested : FVexloNested)
    if (TVexloClass* owner = nested->UploadOwner()) return owner;
  return nullptr;
}

void TVexloClass::DoUpload(const std::vector<std::string>& AFiles) {
  TVexloClass* owner = UploadOwner();
  if (!owner) owner = this;
  if (owner->FAOwner) owner->FAOwner->DoUpload(AFiles, owner->GetFormObject());
}

void TVexloClass::DoCellButtonClick(orvane::IOrvaneDBGrid* AOrvaneDBGrid,
                                    orvane::IOrvaneDBGridColumnButton* AOrvaneCellButton, int ARow,
                                    int AColIndex) {
  if (FAOwner) FAOwner->DoCellButtonClick(AOrvaneDBGrid, AOrvaneCellButton, ARow, AColIndex);
}

bool TVexloClass::GetUploadLimits(orvane::TOrvaneUploadLimits& ALimits) {
  TVexloClass* owner = UploadOwner();
  if (!owner) return false;
  ALimits = owner->FUploadItem->Limits();
  return true;
}

bool TVexloClass::ShowingModal() {
  return FAOwner && FAOwner->ShowingModal();
}

void TVexloClass::ShowPopup(const std::string& AName) {
  if (FAOwner) FAOwner->ShowPopup(AName);
}

void TVexloClass::ClosePopup(const std::string& AName) {
  if (FAOwner) FAOwner->ClosePopup(AName);
}

}  // namespace vexlo
