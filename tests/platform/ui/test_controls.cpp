#include <gtest/gtest.h>

#include "platform/ui/Forms.h"
#include "platform/ui/Headless.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

using namespace ui;

namespace {

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const std::string& name, int l, int t, int w,
        int h) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}

// A container without insets, so alignment results are easy to read.
class TBox : public TWinControl {
 public:
  using TWinControl::TWinControl;
};

}  // namespace

TEST(Controls, OwnerFreesControlsAndReferencesAreCleared) {
  auto* form = Create<TForm>(nullptr);
  auto* box = Make<TGroupBox>(form, form, "GroupBox1", 0, 0, 200, 200);
  auto* edit = Make<TEdit>(form, box, "edtNome", 10, 30, 100, 23);
  auto* label = Make<TLabel>(form, box, "lblNome", 10, 10, 50, 15);
  auto* popup = new TPopupMenu(form);
  label->SetFocusControl(edit);
  edit->SetPopupMenu(popup);
  EXPECT_EQ(box->ControlCount(), 2);
  form->Show();
  edit->SetFocus();
  EXPECT_EQ(form->ActiveControl(), edit);

  // Freeing the edit takes it out of its parent, the label's reference and the focus.
  edit->Free();
  EXPECT_EQ(box->ControlCount(), 1);
  EXPECT_EQ(label->FocusControl(), nullptr);
  EXPECT_EQ(form->ActiveControl(), nullptr);

  // Freeing the popup menu clears the control's reference.
  auto* edit2 = Make<TEdit>(form, box, "edt2", 0, 0, 10, 10);
  edit2->SetPopupMenu(popup);
  popup->Free();
  EXPECT_EQ(edit2->PopupMenu(), nullptr);

  // Children owned elsewhere go with their parent.
  TComponent other;
  auto* foreign = Make<TEdit>(&other, box, "foreign", 0, 0, 10, 10);
  (void)foreign;
  EXPECT_EQ(other.ComponentCount(), 1);
  form->Free();  // frees box, label, edit2 and the foreign child
  EXPECT_EQ(other.ComponentCount(), 0);
}

struct AlignCase {
  const char* name;
  std::vector<std::pair<TAlign, TRect>> controls;  // align, initial bounds
  std::vector<TRect> expected;
};

