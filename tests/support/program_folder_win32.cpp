#include "tests/support/program_folder.h"

#include <windows.h>

namespace test_support {
namespace {

bool CopyInto(const std::string& from, const std::string& folder, const std::string& name) {
  return CopyFileA(from.c_str(), (folder + "\\" + name).c_str(), FALSE) != FALSE;
}

}  // namespace

std::string MakeProgramFolder(const ScopedTempDir& dir, const std::string& name, Converters converters) {
  const std::string d = dir.MakeDir(name);
  std::string exe = SONOTECA_EXE;
  for (char& c : exe) c = c == '/' ? '\\' : c;
  EXPECT_TRUE(CopyInto(exe, d, "sonoteca.exe"));
  // The stand-ins lie beside the tests, the converters that ship beside
  // sonoteca.exe.
  const std::string source =
      converters == Converters::kRecording ? SelfFolder() + "\\standins" : exe.substr(0, exe.rfind('\\'));
  if (converters != Converters::kNone) {
    for (const char* program : {"silk_v3_decoder.exe", "ffmpeg.exe"}) {
      EXPECT_TRUE(CopyInto(source + "\\" + program, d, program)) << source << "\\" << program;
    }
  }
  return d;
}

}  // namespace test_support
