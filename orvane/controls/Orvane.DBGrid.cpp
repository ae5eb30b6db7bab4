#include "orvane/controls/Orvane.DBGrid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/controls/Orvane.JSONHelper.h"
#include "orvane/server/Orvane.BaseClass.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/db/DateTime.h"

namespace orvane {

namespace {

const char* const kCRLF = "\r\n";

std::string Trim(const std::string& AText) {
  size_t b = AText.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = AText.find_last_not_of(" \t\r\n");
  return AText.substr(b, e - b + 1);
}

// A whole decimal number; false for anything else (blanks around allowed).
bool ReadInteger(const std::string& AText, int64_t& AValue) {
  std::string t = Trim(AText);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), AValue);
  return ec == std::errc() && end == t.data() + t.size();
}

bool ReadInt(const std::string& AText, int& AValue) {
  int64_t v;
  if (!ReadInteger(AText, v) || v < INT32_MIN || v > INT32_MAX) return false;
  AValue = static_cast<int>(v);
  return true;
}

// A number typed with the settings' decimal separator (after PrepareFloat);
// thousand separators before it are dropped. Only finite numbers.
bool ReadNumber(const std::string& AText, const TFormatSettings& ASettings, double& AValue) {
  const char d = ASettings.DecimalSeparator ? ASettings.DecimalSeparator : ',';
  const char t = ASettings.ThousandSeparator ? ASettings.ThousandSeparator : '.';
  std::string text = Trim(PrepareFloat(Trim(AText), ASettings));
  std::string plain;
  bool hasDecimal = text.find(d) != std::string::npos;
  for (char c : text) {
    if (c == t && hasDecimal) continue;
    plain += c == d ? '.' : c;
  }
  if (plain.empty()) return false;
  for (char c : plain)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
          c == 'e' || c == 'E'))
      return false;
  char* end = nullptr;
  AValue = std::strtod(plain.c_str(), &end);
  return end && *end == '\0' && std::isfinite(AValue);
}

// The text of a posted JSON value.
std::string PostedText(const nlohmann::json& AValue) {
  if (AValue.is_string()) return AValue.get<std::string>();
  if (AValue.is_null()) return "";
  return AValue.dump();
}

bool Writable(const db::TField& AField) {
  return !AField.ReadOnly && (AField.ProviderFlags & db::pfInUpdate) &&
         !(AField.ProviderFlags & db::pfInKey);
}

// The members of a posted row that are not cells.
bool ControlMember(const std::string& AName) {
  return AName == "oper" || AName == "id" || AName == "rowindex" || AName == kOrvaneKey;
}

// One cell change to apply.
struct TCellChange {
  db::TField* Field = nullptr;
  enum class TKind { Clear, Text, Integer, Number, DateTime, Value } Kind = TKind::Text;
  std::string Text;
  int64_t Integer = 0;
  double Number = 0;
  db::TValue Value;
};

class ECellRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string NotAccepted(const std::string& AValue, const std::string& ATitle) {
  return "O valor \"" + AValue + "\" não foi aceito na coluna " + ATitle +
         ", insira um valor válido e tente novamente";
}

// The record numbers of a "rowsids" parameter ("3,5,9"); false when it is
// missing.
bool ReadRowIDs(const TStringList& AParameters, std::vector<int>& ARows) {
  bool present = false;
  for (const std::string& item : AParameters)
    if (item.size() >= 8 && core::SameText(item.substr(0, 8), "rowsids=")) present = true;
  if (!present) return false;
  std::string text = ValueOf(AParameters, "rowsids");
  size_t i = 0;
  while (i <= text.size()) {
    size_t e = text.find(',', i);
    if (e == std::string::npos) e = text.size();
    std::string id = text.substr(i, e - i);
    if (id.rfind("jqg", 0) == 0) id.erase(0, 3);
    int rec;
    if (ReadInt(id, rec) && rec > 0 && std::find(ARows.begin(), ARows.end(), rec) == ARows.end())
      ARows.push_back(rec);
    i = e + 1;
  }
  return true;
}

}  // namespace

const core::TClassInfo& TOrvaneDBGrid::StaticClass() {
  static core::TClassInfo info("TOrvaneDBGrid", &TOrvaneControl::StaticClass(),
                               core::FactoryOf<TOrvaneDBGrid>());
  return info;
}

TOrvaneDBGrid::TOrvaneDBGrid(core::TComponent* AOwner)
    : TOrvaneControl(AOwner), FDataLink(std::make_unique<TOrvaneDBGridDataLink>(*this)) {
  auto events = GetEvents();
  for (TOrvaneEventType type :
       {TOrvaneEventType::EventOnLoadJSON, TOrvaneEventType::EventOnCellPost}) {
    auto event = std::make_shared<TOrvaneControlEvent>(this, type);
    event->SetOnEvent(TOnGetStrEvent([this] { return GetDataToJSON(); }));
    event->SetAutoPublishedEvent(false);
    events->Add(event);
  }
  events->Add(
      TOrvaneEventType::EventOnCellButtonClick,
      [this](TStringList& AParameters) { OnCellButtonClick(AParameters); }, false);
}

TOrvaneDBGrid::~TOrvaneDBGrid() {
  BeginDestroy();
  SetDataSource(nullptr);
  FDataLink.reset();
}

db::TDataSet* TOrvaneDBGrid::DataSet() const {
  return FDataLink ? FDataLink->DataSet() : nullptr;
}

