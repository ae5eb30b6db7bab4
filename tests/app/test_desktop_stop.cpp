// A stop request (SIGTERM, SIGINT) ends the desktop program as "Sair" does,
// without asking: records left being edited or inserted are cancelled and
// nothing half-written reaches the database. Headless for the ending itself,
// and the real program in a child process for the signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/uCadSituacao.h"
#include "app/uCadTipoUnidade.h"
#include "app/uProgram.h"
#include "tests/app/AppTestSupport.h"

using namespace app;
using app_testing::AppFixture;
using db::TDataSetState;

namespace {

class DesktopStopTest : public app_testing::SharedDatabaseTest<testing_support::TAccess::Server> {
 protected:
  AppFixture app{*Shared};
};

}  // namespace

TEST_F(DesktopStopTest, PendingEditsAreCancelledAndTheProgramTerminates) {
  auto nome = [&] {
    return app.Database.Scalar("SELECT NOME_SITUACAO FROM SITUACAO WHERE ID_SITUACAO = 2");
  };
  auto tipos = [&] { return app.Database.Scalar("SELECT COUNT(*) FROM TIPO_UNIDADE"); };
  const std::string original = nome(), count = tipos();
  auto* sit = app.Open<TfCadSituacao>();
  sit->DBGrid1->SelectCellByUser(1, 1);
  ui::TypeInto(*sit->DBEdit2, "Meio escrito");
  ASSERT_EQ(DM->qrySituacao->State(), TDataSetState::dsEdit);
  auto* tpu = app.Open<TfCadTipoUnidade>();
  ui::ClickOn(*tpu, "btnNovo");
  ASSERT_EQ(DM->qryTipoUnidade->State(), TDataSetState::dsInsert);

  EndProgramOnSignal();
  EXPECT_TRUE(ui::Application->Terminated());
  EXPECT_TRUE(AppFixture::Messages().empty());  // nobody is asked
  EXPECT_EQ(DM->qrySituacao->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(DM->qryTipoUnidade->State(), TDataSetState::dsBrowse);
  // The windows go as the program ends; nothing was posted on the way.
  core::FreeAndNil(app.Menu);
  EXPECT_EQ(nome(), original);
  EXPECT_EQ(tipos(), count);
}

#if defined(TAMBLO_BINARY)
TEST_F(DesktopStopTest, TermAndIntEndTheRealProgramNormally) {
  for (int sig : {SIGTERM, SIGINT}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      execl(TAMBLO_BINARY, TAMBLO_BINARY, "--db-host", app.Database.Host().c_str(), "--db-path",
            app.Database.Path().c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    // The login window is up by then; the request waits for the event loop
    // anyway once the program has started.
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_EQ(kill(child, sig), 0);
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < 600 && done == 0; ++i) {
      done = waitpid(child, &status, WNOHANG);
      if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (done == 0) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      FAIL() << "the program did not end on signal " << sig;
    }
    EXPECT_TRUE(WIFEXITED(status)) << "signal " << sig << " killed it instead";
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0) << "signal " << sig;
    }
  }
}
#endif
