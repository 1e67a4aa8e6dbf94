// One voice file through the two converter programs: where its files go,
// the command lines, how each stage is judged, and what the user is told.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// Everything of one conversion that the paths decide. The encoder's
// parameters wait for the sample rate, which is read only when it starts.
struct ConversionPlan {
  std::string voice;               // the voice file
  std::string decoder;             // executable paths
  std::string encoder;
  std::string decoder_parameters;
  std::string pcm;                 // intermediate file, removed afterwards
  std::string encoder_input;       // the same file as the encoder is told it
  std::string mp3;                 // output file
  std::string name;                // the batch form's settled base name
};

// The single-file form: `voice_path` is the path box content, its files lie
// beside it (the path without its last four bytes, then ".pcm" and ".mp3").
// `program_folder` holds the programs. Null is the empty text for both.
ConversionPlan PlanSingleFile(const char* voice_path, const char* program_folder);

// The batch form: the voice file `voice`, its settled base name `name`, the
// program folder and the account.
ConversionPlan PlanBatchFile(const std::string& voice, const std::string& name, const std::string& program_folder,
                             const std::string& account);

// The encoder's parameters with the sample rate text `rate` (verbatim).
std::string EncoderParameters(const ConversionPlan& plan, const std::string& rate);

// How a conversion ended.
enum class Failure {
  kNone,                // the MP3 was written by this conversion
  kDecoderNotStarted,   // the decoder could not be started
  kDecodeFailed,        // it ended with an error, or wrote nothing
  // Our decoder says so itself: the voice file cannot be read (held by
  // another program without sharing, no permission), or holds more sound
  // than a voice message can.
  kVoiceUnreadable,
  kVoiceTooLong,
  kDecodeTimedOut,      // it did not end within its bound: the encoder was not started
  kEncoderNotStarted,
  kNotProduced,         // the encoder did not write the MP3 (or not within its bound)
  // The output side, not the voice file: the folder of the intermediate
  // file or of the MP3 cannot be written to, or its disk is full.
  kPcmFolderNotWritable,
  kPcmDiskFull,
  kMp3FolderNotWritable,
  kMp3DiskFull,
  // An MP3 of the same name is there and stays as it is: it is read-only,
  // or it cannot be set aside (another program holds it).
  kOldMp3ReadOnly,
  kOldMp3InUse,
  // The voice file's name cannot be held by the code page, and it has no
  // short form either.
  kNameUnusable,
};

// The folder of a file's path: all before its last backslash (a character
// of its own, not the second byte of a double-byte one).
std::string FolderOf(const std::string& path);

// What a stage's program did, as far as it could be seen.
struct StageOutcome {
  bool started = false;    // the program could be started
  bool waited = false;     // it could be waited for (there was a process)
  bool timed_out = false;  // it was still running at its bound
  uint32_t exit_code = 0;  // valid when waited for and not timed out
};

// Whether the decoder produced what the encoder needs: it ended with exit
// code 0 (or could not be waited for) and left a non-empty intermediate file
// (`pcm_size`, -1 when there is none). Decoders exist that exit 0 after
// refusing a file and write nothing, so the file decides as much as the code.
// Exit codes 1 and 6 are our decoder's "cannot read" and "too long".
Failure JudgeDecoder(const StageOutcome& decoder, int64_t pcm_size);
// Whether the encoder wrote the MP3: ended with 0 and a non-empty file of
// `mp3_size` bytes (an MP3 from an earlier run has been set aside before).
Failure JudgeEncoder(const StageOutcome& encoder, int64_t mp3_size);

// The reason as a batch lists it after the voice file: "无法启动：<program>",
// "解码失败", "解码超时", "无法读取语音文件", "语音过长（超过 30 分钟）",
// "没有生成：<mp3>", "无法写入文件夹：<folder>", "磁盘空间不足：<folder>", and for an earlier MP3 kept "...保持原样：<mp3>";
// empty for kNone.
std::string FailureReason(const ConversionPlan& plan, Failure failure);

// The message that ends a single-file run: "转换成功", or "转换失败，" and
// the reason (a decoding reason names the voice file). When the intermediate
// file could not be removed, a second line names it.
std::string SingleFileReport(const ConversionPlan& plan, Failure failure, bool intermediate_left);

// The end of a batch. `reasons` holds the reason of every file that failed,
// in collection order, as "<voice file>：<reason>" lines. The list file's
// path ends it; when the list could not be written, `list_written` is false
// and the message says so instead. A batch without failures whose earlier
// list could not be removed (`list_written` false) names that list, which
// no longer tells the truth.
std::string BatchSummary(int32_t converted, const std::vector<std::string>& reasons,
                         const std::string& failure_list_path, bool list_written = true);
// How many failed files the message lists before pointing to the list file.
constexpr size_t kFailuresShown = 10;

// A line of the report and of the failure list: "<voice file>：<reason>";
// for a name the code page cannot hold, the drop's reason, which names it.
std::string FailureLine(const ConversionPlan& plan, Failure failure);

}  // namespace app