void TOrvaneDBGrid::SetDataSource(db::TDataSource* AValue) {
  db::TDataSource* old = FDataLink ? FDataLink->DataSource() : nullptr;
  if (old == AValue) return;
  if (old) RemoveFreeNotification(old);
  FDataLink->SetDataSource(AValue);
  if (AValue) FreeNotification(AValue);
}

void TOrvaneDBGrid::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  TOrvaneControl::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && FDataLink &&
      AComponent == FDataLink->DataSource())
    FDataLink->SetDataSource(nullptr);
}

void TOrvaneDBGrid::ClearHooks() {
  TOrvaneControl::ClearHooks();
  FProcGetSelectedRow = nullptr;
  FProcSetSelectedRow = nullptr;
  FProcGetEditable = nullptr;
}

int TOrvaneDBGrid::GetRecNo() const {
  db::TDataSet* ds = DataSet();
  if (!ds) return 0;
  if (!ds->Active()) return -1;
  return ds->RecNo();
}

void TOrvaneDBGrid::SetRecNo(int AValue) {
  db::TDataSet* ds = DataSet();
  if (ds && ds->Active() && AValue >= 1 && AValue <= ds->RecordCount() && AValue != ds->RecNo())
    ds->SetRecNo(AValue);
  FStoredRecNo = AValue;
}

std::string TOrvaneDBGrid::GetDataToJSON() {
  db::TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return "[]";
  return DataSetToJSON(*ds, FOrvaneDBGridColumns.GetColumnsNameToJSON(), FMaxRecords, true);
}

void TOrvaneDBGrid::SetSelectedRow(bool AValue) {
  if (FProcSetSelectedRow && AValue != FStoredSelectedRow) FProcSetSelectedRow(AValue);
  FStoredSelectedRow = AValue;
}

bool TOrvaneDBGrid::GetSelectedRow() {
  db::TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return false;
  int rec = ds->RecNo();
  if (std::find(FSelectedRowsID.begin(), FSelectedRowsID.end(), FSelectAll) !=
      FSelectedRowsID.end())
    return FMaxRecords == 0 || rec <= FMaxRecords;
  if (FProcGetSelectedRow) return VarToBool(FProcGetSelectedRow());
  // The checked rows of the page: the current record is one of them.
  return rec > 0 &&
         std::find(FSelectedRowsID.begin(), FSelectedRowsID.end(), rec) != FSelectedRowsID.end();
}

bool TOrvaneDBGrid::GetEditable() {
  return FProcGetEditable ? VarToBool(FProcGetEditable()) : FStoredEditable;
}

void TOrvaneDBGrid::Initialize() {
  TOrvaneControl::Initialize();
  FStoredRecNo = GetRecNo();
  FStoredSelectedRow = GetSelectedRow();
  FStoredEditable = GetEditable();
}

// ---------------------------------------------------------------------------
// Data events

void TOrvaneDBGrid::TOrvaneDBGridDataLink::ActiveChanged() {
  bool active = Active();
  if (active && !FDataActive) FGrid.UpdateData();
  FDataActive = active;
  if (!active) FGrid.FSelectedRowsID.clear();
}

void TOrvaneDBGrid::TOrvaneDBGridDataLink::DataSetChanged() {
  // The rows changed as a whole (posted, deleted, filtered, read again):
  // the page's copy is out of date.
  FGrid.UpdateData();
}

void TOrvaneDBGrid::TOrvaneDBGridDataLink::UpdateData() {
  FGrid.UpdateData();
}

void TOrvaneDBGrid::UpdateData() {
  if (FForm && FForm->GetFormPageState() == TOrvanePageState::PageStateLoaded) FRefreshData = true;
}

// ---------------------------------------------------------------------------
// The observer's updates

void TOrvaneDBGrid::AppendColumnReset(TStringList& ScriptJS) {
  const std::string grid = "$(\"#" + ID() + "\")";
  ScriptJS.push_back(grid + ".jqGrid(\"restoreRow\", " + grid +
                     ".jqGrid(\"getGridParam\", \"selrow\"));");
  ScriptJS.push_back("SelectedCol" + ID() + " = -1;");
  ScriptJS.push_back("lastEditRowID" + ID() + " = null;");
  for (const auto& column : FOrvaneDBGridColumns.ByIndex()) {
    if (!column->GetVisible()) continue;
    std::string model = column->ColModelToList();
    ScriptJS.push_back(grid + ".jqGrid(\"setColProp\", " + FormatValueHTML(column->ColName()) +
                       ", " + model + ");");
  }
}

void TOrvaneDBGrid::UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) {
  TOrvaneControl::UpdateServerControls(ScriptJS, AForceUpdate);
  const std::string grid = "$(\"#" + ID() + "\")";
  bool editable = GetEditable();
  if (editable != FStoredEditable) {
    FStoredEditable = editable;
    AppendColumnReset(ScriptJS);
    const char* flag = editable ? "true" : "false";
    ScriptJS.push_back(grid + ".jqGrid(\"setGridParam\", { editable: " + flag +
                       ", celledit: " + flag + " });");
    ScriptJS.push_back(grid + ".trigger(\"reloadGrid\", { fromServer: false, page: 1 } );");
  }
  db::TDataSet* ds = DataSet();
  bool loaded = FForm && FForm->GetFormPageState() == TOrvanePageState::PageStateLoaded;
  if (ds && ds->Active() && (AForceUpdate || loaded) && (AForceUpdate || FRefreshData)) {
    AppendColumnReset(ScriptJS);
    // Once loaded, the grid keeps its rows as local data: it asks the server
    // again only as a grid of JSON.
    ScriptJS.push_back(
        grid +
        ".jqGrid(\"setGridParam\", { datatype: \"json\" }).data(\"orvaneFromServer\", true);");
    ScriptJS.push_back(grid + ".trigger(\"reloadGrid\", { fromServer: true, page: 1 } );");
    if (loaded) {
      FRefreshData = false;
      // The page's checks go with its rows.
      FSelectedRowsID.clear();
    }
  }
}

