// The two external converter programs that lie in the program folder: their
// paths, the parameter texts they are given, the bound of their run, and
// the clean-up of a console host process by name.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// How long a converter may run before its caller gives up waiting for it.
constexpr uint32_t kConverterLimitMs = 120000;
// The bound in force: `setting` (the environment's
// SONOTECA_CONVERTER_LIMIT_MS, which tests and the soak set to see a hung
// converter given up in seconds) when it is a whole number from 1 to
// kConverterLimitMs, otherwise kConverterLimitMs.
uint32_t ConverterLimit(const std::string& setting);

// One path argument as the started program's command-line parser reads it
// back: unchanged unless it holds a space, a tab or a double quote; then in
// double quotes, with each double quote and the backslashes before a double
// quote or the closing quote doubled as the platform's rules require.
std::string QuoteArgument(const std::string& path);

// The executable paths in the program folder.
std::string DecoderPath(const std::string& program_folder);
std::string EncoderPath(const std::string& program_folder);

// Parameter texts. Single file: the voice file, the base path `base` (the
// voice file's path without its last four bytes), the sample rate text
// `rate` (used verbatim). Batch: the program folder, the account, the base
// name `name`.
std::string SingleDecoderParameters(const std::string& voice, const std::string& base);
std::string SingleEncoderParameters(const std::string& rate, const std::string& base);
std::string BatchDecoderParameters(const std::string& voice, const std::string& program_folder,
                                   const std::string& name);
std::string BatchEncoderParameters(const std::string& rate, const std::string& program_folder,
                                   const std::string& account, const std::string& name);
// A real AMR recording goes to the encoder straight: it carries its own
// sample rate, so no rate is given.
std::string AmrEncoderParameters(const std::string& voice, const std::string& mp3);
// The first bytes of a real AMR recording: "#!AMR\n" (AMR-NB) or
// "#!AMR-WB\n"; a SILK voice file begins with "#!SILK_V3" or 0x02.
constexpr const char* kAmrHeader = "#!AMR";
// The encoder's options with the rate, then its input and output paths.
std::string EncoderParametersFor(const std::string& rate, const std::string& input,
                                 const std::string& output);

// Windows builds only. Terminates the first process named "Console Window
// Host", if any. The converters are started without a console host, so no
// conversion needs it.
void TerminateConsoleHost();
// Id of the first process whose executable name equals `name` exactly, or -1.
int32_t FindProcessIdByName(const std::string& name);
// True when the platform reports the process terminated (exit code 0).
bool TerminateProcessById(int32_t process_id);

}  // namespace app
