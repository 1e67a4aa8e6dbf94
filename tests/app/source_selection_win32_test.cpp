// The choice of the source and the single-file conversion on real windows:
// first inside this process with the program's own template and handlers
// (the drop target is reached as OLE keeps it for the path box), then in
// the real program, copied with converter stand-ins into a program folder
// whose path has a space and Chinese characters. (A drag from another
// process does not reach the program's target under Wine without a window
// manager, so the real program gets its path typed.)
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/handlers.h"
#include "app/window_ids.h"
#include "resources/window_template.h"
#include "runtime/commands/button.h"
#include "runtime/commands/drop_target.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/trans_label.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/template_format.h"
#include "runtime/core/window_loading.h"
#include "tests/support/runtime_fixture.h"
#include "tests/support/temp_dir.h"

namespace app {
namespace {

constexpr char kChooseFolder[] = "请选择MobileQQ 文件夹 或 MicroMsg 文件夹";
constexpr char kChooseFolderOrFile[] =
    "请选择MobileQQ 文件夹 或 MicroMsg 文件夹 或者 拖入单个后缀为.slk、.amr的语音文件";
constexpr char kConverted[] = "转换成功";
constexpr char kDefaultCaption[] = "信息：";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\')); }

std::string SelfFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  return Folder(self);
}

// A stand-in's log: the value of `key` in each of its runs.
std::vector<std::string> Logged(const std::string& log, const std::string& key) {
  std::vector<std::string> values;
  std::istringstream in(ReadAll(log));
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) values.push_back(line.substr(key.size() + 1));
  }
  return values;
}

// A program folder with both converter stand-ins in it.
std::string MakeProgramFolder(const test_support::ScopedTempDir& dir, bool with_exe) {
  const std::string d = dir.MakeDir("转换 工具");
  for (const char* exe : {"silk_v3_decoder.exe", "ffmpeg.exe"}) {
    CopyFileA((SelfFolder() + "\\standins\\" + exe).c_str(), (d + "\\" + exe).c_str(), FALSE);
  }
  if (with_exe) {
    std::string exe = SONOTECA_EXE;
    for (char& c : exe) c = c == '/' ? '\\' : c;
    CopyFileA(exe.c_str(), (d + "\\sonoteca.exe").c_str(), FALSE);
  }
  return d;
}

// A data object offering a list of files, as a drag from the shell does.
class FileData : public IDataObject {
 public:
  explicit FileData(const std::vector<std::string>& names) {
    block_.assign(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(&block_[0], &header, sizeof header);
    for (const std::string& name : names) block_ += name + '\0';
    block_ += '\0';
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GHND, block_.size());
    std::memcpy(GlobalLock(memory), block_.data(), block_.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
    return f != nullptr && f->cfFormat == CF_HDROP && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC f = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &f, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::string block_;
};

// ---------------------------------------------------------------------------
// In this process: the program's template and handlers.

struct BoxSeen {
  std::string caption;
  std::string text;
};
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
  char buffer[1024] = {};
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

const char* const kForeignLibraries[] = {"kernel32.dll", "kernel32.dll", "kernel32.dll"};
const char* const kForeignFunctions[] = {"OpenProcess", "TerminateProcess", "CloseHandle"};

std::vector<rt::WindowRecord> ProgramWindows() {
  std::vector<rt::WindowRecord> windows;
  rt::ReadWindowTemplate(rt::kWindowTemplate, rt::kWindowTemplateSize, &windows);
  return windows;
}

class SourceSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    g_browse_dialogs = 0;
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ASSERT_TRUE(fixture_.ok());
    rt::RegisterEditBoxType();
    rt::RegisterButtonType();
    rt::RegisterListBoxType();
    rt::RegisterTransLabelType();
    rt::RegisterDropTargetType();
    rt::InitialiseForeignFunctions(kForeignLibraries, kForeignFunctions, 3);
    GetCurrentDirectoryA(MAX_PATH, previous_);
    d_ = MakeProgramFolder(dir_, false);
    rt::Runtime().program_directory = d_;
    ASSERT_TRUE(SetCurrentDirectoryA(d_.c_str()));
    // The created event registers the drop target on the path box.
    ASSERT_EQ(rt::LoadWindow(kMainWindow, 0, false), 0);
    path_ = test_support::ControlHandle(kMainWindow, kPathBox);
    ASSERT_NE(path_, nullptr);
    target_ = static_cast<IDropTarget*>(GetPropA(path_, "OleDropTargetInterface"));
    ASSERT_NE(target_, nullptr);
    timer_ = SetTimer(nullptr, 0, 50, AnswerDialogs);
  }
  void TearDown() override {
    KillTimer(nullptr, timer_);
    SetCurrentDirectoryA(previous_);
    OleUninitialize();
  }

