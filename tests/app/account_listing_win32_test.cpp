// The QQ listing handles pending events after each folder it reads, so the
// user can act on the list window while it fills. What the user does then
// is posted here as soon as the first account is listed: the listing itself
// handles it when it reads the next folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/batch_state.h"
#include "app/window_ids.h"
#include "tests/support/app_in_process.h"
#include "tests/support/runtime_fixture.h"

namespace app {
namespace {

// What the user does once the first account shows, and the hook that sees it.
std::vector<MSG> g_then;
HHOOK g_hook = nullptr;

LRESULT CALLBACK AfterItemAdded(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
  if (code == HC_ACTION && call->message == LB_ADDSTRING && g_hook != nullptr) {
    for (const MSG& m : g_then) PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

class ListingTest : public test_support::AppInProcessTest {
 protected:
  void SetUp() override {
    AppInProcessTest::SetUp();
    qq_ = dir_.MakeDir("备份\\MobileQQ");
    for (int i = 0; i < 40; ++i) dir_.MakeDir("备份\\MobileQQ\\" + std::to_string(10000 + i));
    SetWindowTextA(path_, qq_.c_str());
  }
  void TearDown() override {
    if (g_hook != nullptr) UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    AppInProcessTest::TearDown();
  }
  // Posts the messages once the first account has been added to the list.
  void ThenPost(const std::vector<MSG>& messages) {
    g_then = messages;
    g_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterItemAdded, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
  }
  HWND ListWindow() const { return test_support::WindowHandle(kAccountListWindow); }
  HWND List() const { return test_support::ControlHandle(kAccountListWindow, kAccountList); }
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(List(), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char text[64] = {};
      SendMessageA(List(), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }

  std::string qq_;
};

TEST_F(ListingTest, APressDuringTheListingStartsItAfreshWithoutDuplicates) {
  ThenPost({{test_support::ControlHandle(kMainWindow, kBatchConvertButton), BM_CLICK, 0, 0, 0, {}}});
  Click(kBatchConvertButton);
  EXPECT_EQ(nullptr, g_hook) << "the press came during the listing";
  const std::vector<std::string> items = Items();
  EXPECT_EQ(40u, items.size());
  EXPECT_EQ(40u, std::set<std::string>(items.begin(), items.end()).size());
  EXPECT_TRUE(IsWindowVisible(ListWindow()));
  EXPECT_FALSE(IsWindowEnabled(test_support::WindowHandle(kMainWindow)));
}

TEST_F(ListingTest, ClosingTheListWindowEndsTheListing) {
  ThenPost({{ListWindow(), WM_CLOSE, 0, 0, 0, {}}});
  Click(kBatchConvertButton);
  EXPECT_EQ(1u, Items().size()) << "the folder read before the close, and no more";
  EXPECT_FALSE(IsWindowVisible(ListWindow()));
  EXPECT_TRUE(IsWindowEnabled(test_support::WindowHandle(kMainWindow)));
}

TEST_F(ListingTest, ADoubleClickOnAHalfFilledListConvertsTheAccountClicked) {
  // The first item is selected and double-clicked as soon as it is listed.
  const WPARAM double_click = MAKEWPARAM(GetDlgCtrlID(List()), LBN_DBLCLK);
  ThenPost({{List(), LB_SETCURSEL, 0, 0, 0, {}},
            {ListWindow(), WM_COMMAND, double_click, reinterpret_cast<LPARAM>(List()), 0, {}}});
  Click(kBatchConvertButton);
  const std::vector<std::string> items = Items();
  ASSERT_EQ(1u, items.size()) << "the listing stopped when an account was chosen";
  ASSERT_NE(Batch().chosen_account, nullptr);
  EXPECT_EQ(items[0], Batch().chosen_account);
  ASSERT_NE(Batch().job, nullptr);
  EXPECT_EQ(items[0], Batch().job->account);
  EXPECT_FALSE(IsWindowVisible(ListWindow()));
  EXPECT_TRUE(IsWindowEnabled(test_support::WindowHandle(kMainWindow)));
}

}  // namespace
}  // namespace app
