#include "vexlo/Vexlo.Lang.Portuguese.h"

namespace vexlo {

std::string TVexloLangPortuguese::Caption(ui::TMsgDlgBtn AButton) const {
  switch (AButton) {
    case ui::mbYes:
      return "Sim";
    case ui::mbNo:
      return "Não";
    case ui::mbOK:
      return "OK";
    case ui::mbCancel:
      return "Cancelar";
    case ui::mbAbort:
      return "Abortar";
    case ui::mbRetry:
      return "Repetir";
    case ui::mbIgnore:
      return "Ignorar";
    case ui::mbAll:
      return "Todos";
    case ui::mbNoToAll:
      return "Não para todos";
    case ui::mbYesToAll:
      return "Sim para todos";
    case ui::mbHelp:
      return "Ajuda";
    case ui::mbClose:
      return "Fechar";
  }
  return "";
}

std::string TVexloLangPortuguese::Caption(ui::TMsgDlgType AType) const {
  switch (AType) {
    case ui::mtWarning:
      return "Aviso";
    case ui::mtError:
      return "Erro";
    case ui::mtInformation:
      return "Informação";
    case ui::mtConfirmation:
      return "Confirmação";
    case ui::mtCustom:
      return "Tamblo";
  }
  return "";
}

}  // namespace vexlo
