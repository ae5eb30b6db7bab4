#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <QTableView>

#include "platform/ui/Clipbrd.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtBackend.h"

using namespace ui;
using ui::qt::WidgetOf;

namespace {

// One QApplication for the whole run, with the Qt backend installed.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_ui_qt";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    ui::qt::InstallQtBackend();
  }
  void TearDown() override {
    Application->Shutdown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete app;
  }
  QApplication* app = nullptr;
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const std::string& name, int l, int t, int w,
        int h) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}

// A login-like window laid out in code.
class TfJanela : public TForm {
 public:
  explicit TfJanela(TComponent* AOwner) : TForm(AOwner) {
    SetName("fJanela");
    SetCaption("Login");
    SetBorderStyle(bsNone);
    SetPosition(poScreenCenter);
    SetClientWidth(919);
    SetClientHeight(535);
    SetColor(clWhite);
    edtLogin = Make<TEdit>(this, this, "edtLogin", 110, 303, 247, 23);
    edtLogin->SetText("ketil");
    btnEntrar = Make<TButton>(this, this, "btnEntrar", 110, 408, 247, 33);
    btnEntrar->SetCaption("Entrar");
    edtSenha = Make<TEdit>(this, this, "edtSenha", 110, 359, 247, 23);
    edtSenha->SetPasswordChar('*');
    edtSenha->SetText("ketil");
    Button1 = Make<TButton>(this, this, "Button1", 840, 496, 71, 31);
    Button1->SetCaption("Sair");
    btnEntrar->SetTabOrder(1);
  }
  TEdit* edtLogin;
  TButton* btnEntrar;
  TEdit* edtSenha;
  TButton* Button1;
};

class QtTest : public ::testing::Test {
 protected:
  void SetUp() override { Application->ResetTerminate(); }
  void TearDown() override {
    Application->ResetTerminate();
    QCoreApplication::processEvents();
  }
};

QRect ScreenArea() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

// Runs AAction from the event loop as soon as a modal message box shows.
void AnswerMessageBox(std::function<void(QMessageBox*)> AAction) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, AAction] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      AAction(box);
    }
  });
  timer->start(10);
}

}  // namespace

TEST_F(QtTest, FormRealizesWithItsGeometryFontAndColour) {
  auto* f = Create<TfJanela>(nullptr);
  f->Show();
  QWidget* w = WidgetOf(f);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w->size(), QSize(919, 535));
  EXPECT_EQ(w->pos(), QPoint(ScreenArea().x() + (ScreenArea().width() - 919) / 2,
                             ScreenArea().y() + (ScreenArea().height() - 535) / 2));
  QWidget* e = WidgetOf(f->edtLogin);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->geometry(), QRect(110, 303, 247, 23));
  EXPECT_EQ(WidgetOf(f->Button1)->geometry(), QRect(840, 496, 71, 31));
  QString expected = QFontDatabase::families().contains("Segoe UI") ? "Segoe UI" : "DejaVu Sans";
  EXPECT_EQ(e->font().family(), expected);
  EXPECT_EQ(e->font().pointSize(), 9);
  QImage shot = w->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::white));

  // Changes in the model reach the widgets.
  f->edtLogin->SetText("bryn");
  EXPECT_EQ(static_cast<QLineEdit*>(e)->text(), "bryn");
  f->btnEntrar->SetCaption("Acessar");
  EXPECT_EQ(static_cast<QPushButton*>(WidgetOf(f->btnEntrar))->text(), "Acessar");
  f->Button1->SetEnabled(false);
  EXPECT_FALSE(WidgetOf(f->Button1)->isEnabled());
  f->Button1->Hide();
  EXPECT_FALSE(WidgetOf(f->Button1)->isVisible());
  // A control added later gets its widget at once.
  auto* lbl = Make<TLabel>(f, f, "lblNovo", 10, 10, 80, 15);
  lbl->SetCaption("Senha");
  ASSERT_NE(WidgetOf(lbl), nullptr);
  EXPECT_TRUE(WidgetOf(lbl)->isVisible());
  f->Free();
}

