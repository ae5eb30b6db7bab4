#include "vexlo/adapters/Vexlo.VCLObj.h"

#include <iostream>

#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.BaseClass.h"
#include "vexlo/Vexlo.Forms.h"
#include "vexlo/Vexlo.Orvane.h"
#include "vexlo/Vexlo.Util.h"
#include "vexlo/adapters/Vexlo.Orvane.Button.h"
#include "vexlo/adapters/Vexlo.Orvane.CheckBox.h"
#include "vexlo/adapters/Vexlo.Orvane.Combobox.h"
#include "vexlo/adapters/Vexlo.Orvane.DBCheckBox.h"
#include "vexlo/adapters/Vexlo.Orvane.DBCombobox.h"
#include "vexlo/adapters/Vexlo.Orvane.DBEdit.h"
#include "vexlo/adapters/Vexlo.Orvane.DBGrid.h"
#include "vexlo/adapters/Vexlo.Orvane.DBLookupCombobox.h"
#include "vexlo/adapters/Vexlo.Orvane.DBMemo.h"
#include "vexlo/adapters/Vexlo.Orvane.DBText.h"
#include "vexlo/adapters/Vexlo.Orvane.Edit.h"
#include "vexlo/adapters/Vexlo.Orvane.Image.h"
#include "vexlo/adapters/Vexlo.Orvane.Label.h"
#include "vexlo/adapters/Vexlo.VCLObj.TButton.h"
#include "vexlo/adapters/Vexlo.VCLObj.TCheckBox.h"
#include "vexlo/adapters/Vexlo.VCLObj.TCombobox.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBCheckBox.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBCombobox.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBEdit.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBGrid.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBImage.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBLookupCombobox.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBMemo.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDBText.h"
#include "vexlo/adapters/Vexlo.VCLObj.TDateTimePicker.h"
#include "vexlo/adapters/Vexlo.VCLObj.TEdit.h"
#include "vexlo/adapters/Vexlo.VCLObj.TLabel.h"
#include "vexlo/adapters/Vexlo.VCLObj.TRadioButton.h"
#include "vexlo/adapters/Vexlo.VCLObj.TSpeedButton.h"

