// Small helpers the application's forms are built with: a control with its
// owner, name, parent and bounds; labels; data-aware edits; the common frame
// of the registration forms.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/db/DB.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "vexlo/Vexlo.Forms.h"

namespace orvane {
class TOrvaneControl;
}

namespace app {

template <class T>
T* Make(core::TComponent* AOwner, ui::TWinControl* AParent, const std::string& AName, int ALeft,
        int ATop, int AWidth, int AHeight) {
  T* c = new T(AOwner);
  c->SetName(AName);
  c->SetParent(AParent);
  c->SetBounds(ALeft, ATop, AWidth, AHeight);
  return c;
}

inline ui::TLabel* MakeLabel(core::TComponent* AOwner, ui::TWinControl* AParent,
                             const std::string& AName, const std::string& ACaption, int ALeft,
                             int ATop) {
  auto* l = Make<ui::TLabel>(AOwner, AParent, AName, ALeft, ATop, 0, 15);
  l->SetCaption(ACaption);
  return l;
}

// A panel without bevel or caption.
inline ui::TPanel* MakePanel(core::TComponent* AOwner, ui::TWinControl* AParent,
                             const std::string& AName, ui::TAlign AAlign, int ALeft, int ATop,
                             int AWidth, int AHeight) {
  auto* p = Make<ui::TPanel>(AOwner, AParent, AName, ALeft, ATop, AWidth, AHeight);
  p->SetAlign(AAlign);
  p->SetBevelOuter(ui::bvNone);
  p->SetShowCaption(false);
  return p;
}

inline ui::TButton* MakeButton(core::TComponent* AOwner, ui::TWinControl* AParent,
                               const std::string& AName, const std::string& ACaption, int ALeft,
                               int ATop, int AWidth, int AHeight) {
  auto* b = Make<ui::TButton>(AOwner, AParent, AName, ALeft, ATop, AWidth, AHeight);
  b->SetCaption(ACaption);
  return b;
}

inline ui::TDBEdit* MakeDBEdit(core::TComponent* AOwner, ui::TWinControl* AParent,
                               const std::string& AName, db::TDataSource* ASource,
                               const std::string& AField, int ALeft, int ATop, int AWidth) {
  auto* e = Make<ui::TDBEdit>(AOwner, AParent, AName, ALeft, ATop, AWidth, 23);
  e->SetDataSource(ASource);
  e->SetDataField(AField);
  return e;
}

// A key the database assigns: shown grey, read-only, skipped by the keyboard.
inline void MakeKeyReadOnly(ui::TDBEdit* AEdit) {
  AEdit->SetReadOnly(true);
  AEdit->SetColor(ui::clBtnFace);
  AEdit->SetTabStop(false);
}

inline ui::TDBLookupComboBox* MakeLookup(core::TComponent* AOwner, ui::TWinControl* AParent,
                                         const std::string& AName, db::TDataSource* ASource,
                                         const std::string& AField, db::TDataSource* AList,
                                         const std::string& AKeyField,
                                         const std::string& AListField, int ALeft, int ATop,
                                         int AWidth) {
  auto* c = Make<ui::TDBLookupComboBox>(AOwner, AParent, AName, ALeft, ATop, AWidth, 23);
  c->SetListSource(AList);
  c->SetKeyField(AKeyField);
  c->SetListField(AListField);
  c->SetDataSource(ASource);
  c->SetDataField(AField);
  return c;
}

// The frame every registration form shares: the title bar with "Sair", the
// data panel, and (for the forms with a list) the toolbar, the list group
// with its read-only grid and the details group.
struct TCadFrame {
  ui::TPanel* pnButtons = nullptr;
  ui::TLabel* lblTituloTela = nullptr;
  ui::TButton* btnSair = nullptr;
  ui::TPanel* pnlDados = nullptr;
  ui::TPanel* Panel1 = nullptr;
  ui::TButton* btnNovo = nullptr;
  ui::TButton* btnSalvar = nullptr;
  ui::TButton* btnCancelar = nullptr;
  ui::TGroupBox* GroupBox2 = nullptr;
  ui::TDBGrid* DBGrid1 = nullptr;
  ui::TGroupBox* GroupBox1 = nullptr;
};

struct TGridColumn {
  std::string FieldName;
  int Width;  // -1: the field's default width
};

// How every registration form starts: its name and caption, a 900 x 480
// client area, white, "Segoe UI" 9.
void IniciarFormCadastro(ui::TCustomForm& AForm, const std::string& AName,
                         const std::string& ACaption);

TCadFrame BuildCadFrame(ui::TCustomForm& AForm, const std::string& ACaption,
                        db::TDataSource* ASource, bool AWithList,
                        std::initializer_list<TGridColumn> AColumns);

// The form's own data source "dtsStatus" on ADataSet, used only for its
// state-change notification: AOnStateChange runs on every change and once
// at once, so the buttons start right.
db::TDataSource* CriarDtsStatus(core::TComponent& AOwner, db::TDataSet* ADataSet,
                                std::function<void(core::TComponent*)> AOnStateChange);

// The enabling rule of the toolbar: while the dataset is editing or
// inserting "Novo" is off and "Salvar" / "Cancelar" are on; otherwise the
// reverse. ANovo may be null (the city hall form has none).
void ApplyEditButtons(db::TDataSet* ADataSet, ui::TControl* ANovo, ui::TControl* ASalvar,
                      ui::TControl* ACancelar);
// True while the dataset is editing or inserting.
bool IsEditing(const db::TDataSet* ADataSet);

// Before a form closes, a record of ADataSet still being edited or inserted
// is never dropped silently. When it holds a change the form (brought to the
// front) asks "Deseja salvar as alterações?": "Sim" saves it (ASalvar, or a
// post; an error goes on to the caller's report and the form stays open),
// "Não" cancels it, "Cancelar" keeps the form open. A record without changes
// is cancelled without a question, and nothing is asked once the program is
// terminating. Returns whether the form may close.
bool ConfirmarAlteracoes(vexlo::TVexloForm& AForm, db::TDataSet* ADataSet,
                         const std::function<void()>& ASalvar = nullptr);

// --- web layouts (read only in a web session) ---

// A label over its field; AColunas is the Bootstrap column of the pair.
struct TCampoWeb {
  ui::TControl* Rotulo;
  ui::TControl* Campo;
  std::string Colunas = "col-12 col-md-6";
};

// The registration forms' page: the title with "Sair", the toolbar
// (ABotoes: "Novo", "Salvar", "Cancelar", those there are), the list
// (AGrade, may be null) beside the details on a laptop and above them on a
// phone, and the details as labelled fields.
void ExportarCadastroWeb(vexlo::TVexloForm& AForm, ui::TControl* ATitulo, ui::TControl* ASair,
                         std::initializer_list<ui::TControl*> ABotoes, ui::TControl* AGrade,
                         const std::vector<TCampoWeb>& ACampos);

// For InitControlsVexlo: typing into a data-aware field reaches the form
// at once (as on the desktop, where it starts editing the record and so
// enables "Salvar" and "Cancelar"), not only with the next button.
void ReportarDigitacaoWeb(orvane::TOrvaneControl* AOrvaneControl);

}  // namespace app
