// Message boxes and the open-file dialog, shown through the backend.
#pragma once

#include <string>

#include "platform/ui/Forms.h"

namespace ui {

// An information box with the application title and an OK button, centred.
void ShowMessage(const std::string& AMsg);
void ShowMessagePos(const std::string& AMsg, int X, int Y);
// A message dialog of a type with buttons; returns the pressed button's modal
// result. The caption follows the type ("Aviso", "Erro", "Informação",
// "Confirmação"; the application title for mtCustom).
TModalResult MessageDlg(const std::string& AMsg, TMsgDlgType ADlgType, TMsgDlgButtons AButtons,
                        int AHelpCtx);
TModalResult MessageDlgPos(const std::string& AMsg, TMsgDlgType ADlgType, TMsgDlgButtons AButtons,
                           int AHelpCtx, int X, int Y);
TModalResult MessageDlgPosHelp(const std::string& AMsg, TMsgDlgType ADlgType,
                               TMsgDlgButtons AButtons, int AHelpCtx, int X, int Y,
                               const std::string& AHelpFileName);
std::string MessageDlgCaption(TMsgDlgType ADlgType);

// Common button sets.
inline TMsgDlgButtons mbYesNo() {
  return {mbYes, mbNo};
}
inline TMsgDlgButtons mbYesNoCancel() {
  return {mbYes, mbNo, mbCancel};
}
inline TMsgDlgButtons mbOKCancel() {
  return {mbOK, mbCancel};
}

enum TOpenOption : unsigned {
  ofReadOnly = 1,
  ofHideReadOnly = 2,
  ofAllowMultiSelect = 4,
  ofPathMustExist = 8,
  ofFileMustExist = 16,
  ofEnableSizing = 32
};
using TOpenOptions = unsigned;

// The open-file dialog. Filter is "Description|*.png;*.jpg|All|*.*".
class TOpenDialog : public TComponent {
  CORE_DECLARE_CLASS()
 public:
  explicit TOpenDialog(TComponent* AOwner);
  // Shows the dialog; true when the user chose a file (FileName holds it).
  virtual bool Execute();

  std::string FileName;
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir;
  std::string Title;
  std::string DefaultExt;
  TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
  std::vector<std::string> Files;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
};

}  // namespace ui
