// The single-file conversion: the names and command lines of one run, and
// what the user is told afterwards.
#pragma once

#include <string>

#include "app/converter.h"

namespace app {

// Everything of one single-file run that the path and the program folder
// decide; the encoder's parameters wait for the sample rate, which is read
// only when the encoder starts.
struct SingleFilePlan {
  std::string base;                // the voice file's path without its last four bytes
  std::string decoder;             // executable paths
  std::string encoder;
  std::string decoder_parameters;
  std::string pcm;                 // intermediate file, removed afterwards
  std::string mp3;                 // output file
};

// `voice_path` is the path box content, `program_folder` the program
// folder (null is the empty text for both).
SingleFilePlan PlanSingleFile(const char* voice_path, const char* program_folder);

// The message that ends the run. Success needs both programs started and
// the output file present; otherwise the message names the program that
// could not be started, or the file that was not made. An encoder that was
// never run counts as not started.
std::string SingleFileReport(const SingleFilePlan& plan, const ConverterRun& decoder,
                             const ConverterRun& encoder, bool output_exists);

// Whether a run leaves a program that may still be working: one that was
// started but not seen to end.
bool MayStillRun(const ConverterRun& run);

}  // namespace app
