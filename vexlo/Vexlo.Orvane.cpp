#include "vexlo/Vexlo.Orvane.h"

#include <mutex>

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Orvane.Form.h"

namespace vexlo {

namespace {

std::mutex& KindsLock() {
  static std::mutex lock;
  return lock;
}

std::array<TVexloFrameworkItemFactory, kVexloFrameworkKindCount>& KindFactories() {
  static std::array<TVexloFrameworkItemFactory, kVexloFrameworkKindCount> factories;
  return factories;
}

}  // namespace

void RegisterVexloFrameworkItem(TVexloFrameworkKind AKind, TVexloFrameworkItemFactory AFactory) {
  std::lock_guard<std::mutex> g(KindsLock());
  KindFactories()[static_cast<size_t>(AKind)] = std::move(AFactory);
}

TVexloOrvaneFramework::TVexloOrvaneFramework(TVexloClass* ABaseClass) : FBaseClass(ABaseClass) {
  if (FBaseClass)
    FBaseClass->HTML().OnAddHTMLControls =
        [this](const std::string& AName, const std::string& ANamePrefix,
               const std::string& HTMLText) { AddHTMLControls(AName, ANamePrefix, HTMLText); };
  std::array<TVexloFrameworkItemFactory, kVexloFrameworkKindCount> factories;
  {
    std::lock_guard<std::mutex> g(KindsLock());
    factories = KindFactories();
  }
  for (size_t i = 0; i < factories.size(); ++i)
    if (factories[i]) FKinds[i] = factories[i](*this);
}

TVexloOrvaneFramework::~TVexloOrvaneFramework() {
  if (FBaseClass) FBaseClass->HTML().OnAddHTMLControls = nullptr;
  FFrameworkForm = nullptr;
  if (TVexloOrvaneForm* form = std::exchange(FOwnedForm, nullptr)) {
    orvane::IOrvaneSession* session = form->GetSession();
    // On the main thread, the web form goes on its session's thread (while
    // the session still runs work: a closing one has stopped its threads).
    if (session && !session->Closing() && !session->Destroying() &&
        std::this_thread::get_id() == orvane::MainThreadID())
      session->ExecThread(true, [form] { form->Free(); });
    else
      form->Free();
  }
  for (auto& kind : FKinds) kind.reset();
}

IVexloFrameworkItemPtr TVexloOrvaneFramework::Kind(TVexloFrameworkKind AKind) const {
  return FKinds[static_cast<size_t>(AKind)];
}

core::TComponentClass TVexloOrvaneFramework::FormClass() const {
  return &orvane::TOrvaneForm::StaticClass();
}

orvane::TOrvaneForm* TVexloOrvaneFramework::GetForm() const {
  return FFrameworkForm ? FFrameworkForm->AsOrvaneForm() : nullptr;
}

bool TVexloOrvaneFramework::FormShowing() const {
  orvane::IOrvaneSession* session = FBaseClass ? FBaseClass->OrvaneSession() : nullptr;
  return session && session->GetVexloBaseClass() == FBaseClass;
}

void TVexloOrvaneFramework::SetForm(IVexloFrameworkForm* AForm) {
  FFrameworkForm = AForm;
  if (FFrameworkForm) FFrameworkForm->SetBaseClass(FBaseClass);
}

void TVexloOrvaneFramework::SetTemplateMasterHTMLFile(const std::string& AValue) {
  FTemplateMasterHTMLFile = AValue;
  if (orvane::TOrvaneForm* form = GetForm()) form->SetTemplateMasterHTMLFile(AValue);
}

void TVexloOrvaneFramework::SetTemplatePageHTMLFile(const std::string& AValue) {
  FTemplatePageHTMLFile = AValue;
  if (orvane::TOrvaneForm* form = GetForm()) form->SetTemplatePageHTMLFile(AValue);
}

void TVexloOrvaneFramework::AddFormByClass(core::TComponentClass AFormClass,
                                           core::TComponent* AOwner) {
  if (!AFormClass || !AFormClass->InheritsFrom(&TVexloOrvaneForm::StaticClass())) return;
  auto* form = new TVexloOrvaneForm(AOwner, *this);
  if (!AOwner) FOwnedForm = form;
  FFrameworkForm = form;
  form->SetBaseClass(FBaseClass);
  if (!FTemplateMasterHTMLFile.empty()) form->SetTemplateMasterHTMLFile(FTemplateMasterHTMLFile);
  if (!FTemplatePageHTMLFile.empty()) form->SetTemplatePageHTMLFile(FTemplatePageHTMLFile);
}

void TVexloOrvaneFramework::AddHTMLControls(const std::string& AName,
                                            const std::string& ANamePrefix,
                                            const std::string& HTMLText) {
  orvane::TOrvaneForm* form = GetForm();
  if (!form) return;
  for (orvane::TOrvaneControl* control : form->Controls())
    if (core::SameText(control->GetName(), AName) &&
        core::SameText(control->GetNamePrefix(), ANamePrefix)) {
      control->FormatHTMLControl(HTMLText);
      return;
    }
}

}  // namespace vexlo
