// The web data grid: the rows of a dataset in a jqGrid grid. The page loads
// the rows as JSON from the grid data route and pages and sorts them itself;
// a click on a row moves the dataset to it; with multi-selection the checked
// rows are kept; editable cells are posted back one row at a time and
// written into the dataset; buttons inside cells reach the bridge form.
//
// Rows are read by record number: the dataset's cursor never moves to serve
// the page, and a record being edited stays so. An edited row names its
// record by the key the row JSON carried, so an edit reaches that record
// whatever the page sorted. Everything here runs inside the session's forms
// guard (the grid data route, the message dispatch and the observer enter
// it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvane/controls/Orvane.DBGrid.Columns.h"
#include "orvane/controls/Orvane.Forms.Controls.h"
#include "orvane/controls/Orvane.Types.h"
#include "platform/db/DB.h"

namespace orvane {

class IOrvaneDBGrid {
 public:
  virtual ~IOrvaneDBGrid() = default;
  // The most rows sent to the page (0: all).
  virtual int GetMaxRecords() const = 0;
  virtual void SetMaxRecords(int AValue) = 0;
  virtual int GetRecordsPerPage() const = 0;
  virtual void SetRecordsPerPage(int AValue) = 0;
  virtual bool GetMultiSelect() const = 0;
  virtual void SetMultiSelect(bool AValue) = 0;
  virtual void SetDataSource(db::TDataSource* AValue) = 0;
  virtual db::TDataSource* GetDataSource() const = 0;
  // 0 without a dataset, -1 when it is inactive, else its record number.
  virtual int GetRecNo() const = 0;
  // Moves the dataset to record AValue when it is active, has that record
  // and is elsewhere.
  virtual void SetRecNo(int AValue) = 0;
  // The rows as JSON ("[]" without an active dataset).
  virtual std::string GetDataToJSON() = 0;
  // Record numbers of the checked rows; FSelectAll stands for every row.
  virtual const std::vector<int>& GetSelectedRowsID() const = 0;
  virtual void SetSelectedRow(bool AValue) = 0;
  // Whether the current record's row is checked.
  virtual bool GetSelectedRow() = 0;
  virtual bool GetEditable() = 0;
  // Applies an edited row (JSON); false with a message when it was refused
  // or failed, and then nothing was written.
  virtual bool CellPostbyJSON(const std::string& AContent, std::string& ARowID,
                              std::string& AErrorMessage) = 0;
  virtual IOrvaneDBGridColumns& Columns() = 0;
  virtual void SetProcGetSelectedRow(TOnGetValue AValue) = 0;
  virtual void SetProcSetSelectedRow(TOnSetValue AValue) = 0;
  virtual void SetProcGetEditable(TOnGetValue AValue) = 0;
};

class TOrvaneDBGrid : public TOrvaneControl, public IOrvaneDBGrid, public IOrvaneDBGridREST {
  CORE_DECLARE_CLASS()
 public:
  // In FSelectedRowsID: every row is checked.
  static constexpr int FSelectAll = -9999;

  explicit TOrvaneDBGrid(core::TComponent* AOwner);
  ~TOrvaneDBGrid() override;

