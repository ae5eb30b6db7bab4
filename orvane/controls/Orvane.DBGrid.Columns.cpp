#include "orvane/controls/Orvane.DBGrid.Columns.h"

#include <algorithm>
#include <cmath>

#include "orvane/controls/Orvane.DBGrid.h"
#include "orvane/server/Orvane.Util.h"
#include "platform/core/Classes.h"

namespace orvane {

namespace {

// A width in desktop pixels as the page draws it: times 1.6, rounded to the
// nearest integer with ties to even.
int PageWidth(int AWidth) {
  return static_cast<int>(std::nearbyint(AWidth * 1.6));
}

// The lookup field of the grid's dataset that a column shows, when it can
// offer its choices: a lookup field with an active lookup dataset and all
// its key and result names.
db::TField* LookupFieldOf(TOrvaneDBGrid* AGrid, const std::string& ADataField) {
  db::TDataSet* ds = AGrid ? AGrid->DataSet() : nullptr;
  db::TField* f = ds && !ADataField.empty() ? ds->FindField(ADataField) : nullptr;
  if (!f || f->FieldKind != db::TFieldKind::fkLookup) return nullptr;
  if (!f->LookupDataSet || !f->LookupDataSet->Active()) return nullptr;
  if (f->KeyFields.empty() || f->LookupKeyFields.empty() || f->LookupResultField.empty())
    return nullptr;
  return f;
}

// A JSON string for a script inside a page: "<" is escaped too, so no text
// ends the script element.
std::string ScriptText(const std::string& AText) {
  std::string quoted = FormatValueHTML(AText);
  std::string out;
  out.reserve(quoted.size());
  for (char c : quoted)
    if (c == '<')
      out += "\\u003c";
    else
      out += c;
  return out;
}

// A member of a column model being written.
class TModelWriter {
 public:
  void Raw(const std::string& AName, const std::string& AValueText) {
    FText += FText.empty() ? "{" : ",";
    FText += ScriptText(AName) + ":" + AValueText;
  }
  void Text(const std::string& AName, const std::string& AValue) {
    Raw(AName, ScriptText(AValue));
  }
  void Number(const std::string& AName, long long AValue) { Raw(AName, std::to_string(AValue)); }
  void Bool(const std::string& AName, bool AValue) { Raw(AName, AValue ? "true" : "false"); }
  std::string Done() { return FText.empty() ? "{}" : FText + "}"; }

