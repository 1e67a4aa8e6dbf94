#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/commands/control_support_win32.h"
#include "runtime/commands/drop_target.h"
#include "runtime/core/ansi_path.h"
#include "runtime/core/events.h"
#include "runtime/core/requests.h"
#include "runtime/core/unit_record.h"

namespace rt {
namespace {

constexpr CLIPFORMAT kTextFormat = CF_TEXT;
constexpr CLIPFORMAT kFilesFormat = CF_HDROP;

struct KDropTarget;
using TextDelivery = void (*)(KDropTarget* target, const char* text);
using FilesDelivery = void (*)(KDropTarget* target, const std::vector<std::string>& names);

// The OLE drop target, embedded in its control. Its fields after the
// interface table keep the order of the object that OLE hands around.
struct KDropTarget : IDropTarget {
  LONG references = 1;  // the control's own reference
  BOOL accepting = FALSE;
  UINT url_format = 0;
  UINT html_format = 0;
  BOOL accept_files = FALSE;
  BOOL accept_text = FALSE;
  BOOL accept_url = FALSE;
  BOOL accept_html = FALSE;
  uint32_t event_window = 0;
  uint32_t event_control = 0;
  TextDelivery deliver_text = nullptr;
  TextDelivery deliver_html = nullptr;
  TextDelivery deliver_url = nullptr;
  FilesDelivery deliver_files = nullptr;

  KDropTarget() = default;
  KDropTarget(const KDropTarget&) = delete;
  KDropTarget& operator=(const KDropTarget&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

  void UpdateEffect(DWORD keys, DWORD* effect) const {
    if (effect != nullptr) *effect = ComputeDropEffect(accepting != FALSE, keys, *effect);
  }
};

struct DropTargetControl : ClassControl {
  DropTargetData data;
  uintptr_t registered = 0;  // the window RegisterDropTarget attached to; 0 = none
  KDropTarget target;
};

FORMATETC GlobalFormat(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool CanDeliver(IDataObject* data, CLIPFORMAT format) {
  FORMATETC f = GlobalFormat(format);
  return data->QueryGetData(&f) == S_OK;
}

// The bytes of `format` up to the first zero byte; false when the data
// object does not give them.
bool GetBytes(IDataObject* data, CLIPFORMAT format, std::string* out) {
  FORMATETC f = GlobalFormat(format);
  STGMEDIUM medium = {};
  if (data->GetData(&f, &medium) != S_OK) return false;
  bool ok = false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (const auto* bytes = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
      const void* zero = memchr(bytes, 0, size);
      out->assign(bytes, zero != nullptr ? static_cast<const char*>(zero) - bytes : size);
      GlobalUnlock(medium.hGlobal);
      ok = true;
    }
  }
  ReleaseStgMedium(&medium);
  return ok;
}

// The names of a dropped file list, read in one walk of the block (asking
// the platform for name i walks the list from its start each time, which a
// drop of many thousands of files turns into minutes). Wide names are taken
// into the ANSI code page by way of their short form where they must be.
void ReadDropFiles(const char* block, size_t size, std::vector<std::string>* names) {
  DROPFILES header;
  if (size < sizeof header) return;
  std::memcpy(&header, block, sizeof header);
  if (header.pFiles < sizeof header || header.pFiles >= size) return;
  if (header.fWide) {
    const size_t count = (size - header.pFiles) / sizeof(wchar_t);
    std::wstring name;
    for (size_t i = 0; i < count; ++i) {
      wchar_t c;
      std::memcpy(&c, block + header.pFiles + i * sizeof c, sizeof c);
      if (c != L'\0') {
        name += c;
        continue;
      }
      if (name.empty()) return;  // the empty name ends the list
      names->push_back(AnsiPath(name.c_str()));
      name.clear();
    }
    return;
  }
  const char* p = block + header.pFiles;
  const char* end = block + size;
  while (p < end && *p != '\0') {
    const void* zero = std::memchr(p, 0, static_cast<size_t>(end - p));
    if (zero == nullptr) return;  // a name without its end is not taken
    names->push_back(std::string(p, static_cast<const char*>(zero)));
    p = static_cast<const char*>(zero) + 1;
  }
}

bool GetFileNames(IDataObject* data, std::vector<std::string>* names) {
  FORMATETC f = GlobalFormat(kFilesFormat);
  STGMEDIUM medium = {};
  if (data->GetData(&f, &medium) != S_OK) return false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (const auto* block = static_cast<const char*>(GlobalLock(medium.hGlobal))) {
      ReadDropFiles(block, size, names);
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return true;
}

// HTML comes as UTF-8: the application wants the ANSI code page, with the
// no-break spaces that pages are full of made ordinary spaces.
std::string HtmlToAnsi(const std::string& utf8) {
  const int n = static_cast<int>(utf8.size());
  if (n == 0) return std::string();
  const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
  if (wide_length <= 0) return std::string();
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, &wide[0], wide_length);
  constexpr wchar_t kNoBreakSpace = 0x00A0;
  for (wchar_t& c : wide) {
    if (c == kNoBreakSpace) c = L' ';
  }
  std::string ansi(static_cast<size_t>(n) + 1, '\0');
  const int got = WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, wide.data(), wide_length, &ansi[0], n + 1,
                                      nullptr, nullptr);
  ansi.resize(got > 0 ? static_cast<size_t>(got) : 0);
  const size_t zero = ansi.find('\0');
  if (zero != std::string::npos) ansi.resize(zero);
  return ansi;
}

// Raises event `event` with the text passed by reference, then frees what
// the variable holds once the handler is done with it.
void RaiseWithText(const KDropTarget* target, int32_t event, const std::string& text) {
  char* variable = nullptr;
  if (!text.empty()) {
    variable = reinterpret_cast<char*>(RuntimeRequest(kReqAllocate, static_cast<intptr_t>(text.size() + 1), 0));
    memcpy(variable, text.data(), text.size());
    variable[text.size()] = '\0';
  }
  TypedEvent e = {};
  e.window = target->event_window;
  e.control = target->event_control;
  e.event = event;
  e.count = 1;
  e.args[0].value = ArgValue::Address(&variable, kTagText);
  e.args[0].flags = 1;
  RuntimeRequest(kReqRaiseTypedEvent, reinterpret_cast<intptr_t>(&e), 0);
  RuntimeRequest(kReqFree, reinterpret_cast<intptr_t>(variable), 0);
}

void DeliverText(KDropTarget* t, const char* text) { RaiseWithText(t, kTextDropped, text); }
void DeliverHtml(KDropTarget* t, const char* text) { RaiseWithText(t, kHtmlDropped, text); }
void DeliverUrl(KDropTarget* t, const char* text) { RaiseWithText(t, kUrlDropped, text); }
void DeliverFiles(KDropTarget* t, const std::vector<std::string>& names) {
  RaiseWithText(t, kFilesDropped, FileListText(names));
}

HRESULT KDropTarget::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    AddRef();
    *object = static_cast<IDropTarget*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG KDropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references)); }