// ---------------------------------------------------------------------------
// Events from the page

void TOrvaneDBGrid::ShowError(const std::string& AMessage) {
  IOrvaneSession* session = FForm ? FForm->GetSession() : nullptr;
  if (!session) return;
  session->ExecJS("Swal.fire({ icon: \"error\", title: \"Oops...\", text: " +
                  FormatValueHTML(AMessage) + " });");
}

void TOrvaneDBGrid::ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>& AEvent,
                                           TStringList& AParameters) {
  if (!AEvent) return;
  const TOrvaneEventType type = AEvent->GetEventType();
  std::vector<int> rows;
  const bool mirrored = ReadRowIDs(AParameters, rows);
  if (type == TOrvaneEventType::EventOnSelectAll) {
    // The page checked the rows it lists (the rows it shows); without a
    // list, every row.
    FSelectedRowsID = mirrored ? rows : std::vector<int>{FSelectAll};
    return;
  }
  if (type == TOrvaneEventType::EventOnUnselectAll) {
    FSelectedRowsID.clear();
    return;
  }
  if (type != TOrvaneEventType::EventOnSelect && type != TOrvaneEventType::EventOnCheck &&
      type != TOrvaneEventType::EventOnUncheck && type != TOrvaneEventType::EventOnDblClick)
    return;
  std::string idText = ValueOf(AParameters, "rowid");
  if (idText.rfind("jqg", 0) == 0) idText.erase(0, 3);
  int rowid;
  if (!ReadInt(idText, rowid)) return;
  db::TDataSet* ds = DataSet();
  int rec = rowid;
  std::string key = ValueOf(AParameters, "key");
  if (ds && ds->Active() && !key.empty()) {
    rec = RecNoOfKey(*ds, key, rowid);
    if (rec == 0) {
      // The row is gone since the page read it: the page reads them again.
      UpdateData();
      return;
    }
  }
  if (ds && ds->Active() && rec >= 1 && rec <= ds->RecordCount()) {
    try {
      SetRecNo(rec);
    } catch (const std::exception& e) {
      // Leaving a record being edited posts it; a refused post stays here.
      ShowError(e.what());
      return;
    }
    FStoredSelectedRow = GetSelectedRow();
  }
  if (type == TOrvaneEventType::EventOnCheck) {
    if (mirrored)
      FSelectedRowsID = rows;
    else if (std::find(FSelectedRowsID.begin(), FSelectedRowsID.end(), rowid) ==
             FSelectedRowsID.end())
      FSelectedRowsID.push_back(rowid);
    SetSelectedRow(true);
  } else if (type == TOrvaneEventType::EventOnUncheck) {
    if (mirrored)
      FSelectedRowsID = rows;
    else
      FSelectedRowsID.erase(std::remove(FSelectedRowsID.begin(), FSelectedRowsID.end(), rowid),
                            FSelectedRowsID.end());
    SetSelectedRow(false);
  } else if (type == TOrvaneEventType::EventOnSelect && FMultiSelect && mirrored) {
    // A click beside the check boxes leaves only that row checked.
    FSelectedRowsID = rows;
  }
}

void TOrvaneDBGrid::OnCellButtonClick(TStringList& AParameters) {
  int colIndex, rowid;
  if (!ReadInt(ValueOf(AParameters, "ColIndex"), colIndex) ||
      !ReadInt(ValueOf(AParameters, "rowid"), rowid))
    return;
  db::TDataSet* ds = DataSet();
  std::string key = ValueOf(AParameters, "key");
  if (ds && ds->Active() && !key.empty()) {
    int rec = RecNoOfKey(*ds, key, rowid);
    if (rec == 0) {
      UpdateData();
      return;
    }
    rowid = rec;
  }
  SetRecNo(rowid);
  const std::string elementID = ValueOf(AParameters, "CellButtonElementID");
  auto column = FOrvaneDBGridColumns.ColumnByIndex(colIndex);
  if (!column) return;
  IOrvaneDBGridColumnButtonPtr found;
  for (const auto& button : column->Buttons().GetButtons())
    if (button->ElementID() == elementID) {
      found = button;
      break;
    }
  if (!found)
    for (const auto& button : column->Buttons().GetButtons()) {
      for (const auto& sub : button->Buttons())
        if (sub->ElementID() == elementID) {
          found = sub;
          break;
        }
      if (found) break;
    }
  if (found && FForm) FForm->DoCellButtonClick(this, found, rowid, colIndex);
}

// ---------------------------------------------------------------------------
// Cell posts