TEST(Controls, AlignmentRules) {
  const std::vector<AlignCase> cases = {
      {"tops stack in order of Top",
       {{alTop, Rect(0, 50, 10, 80)}, {alTop, Rect(0, 0, 10, 41)}},
       {Rect(0, 41, 300, 71), Rect(0, 0, 300, 41)}},
      {"bottom-most alBottom sits lowest",
       {{alBottom, Rect(0, 150, 10, 170)}, {alBottom, Rect(0, 180, 10, 190)}},
       {Rect(0, 170, 300, 190), Rect(0, 190, 300, 200)}},
      {"left and right take the height left by top and bottom",
       {{alTop, Rect(0, 0, 0, 41)},
        {alBottom, Rect(0, 0, 0, 20)},
        {alLeft, Rect(0, 0, 100, 0)},
        {alRight, Rect(0, 0, 40, 0)},
        {alClient, Rect(0, 0, 0, 0)}},
       {Rect(0, 0, 300, 41), Rect(0, 180, 300, 200), Rect(0, 41, 100, 180), Rect(260, 41, 300, 180),
        Rect(100, 41, 260, 180)}},
      {"right-aligned controls: the right-most stays at the edge",
       {{alRight, Rect(200, 0, 240, 39)},
        {alRight, Rect(250, 0, 254, 39)},
        {alRight, Rect(260, 0, 300, 39)}},
       {Rect(216, 0, 256, 200), Rect(256, 0, 260, 200), Rect(260, 0, 300, 200)}},
      {"alNone keeps its bounds",
       {{alNone, Rect(5, 6, 25, 36)}, {alClient, Rect(0, 0, 1, 1)}},
       {Rect(5, 6, 25, 36), Rect(0, 0, 300, 200)}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    TBox parent(nullptr);
    parent.SetBounds(0, 0, 300, 200);
    parent.DisableAlign();  // laid out as designed: by position alone
    std::vector<TControl*> made;
    for (auto& [align, r] : tc.controls) {
      auto* c = new TBox(&parent);
      c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
      c->SetAlign(align);
      c->SetParent(&parent);
      made.push_back(c);
    }
    parent.EnableAlign();
    for (size_t i = 0; i < made.size(); ++i) EXPECT_EQ(made[i]->BoundsRect(), tc.expected[i]) << i;
  }
}

TEST(Controls, ControlAlignedAtRunTimeGoesAheadOfTies) {
  TBox parent(nullptr);
  parent.SetBounds(0, 0, 300, 200);
  auto* first = new TBox(&parent);
  first->SetBounds(0, 0, 10, 30);
  first->SetAlign(alTop);
  first->SetParent(&parent);
  auto* second = new TBox(&parent);
  second->SetBounds(0, 0, 10, 20);
  second->SetAlign(alTop);
  second->SetParent(&parent);
  EXPECT_EQ(second->Top(), 0);
  EXPECT_EQ(first->Top(), 20);
  // A control placed below the others stays below.
  auto* third = new TBox(&parent);
  third->SetBounds(0, 100, 10, 5);
  third->SetAlign(alTop);
  third->SetParent(&parent);
  EXPECT_EQ(third->Top(), 50);
}

TEST(Controls, AlignFollowsResizeVisibilityAndHeightChanges) {
  TBox parent(nullptr);
  parent.SetBounds(0, 0, 300, 200);
  auto* top1 = new TBox(&parent);
  top1->SetBounds(0, 0, 10, 33);
  top1->SetAlign(alTop);
  top1->SetParent(&parent);
  auto* top2 = new TBox(&parent);
  top2->SetBounds(0, 40, 10, 103);
  top2->SetAlign(alTop);
  top2->SetParent(&parent);
  auto* client = new TBox(&parent);
  client->SetAlign(alClient);
  client->SetParent(&parent);
  EXPECT_EQ(top2->Top(), 33);
  EXPECT_EQ(client->BoundsRect(), Rect(0, 136, 300, 200));
  // Collapsing the first group moves the others up.
  top1->SetHeight(103);
  EXPECT_EQ(top2->Top(), 103);
  top1->SetHeight(33);
  EXPECT_EQ(top2->Top(), 33);
  // Hidden controls take no space.
  top1->Hide();
  EXPECT_EQ(top2->Top(), 0);
  top1->Show();
  // Resizing the parent refills.
  parent.SetBounds(0, 0, 500, 400);
  EXPECT_EQ(client->BoundsRect(), Rect(0, 136, 500, 400));
  EXPECT_EQ(top1->Width(), 500);
}

TEST(Controls, AnchorsFollowParentResize) {
  TBox parent(nullptr);
  parent.SetBounds(0, 0, 919, 535);
  auto add = [&](TAnchors a) {
    auto* c = new TBox(&parent);
    c->SetBounds(840, 496, 71, 31);
    c->SetAnchors(a);
    c->SetParent(&parent);
    return c;
  };
  auto* topLeft = add(akLeft | akTop);
  auto* bottomRight = add(akRight | akBottom);
  auto* stretch = add(akLeft | akTop | akRight | akBottom);
  parent.SetBounds(0, 0, 1019, 635);
  EXPECT_EQ(topLeft->BoundsRect(), Rect(840, 496, 911, 527));
  EXPECT_EQ(bottomRight->BoundsRect(), Rect(940, 596, 1011, 627));
  EXPECT_EQ(stretch->BoundsRect(), Rect(840, 496, 1011, 627));
}

TEST(Controls, GroupBoxInsetsAlignedChildren) {
  TGroupBox gb(nullptr);
  gb.SetBounds(0, 0, 338, 300);
  auto* grid = new TBox(&gb);
  grid->SetAlign(alClient);
  grid->SetParent(&gb);
  EXPECT_EQ(grid->Left(), 2);
  EXPECT_GT(grid->Top(), 2);
  EXPECT_EQ(grid->BoundsRect().Right, 336);
  EXPECT_EQ(grid->BoundsRect().Bottom, 298);
}

TEST(Controls, KeyboardOrderFollowsTabOrderAndTabStop) {
  auto* form = Create<TForm>(nullptr);
  auto* a = Make<TEdit>(form, form, "edtLogin", 0, 0, 10, 10);
  auto* c = Make<TEdit>(form, form, "edtSenha", 0, 0, 10, 10);
  auto* b = Make<TButton>(form, form, "btnEntrar", 0, 0, 10, 10);
  auto* d = Make<TButton>(form, form, "Button1", 0, 0, 10, 10);
  auto* skipped = Make<TEdit>(form, form, "edtId", 0, 0, 10, 10);
  skipped->SetTabStop(false);
  b->SetTabOrder(1);
  EXPECT_EQ(a->TabOrder(), 0);
  EXPECT_EQ(b->TabOrder(), 1);
  EXPECT_EQ(c->TabOrder(), 2);
  form->Show();
  EXPECT_EQ(form->ActiveControl(), a);
  std::vector<std::string> order;
  for (int i = 0; i < 5; ++i) {
    order.push_back(form->ActiveControl()->Name());
    form->ActiveControl()->KeyDownFromUser(VK_TAB, 0);
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"edtLogin", "btnEntrar", "edtSenha", "Button1", "edtLogin"}));
  c->SetFocus();
  c->KeyDownFromUser(VK_TAB, ssShift);
  EXPECT_EQ(form->ActiveControl(), b);
  // Disabled controls are skipped too.
  c->SetEnabled(false);
  b->KeyDownFromUser(VK_TAB, 0);
  EXPECT_EQ(form->ActiveControl(), d);
  EXPECT_THROW(c->SetFocus(), EToolkitError);
  form->Free();
}

