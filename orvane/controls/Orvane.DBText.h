// The data-aware web label: a span showing the text of a field of the data
// source's current record, pushed again whenever it changes (another record,
// an edit, a post, the dataset reopened).
#pragma once

#include <string>

#include "orvane/controls/Orvane.DBControl.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBText {
 public:
  virtual ~IOrvaneDBText() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual std::string GetText() = 0;
};

class TOrvaneDBText : public TOrvaneDBControl, public IOrvaneDBText {
  CORE_DECLARE_CLASS()
 public:
  using TOrvaneDBTextDataLink = TOrvaneDBDataLink;

  explicit TOrvaneDBText(core::TComponent* AOwner) : TOrvaneDBControl(AOwner) {}

  void SetDataSource(db::TDataSource* AValue) override { TOrvaneDBControl::SetDataSource(AValue); }
  db::TDataSource* GetDataSource() const override { return TOrvaneDBControl::GetDataSource(); }
  void SetDataField(const std::string& AValue) override { TOrvaneDBControl::SetDataField(AValue); }
  std::string GetDataField() const override { return TOrvaneDBControl::GetDataField(); }
  // The field's text; empty without a field or data.
  std::string GetText() override;

  bool IsDBText() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  void ProcessComponentState(const nlohmann::json&) override {}
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 private:
  std::string FStoredText;
};

}  // namespace orvane