namespace vexlo {

std::vector<std::string> TVexloVCLObj::PropertyCopyList() {
  return TVexloItemVCLObj::DefaultPropertyCopyList();
}

IVexloFrameworkItemPtr TVexloVCLObj::FrameworkItemClass() {
  TVexloClass* base = FVexloItemVCLObj.BaseClass();
  IVexloFrameworkType* framework = base ? base->FrameworkExportType() : nullptr;
  return framework ? KindOf(*framework) : nullptr;
}

void SetEnabledVisibleProcs(IVexloFrameworkItem& AKind, ui::TControl* AControl) {
  AKind.SetGetEnabled([AControl] { return orvane::TOrvaneVariant(GetEnabledRecursive(AControl)); });
  AKind.SetSetEnabled([AControl](const orvane::TOrvaneVariant& AValue) {
    AControl->SetEnabled(orvane::VarToBool(AValue));
  });
  AKind.SetGetVisible([AControl] { return orvane::TOrvaneVariant(GetVisibleRecursive(AControl)); });
  AKind.SetSetVisible([AControl](const orvane::TOrvaneVariant& AValue) {
    AControl->SetVisible(orvane::VarToBool(AValue));
  });
}

void RunHandler(ui::TControl* AControl, const std::function<void()>& AHandler) {
  try {
    AHandler();
  } catch (const core::EAbort&) {
    throw;
  } catch (const std::exception& e) {
    auto* form = AControl ? dynamic_cast<TVexloForm*>(AControl->GetParentForm()) : nullptr;
    if (!form || !form->IsVexloContext()) throw;
    std::cerr << "Vexlo: " << AControl->Name() << ": " << e.what() << std::endl;
    form->ShowWebError(e.what());
  }
}

namespace {

uint16_t KeyOf(const orvane::TStringList& AParameters) {
  return static_cast<uint16_t>(orvane::ConvertHTMLKeyToVK(orvane::ValueOf(AParameters, "key")));
}

}  // namespace

void ForwardEvents(IVexloFrameworkItem& AKind, ui::TControl* AControl, unsigned AEvents) {
  if (!AControl) return;
  if ((AEvents & feClick) && AControl->OnClick)
    AKind.SetOnClick(NotifyProc(AControl, &ui::TControl::OnClick));
  auto* win = dynamic_cast<ui::TWinControl*>(AControl);
  if (!win) return;
  if ((AEvents & feEnter) && win->OnEnter)
    AKind.SetOnEnter(NotifyProc(win, &ui::TWinControl::OnEnter));
  if ((AEvents & feExit) && win->OnExit) AKind.SetOnExit(NotifyProc(win, &ui::TWinControl::OnExit));
  if ((AEvents & feKeyDown) && win->OnKeyDown)
    AKind.SetOnKeyDown([win](orvane::TStringList& AParameters) {
      uint16_t key = KeyOf(AParameters);
      if (win->OnKeyDown) RunHandler(win, [&] { win->OnKeyDown(win, key, 0); });
    });
  // Set after the key-down procedure, in the same slot.
  if ((AEvents & feKeyPress) && win->OnKeyPress)
    AKind.SetOnKeyDown([win](orvane::TStringList& AParameters) {
      char32_t key = KeyOf(AParameters);
      if (win->OnKeyPress) RunHandler(win, [&] { win->OnKeyPress(win, key); });
    });
}

namespace {

template <class TAdapter>
void Adapter(const char* AName) {
  RegisterVexloVCLObj(AName, [](TVexloItemVCLObj& AItem) -> std::unique_ptr<IVexloVCLObj> {
    return std::make_unique<TAdapter>(AItem);
  });
}

template <class TKind>
void Kind(TVexloFrameworkKind AKind) {
  RegisterVexloFrameworkItem(AKind,
                             [](TVexloOrvaneFramework& AFramework) -> IVexloFrameworkItemPtr {
                               return std::make_shared<TKind>(&AFramework);
                             });
}

}  // namespace

void RegisterVexloVCLObjs() {
  using K = TVexloFrameworkKind;
  Kind<OrvaneButton>(K::Button);
  Kind<OrvaneEdit>(K::Edit);
  Kind<OrvaneLabel>(K::Text);
  Kind<OrvaneCheckBox>(K::CheckBox);
  Kind<OrvaneDBCheckBox>(K::DBCheckBox);
  Kind<OrvaneDBText>(K::DBText);
  Kind<OrvaneDBEdit>(K::DBEdit);
  Kind<OrvaneDBMemo>(K::DBMemo);
  Kind<OrvaneDBCombobox>(K::DBCombobox);
  Kind<OrvaneDBLookupCombobox>(K::DBLookupCombobox);
  Kind<OrvaneCombobox>(K::Combobox);
  Kind<OrvaneDBGrid>(K::DBGrid);
  Kind<OrvaneImage>(K::Image);

  Adapter<TVCLObjTLabel>("TVCLObjTLabel");
  Adapter<TVCLObjTEdit>("TVCLObjTEdit");
  Adapter<TVCLObjTButton>("TVCLObjTButton");
  Adapter<TVCLObjTSpeedButton>("TVCLObjTSpeedButton");
  Adapter<TVCLObjTDBText>("TVCLObjTDBText");
  Adapter<TVCLObjTDBMemo>("TVCLObjTDBMemo");
  Adapter<TVCLObjTDBLookupCombobox>("TVCLObjTDBLookupCombobox");
  Adapter<TVCLObjTDBGrid>("TVCLObjTDBGrid");
  Adapter<TVCLObjTDBEdit>("TVCLObjTDBEdit");
  Adapter<TVCLObjTDBCombobox>("TVCLObjTDBCombobox");
  Adapter<TVCLObjTDBCheckBox>("TVCLObjTDBCheckBox");
  Adapter<TVCLObjTDateTimePicker>("TVCLObjTDateTimePicker");
  Adapter<TVCLObjTCombobox>("TVCLObjTCombobox");
  Adapter<TVCLObjTCheckBox>("TVCLObjTCheckBox");
  Adapter<TVCLObjTRadioButton>("TVCLObjTRadioButton");
  // Beyond the fifteen: the data-aware picture.
  Adapter<TVCLObjTDBImage>("TVCLObjTDBImage");
}

}  // namespace vexlo
