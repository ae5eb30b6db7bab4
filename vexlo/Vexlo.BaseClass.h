// The bridge object's side that its form talks to. Each web-mode form owns one
// bridge object; the page rendering implements these operations. On the
// desktop no bridge object exists.
#pragma once

#include <string>

namespace ui {
class TControl;
}

namespace vexlo {

class TVexloClass {
 public:
  virtual ~TVexloClass() = default;
  // The UUID of the form's web form.
  virtual std::string GetFormUUID() const = 0;
  // Releases the named lock of the form's session.
  virtual void UnLockSession(const std::string& AWaitName) = 0;
  virtual std::string GetLanguage() const = 0;
  virtual void SetLanguage(const std::string& AValue) = 0;
  // Clears the HTML accumulator; renders the top-level items.
  virtual void Clear() = 0;
  virtual void Render() = 0;
  // True when an item with this identifier has been exported.
  virtual bool ObjectExported(const std::string& AItemID) const = 0;
  // True when the control's class (mapped to its supported base class) can
  // be exported; AddControlItem adds a control item for it.
  virtual bool SupportsControl(const ui::TControl& AControl) const = 0;
  virtual void AddControlItem(ui::TControl& AControl) = 0;
};

}  // namespace vexlo
