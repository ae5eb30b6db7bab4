// The dataset framework: fields, datasets with states and a record buffer,
// data sources and data links for data-aware controls, and the client-side
// filter. Datasets hold their fetched rows in memory; TQuery (FireBird.h)
// fills them from the database and writes posts back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/db/DateTime.h"

namespace db {

using TBytes = std::vector<uint8_t>;

// A data-access failure. The message is meant for the user (Portuguese).
class EDatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TFieldType {
  ftUnknown,
  ftString,  // text (UTF-8 in memory)
  ftMemo,    // text BLOB
  ftSmallint,
  ftInteger,
  ftLargeint,
  ftFloat,
  ftBoolean,
  ftDate,
  ftTime,
  ftDateTime,  // TIMESTAMP
  ftBlob,      // raw bytes
};

// A field or parameter value. Dates and times are TDateTime values in the
// double slot; the field's type tells them apart from plain numbers.
using TValue = std::variant<std::monostate, bool, int64_t, double, std::string, TBytes>;

bool IsNullValue(const TValue& v);

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Which fields take part in written changes.
enum TProviderFlag : unsigned { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4, pfHidden = 8 };
using TProviderFlags = unsigned;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A data field holds a column of the rows; a lookup field shows, for each
// row, a value found in another dataset.
enum class TFieldKind { fkData, fkLookup };

class TDataSet;
class TDataSource;

class TField {
 public:
  TField(TDataSet& ADataSet, std::string AFieldName, TFieldType ADataType, int ASize);

  TDataSet& DataSet() const { return FDataSet; }
  const std::string& FieldName() const { return FFieldName; }
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  int Index() const { return FIndex; }

  // Properties of the field definition.
  std::string DisplayLabel;  // defaults to the field name when empty
  std::string DisplayFormat;
  int DisplayWidth = 0;
  bool Required = false;
  bool ReadOnly = false;
  bool Visible = true;
  // A value the database assigns on insert (a generated key): the required
  // check lets a new row through with it empty.
  bool AutoGenerateValue = false;
  TProviderFlags ProviderFlags = pfInUpdate | pfInWhere;
  TAlignment Alignment = TAlignment::taLeftJustify;
  std::function<void(TField& Sender)> OnChange;

  // A lookup field (see TDataSet::AddLookupField): its value in a row is
  // LookupResultField of the first row of LookupDataSet whose
  // LookupKeyFields equals this dataset's field KeyFields in that row (one
  // field each); null when there is none or LookupDataSet is not active.
  // Setting it sets KeyFields to the key of the first lookup row showing
  // that value. It is never stored.
  TFieldKind FieldKind = TFieldKind::fkData;
  TDataSet* LookupDataSet = nullptr;
  std::string KeyFields;
  std::string LookupKeyFields;
  std::string LookupResultField;

  const std::string& GetDisplayLabel() const {
    return DisplayLabel.empty() ? FFieldName : DisplayLabel;
  }

  // The value of the current record (or of the record being edited).
  TValue Value() const;
  void SetValue(const TValue& AValue);
  bool IsNull() const;
  void Clear() { SetValue(TValue{}); }

  std::string AsString() const;
  void SetAsString(const std::string& AValue);
  int AsInteger() const { return static_cast<int>(AsLargeInt()); }
  void SetAsInteger(int AValue) { SetAsLargeInt(AValue); }
  int64_t AsLargeInt() const;
  void SetAsLargeInt(int64_t AValue);
  double AsFloat() const;
  void SetAsFloat(double AValue);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime AValue);
  bool AsBoolean() const;
  void SetAsBoolean(bool AValue);
  TBytes AsBytes() const;
  void SetAsBytes(const TBytes& AValue);

  // The value as shown in a grid or label (display format applied).
  std::string DisplayText() const { return DisplayTextOf(Value()); }
  // The value as edited in a text box; SetText parses it for the field type.
  std::string Text() const { return AsString(); }
  void SetText(const std::string& AText);
  // The same texts for any value of this field (a row read by record number).
  std::string DisplayTextOf(const TValue& AValue) const;
  std::string TextOf(const TValue& AValue) const;

  bool CanModify() const;

 private:
  friend class TDataSet;
  TDataSet& FDataSet;
  std::string FFieldName;
  TFieldType FDataType;
  int FSize;
  int FIndex = -1;
};

// Formats a number with a display format of '0' (digit), '#' (optional
// digit), '.' (decimal separator, shown as ','), ',' (thousands, shown as '.')
// and literal text, as the toolkit's FormatFloat does in Brazilian settings.
std::string FormatFloat(std::string_view AFormat, double AValue);
std::string FormatInteger(std::string_view AFormat, int64_t AValue);

// A compact, immutable stored row: null flags, offsets and the encoded values.
class TRecord {
 public:
  TRecord() = default;
  static TRecord Encode(const std::vector<TValue>& AValues);
  int FieldCount() const;
  bool IsNull(int AIndex) const;
  // The raw bytes of a value (UTF-8 text, blob bytes, or the 8 bytes of a number).
  std::string_view Raw(int AIndex) const;
  TValue Get(int AIndex, TFieldType AType) const;
  std::vector<TValue> Decode(const std::vector<TFieldType>& ATypes) const;