  void DropFiles(const std::vector<std::string>& names) {
    FileData data(names);
    DWORD effect = DROPEFFECT_COPY;
    ASSERT_EQ(target_->DragEnter(&data, 0, POINTL{10, 10}, &effect), S_OK);
    ASSERT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << "the path box takes files";
    effect = DROPEFFECT_COPY;
    target_->Drop(&data, 0, POINTL{10, 10}, &effect);
  }
  std::string PathBox() {
    char buffer[512] = {};
    GetWindowTextA(path_, buffer, sizeof buffer);
    return buffer;
  }
  bool Enabled(uint32_t control) {
    return IsWindowEnabled(test_support::ControlHandle(kMainWindow, control)) != FALSE;
  }
  void Click(uint32_t control) {
    SendMessageA(test_support::ControlHandle(kMainWindow, control), BM_CLICK, 0, 0);
  }
  std::string Log(const char* program) { return d_ + "\\" + program + ".log"; }

  std::vector<rt::WindowRecord> windows_ = ProgramWindows();
  test_support::RuntimeFixture fixture_{windows_, kHandlerTable, 10};
  test_support::ScopedTempDir dir_;
  std::string d_;
  char previous_[MAX_PATH] = {};
  HWND path_ = nullptr;
  IDropTarget* target_ = nullptr;
  UINT_PTR timer_ = 0;
};

TEST_F(SourceSelectionTest, AVoiceFileIsTakenAndConvertedBesideItself) {
  const std::string voice = dir_.WriteFile("语音 备份\\甲 乙.slk", "voice");
  const std::string base = voice.substr(0, voice.size() - 4);
  EXPECT_FALSE(Enabled(kConvertOneButton));
  DropFiles({voice});
  EXPECT_EQ(voice, PathBox());
  EXPECT_TRUE(Enabled(kConvertOneButton));
  EXPECT_FALSE(Enabled(kBatchConvertButton));
  EXPECT_TRUE(g_boxes.empty());

  SetWindowTextA(test_support::ControlHandle(kMainWindow, kSampleRateBox), "16000");
  Click(kConvertOneButton);
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ(kConverted, g_boxes[0].text);
  EXPECT_EQ(kDefaultCaption, g_boxes[0].caption);
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\silk_v3_decoder.exe\" \"" + voice + "\" \"" + base +
                                      ".pcm\""}),
            Logged(Log("silk_v3_decoder"), "cmdline"));
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\ffmpeg.exe\" -y -f s16be -ac 2 -ar 16000 -acodec pcm_s16le -i \"" +
                                      base + ".pcm\" \"" + base + ".mp3\""}),
            Logged(Log("ffmpeg"), "cmdline"));
  EXPECT_EQ((std::vector<std::string>{"pcm of " + voice}), Logged(Log("ffmpeg"), "input"))
      << "the encoder read what the decoder had finished";
  EXPECT_FALSE(Exists(base + ".pcm"));
  EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(base + ".mp3"));
}