TEST_F(QtTest, PasswordEchoAndTypingGoThroughTheModel) {
  auto* f = Create<TfJanela>(nullptr);
  f->Show();
  auto* le = static_cast<QLineEdit*>(WidgetOf(f->edtSenha));
  EXPECT_EQ(le->echoMode(), QLineEdit::Password);
  EXPECT_EQ(le->displayText(), "*****");
  EXPECT_EQ(f->edtSenha->Text(), "ketil");

  int changes = 0;
  f->edtSenha->OnChange = [&](TComponent*) { ++changes; };
  f->edtSenha->OnKeyPress = [](TComponent*, char32_t& k) {
    if (k == '!') k = 0;
  };
  f->edtSenha->SetFocus();
  le->setCursorPosition(5);
  QTest::keyClicks(le, "x!y");
  EXPECT_EQ(f->edtSenha->Text(), "ketilxy");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(le->displayText(), "*******");
  f->Free();
}

TEST_F(QtTest, KeyboardOrderFollowsTabOrder) {
  auto* f = Create<TfJanela>(nullptr);
  f->Show();
  QApplication::setActiveWindow(WidgetOf(f));
  EXPECT_EQ(f->ActiveControl(), f->edtLogin);
  EXPECT_EQ(QApplication::focusWidget(), WidgetOf(f->edtLogin));
  std::vector<std::string> order;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order.push_back(f->ActiveControl()->Name());
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(f->ActiveControl()));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"btnEntrar", "edtSenha", "Button1", "edtLogin"}));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(f->ActiveControl(), f->Button1);
  f->Free();
}