 private:
  std::unique_ptr<uint8_t[]> FData;
};

// ---------------------------------------------------------------------------
// Data links

enum class TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
};

// Connects something (a data-aware control) to a data source.
class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* ADataSource);
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly = false;
  // Puts the dataset into editing (or inserting, when it is empty) if the
  // data source allows it; returns whether the link is editing afterwards.
  bool Edit();
  // Asks the link to write its pending change into the record now.
  void UpdateRecord();

 protected:
  virtual void ActiveChanged() {}
  virtual void EditingChanged() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int) { DataSetChanged(); }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField*) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;
  void DataEvent(TDataEvent AEvent, TField* AField);
  void UpdateState();
  TDataSource* FDataSource = nullptr;
  bool FActive = false;
  bool FEditing = false;
  bool FUpdating = false;
};

// The link a single-field control uses.
class TFieldDataLink : public TDataLink {
 public:
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& AFieldName);
  TField* Field() const { return FField; }
  bool CanModify() const;
  // Marks the control's value as changed, to be written by UpdateRecord.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Discards the control's pending change and shows the field again.
  void Reset();

  std::function<void()> OnDataChange;
  std::function<void()> OnEditingChange;
  std::function<void()> OnUpdateData;
  std::function<void()> OnActiveChange;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;

 private:
  void UpdateField();
  std::string FFieldName;
  TField* FField = nullptr;
  bool FModified = false;
};

// ---------------------------------------------------------------------------

class TDataSource : public core::TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TDataSource(core::TComponent* AOwner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* ADataSet);
  TDataSetState State() const { return FState; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  bool AutoEdit = true;

  core::TNotifyEvent OnStateChange;
  std::function<void(core::TComponent* Sender, TField* Field)> OnDataChange;
  core::TNotifyEvent OnUpdateData;

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent AEvent, TField* AField);
  void NotifyLinks(TDataEvent AEvent, TField* AField);
  void SetState(TDataSetState AState);
  TDataSet* FDataSet = nullptr;
  TDataSetState FState = TDataSetState::dsInactive;
  bool FEnabled = true;
  std::vector<TDataLink*> FLinks;
};

class TFilterExpression;

using TDataSetNotifyEvent = std::function<void(TDataSet& DataSet)>;

