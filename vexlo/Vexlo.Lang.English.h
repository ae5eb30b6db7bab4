// The English texts of the bridge (also used for Spanish).
#pragma once

#include "vexlo/Vexlo.Lang.BaseClass.h"

namespace vexlo {

class TVexloLangEnglish : public IVexloLang,
                          IVexloLangButtons,
                          IVexloLangMessageDlg,
                          IVexloLangDlgButtons,
                          IVexloLangMsgType {
 public:
  TVexloLang Language() const override { return TVexloLang::English; }
  const IVexloLangButtons& Buttons() const override { return *this; }
  const IVexloLangMessageDlg& MessageDlg() const override { return *this; }
  const IVexloLangDlgButtons& DlgButtons() const override { return *this; }
  const IVexloLangMsgType& MsgType() const override { return *this; }

 private:
  std::string Close() const override { return "Close"; }
  std::string Cancel() const override { return "Cancel"; }
  std::string Send() const override { return "Send"; }
  std::string Clean() const override { return "Clear"; }
  std::string SelectFiles() const override { return "Select files"; }
  std::string Title() const override { return "Tamblo"; }
  std::string Wait() const override { return "Please wait"; }
  std::string UploadFinished() const override { return "Upload finished"; }
  std::string Caption(ui::TMsgDlgBtn AButton) const override;
  std::string Caption(ui::TMsgDlgType AType) const override;
};

}  // namespace vexlo