TEST_F(SourceSelectionTest, FoldersAndFilesSwitchTheButtons) {
  DropFiles({"D:\\phone\\voice.amr"});
  EXPECT_TRUE(Enabled(kConvertOneButton));
  EXPECT_FALSE(Enabled(kBatchConvertButton));
  DropFiles({"D:\\phone\\OldMobileQQ"});
  EXPECT_EQ("D:\\phone\\OldMobileQQ", PathBox());
  EXPECT_TRUE(Enabled(kBatchConvertButton));
  EXPECT_FALSE(Enabled(kConvertOneButton));
  DropFiles({"D:\\x\\xxMicroMsg"});
  EXPECT_EQ("D:\\x\\xxMicroMsg", PathBox());
  EXPECT_TRUE(Enabled(kBatchConvertButton));
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(SourceSelectionTest, RefusedDropsEmptyThePathBoxAndSaySo) {
  const std::vector<std::vector<std::string>> refused = {
      {"D:\\a.amr", "D:\\b.amr"}, {"D:\\phone\\mobileqq"}, {"D:\\x\\a.SLK"}, {"D:\\x\\a.mp3"}};
  for (const auto& names : refused) {
    SCOPED_TRACE(names[0]);
    DropFiles({"D:\\phone\\voice.amr"});
    ASSERT_EQ("D:\\phone\\voice.amr", PathBox());
    g_boxes.clear();
    DropFiles(names);
    EXPECT_EQ("", PathBox());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(kChooseFolderOrFile, g_boxes[0].text);
    EXPECT_EQ(kDefaultCaption, g_boxes[0].caption);
    EXPECT_TRUE(Enabled(kConvertOneButton)) << "a refusal touches no button";
    EXPECT_FALSE(Enabled(kBatchConvertButton));
  }
}

TEST_F(SourceSelectionTest, ACancelledBrowseEmptiesThePathBoxAndSaysSo) {
  SetWindowTextA(path_, "D:\\phone\\MobileQQ");
  Click(kBrowseButton);
  EXPECT_EQ(1, g_browse_dialogs);
  EXPECT_EQ("", PathBox());
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ(kChooseFolder, g_boxes[0].text);
  EXPECT_EQ(kDefaultCaption, g_boxes[0].caption);
  EXPECT_FALSE(Enabled(kBatchConvertButton));
}

TEST_F(SourceSelectionTest, AMissingDecoderIsNamedAndNothingElseRuns) {
  const std::string voice = dir_.WriteFile("a1.amr", "voice");
  ASSERT_TRUE(DeleteFileA((d_ + "\\silk_v3_decoder.exe").c_str()));
  DropFiles({voice});
  Click(kConvertOneButton);
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ("转换失败，无法启动：" + d_ + "\\silk_v3_decoder.exe", g_boxes[0].text);
  EXPECT_FALSE(Exists(Log("ffmpeg"))) << "nothing for the encoder to read";
  EXPECT_FALSE(Exists(dir_.path() + "\\a1.mp3"));
}

TEST_F(SourceSelectionTest, AMissingEncoderIsNamedAndTheIntermediateFileRemoved) {
  const std::string voice = dir_.WriteFile("a1.slk", "voice");
  ASSERT_TRUE(DeleteFileA((d_ + "\\ffmpeg.exe").c_str()));
  DropFiles({voice});
  Click(kConvertOneButton);
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ("转换失败，无法启动：" + d_ + "\\ffmpeg.exe", g_boxes[0].text);
  EXPECT_EQ(1u, Logged(Log("silk_v3_decoder"), "end").size());
  EXPECT_FALSE(Exists(dir_.path() + "\\a1.pcm"));
}

TEST_F(SourceSelectionTest, AnEncoderThatMakesNothingIsReported) {
  const std::string voice = dir_.WriteFile("a1.slk", "voice");
  // The output path is a folder, so the encoder cannot write it.
  dir_.MakeDir("a1.mp3");
  DropFiles({voice});
  Click(kConvertOneButton);
  ASSERT_EQ(1u, g_boxes.size());
  EXPECT_EQ("转换失败，没有生成：" + dir_.path() + "\\a1.mp3", g_boxes[0].text);
}

// ---------------------------------------------------------------------------
// The real program, started from a copy in its own program folder.

struct ProcessWindows {
  DWORD process;
  const char* cls;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOfProcess(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == search->process && std::strcmp(cls, search->cls) == 0 && IsWindowVisible(hwnd)) {
    search->found.push_back(hwnd);
  }
  return TRUE;
}

std::string TextOf(HWND hwnd) {
  char buffer[1024] = {};
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return buffer;
}

class RealProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d_ = MakeProgramFolder(dir_, true);
    const std::string exe = d_ + "\\sonoteca.exe";
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    // Started from elsewhere: the program makes its own folder current.
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &process_));
    for (int i = 0; i < 200 && main_ == nullptr; ++i) {
      Sleep(50);
      ProcessWindows search{process_.dwProcessId, "RtProgramWindow", {}};
      EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&search));
      for (HWND w : search.found) {
        if (TextOf(w) == "Sonoteca[支持QQ、微信]") main_ = w;
      }
    }
    ASSERT_NE(main_, nullptr);
    Sleep(300);  // the drop target and the list window come after the window is shown
    for (HWND c = GetWindow(main_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      const std::string text = TextOf(c);
      if (GetPropA(c, "WineMarshalledDropTarget") != nullptr) path_ = c;
      if (text == "浏览目录") browse_ = c;
      if (text == "批量转换") batch_ = c;
      if (text == "单独转换") one_ = c;
    }
    ASSERT_NE(path_, nullptr);
    ASSERT_NE(browse_, nullptr);
    ASSERT_NE(batch_, nullptr);
    ASSERT_NE(one_, nullptr);
  }
  void TearDown() override {
    if (process_.hProcess == nullptr) return;
    if (main_ != nullptr) PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
      TerminateProcess(process_.hProcess, 99);
      ADD_FAILURE() << "the program did not end on closing its window";
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }

  // Waits for a visible dialog of the program; null when none came.
  HWND WaitForDialog(bool browse) {
    for (int i = 0; i < 200; ++i) {
      ProcessWindows search{process_.dwProcessId, "#32770", {}};
      EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&search));
      for (HWND w : search.found) {
        const bool is_browse = FindWindowExA(w, nullptr, "SysTreeView32", nullptr) != nullptr;
        if (is_browse == browse) return w;
      }
      Sleep(50);
    }
    return nullptr;
  }
  // Reads the program's message box and presses OK.
  BoxSeen AnswerBox() {
    BoxSeen seen{"(no box)", "(no box)"};
    const HWND box = WaitForDialog(false);
    if (box == nullptr) return seen;
    seen.caption = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
    return seen;
  }

  test_support::ScopedTempDir dir_;
  std::string d_;
  PROCESS_INFORMATION process_ = {};
  HWND main_ = nullptr;
  HWND path_ = nullptr;
  HWND browse_ = nullptr;
  HWND batch_ = nullptr;
  HWND one_ = nullptr;
};

