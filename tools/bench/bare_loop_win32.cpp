// The batch counterpart of the bench: the least a Windows program must do to
// convert an account's voice files with the two converters. Each .slk file of
// the voice folder (sorted by name) goes through the decoder, then the
// encoder, with the command lines Sonoteca gives them, started as Sonoteca
// starts them (CreateProcess, no console, hidden); its .pcm is removed after
// its MP3. With one program in flight that is file after file; with more,
// as many files' pipelines are kept going at once, their programs waited for
// together.
//
// Usage: bare_loop.exe <program folder> <account> <voice folder> [<in flight>]
// The converters lie in the program folder; the files go to its out folder,
// the MP3s to out\<account>; <in flight> is 1 (the default) to 64.
// Prints "processor <seconds>" on stdout at the end: its own processor time
// (kernel and user) from the start of the work. Exits 0 when every converter
// ran and ended with 0, else 1 (2 for bad usage).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct Search {
  HANDLE h;
  explicit Search(HANDLE handle) : h(handle) {}
  ~Search() {
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
  Search(const Search&) = delete;
  Search& operator=(const Search&) = delete;
};

// Starts `exe` with `parameters` in the current folder, as Sonoteca does;
// its process, or none when it could not be started.
Handle Start(const std::string& exe, const std::string& parameters) {
  std::string command = "\"" + exe + "\" " + parameters;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                      &pi)) {
    std::fprintf(stderr, "bare_loop: CreateProcess %s: error %lu\n", exe.c_str(), GetLastError());
    return Handle();
  }
  CloseHandle(pi.hThread);
  return Handle(pi.hProcess);
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

// Kernel and user time of this process so far, in seconds.
double ProcessorSeconds() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// One voice file on its way: the decoder, then the encoder.
struct Pipeline {
  std::string file;  // the voice file's name
  bool encoding = false;
  Handle process;    // the program it waits for
};

class Batch {
 public:
  Batch(const std::string& d, const std::string& account, const std::string& voices)
      : d_(d), account_(account), voices_(voices), decoder_(d + "\\silk_v3_decoder.exe"),
        encoder_(d + "\\ffmpeg.exe") {}

  // Converts `files` with up to `in_flight` pipelines at once; the number of
  // files that failed, or -1 when the programs could not be waited for.
  int Run(const std::vector<std::string>& files, size_t in_flight);

 private:
  std::string Name(const Pipeline& p) const { return p.file.substr(0, p.file.size() - 4); }
  std::string Pcm(const Pipeline& p) const { return d_ + "\\out\\" + Name(p) + ".pcm"; }
  // Starts the pipeline's next program; false when it could not be started.
  bool StartNext(Pipeline* p);
  void Failed(const Pipeline& p, const std::string& what);

  std::string d_, account_, voices_, decoder_, encoder_;
  int failed_ = 0;
};

bool Batch::StartNext(Pipeline* p) {
  if (!p->encoding) {
    p->process = Start(decoder_, Quoted(voices_ + "\\" + p->file) + " " + Quoted(Pcm(*p)));
  } else {
    p->process = Start(encoder_, "-y -f s16be -ac 2 -ar 12000 -acodec pcm_s16le -i " +
                                     Quoted(d_ + "/out/" + Name(*p) + ".pcm") + " " +
                                     Quoted(d_ + "\\out\\" + account_ + "\\" + Name(*p) + ".mp3"));
  }
  if (p->process == nullptr) Failed(*p, "could not be started");
  return p->process != nullptr;
}

void Batch::Failed(const Pipeline& p, const std::string& what) {
  std::fprintf(stderr, "bare_loop: %s: the %s %s\n", p.file.c_str(), p.encoding ? "encoder" : "decoder", what.c_str());
  DeleteFileA(Pcm(p).c_str());
  ++failed_;
}

int Batch::Run(const std::vector<std::string>& files, size_t in_flight) {
  std::vector<Pipeline> running;
  size_t next = 0;
  for (;;) {
    while (running.size() < in_flight && next < files.size()) {
      Pipeline p;
      p.file = files[next++];
      if (StartNext(&p)) running.push_back(std::move(p));
    }
    if (running.empty()) return failed_;
    HANDLE processes[MAXIMUM_WAIT_OBJECTS];
    for (size_t i = 0; i < running.size(); ++i) processes[i] = running[i].process.get();
    const DWORD count = static_cast<DWORD>(running.size());
    const DWORD waited = WaitForMultipleObjects(count, processes, FALSE, INFINITE);
    if (waited >= WAIT_OBJECT_0 + count) {
      std::fprintf(stderr, "bare_loop: waiting for the converters: error %lu\n", GetLastError());
      return -1;
    }
    const auto ended = running.begin() + (waited - WAIT_OBJECT_0);
    DWORD code = 0;
    const bool known = GetExitCodeProcess(ended->process.get(), &code) != FALSE;
    const DWORD error = known ? 0 : GetLastError();
    ended->process.reset();
    bool done = true;
    if (!known || code != 0) {
      Failed(*ended, known ? "ended with " + std::to_string(code)
                           : "gave no exit code (error " + std::to_string(error) + ")");
    } else if (!ended->encoding) {
      ended->encoding = true;
      done = !StartNext(&*ended);
    } else {
      DeleteFileA(Pcm(*ended).c_str());
    }
    if (done) running.erase(ended);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* usage = "usage: bare_loop.exe <program folder> <account> <voice folder> [<in flight>]\n";
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "%s", usage);
    return 2;
  }
  long in_flight = 1;
  if (argc == 5) {
    char* end = nullptr;
    in_flight = std::strtol(argv[4], &end, 10);
    if (*end != '\0' || in_flight < 1 || in_flight > MAXIMUM_WAIT_OBJECTS) {
      std::fprintf(stderr, "bare_loop: <in flight> is 1 to %d, not \"%s\"\n%s", MAXIMUM_WAIT_OBJECTS, argv[4], usage);
      return 2;
    }
  }
  const double start = ProcessorSeconds();
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

  const std::vector<std::string> files = VoiceFiles(voices);
  if (files.empty()) std::fprintf(stderr, "bare_loop: no .slk files in %s\n", voices.c_str());
  Batch batch(d, account, voices);
  const int failed = batch.Run(files, static_cast<size_t>(in_flight));
  std::printf("processor %.3f\n", ProcessorSeconds() - start);
  return failed == 0 && !files.empty() ? 0 : 1;
}