// A dataset over rows held in memory. Subclasses fill the rows on open and
// apply posts and deletions somewhere (TQuery: the database).
class TDataSet : public core::TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TDataSet(core::TComponent* AOwner = nullptr);
  ~TDataSet() override;

  // Field definitions. Fields added here persist across open and close.
  TField& AddField(const std::string& AFieldName, TFieldType ADataType, int ASize = 0);
  // A lookup field (persistent, never written to the store).
  TField& AddLookupField(const std::string& AFieldName, TFieldType ADataType, int ASize,
                         const std::string& AKeyFields, TDataSet* ALookupDataSet,
                         const std::string& ALookupKeyFields,
                         const std::string& ALookupResultField);
  int FieldCount() const { return static_cast<int>(FFields.size()); }
  TField& Fields(int AIndex) const { return *FFields.at(AIndex); }
  TField* FindField(std::string_view AFieldName) const;
  // Throws EDatabaseError when there is no such field.
  TField& FieldByName(std::string_view AFieldName) const;

  void Open();
  void Close();
  bool Active() const { return FState != TDataSetState::dsInactive; }
  void SetActive(bool AValue) { AValue ? Open() : Close(); }
  TDataSetState State() const { return FState; }
  bool Modified() const { return FModified; }

  // Navigation over the rows that pass the filter.
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int ADistance);
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  bool IsEmpty() const;
  int RecordCount() const;
  // 1-based position of the current record; 0 when there is none.
  int RecNo() const;
  void SetRecNo(int AValue);
  bool Locate(std::string_view AFieldName, const TValue& AValue, bool ACaseInsensitive = false);
  // The result field of the first row whose key field equals AKeyValue (read
  // like RowValue: the cursor stays); null when no row matches.
  TValue Lookup(std::string_view AKeyField, const TValue& AKeyValue, std::string_view AResultField);

  // Rows by record number, without the cursor.
  //
  // Any row can be read by its record number: 1..RecordCount(), the numbers
  // RecNo() gives, counted over the rows that pass the filter. Reading never
  // moves the cursor, never changes the state and fires nothing (no
  // AfterScroll, no data event), so grids, lookup lists and web requests can
  // read every row while a record is being edited or inserted.
  //  - The record being edited reads with its edited values.
  //  - A record being inserted has no record number until it is posted
  //    (RecNo() is 0 meanwhile); read it through the fields, as the current
  //    record. RecordCount() counts the stored rows only.
  //  - A record number outside 1..RecordCount(), or an inactive dataset,
  //    reads as null.
  // A read is an index into the rows held in memory and a decode of one
  // value: cheap enough to serialise a hundred thousand rows. AField must be
  // a field of this dataset (EDatabaseError otherwise). Like the rest of the
  // dataset, reads belong to the thread that uses the dataset.
  TValue RowValue(int ARecNo, const TField& AField) const;
  TValue RowValue(int ARecNo, int AFieldIndex) const;
  bool RowIsNull(int ARecNo, const TField& AField) const;
  // AField.AsString() / AField.DisplayText() of that row.
  std::string RowText(int ARecNo, const TField& AField) const;
  std::string RowDisplayText(int ARecNo, const TField& AField) const;

  void Append();
  void Insert();
  // Editing an empty dataset starts an insert instead.
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Re-reads the rows, keeping the current position by record number.
  void Refresh();
  // Writes pending control changes into the record (links' UpdateData).
  void UpdateRecord();

  // Client-side filter over the fetched rows, in the filter language
  // (LIKE with % and _, comparisons, AND, OR, NOT, IS NULL, parentheses,
  // quoted literals with doubled quotes).
  const std::string& Filter() const { return FFilter; }
  void SetFilter(const std::string& AFilter);
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool AValue);

  void DisableControls() { ++FDisableCount; }
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount > 0; }

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, OnNewRecord;
  TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforePost, AfterPost;
  TDataSetNotifyEvent BeforeCancel, AfterCancel, BeforeDelete, AfterDelete;
  TDataSetNotifyEvent AfterScroll;

  // Used by fields.
  TValue GetFieldValue(const TField& AField) const;
  void SetFieldValue(TField& AField, const TValue& AValue);
  // Raw view of a stored value of the current record (no copy); empty for
  // the record being edited.
  const TRecord* CurrentRecord() const;

 protected:
  // Fills ARows with the dataset's rows; may add fields when none are defined.
  virtual void InternalOpen(std::vector<TRecord>& ARows) = 0;
  virtual void InternalClose() {}
  // Writes an inserted or edited row. AOld is null for an insert; AValues
  // may be updated with what the store assigned (keys).
  virtual void InternalPost(const std::vector<TValue>* AOld, std::vector<TValue>& AValues) = 0;
  virtual void InternalDelete(const std::vector<TValue>& AValues) = 0;
  // Refuses a value the store cannot hold (throws EDatabaseError).
  virtual void ValidateFieldValue(const TField&, const TValue&) {}
  // Dynamic fields created by InternalOpen are removed on close.
  TField& AddDynamicField(const std::string& AFieldName, TFieldType ADataType, int ASize);
  std::vector<TFieldType> FieldTypes() const;
  void DataEvent(TDataEvent AEvent, TField* AField = nullptr);

 private:
  friend class TDataSource;
  friend class TField;
  void CheckActive() const;
  void CheckBrowseMode();
  void SetState(TDataSetState AState);
  void RebuildView();
  void ViewRowInserted(int ARowIndex);
  void ViewRowChanged(int ARowIndex);
  void ViewRowRemoved(int ARowIndex);
  void ApplyFilter();
  void CheckRequiredFields();
  void StartInsert(bool AAppend);
  void Scrolled();
  bool RecordPasses(const TRecord& ARecord) const;
  int FindViewIndex(int ARowIndex) const;
  // The stored row of a record number, or null; AEdited tells that the row
  // is the record being edited (its values are in FBuffer).
  const TRecord* RowOf(int ARecNo, bool& AEdited) const;
  void CheckOwnField(const TField& AField) const;
  // The value a lookup field shows for a key value of its key field.
  TValue LookupValueOf(const TField& AField, const TValue& AKey) const;
  void SetLookupFieldValue(TField& AField, const TValue& AValue);

  std::vector<std::unique_ptr<TField>> FFields;
  size_t FPersistentFieldCount = 0;
  std::vector<TRecord> FRows;
  std::vector<int> FView;  // indices into FRows of the rows passing the filter
  int FCursor = -1;        // index into FView; -1 when there is no row
  bool FEof = true;
  bool FBof = true;
  TDataSetState FState = TDataSetState::dsInactive;
  std::vector<TValue> FBuffer;  // the record being edited or inserted
  bool FModified = false;
  int FInsertAt = -1;  // row index the inserted record goes before (-1: end)
  std::string FFilter;
  bool FFiltered = false;
  std::unique_ptr<TFilterExpression> FFilterExpr;
  std::vector<TDataSource*> FDataSources;
  int FDisableCount = 0;
  bool FPendingChange = false;
};

// A dataset whose rows live only in memory (posts stay in memory).
class TMemDataSet : public TDataSet {
  CORE_DECLARE_CLASS()
 public:
  using TDataSet::TDataSet;

 protected:
  void InternalOpen(std::vector<TRecord>&) override {}
  void InternalPost(const std::vector<TValue>*, std::vector<TValue>&) override {}
  void InternalDelete(const std::vector<TValue>&) override {}
};

const char* StateName(TDataSetState AState);

}  // namespace db
