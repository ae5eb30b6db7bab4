#include "vexlo/Vexlo.Item.HTML.Popup.h"

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.BaseClass.h"

namespace vexlo {

TVexloItemHTMLPopup::TVexloItemHTMLPopup(TVexloClass* ABaseClass)
    : TVexloItem(ABaseClass), FVexloItems(std::make_unique<TVexloItems>(ABaseClass)) {
  FOnBeginReader = [this] { BeginReader(); };
  FOnEndReader = [this] { EndReader(); };
}

void TVexloItemHTMLPopup::BeginReader() {
  const std::string& p = FItemID;
  Write("<div class=\"modal fade\" id=\"" + p +
        "\" data-bs-backdrop=\"static\" data-bs-keyboard=\"false\" tabindex=\"-1\" "
        "aria-labelledby=\"staticBackdropLabel\" aria-hidden=\"true\">");
  Write("  <div class=\"modal-dialog modal-xl modal-dialog-centered\">");
  Write("    <div class=\"modal-content\">");
  Write("      <div class=\"modal-header\">");
  Write("        <h5 class=\"modal-title\" id=\"staticBackdropLabel\">" +
        orvane::HTMLEscape(FTitle) + "</h5>");
  if (FShowButtonClose)
    Write(
        "        <button type=\"button\" class=\"btn-close\" data-bs-dismiss=\"modal\" "
        "aria-label=\"Close\" id=\"BUTTONCLOSE_" +
        p + "\"></button>");
  else
    Write(
        "        <button type=\"button\" class=\"btn-close invisible\" data-bs-dismiss=\"modal\" "
        "aria-label=\"Close\" id=\"BUTTONCLOSE_" +
        p + "\" style=\"display: none;\"></button>");
  Write("      </div>");
  Write("      <div class=\"modal-body\">");
}

void TVexloItemHTMLPopup::EndReader() {
  const std::string& p = FItemID;
  std::string u, t, f;
  if (orvane::IOrvaneSession* session = FBaseClass ? FBaseClass->OrvaneSession() : nullptr) {
    u = session->GetUUID();
    t = session->GetToken();
    if (orvane::IOrvaneForm* active = session->GetActiveForm()) f = active->GetFormUUID();
  }
  if (f.empty() && FBaseClass)
    if (orvane::TOrvaneForm* own = FBaseClass->GetFormObject()) f = own->GetFormUUID();
  Write("      </div>");
  Write("    </div>");
  Write("  </div>");
  Write("</div>");
  Write("<script>");
  auto call = [&](const std::string& AEvent) {
    return "       OrvaneServer().ExecEvent(\"" + u + "\", \"" + t + "\", \"" + f + "\", \"" + f +
           "\", \"" + AEvent + "\", \"popupname=" + p +
           "&OrvaneComponentsStatus=\" + GetComponentsStates(OrvaneComponents), true);";
  };
  Write("    $('#" + p + "').on('show.bs.modal', function (e) {");
  Write(call("OnShowPopup"));
  Write("    });");
  Write("    $('#" + p + "').on('hidden.bs.modal', function (e) {");
  Write(call("OnClosePopup"));
  Write("    });");
  Write("</script>");
}

void TVexloItemHTMLPopup::Render() {
  RenderChildren(FVexloItems->Items());
}

}  // namespace vexlo
