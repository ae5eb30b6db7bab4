// The data-aware web check box: a switch checked when its field holds the
// checked value (ignoring case; the value may list alternatives separated by
// ";", the first is written). Checking or unchecking it in the page writes
// the checked or unchecked value into the field before an event runs; a
// field or caption changed on the server side is pushed on the next
// observer pass. The switch itself is the plain check box's.
#pragma once

#include <string>

#include "orvane/controls/Orvane.CheckBox.h"
#include "orvane/controls/Orvane.DBControl.h"
#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBCheckBox {
 public:
  virtual ~IOrvaneDBCheckBox() = default;
  virtual std::string GetText() = 0;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual std::string GetValueChecked() const = 0;
  virtual void SetValueChecked(const std::string& AValue) = 0;
  virtual std::string GetValueUnChecked() const = 0;
  virtual void SetValueUnChecked(const std::string& AValue) = 0;
  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool AValue) = 0;
  virtual void SetCheckBoxType(TCheckBoxType AValue) = 0;
  virtual TCheckBoxType GetCheckBoxType() const = 0;
  virtual void SetProcGetText(TOnGetValue AValue) = 0;
};

class TOrvaneDBCheckBox : public TOrvaneCheckBoxSwitch<TOrvaneDBControl, IOrvaneDBCheckBox> {
  CORE_DECLARE_CLASS()
 public:
  using TOrvaneDBCheckBoxDataLink = TOrvaneDBDataLink;

  explicit TOrvaneDBCheckBox(core::TComponent* AOwner) : TOrvaneCheckBoxSwitch(AOwner) {}

  // The caption from the desktop check box, else empty.
  std::string GetText() override;
  void SetDataSource(db::TDataSource* AValue) override { TOrvaneDBControl::SetDataSource(AValue); }
  db::TDataSource* GetDataSource() const override { return TOrvaneDBControl::GetDataSource(); }
  void SetDataField(const std::string& AValue) override { TOrvaneDBControl::SetDataField(AValue); }
  std::string GetDataField() const override { return TOrvaneDBControl::GetDataField(); }
  std::string GetValueChecked() const override { return FValueChecked; }
  void SetValueChecked(const std::string& AValue) override { FValueChecked = AValue; }
  std::string GetValueUnChecked() const override { return FValueUnChecked; }
  void SetValueUnChecked(const std::string& AValue) override { FValueUnChecked = AValue; }
  // False without a field or data.
  bool GetChecked() override;
  // Without a bound field nothing at all; else a changed state starts an
  // edit and writes the checked or unchecked value.
  void SetChecked(bool AValue) override;
  void SetProcGetText(TOnGetValue AValue) override { FProcGetText = std::move(AValue); }

  bool IsDBCheckBox() override { return true; }

 protected:
  void ClearHooks() override;

 private:
  TOnGetValue FProcGetText;
  std::string FValueChecked;
  std::string FValueUnChecked;
};

}  // namespace orvane
