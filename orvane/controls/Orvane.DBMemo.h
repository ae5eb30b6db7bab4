// The data-aware web memo: a text area showing a field of the data source's
// current record; what the visitor typed reaches the field before an event
// runs, and a field changed on the server side is pushed on the next
// observer pass.
#pragma once

#include <string>

#include "orvane/controls/Orvane.DBControl.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBMemo {
 public:
  virtual ~IOrvaneDBMemo() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetText(const std::string& AValue) = 0;
  virtual std::string GetText() = 0;
};

class TOrvaneDBMemo : public TOrvaneDBControl, public IOrvaneDBMemo {
  CORE_DECLARE_CLASS()
 public:
  using TOrvaneDBMemoDataLink = TOrvaneDBDataLink;

  explicit TOrvaneDBMemo(core::TComponent* AOwner) : TOrvaneDBControl(AOwner) {}

  void SetDataSource(db::TDataSource* AValue) override { TOrvaneDBControl::SetDataSource(AValue); }
  db::TDataSource* GetDataSource() const override { return TOrvaneDBControl::GetDataSource(); }
  void SetDataField(const std::string& AValue) override { TOrvaneDBControl::SetDataField(AValue); }
  std::string GetDataField() const override { return TOrvaneDBControl::GetDataField(); }
  // The field's text; empty without a field or data.
  std::string GetText() override;
  // Writes a changed text into the field, putting an idle dataset into
  // editing while the browser's states are applied.
  void SetText(const std::string& AValue) override;

  bool IsDBMemo() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "text".
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 private:
  std::string FStoredText;
};

}  // namespace orvane
