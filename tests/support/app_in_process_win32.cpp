#include "tests/support/app_in_process.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "app/batch_conversion.h"
#include "app/batch_state.h"
#include "app/handlers.h"
#include "app/window_ids.h"
#include "app/program_info.h"
#include "resources/window_template.h"
#include "runtime/commands/button.h"
#include "runtime/commands/drop_target.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/trans_label.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/program_info.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_loading.h"
#include "tests/support/program_folder.h"

namespace test_support {
namespace {

std::vector<BoxSeen> g_boxes;
int g_browse_dialogs = 0;

BOOL CALLBACK AnswerThreadDialog(HWND hwnd, LPARAM) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(hwnd) || GetPropA(hwnd, "answered") != nullptr) {
    return TRUE;
  }
  SetPropA(hwnd, "answered", reinterpret_cast<HANDLE>(1));
  if (FindWindowExA(hwnd, nullptr, "SysTreeView32", nullptr) != nullptr) {
    ++g_browse_dialogs;  // the folder dialog: cancelled
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  BoxSeen seen;
  char buffer[4096] = {};
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  seen.caption = buffer;
  buffer[0] = '\0';
  GetDlgItemTextA(hwnd, 0xFFFF, buffer, sizeof buffer);
  seen.text = buffer;
  g_boxes.push_back(seen);
  PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// Runs inside the modal loops of the boxes and dialogs of this thread.
void CALLBACK AnswerDialogs(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerThreadDialog, 0);
}

int32_t HandlerCount() {
  int32_t count = 0;
  while (app::kHandlerTable[count] != nullptr) ++count;
  return count;
}

template <class Char>
std::string DropBlock(const std::vector<std::basic_string<Char>>& names, bool wide) {
  std::string block(sizeof(DROPFILES), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = wide ? TRUE : FALSE;
  std::memcpy(&block[0], &header, sizeof header);
  for (const auto& name : names) {
    block.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(Char));
  }
  block.append(sizeof(Char), '\0');
  return block;
}

}  // namespace

FileData::FileData(const std::vector<std::string>& names) : block_(DropBlock(names, false)) {}
FileData::FileData(const std::vector<std::wstring>& names) : block_(DropBlock(names, true)) {}

HRESULT FileData::QueryInterface(REFIID iid, void** out) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *out = this;
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT FileData::GetData(FORMATETC* f, STGMEDIUM* medium) {
  if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
  HGLOBAL memory = GlobalAlloc(GHND, block_.size());
  std::memcpy(GlobalLock(memory), block_.data(), block_.size());
  GlobalUnlock(memory);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT FileData::QueryGetData(FORMATETC* f) {
  return f != nullptr && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

HRESULT FileData::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT FileData::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (direction != DATADIR_GET) return E_NOTIMPL;
  FORMATETC f = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SHCreateStdEnumFmtEtc(1, &f, out);
}

AppInProcessTest::AppInProcessTest()
    : windows_(ProgramWindows()), fixture_(windows_, app::kHandlerTable, HandlerCount()) {}

std::vector<rt::WindowRecord> AppInProcessTest::ProgramWindows() {
  std::vector<rt::WindowRecord> windows;
  rt::ReadWindowTemplate(res::kWindowTemplate, res::kWindowTemplateSize, &windows);
  return windows;
}

std::vector<BoxSeen>& AppInProcessTest::Boxes() { return g_boxes; }
int& AppInProcessTest::BrowseDialogs() { return g_browse_dialogs; }

void AppInProcessTest::SetUp() {
  g_boxes.clear();
  g_browse_dialogs = 0;
  app::Batch() = app::BatchState();
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  ASSERT_TRUE(fixture_.ok());
  rt::RegisterEditBoxType();
  rt::RegisterButtonType();
  rt::RegisterListBoxType();
  rt::RegisterTransLabelType();
  rt::RegisterDropTargetType();
  // The program's own table of operating-system functions.
  const rt::ProgramInfo& info = app::ProgramInfoBlock();
  rt::InitialiseForeignFunctions(info.foreign_libraries, info.foreign_functions,
                                 static_cast<int32_t>(info.foreign_count));
  GetCurrentDirectoryA(MAX_PATH, previous_);
  d_ = MakeProgramFolder(dir_, "转换 工具", Converters::kRecording);
  DeleteFileA((d_ + "\\sonoteca.exe").c_str());
  rt::Runtime().program_directory = d_;
  ASSERT_TRUE(SetCurrentDirectoryA(d_.c_str()));
  // The created event registers the drop target on the path box.
  ASSERT_EQ(rt::LoadWindow(app::kMainWindow, 0, false), 0);
  path_ = ControlHandle(app::kMainWindow, app::kPathBox);
  ASSERT_NE(path_, nullptr);
  target_ = static_cast<IDropTarget*>(GetPropA(path_, "OleDropTargetInterface"));
  ASSERT_NE(target_, nullptr);
  timer_ = SetTimer(nullptr, 0, 50, AnswerDialogs);
}

void AppInProcessTest::TearDown() {
  app::StopBatch();  // a batch started by a test ends with it, and ends its converters
  app::Batch() = app::BatchState();
  KillTimer(nullptr, timer_);
  SetCurrentDirectoryA(previous_);
  OleUninitialize();
}

void AppInProcessTest::DropData(FileData* data) {
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_EQ(target_->DragEnter(data, 0, POINTL{10, 10}, &effect), S_OK);
  ASSERT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "the path box takes files";
  effect = DROPEFFECT_COPY;
  target_->Drop(data, 0, POINTL{10, 10}, &effect);
}

void AppInProcessTest::DropFiles(const std::vector<std::string>& names) {
  FileData data(names);
  DropData(&data);
}

std::string AppInProcessTest::PathBox() const {
  char buffer[1024] = {};
  GetWindowTextA(path_, buffer, sizeof buffer);
  return buffer;
}

bool AppInProcessTest::Enabled(uint32_t control) const {
  return IsWindowEnabled(ControlHandle(app::kMainWindow, control)) != FALSE;
}

void AppInProcessTest::Click(uint32_t control) const {
  SendMessageA(ControlHandle(app::kMainWindow, control), BM_CLICK, 0, 0);
}

void AppInProcessTest::Control(const char* program, const std::string& text) const {
  std::ofstream(d_ + "\\" + program + ".control") << text;
}

}  // namespace test_support
