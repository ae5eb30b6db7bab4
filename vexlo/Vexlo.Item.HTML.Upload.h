// The upload item: a file upload on a form's web page. It writes a small
// HTML form and a script into the body; the script checks the chosen files
// against the item's limits, posts them to the server's upload route for the
// page's web form and reports the outcome. The server holds the same limits
// while it reads the files (it asks the form for them through
// TVexloClass::GetUploadLimits) and hands the saved files to the form that
// shows the item.
#pragma once

#include <string>

#include "orvane/server/Orvane.Interfaces.h"
#include "platform/core/Classes.h"
#include "vexlo/Vexlo.Item.h"

namespace vexlo {

class IVexloItemHTMLInput : public virtual IVexloItem {
 public:
  virtual std::string GetCaptionUpload() const = 0;
  virtual void SetCaptionUpload(const std::string& AValue) = 0;
  virtual bool GetButtonCleanVisible() const = 0;
  virtual bool GetButtonUploadVisible() const = 0;
  virtual bool GetInputVisible() const = 0;
  virtual void SetButtonCleanVisible(bool AValue) = 0;
  virtual void SetButtonUploadVisible(bool AValue) = 0;
  virtual void SetInputVisible(bool AValue) = 0;
  // Most files per upload; 0: no limit.
  virtual int GetMaxFiles() const = 0;
  virtual void SetMaxFiles(int AValue) = 0;
  // Megabytes (1024 x 1024 bytes) per file and of all files; 0: no limit.
  virtual int GetMaxFileSize() const = 0;
  virtual int GetMaxUploadSize() const = 0;
  virtual void SetMaxFileSize(int AValue) = 0;
  virtual void SetMaxUploadSize(int AValue) = 0;
  virtual bool GetShowFinishMessage() const = 0;
  virtual void SetShowFinishMessage(bool AValue) = 0;
  // Extensions without the dot, lower case; empty: every type.
  virtual core::TStrings& AllowedFileTypes() = 0;
};

class TVexloItemHTMLUpload : public TVexloItem, public IVexloItemHTMLInput {
 public:
  explicit TVexloItemHTMLUpload(TVexloClass* ABaseClass);
  ~TVexloItemHTMLUpload() override;
  TVexloItemHTMLUpload(const TVexloItemHTMLUpload&) = delete;
  TVexloItemHTMLUpload& operator=(const TVexloItemHTMLUpload&) = delete;

  std::string GetCaptionUpload() const override { return FCaptionUpload; }
  void SetCaptionUpload(const std::string& AValue) override { FCaptionUpload = AValue; }
  bool GetButtonCleanVisible() const override { return FButtonCleanVisible; }
  bool GetButtonUploadVisible() const override { return FButtonUploadVisible; }
  bool GetInputVisible() const override { return FInputVisible; }
  void SetButtonCleanVisible(bool AValue) override { FButtonCleanVisible = AValue; }
  void SetButtonUploadVisible(bool AValue) override { FButtonUploadVisible = AValue; }
  void SetInputVisible(bool AValue) override { FInputVisible = AValue; }
  int GetMaxFiles() const override { return FMaxFiles; }
  void SetMaxFiles(int AValue) override { FMaxFiles = AValue < 0 ? 0 : AValue; }
  int GetMaxFileSize() const override { return FMaxFileSize; }
  int GetMaxUploadSize() const override { return FMaxUploadSize; }
  void SetMaxFileSize(int AValue) override { FMaxFileSize = AValue < 0 ? 0 : AValue; }
  void SetMaxUploadSize(int AValue) override { FMaxUploadSize = AValue < 0 ? 0 : AValue; }
  bool GetShowFinishMessage() const override { return FShowFinishMessage; }
  void SetShowFinishMessage(bool AValue) override { FShowFinishMessage = AValue; }
  core::TStrings& AllowedFileTypes() override { return FAllowedFileTypes; }

  // Writes the HTML form and its script into the body.
  void RenderHTML() override;

  // The allowed types as the file input's accept attribute
  // (accept=".jpg, .png"), empty for every type.
  std::string AllowedFileTypesToInput() const;
  // The allowed types as the items of a script array ('jpg', 'png').
  std::string AllowedFileTypesToJSVar() const;
  // "multiple" unless at most one file is allowed.
  std::string MaxFilesToInput() const;
  // The limits as the server holds them while it reads an upload.
  orvane::TOrvaneUploadLimits Limits() const;

 private:
  std::string FHtmlExtas;  // kept for the common item interface, unused
  std::string FCaptionUpload = "Escolha um arquivo";
  int FMaxFiles = 1;
  core::TStrings FAllowedFileTypes{"jpg", "jpeg", "png", "pdf"};
  int FMaxFileSize = 20;
  int FMaxUploadSize = 20;
  bool FButtonCleanVisible = true;
  bool FButtonUploadVisible = true;
  bool FInputVisible = true;
  bool FShowFinishMessage = false;
};

// Replaces the allowed types of an upload item from the adder's text: "*"
// allows every type, any other text is the list separated by ",".
void SetAllowedFileTypesText(IVexloItemHTMLInput& AItem, const std::string& AText);

}  // namespace vexlo
