// The common base of the framework control types: the event and state
// procedures an adapter sets, copied into each web control it configures.
#pragma once

#include "vexlo/Vexlo.Framework.h"

namespace vexlo {

class TVexloOrvaneFramework;

class TVexloOrvaneItem : public IVexloFrameworkItem {
 public:
  explicit TVexloOrvaneItem(TVexloOrvaneFramework* AFramework)
      : FVexloOrvaneFramework(AFramework) {}

  // Releases every event and state procedure (kinds extend it).
  void Clear() override;
  // Copies each state procedure that is set into the web control.
  void ProcessPropertyClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  // Adds each event procedure that is set to the web control's events.
  void ProcessEventClass(core::TComponent* VCLObj, orvane::TOrvaneControl* NewObj) override;
  void ProcessPropertyByName(core::TComponent*, orvane::TOrvaneControl*,
                             const orvane::TOrvaneVariant&, const std::string&) override {}

  void SetOnClick(TVexloEventProc AValue) override { FOnClick = std::move(AValue); }
  TVexloEventProc GetOnClick() const override { return FOnClick; }
  void SetOnEnter(TVexloEventProc AValue) override { FOnEnter = std::move(AValue); }
  TVexloEventProc GetOnEnter() const override { return FOnEnter; }
  void SetOnExit(TVexloEventProc AValue) override { FOnExit = std::move(AValue); }
  TVexloEventProc GetOnExit() const override { return FOnExit; }
  void SetOnChange(TVexloEventProc AValue) override { FOnChange = std::move(AValue); }
  TVexloEventProc GetOnChange() const override { return FOnChange; }
  void SetOnKeyDown(TVexloEventProc AValue) override { FOnKeyDown = std::move(AValue); }
  TVexloEventProc GetOnKeyDown() const override { return FOnKeyDown; }
  void SetOnSelectAll(TVexloEventProc AValue) override { FOnSelectAll = std::move(AValue); }
  TVexloEventProc GetOnSelectAll() const override { return FOnSelectAll; }
  void SetOnUnselectAll(TVexloEventProc AValue) override { FOnUnselectAll = std::move(AValue); }
  TVexloEventProc GetOnUnselectAll() const override { return FOnUnselectAll; }
  void SetOnSelect(TVexloEventProc AValue) override { FOnSelect = std::move(AValue); }
  TVexloEventProc GetOnSelect() const override { return FOnSelect; }
  void SetOnCheck(TVexloEventProc AValue) override { FOnCheck = std::move(AValue); }
  TVexloEventProc GetOnCheck() const override { return FOnCheck; }
  void SetOnCheckChange(TVexloEventProc AValue) override { FOnCheckChange = std::move(AValue); }
  TVexloEventProc GetOnCheckChange() const override { return FOnCheckChange; }
  void SetOnUnCheck(TVexloEventProc AValue) override { FOnUnCheck = std::move(AValue); }
  TVexloEventProc GetOnUnCheck() const override { return FOnUnCheck; }
  void SetGetEnabled(orvane::TOnGetValue AValue) override { FProcGetEnabled = std::move(AValue); }
  orvane::TOnGetValue GetGetEnabled() const override { return FProcGetEnabled; }
  void SetSetEnabled(orvane::TOnSetValue AValue) override { FProcSetEnabled = std::move(AValue); }
  orvane::TOnSetValue GetSetEnabled() const override { return FProcSetEnabled; }
  void SetGetVisible(orvane::TOnGetValue AValue) override { FProcGetVisible = std::move(AValue); }
  orvane::TOnGetValue GetGetVisible() const override { return FProcGetVisible; }
  void SetSetVisible(orvane::TOnSetValue AValue) override { FProcSetVisible = std::move(AValue); }
  orvane::TOnSetValue GetSetVisible() const override { return FProcSetVisible; }
  void SetGetReadOnly(orvane::TOnGetValue AValue) override { FProcGetReadOnly = std::move(AValue); }
  orvane::TOnGetValue GetGetReadOnly() const override { return FProcGetReadOnly; }
  void SetSetReadOnly(orvane::TOnSetValue AValue) override { FProcSetReadOnly = std::move(AValue); }
  orvane::TOnSetValue GetSetReadOnly() const override { return FProcSetReadOnly; }

  TVexloOrvaneFramework* Framework() const { return FVexloOrvaneFramework; }

 protected:
  TVexloOrvaneFramework* FVexloOrvaneFramework;
  TVexloEventProc FOnClick, FOnEnter, FOnExit, FOnChange, FOnKeyDown, FOnSelectAll, FOnUnselectAll,
      FOnSelect, FOnCheckChange, FOnCheck, FOnUnCheck;
  orvane::TOnGetValue FProcGetEnabled;
  orvane::TOnSetValue FProcSetEnabled;
  orvane::TOnGetValue FProcGetVisible;
  orvane::TOnSetValue FProcSetVisible;
  orvane::TOnGetValue FProcGetReadOnly;
  orvane::TOnSetValue FProcSetReadOnly;
};

}  // namespace vexlo
