#include "app/converter.h"

#include <cstdlib>

#include "app/runtime_access.h"
#include "resources/constant_data.h"
#include "runtime/core/codepage936.h"

namespace app {

std::string QuoteArgument(const std::string& path) {
  // An empty argument must still be one, or the ones after it move up.
  if (path.empty()) return "\"\"";
  if (path.find_first_of(" \t\"") == std::string::npos) return path;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    // A double-byte character whose second byte is 0x5C is no backslash.
    if (rt::IsLeadByte936(static_cast<uint8_t>(c)) && i + 1 < path.size()) {
      quoted.append(backslashes, '\\');
      backslashes = 0;
      quoted.append(path, i, 2);
      ++i;
      continue;
    }
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as themselves unless a double quote follows them.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  // Before the closing quote they are doubled so that it stays a quote.
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

uint32_t ConverterLimit(const std::string& setting) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(setting.c_str(), &end, 10);
  const bool whole = !setting.empty() && setting[0] >= '0' && setting[0] <= '9' && end != nullptr && *end == '\0';
  return whole && value >= 1 && value <= kConverterLimitMs ? static_cast<uint32_t>(value) : kConverterLimitMs;
}

std::string DecoderPath(const std::string& program_folder) { return program_folder + res::kConstantData.decoder; }
std::string EncoderPath(const std::string& program_folder) { return program_folder + res::kConstantData.encoder; }

namespace {

std::string EncoderOptions(const std::string& rate) {
  return "-y -f s16be -ac 2 -ar " + rate + " -acodec pcm_s16le -i ";
}

}  // namespace

std::string SingleDecoderParameters(const std::string& voice, const std::string& base) {
  return QuoteArgument(voice) + " " + QuoteArgument(base + ".pcm");
}

std::string EncoderParametersFor(const std::string& rate, const std::string& input,
                                 const std::string& output) {
  return EncoderOptions(rate) + QuoteArgument(input) + " " + QuoteArgument(output);
}

std::string AmrEncoderParameters(const std::string& voice, const std::string& mp3) {
  return "-y -i " + QuoteArgument(voice) + " " + QuoteArgument(mp3);
}

std::string SingleEncoderParameters(const std::string& rate, const std::string& base) {
  return EncoderParametersFor(rate, base + ".pcm", base + ".mp3");
}

std::string BatchDecoderParameters(const std::string& voice, const std::string& program_folder,
                                   const std::string& name) {
  return QuoteArgument(voice) + " " + QuoteArgument(OutFolder(program_folder) + "\\" + name + ".pcm");
}

// The input path joins the folder with forward slashes, the output path with
// backslashes; both name the same folder.
std::string BatchEncoderParameters(const std::string& rate, const std::string& program_folder,
                                   const std::string& account, const std::string& name) {
  return EncoderParametersFor(rate, program_folder + "/out/" + name + ".pcm",
                              AccountOutFolder(program_folder, account) + "\\" + name + ".mp3");
}

}  // namespace app