// The drop itself is driven in this process above; here the path is typed
// into the box, and the button, greyed until a drop, still takes the click
// message under Wine.
TEST_F(RealProgramTest, ATypedVoiceFileIsConvertedBesideItself) {
  const std::string voice = dir_.WriteFile("语音 备份\\甲 乙.slk", "voice");
  const std::string base = voice.substr(0, voice.size() - 4);
  SendMessageA(path_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(voice.c_str()));
  PostMessageA(one_, BM_CLICK, 0, 0);
  const BoxSeen box = AnswerBox();
  EXPECT_EQ(kConverted, box.text);
  EXPECT_EQ(kDefaultCaption, box.caption);
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\silk_v3_decoder.exe\" \"" + voice + "\" \"" + base +
                                      ".pcm\""}),
            Logged(d_ + "\\silk_v3_decoder.log", "cmdline"));
  EXPECT_EQ((std::vector<std::string>{"\"" + d_ + "\\ffmpeg.exe\" -y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i \"" +
                                      base + ".pcm\" \"" + base + ".mp3\""}),
            Logged(d_ + "\\ffmpeg.log", "cmdline"));
  EXPECT_EQ((std::vector<std::string>{d_}), Logged(d_ + "\\ffmpeg.log", "cwd")) << "the program folder";
  EXPECT_FALSE(Exists(base + ".pcm"));
  EXPECT_EQ("mp3 of [pcm of " + voice + "]", ReadAll(base + ".mp3"));
}

TEST_F(RealProgramTest, ACancelledBrowseEmptiesThePathBoxAndSaysSo) {
  SendMessageA(path_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("D:\\phone\\MobileQQ"));
  PostMessageA(browse_, BM_CLICK, 0, 0);
  const HWND dialog = WaitForDialog(true);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the window waits for the dialog";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  const BoxSeen box = AnswerBox();
  EXPECT_EQ(kChooseFolder, box.text);
  EXPECT_EQ(kDefaultCaption, box.caption);
  EXPECT_EQ("", TextOf(path_));
  EXPECT_FALSE(IsWindowEnabled(batch_));
}

}  // namespace
}  // namespace app
