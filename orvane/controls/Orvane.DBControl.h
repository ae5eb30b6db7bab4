// What the data-aware web controls share: the field data link of their own
// (data source, field name, the bound field, whether the dataset was active
// at the previous data event), free notification of the data source, and
// the questions they all ask: is data available, is a field bound, is the
// dataset being edited, is the form applying the browser's states.
//
// A data-aware control reads its field directly, writes what the visitor
// changed into it (starting an edit only for a value that differs from the
// one the page was given) and never posts: posting and cancelling stay with
// the form's own code. Everything here runs inside the session's forms guard.
#pragma once

#include <functional>
#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"
#include "platform/db/DB.h"

namespace orvane {

// The platform's field data link with the web control's reaction to the
// dataset opening or closing.
class TOrvaneDBDataLink : public db::TFieldDataLink {
 public:
  // Called after the link's active state changed, with the state the
  // dataset had at the previous data event.
  std::function<void(bool AActive, bool AWasActive)> OnActiveChanged;
  bool DataActive() const { return FDataActive; }

 protected:
  void ActiveChanged() override;

 private:
  bool FDataActive = false;
};

class TOrvaneDBControl : public TOrvaneControl {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneDBControl(core::TComponent* AOwner);
  ~TOrvaneDBControl() override;

  // A new data source: free notification moves from the old one to it.
  void SetDataSource(db::TDataSource* AValue);
  db::TDataSource* GetDataSource() const { return FDataLink.DataSource(); }
  void SetDataField(const std::string& AValue) { FDataLink.SetFieldName(AValue); }
  std::string GetDataField() const { return FDataLink.FieldName(); }

  // The link has a data source with an active dataset.
  bool DataAvailable() const;
  // The bound field when data is available, else null.
  db::TField* BoundField() const;
  // The dataset is in edit or insert state.
  bool Editing() const;
  // The form is writing the browser's states into its controls.
  bool ApplyingState() const;
  bool GetRefreshData() const { return FRefreshData; }
  TOrvaneDBDataLink& DataLink() { return FDataLink; }

 protected:
  void Notification(core::TComponent* AComponent, core::TOperation AOperation) override;
  // Puts the dataset into editing when the field may change; whether it is
  // being edited afterwards.
  bool StartEdit();
  // Sets FRefreshData when the page is loaded and the form is not applying
  // the browser's states.
  void UpdateData();

  TOrvaneDBDataLink FDataLink;
  bool FRefreshData = false;
};

}  // namespace orvane
