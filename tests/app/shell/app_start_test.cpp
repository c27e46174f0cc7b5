// The program's start: one copy per database, also after a crash, and a
// folder that cannot hold the database named.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QLockFile>
#include <QString>

#include "app/shell/app.h"
#include "common/fakes.h"
#include "store/startup.h"

namespace velgram {
namespace {

TEST(AppStart, ASecondCopyOnTheSameDatabaseIsRefusedButALockLeftByACrashDoesNotStick) {
  testing::TempDir dir;
  const std::string path = dir.File("Velgram.db");
  testing::FakePrompter prompter;
  pid_t child = fork();
  if (child == 0) {
    QLockFile lock(QString::fromLocal8Bit(path + ".lock"));
    _exit(lock.tryLock(0) ? 0 : 1);  // gone without unlocking, as after a crash
  }
  int status = -1;
  waitpid(child, &status, 0);
  ASSERT_EQ(status, 0);
  ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(path + ".lock")));
  std::unique_ptr<CVelgramApp> first = CVelgramApp::Start(path, prompter);
  ASSERT_TRUE(first);
  EXPECT_TRUE(prompter.alerts.empty());
  EXPECT_FALSE(CVelgramApp::Start(path, prompter));
  EXPECT_EQ(prompter.alerts, std::vector<std::string>{"Velgram is al geopend met deze database."});
  EXPECT_TRUE(CVelgramApp::Start(dir.File("Ander.db"), prompter));  // another database
  first.reset();
  EXPECT_TRUE(CVelgramApp::Start(path, prompter));
  testing::WriteFileBytes(dir.File("map"), "");
  EXPECT_FALSE(CVelgramApp::Start(dir.File("map/Velgram.db"), prompter));
  EXPECT_EQ(prompter.alerts.back(), DataFolderProblem(dir.File("map/Velgram.db")));
}

}  // namespace
}  // namespace velgram
