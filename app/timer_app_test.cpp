// The single-instance guard, through the application's mutex seam: which
// answers of the mutex's creation make a start give way to a running copy.
#include "app/timer_app.h"

#include <gtest/gtest.h>

namespace {

// Answers the mutex's creation with a chosen error and counts the runs of the
// timer window instead of opening it.
class SeamApp : public CTimerApp {
 public:
  explicit SeamApp(DWORD error) : m_error(error) {}
  int runs = 0;

 protected:
  DWORD CreateInstanceMutex() override { return m_error; }
  void RunTimerWindow() override { ++runs; }

 private:
  DWORD m_error;
};

int RunsAfterMutexAnswers(DWORD error) {
  SeamApp app(error);
  EXPECT_FALSE(app.InitInstance());
  return app.runs;
}

TEST(SingleInstance, AnExistingMutexEndsTheStart) { EXPECT_EQ(RunsAfterMutexAnswers(ERROR_ALREADY_EXISTS), 0); }

// A first copy running as administrator made the mutex; a normal start may
// not open it. That copy is running all the same.
TEST(SingleInstance, AMutexThatRefusesAccessEndsTheStartToo) {
  EXPECT_EQ(RunsAfterMutexAnswers(ERROR_ACCESS_DENIED), 0);
}

TEST(SingleInstance, ANewMutexOrAnyOtherFailureRunsTheProgram) {
  EXPECT_EQ(RunsAfterMutexAnswers(ERROR_SUCCESS), 1);
  // A name taken by another kind of object: no guard, but the program runs.
  EXPECT_EQ(RunsAfterMutexAnswers(ERROR_INVALID_HANDLE), 1);
  EXPECT_EQ(RunsAfterMutexAnswers(ERROR_NOT_ENOUGH_MEMORY), 1);
}

// The real creation: the first call in this process makes the mutex, a second
// finds it.
TEST(SingleInstance, TheRealMutexIsFoundBySecondCreation) {
  class RealMutexApp : public CTimerApp {
   public:
    using CTimerApp::CreateInstanceMutex;
  } app;
  const DWORD first = app.CreateInstanceMutex();
  const DWORD second = app.CreateInstanceMutex();
  EXPECT_FALSE(AnotherCopyHoldsTheMutex(first)) << first;
  EXPECT_EQ(second, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

}  // namespace
