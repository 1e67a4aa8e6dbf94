// Starting the two external converter programs that lie in the program
// folder, the parameter texts they are given, and the clean-up of a console
// host process by name.
#pragma once

#include <cstdint>
#include <string>

namespace app {

constexpr const char* kDecoderFile = "\\silk_v3_decoder.exe";
constexpr const char* kEncoderFile = "\\ffmpeg.exe";
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

// The executable paths in program folder `d`.
std::string DecoderPath(const std::string& d);
std::string EncoderPath(const std::string& d);

// Parameter texts. Single file: voice file `p`, base path `base` (the voice
// file's path without its last four bytes), sample rate text `rate` (used
// verbatim). Batch: program folder `d`, account `account`, base name `name`.
std::string SingleDecoderParameters(const std::string& p, const std::string& base);
std::string SingleEncoderParameters(const std::string& rate, const std::string& base);
std::string BatchDecoderParameters(const std::string& p, const std::string& d,
                                   const std::string& name);
std::string BatchEncoderParameters(const std::string& rate, const std::string& d,
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

// Windows builds only. Starts `executable` with `parameters` (no console, no
// window, the current directory) and returns at once with one of the shell
// library's ProgramStartResult values; for a started
// program its handle goes to *handle, to wait for with WaitForPrograms and to
// close with CloseConverter. A worker asked to stop starts nothing.
int32_t StartConverter(const char* executable, const char* parameters, int32_t* handle);
// The exit code of a program that has ended; false while it runs.
bool ConverterExitCode(int32_t handle, uint32_t* exit_code);
void CloseConverter(int32_t handle);
// Ends a converter that has run past its bound; true once it is gone.
bool EndConverter(int32_t handle);
// Terminates the first process named "Console Window Host", if any. The
// converters are started without a console host, so no conversion needs it.
void TerminateConsoleHost();
// Id of the first process whose executable name equals `name` exactly, or -1.
int32_t FindProcessIdByName(const char* name);
// True when the platform reports the process terminated (exit code 0).
bool TerminateProcessById(int32_t process_id);
// Closes a handle of the platform's (through the foreign-function table).
void CloseHandleOf(uintptr_t handle);

}  // namespace app
