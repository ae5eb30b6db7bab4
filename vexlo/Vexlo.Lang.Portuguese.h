// The Portuguese texts of the bridge.
#pragma once

#include "vexlo/Vexlo.Lang.BaseClass.h"

namespace vexlo {

class TVexloLangPortuguese : public IVexloLang,
                             IVexloLangButtons,
                             IVexloLangMessageDlg,
                             IVexloLangDlgButtons,
                             IVexloLangMsgType {
 public:
  TVexloLang Language() const override { return TVexloLang::Portuguese; }
  const IVexloLangButtons& Buttons() const override { return *this; }
  const IVexloLangMessageDlg& MessageDlg() const override { return *this; }
  const IVexloLangDlgButtons& DlgButtons() const override { return *this; }
  const IVexloLangMsgType& MsgType() const override { return *this; }

 private:
  std::string Close() const override { return "Fechar"; }
  std::string Cancel() const override { return "Cancelar"; }
  std::string Send() const override { return "Enviar"; }
  std::string Clean() const override { return "Limpar"; }
  std::string SelectFiles() const override { return "Selecionar arquivos"; }
  std::string Title() const override { return "Tamblo"; }
  std::string Wait() const override { return "Aguarde"; }
  std::string UploadFinished() const override { return "Envio concluído"; }
  std::string Caption(ui::TMsgDlgBtn AButton) const override;
  std::string Caption(ui::TMsgDlgType AType) const override;
};

}  // namespace vexlo
