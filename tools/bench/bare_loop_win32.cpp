// The batch counterpart of the bench: the least a Windows program must do to
// convert an account's voice files with the two converters, one file after
// the other. For each .slk file of the voice folder (sorted by name) it starts
// the decoder, waits for it, starts the encoder and waits for it, with the
// command lines Sonoteca gives them and a hidden window.
//
// Usage: bare_loop.exe <program folder> <account> <voice folder>
// The converters lie in the program folder; the files go to its out folder,
// the MP3s to out\<account>. The programs are started with CreateProcess.
// Exits 0 when every converter ran and ended with 0, else 1 (2 for bad usage).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// An argument as Sonoteca writes it: quoted only when it holds a space, a
// tab or a quote (these paths hold no quotes and no double-byte characters).
std::string Quoted(const std::string& path) {
  if (path.find_first_of(" \t\"") == std::string::npos) return path;
  std::string out = "\"";
  size_t backslashes = 0;
  for (const char c : path) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + '"';
}

struct Handle {
  HANDLE h = nullptr;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

struct Search {
  HANDLE h;
  explicit Search(HANDLE handle) : h(handle) {}
  ~Search() {
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;
};

// Starts `exe` with `parameters` hidden in the current folder and waits for
// its end; its exit code, or -1 when it could not be started or waited for.
long RunCreateProcess(const std::string& exe, const std::string& parameters) {
  std::string command = "\"" + exe + "\" " + parameters;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "bare_loop: CreateProcess %s: error %lu\n", exe.c_str(), GetLastError());
    return -1;
  }
  const Handle process(pi.hProcess);
  const Handle thread(pi.hThread);
  DWORD code = 0;
  if (WaitForSingleObject(pi.hProcess, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(pi.hProcess, &code)) {
    std::fprintf(stderr, "bare_loop: waiting for %s: error %lu\n", exe.c_str(), GetLastError());
    return -1;
  }
  return static_cast<long>(code);
}

std::vector<std::string> VoiceFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const Search search(FindFirstFileA((folder + "\\*.slk").c_str(), &found));
  if (search.h == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
  } while (FindNextFileA(search.h, &found));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bare_loop.exe <program folder> <account> <voice folder>\n");
    return 2;
  }
  const std::string d = argv[1];
  const std::string account = argv[2];
  const std::string voices = argv[3];
  // The converters are started in the program folder, as Sonoteca starts them.
  if (!SetCurrentDirectoryA(d.c_str())) {
    std::fprintf(stderr, "bare_loop: no folder %s\n", d.c_str());
    return 1;
  }
  CreateDirectoryA((d + "\\out").c_str(), nullptr);
  CreateDirectoryA((d + "\\out\\" + account).c_str(), nullptr);

  const std::string decoder = d + "\\silk_v3_decoder.exe";
  const std::string encoder = d + "\\ffmpeg.exe";
  int failed = 0;
  const std::vector<std::string> files = VoiceFiles(voices);
  for (const std::string& file : files) {
    const std::string name = file.substr(0, file.size() - 4);
    const std::string decoding = Quoted(voices + "\\" + file) + " " + Quoted(d + "\\out\\" + name + ".pcm");
    const std::string encoding = "-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " +
                                 Quoted(d + "/out/" + name + ".pcm") + " " +
                                 Quoted(d + "\\out\\" + account + "\\" + name + ".mp3");
    long code = RunCreateProcess(decoder, decoding);
    const char* stage = "decoder";
    if (code == 0) {
      code = RunCreateProcess(encoder, encoding);
      stage = "encoder";
    }
    if (code != 0) {
      std::fprintf(stderr, "bare_loop: %s: the %s %s %ld\n", file.c_str(), stage,
                   code == -1 ? "could not be started or waited for" : "ended with", code);
      ++failed;
    }
  }
  if (files.empty()) std::fprintf(stderr, "bare_loop: no .slk files in %s\n", voices.c_str());
  return failed == 0 && !files.empty() ? 0 : 1;
}
