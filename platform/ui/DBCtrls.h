// Data-aware controls: each shows a field of the current record of a data
// source and, when the user changes it, puts the dataset into editing and
// writes the value back when the record is posted (or the control is left).
#pragma once

#include <string>
#include <vector>

#include "platform/db/DB.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

// The binding of a control to one field. Its link's callbacks are dropped
// before the link detaches, so a control being destroyed is never called back.
class TFieldBinding {
 public:
  TFieldBinding() = default;
  ~TFieldBinding();
  TFieldBinding(const TFieldBinding&) = delete;
  TFieldBinding& operator=(const TFieldBinding&) = delete;

  db::TFieldDataLink Link;
  // Set while the control is being filled from the field.
  bool Filling = false;

  db::TDataSource* DataSource() const { return Link.DataSource(); }
  const std::string& DataField() const { return Link.FieldName(); }
  db::TField* Field() const { return Link.Field(); }
  // Puts the dataset into editing when the field may be changed; false when not.
  bool BeginChange(bool AControlReadOnly);
  // For a change already made to the control: starts the edit (which shows
  // the field again) and then puts the control's new value back through
  // ARestore. Marks the link modified; false when the field cannot change.
  bool ChangeMade(bool AControlReadOnly, const std::function<void()>& ARestore);
};

// Adds the published DataSource / DataField properties to a class table.
template <class T>
void AddDataProperties(TClassInfo& c) {
  c.AddProperty(MakeProp<T, std::string>(
      "DataField", TPropKind::String, "string", [](const T& o) { return o.DataField(); },
      [](T& o, std::string v) { o.SetDataField(v); }));
  c.AddProperty(MakeProp<T, db::TDataSource*>(
      "DataSource", TPropKind::Component, "TDataSource", [](const T& o) { return o.DataSource(); },
      [](T& o, db::TDataSource* v) { o.SetDataSource(v); }));
}

#define UI_DATA_BINDING_MEMBERS()                \
 public:                                         \
  db::TDataSource* DataSource() const {          \
    return FBinding.DataSource();                \
  }                                              \
  void SetDataSource(db::TDataSource* AValue) {  \
    FBinding.Link.SetDataSource(AValue);         \
  }                                              \
  const std::string& DataField() const {         \
    return FBinding.DataField();                 \
  }                                              \
  void SetDataField(const std::string& AValue) { \
    FBinding.Link.SetFieldName(AValue);          \
  }                                              \
  db::TField* Field() const {                    \
    return FBinding.Field();                     \
  }                                              \
                                                 \
 protected:                                      \
  TFieldBinding FBinding;

// Shows the field's display text.
class TDBText : public TCustomLabel {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBText(TComponent* AOwner);

 private:
  void DataChange();
};

class TDBEdit : public TCustomEdit {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBEdit(TComponent* AOwner);
  // Shows the field's display text; entering the control shows its edit text
  // when the field can be changed here.
  void DoEnter() override;
  // Leaving the control writes its change into the record; an invalid value
  // keeps the focus here and is reported.
  void DoExit() override;

 protected:
  void Change() override;
  bool CanEditByUser() override;
  void KeyDown(uint16_t& AKey, TShiftState AShift) override;

 private:
  void DataChange();
  void UpdateData();
};

class TDBMemo : public TCustomMemo {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBMemo(TComponent* AOwner);
  void DoExit() override;

 protected:
  void Change() override;
  bool CanEditByUser() override;
  void KeyDown(uint16_t& AKey, TShiftState AShift) override;

 private:
  void DataChange();
  void UpdateData();
};

// A check box on a Boolean field, or on a text field holding ValueChecked /
// ValueUnchecked (each may list alternatives separated by ';'; the first is
// written). A null field shows grayed when AllowGrayed, else unchecked.
class TDBCheckBox : public TCustomCheckBox {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBCheckBox(TComponent* AOwner);
  const std::string& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const std::string& AValue);
  const std::string& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const std::string& AValue);
  void SetState(TCheckBoxState AValue) override;
  void Toggle() override;
  void DoExit() override;

 private:
  void DataChange();
  void UpdateData();
  std::string FValueChecked = "True";
  std::string FValueUnchecked = "False";
};

// A combo box whose text is the field's value; the list offers fixed values.
class TDBComboBox : public TCustomComboBox {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBComboBox(TComponent* AOwner);
  void DoExit() override;

 protected:
  void Change() override;
  bool CanEditByUser() override;

 private:
  void DataChange();
  void UpdateData();
};

// A drop-down list of the rows of a list dataset (ListSource): it shows
// ListField (the first of several separated by ';') and stores KeyField of
// the chosen row into DataField of the data source at once.
class TDBLookupComboBox : public TCustomComboBox {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBLookupComboBox(TComponent* AOwner);
  ~TDBLookupComboBox() override;

  db::TDataSource* ListSource() const { return FListLink.DataSource(); }
  void SetListSource(db::TDataSource* AValue);
  const std::string& ListField() const { return FListField; }
  void SetListField(const std::string& AValue);
  const std::string& KeyField() const { return FKeyField; }
  void SetKeyField(const std::string& AValue);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool AValue) { FReadOnly = AValue; }
  // The key of the shown entry (null when none).
  db::TValue KeyValue() const;
  void SetKeyValue(const db::TValue& AValue);
  // The keys of the list entries, in list order.
  const std::vector<db::TValue>& ListKeys() const { return FKeys; }
  void SelectByUser(int AIndex) override;
  // Rebuilds the list from the list dataset.
  void RefreshList();

 protected:
  bool CanEditByUser() override;

 private:
  class TListLink : public db::TDataLink {
   public:
    explicit TListLink(TDBLookupComboBox& AOwner) : FOwner(AOwner) {}

   protected:
    void ActiveChanged() override { FOwner.RefreshList(); }
    void DataSetChanged() override { FOwner.RefreshList(); }
    void LayoutChanged() override { FOwner.RefreshList(); }
    void RecordChanged(db::TField*) override {}
    void DataSetScrolled(int) override {}

   private:
    TDBLookupComboBox& FOwner;
  };
  void DataChange();
  void ShowKey(const db::TValue& AKey);
  std::string DisplayFieldName() const;

  TListLink FListLink{*this};
  std::string FListField;
  std::string FKeyField;
  bool FReadOnly = false;
  std::vector<db::TValue> FKeys;
  db::TValue FKeyValue;
};

// A picture held in a blob field (PNG, BMP, ICO or JPEG bytes).
class TDBImage : public TCustomControl, public TPictureView {
  CORE_DECLARE_CLASS()
  UI_DATA_BINDING_MEMBERS()
 public:
  explicit TDBImage(TComponent* AOwner);
  // Changing the picture (loading a file, pasting) edits the record; a
  // read-only field or image refuses with EToolkitError.
  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool AValue);
  bool Center() const { return FCenter; }
  void SetCenter(bool AValue);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool AValue);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool AValue) { FReadOnly = AValue; }
  void PasteFromClipboard();
  void CopyToClipboard();
  void CutToClipboard();
  void DoExit() override;
  const TPicture& ShownPicture() const override { return FPicture; }
  TRect PictureRect() const override;

 protected:
  void KeyDown(uint16_t& AKey, TShiftState AShift) override;

 private:
  void DataChange();
  void UpdateData();
  void PictureChanged();
  TPicture FPicture;
  bool FStretch = false;
  bool FCenter = true;
  bool FProportional = false;
  bool FReadOnly = false;
};

// True when two field values are equal (numbers compared by value).
bool SameValue(const db::TValue& A, const db::TValue& B);

}  // namespace ui
