// The data-aware web edit: an input showing a field of the data source's
// current record. Its input type follows the field (numbers, dates, time
// stamps, times); dates travel as "yyyy-mm-dd" and time stamps as
// "yyyy-mm-dd hh:nn:ss", so a time stamp keeps its time. What the visitor
// typed reaches the field before an event runs (the dataset is put into
// editing for a changed value only); a field changed on the server side is
// pushed on the next observer pass.
#pragma once

#include <string>

#include "orvane/controls/Orvane.DBControl.h"
#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBEdit {
 public:
  virtual ~IOrvaneDBEdit() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetText(const std::string& AValue) = 0;
  virtual std::string GetText() = 0;
  virtual TEditCharCase GetCharCase() const = 0;
  virtual void SetCharCase(TEditCharCase AValue) = 0;
};

class TOrvaneDBEdit : public TOrvaneDBControl, public IOrvaneDBEdit {
  CORE_DECLARE_CLASS()
 public:
  using TOrvaneDBEditDataLink = TOrvaneDBDataLink;

  explicit TOrvaneDBEdit(core::TComponent* AOwner);

  void SetDataSource(db::TDataSource* AValue) override { TOrvaneDBControl::SetDataSource(AValue); }
  db::TDataSource* GetDataSource() const override { return TOrvaneDBControl::GetDataSource(); }
  void SetDataField(const std::string& AValue) override { TOrvaneDBControl::SetDataField(AValue); }
  std::string GetDataField() const override { return TOrvaneDBControl::GetDataField(); }
  // Empty without a field or data; a date as "yyyy-mm-dd", a time stamp as
  // "yyyy-mm-dd hh:nn:ss" (empty for the zero date); else the field's text.
  std::string GetText() override;
  // Writes a changed text into the field (see the unit's comment); a text
  // that is not the date it should be throws EConvertError and changes
  // nothing.
  void SetText(const std::string& AValue) override;
  TEditCharCase GetCharCase() const override { return FCharCase; }
  void SetCharCase(TEditCharCase AValue) override { FCharCase = AValue; }
  TOrvaneFieldType GetDataType() const { return FDataType; }
  void SetDataType(TOrvaneFieldType AValue) { FDataType = AValue; }

  bool IsDBEdit() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "text".
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 private:
  // The input type of the bound field, while it is not known yet.
  void InferDataType();

  std::string FStoredText;
  TFormatSettings FFormatSettings;
  TOrvaneFieldType FDataType = TOrvaneFieldType::OrvaneFieldTypeAuto;
  TEditCharCase FCharCase = TEditCharCase::ecNormal;
};

}  // namespace orvane
