// The data-aware web lookup combo box: a select element listing the rows of
// a list dataset (the key field's value as each option's value, the list
// field's text as its label) whose selection is the key held in a field of
// the data source's current record. The key the visitor chose reaches the
// field before an event runs. At most MaxRecords rows are listed, read by
// record number (the list dataset never moves); a current key beyond them
// or absent from the list still shows, as an option of its own, so it is
// never overwritten unseen. The options are rendered again when the list
// dataset opens or its rows change.
#pragma once

#include <string>
#include <vector>

#include "orvane/controls/Orvane.DBControl.h"
#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBLookupCombobox {
 public:
  virtual ~IOrvaneDBLookupCombobox() = default;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  virtual void SetDataField(const std::string& AValue) = 0;
  virtual std::string GetDataField() const = 0;
  virtual void SetListDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetListDataSource() const = 0;
  virtual std::string GetListDataField() const = 0;
  virtual void SetListDataField(const std::string& AValue) = 0;
  virtual std::string GetKeyDataField() const = 0;
  virtual void SetKeyDataField(const std::string& AValue) = 0;
  virtual int GetMaxRecords() const = 0;
  virtual void SetMaxRecords(int AValue) = 0;
  virtual void SetSelectedItem(const std::string& AValue) = 0;
  virtual std::string GetSelectedItem() = 0;
  virtual void SetProcGetText(TOnGetValue AValue) = 0;
  virtual void SetProcSetText(TOnSetValue AValue) = 0;
};

class TOrvaneDBLookupCombobox : public TOrvaneDBControl, public IOrvaneDBLookupCombobox {
  CORE_DECLARE_CLASS()
 public:
  using TOrvaneDBLookupComboboxDataLink = TOrvaneDBDataLink;

  // The link to the list dataset.
  class TOrvaneDBLookupComboboxListDataLink : public db::TDataLink {
   public:
    explicit TOrvaneDBLookupComboboxListDataLink(TOrvaneDBLookupCombobox& AControl)
        : FControl(AControl) {}
    std::string FKeyFieldName;
    std::string FieldName;

   protected:
    void ActiveChanged() override;
    void DataSetChanged() override { FControl.UpdateData(); }
    void LayoutChanged() override { FControl.UpdateData(); }
    void RecordChanged(db::TField*) override { FControl.UpdateData(); }
    // Moving the list dataset changes no option.
    void DataSetScrolled(int) override {}

   private:
    TOrvaneDBLookupCombobox& FControl;
    bool FDataActive = false;
  };

  explicit TOrvaneDBLookupCombobox(core::TComponent* AOwner);
  ~TOrvaneDBLookupCombobox() override;

  void SetDataSource(db::TDataSource* AValue) override { TOrvaneDBControl::SetDataSource(AValue); }
  db::TDataSource* GetDataSource() const override { return TOrvaneDBControl::GetDataSource(); }
  void SetDataField(const std::string& AValue) override { TOrvaneDBControl::SetDataField(AValue); }
  std::string GetDataField() const override { return TOrvaneDBControl::GetDataField(); }
  void SetListDataSource(db::TDataSource* AValue) override;
  db::TDataSource* GetListDataSource() const override { return FListDataLink.DataSource(); }
  std::string GetListDataField() const override { return FListDataLink.FieldName; }
  void SetListDataField(const std::string& AValue) override { FListDataLink.FieldName = AValue; }
  std::string GetKeyDataField() const override { return FListDataLink.FKeyFieldName; }
  void SetKeyDataField(const std::string& AValue) override {
    FListDataLink.FKeyFieldName = AValue;
  }
  int GetMaxRecords() const override { return FMaxRecords; }
  void SetMaxRecords(int AValue) override { FMaxRecords = AValue; }
  // Writes a changed key into the field, putting an idle dataset into
  // editing while the browser's states are applied; without data, hands it
  // to the desktop control.
  void SetSelectedItem(const std::string& AValue) override;
  // The field's text when data is available; else the desktop control's
  // text; else empty.
  std::string GetSelectedItem() override;
  void SetProcGetText(TOnGetValue AValue) override { FProcGetText = std::move(AValue); }
  void SetProcSetText(TOnSetValue AValue) override { FProcSetText = std::move(AValue); }

  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "selectedvalue". An empty value (no option chosen) leaves the
  // field as it is.
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;
  // The keys of the options last rendered.
  const std::vector<std::string>& RenderedKeys() const { return FRenderedKeys; }

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;
  void ClearHooks() override;

 private:
  std::string OptionsHTML();

  TOnSetValue FProcSetText;
  TOnGetValue FProcGetText;
  TOrvaneDBLookupComboboxListDataLink FListDataLink{*this};
  std::string FStoredSelectedItem;
  int FMaxRecords = 1000;
  std::vector<std::string> FRenderedKeys;
};

}  // namespace orvane