// The object lives inside its control and goes with it: the count never
// reaches zero while the control holds its own reference.
ULONG KDropTarget::Release() { return static_cast<ULONG>(InterlockedDecrement(&references)); }

HRESULT KDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
  if (data != nullptr && (accept_text || accept_files || accept_url || accept_html)) {
    bool found = false;
    if (accept_text) found = CanDeliver(data, kTextFormat);
    if (!found && accept_files) found = CanDeliver(data, kFilesFormat);
    if (!found && accept_url) found = CanDeliver(data, static_cast<CLIPFORMAT>(url_format));
    if (!found && accept_html) found = CanDeliver(data, static_cast<CLIPFORMAT>(html_format));
    accepting = found ? TRUE : FALSE;
  }
  UpdateEffect(keys, effect);
  return S_OK;
}

HRESULT KDropTarget::DragOver(DWORD keys, POINTL, DWORD* effect) {
  UpdateEffect(keys, effect);
  return S_OK;
}

HRESULT KDropTarget::DragLeave() {
  accepting = FALSE;
  return S_OK;
}

HRESULT KDropTarget::Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) {
  DWORD allowed = effect != nullptr ? *effect : 0;
  UpdateEffect(keys, &allowed);
  if (effect != nullptr) *effect = allowed;
  if (allowed == 0 || data == nullptr) return E_FAIL;
  const CLIPFORMAT html = static_cast<CLIPFORMAT>(html_format);
  std::string bytes;
  // Text that comes with HTML is left to the HTML delivery.
  if (accept_text && !CanDeliver(data, html) && GetBytes(data, kTextFormat, &bytes)) deliver_text(this, bytes.c_str());
  if (accept_html && GetBytes(data, html, &bytes)) deliver_html(this, HtmlToAnsi(bytes).c_str());
  if (accept_url && GetBytes(data, static_cast<CLIPFORMAT>(url_format), &bytes)) deliver_url(this, bytes.c_str());
  std::vector<std::string> names;
  if (accept_files && GetFileNames(data, &names)) deliver_files(this, names);
  // The source must not act on the drop (delete a moved file, say).
  return E_FAIL;
}

