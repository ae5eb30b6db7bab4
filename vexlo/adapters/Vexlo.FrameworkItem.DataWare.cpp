#include "vexlo/adapters/Vexlo.FrameworkItem.DataWare.h"

namespace vexlo {

void TVexloDatawareDataSource::Clear() {
  FDataSource = nullptr;
  FDataField.clear();
}

db::TDataSource* TVexloDatawareDataSource::GetDataSource() const {
  return FDataSource;
}

void TVexloDatawareDataSource::SetDataSource(db::TDataSource* AValue) {
  FDataSource = AValue;
}

std::string TVexloDatawareDataSource::GetDataField() const {
  return FDataField;
}

void TVexloDatawareDataSource::SetDataField(const std::string& AValue) {
  FDataField = AValue;
}

void TVexloDatawareListSource::Clear() {
  FListField.clear();
  FKeyField.clear();
  FListSource = nullptr;
}

std::string TVexloDatawareListSource::GetListField() const {
  return FListField;
}

void TVexloDatawareListSource::SetListField(const std::string& AValue) {
  FListField = AValue;
}

std::string TVexloDatawareListSource::GetKeyField() const {
  return FKeyField;
}

void TVexloDatawareListSource::SetKeyField(const std::string& AValue) {
  FKeyField = AValue;
}

db::TDataSource* TVexloDatawareListSource::GetListSource() const {
  return FListSource;
}

void TVexloDatawareListSource::SetListSource(db::TDataSource* AValue) {
  FListSource = AValue;
}

void TVexloDataware::Clear() {
  FDataSource.Clear();
  FListSource.Clear();
}

IVexloDatawareDataSource& TVexloDataware::DataSource() {
  return FDataSource;
}

IVexloDatawareListSource& TVexloDataware::ListSource() {
  return FListSource;
}

void TVexloDatawareOnlyDataSource::Clear() {
  FDataSource = nullptr;
}

db::TDataSource* TVexloDatawareOnlyDataSource::GetDataSource() const {
  return FDataSource;
}

void TVexloDatawareOnlyDataSource::SetDataSource(db::TDataSource* AValue) {
  FDataSource = AValue;
}

}  // namespace vexlo
