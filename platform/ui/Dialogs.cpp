#include "platform/ui/Dialogs.h"

namespace ui {

std::string MessageDlgCaption(TMsgDlgType ADlgType) {
  switch (ADlgType) {
    case mtWarning:
      return "Aviso";
    case mtError:
      return "Erro";
    case mtInformation:
      return "Informação";
    case mtConfirmation:
      return "Confirmação";
    case mtCustom:
      break;
  }
  return Application->Title();
}

void ShowMessage(const std::string& AMsg) {
  ShowMessagePos(AMsg, -1, -1);
}

void ShowMessagePos(const std::string& AMsg, int X, int Y) {
  TMessageBoxRequest r;
  r.Caption = Application->Title();
  r.Text = AMsg;
  r.DlgType = mtCustom;
  r.Buttons = {mbOK};
  r.X = X;
  r.Y = Y;
  Application->Backend()->MessageBox(r);
}

TModalResult MessageDlg(const std::string& AMsg, TMsgDlgType ADlgType, TMsgDlgButtons AButtons,
                        int AHelpCtx) {
  return MessageDlgPosHelp(AMsg, ADlgType, AButtons, AHelpCtx, -1, -1, "");
}

TModalResult MessageDlgPos(const std::string& AMsg, TMsgDlgType ADlgType, TMsgDlgButtons AButtons,
                           int AHelpCtx, int X, int Y) {
  return MessageDlgPosHelp(AMsg, ADlgType, AButtons, AHelpCtx, X, Y, "");
}

TModalResult MessageDlgPosHelp(const std::string& AMsg, TMsgDlgType ADlgType,
                               TMsgDlgButtons AButtons, int AHelpCtx, int X, int Y,
                               const std::string&) {
  if (AButtons.Empty()) AButtons = {mbOK};
  TMessageBoxRequest r;
  r.Caption = MessageDlgCaption(ADlgType);
  r.Text = AMsg;
  r.DlgType = ADlgType;
  r.Buttons = AButtons;
  r.HelpCtx = AHelpCtx;
  r.X = X;
  r.Y = Y;
  return Application->Backend()->MessageBox(r);
}

const TClassInfo& TOpenDialog::StaticClass() {
  static TClassInfo info = [] {
    TClassInfo c("TOpenDialog", &TComponent::StaticClass(), FactoryOf<TOpenDialog>());
    c.AddProperty(MakeProp<TOpenDialog, std::string>(
        "FileName", TPropKind::String, "TFileName", [](const TOpenDialog& o) { return o.FileName; },
        [](TOpenDialog& o, std::string v) { o.FileName = v; }));
    c.AddProperty(MakeProp<TOpenDialog, std::string>(
        "Filter", TPropKind::String, "string", [](const TOpenDialog& o) { return o.Filter; },
        [](TOpenDialog& o, std::string v) { o.Filter = v; }));
    c.AddProperty(MakeProp<TOpenDialog, std::string>(
        "Title", TPropKind::String, "string", [](const TOpenDialog& o) { return o.Title; },
        [](TOpenDialog& o, std::string v) { o.Title = v; }));
    return c;
  }();
  return info;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TOpenDialog::Execute() {
  if (OnShow) OnShow(this);
  bool ok = Application->Backend()->ExecuteOpenDialog(*this);
  if (ok && Files.empty()) Files.push_back(FileName);
  if (OnClose) OnClose(this);
  return ok;
}

}  // namespace ui