void CopyFlags(DropTargetControl* c) {
  c->target.accept_text = c->data.accept[kDropAcceptText] ? TRUE : FALSE;
  c->target.accept_html = c->data.accept[kDropAcceptHtml] ? TRUE : FALSE;
  c->target.accept_url = c->data.accept[kDropAcceptUrl] ? TRUE : FALSE;
  c->target.accept_files = c->data.accept[kDropAcceptFiles] ? TRUE : FALSE;
}

LRESULT CALLBACK DropTargetProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* c = static_cast<DropTargetControl*>(ClassControlOf(hwnd, message, lparam));
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  switch (message) {
    case kMsgLoadComplete:
    case kMsgWindowShown: return 0;
    case WM_NCDESTROY:
      if (c->registered != 0) RevokeDragDrop(reinterpret_cast<HWND>(c->registered));
      c->registered = 0;
      return DestroyClassControl(c, hwnd, message, wparam, lparam);
    default: break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

constexpr ControlClass kDropTargetClass = {"RtDropTarget", DropTargetProc, 0, WHITE_BRUSH};

ControlObject* CreateDropTarget(const CreateParams& p) {
  DropTargetData data;
  if (!ReadDropTargetData(p.type_data, p.type_data_size, &data) || !EnsureControlClass(kDropTargetClass)) {
    return nullptr;
  }
  auto* c = new DropTargetControl();
  c->data = data;
  IdentifyControl(c, p, kTypeDropTarget);
  HWND hwnd = CreateControlWindow(kDropTargetClass.name, 0, "", WS_CHILD | WS_CLIPSIBLINGS | (p.style & ~WS_TABSTOP),
                                  p, c);
  if (hwnd == nullptr) {
    delete c;
    return nullptr;
  }
  c->created = true;
  CopyFlags(c);
  c->target.url_format = RegisterClipboardFormatA("UniformResourceLocator");
  c->target.html_format = RegisterClipboardFormatA("HTML Format");
  c->target.deliver_text = DeliverText;
  c->target.deliver_html = DeliverHtml;
  c->target.deliver_url = DeliverUrl;
  c->target.deliver_files = DeliverFiles;
  c->target.event_window = c->window_id;
  c->target.event_control = c->unit_id;
  return c;
}

bool SetDropProperty(ControlObject* object, int32_t index, const RawValue& value) {
  auto* c = static_cast<DropTargetControl*>(object);
  if (index < 0 || index >= kDropPropertyCount) return false;
  c->data.accept[index] = value.number != 0 ? 1 : 0;
  CopyFlags(c);  // governs the next drag
  return true;
}

bool GetDropProperty(ControlObject* object, int32_t index, RawValue* value) {
  auto* c = static_cast<DropTargetControl*>(object);
  if (index < 0 || index >= kDropPropertyCount) return false;
  value->number = c->data.accept[index];
  return true;
}

void StoreDropState(ControlObject* object, UnitRecord* record) {
  record->type_data = WriteDropTargetData(static_cast<DropTargetControl*>(object)->data);
}

constexpr UnitTypeOps kOps = {CreateDropTarget, SetDropProperty, GetDropProperty, StoreDropState};
constexpr UnitTypeDescriptor kType =
    DescribeUnitType<kOps>(kTypeDropTarget, kTypeClass1 | kTypeWindowless, kDropPropertyTypes);

}  // namespace

void RegisterDropTargetType() { RegisterUnitType(&kType); }
void ReleaseDropTargetClass() { ReleaseControlClass(kDropTargetClass); }

void RegisterDropTarget(ArgValue* result, int32_t argc, ArgValue* args) {
  *result = ArgValue::Bool(false);
  if (argc < 2 || args == nullptr) return;
  const uint32_t window = args[0].Word(0);
  const uint32_t control = args[0].Word(1);
  auto* object = reinterpret_cast<ControlObject*>(RuntimeRequest(kReqLiveControlOrFail, window, control));
  if (object == nullptr || object->type_id != kTypeDropTarget) return;
  auto* c = static_cast<DropTargetControl*>(object);
  if (c->registered != 0) return;  // at most once, even after a failure
  // Handles are 32-bit values, sign-extended on 64-bit builds.
  c->registered = static_cast<uintptr_t>(static_cast<intptr_t>(args[1].AsInt()));
  const HRESULT hr = RegisterDragDrop(reinterpret_cast<HWND>(c->registered), &c->target);
  *result = ArgValue::Bool(hr == S_OK);
}

}  // namespace rt