 private:
  std::string FText;
};

// A JSON object's members with their values as texts, HTML-escaped (the page
// puts choice labels into option elements as markup).
std::string EscapedItems(const nlohmann::json& AItems) {
  nlohmann::json out = nlohmann::json::object();
  for (auto it = AItems.begin(); it != AItems.end(); ++it)
    out[it.key()] = HTMLEscape(it->is_string() ? it->get<std::string>() : it->dump());
  return out.dump(-1, ' ', true);
}

bool FieldWritable(const db::TField& AField) {
  return !AField.ReadOnly && (AField.ProviderFlags & db::pfInUpdate) &&
         !(AField.ProviderFlags & db::pfInKey);
}

}  // namespace

// ---------------------------------------------------------------------------
// TOrvaneDBGridColumn

TOrvaneDBGridColumn::TOrvaneDBGridColumn(TOrvaneDBGridColumns* AColumns)
    : FOrvaneDBGridColumns(AColumns), FButtons(std::make_unique<TOrvaneDBGridColumnButtons>(*this)) {
  if (FOrvaneDBGridColumns) {
    int highest = -1;
    for (const auto& c : FOrvaneDBGridColumns->FColumns)
      highest = std::max(highest, c->FColumnIndex);
    FColumnIndex = highest + 1;
  }
}

TOrvaneDBGrid* TOrvaneDBGridColumn::OrvaneDBGrid() const {
  return FOrvaneDBGridColumns ? FOrvaneDBGridColumns->OrvaneDBGrid() : nullptr;
}

std::string TOrvaneDBGridColumn::GridID() const {
  TOrvaneDBGrid* grid = OrvaneDBGrid();
  return grid ? grid->ID() : std::string();
}

void TOrvaneDBGridColumn::SetDataField(const std::string& AValue) {
  FDataField = AValue;
  RefreshColName();
}

void TOrvaneDBGridColumn::SetDataFieldModel(TOrvaneFieldModel AValue) {
  FDataFieldModel = AValue;
  RefreshColName();
}

void TOrvaneDBGridColumn::RefreshColName() {
  std::string base;
  if (FDataFieldModel == TOrvaneFieldModel::OrvaneFieldModelHTML)
    base = "ColHTML";
  else if (FDataFieldModel == TOrvaneFieldModel::OrvaneFieldModelButton)
    base = "ColButton";
  else
    base = FDataField.empty() ? "ColNoName" : FDataField;
  if (!FOrvaneDBGridColumns) {
    FColName = base;
    return;
  }
  std::string name = base;
  for (int n = 1; FOrvaneDBGridColumns->NameTaken(name, this); ++n) name = base + std::to_string(n);
  FColName = name;
}

void TOrvaneDBGridColumn::SetColumnIndex(int AValue) {
  if (!FOrvaneDBGridColumns) {
    FColumnIndex = std::max(0, AValue);
    return;
  }
  int last = FOrvaneDBGridColumns->Count() - 1;
  int target = std::clamp(AValue, 0, std::max(0, last));
  int from = FColumnIndex;
  if (target == from) return;
  for (const auto& c : FOrvaneDBGridColumns->FColumns) {
    if (c.get() == this) continue;
    if (target < from && c->FColumnIndex >= target && c->FColumnIndex <= from - 1)
      ++c->FColumnIndex;
    else if (target > from && c->FColumnIndex >= from + 1 && c->FColumnIndex <= target)
      --c->FColumnIndex;
  }
  FColumnIndex = target;
}

bool TOrvaneDBGridColumn::HasSelectItems() const {
  return FSelectItems.is_object() && !FSelectItems.empty();
}

bool TOrvaneDBGridColumn::SelectItemLabel(const std::string& AKey, std::string& ALabel) const {
  if (!FSelectItems.is_object()) return false;
  auto it = FSelectItems.find(AKey);
  if (it == FSelectItems.end()) return false;
  ALabel = it->is_string() ? it->get<std::string>() : it->dump();
  return true;
}

std::string TOrvaneDBGridColumn::ColModelToList() {
  TOrvaneDBGrid* grid = OrvaneDBGrid();
  db::TDataSet* ds = grid ? grid->DataSet() : nullptr;
  db::TField* field = ds && !FDataField.empty() ? ds->FindField(FDataField) : nullptr;

  TModelWriter m;
  std::vector<std::string> classes;
  m.Text("name", FColName);
  m.Number("index", FColumnIndex);
  // The grid writes its header labels as markup.
  m.Text("label", HTMLEscape(FTitle));
  int width = PageWidth(FWidth);
  switch (FAlignment) {
    case TOrvaneAlignment::OrvaneAlignRigth:
      m.Text("align", "right");
      break;
    case TOrvaneAlignment::OrvaneAlignCenter:
      m.Text("align", "center");
      break;
    default:
      m.Text("align", "left");
      break;
  }
  if (FDataFieldModel == TOrvaneFieldModel::OrvaneFieldModelNone)
    FDataFieldModel = TOrvaneFieldModel::OrvaneFieldModelField;
  // Another name than the field's (a second column on one field, buttons,
  // a template): the cell still reads its own field from the row.
  if (!FDataField.empty() && FColName != FDataField) m.Text("jsonmap", FDataField);

  // Editable only where a post would be accepted: an editable column of an
  // editable grid on a field this grid may write.
  bool fieldOk = true;
  if (field) {
    db::TField* written = field;
    if (field->FieldKind == db::TFieldKind::fkLookup) written = ds->FindField(field->KeyFields);
    fieldOk = written && FieldWritable(*written);
  }
  bool cellModel = FDataFieldModel != TOrvaneFieldModel::OrvaneFieldModelButton &&
                   FDataFieldModel != TOrvaneFieldModel::OrvaneFieldModelHTML;
  bool editable = FEditable && grid && grid->GetStoredEditable() && cellModel &&
                  !FDataField.empty() && fieldOk;
  std::string editOptions;
  if (editable) {
    m.Bool("editable", true);
    classes.push_back("CellEditable");
    width = PageWidth(FWidth + 3);
    if (db::TField* lookup = LookupFieldOf(grid, FDataField)) {
      FDataFieldModel = TOrvaneFieldModel::OrvaneFieldModelLookup;
      width = PageWidth(FWidth + 8);
      nlohmann::json items = nlohmann::json::object();
      items["0"] = "--Selecione--";
      // Read by record number: the lookup dataset stays where it is.
      db::TDataSet& list = *lookup->LookupDataSet;
      if (db::TField* result = list.FindField(lookup->LookupResultField))
        for (int rec = 1; rec <= list.RecordCount(); ++rec)
          items[std::to_string(rec)] = list.RowText(rec, *result);
      FSelectItems = std::move(items);
    }
    if (HasSelectItems()) {
      if (FDataFieldModel != TOrvaneFieldModel::OrvaneFieldModelLookup)
        FDataFieldModel = TOrvaneFieldModel::OrvaneFieldModelCombobox;
      m.Text("edittype", "select");
      editOptions = "{\"value\":" + EscapedItems(FSelectItems) +
                    ",\"style\":\"width: 100%;box-sizing: border-box;\"}";
      width = PageWidth(FWidth + 8);
    } else {
      m.Text("edittype", "text");
    }
    if (FDataFieldType == TOrvaneFieldType::OrvaneFieldTypeAuto && field)
      FDataFieldType = OrvaneFieldType(field->DataType());
  } else {
    m.Bool("editable", false);
  }
  m.Number("width", width);

  // Sorting in the page follows the field's type, not its text.
  db::TFieldType type = field ? field->DataType() : db::TFieldType::ftString;
  switch (type) {
    case db::TFieldType::ftSmallint:
    case db::TFieldType::ftInteger:
    case db::TFieldType::ftLargeint:
      m.Text("sorttype", "int");
      break;
    case db::TFieldType::ftFloat:
      m.Text("sorttype", "float");
      break;
    case db::TFieldType::ftDate:
      m.Text("sorttype", "date");
      m.Text("datefmt", "d/m/Y");
      break;
    case db::TFieldType::ftDateTime:
      m.Text("sorttype", "date");
      m.Text("datefmt", "d/m/Y H:i:s");
      break;
    default:
      m.Text("sorttype", "text");
      break;
  }

  if (!FCSS.empty()) classes.push_back(FCSS);
  if (!cellModel) {
    bool buttons = FDataFieldModel == TOrvaneFieldModel::OrvaneFieldModelButton;
    std::string value = FDataField.empty() ? " var value = null; "
                                           : " var value = OrvaneGridEscape(cellvalue); ";
    std::string templ = buttons ? FButtons->MakeHTML() : FHTML;
    // The row's values reach the template HTML-escaped; its record number
    // is the row's id.
    m.Raw("formatter", "function (cellvalue, options, rowObject) { " + value +
                           " var recNo = options.rowId; " +
                           " var data = OrvaneGridRowData(this, options.rowId, rowObject); " +
                           " return `" + templ + "`" + "}");
    classes.push_back(buttons ? "gridcolbuttons" : "gridcolhtml");
    m.Bool("sortable", false);
  }
  if (!editOptions.empty()) m.Raw("editoptions", editOptions);
  std::string classText;
  for (const std::string& c : classes) classText += (classText.empty() ? "" : " ") + c;
  m.Text("classes", classText);
  return m.Done();
}

// ---------------------------------------------------------------------------
// TOrvaneDBGridColumns

TOrvaneDBGridColumns::~TOrvaneDBGridColumns() {
  for (auto& c : FColumns) c->Detach();
}

void TOrvaneDBGridColumns::Clear() {
  for (auto& c : FColumns) c->Detach();
  FColumns.clear();
}

std::vector<std::shared_ptr<IOrvaneDBGridColumn>> TOrvaneDBGridColumns::GetColumns() const {
  return {FColumns.begin(), FColumns.end()};
}

std::shared_ptr<IOrvaneDBGridColumn> TOrvaneDBGridColumns::Add() {
  auto column = std::make_shared<TOrvaneDBGridColumn>(this);
  FColumns.push_back(column);
  column->RefreshColName();
  return column;
}

void TOrvaneDBGridColumns::Add(const std::shared_ptr<IOrvaneDBGridColumn>& AColumn) {
  auto column = std::dynamic_pointer_cast<TOrvaneDBGridColumn>(AColumn);
  if (!column || column->FOrvaneDBGridColumns != this) return;
  if (std::find(FColumns.begin(), FColumns.end(), column) != FColumns.end()) return;
  FColumns.push_back(column);
  column->RefreshColName();
}

std::vector<std::shared_ptr<TOrvaneDBGridColumn>> TOrvaneDBGridColumns::ByIndex() const {
  auto columns = FColumns;
  std::stable_sort(columns.begin(), columns.end(),
                   [](const auto& a, const auto& b) { return a->FColumnIndex < b->FColumnIndex; });
  return columns;
}

std::vector<std::string> TOrvaneDBGridColumns::GetColumnsNameToJSON() const {
  std::vector<std::string> names;
  for (const auto& c : ByIndex())
    if (!c->FDataField.empty()) names.push_back(c->FDataField);
  return names;
}

std::shared_ptr<TOrvaneDBGridColumn> TOrvaneDBGridColumns::ColumnByIndex(int AIndex) const {
  for (const auto& c : FColumns)
    if (c->FColumnIndex == AIndex) return c;
  return nullptr;
}

std::shared_ptr<TOrvaneDBGridColumn> TOrvaneDBGridColumns::ColumnByName(
    const std::string& AColName) const {
  for (const auto& c : FColumns)
    if (core::SameText(c->FColName, AColName)) return c;
  return nullptr;
}

std::shared_ptr<TOrvaneDBGridColumn> TOrvaneDBGridColumns::ColumnByDataField(
    const std::string& ADataField) const {
  for (const auto& c : ByIndex())
    if (core::SameText(c->FDataField, ADataField)) return c;
  return nullptr;
}

bool TOrvaneDBGridColumns::NameTaken(const std::string& AName,
                                     const TOrvaneDBGridColumn* AExcept) const {
  for (const auto& c : FColumns)
    if (c.get() != AExcept && c->FColumnIndex != AExcept->FColumnIndex &&
        core::SameText(c->FColName, AName))
      return true;
  return false;
}

}  // namespace orvane