TEST_F(QtTest, ModalRunAndCentredMessageBoxNatively) {
  auto* f = Create<TfJanela>(nullptr);
  TModalResult answer = mrNone;
  f->btnEntrar->OnClick = [&](TComponent*) {
    answer = MessageDlg("Usuário ou Senha não confere!", mtWarning, {mbOK}, 0);
    f->Close();
  };
  QString text;
  QRect boxRect;
  AnswerMessageBox([&](QMessageBox* box) {
    text = box->text();
    boxRect = box->frameGeometry();
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
  });
  QTimer::singleShot(0, [&] {
    QTest::mouseClick(static_cast<QPushButton*>(WidgetOf(f->btnEntrar)), Qt::LeftButton);
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(text, "Usuário ou Senha não confere!");
  EXPECT_EQ(answer, mrOk);
  EXPECT_LE(std::abs(boxRect.center().x() - ScreenArea().center().x()), 2);
  EXPECT_LE(std::abs(boxRect.center().y() - ScreenArea().center().y()), 2);
  EXPECT_FALSE(WidgetOf(f)->isVisible());
  f->Free();
}

TEST_F(QtTest, PendingTerminationEndsANativeModalRunAndErrorsAreReported) {
  auto* f = Create<TfJanela>(nullptr);
  f->Button1->OnClick = [](TComponent*) {
    Application->Terminate();
    throw std::runtime_error("Falha ao sair");
  };
  QString reported;
  AnswerMessageBox([&](QMessageBox* box) {
    reported = box->text();
    box->buttons().front()->click();
  });
  QTimer::singleShot(0, [&] {
    QTest::mouseClick(static_cast<QPushButton*>(WidgetOf(f->Button1)), Qt::LeftButton);
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(reported, "Falha ao sair");  // the standard exception report
  f->Free();
}

TEST_F(QtTest, MaximisedWindowSizesTheModelAndItsAlignedChildren) {
  auto* f = Create<TForm>(nullptr);
  f->SetWindowState(wsMaximized);
  auto* top = Make<TPanel>(f, f, "Panel1", 0, 0, 100, 41);
  top->SetAlign(alTop);
  auto* menu = new TMainMenu(f);
  auto* sair = new TMenuItem(f);
  sair->SetCaption("Sair");
  int clicked = 0;
  sair->OnClick = [&](TComponent*) { ++clicked; };
  menu->Items()->Add(sair);
  f->SetMenu(menu);
  f->Show();
  QCoreApplication::processEvents();
  QWidget* w = WidgetOf(f);
  EXPECT_TRUE(w->isMaximized());
  // The screen's free area, even where no window manager maximises it.
  EXPECT_EQ(w->frameGeometry(), ScreenArea());
  EXPECT_EQ(f->Width(), w->width());
  EXPECT_EQ(top->Width(), f->ClientWidth());
  auto* bar = w->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 1);
  EXPECT_EQ(bar->actions().front()->text(), "Sair");
  bar->actions().front()->trigger();
  EXPECT_EQ(clicked, 1);
  f->Free();
}

// A label with an end ellipsis shows its whole text while it fits, and
// otherwise the text cut with "…" and the whole text as its tooltip.
TEST_F(QtTest, LabelEllipsisAndTooltip) {
  auto* f = Create<TForm>(nullptr);
  f->SetBounds(0, 0, 600, 100);
  auto* l = Make<TLabel>(f, f, "lblNome", 0, 0, 0, 30);
  l->SetAutoSize(false);
  l->SetEllipsisPosition(epEndEllipsis);
  const std::string name = "Prefeitura Municipal de Santa Aurora do Sul";
  l->SetCaption(name);
  f->Show();
  auto* ql = qobject_cast<QLabel*>(WidgetOf(l));
  ASSERT_NE(ql, nullptr);
  int whole = ql->fontMetrics().horizontalAdvance(QString::fromStdString(name));
  l->SetWidth(whole + 4);
  QCoreApplication::processEvents();
  EXPECT_EQ(ql->text().toStdString(), name);
  EXPECT_TRUE(ql->toolTip().isEmpty());
  l->SetWidth(whole / 2);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ql->text().endsWith(QChar(0x2026))) << ql->text().toStdString();
  EXPECT_LE(ql->fontMetrics().horizontalAdvance(ql->text()), whole / 2);
  EXPECT_EQ(ql->toolTip().toStdString(), name);
  // A hint of its own wins over the tooltip of the cut text.
  l->SetHint("Nome da prefeitura");
  EXPECT_EQ(ql->toolTip().toStdString(), "Nome da prefeitura");
  // Without the ellipsis the text is never cut.
  l->SetHint("");
  l->SetEllipsisPosition(epNone);
  EXPECT_EQ(ql->text().toStdString(), name);
  f->Free();
}

TEST_F(QtTest, DataAwareControlsAndGridNatively) {
  db::TMemDataSet ds;
  ds.AddField("ID_SITUACAO", db::TFieldType::ftLargeint);
  ds.AddField("NOME_SITUACAO", db::TFieldType::ftString, 100).DisplayLabel = "Situação";
  db::TDataSource src;
  src.SetDataSet(&ds);
  ds.Open();
  for (auto [id, nome] :
       {std::pair{1, "Aberta"}, std::pair{2, "Em andamento"}, std::pair{3, "Fechada"}}) {
    ds.Append();
    ds.FieldByName("ID_SITUACAO").SetAsLargeInt(id);
    ds.FieldByName("NOME_SITUACAO").SetAsString(nome);
    ds.Post();
  }
  ds.First();
  auto* f = Create<TForm>(nullptr);
  f->SetBounds(0, 0, 600, 400);
  auto* grid = Make<TDBGrid>(f, f, "DBGrid1", 0, 0, 338, 300);
  grid->SetDataSource(&src);
  grid->SetReadOnly(true);
  auto* edt = Make<TDBEdit>(f, f, "edtNome", 350, 10, 200, 23);
  edt->SetDataSource(&src);
  edt->SetDataField("NOME_SITUACAO");
  f->Show();
  auto* table = qobject_cast<QTableView*>(WidgetOf(grid));
  ASSERT_NE(table, nullptr);
  QAbstractItemModel* m = table->model();
  auto cell = [m](int r, int c) { return m->index(r, c).data().toString(); };
  ASSERT_EQ(m->rowCount(), 3);
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Situação");
  EXPECT_EQ(cell(2, 1), "Fechada");
  // A click on a row moves the dataset; the edit follows.
  QRect rect = table->visualRect(m->index(2, 1));
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(ds.RecNo(), 3);
  EXPECT_EQ(static_cast<QLineEdit*>(WidgetOf(edt))->text(), "Fechada");
  // Typing in the native edit edits the record; posting shows in the grid.
  auto* le = static_cast<QLineEdit*>(WidgetOf(edt));
  edt->SetFocus();
  le->setCursorPosition(7);
  QTest::keyClicks(le, "!");
  EXPECT_EQ(ds.State(), db::TDataSetState::dsEdit);
  ds.Post();
  EXPECT_EQ(cell(2, 1), "Fechada!");
  EXPECT_EQ(table->currentIndex().row(), 2);
  // Editing is off for a read-only grid; on, a typed cell goes into the record.
  EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
  grid->SetReadOnly(false);
  ASSERT_TRUE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_TRUE(m->setData(m->index(0, 1), QString("Reaberta"), Qt::EditRole));
  ds.Post();
  EXPECT_EQ(cell(0, 1), "Reaberta");
  EXPECT_EQ(ds.RecNo(), 1);
  f->Free();
}

TEST_F(QtTest, PopupMenuOpenDialogAndClipboardNatively) {
  auto* f = Create<TfJanela>(nullptr);
  auto* pop = new TPopupMenu(f);
  auto* colar = new TMenuItem(f);
  colar->SetCaption("Colar da Área de Transferência");
  auto* procurar = new TMenuItem(f);
  procurar->SetCaption("Procurar no computador");
  pop->Items()->Add(colar);
  pop->Items()->Add(procurar);
  f->edtLogin->SetPopupMenu(pop);
  std::vector<std::string> chosen;
  colar->OnClick = [&](TComponent*) { chosen.push_back("colar"); };
  procurar->OnClick = [&](TComponent*) { chosen.push_back("procurar"); };
  f->Show();

  // A right click shows the model's menu natively; choosing an item runs it.
  QStringList shown;
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, &shown] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      timer->stop();
      timer->deleteLater();
      for (QAction* a : menu->actions()) shown << a->text();
      menu->actions().at(1)->trigger();
      menu->close();
    }
  });
  timer->start(10);
  QWidget* e = WidgetOf(f->edtLogin);
  QTest::mouseClick(e, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(shown, (QStringList{"Colar da Área de Transferência", "Procurar no computador"}));
  EXPECT_EQ(chosen, std::vector<std::string>{"procurar"});

  // The open dialog returns the chosen file.
  std::string path = ::testing::TempDir() + "logo_qt.png";
  {
    TBitmap b(2, 2);
    TPicture p;
    p.Assign(b);
    p.SaveToFile(path);
  }
  auto* dlgTimer = new QTimer;
  QObject::connect(dlgTimer, &QTimer::timeout, dlgTimer, [dlgTimer, path] {
    if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      dlgTimer->stop();
      dlgTimer->deleteLater();
      dlg->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(dlg, "accept");
    }
  });
  dlgTimer->start(10);
  auto* odlIMAGEPR = new TOpenDialog(f);
  ASSERT_TRUE(odlIMAGEPR->Execute());
  EXPECT_EQ(odlIMAGEPR->FileName, path);
  std::remove(path.c_str());

  // Bitmaps go through the system clipboard.
  TBitmap bmp(3, 2);
  bmp.Fill(clRed);
  Clipboard()->SetBitmap(bmp);
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard()->GetBitmap().GetPixel(2, 1), clRed);
  Clipboard()->SetAsText("ketil");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_EQ(Clipboard()->AsText(), "ketil");
  f->Free();
}