int TOrvaneDBGrid::PostedRecNo(const nlohmann::json& ARow, std::string& AErrorMessage) {
  db::TDataSet* ds = DataSet();
  int hint = 0;
  auto id = ARow.find("id");
  if (id != ARow.end()) {
    std::string text = PostedText(*id);
    if (text.rfind("jqg", 0) == 0) text.erase(0, 3);
    ReadInt(text, hint);
  }
  bool hasKeys = false;
  for (int i = 0; i < ds->FieldCount(); ++i)
    if (ds->Fields(i).ProviderFlags & db::pfInKey) hasKeys = true;
  int rec = 0;
  if (hasKeys) {
    auto key = ARow.find(std::string(kOrvaneKey));
    if (key != ARow.end() && key->is_string()) rec = RecNoOfKey(*ds, key->get<std::string>(), hint);
  } else if (hint >= 1 && hint <= ds->RecordCount()) {
    rec = hint;
  }
  if (rec == 0) {
    AErrorMessage =
        "O registro alterado não foi encontrado: ele foi excluído ou a lista mudou. "
        "A grade será recarregada.";
    UpdateData();
  }
  return rec;
}

bool TOrvaneDBGrid::CellPostbyJSON(const std::string& AContent, std::string& ARowID,
                                   std::string& AErrorMessage) {
  ARowID.clear();
  AErrorMessage.clear();
  nlohmann::json row = nlohmann::json::parse(AContent, nullptr, false);
  if (!row.is_object()) {
    AErrorMessage = "A alteração enviada não é válida.";
    return false;
  }
  auto oper = row.find("oper");
  if (oper == row.end() || !core::SameText(PostedText(*oper), "edit")) return true;
  if (auto id = row.find("id"); id != row.end()) ARowID = PostedText(*id);

  db::TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) {
    AErrorMessage = "A grade não tem dados para alterar.";
    return false;
  }
  if (!GetEditable()) {
    AErrorMessage = "Esta grade não permite alterações.";
    return false;
  }
  if (ds->State() == db::TDataSetState::dsEdit || ds->State() == db::TDataSetState::dsInsert) {
    AErrorMessage =
        "Há um registro em edição. Grave ou cancele essa edição antes de alterar a grade.";
    return false;
  }
  const int rec = PostedRecNo(row, AErrorMessage);
  if (rec == 0) return false;

  // Every member is checked and converted before anything is written.
  const TFormatSettings settings =
      OrvaneOptions() ? OrvaneOptions()->FormatSettings() : TFormatSettings::Create("pt-BR");
  std::vector<TCellChange> changes;
  try {
    for (auto it = row.begin(); it != row.end(); ++it) {
      const std::string& name = it.key();
      if (ControlMember(name)) continue;
      auto column = FOrvaneDBGridColumns.ColumnByName(name);
      if (!column) column = FOrvaneDBGridColumns.ColumnByDataField(name);
      if (!column) continue;  // names no column
      const std::string title = column->GetTitle();
      db::TField* field =
          column->GetDataField().empty() ? nullptr : ds->FindField(column->GetDataField());
      TOrvaneFieldModel model = column->GetDataFieldModel();
      bool cellModel = model != TOrvaneFieldModel::OrvaneFieldModelButton &&
                       model != TOrvaneFieldModel::OrvaneFieldModelHTML;
      db::TField* written = field;
      if (field && field->FieldKind == db::TFieldKind::fkLookup)
        written = ds->FindField(field->KeyFields);
      // Only what the page offers for editing: a visible, editable column
      // of an editable grid on a field this grid may write.
      if (!column->GetVisible() || !column->GetEditable() || !cellModel || !field || !written ||
          !Writable(*written))
        throw ECellRefused("A coluna " + title + " não pode ser alterada.");

      std::string value = PostedText(it.value());
      const db::TValue current = ds->RowValue(rec, *field);
      const bool currentNull = db::IsNullValue(current);
      const std::string currentText = field->TextOf(current);

      if (model == TOrvaneFieldModel::OrvaneFieldModelCombobox ||
          model == TOrvaneFieldModel::OrvaneFieldModelLookup) {
        int64_t k = 0;
        if (!ReadInteger(value, k)) k = 0;
        if (k < 1) {
          if (currentNull || currentText.empty() || currentText == "0") continue;
          throw ECellRefused("O valor da coluna " + title +
                             " não foi aceito, insira um valor válido e tente novamente");
        }
        if (model == TOrvaneFieldModel::OrvaneFieldModelCombobox) {
          std::string label;
          if (!column->SelectItemLabel(std::to_string(k), label))
            throw ECellRefused(NotAccepted(value, title));
          value = label;
        } else {
          db::TDataSet* list = field->LookupDataSet;
          db::TField* listKey = list ? list->FindField(field->LookupKeyFields) : nullptr;
          db::TField* listResult = list ? list->FindField(field->LookupResultField) : nullptr;
          if (!list || !list->Active() || !listKey || !listResult || k > list->RecordCount())
            throw ECellRefused(NotAccepted(value, title));
          // Read by record number: the lookup dataset stays where it is.
          std::string label = list->RowText(static_cast<int>(k), *listResult);
          if (!currentNull && currentText == label) continue;
          TCellChange change;
          change.Field = written;
          change.Kind = TCellChange::TKind::Value;
          change.Value = list->RowValue(static_cast<int>(k), *listKey);
          changes.push_back(std::move(change));
          continue;
        }
      }

      const TOrvaneFieldType t = OrvaneFieldType(field->DataType());
      TCellChange change;
      change.Field = field;
      bool changed = false;
      if (Trim(value).empty() && t != TOrvaneFieldType::OrvaneFieldTypeString) {
        changed = !currentNull;
        change.Kind = TCellChange::TKind::Clear;
      } else if (t == TOrvaneFieldType::OrvaneFieldTypeInteger) {
        if (!ReadInteger(value, change.Integer)) throw ECellRefused(NotAccepted(value, title));
        change.Kind = TCellChange::TKind::Integer;
        const int64_t* i = std::get_if<int64_t>(&current);
        changed = currentNull || !i || *i != change.Integer;
      } else if (t == TOrvaneFieldType::OrvaneFieldTypeNumber) {
        if (!ReadNumber(value, settings, change.Number))
          throw ECellRefused(NotAccepted(value, title));
        change.Kind = TCellChange::TKind::Number;
        const double* d = std::get_if<double>(&current);
        changed = currentNull || !d || *d != change.Number;
      } else if (t == TOrvaneFieldType::OrvaneFieldTypeDate ||
                 t == TOrvaneFieldType::OrvaneFieldTypeDateTime) {
        double d;
        if (!db::TryStrToDateTime(Trim(value), d)) throw ECellRefused(NotAccepted(value, title));
        if (t == TOrvaneFieldType::OrvaneFieldTypeDate) d = std::floor(d);
        change.Kind = TCellChange::TKind::DateTime;
        change.Number = d;
        const double* c = std::get_if<double>(&current);
        // Compared to the second, as the page shows it.
        changed = currentNull || !c || std::llround(*c * 86400.0) != std::llround(d * 86400.0);
      } else {
        change.Kind = value.empty() ? TCellChange::TKind::Clear : TCellChange::TKind::Text;
        change.Text = value;
        changed = currentNull ? !value.empty() : currentText != value;
      }
      if (changed) changes.push_back(std::move(change));
    }
  } catch (const std::exception& e) {
    AErrorMessage = e.what();
    return false;
  }
  if (changes.empty()) return true;

  // Written in one edit that is posted at once, or cancelled as a whole.
  try {
    SetRecNo(rec);
    ds->Edit();
    for (TCellChange& c : changes) {
      try {
        switch (c.Kind) {
          case TCellChange::TKind::Clear:
            c.Field->Clear();
            break;
          case TCellChange::TKind::Text:
            c.Field->SetAsString(c.Text);
            break;
          case TCellChange::TKind::Integer:
            c.Field->SetAsLargeInt(c.Integer);
            break;
          case TCellChange::TKind::Number:
            c.Field->SetAsFloat(c.Number);
            break;
          case TCellChange::TKind::DateTime:
            c.Field->SetAsDateTime(c.Number);
            break;
          case TCellChange::TKind::Value:
            c.Field->SetValue(c.Value);
            break;
        }
      } catch (const std::exception& e) {
        throw ECellRefused(std::string(e.what()));
      }
    }
    ds->Post();
  } catch (const std::exception& e) {
    AErrorMessage = e.what();
    if (ds->State() == db::TDataSetState::dsEdit || ds->State() == db::TDataSetState::dsInsert)
      ds->Cancel();
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// The page script

std::string TOrvaneDBGrid::ColumnsToColModel() {
  std::string text;
  for (const auto& column : FOrvaneDBGridColumns.ByIndex()) {
    if (!column->GetVisible()) continue;
    if (!text.empty()) text += std::string(",") + kCRLF;
    text += column->ColModelToList();
  }
  // The row's key travels with it, unseen.
  if (!text.empty()) text += std::string(",") + kCRLF;
  text +=
      "{\"name\":\"OrvaneKey\",\"hidden\":true,\"hidedlg\":true,\"editable\":false,"
      "\"sortable\":false,\"search\":false}";
  return text;
}

std::string TOrvaneDBGrid::EventStatement(TOrvaneEventType AType, const std::string& AIndent) {
  auto event = GetEvents()->Item(AType);
  if (!event) return "";
  return AIndent + event->EventJS(TEventProcType::ExecEventProc, "params", true) + ";";
}

void TOrvaneDBGrid::ProcessHTML() {
  // The events the page script calls; handlers of the adapter's stay.
  auto events = GetEvents();
  auto none = [](TStringList&) {};
  events->Add(TOrvaneEventType::EventOnSelect, none, false);
  if (FMultiSelect) {
    events->Add(TOrvaneEventType::EventOnCheck, none, false);
    events->Add(TOrvaneEventType::EventOnUncheck, none, false);
    events->Add(TOrvaneEventType::EventOnSelectAll, none, false);
    events->Add(TOrvaneEventType::EventOnUnselectAll, none, false);
  }

  const std::string id = ID();
  const std::string grid = "$(\"#" + id + "\")";
  std::string uuid, token;
  if (IOrvaneSession* session = FForm ? FForm->GetSession() : nullptr) {
    uuid = session->GetUUID();
    token = session->GetToken();
  }
  const std::string formUUID = FForm ? FForm->GetFormUUID() : "";
  auto eventID = [&](TOrvaneEventType AType) {
    auto e = events->Item(AType);
    return e ? e->GetEventID() : std::string();
  };
  const std::string query = "controlid=" + id + "&eventid=";
  const std::string session =
      "&token=" + token + "&orvanesession=" + uuid + "&FormUUID=" + formUUID;
  const char* editable = FStoredEditable ? "true" : "false";

  std::vector<std::string> l;
  l.push_back("<div class=\"col\">");
  l.push_back("<table " + FHTMLCore + "></table>");
  l.push_back("<div id=\"PAGER" + id + "\"></div>");
  l.push_back("</div>");
  l.push_back("<script type=\"text/javascript\">");
  l.push_back("var SelectedCol" + id + " = -1;");
  l.push_back("var lastEditRowID" + id + " = null;");
  l.push_back("var ColEditable" + id + " = false;");
  // Helpers shared by the grids of the page: values reach cell templates
  // HTML-escaped; a row's key and values by its id.
  l.push_back("if (typeof OrvaneGridEscape === \"undefined\") {");
  l.push_back("  window.OrvaneGridEscape = function (v) {");
  l.push_back(
      "    return v == null ? \"\" : String(v).replace(/&/g, \"&amp;\").replace(/</g, "
      "\"&lt;\").replace(/>/g, \"&gt;\").replace(/\"/g, \"&quot;\").replace(/'/g, "
      "\"&#39;\");");
  l.push_back("  };");
  // A row of the grid's local data by its id: looked up by the id it
  // carries (the grid's own index goes stale once the page sorts).
  l.push_back("  window.OrvaneGridLocalRow = function (grid, rowid) {");
  l.push_back("    var rows = grid.jqGrid(\"getGridParam\", \"data\") || [];");
  l.push_back("    for (var i = 0; i < rows.length; i++)");
  l.push_back("      if (rows[i] && String(rows[i]._id_) === String(rowid)) return rows[i];");
  l.push_back("    return null;");
  l.push_back("  };");
  l.push_back("  window.OrvaneGridRowData = function (table, rowid, rowObject) {");
  l.push_back("    var local = OrvaneGridLocalRow($(table), rowid);");
  l.push_back("    var source = $.extend({}, local || {}, rowObject || {});");
  l.push_back("    var data = {};");
  l.push_back(
      "    $.each(source, function (k, v) { data[k] = (typeof v === \"string\") ? "
      "OrvaneGridEscape(v) : v; });");
  l.push_back("    return data;");
  l.push_back("  };");
  // The key of a shown row from its own hidden cell, else from the data.
  l.push_back("  window.OrvaneGridKey = function (grid, rowid) {");
  l.push_back("    if (grid.jqGrid(\"getInd\", rowid)) {");
  l.push_back("      var cell = grid.jqGrid(\"getCell\", rowid, \"OrvaneKey\");");
  l.push_back("      if (cell !== false && cell != null && cell !== \"\") return String(cell);");
  l.push_back("    }");
  l.push_back("    var local = OrvaneGridLocalRow(grid, rowid);");
  l.push_back("    return local && local.OrvaneKey != null ? String(local.OrvaneKey) : \"\";");
  l.push_back("  };");
  l.push_back("}");
  l.push_back("$(function () {");
  l.push_back("\"use strict\";");
  l.push_back(grid + ".jqGrid(");
  l.push_back("{");
  l.push_back("recordtext: \"Reg {0} - {1} of {2}\",");
  l.push_back("emptyrecords: \"Sem registros para exibir\",");
  l.push_back("loadtext: \"Aguarde, carregando dados...\",");
  l.push_back("pgtext : \"Pág {0} de {1}\",");
  // Relative to the page, whatever its address or query string.
  l.push_back("url: 'rest/json/jqgrid/get?" + query + eventID(TOrvaneEventType::EventOnLoadJSON) +
              session + "',");
  l.push_back("datatype : \"json\",");
  l.push_back("loadonce: true,");
  l.push_back(std::string("editable: ") + editable + ",");
  l.push_back(std::string("celledit: ") + editable + ",");
  l.push_back("cellsubmit: \"remote\",");
  l.push_back("editurl: 'rest/json/jqgrid/post?" + query +
              eventID(TOrvaneEventType::EventOnCellPost) + session + "',");
  l.push_back("serializeRowData: function (postdata) {");
  l.push_back("      let currentPage = " + grid + ".jqGrid(\"getGridParam\", \"page\");");
  l.push_back("      let recordsPerPage = " + grid + ".jqGrid(\"getGridParam\", \"rowNum\");");
  l.push_back("      let rowindexpage = " + grid + ".jqGrid(\"getInd\", postdata.id);");
  l.push_back("      let rowindex = (currentPage - 1) * recordsPerPage + rowindexpage;");
  l.push_back("      postdata.rowindex = rowindex;");
  // The grid encodes typed texts as HTML (autoencode): the server gets
  // them as typed.
  l.push_back(
      "      $.each(postdata, function (k, v) { if (typeof v === \"string\" && k !== "
      "\"oper\" && k !== \"id\") postdata[k] = $.jgrid.htmlDecode(v); });");
  l.push_back("      postdata.OrvaneKey = OrvaneGridKey(" + grid + ", postdata.id);");
  l.push_back("     return JSON.stringify(postdata);");
  l.push_back(" },");
  l.push_back("forceClientSorting: true,");
  l.push_back("jsonReader: {");
  l.push_back("   id: \"OrvaneRecNo\",");
  l.push_back("   repeatitems: false");
  l.push_back("},");
  l.push_back("colModel : ");
  l.push_back("[" + ColumnsToColModel() + "],");
  l.push_back("pager: \"#PAGER" + id + "\",");
  l.push_back("gridview: true,");
  l.push_back("hoverrows: false,");
  l.push_back("scrollrows: true,");
  l.push_back("rowNum: " + std::to_string(FRecordsPerPage) + ",");
  l.push_back("viewrecords: true,");
  l.push_back("shrinkToFit: false,");
  if (FMultiSelect) l.push_back("multiselect: true,");
  l.push_back("ignorecase: true,");
  l.push_back("scroll: false,");
  l.push_back("sortable: true,");
  l.push_back("altRows: false,");
  l.push_back("hidegrid: true,");
  l.push_back("multiboxonly: true,");
  l.push_back("toppager: false,");
  l.push_back("pginput: true,");
  l.push_back("guiStyle: \"bootstrap4\",");
  l.push_back("styleUI: \"Bootstrap5\",");
  l.push_back("iconSet: \"fontAwesome\",");
  l.push_back("reloadAfterSubmit: true,");
  // Texts of rows are written as text, never as markup.
  l.push_back("autoencode: true,");
  // A click on a cell selects the row and tells the server; with check
  // boxes the server learns the checked rows as the grid holds them once
  // it has handled the click.
  l.push_back("onCellSelect: function(rowid, iCol, cellcontent, e)");
  l.push_back("{");
  l.push_back(" var grid = $(this);");
  l.push_back(" var ismultiselect = grid.jqGrid(\"getGridParam\", \"multiselect\");");
  l.push_back(" var isRowSelected = grid.jqGrid(\"getGridParam\", \"selrow\") === rowid;");
  l.push_back(" var colModelRow = grid.jqGrid(\"getGridParam\", \"colModel\");");
  l.push_back(" ColEditable" + id + " = !!(colModelRow[iCol] && colModelRow[iCol].editable);");
  l.push_back(" var isCheckBox = !!(ismultiselect && e && $(e.target).hasClass(\"cbox\"));");
  // A click on an editable cell of the selected row, saved or restored
  // since, edits it again (a new selection edits through onSelectRow).
  l.push_back(" if (isRowSelected && ColEditable" + id + " && lastEditRowID" + id + " === null) {");
  l.push_back("   grid.jqGrid('editRow', rowid, { keys: true });");
  l.push_back("   lastEditRowID" + id + " = rowid;");
  l.push_back(" }");
  l.push_back(" if (!isRowSelected || iCol !== SelectedCol" + id + " || ismultiselect)");
  l.push_back(" {");
  l.push_back("   SelectedCol" + id + " = iCol;");
  l.push_back("   setTimeout(function () {");
  l.push_back(
      "     var rowsids = jqGridSelectedRows(grid.jqGrid(\"getGridParam\", \"selarrrow\"));");
  l.push_back("     var rowindex = String(rowid).replace(\"jqg\", \"\");");
  l.push_back(
      "     var params = \"rowid=\"+rowindex+\"&col=\"+iCol+\"&rowsids=\"+rowsids+\"&key=\"+"
      "OrvaneParameterValue(OrvaneGridKey(grid, rowid));");
  l.push_back("     if (isCheckBox) {");
  l.push_back("       if (rowsids.includes(rowindex)) {");
  l.push_back(EventStatement(TOrvaneEventType::EventOnCheck, "         "));
  l.push_back("       } else {");
  l.push_back(EventStatement(TOrvaneEventType::EventOnUncheck, "         "));
  l.push_back("       }");
  l.push_back("     } else {");
  l.push_back(EventStatement(TOrvaneEventType::EventOnSelect, "       "));
  l.push_back("     }");
  l.push_back("   }, 0);");
  l.push_back(" }");
  if (!FMultiSelect) {
    l.push_back("  setTimeout(function() {");
    l.push_back("      " + grid + ".jqGrid(\"setSelection\", rowid, false);");
    l.push_back("  }, 0);");
  }
  l.push_back("  return true;");
  l.push_back("},");
  if (FMultiSelect) {
    l.push_back("onSelectAll: function(aRowids, status)");
    l.push_back("{");
    l.push_back(
        "   var rowsids = jqGridSelectedRows($(this).jqGrid(\"getGridParam\", \"selarrrow\"));");
    l.push_back("   var params = \"rowid=0&rowsids=\"+rowsids;");
    l.push_back("   if (status) {");
    l.push_back(EventStatement(TOrvaneEventType::EventOnSelectAll, "     "));
    l.push_back("   } else {");
    l.push_back(EventStatement(TOrvaneEventType::EventOnUnselectAll, "     "));
    l.push_back("   }");
    l.push_back("},");
  }
  l.push_back("ondblClickRow: function(rowid, iRow, iCol, e)");
  l.push_back("{");
  l.push_back("   var rowsids = []");
  l.push_back("   rowsids = jqGridSelectedRows($(this).jqGrid(\"getGridParam\", \"selarrrow\"));");
  l.push_back("   if (!rowsids.includes(rowid.replace(\"jqg\", \"\")) || iCol != 0) {");
  l.push_back("     rowsids.push(rowid.replace(\"jqg\", \"\"));");
  l.push_back(
      "     var params = \"rowid=\"+rowid.replace(\"jqg\", \"\")+\"&col=\"+iCol+\"&rowsids=\"+"
      "rowsids+\"&key=\"+OrvaneParameterValue(OrvaneGridKey($(this), rowid));");
  l.push_back(EventStatement(TOrvaneEventType::EventOnDblClick, "     "));
  l.push_back("   }");
  l.push_back("   return true;");
  l.push_back("},");
  // The grid's index of its local rows goes stale once it sorts them; the
  // saves of edited rows go through it.
  // Rows read again from the server come in the server's order: the
  // visitor's sort is applied to them once they are local data.
  l.push_back("loadComplete: function () {");
  l.push_back("    var g = $(this);");
  l.push_back("    if (!g.data(\"orvaneFromServer\")) return;");
  l.push_back("    g.data(\"orvaneFromServer\", false);");
  l.push_back("    if (g.jqGrid(\"getGridParam\", \"sortname\"))");
  l.push_back("      setTimeout(function () { g.trigger(\"reloadGrid\", [{ page: 1 }]); }, 0);");
  l.push_back("},");
  l.push_back("gridComplete: function () {");
  l.push_back("    if (typeof this.refreshIndex === \"function\") this.refreshIndex();");
  l.push_back("},");
  l.push_back("loadError: function (xhr, status, error) {");
  l.push_back("    console.error(\"Error in Grid\", status, error);");
  l.push_back("},");
  l.push_back("onSelectRow: function(id){");
  l.push_back("  if(id && id !== lastEditRowID" + id + "){");
  l.push_back("    if(lastEditRowID" + id + " !== null) {");
  l.push_back("\t    \t$(this).jqGrid('saveRow',lastEditRowID" + id + ");");
  l.push_back("    }");
  l.push_back("    if (ColEditable" + id + ") { ");
  // Enter saves the row, Escape restores it.
  l.push_back("    \t\t$(this).jqGrid('editRow', id, { keys: true });");
  l.push_back("      lastEditRowID" + id + " = id;");
  l.push_back("    } else {");
  l.push_back("      lastEditRowID" + id + " = null;");
  l.push_back("    }");
  l.push_back("  }");
  l.push_back("},");
  // The post's outcome is handled on the grid's save events below, so the
  // grid itself still finishes or restores the row.
  l.push_back("ajaxRowOptions: {");
  l.push_back("  contentType: \"application/json; charset=utf-8\"");
  l.push_back("},");
  l.push_back("beforeSaveCell: function (rowid, cellname, value, iRow, iCol) {");
  l.push_back("    return true;");
  l.push_back("},");
  l.push_back("});");
  l.push_back(grid + ".on(\"jqGridInlineErrorSaveRow\", function (event, rowid, response) {");
  l.push_back("    var status = \"error\";");
  l.push_back("    var errorMessage = \"Não foi possível gravar a alteração. Tente novamente.\";");
  l.push_back("    var errorrowId = rowid;");
  l.push_back("    try {");
  l.push_back("      var jsonData = JSON.parse(response && response.responseText);");
  l.push_back("      if (jsonData) {");
  l.push_back("        status = jsonData.status || status;");
  l.push_back("        if (jsonData.errormessage) errorMessage = jsonData.errormessage;");
  l.push_back("        if (jsonData.rowid) errorrowId = jsonData.rowid;");
  l.push_back("      }");
  l.push_back("    } catch (e) {");
  l.push_back("    }");
  l.push_back("    console.error(\"Erro durante a edição da célula:\", response);");
  l.push_back("    var editedRowId = " + grid + ".jqGrid(\"getGridParam\", \"selrow\");");
  l.push_back("    " + grid + ".jqGrid(\"restoreRow\", editedRowId);");
  l.push_back("    " + grid + ".jqGrid(\"restoreRow\", rowid);");
  l.push_back("    lastEditRowID" + id + " = null;");
  l.push_back("    if (" + grid + ".jqGrid(\"getInd\", errorrowId)) " + grid +
              ".jqGrid(\"setSelection\", errorrowId, false);");
  l.push_back("    if (status == \"error\") {");
  l.push_back("      Swal.fire({");
  l.push_back("        icon: \"error\",");
  l.push_back("        title: \"Oops...\",");
  l.push_back("        text: errorMessage");
  l.push_back("      }).then(function () {");
  l.push_back("      });");
  l.push_back("    }");
  l.push_back("});");
  l.push_back(grid + ".on(\"jqGridInlineAfterSaveRow jqGridInlineAfterRestoreRow\", function () {");
  l.push_back("    lastEditRowID" + id + " = null;");
  l.push_back("});");
  l.push_back("});");
  l.push_back("function " + id + "_onlinkClick(type, id) {");
  l.push_back("}");
  l.push_back("function " + id + "_CellButtonClick(ColIndex,CellButtonElement) {");
  l.push_back("   var rowid = CellButtonElement.getAttribute(\"recno\");");
  l.push_back(
      "   var params = \"rowid=\"+rowid+\"&ColIndex=\"+ColIndex+\"&CellButtonElementID=\"+"
      "CellButtonElement.id+\"&key=\"+OrvaneParameterValue(OrvaneGridKey(" +
      grid + ", rowid));");
  l.push_back(EventStatement(TOrvaneEventType::EventOnCellButtonClick, "   "));
  l.push_back("}");
  l.push_back("</script>");

  std::string html;
  for (const std::string& line : l) {
    if (!html.empty()) html += kCRLF;
    html += line;
  }
  FHTMLControl = std::move(html);
}

}  // namespace orvane
