#include "vexlo/Vexlo.Orvane.Item.h"

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace vexlo {

void TVexloOrvaneItem::Clear() {
  FOnClick = FOnEnter = FOnExit = FOnChange = FOnKeyDown = nullptr;
  FOnSelectAll = FOnUnselectAll = FOnSelect = FOnCheckChange = FOnCheck = FOnUnCheck = nullptr;
  FProcGetEnabled = nullptr;
  FProcSetEnabled = nullptr;
  FProcGetVisible = nullptr;
  FProcSetVisible = nullptr;
  FProcGetReadOnly = nullptr;
  FProcSetReadOnly = nullptr;
}

void TVexloOrvaneItem::ProcessPropertyClass(core::TComponent* /*VCLObj*/,
                                            orvane::TOrvaneControl* NewObj) {
  if (!NewObj) return;
  if (FProcGetEnabled) NewObj->SetProcGetEnabled(FProcGetEnabled);
  if (FProcSetEnabled) NewObj->SetProcSetEnabled(FProcSetEnabled);
  if (FProcGetVisible) NewObj->SetProcGetVisible(FProcGetVisible);
  if (FProcSetVisible) NewObj->SetProcSetVisible(FProcSetVisible);
  if (FProcGetReadOnly) NewObj->SetProcGetReadOnly(FProcGetReadOnly);
  if (FProcSetReadOnly) NewObj->SetProcSetReadOnly(FProcSetReadOnly);
}

void TVexloOrvaneItem::ProcessEventClass(core::TComponent* /*VCLObj*/,
                                         orvane::TOrvaneControl* NewObj) {
  auto events = NewObj ? NewObj->GetEvents() : nullptr;
  if (!events) return;
  using orvane::TOrvaneEventType;
  const std::pair<const TVexloEventProc*, TOrvaneEventType> table[] = {
      {&FOnClick, TOrvaneEventType::EventOnClick},
      {&FOnEnter, TOrvaneEventType::EventOnEnter},
      {&FOnExit, TOrvaneEventType::EventOnExit},
      {&FOnChange, TOrvaneEventType::EventOnChange},
      {&FOnKeyDown, TOrvaneEventType::EventOnKeyDown},
      {&FOnSelectAll, TOrvaneEventType::EventOnSelectAll},
      {&FOnUnselectAll, TOrvaneEventType::EventOnUnselectAll},
      {&FOnSelect, TOrvaneEventType::EventOnSelect},
      {&FOnCheck, TOrvaneEventType::EventOnCheck},
      {&FOnUnCheck, TOrvaneEventType::EventOnUncheck},
  };
  for (const auto& [proc, type] : table)
    if (*proc) events->Add(type, *proc);
}

}  // namespace vexlo
