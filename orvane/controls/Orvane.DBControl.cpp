#include "orvane/controls/Orvane.DBControl.h"

#include "orvane/controls/Orvane.Forms.h"

namespace orvane {

void TOrvaneDBDataLink::ActiveChanged() {
  db::TFieldDataLink::ActiveChanged();
  bool was = FDataActive;
  FDataActive = Active();
  if (OnActiveChanged) OnActiveChanged(FDataActive, was);
}

const core::TClassInfo& TOrvaneDBControl::StaticClass() {
  static core::TClassInfo info("TOrvaneDBControl", &TOrvaneControl::StaticClass(), nullptr);
  return info;
}

TOrvaneDBControl::TOrvaneDBControl(core::TComponent* AOwner) : TOrvaneControl(AOwner) {
  // The dataset opened: the control reads its field again.
  FDataLink.OnActiveChanged = [this](bool AActive, bool AWasActive) {
    if (AActive && !AWasActive) UpdateData();
  };
}

TOrvaneDBControl::~TOrvaneDBControl() {
  FDataLink.OnActiveChanged = nullptr;
  SetDataSource(nullptr);
}

void TOrvaneDBControl::SetDataSource(db::TDataSource* AValue) {
  db::TDataSource* old = FDataLink.DataSource();
  if (old == AValue) return;
  if (old) RemoveFreeNotification(old);
  FDataLink.SetDataSource(AValue);
  if (AValue) FreeNotification(AValue);
}

void TOrvaneDBControl::Notification(core::TComponent* AComponent, core::TOperation AOperation) {
  TOrvaneControl::Notification(AComponent, AOperation);
  if (AOperation == core::TOperation::opRemove && AComponent == FDataLink.DataSource())
    FDataLink.SetDataSource(nullptr);
}

bool TOrvaneDBControl::DataAvailable() const {
  db::TDataSet* ds = FDataLink.DataSet();
  return ds && ds->Active();
}

db::TField* TOrvaneDBControl::BoundField() const {
  return DataAvailable() ? FDataLink.Field() : nullptr;
}

bool TOrvaneDBControl::Editing() const {
  db::TDataSet* ds = FDataLink.DataSet();
  return ds && (ds->State() == db::TDataSetState::dsEdit ||
                ds->State() == db::TDataSetState::dsInsert);
}

bool TOrvaneDBControl::ApplyingState() const {
  return FForm && FForm->GetComponentsUpdating();
}

bool TOrvaneDBControl::StartEdit() {
  if (Editing()) return true;
  db::TField* field = BoundField();
  // A field that cannot change is not worth an edit.
  if (!field || !field->CanModify()) return false;
  FDataLink.Edit();
  return Editing();
}

void TOrvaneDBControl::UpdateData() {
  if (FForm && FForm->GetFormPageState() == TOrvanePageState::PageStateLoaded && !ApplyingState())
    FRefreshData = true;
}

}  // namespace orvane