TEST(Controls, EnterAndExitFireAsFocusMoves) {
  auto* form = Create<TForm>(nullptr);
  auto* a = Make<TEdit>(form, form, "a", 0, 0, 10, 10);
  auto* b = Make<TEdit>(form, form, "b", 0, 0, 10, 10);
  std::vector<std::string> log;
  a->OnEnter = [&](TComponent*) { log.push_back("enter a"); };
  a->OnExit = [&](TComponent*) { log.push_back("exit a"); };
  b->OnEnter = [&](TComponent*) { log.push_back("enter b"); };
  form->Show();  // focuses the first control
  a->SetFocus();
  b->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
  form->Free();
}

TEST(Controls, EditTypingPasswordCaseReadOnlyAndChange) {
  auto* form = Create<TForm>(nullptr);
  auto* e = Make<TEdit>(form, form, "edtSenha", 0, 0, 10, 10);
  int changes = 0;
  e->OnChange = [&](TComponent*) { ++changes; };
  e->SetText("ketil");
  EXPECT_EQ(changes, 1);
  e->SetText("ketil");
  EXPECT_EQ(changes, 1);  // no change, no event
  e->SetPasswordChar('*');
  EXPECT_EQ(std::get<std::string>(e->GetPropValue("PasswordChar")), "*");
  EXPECT_EQ(e->Text(), "ketil");  // the model keeps the real text

  form->Show();
  TypeInto(*e, "ação");
  EXPECT_EQ(e->Text(), "ação");
  e->KeyPressFromUser(8);
  EXPECT_EQ(e->Text(), "açã");

  e->SetCharCase(ecUpperCase);
  EXPECT_EQ(e->Text(), "AÇÃ");
  e->TypeText("é");
  EXPECT_EQ(e->Text(), "AÇÃÉ");

  e->SetMaxLength(4);
  e->TypeText("x");
  EXPECT_EQ(e->Text(), "AÇÃÉ");

  e->SetReadOnly(true);
  e->TypeText("zz");
  EXPECT_EQ(e->Text(), "AÇÃÉ");

  // OnKeyPress can swallow a key.
  e->SetReadOnly(false);
  e->SetMaxLength(0);
  e->OnKeyPress = [](TComponent*, char32_t& k) {
    if (k == '!') k = 0;
  };
  e->TypeText("a!");
  EXPECT_EQ(e->Text(), "AÇÃÉA");
  form->Free();
}

