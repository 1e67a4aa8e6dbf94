// A stop waits for its worker on the window thread, which keeps handling
// the window's messages: what the user does meanwhile must not start,
// stop or free the batch that the stop still holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tlhelp32.h>
#include <vector>

#include "app/batch_state.h"
#include "app/window_ids.h"
#include "tests/support/app_in_process.h"
#include "tests/support/program_driver.h"
#include "tests/support/test_files.h"

namespace app {
namespace {

// The programs this process started that still run.
int RunningChildren() {
  int count = 0;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

class BatchStopTest : public test_support::AppInProcessTest {
 protected:
  void SetUp() override {
    AppInProcessTest::SetUp();
    const std::string qq = dir_.MakeDir("备份\\MobileQQ");
    dir_.WriteFile("备份\\MobileQQ\\10001\\ptt\\a.slk", "voice");
    dir_.WriteFile("备份\\MobileQQ\\10001\\ptt\\b.slk", "voice");
    SetWindowTextA(path_, qq.c_str());
    Control("silk_v3_decoder", "sleep 5000");
  }
  HWND ListWindow() const { return test_support::WindowHandle(kAccountListWindow); }
  HWND List() const { return test_support::ControlHandle(kAccountListWindow, kAccountList); }
  WPARAM DoubleClick() const { return MAKEWPARAM(GetDlgCtrlID(List()), LBN_DBLCLK); }
};

TEST_F(BatchStopTest, ADoubleClickWhileAStopWaitsStartsNoBatchAndTheStopEndsItsOwn) {
  Click(kBatchConvertButton);
  ASSERT_EQ(1, SendMessageA(List(), LB_GETCOUNT, 0, 0));
  SendMessageA(List(), LB_SETCURSEL, 0, 0);
  SendMessageA(ListWindow(), WM_COMMAND, DoubleClick(), reinterpret_cast<LPARAM>(List()));
  ASSERT_TRUE(test_support::WaitUntil(
      [&] { return !test_support::Logged(Log("silk_v3_decoder"), "begin").empty(); }, 10000));
  const uint32_t serial = Batch().batch_serial;

  // Waiting in the queue, it is handled inside the stop's wait.
  PostMessageA(ListWindow(), WM_COMMAND, DoubleClick(), reinterpret_cast<LPARAM>(List()));
  Click(kStopButton);

  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("已停止", Boxes()[0].text);
  EXPECT_EQ(serial, Batch().batch_serial) << "no batch started inside the stop's wait";
  ASSERT_NE(nullptr, Batch().job);
  EXPECT_EQ(serial, Batch().job->serial);
  EXPECT_EQ(0, RunningChildren()) << "the stop ended the converters of its own batch";
  EXPECT_FALSE(Batch().stop_waiting) << "once the stop is done, batches may start again";
}

}  // namespace
}  // namespace app