  // --- IOrvaneDBGrid ---
  int GetMaxRecords() const override { return FMaxRecords; }
  void SetMaxRecords(int AValue) override { FMaxRecords = AValue < 0 ? 0 : AValue; }
  int GetRecordsPerPage() const override { return FRecordsPerPage; }
  void SetRecordsPerPage(int AValue) override { FRecordsPerPage = AValue < 1 ? 1 : AValue; }
  bool GetMultiSelect() const override { return FMultiSelect; }
  void SetMultiSelect(bool AValue) override { FMultiSelect = AValue; }
  void SetDataSource(db::TDataSource* AValue) override;
  db::TDataSource* GetDataSource() const override { return FDataLink->DataSource(); }
  int GetRecNo() const override;
  void SetRecNo(int AValue) override;
  std::string GetDataToJSON() override;
  const std::vector<int>& GetSelectedRowsID() const override { return FSelectedRowsID; }
  void SetSelectedRow(bool AValue) override;
  bool GetSelectedRow() override;
  bool GetEditable() override;
  bool CellPostbyJSON(const std::string& AContent, std::string& ARowID,
                      std::string& AErrorMessage) override;
  IOrvaneDBGridColumns& Columns() override { return FOrvaneDBGridColumns; }
  void SetProcGetSelectedRow(TOnGetValue AValue) override {
    FProcGetSelectedRow = std::move(AValue);
  }
  void SetProcSetSelectedRow(TOnSetValue AValue) override {
    FProcSetSelectedRow = std::move(AValue);
  }
  void SetProcGetEditable(TOnGetValue AValue) override { FProcGetEditable = std::move(AValue); }

  // --- the grid data route ---
  std::string RESTRows() override { return GetDataToJSON(); }
  bool RESTCellPost(const std::string& AContent, std::string& ARowID,
                    std::string& AErrorMessage) override {
    return CellPostbyJSON(AContent, ARowID, AErrorMessage);
  }

  // --- the web control ---
  bool IsDBGrid() override { return true; }
  void Initialize() override;
  // The table, the pager and the script that makes them a jqGrid grid.
  void ProcessHTML() override;
  // The base part; then the editing switch, and the reload of the rows
  // after the dataset opened or its rows changed.
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;
  // Row selection, checks and select-all from the page's events.
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>& AEvent,
                              TStringList& AParameters) override;
  void ProcessComponentState(const nlohmann::json&) override {}
  bool GetEnableComponentState() override { return false; }

  // A click on a cell button: moves to the row and runs the button's
  // handlers through the form.
  void OnCellButtonClick(TStringList& AParameters);
  // The column models of the visible columns, in ascending column index,
  // joined with "," and a line break.
  std::string ColumnsToColModel();
  // The columns of the grid.
  TOrvaneDBGridColumns& GridColumns() { return FOrvaneDBGridColumns; }
  // The dataset of the data source, or null.
  db::TDataSet* DataSet() const;
  bool GetRefreshData() const { return FRefreshData; }
  bool GetStoredEditable() const { return FStoredEditable; }
  int GetStoredRecNo() const { return FStoredRecNo; }

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;
  void ClearHooks() override;

 private:
  class TOrvaneDBGridDataLink : public db::TDataLink {
   public:
    explicit TOrvaneDBGridDataLink(TOrvaneDBGrid& AGrid) : FGrid(AGrid) {}
    bool DataActive() const { return FDataActive; }

   protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int) override {}
    void RecordChanged(db::TField*) override {}
    void UpdateData() override;

   private:
    TOrvaneDBGrid& FGrid;
    bool FDataActive = false;
  };

  // Marks the rows for reloading when the page is loaded.
  void UpdateData();
  // The record the posted row names: its key, else its record number.
  int PostedRecNo(const nlohmann::json& ARow, std::string& AErrorMessage);
  // Shows an error in the page (a failure while moving the dataset).
  void ShowError(const std::string& AMessage);
  // The statements that restore the edited row and reset the columns.
  void AppendColumnReset(TStringList& ScriptJS);
  std::string EventStatement(TOrvaneEventType AType, const std::string& AIndent);

  TOnGetValue FProcGetSelectedRow;
  TOnSetValue FProcSetSelectedRow;
  TOnGetValue FProcGetEditable;
  int FStoredRecNo = 0;
  bool FStoredSelectedRow = false;
  bool FStoredEditable = false;
  TOrvaneDBGridColumns FOrvaneDBGridColumns{this};
  bool FMultiSelect = false;
  std::vector<int> FSelectedRowsID;
  bool FRefreshData = false;
  int FMaxRecords = 5000;
  int FRecordsPerPage = 100;
  std::unique_ptr<TOrvaneDBGridDataLink> FDataLink;
};

}  // namespace orvane
