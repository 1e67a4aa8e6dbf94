// silk_v3_decoder VOICE_FILE PCM_FILE: decodes a QQ or WeChat voice message
// into raw 16-bit little-endian mono samples at 24000 Hz (silk_stream.h).
// Sonoteca starts it hidden with a code page 936 command line; the wide
// command line (wmain) and the wide file calls take any file name.
//
// Exit codes; for each failure exactly one line "silk_v3_decoder: FILE:
// REASON" on stderr (UTF-8, or wide text when stderr is a console) and no
// file of the output's name:
//   0  the PCM file was written; nothing on stderr
//   1  the voice file cannot be read (missing, a folder, locked, too large)
//   2  wrong argument count; a usage line instead
//   3  not a SILK file (no #!SILK_V3 header)
//   4  no audio blocks after the header
//   5  a damaged block: empty, longer than the codec takes, the first one
//      cut short, or rejected by the codec
//   6  more than 30 minutes of sound
//   7  the output cannot be written (its folder is missing, it is a folder,
//      it is the voice file itself, the disk is full, ...)
// The samples are written to a temporary name in the output's folder and
// renamed at the end, so a stopped run never leaves a partial output.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/converters/silk/silk_stream.h"

namespace {

enum ExitCode : int {
  kWritten = 0,
  kCannotRead = 1,
  kUsage = 2,
  kNotSilk = 3,
  kNoBlocks = 4,
  kDamaged = 5,
  kTooLong = 6,
  kCannotWrite = 7,
};

// Far above any voice message (30 minutes at the codec's highest rate take
// about 18 MB); the bound of what is read into memory.
constexpr uint64_t kMaxVoiceBytes = uint64_t{128} << 20;
// One WriteFile call at most.
constexpr size_t kIoChunk = size_t{1} << 20;

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Handle Open(HANDLE h) { return Handle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
  }
  return out;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// One line on stderr: wide text on a console (right in any code page),
// UTF-8 into a pipe or a file.
void SayLine(const std::wstring& line) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\n";
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(err, &mode)) {
    WriteConsoleW(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string bytes = Utf8(text);
  WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Fail(int code, const std::wstring& file, const std::wstring& reason) {
  SayLine(L"silk_v3_decoder: " + file + L": " + reason);
  return code;
}

std::wstring SystemReason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return L"no such file or folder";
    case ERROR_ACCESS_DENIED:
      return L"access denied";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return L"in use by another program";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return L"the disk is full";
    case ERROR_WRITE_PROTECT:
      return L"the disk is write-protected";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return L"not a valid file name";
    default:
      return L"Windows error " + std::to_wstring(error);
  }
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Which file a handle is, to tell whether two names are one file.
struct FileIdentity {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  bool known = false;
};

FileIdentity IdentityOf(HANDLE file) {
  FileIdentity id;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(file, &info)) {
    id.volume = info.dwVolumeSerialNumber;
    id.index_high = info.nFileIndexHigh;
    id.index_low = info.nFileIndexLow;
    id.known = true;
  }
  return id;
}

bool IsSameFile(const std::wstring& path, const FileIdentity& id) {
  if (!id.known) return false;
  const Handle file = Open(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  const FileIdentity other = IdentityOf(file.get());
  return other.known && other.volume == id.volume && other.index_high == id.index_high &&
         other.index_low == id.index_low;
}

// The whole voice file; false with the reason.
bool ReadVoice(const std::wstring& path, std::vector<uint8_t>* data, FileIdentity* id,
               std::wstring* reason) {
  if (IsFolder(path)) {
    *reason = L"is a folder";
    return false;
  }
  // Whatever else holds the file (a sync client, a scanner, the phone's own
  // copy tool) does not keep it from being read.
  const Handle file =
      Open(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    *reason = SystemReason(GetLastError());
    return false;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) {
    *reason = SystemReason(GetLastError());
    return false;
  }
  if (static_cast<uint64_t>(size.QuadPart) > kMaxVoiceBytes) {
    *reason = L"larger than " + std::to_wstring(kMaxVoiceBytes >> 20) + L" MiB, too large for a voice message";
    return false;
  }
  data->resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < data->size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(data->size() - done, kIoChunk));
    if (!ReadFile(file.get(), data->data() + done, want, &got, nullptr)) {
      *reason = SystemReason(GetLastError());
      return false;
    }
    if (got == 0) break;  // shorter than it was a moment ago: take what is there
    done += got;
  }
  data->resize(done);
  *id = IdentityOf(file.get());
  return true;
}

