// The unattended demo of `make run` without a display: Sonoteca converts the
// demo voice messages through its real window, as a user would: the path is
// given, the button pressed, the message box read and closed. A picture of
// the screen is taken at each step.
//
// Usage: demo.exe <program folder> <demo folder> <pictures folder>
// Prints each step and each message (UTF-8), then every MP3 made with its
// length as decoded back; exits 0 when every conversion said "转换成功".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/mp3_audio.h"
#include "tests/support/program_driver.h"

namespace {

constexpr char kConverted[] = "转换成功";

void Say(const std::string& ansi) {
  std::printf("demo: %s\n", test_support::ToUtf8(ansi).c_str());
  std::fflush(stdout);
}

class Demo {
 public:
  Demo(const std::string& program, const std::string& pictures) : program_(program), pictures_(pictures) {}

  // One voice file given to the program and converted on its own.
  bool ConvertOne(const std::string& voice) {
    test_support::RunningProgram sonoteca;
    if (!sonoteca.Start(program_ + "\\sonoteca.exe", voice)) return Failed("the program did not start");
    Picture("the path box holds " + voice);
    if (!sonoteca.Click("单独转换")) return Failed("no convert-one button");
    return Answer(sonoteca, "单独转换 " + voice);
  }

  // A data folder given to the program, its first account converted whole.
  bool ConvertAccount(const std::string& folder) {
    test_support::RunningProgram sonoteca;
    if (!sonoteca.Start(program_ + "\\sonoteca.exe", folder)) return Failed("the program did not start");
    sonoteca.Click("批量转换");
    if (!test_support::WaitUntil([&] { return !sonoteca.Accounts().empty(); }, 10000)) {
      return Failed("no account listed in " + folder);
    }
    Sleep(300);  // the list has painted
    Picture("the accounts of " + folder);
    const std::string account = sonoteca.Accounts().front();
    sonoteca.DoubleClickAccount(0);
    return Answer(sonoteca, "批量转换 " + folder + " 帐号 " + account);
  }

 private:
  bool Answer(const test_support::RunningProgram& sonoteca, const std::string& what) {
    // Let the box paint before the picture.
    if (sonoteca.NoBoxWithin(120000)) return Failed(what + ": no message");
    Sleep(300);
    Picture(what + " done");
    const std::string message = sonoteca.AnswerBox();
    Say(what + ": " + message);
    return message == kConverted;
  }

  void Picture(const std::string& what) {
    Sleep(200);
    char name[32];
    std::snprintf(name, sizeof name, "\\step-%02d.bmp", ++pictures_taken_);
    const bool saved = test_support::RunningProgram::SaveScreen(pictures_ + name);
    Say(std::string(name + 1) + (saved ? " " : " (not saved) ") + what);
  }

  bool Failed(const std::string& why) {
    Say("failed: " + why);
    return false;
  }

  std::string program_;
  std::string pictures_;
  int pictures_taken_ = 0;
};

void ListMp3s(const std::vector<std::string>& folders) {
  std::vector<std::string> mp3s;
  for (const std::string& folder : folders) {
    for (const std::string& mp3 : test_support::FilesBelow(folder, ".mp3")) mp3s.push_back(mp3);
  }
  std::sort(mp3s.begin(), mp3s.end());
  Say("the MP3s made, with their lengths:");
  for (const std::string& mp3 : mp3s) {
    const test_support::Mp3Audio audio = test_support::DecodeMp3(mp3);
    std::printf("  %6.2f s  %5d Hz  %s\n", audio.seconds(), audio.sample_rate, test_support::ToUtf8(mp3).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: demo.exe <program folder> <demo folder> <pictures folder>\n");
    return 2;
  }
  const std::string demo = argv[2];
  Demo run(argv[1], argv[3]);
  bool ok = run.ConvertOne(demo + "\\single\\你好.slk");
  ok = run.ConvertOne(demo + "\\single\\hello world.amr") && ok;
  ok = run.ConvertAccount(demo + "\\MobileQQ") && ok;
  ok = run.ConvertAccount(demo + "\\MicroMsg") && ok;
  ListMp3s({demo + "\\single", std::string(argv[1]) + "\\out"});
  return ok ? 0 : 1;
}
