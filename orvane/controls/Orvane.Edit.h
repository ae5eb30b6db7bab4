// The web edit: an input element whose text the desktop edit holds. Typed
// text reaches the desktop through the set-text hook before an event runs;
// text changed on the desktop side is pushed on the next observer pass.
// A password edit renders empty and never sends its text to the page.
#pragma once

#include <string>

#include "orvane/controls/Orvane.Forms.Controls.h"

namespace orvane {

class IOrvaneEdit {
 public:
  virtual ~IOrvaneEdit() = default;
  virtual void SetText(const std::string& AValue) = 0;
  virtual std::string GetText() = 0;
  virtual void SetEditDataType(TOrvaneFieldType AValue) = 0;
  virtual TOrvaneFieldType GetEditDataType() const = 0;
  virtual TEditCharCase GetCharCase() const = 0;
  virtual void SetCharCase(TEditCharCase AValue) = 0;
};

class TOrvaneEdit : public TOrvaneControl, public IOrvaneEdit {
  CORE_DECLARE_CLASS()
 public:
  explicit TOrvaneEdit(core::TComponent* AOwner);

  // The hook's text; for the date types the desktop's date as
  // "yyyy-MM-dd" (empty when the desktop text is not a date). Without a
  // hook, the stored text.
  std::string GetText() override;
  // Writes a changed text through the hook (for the date types the date
  // read from the browser's "yyyy-mm-dd"; a text that is no date is
  // refused with EConvertError), then stores it.
  void SetText(const std::string& AValue) override;
  void SetEditDataType(TOrvaneFieldType AValue) override { FDataType = AValue; }
  TOrvaneFieldType GetEditDataType() const override { return FDataType; }
  TEditCharCase GetCharCase() const override { return FCharCase; }
  void SetCharCase(TEditCharCase AValue) override { FCharCase = AValue; }
  const TFormatSettings& FormatSettings() const { return FFormatSettings; }
  bool IsPassword() const { return FDataType == TOrvaneFieldType::OrvaneFieldTypePassword; }

  TOnSetValue ProcSetText;
  TOnGetValue ProcGetText;

  bool IsEdit() override { return true; }
  bool GetEnableComponentState() override { return true; }
  void Initialize() override;
  void ProcessHTML() override;
  void ProcessEventParameters(const std::shared_ptr<IOrvaneControlEvent>&, TStringList&) override {}
  // The key "text".
  void ProcessComponentState(const nlohmann::json& AState) override;
  void UpdateServerControls(TStringList& ScriptJS, bool AForceUpdate) override;

 protected:
  void ClearHooks() override;

 private:
  bool IsDateType() const;

  std::string FStoredText;
  TOrvaneFieldType FDataType = TOrvaneFieldType::OrvaneFieldTypeAuto;
  TFormatSettings FFormatSettings;
  TEditCharCase FCharCase = TEditCharCase::ecNormal;
};

// A text as the browser's date input takes it ("yyyy-MM-dd"), from a date
// the desktop writes ("dd/mm/yyyy", also "yyyy-mm-dd"); empty when it is no
// date.
std::string BrowserDateText(const std::string& AText);

}  // namespace orvane