// "<folder>\.<name>.<pid>.tmp" beside `path`: the same volume, so that the
// rename at the end cannot fail for a copy across disks.
std::wstring TemporaryBeside(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/:");
  const size_t name_start = cut == std::wstring::npos ? 0 : cut + 1;
  return path.substr(0, name_start) + L"." + path.substr(name_start) + L"." +
         std::to_wstring(GetCurrentProcessId()) + L".tmp";
}

bool WritePcm(const std::wstring& path, const std::vector<uint8_t>& pcm, std::wstring* reason) {
  if (IsFolder(path)) {
    *reason = L"is a folder";
    return false;
  }
  const std::wstring temp = TemporaryBeside(path);
  Handle file = Open(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    *reason = error == ERROR_PATH_NOT_FOUND ? L"its folder does not exist" : SystemReason(error);
    return false;
  }
  bool ok = true;
  for (size_t done = 0; ok && done < pcm.size();) {
    DWORD written = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(pcm.size() - done, kIoChunk));
    ok = WriteFile(file.get(), pcm.data() + done, want, &written, nullptr) && written == want;
    done += written;
  }
  if (!ok) *reason = SystemReason(GetLastError());
  if (!CloseHandle(file.release()) && ok) {
    ok = false;
    *reason = SystemReason(GetLastError());
  }
  if (ok && !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ok = false;
    *reason = SystemReason(GetLastError());
  }
  if (!ok) DeleteFileW(temp.c_str());
  return ok;
}

int ExitCodeOf(silk::StreamResult result) {
  switch (result) {
    case silk::StreamResult::kOk:
      return kWritten;
    case silk::StreamResult::kNotSilk:
      return kNotSilk;
    case silk::StreamResult::kNoBlocks:
      return kNoBlocks;
    case silk::StreamResult::kTooLong:
      return kTooLong;
    case silk::StreamResult::kEmptyBlock:
    case silk::StreamResult::kBlockTooLarge:
    case silk::StreamResult::kBlockCutShort:
    case silk::StreamResult::kCodecRejected:
      return kDamaged;
  }
  return kDamaged;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    SayLine(L"usage: silk_v3_decoder VOICE_FILE PCM_FILE");
    return kUsage;
  }
  const std::wstring voice_file = argv[1];
  const std::wstring pcm_file = argv[2];

  std::vector<uint8_t> voice;
  FileIdentity voice_id;
  std::wstring reason;
  if (!ReadVoice(voice_file, &voice, &voice_id, &reason)) {
    return Fail(kCannotRead, voice_file, L"cannot read the voice file: " + reason);
  }
  // Renaming the samples over the voice file would lose it.
  if (IsSameFile(pcm_file, voice_id)) {
    return Fail(kCannotWrite, pcm_file, L"cannot write the output: it is the voice file itself");
  }

  std::vector<uint8_t> pcm;
  const silk::StreamOutcome outcome = silk::DecodeStream(voice.data(), voice.size(), &pcm);
  if (outcome.result != silk::StreamResult::kOk) {
    return Fail(ExitCodeOf(outcome.result), voice_file, Widen(silk::DescribeOutcome(outcome)));
  }
  if (!WritePcm(pcm_file, pcm, &reason)) {
    return Fail(kCannotWrite, pcm_file, L"cannot write the output: " + reason);
  }
  return kWritten;
}
