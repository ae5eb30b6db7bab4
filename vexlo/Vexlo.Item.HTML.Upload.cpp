#include "vexlo/Vexlo.Item.HTML.Upload.h"

#include "orvane/controls/Orvane.Forms.h"
#include "orvane/server/Orvane.Util.h"
#include "vexlo/Vexlo.BaseClass.h"

namespace vexlo {

namespace {

// A text inside single quotes of a script, also safe inside the page's
// <script> element.
std::string SingleQuoted(const std::string& AText) {
  std::string out = "'";
  for (char c : AText) {
    switch (c) {
      case '\'':
        out += "\\'";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '<':
        out += "\\x3C";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out + "'";
}

std::string AsciiLower(std::string AText) {
  for (char& c : AText)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return AText;
}

std::string Trimmed(const std::string& AText) {
  size_t b = AText.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return AText.substr(b, AText.find_last_not_of(" \t\r\n") - b + 1);
}

}  // namespace

TVexloItemHTMLUpload::TVexloItemHTMLUpload(TVexloClass* ABaseClass) : TVexloItem(ABaseClass) {}

TVexloItemHTMLUpload::~TVexloItemHTMLUpload() {
  if (FBaseClass) FBaseClass->ForgetUploadItem(this);
}

std::string TVexloItemHTMLUpload::AllowedFileTypesToInput() const {
  if (FAllowedFileTypes.Count() == 0) return "";
  std::string list;
  for (const std::string& type : FAllowedFileTypes.Lines())
    list += (list.empty() ? "." : ", .") + type;
  return "accept=\"" + orvane::HTMLEscape(list) + "\"";
}

std::string TVexloItemHTMLUpload::AllowedFileTypesToJSVar() const {
  std::string list;
  for (const std::string& type : FAllowedFileTypes.Lines())
    list += (list.empty() ? "" : ", ") + SingleQuoted(type);
  return list;
}

std::string TVexloItemHTMLUpload::MaxFilesToInput() const {
  return FMaxFiles == 1 ? "" : "multiple";
}

orvane::TOrvaneUploadLimits TVexloItemHTMLUpload::Limits() const {
  orvane::TOrvaneUploadLimits limits;
  limits.MaxFiles = FMaxFiles;
  limits.MaxFileSize = static_cast<uint64_t>(FMaxFileSize) * 1024 * 1024;
  limits.MaxUploadSize = static_cast<uint64_t>(FMaxUploadSize) * 1024 * 1024;
  for (const std::string& type : FAllowedFileTypes.Lines())
    limits.AllowedFileTypes.push_back(AsciiLower(type));
  return limits;
}

void TVexloItemHTMLUpload::RenderHTML() {
  // The page the files are sent from: the session, and the web form of the
  // page (a nested form's page is its host's).
  std::string uuid, token, formUUID;
  if (orvane::IOrvaneSession* session = FBaseClass ? FBaseClass->OrvaneSession() : nullptr) {
    uuid = session->GetUUID();
    token = session->GetToken();
  }
  TVexloClass* page = FBaseClass;
  while (page && page->VexloOwner()) page = page->VexloOwner();
  if (page)
    if (orvane::TOrvaneForm* form = page->GetFormObject()) formUUID = form->GetFormUUID();
  if (FBaseClass) FBaseClass->SetUploadItem(this);

  const std::string caption = orvane::HTMLEscape(FCaptionUpload);
  const std::string input =
      "<input type=\"file\" class=\"form-control\" id=\"fileInput\" "
      "name=\"fileInput\" " +
      MaxFilesToInput() + " " + AllowedFileTypesToInput();
  Write("<form id=\"uploadForm\" enctype=\"multipart/form-data\">");
  Write("  <div class=\"input-group\">");
  if (FInputVisible) {
    Write("    " + input + ">");
  } else {
    Write("    " + input + " style=\"display: none;\">");
    Write(
        "    <label for=\"fileInput\" class=\"btn btn-primary rounded-0\" "
        "id=\"fileInputButton\"><i class=\"fe-upload fa fa-upload me-2\" "
        "aria-hidden=\"true\"></i>" +
        caption + "</label>");
  }
  Write("    <div class=\"mx-1\"></div>");
  if (FButtonCleanVisible) {
    Write(
        "    <button type=\"button\" class=\"btn btn-secondary rounded-0\" "
        "id=\"clearButton\"><i class=\"fe fe-x fa fa-x me-2\" "
        "aria-hidden=\"true\"></i>Limpar</button>");
    Write("    <div class=\"mx-1\"></div>");
  }
  Write(std::string("    <button type=\"button\" class=\"btn btn-primary\" id=\"uploadButton\"") +
        (FButtonUploadVisible ? "" : " style=\"display: none;\"") +
        "><i class=\"fe-upload fa fa-upload me-2\" aria-hidden=\"true\"></i>" + caption +
        "</button>");
  Write("  </div>");
  Write("</form>");
  Write("<script>");
  Write("$(document).ready(function(){");
  Write("  var allowedFileTypes = [" + AllowedFileTypesToJSVar() + "];");
  Write("  var maxFileCount = " + std::to_string(FMaxFiles) + ";");
  Write("  var maxFileSizePerFile = " + std::to_string(FMaxFileSize) + " * 1024 * 1024;");
  Write("  var maxTotalFileSize = " + std::to_string(FMaxUploadSize) + " * 1024 * 1024;");
  Write("  function uploadError(text) {");
  Write("    Swal.fire({ icon: \"error\", title: \"Oops...\", text: text });");
  Write("  }");
  if (FButtonCleanVisible) {
    Write("  $('#clearButton').on('click', function () {");
    Write("    $('#fileInput').val('');");
    Write("  });");
  }
  if (!FButtonUploadVisible) {
    Write("  $('#fileInput').on('change', function () {");
    Write("    $('#uploadButton').click();");
    Write("  });");
  }
  Write("  $('#uploadButton').on('click', function () {");
  Write("    var files = $('#fileInput')[0].files;");
  Write("    if (!files || files.length === 0) {");
  Write("      uploadError(\"Selecione um ou mais arquivos para enviar.\");");
  Write("      return;");
  Write("    }");
  Write("    if (maxFileCount > 0 && files.length > maxFileCount) {");
  Write("      uploadError(`Você pode selecionar no máximo ${maxFileCount} arquivos.`);");
  Write("      return;");
  Write("    }");
  Write("    var totalSize = 0;");
  Write("    for (var i = 0; i < files.length; i++) {");
  Write("      totalSize += files[i].size;");
  Write("      if (maxFileSizePerFile > 0 && files[i].size > maxFileSizePerFile) {");
  Write("        uploadError(`O arquivo ${files[i].name} excede o tamanho máximo permitido.`);");
  Write("        return;");
  Write("      }");
  Write("      var fileType = files[i].name.split('.').pop().toLowerCase();");
  Write("      if (allowedFileTypes.length > 0 && allowedFileTypes.indexOf(fileType) < 0) {");
  Write("        uploadError(`O tipo de arquivo do arquivo ${files[i].name} não é permitido.`);");
  Write("        return;");
  Write("      }");
  Write("    }");
  Write("    if (maxTotalFileSize > 0 && totalSize > maxTotalFileSize) {");
  Write(
      "      uploadError(\"O tamanho total dos arquivos selecionados excede o limite "
      "permitido.\");");
  Write("      return;");
  Write("    }");
  Write("    var formData = new FormData($('#uploadForm')[0]);");
  Write("    LockThreadClient();");
  Write("    $.ajax({");
  Write("      url: \"/vexlo/upload?token=" + token + "&orvanesession=" + uuid +
        "&FormUUID=" + formUUID + "\",");
  Write("      type: \"POST\",");
  Write("      data: formData,");
  Write("      processData: false,");
  Write("      contentType: false,");
  Write("      success: function () {");
  if (FButtonCleanVisible) Write("        $('#clearButton').click();");
  Write("        UnLockThreadClient();");
  if (FShowFinishMessage)
    Write("        Swal.fire({ icon: \"success\", text: \"Arquivos enviados com sucesso!\" });");
  Write("      },");
  Write("      error: function (xhr) {");
  Write("        UnLockThreadClient();");
  // The server's reason when it refused the files, else the general one.
  Write("        var reason = xhr && xhr.status >= 400 && xhr.status < 500 && xhr.responseText;");
  Write("        uploadError(reason || \"Erro ao enviar os arquivos.\");");
  Write("      }");
  Write("    });");
  Write("  });");
  Write("});");
  Write("</script>");
}

void SetAllowedFileTypesText(IVexloItemHTMLInput& AItem, const std::string& AText) {
  core::TStrings& types = AItem.AllowedFileTypes();
  types.Clear();
  if (Trimmed(AText) == "*") return;
  size_t start = 0;
  for (;;) {
    size_t comma = AText.find(',', start);
    std::string type = Trimmed(
        AText.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!type.empty() && type[0] == '.') type.erase(0, 1);
    if (!type.empty()) types.Add(AsciiLower(type));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

}  // namespace vexlo
