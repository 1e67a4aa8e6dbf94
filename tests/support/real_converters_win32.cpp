#include "tests/support/real_converters.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "tools/program_driver/program_driver.h"

namespace test_support {

std::string TestVoice(const std::string& name) { return SelfFolder() + "\\voices\\" + name; }

double TestVoiceSeconds(const std::string& name) {
  std::ifstream in(SelfFolder() + "\\voices\\expected.txt");
  std::string file;
  double seconds = 0;
  while (in >> file >> seconds) {
    if (file == name) return seconds;
  }
  return -1;
}

std::string DecodeMp3(const std::string& mp3) {
  const std::string pcm = mp3 + ".check.pcm";
  const std::string ffmpeg = SelfFolder() + "\\..\\tools\\converters\\ffmpeg.exe";
  std::string command = "\"" + ffmpeg + "\" -y -i \"" + mp3 + "\" -f s16le -ac 1 -ar 24000 \"" + pcm + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(ffmpeg.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return std::string();
  }
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream in(pcm, std::ios::binary);
  std::stringstream samples;
  samples << in.rdbuf();
  in.close();
  DeleteFileA(pcm.c_str());
  return samples.str();
}

int SignChanges(const std::string& samples) {
  int changes = 0;
  int previous = 0;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) {
    const int16_t sample = static_cast<int16_t>(static_cast<uint8_t>(samples[i]) |
                                                (static_cast<uint8_t>(samples[i + 1]) << 8));
    const int sign = sample > 0 ? 1 : (sample < 0 ? -1 : 0);
    if (sign == 0) continue;
    if (previous != 0 && sign != previous) ++changes;
    previous = sign;
  }
  return changes;
}

}  // namespace test_support
