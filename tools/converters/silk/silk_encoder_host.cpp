// silk_encoder PCM OUT qq|wechat: encodes raw 16-bit little-endian mono
// samples at 24000 Hz into a SILK voice message of the QQ or the WeChat form
// (see silk_encoding.h). A build-time tool of the development machine, for
// the test voices and the demo. The output appears complete or not at all.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/converters/silk/silk_encoding.h"

namespace {

constexpr char kName[] = "silk_encoder";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int Fail(const std::string& file, const std::string& reason) {
  std::fprintf(stderr, "%s: %s: %s\n", kName, file.c_str(), reason.c_str());
  return 1;
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>* data, std::string* reason) {
  File in(std::fopen(path.c_str(), "rb"));
  if (!in) {
    *reason = std::string("cannot read: ") + std::strerror(errno);
    return false;
  }
  uint8_t buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
    data->insert(data->end(), buffer, buffer + got);
  }
  if (std::ferror(in.get())) {
    *reason = std::string("cannot read: ") + std::strerror(errno);
    return false;
  }
  return true;
}

// Written to a temporary name beside the target and renamed over it.
bool WriteWhole(const std::string& path, const std::vector<uint8_t>& data, std::string* reason) {
  const std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
  File out(std::fopen(temp.c_str(), "wbx"));
  if (!out) {
    *reason = std::string("cannot write: ") + std::strerror(errno);
    return false;
  }
  const bool written = std::fwrite(data.data(), 1, data.size(), out.get()) == data.size();
  const bool closed = std::fclose(out.release()) == 0;
  if (!written || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
    *reason = std::string("cannot write: ") + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string form_name = argc == 4 ? argv[3] : "";
  if (form_name != "qq" && form_name != "wechat") {
    std::fprintf(stderr, "usage: %s PCM_S16LE_MONO_24000 OUT qq|wechat\n", kName);
    return 2;
  }
  const std::string pcm_file = argv[1];
  const std::string out_file = argv[2];
  std::vector<uint8_t> pcm;
  std::string reason;
  if (!ReadWhole(pcm_file, &pcm, &reason)) return Fail(pcm_file, reason);
  if (pcm.empty() || pcm.size() % 2 != 0) {
    return Fail(pcm_file, "not 16-bit samples (" + std::to_string(pcm.size()) + " bytes)");
  }
  std::vector<int16_t> samples(pcm.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(static_cast<uint16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8)));
  }
  std::vector<uint8_t> voice;
  const silk::Form form = form_name == "qq" ? silk::Form::kQq : silk::Form::kWeChat;
  if (!silk::EncodeVoice(samples.data(), samples.size(), form, &voice)) {
    return Fail(pcm_file, "the codec failed");
  }
  if (!WriteWhole(out_file, voice, &reason)) return Fail(out_file, reason);
  return 0;
}