TEST(Controls, MemoLinesAndTextAreOneText) {
  TMemo m(nullptr);
  int changes = 0;
  m.OnChange = [&](TComponent*) { ++changes; };
  m.Lines().Add("primeira");
  m.Lines().Add("segunda");
  EXPECT_EQ(m.Text(), "primeira\nsegunda");
  m.SetText("a\r\nb\nc");
  EXPECT_EQ(m.Lines().Count(), 3);
  EXPECT_EQ(m.Lines()[2], "c");
  EXPECT_EQ(changes, 3);
}

TEST(Controls, CheckBoxRadioAndComboBehaveAsClicked) {
  auto* form = Create<TForm>(nullptr);
  auto* cb = Make<TCheckBox>(form, form, "chk", 0, 0, 10, 10);
  int clicks = 0;
  cb->OnClick = [&](TComponent*) { ++clicks; };
  form->Show();
  cb->ClickByUser();
  EXPECT_TRUE(cb->Checked());
  cb->SetChecked(false);
  EXPECT_EQ(clicks, 2);  // setting Checked fires OnClick as a click does

  auto* r1 = Make<TRadioButton>(form, form, "r1", 0, 0, 10, 10);
  auto* r2 = Make<TRadioButton>(form, form, "r2", 0, 0, 10, 10);
  r1->SetChecked(true);
  r2->ClickByUser();
  EXPECT_FALSE(r1->Checked());
  EXPECT_TRUE(r2->Checked());

  auto* combo = Make<TComboBox>(form, form, "cbb", 0, 0, 10, 10);
  combo->Items().SetText("Aberta\nFechada\nCancelada");
  std::vector<std::string> log;
  combo->OnChange = [&](TComponent*) { log.push_back("change " + combo->Text()); };
  combo->OnSelect = [&](TComponent*) { log.push_back("select " + combo->Text()); };
  combo->SelectByUser(1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  combo->SetText("Outra");
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->SetItemIndex(2);  // no event for a programmatic selection
  EXPECT_EQ(combo->Text(), "Cancelada");
  EXPECT_EQ(log, (std::vector<std::string>{"select Fechada", "change Outra"}));
  combo->SetStyle(csDropDownList);
  combo->SetText("fechada");  // a list entry, matched ignoring case
  EXPECT_EQ(combo->ItemIndex(), 1);
  combo->SetText("nada");  // not in the list: ignored
  EXPECT_EQ(combo->Text(), "Fechada");

  // A disabled control cannot be clicked by a user.
  cb->SetEnabled(false);
  EXPECT_THROW(cb->ClickByUser(), EToolkitError);
  form->Free();
}

TEST(Controls, PublishedPropertiesEnumerateAndCopy) {
  TButton src(nullptr);
  src.SetBounds(110, 408, 247, 33);
  src.SetCaption("Entrar");
  src.SetEnabled(false);
  std::vector<std::string> names;
  for (const TPropInfo* p : TButton::StaticClass().Properties()) names.push_back(p->Name);
  for (const char* n : {"Name", "Left", "Top", "Width", "Height", "Parent", "Caption", "Color",
                        "Enabled", "Visible", "TabOrder", "ModalResult"})
    EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;

  // Copy same-named properties of identical type to another class.
  TCheckBox dst(nullptr);
  for (const char* n : {"Left", "Top", "Width", "Height", "Caption", "Enabled", "Visible"}) {
    const TPropInfo* from = src.ClassType().FindProperty(n);
    const TPropInfo* to = dst.ClassType().FindProperty(n);
    ASSERT_TRUE(from && to && to->Set) << n;
    ASSERT_EQ(from->TypeName, to->TypeName);
    to->Set(dst, from->Get(src));
  }
  EXPECT_EQ(dst.BoundsRect(), Rect(110, 408, 357, 441));
  EXPECT_EQ(dst.Caption(), "Entrar");
  EXPECT_FALSE(dst.Enabled());
  // Enumerations travel as ordinals.
  src.SetPropValue("Align", int64_t{alClient});
  EXPECT_EQ(src.Align(), alClient);
  EXPECT_FALSE(TEdit::StaticClass().FindProperty("Caption"));
  EXPECT_TRUE(TEdit::StaticClass().FindProperty("Text"));
}

TEST(Controls, MouseMessagesGoThroughAReplaceableWindowProc) {
  TBox box(nullptr);
  box.SetBounds(0, 0, 100, 30);
  std::vector<std::string> log;
  box.OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int x, int y) {
    log.push_back("down " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
  };
  box.OnMouseLeave = [&](TComponent*) { log.push_back("leave"); };
  TWndMethod saved = box.WindowProc;
  box.WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_MOUSEMOVE) log.push_back("hooked move");
    saved(m);
  };
  box.MouseDownFromUser(mbMiddle, 0, 12, 7);
  box.MouseMoveFromUser(0, 3, 4);
  box.MouseLeaveFromUser();
  EXPECT_EQ(log, (std::vector<std::string>{"down 2 12,7", "hooked move", "leave"}));
}

