#include <windows.h>
#include <shobjidl.h>

#include "runtime/commands/taskbar_progress.h"
#include "runtime/core/control_object.h"
#include "runtime/core/requests.h"

namespace rt {
namespace {

// The shell's task-bar object, released when it goes out of scope.
class TaskbarList {
 public:
  TaskbarList() {
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list_))) ||
        list_ == nullptr) {
      list_ = nullptr;
      return;
    }
    if (FAILED(list_->HrInit())) {
      list_->Release();
      list_ = nullptr;
    }
  }
  ~TaskbarList() {
    if (list_ != nullptr) list_->Release();
  }
  TaskbarList(const TaskbarList&) = delete;
  TaskbarList& operator=(const TaskbarList&) = delete;
  ITaskbarList3* get() const { return list_; }

 private:
  ITaskbarList3* list_ = nullptr;
};

}  // namespace

void SetTaskbarProgress(ArgValue* result, int32_t argc, ArgValue* args) {
  SetBool(result, false);
  if (argc < 3) return;
  const auto* window =
      reinterpret_cast<const ControlObject*>(RuntimeRequest(kReqLiveControl, static_cast<intptr_t>(args[0].Word(0)), 0));
  if (window == nullptr || window->hwnd == 0) return;
  const HWND hwnd = reinterpret_cast<HWND>(window->hwnd);
  const TaskbarList taskbar;
  if (taskbar.get() == nullptr) return;
  const int32_t done = args[1].AsInt();
  const int32_t total = args[2].AsInt();
  HRESULT hr;
  if (total <= 0) {
    hr = taskbar.get()->SetProgressState(hwnd, TBPF_NOPROGRESS);
  } else {
    hr = taskbar.get()->SetProgressState(hwnd, TBPF_NORMAL);
    if (SUCCEEDED(hr)) {
      hr = taskbar.get()->SetProgressValue(hwnd, static_cast<ULONGLONG>(done < 0 ? 0 : done),
                                           static_cast<ULONGLONG>(total));
    }
  }
  SetBool(result, SUCCEEDED(hr));
}

}  // namespace rt
