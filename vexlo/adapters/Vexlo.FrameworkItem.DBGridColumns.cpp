#include "vexlo/adapters/Vexlo.FrameworkItem.DBGridColumns.h"

namespace vexlo {

std::string TVexloFrameworkItemDBGridColumn::GetDataField() const {
  return FDataField;
}
void TVexloFrameworkItemDBGridColumn::SetDataField(const std::string& AValue) {
  FDataField = AValue;
}
std::string TVexloFrameworkItemDBGridColumn::GetTitle() const {
  return FTitle;
}
void TVexloFrameworkItemDBGridColumn::SetTitle(const std::string& AValue) {
  FTitle = AValue;
}
bool TVexloFrameworkItemDBGridColumn::GetVisible() const {
  return FVisible;
}
void TVexloFrameworkItemDBGridColumn::SetVisible(bool AValue) {
  FVisible = AValue;
}
bool TVexloFrameworkItemDBGridColumn::GetEditable() const {
  return FEditable;
}
void TVexloFrameworkItemDBGridColumn::SetEditable(bool AValue) {
  FEditable = AValue;
}
int TVexloFrameworkItemDBGridColumn::GetWidth() const {
  return FWidth;
}
void TVexloFrameworkItemDBGridColumn::SetWidth(int AValue) {
  FWidth = AValue;
}
TVexloAlignColumns TVexloFrameworkItemDBGridColumn::GetAlignment() const {
  return FAlignment;
}
void TVexloFrameworkItemDBGridColumn::SetAlignment(TVexloAlignColumns AValue) {
  FAlignment = AValue;
}
orvane::TOrvaneFieldType TVexloFrameworkItemDBGridColumn::GetDataFieldType() const {
  return FDataFieldType;
}
void TVexloFrameworkItemDBGridColumn::SetDataFieldType(orvane::TOrvaneFieldType AValue) {
  FDataFieldType = AValue;
}
nlohmann::json& TVexloFrameworkItemDBGridColumn::SelectItems() {
  return FSelectItems;
}

void TVexloFrameworkItemDBGridColumns::Clear() {
  FColumns.clear();
}

const std::vector<IVexloFrameworkItemDBGridColumnPtr>&
TVexloFrameworkItemDBGridColumns::GetColumns() const {
  return FColumns;
}

IVexloFrameworkItemDBGridColumnPtr TVexloFrameworkItemDBGridColumns::Add() {
  auto column = std::make_shared<TVexloFrameworkItemDBGridColumn>();
  FColumns.push_back(column);
  return column;
}

void TVexloFrameworkItemDBGridColumns::Add(const IVexloFrameworkItemDBGridColumnPtr& AColumn) {
  if (AColumn) FColumns.push_back(AColumn);
}

}  // namespace vexlo
