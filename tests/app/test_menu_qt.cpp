// The main window realized as native Qt widgets (offscreen): the menu with a
// few tabs open, the tabs painted with their close buttons, and through Qt's
// own mouse events a tab dragged to a new place, a click on a close button
// and a middle click closing tabs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "app/uCadPrefeitura.h"
#include "app/uLisSolicitacoes.h"
#include "app/uLogin.h"
#include "platform/ui/qt/QtBackend.h"
#include "tests/app/AppTestSupport.h"

using namespace app;
using app_testing::AppFixture;

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_menu_qt";
    static char* argv[] = {name, nullptr};
    app = new QApplication(argc, argv);
    ui::qt::InstallQtBackend();
  }
  void TearDown() override {
    ui::Application->Shutdown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete app;
  }
  QApplication* app = nullptr;
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QPoint Centre(const ui::TRect& r) {
  return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

}  // namespace

TEST(MenuQt, TheMainWindowWithTabsInNativeWidgets) {
  testing_support::TTestDatabase database(testing_support::TAccess::Embedded);
  AppFixture app(database);
  ui::ClickOn(*app.Menu, "SpeedButton4");
  ui::ClickOn(*app.Menu, "SpeedButton6");
  ui::ClickOn(*app.Menu, "SpeedButton10");
  QApplication::processEvents();

  QWidget* window = ui::qt::WidgetOf(app.Menu);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  tabhost::TPageControl* pc = FTDI->PageControl();
  QWidget* strip = ui::qt::WidgetOf(pc);
  ASSERT_NE(strip, nullptr);
  EXPECT_TRUE(strip->isVisible());
  ASSERT_EQ(pc->PageCount(), 3);
  QWidget* list = ui::qt::WidgetOf(FTDI->Formulario(0));
  ASSERT_NE(list, nullptr);

  // Painting the window draws the tabs and places their close buttons.
  QImage shot = window->grab().toImage();
  EXPECT_FALSE(shot.isNull());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(pc->CloseButtonRect(i).IsEmpty()) << i;
  // With TAMBLO_SCREENSHOT_DIR set, the window is saved with two different tabs in front.
  if (const char* dir = std::getenv("TAMBLO_SCREENSHOT_DIR")) {
    shot.save(QString(dir) + "/menu_situacoes.png");
    pc->SelectTabByUser(0);
    QApplication::processEvents();
    window->grab().save(QString(dir) + "/menu_solicitacoes.png");
    pc->SelectTabByUser(2);
    QApplication::processEvents();
    window->grab();
  }

  // Dragging the active tab onto the first one moves it there.
  ui::TRect from = pc->TabRect(2);
  QPoint grabAt(from.Left + 10, from.Top + 6);
  QPoint dropAt = Centre(pc->TabRect(0));
  QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, grabAt);
  QTest::mouseMove(strip, QPoint((grabAt.x() + dropAt.x()) / 2, dropAt.y()));
  QTest::mouseMove(strip, dropAt);
  QTest::mouseRelease(strip, Qt::LeftButton, Qt::NoModifier, dropAt);
  QApplication::processEvents();
  EXPECT_EQ(AppFixture::Tabs(),
            (std::vector<std::string>{"Cadastro de Situação de Solicitação      ",
                                      "Solicitacoes      ", "Cadastro da Prefeitura      "}));
  EXPECT_EQ(pc->ActivePageIndex(), 0);

  // A click on the active tab's close button closes it.
  strip->grab();
  QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, Centre(pc->CloseButtonRect(0)));
  QApplication::processEvents();
  EXPECT_EQ(AppFixture::Tabs(),
            (std::vector<std::string>{"Solicitacoes      ", "Cadastro da Prefeitura      "}));
  // A middle click on an inactive tab closes that one.
  strip->grab();
  int inactive = pc->ActivePageIndex() == 0 ? 1 : 0;
  std::string kept = pc->Pages(1 - inactive)->Caption();
  QTest::mouseClick(strip, Qt::MiddleButton, Qt::NoModifier, Centre(pc->TabRect(inactive)));
  QApplication::processEvents();
  EXPECT_EQ(AppFixture::Tabs(), std::vector<std::string>{kept});
  EXPECT_TRUE(AppFixture::Messages().empty());
}

// The top bar shows a 40-character city hall name whole, in the real font.
TEST(MenuQt, TheTopBarShowsAFortyCharacterNameWhole) {
  const std::string name = "Prefeitura Municipal de São João da Mata";
  ASSERT_EQ(QString::fromStdString(name).size(), 40);
  testing_support::TTestDatabase database(testing_support::TAccess::Embedded);
  database.Exec("UPDATE PREFEITURA SET NOME_PREFEITURA = '" + name + "'");
  AppFixture app(database);
  QApplication::processEvents();
  auto* label = qobject_cast<QLabel*>(ui::qt::WidgetOf(app.Menu->DBText1));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text().toStdString(), name);
  EXPECT_TRUE(label->toolTip().isEmpty());
  EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
  // It ends before the bar's buttons.
  QWidget* user = ui::qt::WidgetOf(app.Menu->btnUser);
  EXPECT_LE(label->geometry().right(), user->geometry().left());
}

// Enter in a login field presses "Entrar", through Qt's own key events.
TEST(MenuQt, EnterInTheLoginFieldsLogsIn) {
  testing_support::TTestDatabase database(testing_support::TAccess::Embedded);
  AppFixture app(database);
  for (bool inPassword : {false, true}) {
    TfLogin* login = core::Create<TfLogin>(nullptr);
    QTimer::singleShot(0, [&] {
      QWidget* field = ui::qt::WidgetOf(inPassword ? login->edtSenha : login->edtLogin);
      field->setFocus();
      QTest::keyClick(field, Qt::Key_Escape);  // nothing
      QTest::keyClick(field, Qt::Key_Return);
    });
    QTimer::singleShot(3000, [&] { login->SetModalResult(ui::mrAbort); });  // not hang
    // The successful login closes the form (mrCancel); the guard would give mrAbort.
    EXPECT_EQ(login->ShowModal(), ui::mrCancel) << inPassword;
    login->Free();
  }
  EXPECT_TRUE(AppFixture::Messages().empty());
}
