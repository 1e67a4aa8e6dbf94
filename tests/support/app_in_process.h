// The application in this test process: the program's own template and
// handlers loaded into the runtime, the main window created (with the list
// window and the drop target on the path box), converter stand-ins in a
// program folder made the current directory, and every message box of this
// thread recorded and answered.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/template_format.h"
#include "tests/support/runtime_fixture.h"
#include "tests/support/temp_dir.h"

namespace test_support {

struct BoxSeen {
  std::string caption;
  std::string text;
};

// A data object offering a list of files, as a drag from the shell does:
// narrow names, or wide ones (fWide) as the shell of a modern system gives.
class FileData : public IDataObject {
 public:
  explicit FileData(const std::vector<std::string>& names);
  explicit FileData(const std::vector<std::wstring>& names);
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::string block_;
};

class AppInProcessTest : public ::testing::Test {
 public:
  AppInProcessTest();

 protected:
  void SetUp() override;
  void TearDown() override;

  // Drops the names on the path box as OLE delivers a drag.
  void DropFiles(const std::vector<std::string>& names);
  void DropData(FileData* data);
  std::string PathBox() const;
  bool Enabled(uint32_t control) const;
  // Clicks a button of the main window, synchronously.
  void Click(uint32_t control) const;
  std::string Log(const char* program) const { return d_ + "\\" + program + ".log"; }
  // What the stand-in `program` is told to do ("sleep MS", "exit CODE", "silent").
  void Control(const char* program, const std::string& text) const;

  // The message boxes shown so far, and how many folder dialogs (cancelled).
  static std::vector<BoxSeen>& Boxes();
  static int& BrowseDialogs();

  std::vector<rt::WindowRecord> windows_;
  RuntimeFixture fixture_;
  ScopedTempDir dir_;
  std::string d_;
  HWND path_ = nullptr;

 private:
  static std::vector<rt::WindowRecord> ProgramWindows();
  char previous_[MAX_PATH] = {};
  IDropTarget* target_ = nullptr;
  UINT_PTR timer_ = 0;
};

}  // namespace test_support