TEST(Controls, DragWithinAControlDropsOnlyPastTheThreshold) {
  auto* form = Create<TForm>(nullptr);
  form->SetBounds(0, 0, 400, 300);
  auto* strip = Make<TBox>(form, form, "strip", 0, 0, 400, 30);
  strip->OnMouseDown = [&](TComponent*, TMouseButton b, TShiftState, int, int) {
    if (b == mbLeft) strip->BeginDrag(false);
  };
  strip->OnDragOver = [&](TComponent*, TComponent* src, int, int, TDragState, bool& accept) {
    accept = src == strip;
  };
  std::vector<int> drops;
  strip->OnDragDrop = [&](TComponent*, TComponent*, int x, int) { drops.push_back(x); };
  // A click without movement is not a drag.
  strip->MouseDownFromUser(mbLeft, 0, 10, 10);
  strip->MouseMoveFromUser(ssLeft, 12, 10);
  strip->MouseUpFromUser(mbLeft, 0, 12, 10);
  EXPECT_TRUE(drops.empty());
  strip->MouseDownFromUser(mbLeft, 0, 10, 10);
  strip->MouseMoveFromUser(ssLeft, 150, 12);
  EXPECT_TRUE(strip->Dragging());
  strip->MouseUpFromUser(mbLeft, 0, 150, 12);
  EXPECT_EQ(drops, std::vector<int>{150});
  EXPECT_FALSE(strip->Dragging());
  form->Free();
}

TEST(Controls, ShortcutsRunMenuItemsAndContextMenusPopUp) {
  auto* form = Create<TForm>(nullptr);
  auto* menu = new TMainMenu(form);
  form->SetMenu(menu);
  auto* sair = new TMenuItem(form);
  sair->SetCaption("Sair");
  menu->Items()->Add(sair);
  auto* fechar = new TMenuItem(form);
  fechar->SetCaption("Fechar janela");
  fechar->SetShortCut(TextToShortCut("Ctrl+F4"));
  sair->Add(fechar);
  int closed = 0;
  fechar->OnClick = [&](TComponent*) { ++closed; };
  auto* e = Make<TEdit>(form, form, "e", 0, 0, 10, 10);
  form->Show();
  e->KeyDownFromUser(VK_F4, ssCtrl);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(ShortCutToText(fechar->ShortCut()), "Ctrl+F4");
  fechar->SetEnabled(false);
  e->KeyDownFromUser(VK_F4, ssCtrl);
  EXPECT_EQ(closed, 1);

  auto* pop = new TPopupMenu(form);
  e->SetPopupMenu(pop);
  int shown = 0;
  Application->Headless()->OnPopup = [&](TPopupMenu& m, int, int) {
    EXPECT_EQ(&m, pop);
    ++shown;
  };
  e->MouseUpFromUser(mbRight, 0, 3, 3);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(pop->PopupComponent(), e);
  Application->Headless()->Reset();
  // Freeing an item frees its sub-items.
  sair->Free();
  EXPECT_EQ(menu->Items()->Count(), 0);
  EXPECT_EQ(form->FindComponent("e"), e);
  form->Free();
}

TEST(Controls, UpperAndLowerCaseHandlePortugueseLetters) {
  EXPECT_EQ(AnsiUpperCase("solicitação número"), "SOLICITAÇÃO NÚMERO");
  EXPECT_EQ(AnsiLowerCase("ÁÉÍÓÚ ÂÊÔ ÃÕ Ç À"), "áéíóú âêô ãõ ç à");
  EXPECT_EQ(UTF8Length("ação"), 4);
}
